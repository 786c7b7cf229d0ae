#!/usr/bin/env bash
# glintmoor under weston's headless backend, which has no layer shell: the
# show runs as a full-screen xdg_toplevel, which covers weston's desktop,
# with a one-line note of what that cannot cover; --window opens a toplevel
# that covers part of it; --wallpaper, which needs the layer shell, says so
# and ends with status 1. SIGTERM ends the show with status 0.
#   weston.sh GLINTMOOR
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
export XDG_RUNTIME_DIR=$tmp WAYLAND_DISPLAY=glintmoor-weston
unset DISPLAY
# --debug offers weston-screenshooter (pixman: the headless default draws
# nothing); it writes its pictures into the
# current folder.
cd "$tmp"
weston --backend=headless-backend.so --use-pixman --socket=glintmoor-weston --width=800 --height=600 \
    --debug --idle-time=0 > "$tmp/weston.log" 2>&1 &
wait_for 20 test -S "$tmp/glintmoor-weston"
# desktop_share FILE: the share (0 to 1) of weston's screen that still
# shows its desktop (the colours of weston's own screenshot before).
desktop_share() {
    rm -f wayland-screenshot-*.png
    timeout 10 weston-screenshooter > /dev/null 2>&1 || return 1
    compare -metric AE -fuzz 2% "$desktop" wayland-screenshot-*.png null: 2>&1 |
        awk '{ printf "%.3f\n", 1 - $1 / (800 * 600) }'
}
covered() { awk "BEGIN { exit !($(desktop_share) < 0.01) }"; }
partly_covered() {
    local share; share=$(desktop_share)
    awk "BEGIN { exit !($share > 0.05 && $share < 0.95) }"
}
# The desktop shell draws its background and panel a while after the socket
# appears (long on a busy machine): the reference is the first screenshot
# with more than one colour that the next one repeats.
desktop=$tmp/desktop.png
desktop_drawn() {
    rm -f wayland-screenshot-*.png
    timeout 10 weston-screenshooter > /dev/null 2>&1 || return 1
    local shot; shot=$(echo wayland-screenshot-*.png)
    [ "$(identify -format %k "$shot")" -gt 1 ] || return 1
    if [ -f "$desktop" ] && [ "$(compare -metric AE "$desktop" "$shot" null: 2>&1)" = 0 ]; then
        return 0
    fi
    mv "$shot" "$desktop"
    return 1
}
check "weston draws its desktop" wait_for 60 desktop_drawn

"$glintmoor" /s > "$tmp/out" 2>&1 &
pid=$!
check "the show covers weston's whole screen" wait_for 30 covered
check "with one line on standard error about the missing layer shell" \
    test "$(grep -c 'no layer shell' "$tmp/out")" = 1
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"

"$glintmoor" --window > "$tmp/out" 2>&1 &
pid=$!
check "--window opens a window over part of it" wait_for 30 partly_covered
check "without a note" not grep -q 'layer shell' "$tmp/out"
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"

status=0
"$glintmoor" --wallpaper > "$tmp/out" 2>&1 || status=$?
check "--wallpaper says it needs the layer shell" grep -q 'needs the layer shell' "$tmp/out"
check "and ends with status 1" test "$status" = 1
finish
