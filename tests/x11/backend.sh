#!/usr/bin/env bash
# The X11 backend under Xvfb, driven by backend_probe (which prints every
# event it receives): the full-screen window, its image, the hidden cursor,
# the translation of input, the timer, the --window and -window-id targets
# and the end on SIGTERM and SIGINT.
#   backend.sh PROBE      (runs inside tools/with-xvfb)
set -uo pipefail
probe=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
red=c02040  # the probe fills its image with this colour

# --- full-screen: window, image, cursor, input ------------------------------
xdotool mousemove 400 300
"$probe" > "$tmp/full" 2>&1 &
pid=$!
check "full-screen window shows and gets its first resize" wait_for 15 has_line "$tmp/full" "resize 1920x1080"
win=$(window_named Glintmoor "$pid")
check "a window titled Glintmoor covers the screen" test "$(geometry "$win")" = "0 0 1920 1080"
check "without a window manager it is override-redirect" override_redirect "$win"
check "its image reaches the screen" wait_for 10 pixel_is 10 10 "$red"
check "its image reaches the screen at the far corner" wait_for 10 pixel_is 1919 1079 "$red"
check "the cursor is hidden over it" test "$(cursor_state)" = invisible
check "the timer ticks" wait_for 2 has_line "$tmp/full" timer
xdotool mousemove 402 301
check "motion arrives with window coordinates" wait_for 2 has_line "$tmp/full" "move 402 301"
xdotool key a
check "a key arrives as key down (virtual key) and key press (character)" \
    wait_for 2 has_lines "$tmp/full" "keydown A" "keypress 97"
xdotool key shift
check "a modifier key arrives as key down" wait_for 2 has_line "$tmp/full" "keydown Shift"
xdotool click 3
check "the right button arrives as mouse down 2 and click" \
    wait_for 2 has_lines "$tmp/full" "mousedown 2" "click"
sleep 0.6  # past the double-click time
xdotool click --repeat 2 --delay 80 1
check "two quick left clicks make a double click" wait_for 2 has_line "$tmp/full" dblclick
xdotool click 4
sleep 0.3
check "the wheel is no button" test "$(count_match "$tmp/full" '^mousedown')" -eq 2
kill -TERM "$pid"
check "SIGTERM ends it promptly" ends_within "$PROMPTLY" "$pid"
wait "$pid"; status=$?
check "and cleanly (exit status 0, status was $status)" test "$status" -eq 0
check "the cursor shows again when the show is gone" test "$(cursor_state)" = visible

# --- --window: a normal window that motion does not reach --------------------
"$probe" normal > "$tmp/normal" 2>&1 &
pid=$!
check "a normal window shows" wait_for 15 has_line "$tmp/normal" "resize 1024x768"
win=$(window_named Glintmoor "$pid")
read -r x y w h < <(geometry "$win")
check "it is 1024 x 768" test "$w x $h" = "1024 x 768"
xdotool mousemove $((x + 100)) $((y + 100)); sleep 0.1; xdotool mousemove $((x + 200)) $((y + 150))
xdotool key b
check "keys reach it" wait_for 2 has_line "$tmp/normal" "keydown B"
check "motion does not" lacks_match "$tmp/normal" '^move'
xdotool windowclose "$win"
check "closing its window ends the event loop" wait_for 2 has_line "$tmp/normal" "run ended"
check "the program ends with it" ends_cleanly "$pid"

# --- -window-id: drawing into a window of another client ---------------------
python3 "$here/xhelper.py" window 320 240 > "$tmp/host" &
host_pid=$!
wait_for 15 test -s "$tmp/host"
host=$(cat "$tmp/host")
"$probe" embed "$host" > "$tmp/embed" 2>&1 &
pid=$!
check "the foreign window's size comes as the first resize" wait_for 15 has_line "$tmp/embed" "resize 320x240"
check "the image is drawn into the foreign window" wait_for 10 pixel_is 5 5 "$red"
check "no own window is made" no_window_covers_screen Glintmoor
xdotool mousemove 100 100 key c click 1
sleep 0.3
check "input there reaches nothing" lacks_match "$tmp/embed" '^(move|keydown|mousedown|click)'
xdotool windowsize "$host" 400 300
check "a size change of the foreign window is followed" wait_for 3 has_line "$tmp/embed" "resize 400x300"
check "and the larger image is drawn" wait_for 10 pixel_is 390 290 "$red"
kill -INT "$pid"
check "SIGINT ends it promptly" ends_cleanly "$pid"

# --- the preview: our window embedded into a host window ---------------------
xdotool windowsize "$host" 152 112
"$probe" preview "$host" > "$tmp/preview" 2>&1 &
pid=$!
check "the preview takes the host's size" wait_for 15 has_line "$tmp/preview" "resize 152x112"
check "and draws inside the host" wait_for 10 pixel_is 151 111 "$red"
check "no full-screen window opens for it" no_window_covers_screen Glintmoor
stop "$host_pid"
check "it ends with its host" ends_cleanly "$pid"

# --- under a window manager: the EWMH full-screen state ------------------------
# start_wm: starts openbox (again, should the busy server turn it away); sets wm_pid.
start_wm() {
    local try
    for try in 1 2 3; do
        openbox >/dev/null 2>&1 &
        wm_pid=$!
        wait_for 10 xprop_has root '_NET_SUPPORTING_WM_CHECK(WINDOW)' && return 0
        stop "$wm_pid"
    done
    return 1
}
check "the window manager runs" start_wm
"$probe" > "$tmp/wm" 2>&1 &
pid=$!
check "the full-screen window shows under it" wait_for 15 has_line "$tmp/wm" "resize 1920x1080"
win=$(window_named Glintmoor "$pid")
check "it asks for the full-screen and above states" \
    xprop_has "$win" '_NET_WM_STATE(ATOM) = _NET_WM_STATE_FULLSCREEN, _NET_WM_STATE_ABOVE'
check "it is managed, not override-redirect" not override_redirect "$win"
check "it covers the screen" test "$(geometry "$win")" = "0 0 1920 1080"
xdotool key a
check "keys reach it" wait_for 2 has_line "$tmp/wm" "keydown A"
stop "$pid"
stop "$wm_pid"

finish
