#!/usr/bin/env bash
# swaylock started during the show under a headless sway: its surface lies
# above the show and the keys go to it, not to the show; once it has gone
# and the pointer has come back to the show, a key ends it with status 0.
#   swaylock.sh GLINTMOOR VIRTUAL_POINTER     (inside tools/with-sway)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
# corner_is COLOUR: the output's top left pixel has that colour (RRGGBB).
corner_is() {
    shot "$tmp/shot.png" HEADLESS-1 &&
        [ "$(convert "$tmp/shot.png" -crop 1x1+4+4 -depth 8 txt:- |
            awk 'NR==2{print tolower(substr($3, 2, 6))}')" = "$1" ]
}

# A keyboard on the seat throughout, as on a real machine.
wtype -s 600000 &
sleep 0.5
"$glintmoor" /s > "$tmp/out" 2>&1 &
pid=$!
check "the show is up" wait_for 30 output_shows HEADLESS-1 "$tmp/show.png"
swaylock -c ff0000 > "$tmp/lock.log" 2>&1 &
lock=$!
check "swaylock's red lies above the show" wait_for 15 corner_is ff0000
wtype -s 300 -k a
wtype -s 300 -k Return
sleep 1
check "keys go to swaylock, not to the show" alive "$pid"
check "(swaylock still locks)" alive "$lock"
kill "$lock"
wait "$lock" 2>/dev/null
check "once it has gone the show is seen again" wait_for 15 not corner_is ff0000
# Input that reaches the show again gives it the keyboard back.
start_pointer "$2"
pointer rel 1 0
sleep 0.5
check "a small move does not end it" alive "$pid"
wtype -s 300 -k a
check "and a key ends it, with status 0" ends_cleanly "$pid"
finish
