#!/usr/bin/env bash
# The Wayland show beside the X11 show, in one run: glintmoor /s with the
# same seed at the same size under a headless Wayland compositor and on an
# Xvfb screen, both running at once for SECONDS after their scenes are
# composed. Prints each client's CPU share (user + system time over wall
# time, in % of one core) and its display server's share beside it.
#
#   tools/bench-wayland.sh [BUILD_DIR] [SECONDS] [WxH] [COMPOSITOR]
#     defaults: build/linux 60 1920x1080 sway
#
# COMPOSITOR: sway (tools/with-sway: its CPU renderer reads the buffer it
# has until the next commit, so the show copies into a second one) or
# weston-gl (weston's headless backend with its GL renderer on llvmpipe,
# which copies what it is given, as GPU compositors do: the show commits
# its own picture).
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
seconds=${2:-60}
size=${3:-1920x1080}
compositor=${4:-sway}
if [ "$compositor" = sway ] && [ -z "${SWAYSOCK:-}" ]; then
  exec "$(dirname "$0")/with-sway" "$0" "$build" "$seconds" "$size" sway
fi
settle=10
work=$(mktemp -d)
case $compositor in
  sway)
    swaymsg -q output HEADLESS-1 resolution "$size" position 0 0
    server="sway (pixman)" ;;
  weston-gl)
    export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=bench-weston
    weston --backend=headless-backend.so --use-gl --socket=$WAYLAND_DISPLAY \
      --width="${size%x*}" --height="${size#*x}" --idle-time=0 >/dev/null 2>&1 &
    weston=$!
    for _ in $(seq 100); do [ -S "$work/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
    server="weston (GL)" ;;
  *) echo "bench-wayland: no compositor $compositor (sway, weston-gl)" >&2; exit 2 ;;
esac
# Xvfb takes the first free display number and writes it down once it
# listens: shows measured side by side never share a server.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
pids=()
cleanup() {
  # The shows first: the X11 one would report its server's end.
  [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null && wait "${pids[@]}" 2>/dev/null
  kill "$xvfb" ${weston:-} 2>/dev/null || true
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
server_pid=${weston:-$(pgrep -x sway -n)}
sleep "$settle"
start=("$(cpu "$wl")" "$(cpu "$server_pid")" "$(cpu "$x")" "$(cpu "$xvfb")")
t0=$(date +%s.%N)
sleep "$seconds"
end=("$(cpu "$wl")" "$(cpu "$server_pid")" "$(cpu "$x")" "$(cpu "$xvfb")")
t1=$(date +%s.%N)
python3 - "$size" "$server" "$t0" "$t1" "$(getconf CLK_TCK)" "${start[@]}" "${end[@]}" <<'PY'
import sys
size, server, t0, t1, hz, *ticks = sys.argv[1:]
wall = float(t1) - float(t0)
start, end = ticks[:4], ticks[4:]
share = [100.0 * (int(b) - int(a)) / int(hz) / wall for a, b in zip(start, end)]
print(f"show {size}, seed 1, {wall:.1f} s measured, both at once")
print(f"Wayland: glintmoor {share[0]:5.2f} %   {server:14} {share[1]:5.2f} %   of one core")
print(f"X11:     glintmoor {share[2]:5.2f} %   {'Xvfb':14} {share[3]:5.2f} %   of one core")
PY
