#!/usr/bin/env bash
# Glintmoor.scr /c under Wine and Xvfb: the settings dialog's controls
# against the twips table, scroll steps, tab order, mnemonics, Escape and the
# close button; what OK stores for the registry's edge cases; the about box's
# place on 640 x 480 and 1024 x 768 screens, Escape, and the home page line
# that starts a stand-in browser each time it is clicked.
#   dialogs.sh Glintmoor.scr DIALOG_PROBE.exe BROWSER_STANDIN.exe   (DISPLAY set)
# Runs in a Wine prefix of its own (its dpi, virtual desktop and browser are
# changed here), made on first use and kept.
set -uo pipefail
scr=$1 probe_exe=$2 browser_exe=$3
tests_win32=$(cd "$(dirname "$0")" && pwd)
source "$tests_win32/../x11/lib.sh"
wine="$here/../../tools/wine-run"
WINEPREFIX=$("$wine" --prefix dialogs)
export WINEPREFIX
tmp=$(mktemp -d) || exit 1
settings='HKCU\Software\Glintmoor\Settings'
config_title='Glintmoor  ---  Settings / Einstellungen...'
cleanup() {
    jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null
    "$wine" --server -k 2>/dev/null; rm -rf "$tmp"
}
trap cleanup EXIT
cp "$scr" "$tmp/Glintmoor.scr"
cp "$probe_exe" "$tmp/dialog_probe.exe"
cp "$browser_exe" "$tmp/browser.exe"
win_tmp="Z:${tmp//\//\\}"

reg() { "$wine" reg "$@" >/dev/null 2>&1; }
# desktop [WxH]: Wine's screen as a virtual desktop of that size, or the X screen.
# The setting takes effect with the next Wine session: the one that reg
# starts has its screen already.
desktop() {
    if [ -n "${1:-}" ]; then
        reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
        reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$1" /f
    else
        reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
    fi
    "$wine" --server -k 2>/dev/null; "$wine" --server -w 2>/dev/null
}
reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
reg add 'HKLM\Software\Classes\https\shell\open\command' /ve /d "\"$win_tmp\\browser.exe\" \"%1\"" /f
export GLINTMOOR_BROWSER_LOG="$win_tmp\\browser.log"
desktop

probe() { (cd "$tmp" && "$wine" ./dialog_probe.exe "$@") 2>/dev/null | tr -d '\r'; }
config_open() { probe "$config_title" >/dev/null; }
about_open() { probe "" >/dev/null; }
# value ID FIELD: a field (pos, check, x, ...) of control ID in the probe's dump.
value() { probe "$config_title" | awk -v id="$1" -v f="$2" '$1 == "ctl" && $2 == id {
    for (i = 3; i <= NF; i++) if (index($i, f "=") == 1) { sub(f "=", "", $i); print $i } }'; }
stored() { "$wine" reg query "$settings" /v "$1" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$1 == k { print $3 }'; }
# open_config: starts Glintmoor.scr /c and waits for the dialog; sets pid.
open_config() {
    (cd "$tmp" && exec "$wine" ./Glintmoor.scr "${1:-/c}") >/dev/null 2>&1 &
    pid=$!
    wait_secs 60 config_open && sleep 0.5
}
press() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
# wait_secs SECONDS COMMAND...: like wait_for, for commands that take long
# themselves (a probe starts a Windows program).
wait_secs() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.2; done
}
# activate TITLE: a click on the form's title bar (the X focus follows it).
activate() {
    local x y
    read -r x y < <(probe "$1" | awk '$1 == "form" { print $4, $5 }' | tr -d 'xy=')
    xdotool mousemove $((x + 60)) $((y + 8)) click 1
    sleep 0.5
}
# click_control ID [DX]: a click DX pixels from the control's left edge (default: its middle).
click_control() {
    local line; line=$(probe "${title:-$config_title}" | awk -v id="$1" '$1 == "form" || ($1 == "ctl" && $2 == id)')
    local cx cy x y w h
    cx=$(sed -n 's/.* cx=\(-\?[0-9]*\).*/\1/p' <<<"$line"); cy=$(sed -n 's/.* cy=\(-\?[0-9]*\).*/\1/p' <<<"$line")
    read -r x y w h < <(grep '^ctl' <<<"$line" | sed 's/.* x=\(-\?[0-9]*\) y=\(-\?[0-9]*\) w=\([0-9]*\) h=\([0-9]*\).*/\1 \2 \3 \4/')
    xdotool mousemove $((cx + x + ${2:-$((w / 2))})) $((cy + y + h / 2)) click 1
    sleep 0.4
}
fresh() { reg delete "$settings" /f; }
ended() { ends_within 20 "$pid"; }
has_all() {  # has_all KEY=VALUE...: the registry holds each
    local kv; for kv; do [ "$(stored "${kv%%=*}")" = "${kv#*=}" ] || { echo "  ${kv%%=*}=$(stored "${kv%%=*}")" >&2; return 1; }; done
}

# --- the form at 96 dpi ------------------------------------------------------------
fresh
open_config
probe "$config_title" > "$tmp/layout"
check "every control's class, style and place against the twips table" \
    python3 "$tests_win32/dialog_layout.py" "$tmp/layout"
