#!/usr/bin/env bash
# Builds Velmor and starts it: the desktop program when it has been built and
# there is a display, otherwise a short velmor-cli demo.
#   ./run.sh [FILE]      the desktop program opens FILE (default examples/example.vlm)
#
# Without a display the desktop program cannot open its window; it still
# draws FILE into build/FILE.png (velmor --export) before the demo.
#
# The demo types a formula into a new document, saves it, reads the file back
# and dumps it, then dumps FILE and calculates a line.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source scripts/deps.sh

mapfile -t packages < <(velmor_build_packages)
velmor_ensure_packages "${packages[@]}"
velmor_build build

file=${1:-examples/example.vlm}
gui=build/app/gui/velmor
if [[ -x $gui ]]; then
    if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
        exec "$gui" "$file"
    fi
    echo "No display for the desktop program (DISPLAY and WAYLAND_DISPLAY are unset)."
    if [[ -f $file ]]; then
        png=build/$(basename "${file%.*}").png
        "$gui" --export "$file" "$png" && echo "It has drawn $file into $png instead."
    fi
    echo
fi

cli=build/app/cli/velmor-cli
if [[ ! -x $cli ]]; then
    echo "Nothing to run yet: neither build/app/gui/velmor nor $cli exists."
    echo "The engine library is built in build/engine/; ./test.sh runs its tests."
    exit 0
fi

demo_dir=$(mktemp -d)
trap 'rm -rf "$demo_dir"' EXIT
demo=$demo_dir/demo.vlm

show() {
    echo "\$ velmor-cli $*"
    "$cli" "$@"
    echo
}

echo "Here is velmor-cli, the headless Velmor."
echo
# A new item at (10, 10), then 2x typed into it: a number times a name.
show run --save "$demo" "{Click 10 10}2x"
show dump --geometry "$demo"
if [[ -f $file ]]; then
    show dump "$file"
fi
show calc "3+4"
