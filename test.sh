#!/usr/bin/env bash
# Builds Velmor and runs the whole test suite.
#   ./test.sh             in build/
#   ./test.sh --sanitize  in build-sanitize/, with AddressSanitizer (leak
#                         checking on) and UndefinedBehaviorSanitizer
# Missing Debian packages are installed first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source scripts/deps.sh

build_dir=build
cmake_args=()
for arg in "$@"; do
    case $arg in
        --sanitize)
            build_dir=build-sanitize
            cmake_args+=(-DVELMOR_SANITIZE=ON)
            export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
            export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
            ;;
        -h | --help)
            sed -n '2,6s/^# \{0,1\}//p' "$0"
            exit 0
            ;;
        *)
            echo "usage: $0 [--sanitize]" >&2
            exit 2
            ;;
    esac
done

mapfile -t packages < <(velmor_build_packages)
velmor_ensure_packages "${packages[@]}"
velmor_build "$build_dir" "${cmake_args[@]}"
ctest --test-dir "$build_dir" -j2 --output-on-failure
