#!/bin/sh
# Builds GlintmoorSetup.exe: the Windows stub, its configuration and a ZIP
# archive of setup.exe, read-me and Glintmoor.scr for x86-64 (x64\) and
# 32-bit x86 (x86\). The stub runs setup.exe, waits for it and removes the
# unpacked files; "-auto -- /silent" passes /silent on to the setup, whose
# exit status becomes the stub's.
#
# With SIGN_CERT and SIGN_KEY (a PEM certificate and its key) in the
# environment, setup.exe (which is also the uninstaller), both Glintmoor.scr
# and GlintmoorSetup.exe itself are signed with Authenticode (osslsigncode,
# SHA-256, no time stamp: that needs a time-stamp server).
# Usage: make-setup-exe.sh MKSFX STUB SETUP_EXE SCR_X64 SCR_X86 SOURCE_DIR OUT
set -eu
mksfx=$1 stub=$2 setup=$3 scr64=$4 scr32=$5 src=$6 out=$7
if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ] && { [ ! -f "${SIGN_CERT:-}" ] || [ ! -f "${SIGN_KEY:-}" ]; }; then
  echo "make-setup-exe.sh: SIGN_CERT and SIGN_KEY must both name files" >&2
  exit 2
fi
sign() {
  [ -n "${SIGN_CERT:-}" ] || return 0
  osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n Glintmoor \
    -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/x64" "$work/x86"
cp "$setup" "$work/setup.exe"
x86_64-w64-mingw32-strip -o "$work/x64/Glintmoor.scr" "$scr64"
i686-w64-mingw32-strip -o "$work/x86/Glintmoor.scr" "$scr32"
for f in "$work/setup.exe" "$work/x64/Glintmoor.scr" "$work/x86/Glintmoor.scr"; do sign "$f"; done
# The read-me with Windows line ends.
sed 's/$/\r/' "$src/setup/win32/readme.txt" >"$work/readme.txt"
(cd "$work" && zip -q -X -9 package.zip setup.exe readme.txt x64/Glintmoor.scr x86/Glintmoor.scr)
mkdir -p "$(dirname "$out")"
"$mksfx" --stub "$stub" --zip "$work/package.zip" --command setup.exe \
    --title 'Glintmoor' --title-as-caption \
    --message 'Installiert den Bildschirmschoner Glintmoor. / Installs the Glintmoor screen saver.' \
    --about 'Glintmoor 1.0: ein verschneiter Bildschirmschoner / a winter-landscape screen saver' \
    --info 'Glintmoor: GlintmoorSetup.exe -auto -- /silent installiert ohne Fragen / installs without questions' \
    -o "$out"
sign "$out"
