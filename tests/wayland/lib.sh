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
# differ A B: the two pictures, scaled to one size, differ clearly (RMSE
# above a tenth of the range).
differ() {
    local a b rmse
    a=$(mktemp --suffix=.png) b=$(mktemp --suffix=.png)
    convert "$1" -resize 320x240! "$a" && convert "$2" -resize 320x240! "$b"
    rmse=$(compare -metric RMSE "$a" "$b" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
    rm -f "$a" "$b"
    awk "BEGIN { exit !(${rmse:-0} > 0.1) }"
}

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
