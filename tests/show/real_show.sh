#!/usr/bin/env bash
# The real program runs the whole show for 30 seconds on a 1920 x 1080 X
# display (Xvfb): two screenshots a few seconds apart show the landscape
# (many colours, not a dark screen) and flakes that moved; a key press then
# ends the show cleanly (exit status 0), and no error protocol was written.
#
#   real_show.sh linux   <path of glintmoor>
#   real_show.sh windows <path of Glintmoor.scr>      (under Wine)
#
# The screenshots stay in the folder the test runs in (show-1.png, show-2.png).
set -euo pipefail
kind=$1
program=$(readlink -f "$2")
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
shots=$PWD
work=$(mktemp -d)
fail() { echo "FAIL: $*" >&2; exit 1; }

display=
for n in $(seq 150 199); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
  Xvfb :$n -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  if kill -0 "$xvfb" 2>/dev/null; then display=:$n; break; fi
done
[ -n "$display" ] || fail "no free X display"
export DISPLAY=$display
show=
cleanup() {
  [ -n "$show" ] && kill "$show" 2>/dev/null || true
  [ "$kind" = windows ] && WINEPREFIX=$prefix "$tools/wine-run" --server -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cd "$work"
if [ "$kind" = windows ]; then
  prefix=${WINEPREFIX:-$("$tools/wine-run" --prefix)}
  export WINEPREFIX=$prefix
  "$tools/wine-run" reg delete 'HKCU\Software\Glintmoor' /f >/dev/null 2>&1 || true
  cp "$program" Glintmoor.scr
  "$tools/wine-run" ./Glintmoor.scr /s &
  protocol=$work/Glintmoor.EPT
else
  export GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work
  "$program" /s &
  protocol=$work/glintmoor.EPT
fi
show=$!

# Number of distinct colours, mean brightness (0..1) and pixels that differ.
colours() { convert "$1" -format %k info:; }
brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }

sleep 20
kill -0 "$show" 2>/dev/null || fail "the show ended on its own"
import -window root "$shots/show-1.png"
sleep 4
import -window root "$shots/show-2.png"
sleep 6
kill -0 "$show" 2>/dev/null || fail "the show ended before its 30 seconds"

c=$(colours "$shots/show-1.png")
b=$(brightness "$shots/show-1.png")
d=$(differing "$shots/show-1.png" "$shots/show-2.png")
echo "colours $c, mean brightness $b, pixels changed in 4 s: $d"
[ "$c" -gt 200 ] || fail "only $c colours: no landscape"
awk -v b="$b" 'BEGIN { exit !(b > 0.3) }' || fail "a dark screen (mean brightness $b)"
[ "$d" -gt 200 ] || fail "only $d pixels changed: nothing moves"

# Input ends the show.
xdotool mousemove 400 300 2>/dev/null || true
sleep 0.5
xdotool key --clearmodifiers a
# Promptly, not within a set time: a loaded machine may hold the process back.
for _ in $(seq 150); do kill -0 "$show" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$show" 2>/dev/null; then fail "a key press did not end the show"; fi
status=0
wait "$show" || status=$?
show=
[ "$status" -eq 0 ] || fail "the show ended with exit status $status"
[ ! -e "$protocol" ] || { cat "$protocol" >&2; fail "an error protocol was written"; }
echo "PASS"
