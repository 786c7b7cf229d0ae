#!/usr/bin/env bash
# glintmoor --print-config: what the program read from the settings file,
# including comma texts and a bad value that goes to the protocol.
# Usage: print_config.sh <path of glintmoor>
set -euo pipefail
glintmoor=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work
unset DISPLAY

expected=$'maxFl=110\nminFl=55\nSpeedF=6\nSize=6\nSpeedS=0.53\nSpeedO=6\nSpeed=5\nDate=1\nTime=1\nSnowman=1\nClassic=0'
[ "$("$glintmoor" --print-config)" = "$expected" ] || fail "defaults of an empty store"
[ ! -e "$work/settings.ini" ] || fail "reading created the settings file"

printf '[Settings]\nmaxFl=111\nSpeedS=0,56\nSpeed=0.1\nSnowman=0\nDate=nie\n' > "$work/settings.ini"
out=$("$glintmoor" --print-config /s)
expected=$'maxFl=111\nminFl=56\nSpeedF=6\nSize=6\nSpeedS=0.56\nSpeedO=6\nSpeed=0.1\nDate=1\nTime=1\nSnowman=0\nClassic=0'
[ "$out" = "$expected" ] || fail "stored values: got $out"
grep -q $'Prozedur / procedure:\tLoadConfig\r$' "$work/glintmoor.EPT" || fail "no protocol of the bad Date"
grep -q $'Zeile / Line:\t50080\r$' "$work/glintmoor.EPT" || fail "wrong line"
grep -q $'Plattform/Environment:\tLinux\r$' "$work/glintmoor.EPT" || fail "no kernel name"
[ "$(grep -c 'F E H L E R' "$work/glintmoor.EPT")" = 1 ] || fail "reported more than once"

"$glintmoor" --help | grep -q -- '--print-config' || fail "usage"
XSCREENSAVER_WINDOW=zz "$glintmoor" --help 2>"$work/err" | grep -q -- '--print-config' || fail "usage with a malformed XSCREENSAVER_WINDOW"
grep -q XSCREENSAVER_WINDOW "$work/err" || fail "the malformed XSCREENSAVER_WINDOW is not reported"
status=0; XSCREENSAVER_WINDOW=zz "$glintmoor" /s 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "the show does not start with a malformed XSCREENSAVER_WINDOW (exit $status)"
status=0; "$glintmoor" --seed x 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "a bad option exits 2, not $status"
status=0; "$glintmoor" /s 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q "X display" "$work/err" || fail "no display must say so and exit 1"
echo "print-config checks passed"
