#!/usr/bin/env bash
# The Win32 backend under Wine and Xvfb, driven by backend_probe (which
# prints every event it receives): the full-screen window (title, size,
# top-most, no task bar button), its DIB image, the hidden cursor, input
# translation, the password check loaded from password.cpl, and the preview
# embedded into a host window of another process.
#   backend.sh PROBE.exe PASSWORD.cpl PREVIEW_HOST.exe   (DISPLAY set)
set -uo pipefail
probe=$1 standin=$2 host_exe=$3
source "$(dirname "$0")/../x11/lib.sh"
wine="$here/../../tools/wine-run"
tmp=$(mktemp -d) || exit 1
cleanup() { jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
cp "$probe" "$tmp/backend_probe.exe"
cp "$host_exe" "$tmp/preview_host.exe"
red=c02040  # the probe fills its image with this colour

# start_probe OUTPUT ARGS...: runs the probe in $tmp, its lines into
# OUTPUT; sets pid.
start_probe() {
    local out=$1; shift
    (cd "$tmp" && exec "$wine" ./backend_probe.exe "$@") > "$out" 2>/dev/null &
    pid=$!
}

# --- full-screen window ------------------------------------------------------
xdotool mousemove 400 300
start_probe "$tmp/full" --info
check "full-screen window shows and gets its first resize" wait_for 30 has_line "$tmp/full" "resize 1920x1080"
win=$(window_named Glintmoor "$pid")
check "a window titled Glintmoor covers the screen" test "$(geometry "$win")" = "0 0 1920 1080"
check "it is top-most" xprop_has "$win" _NET_WM_STATE_ABOVE
check "it has no task bar button" xprop_has "$win" _NET_WM_STATE_SKIP_TASKBAR
check "its DIB image reaches the screen" wait_for 10 pixel_is 10 10 "$red"
check "up to the far corner" wait_for 10 pixel_is 1919 1079 "$red"
check "the cursor is hidden" test "$(cursor_state)" = invisible
check "the timer ticks" wait_for 2 has_line "$tmp/full" timer
check "GetVersionExA answers for the NT family" test "$(count_match "$tmp/full" '^version 1 2 ')" -eq 1
check "the screen is one monitor at 96 dpi" has_line "$tmp/full" "monitor 0,0 1920x1080 dpi 96"
xdotool mousemove 402 301
check "mouse moves arrive in client coordinates" wait_for 2 has_line "$tmp/full" "move 402 301"
xdotool key a
check "a key arrives as key down and key press" \
    wait_for 2 has_lines "$tmp/full" "keydown A" "keypress 97"
xdotool key ctrl
check "a modifier key arrives as key down" wait_for 2 has_line "$tmp/full" "keydown Control"
xdotool click 3
check "the right button arrives as mouse down 2 and click" \
    wait_for 2 has_lines "$tmp/full" "mousedown 2" "click"
xdotool click --repeat 2 --delay 80 1
check "a double click arrives as double click" wait_for 2 has_line "$tmp/full" dblclick
stop "$pid"

# --- without the monitor and dpi functions of Windows 98, 2000 and 8.1 ----------
GLINTMOOR_MISSING_FUNCTIONS=EnumDisplayMonitors,GetMonitorInfoA,MonitorFromWindow,GetDpiForMonitor \
    start_probe "$tmp/one" --info
check "without them the window still covers the screen" wait_for 30 has_line "$tmp/one" "resize 1920x1080"
check "... which is its one monitor, at the screen's dpi" has_line "$tmp/one" "monitor 0,0 1920x1080 dpi 96"
stop "$pid"

# --- the older family's password check ---------------------------------------
export GLINTMOOR_PASSWORD_LOG="Z:$tmp/asked.log"
cp "$standin" "$tmp/password.cpl"
for answer in refuse:0 accept:1; do
    GLINTMOOR_PASSWORD_ANSWER=${answer%:*} start_probe "$tmp/pw" --verify
    wait_for 30 has_line "$tmp/pw" timer
    xdotool click 1
    check "password.cpl is loaded and its answer (${answer%:*}) passed on" \
        wait_for 3 has_line "$tmp/pw" "verify ${answer#*:}"
    stop "$pid"
done
check "the stand-in was asked each time" test "$(count_match "$tmp/asked.log" '^asked')" -eq 2
rm "$tmp/password.cpl"
GLINTMOOR_PASSWORD_ANSWER=refuse start_probe "$tmp/nopw" --verify
wait_for 30 has_line "$tmp/nopw" timer
xdotool click 1
check "without password.cpl the password counts as confirmed" wait_for 3 has_line "$tmp/nopw" "verify 1"
stop "$pid"
unset GLINTMOOR_PASSWORD_LOG

# --- the preview inside a host window of another process ---------------------
# (Wine does not show what a process draws into a child window of another
# process's window, so the embedding is checked from the host's side.)
(cd "$tmp" && exec "$wine" ./preview_host.exe) > "$tmp/host" 2>/dev/null &
host_pid=$!
wait_for 30 test -s "$tmp/host"
hwnd=$(tr -d '\r' < "$tmp/host")
start_probe "$tmp/preview" preview "$hwnd"
check "the preview takes the host's client size" wait_for 30 has_line "$tmp/preview" "resize 152x112"
(cd "$tmp" && "$wine" ./preview_host.exe kids "$hwnd") > "$tmp/kids" 2>/dev/null
check "it is a visible child window of the host that fills it" \
    has_line "$tmp/kids" "child Glintmoor visible=1 child=1 152x112"
check "no full-screen window opens" no_window_covers_screen Glintmoor
stop "$pid"
stop "$host_pid"

finish
