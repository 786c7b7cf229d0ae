#!/usr/bin/env bash
# glintmoor-setup.run, built as make dist builds it: installs into the
# ~/.local of a temporary HOME, the installed program renders a scene, and
# its --add-to-xscreensaver adds one line to ~/.xscreensaver through the
# file's link, keeps its mode, and changes nothing the second time.
# Usage: setup_run.sh <mksfx> <sfxstub> <glintmoor> <source dir>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY XSCREENSAVER_WINDOW TMP TEMP
export HOME=$work/home TMPDIR=$work/tmp XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" "$TMPDIR"

"$4/setup/linux/make-setup-run.sh" "$1" "$2" "$3" "$4" "$work/glintmoor-setup.run"
"$work/glintmoor-setup.run" -auto </dev/null >"$work/out.txt" 2>&1 ||
    { cat "$work/out.txt"; fail "the installer exits $?"; }
grep -qF "$HOME/.local/bin/glintmoor --add-to-xscreensaver" "$work/out.txt" || fail "no word on XScreenSaver"
for f in bin/glintmoor share/man/man6/glintmoor.6 share/glintmoor/glintmoor.xml \
    share/glintmoor/uninstall.sh; do
    [ -f "$HOME/.local/$f" ] || fail "~/.local/$f missing"
done
[ -z "$(ls -A "$TMPDIR")" ] || fail "the unpacked files stay: $(ls -A "$TMPDIR")"

glintmoor=$HOME/.local/bin/glintmoor
"$glintmoor" --render "$work/scene.png" --seed 3 || fail "the installed glintmoor does not render"
[ "$(od -An -tx1 -j16 -N8 "$work/scene.png" | tr -d ' \n')" = 00000280000001e0 ] ||
    fail "not a 640x480 PNG"

# --add-to-xscreensaver: no file, then a file (a link, mode 600) with a list.
"$glintmoor" --add-to-xscreensaver 2>"$work/err.txt" && fail "no ~/.xscreensaver: exit 0"
[ ! -e "$HOME/.xscreensaver" ] || fail "~/.xscreensaver made up"
grep -q 'glintmoor -root' "$work/err.txt" || fail "the line to add is not named"
printf '%s\n' '# XScreenSaver Preferences File' 'programs:		\' \
    '				maze --root				    \n\' \
    '- GL: 				pipes --root				    \n\' '' 'lock:		False' >"$work/xss"
chmod 600 "$work/xss"
cp "$work/xss" "$work/xss.before"
ln -s "$work/xss" "$HOME/.xscreensaver"
"$glintmoor" --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver exits $?"
[ -L "$HOME/.xscreensaver" ] || fail "the link is replaced"
[ "$(stat -c %a "$work/xss")" = 600 ] || fail "mode $(stat -c %a "$work/xss")"
[ "$(diff "$work/xss.before" "$work/xss" | grep -c '^[<>]')" = 1 ] || fail "not one line added"
grep -q "^[[:space:]]*glintmoor -root[[:space:]]*\\\\n\\\\$" "$work/xss" || fail "no glintmoor line"
cp "$work/xss" "$work/xss.once"
"$glintmoor" --add-to-xscreensaver >/dev/null || fail "second run exits $?"
cmp -s "$work/xss.once" "$work/xss" || fail "the second run changed the file"

"$HOME/.local/share/glintmoor/uninstall.sh" >/dev/null
[ ! -e "$glintmoor" ] && [ ! -e "$HOME/.local/share/glintmoor" ] || fail "uninstall leaves files"
echo "ok: glintmoor-setup.run ($(stat -c %s "$work/glintmoor-setup.run") bytes)"
