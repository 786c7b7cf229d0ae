# Shell helpers of the Xvfb and Wine tests (sourced). They expect DISPLAY to
# name the test's own X server.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# A busy X server may turn a new client away for a moment (EAGAIN on its
# socket), so the X tools are tried a few times before a failure counts.
retry_x() {
    local i
    for i in 1 2 3 4 5; do "$@" && return 0; sleep 0.05; done
    return 1
}
xdotool() { retry_x command xdotool "$@"; }
xwininfo() { retry_x command xwininfo "$@"; }
xprop() { retry_x command xprop "$@"; }
xdpyinfo() { retry_x command xdpyinfo "$@"; }
import() { retry_x command import "$@"; }
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() {  # check DESCRIPTION COMMAND...: the command must succeed
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
    [ "$failures" -eq 0 ] && { echo "all checks passed"; exit 0; }
    echo "$failures check(s) failed" >&2
    exit 1
}

# wait_for TIMEOUT COMMAND...: polls every 0.1 s until the command succeeds.
wait_for() {
    local tries; tries=$(awk "BEGIN { print int($1 * 10) }"); shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
not() { ! "$@"; }
alive() { kill -0 "$1" 2>/dev/null; }
dead() { ! alive "$1"; }
# ends_within SECONDS PID: the process is gone within that time.
ends_within() { wait_for "$1" dead "$2"; }
# What these tests check is that input or a signal ends a program promptly,
# not within a set time: a loaded two-core machine may hold any process back
# for seconds. ends_cleanly PID [SECONDS]: the process, a child of this
# shell, ends within SECONDS (PROMPTLY) with exit status 0 (a crash while
# ending fails).
PROMPTLY=${GLINTMOOR_PROMPTLY:-15}
ends_cleanly() {
    ends_within "${2:-$PROMPTLY}" "$1" || return 1
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || { echo "exit status $status" >&2; return 1; }
}
# has_line FILE TEXT: the file has a line that is exactly TEXT (a line end
# of CR LF, as Windows programs write, counts as LF).
has_line() { [ -f "$1" ] && tr -d '\r' < "$1" | grep -qxF -- "$2"; }
# has_lines FILE TEXT...: the file has each of these lines.
has_lines() {
    local file=$1; shift
    for text; do has_line "$file" "$text" || return 1; done
}

# lacks_match FILE REGEX: no line of the file matches the extended regex.
lacks_match() { ! tr -d '\r' < "$1" | grep -qE -- "$2"; }
# has_match FILE REGEX: the file exists and a line matches the extended regex.
has_match() { [ -f "$1" ] && tr -d '\r' < "$1" | grep -qE -- "$2"; }
# count_match FILE REGEX: how many lines match.
count_match() { tr -d '\r' < "$1" | grep -cE -- "$2"; }

# window_named NAME [PID]: the id of the first viewable window titled exactly
# NAME (and owned by process PID: a window of a program that has just ended
# may still be there, under the same id as the next program's).
window_named() {
    local w
    for w in $(xdotool search --onlyvisible ${2:+--pid "$2"} --name "^$1\$" 2>/dev/null); do
        echo "$w"; return 0
    done
    return 1
}
# geometry WINDOW: "X Y WIDTH HEIGHT" of the window on the root.
geometry() {
    [ -n "$1" ] || return 1  # xwininfo without an id would wait for a click
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^ *Width:/{w=$NF} /^ *Height:/{h=$NF} END{print x, y, w, h}'
}
# pixel X Y: the screen's colour there as RRGGBB.
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | awk 'NR==2{print tolower(substr($3, 2, 6))}'
}
# pixel_is X Y RRGGBB: the screen has that colour there (read anew at every
# call, so that wait_for retries it).
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
# showing: the screen shows a picture of many colours (a landscape, not an
# empty window), so the program is up and drawing.
showing() { [ "$(import -window root png:- | convert - -format %k info:)" -gt 100 ]; }
screen_size() { xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2 }'; }
# no_window_covers_screen NAME: no window titled exactly NAME has the screen's size.
no_window_covers_screen() {
    local w size; size=$(screen_size)
    for w in $(xdotool search --name "^$1\$" 2>/dev/null); do
        [ "$(geometry "$w" | cut -d' ' -f3-)" = "$size" ] && return 1
    done
    return 0
}
override_redirect() { xwininfo -id "$1" | grep -q 'Override Redirect State: yes'; }
cursor_state() { python3 "$here/xhelper.py" cursor; }
# xprop_has WINDOW TEXT: the window's properties (WINDOW "root": the root
# window's) mention TEXT.
xprop_has() {
    if [ "$1" = root ]; then xprop -root; else xprop -id "$1"; fi | grep -qF -- "$2"
}
# stop PID: ends a process the test started, if it still runs.
stop() { alive "$1" && kill "$1" 2>/dev/null; wait "$1" 2>/dev/null || true; }
