#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# SECONDS (default 60), starting from its seeds in fuzz/corpus/<target>/.
# The seeds are copied to build-fuzz/corpus/<target>/ first, so the committed
# corpus does not grow (fuzz/merge.sh minimises what it found back into it);
# crashes are written to build-fuzz/artifacts/. VELMOR_FUZZ_OPTIONS adds
# libFuzzer options, e.g. VELMOR_FUZZ_OPTIONS="-timeout=10 -max_len=8192".
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh

seconds=${1:-60}
shift || true
velmor_ensure_packages "${VELMOR_PACKAGES[@]}" "${VELMOR_FUZZ_PACKAGES[@]}"

export CC=clang CXX=clang++
mkdir -p build-fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" \
    -DVELMOR_FUZZ=ON -DVELMOR_BUILD_TESTS=OFF -DVELMOR_BUILD_BENCH=OFF -DVELMOR_BUILD_APPS=OFF >build-fuzz/configure.log 2>&1 || { cat build-fuzz/configure.log >&2; exit 1; }
cmake --build build-fuzz -j2 --target fuzzers

targets=("$@")
if ((${#targets[@]} == 0)); then
    for src in fuzz/*.cpp; do
        [[ -e $src ]] && targets+=("$(basename "$src" .cpp)")
    done
fi

mkdir -p build-fuzz/artifacts
for t in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$t
    mkdir -p "$corpus"
    if [[ -d fuzz/corpus/$t ]]; then
        cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
    fi
    echo "== $t for ${seconds}s"
    # Absolute paths: a target may change its current folder.
    "$PWD"/build-fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 ${VELMOR_FUZZ_OPTIONS:-} \
        -artifact_prefix="$PWD"/build-fuzz/artifacts/"$t"- "$PWD/$corpus"
done
