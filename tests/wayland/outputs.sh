#!/usr/bin/env bash
# Outputs that come and go during the show, in a sway nested inside the
# test's sway (its outputs are windows that can be closed): a new output
# gets a landscape of its own while the others' pictures stay as they were
# (a rebuilt primary would show another landscape, drawn further on in the
# show's random numbers); a removed one is dropped and the show goes on on
# the rest (also when the first output goes), and still ends on a key with
# status 0.
#   outputs.sh GLINTMOOR      (runs inside tools/with-sway)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"

start_nested_sway || { fail "the nested sway starts"; finish; }
# add_output NAME WIDTH HEIGHT: a new output of the nested sway, its
# window's size set by the outer sway (which the nested output then takes).
add_output() {
    swaymsg -q -s "$nested_sock" create_output
    wait_for 10 swaymsg -q "[title=\"wlroots - $1\"] resize set $2 $3"
    wait_for 10 settled
}
# same_ground A B: two pictures of one output show the same landscape: its
# lower half (the sky above moves, the flakes are small) differs little.
same_ground() {
    convert "$1" -gravity south -crop 100%x50%+0+0 +repage "$tmp/a.png" &&
        convert "$2" -gravity south -crop 100%x50%+0+0 +repage "$tmp/b.png" &&
        alike "$tmp/a.png" "$tmp/b.png"
}
# settled: the nested outputs' sizes stay for half a second.
layout() { swaymsg -s "$nested_sock" -t get_outputs | grep -A2 '"rect"'; }
settled() {
    local before; before=$(layout)
    sleep 0.5
    [ "$(layout)" = "$before" ]
}
add_output WL-2 480 360
export WAYLAND_DISPLAY=$nested_display
"$glintmoor" /s > "$tmp/out" 2>&1 &
pid=$!
check "the show covers both outputs" wait_for 30 output_shows WL-1 "$tmp/one.png" &&
    wait_for 30 output_shows WL-2 "$tmp/two.png"
sleep 3
shot "$tmp/one.png" WL-1 && shot "$tmp/two.png" WL-2

add_output WL-3 400 300
check "an output added during the show gets a landscape" \
    wait_for 30 output_shows WL-3 "$tmp/three.png"
sleep 3
shot "$tmp/one-after.png" WL-1 && shot "$tmp/two-after.png" WL-2 && shot "$tmp/three.png" WL-3
check "(one of its own)" differ "$tmp/three.png" "$tmp/two.png"
check "the first output's picture stays as it was" same_ground "$tmp/one.png" "$tmp/one-after.png"
check "so does the second's" same_ground "$tmp/two.png" "$tmp/two-after.png"

# The outer sway closes WL-2's window: the nested sway removes the output.
WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/nothing swaymsg -q '[title="wlroots - WL-2"] kill'
gone() { ! swaymsg -s "$nested_sock" -t get_outputs | grep -q '"WL-2"'; }
check "(WL-2 is removed)" wait_for 10 gone
sleep 2
check "the show goes on when an output goes" alive "$pid"
shot "$tmp/one-after.png" WL-1 && shot "$tmp/three-after.png" WL-3
check "the first output's picture stays as it was" same_ground "$tmp/one.png" "$tmp/one-after.png"
check "so does the third's" same_ground "$tmp/three.png" "$tmp/three-after.png"
# The first output goes: the show goes on, its landscapes composed anew.
WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/nothing swaymsg -q '[title="wlroots - WL-1"] kill'
sleep 2
check "the show goes on when the first output goes" alive "$pid"
check "(and shows on the output left)" wait_for 30 output_shows WL-3 "$tmp/three.png"
wtype -s 300 -k a
check "a key ends it, with status 0" ends_cleanly "$pid"
check "nothing on standard error" test ! -s "$tmp/out"
cat "$tmp/out" >&2
finish
