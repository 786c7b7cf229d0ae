#!/usr/bin/env bash
# Idle cost of the show's window: CPU used by a program over 30 seconds on a
# 1920 x 1080 Xvfb screen, natively and under Wine. Reads utime + stime of
# /proc/PID/stat before and after; under Wine the wineserver's share is
# reported beside the program's.
#
#   tools/bench-idle.sh [SECONDS]
#
# Programs measured (each skipped when not built):
#   probe     build/linux/backend_probe, build/windows/backend_probe.exe: the
#             backend alone: the full-screen window with its image shown
#             once, the 40 ms timer running (the default period), the event
#             loop waiting in between
#   show      build/linux/glintmoor /s, build/windows/Glintmoor.scr /s: the
#             whole show with scene and animation
# LINUX_DIR and WINDOWS_DIR choose other build folders.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
linux=${LINUX_DIR:-build/linux}
windows=${WINDOWS_DIR:-build/windows}
hz=$(getconf CLK_TCK)
settle=8  # seconds for start-up (and the scene's composition) before measuring

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The wineserver of our Wine prefix: it works in a folder named
# server-DEV-INODE after the prefix folder (other prefixes have their own).
prefix_server() {
    local prefix=${WINEPREFIX:-$(tools/wine-run --prefix)} name p
    [ -d "$prefix" ] || return 0
    name=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix"))
    for p in $(pgrep '^wineserver'); do
        [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$name" ] && echo "$p"
    done
    return 0
}
percent() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# measure NAME COMMAND...: runs the command on the display, measures it.
measure() {
    local name=$1; shift
    "$@" >/dev/null 2>&1 &
    local pid=$! server=""
    sleep "$settle"
    if ! kill -0 "$pid" 2>/dev/null; then echo "$name: ended before the measurement"; return; fi
    [[ $1 == tools/wine-run ]] && server=$(prefix_server)
    local p0 s0=0 p1 s1=0
    p0=$(cpu_ticks "$pid"); [ -n "$server" ] && s0=$(cpu_ticks "$server")
    sleep "$seconds"
    p1=$(cpu_ticks "$pid"); [ -n "$server" ] && s1=$(cpu_ticks "$server")
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
    if [ -n "$server" ]; then
        printf '%-28s %6s %% of a core (wineserver %s %%) over %s s\n' "$name" \
            "$(percent $((p1 - p0)))" "$(percent $((s1 - s0)))" "$seconds"
    else
        printf '%-28s %6s %% of a core over %s s\n' "$name" "$(percent $((p1 - p0)))" "$seconds"
    fi
}

run_all() {
    [ -x "$linux/backend_probe" ] && measure "X11 probe (window + timer)" "$linux/backend_probe"
    [ -x "$linux/glintmoor" ] && measure "X11 glintmoor /s" "$linux/glintmoor" /s
    if command -v wine >/dev/null; then
        [ -f "$windows/backend_probe.exe" ] &&
            measure "Wine probe (window + timer)" tools/wine-run "$windows/backend_probe.exe"
        [ -f "$windows/Glintmoor.scr" ] &&
            measure "Wine Glintmoor.scr /s" tools/wine-run "$windows/Glintmoor.scr" /s
    fi
    return 0
}

if [ "${1:-}" = --inner ]; then shift; seconds=${1:-30}; run_all; exit; fi
GLINTMOOR_KEEP_DISPLAY=0 exec tools/with-xvfb "$0" --inner "$seconds"
