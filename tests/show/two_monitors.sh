#!/usr/bin/env bash
# The show on two monitors of a real X server (Xorg with the dummy driver:
# Xvfb cannot give Wine two monitors). Run by hand, not by `make test`: it
# needs an Xorg server of its own and takes about two minutes.
#
#   two_monitors.sh linux   <path of glintmoor>   [right|left]
#   two_monitors.sh windows <path of Glintmoor.scr> [right|left]   (under Wine)
#
# The primary is 1280 x 1024, the second 1024 x 768 to its right (or left: on
# the Windows side it then lies at negative coordinates). Checks, each with
# screenshots kept in the current folder (two-<kind>-<layout>-*.png):
#   * both monitors show a landscape, and not the same one;
#   * the primary shows the landscape it shows when it is the only monitor
#     (same seed; below the scrolling sky band only flakes and birds differ);
#   * a move of 2 pixels on the second monitor goes on, 3 pixels end the show;
#   * a key with the pointer on the second monitor ends the show.
set -euo pipefail
kind=$1
program=$(readlink -f "$2")
layout=${3:-right}
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
shots=$PWD
work=$(mktemp -d)
name=two-$kind-$layout
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

cat > "$work/dummy.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 1024
  EndSubSection
EndSection
EOF

display=
for n in $(seq 200 230); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
  Xorg :$n -noreset -nolisten tcp -config "$work/dummy.conf" -logfile "$work/xorg.log" \
    >/dev/null 2>&1 &
  xorg=$!
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  if kill -0 "$xorg" 2>/dev/null; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no Xorg display" >&2; exit 1; }
export DISPLAY=$display
# A prefix of its own: wineserver -k must not end the Wine programs of
# other tests that share the usual prefix.
prefix=${WINEPREFIX:-$("$tools/wine-run" --prefix two-monitors)}
show=
stop_show() {
  [ -n "$show" ] && kill "$show" 2>/dev/null || true
  [ "$kind" = windows ] && WINEPREFIX=$prefix "$tools/wine-run" --server -k 2>/dev/null || true
  wait "$show" 2>/dev/null || true
  show=
}
cleanup() {
  stop_show
  kill "$xorg" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

xrandr --newmode 1024x768r 65.00 1024 1048 1184 1344 768 771 777 806
xrandr --addmode DUMMY1 1024x768r
one_monitor() {
  xrandr --output DUMMY1 --off --output DUMMY0 --mode 1280x1024 --primary --pos 0x0 --fb 1280x1024
}
two_monitors() {
  xrandr --fb 2304x1024 --output DUMMY0 --mode 1280x1024 --primary \
    --output DUMMY1 --mode 1024x768r --"$layout"-of DUMMY0
}

# Few flakes, a slow sky and no date or time: what stays of the primary's
# picture between two runs is its landscape.
cat > "$work/settings.ini" <<'EOF'
[Settings]
maxFl=22
SpeedS=0.04
Date=0
Time=0
EOF
export GLINTMOOR_SEED=7
colours() { convert "$1" -format %k info:; }
differing() {  # pixels that differ by more than 2 %, as a whole number
  compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1 | xargs printf '%.0f\n' || true
}
# Wine takes the monitors from what it saw last, the first time after the
# layout changed: a short Wine process first brings that up to date.
new_layout() {
  [ "$kind" = windows ] || return 0
  WINEPREFIX=$prefix "$tools/wine-run" cmd /c exit >/dev/null 2>&1 || true
  WINEPREFIX=$prefix "$tools/wine-run" --server -k 2>/dev/null || true
}
start_show() {
  if [ "$kind" = windows ]; then
    export WINEPREFIX=$prefix
    cp "$program" "$work/Glintmoor.scr"
    (cd "$work" && GLINTMOOR_SETTINGS='Z:'"${work//\//\\}"'\settings.ini' \
      GLINTMOOR_PROTOCOL_DIR='Z:'"${work//\//\\}" "$tools/wine-run" ./Glintmoor.scr /s) &
  else
    GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work "$program" &
  fi
  show=$!
  # Until the landscape is there (Wine takes a while to start).
  for _ in $(seq 40); do
    sleep 1
    import -window root "$work/now.png"
    [ "$(colours "$work/now.png")" -gt 200 ] && break
  done
  sleep 3
  kill -0 "$show" 2>/dev/null || fail "the show ended on its own"
}
ends_within() {  # seconds
  for _ in $(seq $(($1 * 10))); do kill -0 "$show" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# Where the monitors lie on the X screen.
if [ "$layout" = left ]; then primary=1024+0 second=0+0; else primary=0+0 second=1280+0; fi
second_x=${second%+*}

# --- the primary alone --------------------------------------------------------
one_monitor
new_layout
start_show
import -window root "$shots/$name-alone.png"
stop_show

# --- two monitors -------------------------------------------------------------
# The pointer rests on the second monitor when the show starts: its first
# move there is only recorded.
two_monitors
xrandr --listmonitors
new_layout
xdotool mousemove $((second_x + 400)) 300
start_show
import -window root "$work/root.png"
convert "$work/root.png" -crop "1280x1024+$primary" +repage "$shots/$name-primary.png"
convert "$work/root.png" -crop "1024x768+$second" +repage "$shots/$name-second.png"
c1=$(colours "$shots/$name-primary.png")
c2=$(colours "$shots/$name-second.png")
[ "$c1" -gt 200 ] && ok "the primary shows a landscape ($c1 colours)" || fail "primary: $c1 colours"
[ "$c2" -gt 200 ] && ok "the second monitor shows a landscape ($c2 colours)" || fail "second: $c2 colours"
convert "$shots/$name-primary.png" -crop 1024x768+0+0 +repage "$work/primary-part.png"
d=$(differing "$work/primary-part.png" "$shots/$name-second.png")
[ "$d" -gt 300000 ] && ok "a landscape of its own ($d of 786432 pixels differ)" || fail "second = primary? ($d differ)"
# Below the sky band (the top quarter, which scrolls) only flakes differ.
for f in alone primary; do
  convert "$shots/$name-$f.png" -crop 1280x768+0+256 +repage "$work/$f-below-sky.png"
done
d=$(differing "$work/alone-below-sky.png" "$work/primary-below-sky.png")
[ "$d" -lt 20000 ] && ok "the primary's landscape is the one-monitor one ($d of 983040 pixels differ)" ||
  fail "the primary changed: $d of 983040 pixels below the sky band differ"

# A 2-pixel move on the second monitor goes on, 3 pixels end the show.
xdotool mousemove $((second_x + 401)) 301
sleep 1
xdotool mousemove $((second_x + 402)) 302
sleep 1
kill -0 "$show" 2>/dev/null && ok "a 2-pixel move on the second monitor goes on" || fail "a 2-pixel move ended it"
xdotool mousemove $((second_x + 402)) 305
ends_within 5 && ok "a 3-pixel move on the second monitor ends the show" || fail "the 3-pixel move did not end it"
stop_show

# A key with the pointer on the second monitor.
xdotool mousemove $((second_x + 500)) 400
start_show
xdotool key --clearmodifiers a
ends_within 5 && ok "a key ends the show" || fail "a key did not end it"
stop_show

[ -e "$work/Glintmoor.EPT" ] || [ -e "$work/glintmoor.EPT" ] && fail "an error protocol was written"
echo "screenshots: $shots/$name-{alone,primary,second}.png"
[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
