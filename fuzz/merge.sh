#!/usr/bin/env bash
# Minimises the committed corpus of each target: every input of
# fuzz/corpus/<target>/ and of the working corpus build-fuzz/corpus/<target>/
# that fuzz/run.sh grew goes through libFuzzer's -merge=1, and only the
# inputs that add coverage are kept in fuzz/corpus/<target>/ (named by their
# SHA-1). Run fuzz/run.sh first: it builds the targets.
#   fuzz/merge.sh TARGET...
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

(($# > 0)) || { echo "usage: fuzz/merge.sh TARGET..." >&2; exit 2; }
for t in "$@"; do
    fuzzer=$PWD/build-fuzz/fuzz/$t
    [[ -x $fuzzer ]] || { echo "$fuzzer is not built; run fuzz/run.sh first" >&2; exit 1; }
    merged=$(mktemp -d build-fuzz/merge-"$t".XXXXXX)
    sources=(fuzz/corpus/"$t")
    [[ -d build-fuzz/corpus/$t ]] && sources+=(build-fuzz/corpus/"$t")
    # Absolute paths: a target may change its current folder.
    "$fuzzer" -merge=1 ${VELMOR_FUZZ_OPTIONS:-} "$PWD/$merged" "${sources[@]/#/$PWD/}"
    rm -rf fuzz/corpus/"$t"
    mv "$merged" fuzz/corpus/"$t"
    chmod 755 fuzz/corpus/"$t"
    echo "== $t: $(ls fuzz/corpus/"$t" | wc -l) inputs, $(du -sh fuzz/corpus/"$t" | cut -f1)"
done
