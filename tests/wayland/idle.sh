#!/usr/bin/env bash
# glintmoor --idle under a headless sway (org_kde_kwin_idle): the show
# starts after the idle time and not before, input puts it off, and the
# watcher starts it again after the next idle time; SIGTERM ends the watcher
# and its show. The ext-idle-notify-v1 path against the fake compositor: it
# starts the show (a new client) once idle, again only after input; where
# neither protocol is offered, a message and status 1, and where there is
# no shell the show says so and ends with status 1.
#   idle.sh GLINTMOOR VIRTUAL_POINTER FAKE_COMPOSITOR   (inside tools/with-sway)
set -uo pipefail
glintmoor=$1
source "$(dirname "$0")/lib.sh"
start_pointer "$2"
show_runs() { pgrep -P "$watcher" > /dev/null; }

# --- sway: org_kde_kwin_idle ------------------------------------------------------
"$glintmoor" --idle 2 /s > "$tmp/out" 2>&1 &
watcher=$!
for step in $(seq 8); do pointer rel 1 0; sleep 0.5; done
check "input every half second puts the show off" not show_runs
sleep 1
check "a second after the last input it has not started" not show_runs
check "after 2 seconds without input the show starts" wait_for 20 show_runs
check "and shows" wait_for 30 output_shows HEADLESS-1 "$tmp/shot.png"
pointer rel 5 5
check "input ends the show" wait_for 15 not show_runs
check "and the watcher stays" alive "$watcher"
check "the next idle time starts it again" wait_for 20 show_runs
# Its own show, by process id: other tests may run the same program meanwhile.
show=$(pgrep -P "$watcher" | head -1)
kill -TERM "$watcher"
check "SIGTERM ends the watcher with status 0" ends_cleanly "$watcher"
check "and its show" wait_for 15 not alive "${show:-0}"

# --- the fake compositor: ext-idle-notify-v1 ----------------------------------------
"$3" glintmoor-fake > "$tmp/fake" &
fake=$!
wait_for 10 grep -q ready "$tmp/fake"
clients_are() { test "$(grep -c client "$tmp/fake")" = "$1"; }
WAYLAND_DISPLAY=glintmoor-fake "$glintmoor" --idle 1 /s > "$tmp/out" 2>&1 &
watcher=$!
check "the watcher connects" wait_for 10 clients_are 1
for step in $(seq 6); do kill -USR1 "$fake"; sleep 0.3; done
check "input puts the show off (ext-idle-notify-v1)" clients_are 1
check "once idle the show starts (ext-idle-notify-v1)" wait_for 15 clients_are 2
sleep 2
check "and not again while the seat stays idle" clients_are 2
kill -USR1 "$fake"
check "after input the next idle time starts it again" wait_for 15 clients_are 3
kill -TERM "$watcher"
check "SIGTERM ends the watcher with status 0" ends_cleanly "$watcher"

# --- a compositor that tells no idle time and has no shell ---------------------------
"$3" glintmoor-plain plain > "$tmp/plain" &
wait_for 10 grep -q ready "$tmp/plain"
status=0
WAYLAND_DISPLAY=glintmoor-plain "$glintmoor" --idle 1 /s > "$tmp/out" 2>&1 || status=$?
check "without an idle protocol --idle says so" grep -q "tells no idle time" "$tmp/out"
check "and ends with status 1" test "$status" = 1
status=0
WAYLAND_DISPLAY=glintmoor-plain "$glintmoor" /s > "$tmp/out" 2>&1 || status=$?
check "without surfaces or a shell the show says so" grep -q "compositor offers no" "$tmp/out"
check "and ends with status 1" test "$status" = 1
finish
