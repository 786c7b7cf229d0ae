#!/usr/bin/env bash
# Glintmoor.scr under Wine and Xvfb: /s opens a top-most window titled
# Glintmoor over the whole screen with the cursor hidden, and after the first
# recorded mouse move a key, a click or a move of 3 pixels ends the process
# promptly, moves of 2 pixels per event do not; /p and /c open no
# full-screen window; on the older family (Wine's win98 mode) the password
# stand-in decides; a "Speed" of 0 in the registry ends the show through the
# error trap with a protocol next to the program.
#   show.sh Glintmoor.scr PASSWORD.cpl PREVIEW_HOST.exe   (DISPLAY set)
set -uo pipefail
scr=$1 standin=$2 host_exe=$3
source "$(dirname "$0")/../x11/lib.sh"
wine="$here/../../tools/wine-run"
tmp=$(mktemp -d) || exit 1
settings='HKCU\Software\Glintmoor\Settings'
cleanup() {
    "$wine" reg delete "$settings" /v Speed /f >/dev/null 2>&1
    jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"
}
trap cleanup EXIT
cp "$scr" "$tmp/Glintmoor.scr"
cp "$host_exe" "$tmp/preview_host.exe"

# start_scr NAME ARGS...: runs $tmp/NAME under Wine; sets pid.
start_scr() {
    local name=$1; shift
    (cd "$tmp" && exec "$wine" "./$name" "$@") >/dev/null 2>&1 &
    pid=$!
}
# start_show [NAME]: starts the show with the pointer resting at the centre
# of the screen and waits until its window is there; sets pid and win. (Wine
# sends the first mouse move with the pointer at the centre, where Wine's
# desktop puts it, before it has seen the X pointer move.)
start_show() {
    xdotool mousemove 960 540
    start_scr "${1:-Glintmoor.scr}" /s
    win=""
    wait_for 30 window_named Glintmoor "$pid" >/dev/null && win=$(window_named Glintmoor "$pid")
    sleep 0.5  # the first move event, sent when the window appears, is recorded
}

# --- the full-screen show -------------------------------------------------------
start_show
check "/s opens a window titled Glintmoor over the whole screen" test "$(geometry "$win")" = "0 0 1920 1080"
check "it is top-most" xprop_has "$win" _NET_WM_STATE_ABOVE
check "it has no task bar button" xprop_has "$win" _NET_WM_STATE_SKIP_TASKBAR
check "the cursor is hidden" test "$(cursor_state)" = invisible
check "it shows the landscape" wait_for 60 showing
for step in 1 2 3 4 5; do xdotool mousemove $((960 + 2 * step)) $((540 + 2 * step)); sleep 0.05; done
sleep 1
check "moves of 2 pixels per event do not end it" alive "$pid"
xdotool mousemove 973 550
check "a move of 3 pixels ends it promptly" ends_cleanly "$pid"
check "the cursor shows again" test "$(cursor_state)" = visible

start_show
xdotool key a
check "a key ends it promptly" ends_cleanly "$pid"

start_show
xdotool click 1
check "a click ends it promptly" ends_cleanly "$pid"

# --- /p and /c -------------------------------------------------------------------
(cd "$tmp" && exec "$wine" ./preview_host.exe) > "$tmp/host" 2>/dev/null &
host_pid=$!
wait_for 30 test -s "$tmp/host"
hwnd=$(tr -d '\r' < "$tmp/host")
start_scr Glintmoor.scr /p "$hwnd"
sleep 3
check "/p opens no full-screen window" no_window_covers_screen Glintmoor
(cd "$tmp" && "$wine" ./preview_host.exe kids "$hwnd") > "$tmp/kids" 2>/dev/null
check "/p makes a visible child window that fills the host" \
    has_line "$tmp/kids" "child Glintmoor visible=1 child=1 152x112"
stop "$pid"
stop "$host_pid"
start_scr Glintmoor.scr /c
sleep 3
check "/c opens no full-screen window" no_window_covers_screen Glintmoor
stop "$pid"

# --- the older family: the password stand-in decides ---------------------------
# Wine reports the older family to programs named in AppDefaults with
# Version win98; a copy under its own name keeps the other tests on NT.
cp "$tmp/Glintmoor.scr" "$tmp/Glintmoor98.scr"
cp "$standin" "$tmp/password.cpl"
"$wine" reg add 'HKCU\Software\Wine\AppDefaults\Glintmoor98.scr' /v Version /d win98 /f >/dev/null 2>&1
export GLINTMOOR_PASSWORD_LOG="Z:$tmp/asked.log"
GLINTMOOR_PASSWORD_ANSWER=refuse start_show Glintmoor98.scr
xdotool key a
check "win98: the password was asked" wait_for 30 has_match "$tmp/asked.log" '^asked'
sleep 1
check "win98: a refused password keeps the show running" alive "$pid"
check "win98: the cursor stays hidden" test "$(cursor_state)" = invisible
stop "$pid"
GLINTMOOR_PASSWORD_ANSWER=accept start_show Glintmoor98.scr
xdotool key a
check "win98: a confirmed password ends the show promptly" ends_cleanly "$pid"
check "win98: the cursor shows again" test "$(cursor_state)" = visible
unset GLINTMOOR_PASSWORD_LOG

# --- "Speed" 0 in the registry ---------------------------------------------------
"$wine" reg add "$settings" /v Speed /d 0 /f >/dev/null 2>&1
start_scr Glintmoor.scr /s
check "a Speed of 0 ends the show" ends_cleanly "$pid" 60
protocol="$tmp/Glintmoor.EPT"
check "with a protocol next to the program" test -f "$protocol"
check "naming frmMain, Form_Load and error 11 Division by zero" has_lines "$protocol" \
    "$(printf '          Fehler-Nr / error :\t11 (Division by zero)')" \
    "$(printf '          Modul:\tfrmMain')" \
    "$(printf '          Prozedur / procedure:\tForm_Load')"
check "the cursor shows again" test "$(cursor_state)" = visible

finish
