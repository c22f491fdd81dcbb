#!/usr/bin/env bash
# Builds Velmor and starts it: the desktop program when it has been built,
# otherwise velmor-cli printing the example document.
#   ./run.sh [FILE]      FILE defaults to examples/example.vlm
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
source scripts/deps.sh

mapfile -t packages < <(velmor_build_packages)
velmor_ensure_packages "${packages[@]}"
velmor_build build

file=${1:-examples/example.vlm}
if [[ -x build/app/gui/velmor ]]; then
    exec build/app/gui/velmor "$file"
elif [[ -x build/app/cli/velmor-cli && -f $file ]]; then
    exec build/app/cli/velmor-cli dump "$file"
else
    echo "Nothing to run yet: neither build/app/gui/velmor nor build/app/cli/velmor-cli with $file exists."
    echo "The engine library is built in build/engine/; ./test.sh runs its tests."
fi
