#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and checks that the desktop
# program arrives with its menu entry, document type and icons, and that the
# installed program runs from there.
#
#   check_install.sh BUILD_DIR SCRATCH_DIR CMAKE EXAMPLE
set -euo pipefail

build_dir=$1
scratch=$2
cmake=$3
example=$4
prefix=$scratch/prefix

rm -rf "$scratch"
mkdir -p "$scratch"
"$cmake" --install "$build_dir" --prefix "$prefix" >"$scratch/install.log"

for f in bin/velmor share/applications/velmor.desktop share/mime/packages/velmor.xml \
    share/icons/hicolor/scalable/apps/velmor.svg share/icons/hicolor/scalable/mimetypes/application-x-velmor.svg; do
    [[ -e $prefix/$f ]] || { echo "missing after install: $f" >&2; exit 1; }
done

# The installed program finds the installed library by itself.
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/velmor" --export "$example" "$scratch/example.png"
[[ -s $scratch/example.png ]] || { echo "the installed program wrote no picture" >&2; exit 1; }
echo "installed and ran from $prefix"
