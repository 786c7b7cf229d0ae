#!/usr/bin/env bash
# make install's tree and the Debian package's: every file where
# XScreenSaver, man and the shell look for it and nothing else, the command
# in bin reaching the hack, the package's dependencies computed from the
# binaries, manual pages groff reads without a warning, a settings page that
# validates.
# Usage: installed_tree.sh <build dir>
set -euo pipefail
build=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY XSCREENSAVER_WINDOW

# The files below root/prefix, symbolic links with their targets.
listing() {
    (cd "$1" && find . ! -type d \( -type l -printf '%P -> %l\n' -o -printf '%P\n' \) | sort)
}
expected() {
    sed "s|^|$1/|" <<'LIST'
bin/glintmoor -> ../libexec/xscreensaver/glintmoor
bin/mksfx
bin/sfxstub
libexec/xscreensaver/glintmoor
share/doc/glintmoor/changelog.gz
share/doc/glintmoor/copyright
share/man/man1/mksfx.1.gz
share/man/man1/sfxstub.1.gz
share/man/man6/glintmoor.6.gz
share/xscreensaver/config/glintmoor.xml
LIST
}

# The installed programs work from where they are.
check_tree() {
    local root=$1 prefix=$2
    diff <(expected "$prefix") <(listing "$root") || fail "files below $root"
    for p in bin/glintmoor bin/mksfx bin/sfxstub; do
        [ -x "$root/$prefix/$p" ] || fail "$p not executable"
    done
    GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work \
        "$root/$prefix/bin/glintmoor" --render "$work/scene.png" --seed 7 ||
        fail "the installed glintmoor does not render"
    [ "$(head -c 8 "$work/scene.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
        fail "no PNG from the installed glintmoor"
    "$root/$prefix/bin/mksfx" --help >/dev/null || fail "the installed mksfx"
    xmllint --noout "$root/$prefix/share/xscreensaver/config/glintmoor.xml" || fail "XML"
    for page in "$root/$prefix"/share/man/man*/*.gz; do
        warnings=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)
        [ -z "$warnings" ] || fail "$page: $warnings"
    done
}

# make install with a prefix of its own below DESTDIR.
DESTDIR=$work/destdir cmake --install "$build" --prefix /opt/glintmoor-test --strip >/dev/null
check_tree "$work/destdir" opt/glintmoor-test

# The Debian package, built as make package builds it, unpacked into a
# throw-away root.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" \
    -D CPACK_OUTPUT_FILE_PREFIX="$work/out" >"$work/cpack.log" || { cat "$work/cpack.log"; fail cpack; }
deb=$(echo "$work"/out/glintmoor_*.deb)
[ -f "$deb" ] || fail "no package"
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root" usr
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libgtk-3-0 libpng16-16 libx11-6 libfreetype6; do
    [[ ", $depends," =~ ", $lib"[\ ,] ]] || fail "Depends lacks $lib: $depends"
done
echo "ok: install tree and package ($(stat -c %s "$deb") bytes)"
