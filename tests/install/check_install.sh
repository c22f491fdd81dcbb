#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, then builds and runs a small
# program against the installed library twice: with the flags pkg-config
# gives, and as a CMake project that uses find_package(tovimat).
#
#   check_install.sh BUILD_DIR SCRATCH_DIR CXX CMAKE [EXTRA_FLAGS]
#
# EXTRA_FLAGS are added to both consumer builds (the sanitizer flags when the
# library was built with them).
set -euo pipefail

build_dir=$1
scratch=$2
cxx=$3
cmake=$4
read -r -a extra <<<"${5:-}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$scratch/prefix

rm -rf "$scratch"
mkdir -p "$scratch"
"$cmake" --install "$build_dir" --prefix "$prefix" >"$scratch/install.log"

libdir=$(dirname "$(find "$prefix" -name 'libtovimat.so' -print -quit)")
[[ -f $prefix/include/tovimat/platform/gdi.h ]] || { echo "headers missing under include/tovimat" >&2; exit 1; }

# Only public headers are installed, and they include none that is not.
included=$prefix/include/tovimat
missing=0
for internal in algebra/search.h algebra/sets.h algebra/support.h; do
    if [[ -e $included/$internal ]]; then
        echo "internal header $internal installed" >&2
        missing=1
    fi
done
while IFS= read -r -d '' header; do
    while IFS= read -r name; do
        if [[ ! -f $included/$name ]]; then
            echo "${header#"$included"/} includes $name, which is not installed" >&2
            missing=1
        fi
    done < <(sed -n 's/^#include "\(.*\)".*/\1/p' "$header")
done < <(find "$included" -name '*.h' -print0)
((missing == 0)) || exit 1
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

echo "-- pkg-config"
export PKG_CONFIG_PATH=$libdir/pkgconfig
read -r -a pc_flags <<<"$(pkg-config --cflags --libs tovimat)"
"$cxx" -std=c++20 "${extra[@]}" "$here/consumer/main.cpp" "${pc_flags[@]}" -o "$scratch/consumer-pc"
"$scratch/consumer-pc"

echo "-- find_package"
"$cmake" -S "$here/consumer" -B "$scratch/consumer-build" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="${extra[*]}" -DCMAKE_EXE_LINKER_FLAGS="${extra[*]}" >"$scratch/configure.log"
"$cmake" --build "$scratch/consumer-build" >"$scratch/build.log"
"$scratch/consumer-build/consumer"
