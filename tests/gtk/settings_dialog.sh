#!/usr/bin/env bash
# The real "glintmoor /c" on an X display (run under tools/with-xvfb), driven
# with xdotool: it needs a display; the dialog and the about box open (both
# are saved as screenshots); Alt+I opens the about box, two clicks on its
# home page line open the address twice (a stand-in browser registered for
# the test records it), Escape closes it, Enter stores the defaults and ends
# the program; SIGTERM, SIGINT and SIGHUP end it with status 0.
# Usage: settings_dialog.sh <path of glintmoor> <folder for the screenshots>
set -euo pipefail
glintmoor=$(readlink -f "$1")
shots=$2
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$shots" "$work/data/applications" "$work/config"
export GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

# Without a display /c says so and fails.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$glintmoor" /c 2>"$work/err" || status=$?
[ "$status" != 0 ] && grep -q "needs a display" "$work/err" || fail "no display: status $status"

# The stand-in browser: the desktop's default for http and https addresses.
printf '#!/bin/sh\necho "$1" >> %s/opened\n' "$work" > "$work/browser"
chmod +x "$work/browser"
printf '[Desktop Entry]\nType=Application\nName=Stand-in\nExec=%s %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n' \
    "$work/browser" > "$work/data/applications/standin.desktop"
printf '[Default Applications]\nx-scheme-handler/http=standin.desktop\nx-scheme-handler/https=standin.desktop\n' \
    > "$work/config/mimeapps.list"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config

# Waits (up to 20 s) until the command succeeds.
wait_for() {
    for _ in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# A window manager: it draws the frames and activates windows for xdotool.
openbox >/dev/null 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "no window manager"
# The about box: the program's visible modal window.
about_box() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$pid" --name ''); do
        xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL && echo "$id" && return 0
    done
    return 1
}

"$glintmoor" /c:5678 & pid=$!
pids+=("$pid")
wait_for xdotool search --onlyvisible --name '^Glintmoor  ---  Settings / Einstellungen\.\.\.$' ||
    fail "no settings dialog"
config=$(xdotool search --onlyvisible --name 'Settings / Einstellungen')
eval "$(xdotool getwindowgeometry --shell "$config")"
[ "$WIDTH $HEIGHT" = "396 348" ] || fail "the dialog is $WIDTH x $HEIGHT"
sleep 0.5
import -window root -crop 420x400+$((X - 12))+$((Y - 40)) "$shots/settings-dialog.png"

xdotool windowactivate --sync "$config" key alt+i
wait_for about_box || fail "Alt+I opened no about box"
about=$(about_box)
eval "$(xdotool getwindowgeometry --shell "$about")"
[ "$X $Y $WIDTH $HEIGHT" = "782 375 356 329" ] || fail "the about box at $X,$Y, $WIDTH x $HEIGHT"
sleep 0.5
import -window root -crop 380x350+770+365 "$shots/about-box.png"

# The home page line (840, 2350, 3735 x 255 twips): two clicks, two openings.
xdotool mousemove $((782 + 180)) $((375 + 165)) click 1 sleep 0.3 click 1
opened_twice() { [ "$(wc -l < "$work/opened" 2>/dev/null)" = 2 ]; }
wait_for opened_twice || fail "opened: $(cat "$work/opened" 2>/dev/null)"
[ "$(sort -u "$work/opened")" = https://glintmoor.example/saver ] || fail "opened $(cat "$work/opened")"
about_box >/dev/null || fail "the about box closed"

xdotool key Escape
wait_for eval '! about_box' || fail "Escape left the about box open"
[ ! -e "$work/settings.ini" ] || fail "stored before OK"
xdotool windowactivate --sync "$config" key Return
wait_for eval '! kill -0 $pid' || fail "Enter did not end the program"
wait "$pid" || fail "exit status $?"
expected=$'[Settings]\nSpeedF=6\nSize=6\nmaxFl=110\nSpeedS=0.53\nSpeedO=6\nSpeed=5\nDate=1\nTime=1'
[ "$(cat "$work/settings.ini")" = "$expected" ] || fail "stored: $(cat "$work/settings.ini")"

# SIGTERM, SIGINT and SIGHUP end it with status 0 and store nothing, also
# while the about box (a loop of its own) is open.
rm "$work/settings.ini"
for sig in TERM INT HUP; do
    "$glintmoor" /c & pid=$!
    pids+=("$pid")
    wait_for xdotool search --onlyvisible --pid "$pid" --name 'Settings / Einstellungen' ||
        fail "no settings dialog for SIG$sig"
    if [ "$sig" = TERM ]; then
        config=$(xdotool search --onlyvisible --pid "$pid" --name 'Settings / Einstellungen')
        xdotool windowactivate --sync "$config" key alt+i
        wait_for about_box || fail "Alt+I opened no about box"
    fi
    kill -"$sig" "$pid"
    wait_for eval '! kill -0 $pid' || fail "SIG$sig did not end the program"
    wait "$pid" || fail "SIG$sig: exit status $?"
done
[ ! -e "$work/settings.ini" ] || fail "a signal stored the settings"
echo "settings dialog checks passed; screenshots in $shots"
