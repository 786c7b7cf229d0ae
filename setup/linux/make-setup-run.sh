#!/bin/sh
# Builds glintmoor-setup.run: our stub, its configuration and a ZIP archive
# of glintmoor, its manual page, XScreenSaver's settings page and setup.sh.
# Usage: make-setup-run.sh MKSFX SFXSTUB GLINTMOOR SOURCE_DIR OUT
set -eu
mksfx=$1 stub=$2 program=$3 src=$4 out=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/glintmoor"
strip "$work/glintmoor"
cp "$src/setup/linux/setup.sh" "$src/setup/man/glintmoor.6" "$src/programs/glintmoor.xml" "$work/"
(cd "$work" && zip -q -X -9 package.zip glintmoor glintmoor.6 glintmoor.xml setup.sh)
mkdir -p "$(dirname "$out")"
"$mksfx" --stub "$stub" --zip "$work/package.zip" --command 'sh setup.sh' \
    --title 'Glintmoor' \
    --message 'Installiert den Bildschirmschoner glintmoor in ~/.local. / Installs the glintmoor screen saver into ~/.local.' \
    --info 'Glintmoor: ein verschneiter Bildschirmschoner / a winter-landscape screen saver' \
    -o "$out"
chmod 755 "$out"
