#!/usr/bin/env bash
# The real show's cost under Xvfb: glintmoor /s at 1920 x 1080 with default
# settings for 60 seconds (after the scene has been composed). Prints the
# process's CPU share (user + system time over wall time, in % of one core),
# the X server's share, and the gaps between tick starts (median, 99th
# percentile, largest) against the timer period.
#
#   tools/bench-show.sh [BUILD_DIR] [SECONDS] [WxH]     defaults: build/linux 60 1920x1080
#
# GLINTMOOR_SEED=N fixes the landscape, and with it the number of flakes and
# the clouds of the sky band, which the show's cost follows: compare two
# builds with the same seeds.
#
# To see how much of the tick gaps is the machine's other load rather than
# the show: GLINTMOOR_BENCH_NICE=N runs the show and Xvfb at that nice value,
# GLINTMOOR_BENCH_RT=1 runs the show under the real-time policy (chrt -f 10).
set -euo pipefail
build=${1:-build/linux}
seconds=${2:-60}
size=${3:-1920x1080}
settle=5

work=$(mktemp -d)
nice_level=${GLINTMOOR_BENCH_NICE:-0}
launcher="nice -n $nice_level"
[ "${GLINTMOOR_BENCH_RT:-0}" = 1 ] && launcher="chrt -f 10"
# Xvfb takes the first free display number and writes it down once it
# listens: shows measured side by side never share a server.
nice -n "$nice_level" Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
gm=
cleanup() {
  [ -n "$gm" ] && kill "$gm" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")

# Ticks of the process and of the X server so far (utime + stime).
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now() { date +%s.%N; }

DISPLAY=$display GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work \
  GLINTMOOR_TICK_LOG=$work/ticks.log $launcher "$build/glintmoor" /s &
gm=$!
sleep "$settle"
c0=$(cpu "$gm"); x0=$(cpu "$xvfb"); t0=$(now)
sleep "$seconds"
c1=$(cpu "$gm"); x1=$(cpu "$xvfb"); t1=$(now)
kill "$gm"
wait "$gm" 2>/dev/null || true
gm=

python3 - "$work/ticks.log" "$c0" "$c1" "$x0" "$x1" "$t0" "$t1" "$(getconf CLK_TCK)" "$size" <<'PY'
import sys
log, c0, c1, x0, x1, t0, t1, hz, size = sys.argv[1:]
wall = float(t1) - float(t0)
share = lambda a, b: 100.0 * (float(b) - float(a)) / int(hz) / wall
starts, durations = [], []
for line in open(log):
    s, d = line.split()
    starts.append(int(s)); durations.append(int(d))
# Only the ticks of the measured span: from the first tick after the scene.
begin = starts[0] + 5_000_000
gaps = sorted((b - a) / 1000.0 for a, b in zip(starts, starts[1:]) if a >= begin)
durs = sorted(d / 1000.0 for s, d in zip(starts, durations) if s >= begin)
pct = lambda v, p: v[min(len(v) - 1, int(p * (len(v) - 1)))]
period = 40.0
print(f"show {size}, {wall:.1f} s measured, timer period {period:.0f} ms")
print(f"glintmoor CPU: {share(c0, c1):.2f} % of one core")
print(f"Xvfb CPU:      {share(x0, x1):.2f} % of one core")
print(f"tick gaps:     {len(gaps)} gaps, median {pct(gaps, 0.5):.2f} ms, p99 {pct(gaps, 0.99):.2f} ms "
      f"(period + {pct(gaps, 0.99) - period:.2f} ms), largest {gaps[-1]:.2f} ms")
print(f"tick time:     median {pct(durs, 0.5):.3f} ms, p99 {pct(durs, 0.99):.3f} ms")
PY
