#!/usr/bin/env bash
# A package with one entry of 4.5 GiB (a sparse file of zeros, deflated by
# Info-ZIP zip, ZIP64 by size), built by mksfx and checked by the Linux stub
# (--check: inflate and CRC, nothing written) and unpacked by it (--target),
# each with its wall time and peak memory. Run by hand, never by make test;
# needs about 5 GiB free in the scratch folder.
#   tools/sfx-zip64-large.sh [BUILD_DIR]     (default build/linux)
set -euo pipefail
build=${1:-build/linux}
work=$(mktemp -d "${TMPDIR:-/tmp}/sfx-zip64-large.XXXXXX")
trap 'rm -rf "$work"' EXIT
measure() {  # label command...: wall seconds and peak resident KiB
    local label=$1; shift
    /usr/bin/time -f "$label: %e s wall, %M KiB peak resident" "$@"
}
truncate -s 4608M "$work/big.bin"
(cd "$work" && measure "zip -1" zip -q -1 big.zip big.bin)
measure "mksfx" "$build/mksfx" --stub "$build/sfxstub" --zip "$work/big.zip" --command true \
    -o "$work/big.run"
ls -l "$work/big.zip" "$work/big.run" | awk '{ print $5, $9 }'
unzip -lv "$work/big.run" | sed -n '4p'
measure "sfxstub --check" "$work/big.run" --check
rm "$work/big.bin"
measure "sfxstub --noexec --target DIR -auto" "$work/big.run" --noexec --target "$work/out" -auto >/dev/null
ls -ls "$work/out/big.bin" | awk '{ print $6, "bytes unpacked" }'