form_style=$(awk '$1 == "form" { sub("style=", "", $2); print $2 }' "$tmp/layout")
form_ex=$(awk '$1 == "form" { sub("ex=", "", $3); print $3 }' "$tmp/layout")
check "a tool window with a caption and a close button, not sizable" \
    test $(( 0x$form_style & 0x00CF0000 )) -eq $(( 0x00C80000 )) -a $(( 0x$form_ex & 0x80 )) -eq $(( 0x80 ))
win=$(window_named "$config_title" "$pid")
check "no task bar button" wait_secs 10 xprop_has "$win" _NET_WM_STATE_SKIP_TASKBAR
check "both visible boxes checked on an empty store" test "$(value 126 check)$(value 127 check)" = 11

order=""
for _ in $(seq 13); do order+="$(probe "$config_title" focus | tr -d '\r') "; press Tab; done
check "Tab runs general speed, density, flake speed, size, clouds, objects, Date, Time, WWW, Info, Default, OK" \
    test "$order" = "101 106 110 114 118 122 126 127 130 131 132 133 101 "

click_control 106 $(( $(value 106 w) - 4 ))
check "a click on the right arrow moves the density slider by 5" test "$(value 106 pos)" = 55
click_control 106 $(( $(value 106 w) - 30 ))
check "a click in the track moves it by 20" test "$(value 106 pos)" = 75
click_control 106 4
check "the left arrow moves it back by 5" test "$(value 106 pos)" = 70

press Escape
check "Escape does nothing" config_open
press alt+d
check "Alt+D (Default) puts the sliders back to 50" test "$(value 106 pos)" = 50
press alt+F4
check "the close button's Alt+F4 closes the dialog and ends the program" ended
check "... without storing anything" not reg query "$settings"

open_config
press Return
check "Enter presses OK and ends the program" ended
check "OK on an empty store stores the defaults" \
    has_all maxFl=110 SpeedF=6 Size=6 SpeedS=0.53 SpeedO=6 Speed=5 Date=1 Time=1

# --- the registry's edge cases ----------------------------------------------------------
fresh; reg add "$settings" /v maxFl /d 23 /f; reg add "$settings" /v Snowman /d 0 /f
open_config
check "maxFl 23 shows the density slider at 2" test "$(value 106 pos)" = 2
press alt+o
check "Alt+O presses OK" ended
check "... which stores maxFl 24 and never Snowman" has_all maxFl=24 Snowman=0

fresh; reg add "$settings" /v Speed /d 20 /f; reg add "$settings" /v SpeedS /d 0.03 /f
open_config
check "Speed 20 and SpeedS 0.03 leave their sliders at 50" test "$(value 101 pos) $(value 118 pos)" = "50 50"
press Return; ended
check "... and OK stores Speed 5 and SpeedS 0.53" has_all Speed=5 SpeedS=0.53

fresh; reg add "$settings" /v maxFl /d 150 /f; reg add "$settings" /v Date /d 0 /f
open_config /c:1234
check "/c:HWND opens the dialog; Date 0 shows an empty box" test "$(value 126 check)" = 0
press alt+d
check "Default checks the boxes" test "$(value 126 check)$(value 127 check)" = 11
press alt+F4; ended
check "Default, then the close button, changes nothing in the store" has_all maxFl=150 Date=0

for end in Home:22 End:200; do
    fresh
    open_config /C
    press Tab; press "${end%%:*}"
    press Return; ended
    check "the density slider at its ${end%%:*} end stores ${end#*:}" has_all maxFl="${end#*:}"
done

# --- the home pages and the about box ------------------------------------------------
rm -f "$tmp/browser.log"
fresh
open_config
press alt+w
wait_for 20 test -s "$tmp/browser.log"
check "Alt+W opens the settings dialog's home page" has_line "$tmp/browser.log" "https://www.glintmoor.example/"
activate "$config_title"  # the browser may have taken the focus
press alt+i
check "Alt+I opens the about box" wait_secs 30 about_open
title=""
click_control 104; click_control 104
wait_for 20 test "$(count_match "$tmp/browser.log" '^https://glintmoor.example/saver$')" = 2
check "two clicks on the home page line open the browser twice" \
    test "$(count_match "$tmp/browser.log" '^https://glintmoor.example/saver$')" = 2
check "... and the box stays" about_open
activate ""  # the browser may have taken the focus
probe "" > "$tmp/about"
check "the about box is 356 x 329 without border" grep -q ' w=356 h=329 ' "$tmp/about"
check "... titled Glintmoor Screensaver, version 1.0.310" \
    test "$(grep -c -e '"Glintmoor Screensaver"$' -e '"1.0.310"$' "$tmp/about")" = 2
press Escape
check "Escape closes the about box" wait_secs 30 not about_open
check "... and the settings dialog goes on" config_open
check "... as the active window" wait_secs 10 test "$(probe "$config_title" active)" = 1
press alt+o
check "... that takes Alt+O" ended
check "... which stores the settings" has_all maxFl=110

for screen in 640x480:142,75 1024x768:334,219; do
    desktop "${screen%%:*}"
    open_config
    # Buttons pressed by their messages: keys and clicks reach a virtual
    # desktop's windows only once it has the X focus.
    probe "$config_title" click 131
    wait_secs 30 about_open
    check "on a ${screen%%:*} screen the about box stands at (${screen#*:})" \
        test "$(probe "" | awk '$1 == "form" { print $4 "," $5 }' | tr -d 'xy=')" = "${screen#*:}"
    probe "" click 108
    wait_secs 30 not about_open
    probe "$config_title" click 133
    ended
done
desktop

finish
