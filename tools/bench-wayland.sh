#!/usr/bin/env bash
# The Wayland show beside the X11 show, in one run: glintmoor /s with the
# same seed at the same size on a headless sway output (tools/with-sway) and
# on an Xvfb screen, both running at once for SECONDS after their scenes are
# composed. Prints each client's CPU share (user + system time over wall
# time, in % of one core) and its display server's share beside it.
#
#   tools/bench-wayland.sh [BUILD_DIR] [SECONDS] [WxH]   defaults: build/linux 60 1920x1080
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
seconds=${2:-60}
size=${3:-1920x1080}
if [ -z "${SWAYSOCK:-}" ]; then
  exec "$(dirname "$0")/with-sway" "$0" "$build" "$seconds" "$size"
fi
settle=10
work=$(mktemp -d)
swaymsg -q output HEADLESS-1 resolution "$size" position 0 0
# Xvfb takes the first free display number and writes it down once it
# listens: shows measured side by side never share a server.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
pids=()
cleanup() {
  # The shows first: the X11 one would report its server's end.
  [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null && wait "${pids[@]}" 2>/dev/null
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")

cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
export GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work
"$build/glintmoor" --wayland --seed 1 /s &
wl=$!
DISPLAY=$display "$build/glintmoor" --x11 --seed 1 /s &
x=$!
pids=("$wl" "$x")
sway=$(pgrep -x sway -n)
sleep "$settle"
start=("$(cpu "$wl")" "$(cpu "$sway")" "$(cpu "$x")" "$(cpu "$xvfb")")
t0=$(date +%s.%N)
sleep "$seconds"
end=("$(cpu "$wl")" "$(cpu "$sway")" "$(cpu "$x")" "$(cpu "$xvfb")")
t1=$(date +%s.%N)
python3 - "$size" "$t0" "$t1" "$(getconf CLK_TCK)" "${start[@]}" "${end[@]}" <<'PY'
import sys
size, t0, t1, hz, *ticks = sys.argv[1:]
wall = float(t1) - float(t0)
start, end = ticks[:4], ticks[4:]
share = [100.0 * (int(b) - int(a)) / int(hz) / wall for a, b in zip(start, end)]
print(f"show {size}, seed 1, {wall:.1f} s measured, both at once")
print(f"Wayland: glintmoor {share[0]:5.2f} %   sway (pixman) {share[1]:5.2f} %   of one core")
print(f"X11:     glintmoor {share[2]:5.2f} %   Xvfb          {share[3]:5.2f} %   of one core")
PY
