#!/usr/bin/env bash
# The glintmoor program under a headless sway with two outputs of different
# sizes, the second at scale 2: the show covers both with landscapes of
# their own, each at its output's size in pixels, the first output with the
# landscape --seed gives, the pointer hidden over it, and an output added
# during the show gets one; moves of 2 pixels per event do not end it, one
# of 3 does; a key, a click and a wheel step end it, each with status 0; a
# key already held when the keyboard arrives does not; SIGTERM and SIGHUP
# end it with status 0; /c opens the GTK dialog, which SIGTERM ends.
#   show.sh GLINTMOOR VIRTUAL_POINTER      (runs inside tools/with-sway)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"

swaymsg -q create_output
swaymsg -q output HEADLESS-2 resolution 1600x1200 scale 2 position 1024 0
start_pointer "$2"
pointer extent 1824 768

# start_show ARGS...: starts glintmoor with the pointer resting at $rest
# (of the layout) and waits until both outputs show it.
rest="500 400"
start_show() {
    pointer abs $rest
    "$glintmoor" "$@" > "$tmp/out" 2>&1 &
    pid=$!
    wait_for 30 output_shows HEADLESS-1 "$tmp/one.png" &&
        wait_for 30 output_shows HEADLESS-2 "$tmp/two.png"
}

# The pointer's image over the empty desktop (sway draws it into the
# output's picture), and whether it shows in a picture of the same place.
pointer abs $rest
sleep 0.5
at_pointer() { grim -g "490,390 40x40" "$1"; }
at_pointer "$tmp/cursor.png"
pixels() { convert "$1" txt:- | awk 'NR > 1 { print $1, $3 }'; }
# Its opaque pixels (black and white; the edges are blended with what lies below).
pixels "$tmp/cursor.png" | awk '$2 == "#000000" || $2 == "#FFFFFF"' > "$tmp/cursor.txt"
cursor_seen() {
    pixels "$1" | awk -v total="$(wc -l < "$tmp/cursor.txt")" \
        'NR == FNR { want[$1] = $2; next } want[$1] == $2 { same++ }
         END { exit !(same > total * 0.9) }' "$tmp/cursor.txt" -
}
check "(the pointer is seen over the desktop)" \
    test "$(wc -l < "$tmp/cursor.txt")" -gt 20
check "/s shows a landscape on both outputs" start_show --seed 5 /s
sleep 0.5
at_pointer "$tmp/at-pointer.png"
check "the pointer is hidden over the show" not cursor_seen "$tmp/at-pointer.png"
check "the scale-2 output's picture has its 1600 x 1200 pixels" \
    test "$(size_of "$tmp/two.png")" = 1600x1200
check "the two outputs show landscapes of their own" differ "$tmp/one.png" "$tmp/two.png"
"$glintmoor" --render "$tmp/seed5.png" --seed 5 --size 1024x768
"$glintmoor" --render "$tmp/seed6.png" --seed 6 --size 1024x768
check "the first output shows the landscape of --seed" alike "$tmp/one.png" "$tmp/seed5.png"
check "(which another seed does not give)" differ "$tmp/one.png" "$tmp/seed6.png"
for step in 1 2 3 4 5; do pointer rel 2 2; sleep 0.05; done
pointer rel -2 0
sleep 1
check "moves of 2 pixels per event do not end it" alive "$pid"
pointer rel 3 0
check "a move of 3 pixels ends it, with status 0" ends_cleanly "$pid"

# On the scale-2 output a move of 2 logical pixels is 4 of its pixels.
rest="1300 300"
start_show /s
for step in 1 2 3; do pointer rel 2 -2; sleep 0.05; done
sleep 1
check "moves of 2 logical pixels on the scale-2 output do not end it" alive "$pid"
pointer rel 0 3
check "one of 3 does, with status 0" ends_cleanly "$pid"
rest="500 400"

# A key pressed before the show maps is held when the keyboard arrives:
# neither that nor its release ends the show.
wtype -P a -s 8000 -p a &
held=$!
sleep 0.5
start_show /s
check "(the key is still held when the show is up)" alive "$held"
wait "$held"
sleep 1
check "a key held when the keyboard arrives, and its release, do not end it" alive "$pid"
wtype -s 300 -k a
check "a key ends it, with status 0" ends_cleanly "$pid"

start_show /s
swaymsg -q create_output
swaymsg -q output HEADLESS-3 resolution 640x480 position 2624 0
check "an output added during the show gets a landscape" \
    wait_for 30 output_shows HEADLESS-3 "$tmp/three.png"
pointer button
check "a click ends it, with status 0" ends_cleanly "$pid"

start_show /s
pointer wheel
check "a wheel step ends it, with status 0" ends_cleanly "$pid"

for sig in TERM HUP; do
    start_show /s
    kill -"$sig" "$pid"
    check "SIG$sig ends it, with status 0" ends_cleanly "$pid"
done

# /c: the GTK dialog, which GTK shows on Wayland itself.
"$glintmoor" /c > "$tmp/out" 2>&1 &
pid=$!
dialog_up() { swaymsg -t get_tree | grep -q '"name": "Glintmoor  ---  Settings'; }
check "/c opens the settings dialog on Wayland" wait_for 30 dialog_up
kill -TERM "$pid"
check "SIGTERM ends it, with status 0" ends_cleanly "$pid"
finish
