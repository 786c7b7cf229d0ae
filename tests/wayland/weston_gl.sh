#!/usr/bin/env bash
# glintmoor under weston's GL renderer (Mesa's llvmpipe, on the CPU), which
# copies a committed buffer into a texture and releases it at once: after a
# few frames the show commits its own picture instead of copies of it, and
# weston still shows the landscape of --seed. SIGTERM ends it with status 0.
#   weston_gl.sh GLINTMOOR
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
export XDG_RUNTIME_DIR=$tmp WAYLAND_DISPLAY=glintmoor-weston-gl
unset DISPLAY
cd "$tmp"
weston --backend=headless-backend.so --use-gl --socket="$WAYLAND_DISPLAY" --width=800 --height=600 \
    --debug --idle-time=0 > "$tmp/weston.log" 2>&1 &
wait_for 20 test -S "$tmp/$WAYLAND_DISPLAY"

WAYLAND_DEBUG=client "$glintmoor" --seed 5 /s 2> "$tmp/protocol" &
pid=$!
# The buffers the show attached, numbered in the order it made them: the
# two it copies into come first, its picture's buffer third.
attached() {
    awk 'match($0, /wl_buffer@[0-9]+/) { id = substr($0, RSTART, RLENGTH) }
         /create_buffer\(new id/ { order[id] = ++made }
         /attach\(wl_buffer@/ { print order[id] }' "$tmp/protocol"
}
straight_from_picture() { [ "$(attached | tail -n 20 | sort -u)" = 3 ]; }
check "after a few frames every commit is the show's own picture" wait_for 30 straight_from_picture
shows_seed() {
    rm -f wayland-screenshot-*.png
    timeout 10 weston-screenshooter > /dev/null 2>&1 || return 1
    alike wayland-screenshot-*.png "$tmp/seed5.png"
}
"$glintmoor" --render "$tmp/seed5.png" --seed 5 --size 800x600
check "weston shows the landscape of --seed" wait_for 10 shows_seed
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"
finish
