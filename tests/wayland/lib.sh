# Shell helpers of the Wayland tests (sourced), over those of the X11 tests.
# They expect WAYLAND_DISPLAY and SWAYSOCK of the test's own headless sway
# (tools/with-sway).
source "$(dirname "${BASH_SOURCE[0]}")/../x11/lib.sh"

# Every test's own folder, removed at the end with the test's background
# jobs, and its own settings and protocol.
tmp=$(mktemp -d) || exit 1
chmod 700 "$tmp"
cleanup() { jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export GLINTMOOR_SETTINGS=$tmp/settings.ini GLINTMOOR_PROTOCOL_DIR=$tmp

# shot FILE [OUTPUT]: a screenshot of one output, or of the whole layout.
shot() { grim ${2:+-o "$2"} "$1" 2>/dev/null; }
# colours FILE: how many colours the picture has.
colours() { convert "$1" -format %k info:; }
# size_of FILE: "WIDTHxHEIGHT".
size_of() { identify -format %wx%h "$1"; }
# output_shows OUTPUT FILE: the output shows a picture of many colours (a
# landscape, not the empty desktop); FILE keeps it.
output_shows() { shot "$2" "$1" && [ "$(colours "$2")" -gt 100 ]; }
# rmse A B: how far the two pictures, scaled to one size, lie apart (0 to
# 1); nothing when either cannot be read.
rmse() {
    local a b
    a=$(mktemp --suffix=.png) b=$(mktemp --suffix=.png)
    convert "$1" -resize 320x240! "$a" && convert "$2" -resize 320x240! "$b" &&
        compare -metric RMSE "$a" "$b" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
    rm -f "$a" "$b"
}
# differ A B: they differ clearly (RMSE above a tenth of the range); alike
# A B: they do not. Pictures that cannot be read are neither.
differ() { local r; r=$(rmse "$1" "$2"); [ -n "$r" ] && awk "BEGIN { exit !($r > 0.1) }"; }
alike() { local r; r=$(rmse "$1" "$2"); [ -n "$r" ] && awk "BEGIN { exit !($r <= 0.1) }"; }

# A virtual pointer (virtual_pointer, a coprocess): pointer COMMAND sends
# one command and waits for its answer.
start_pointer() {
    coproc POINTER { "$1"; }
    pointer_pid=$POINTER_PID
}
pointer() {
    echo "$*" >&"${POINTER[1]}"
    local answer
    read -r -t 10 answer <&"${POINTER[0]}" && [ "$answer" = ok ]
}

# start_nested_sway: a second sway inside the test's sway, on its Wayland
# backend, with one output WL-1 of 640 x 480. Its outputs are floating
# windows of the outer sway, so that closing one's window removes that
# output (its wl_output global), which sway 1.7's headless outputs cannot
# do. Sets nested_display (for WAYLAND_DISPLAY) and nested_sock (for
# swaymsg -s).
start_nested_sway() {
    local rt=$XDG_RUNTIME_DIR as_user=()
    swaymsg -q 'for_window [app_id="wlroots"] floating enable'
    swaymsg -q 'for_window [title="wlroots - WL-1"] resize set 640 480'
    printf 'xwayland disable\n' > "$tmp/nested.conf"
    chmod 755 "$tmp" && chmod 644 "$tmp/nested.conf"
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    local before; before=$(ls "$rt"/sway-ipc.*.sock)
    env -i PATH=/usr/bin:/bin HOME="$rt" XDG_RUNTIME_DIR="$rt" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
        WLR_BACKENDS=wayland WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${as_user[@]}" \
        sway -c "$tmp/nested.conf" > "$tmp/nested.log" 2>&1 &
    nested_pid=$!
    nested_found() {
        nested_sock=$(ls "$rt"/sway-ipc.*.sock | grep -vxF "$before" | head -1)
        nested_display=$(ls "$rt" | grep -x 'wayland-[0-9]*' | grep -vx "$WAYLAND_DISPLAY" | head -1)
        [ -n "$nested_sock" ] && [ -n "$nested_display" ] && swaymsg -s "$nested_sock" -t get_outputs > /dev/null
    }
    wait_for 20 nested_found || { cat "$tmp/nested.log" >&2; return 1; }
}
