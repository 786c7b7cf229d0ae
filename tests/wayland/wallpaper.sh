#!/usr/bin/env bash
# glintmoor --wallpaper under a headless sway with two outputs: a landscape
# on the background layer of each, which keys, clicks and motion do not end
# and a normal window covers. As swaylock-plugin starts it, with a ready
# connection in WAYLAND_SOCKET and SWAYLOCK_PLUGIN_OUTPUT_NAME naming the
# output, it covers that output alone.
#   wallpaper.sh GLINTMOOR VIRTUAL_POINTER      (inside tools/with-sway)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
swaymsg -q create_output
swaymsg -q output HEADLESS-2 resolution 800x600 position 1024 0
start_pointer "$2"
pointer extent 1824 768
check "the empty desktop shows no landscape" not output_shows HEADLESS-1 "$tmp/empty.png"

"$glintmoor" --wallpaper --seed 3 > "$tmp/out" 2>&1 &
pid=$!
check "--wallpaper shows a landscape on the first output" \
    wait_for 30 output_shows HEADLESS-1 "$tmp/one.png"
check "and on the second" wait_for 30 output_shows HEADLESS-2 "$tmp/two.png"
pointer abs 500 400
pointer rel 20 20
pointer button
pointer wheel
wtype -s 300 -k a
sleep 1
check "keys, a click, a wheel step and motion do not end it" alive "$pid"
# A normal window: another landscape, tiled over the first output.
"$glintmoor" --window --seed 7 > /dev/null 2>&1 &
window=$!
window_shows() {
    swaymsg -t get_tree | grep -q '"app_id": "glintmoor"' &&
        shot "$tmp/covered.png" HEADLESS-1 && differ "$tmp/one.png" "$tmp/covered.png"
}
check "a normal window lies above it" wait_for 30 window_shows
stop "$window"
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"

# swaylock-plugin's way: a connection made beforehand, the output named.
SWAYLOCK_PLUGIN_OUTPUT_NAME=HEADLESS-2 python3 -c '
import os, socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.pop("WAYLAND_DISPLAY")))
os.set_inheritable(s.fileno(), True)
os.environ["WAYLAND_SOCKET"] = str(s.fileno())
os.execv(sys.argv[1], sys.argv[1:])' "$glintmoor" --wallpaper > "$tmp/out" 2>&1 &
pid=$!
check "through WAYLAND_SOCKET it shows on the output named" \
    wait_for 30 output_shows HEADLESS-2 "$tmp/two.png"
check "and on no other" not output_shows HEADLESS-1 "$tmp/one.png"
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"
finish
