#!/usr/bin/env bash
# The glintmoor program under Xvfb: the full-screen show ends on a key, a
# click or a mouse move of 3 pixels, not on moves of 2 pixels; -window-id
# and XSCREENSAVER_WINDOW draw into a window of another client, survive
# input there, follow its size and end on SIGTERM; a window that is not
# there ends the program with a message; -root draws on the root;
# --window ends on a key but not on motion; SIGTERM ends each promptly; a
# "Speed" of 0 ends the show through the error trap with a protocol.
#   show.sh GLINTMOOR      (runs inside tools/with-xvfb)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d) || exit 1
cleanup() { jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export GLINTMOOR_SETTINGS=$tmp/settings.ini GLINTMOOR_PROTOCOL_DIR=$tmp

# start_show ARGS...: starts glintmoor with its output in $tmp/out; sets pid.
start_show() {
    "$glintmoor" "$@" > "$tmp/out" 2>&1 &
    pid=$!
}
# start_full_screen ARGS...: starts the show with the pointer resting at
# (500, 400) and waits until its window covers the screen.
start_full_screen() {
    xdotool mousemove 500 400
    start_show "$@"
    win=""
    wait_for 30 window_named Glintmoor "$pid" >/dev/null && win=$(window_named Glintmoor "$pid")
}
# is_white X Y / drawn X Y: the screen there is (not) pure white.
is_white() { test "$(pixel "$1" "$2")" = ffffff; }
drawn() { ! is_white "$1" "$2"; }

# --- full-screen show ---------------------------------------------------------
start_full_screen /s
check "/s opens a window titled Glintmoor over the whole screen" test "$(geometry "$win")" = "0 0 1920 1080"
check "the cursor is hidden" test "$(cursor_state)" = invisible
check "it shows the landscape" wait_for 30 showing
xdotool mousemove 501 401  # the first move event only records the position
for step in 1 2 3 4 5; do xdotool mousemove $((501 + 2 * step)) $((401 + 2 * step)); sleep 0.05; done
sleep 1
check "moves of 2 pixels per event do not end it" alive "$pid"
xdotool mousemove 514 411
check "a move of 3 pixels ends it promptly" ends_cleanly "$pid"
check "the cursor shows again" test "$(cursor_state)" = visible

start_full_screen
check "no argument opens the show too" test "$(geometry "$win")" = "0 0 1920 1080"
xdotool key a
check "a key ends it promptly" ends_cleanly "$pid"

start_full_screen /s
xdotool click 1
check "a click ends it promptly" ends_cleanly "$pid"

start_full_screen /s
check "it runs until it is told to end" alive "$pid"
kill -TERM "$pid"
check "SIGTERM ends the full-screen show promptly" ends_cleanly "$pid"

# --- -window-id and XSCREENSAVER_WINDOW ---------------------------------------
python3 "$here/xhelper.py" window 320 240 > "$tmp/host" &
host_pid=$!
wait_for 15 test -s "$tmp/host"
host=$(cat "$tmp/host")
check "the test's window starts white" is_white 160 120
start_show -window-id "$host"
check "-window-id draws into the window" wait_for 30 drawn 160 120
check "and opens no window of its own" no_window_covers_screen Glintmoor
xdotool mousemove 100 100 mousemove 200 200 key a click 1
sleep 1
check "input there does not end it" alive "$pid"
xdotool windowsize "$host" 480 360
check "it follows a resize of the window" wait_for 30 drawn 470 350
check "it runs until it is told to end" alive "$pid"
kill -TERM "$pid"
check "SIGTERM ends it promptly" ends_cleanly "$pid"
stop "$host_pid"

python3 "$here/xhelper.py" window 200 150 > "$tmp/host2" &
host_pid=$!
wait_for 15 test -s "$tmp/host2"
XSCREENSAVER_WINDOW=$(cat "$tmp/host2") start_show
check "XSCREENSAVER_WINDOW names the window to draw into" wait_for 30 drawn 100 75
check "it runs until it is told to end" alive "$pid"
kill -TERM "$pid"
check "SIGTERM ends it promptly" ends_cleanly "$pid"
stop "$host_pid"

# --- -root ---------------------------------------------------------------------
start_show -root
check "-root draws on the root window" wait_for 30 drawn 960 540
check "and opens no window of its own" no_window_covers_screen Glintmoor
check "it runs until it is told to end" alive "$pid"
kill -TERM "$pid"
check "SIGTERM ends it promptly" ends_cleanly "$pid"

python3 "$here/xhelper.py" vroot 300 200 > "$tmp/vroot" &
vroot_pid=$!
wait_for 15 test -s "$tmp/vroot"
beside=$(pixel 1000 800)
start_show -root
check "-root draws on a screen saver daemon's virtual root" wait_for 30 drawn 150 100
check "and not on the real root beside it" test "$(pixel 1000 800)" = "$beside"
check "it runs until it is told to end" alive "$pid"
kill -TERM "$pid"
check "SIGTERM ends it promptly" ends_cleanly "$pid"
stop "$vroot_pid"

# --- /p: the preview inside a host window ----------------------------------------
python3 "$here/xhelper.py" window 152 112 > "$tmp/phost" &
host_pid=$!
wait_for 15 test -s "$tmp/phost"
start_show /p "$(cat "$tmp/phost")"
check "/p draws the preview into the host window" wait_for 30 drawn 76 56
check "and fills it to the corner" wait_for 2 drawn 151 111
check "and opens no full-screen window" no_window_covers_screen Glintmoor
stop "$host_pid"
check "the preview ends with its host" ends_cleanly "$pid"

# --- --window -------------------------------------------------------------------
start_show --window
wait_for 30 window_named Glintmoor "$pid" >/dev/null && win=$(window_named Glintmoor "$pid")
read -r x y w h < <(geometry "$win")
check "--window opens a 1024 x 768 window titled Glintmoor" test "$w x $h" = "1024 x 768"
check "it shows the landscape" wait_for 30 showing
for step in 0 10 20 30; do xdotool mousemove $((x + 100 + step)) $((y + 100 + step)); sleep 0.05; done
sleep 1
check "moving the pointer over it does not end it" alive "$pid"
xdotool key q
check "a key ends it promptly" ends_cleanly "$pid"

# --- windows that are not there ---------------------------------------------------
# ends_saying SECONDS TEXT: the show ended within SECONDS, not with 0, saying TEXT.
ends_saying() {
    ends_within "$1" "$pid" || { stop "$pid"; return 1; }
    local status=0
    wait "$pid" || status=$?
    [ "$status" != 0 ] && grep -q -- "$2" "$tmp/out"
}
for args in "-window-id 0x3ffff01" "/p 67108609" "/p 0" "/P"; do
    start_show $args
    check "$args: a clear message and a non-zero exit" ends_saying "$PROMPTLY" "X window"
done
rm -f "$GLINTMOOR_SETTINGS"
XSCREENSAVER_WINDOW=zz start_show --print-config
check "a malformed XSCREENSAVER_WINDOW is reported" ends_within "$PROMPTLY" "$pid"
check "and --print-config still prints" grep -q "^maxFl=110" "$tmp/out"
check "naming the variable" grep -q "XSCREENSAVER_WINDOW" "$tmp/out"

# --- "Speed" 0: division by zero at load, through the error trap ------------------
printf '[Settings]\nSpeed=0\n' > "$GLINTMOOR_SETTINGS"
start_show /s
check "a Speed of 0 ends the show" ends_cleanly "$pid" 30
protocol=$(ls "$tmp"/*.EPT 2>/dev/null | head -1)
check "with a protocol file" test -n "$protocol"
check "naming frmMain, Form_Load and error 11 Division by zero" has_lines "${protocol:-/dev/null}" \
    "$(printf '          Fehler-Nr / error :\t11 (Division by zero)')" \
    "$(printf '          Modul:\tfrmMain')" \
    "$(printf '          Prozedur / procedure:\tForm_Load')"
check "the cursor shows again" test "$(cursor_state)" = visible

finish
