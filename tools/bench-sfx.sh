#!/usr/bin/env bash
# Benchmarks of sfxstub, side by side in one run on the same data:
#
#  1. sfx_bench (Google Benchmark): inflate through the stub's fill input /
#     flush output with its CRC against zlib's inflate + crc32 on the same
#     streams; CRC-32 against zlib's crc32; decryption; inflate with
#     decryption.
#  2. A whole extraction by the stub against unzip (Info-ZIP) into the same
#     kind of folder: the stub with its buffers (32 KiB in, one window out)
#     and with the classic 2048-byte buffers (sfxstub_2k).
#  3. Encryption, one extraction each, side by side: the package plain,
#     traditionally encrypted (zip -P), and encrypted with AES-256 by mksfx
#     (AE-2), each unpacked by the stub, beside 7-Zip (7z x) unpacking the
#     AES-256 package.
#
# The package: about 64 MB of mixed text (C headers, documentation) and
# binaries (shared libraries, programs) taken from this system, zipped with
# Info-ZIP at -6, plainly and with a password.
#
#   tools/bench-sfx.sh [BUILD_DIR]     (default build/linux)
# Environment: RUNS (default 5) timed runs per extraction variant;
# TARGET_BASE: where the extractions go (default: the work folder; e.g.
# /dev/shm takes the disk out of the comparison); SFX_BENCH_WORK: a work
# folder to keep and reuse (the package is made once); KEEP_WORK=1 keeps a
# fresh work folder; BEFORE_STUB: a stub built from an earlier commit,
# timed in the same runs (before / after a change); SKIP_HOT_PATHS=1 leaves
# out part 1, SKIP_EXTRACTION=1 part 2.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build/linux}
RUNS=${RUNS:-5}
if [ -n "${SFX_BENCH_WORK:-}" ]; then  # reuse a package made before
  WORK=$SFX_BENCH_WORK
  mkdir -p "$WORK"
else
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/sfx-bench.XXXXXX")
  [ "${KEEP_WORK:-0}" = 1 ] || trap 'rm -rf "$WORK"' EXIT
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DGLINTMOOR_BENCH=ON >/dev/null
cmake --build "$BUILD" --target sfxstub sfxstub_2k mksfx sfx_bench -j"${JOBS:-2}" >/dev/null

# --- the package ---------------------------------------------------------------
PKG=$WORK/pkg
if [ ! -f "$WORK/package-enc.zip" ]; then
  rm -rf "$PKG"
  python3 - "$PKG" <<'PYEOF'
import os, shutil, sys
pkg = sys.argv[1]
def take(dest, limit, roots, accept):
    """Copies files of the roots (in sorted order) until `limit` bytes."""
    total = 0
    for root in roots:
        for folder, dirs, files in sorted(os.walk(root)):
            dirs.sort()
            for name in sorted(files):
                src = os.path.join(folder, name)
                if os.path.islink(src) or not os.path.isfile(src) or not accept(name):
                    continue
                size = os.path.getsize(src)
                if total + size > limit:
                    continue
                dst = os.path.join(pkg, dest, os.path.relpath(src, "/"))
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                shutil.copyfile(src, dst)
                total += size
                if total > limit * 0.99:
                    return
take("text", 24_000_000, ["/usr/include"], lambda n: n.endswith(".h"))
take("doc", 8_000_000, ["/usr/share/doc", "/usr/share/man"], lambda n: True)
take("lib", 24_000_000, ["/usr/lib/x86_64-linux-gnu"], lambda n: ".so" in n)
take("bin", 8_000_000, ["/usr/bin"], lambda n: True)
PYEOF
  (cd "$PKG" && zip -q -r -6 "$WORK/package.zip" .)
  (cd "$PKG" && zip -q -r -6 -P bench "$WORK/package-enc.zip" .)
fi
pkg_bytes=$(du -sb "$PKG" | cut -f1)
files=$(find "$PKG" -type f | wc -l)
echo "package: $files files, $pkg_bytes bytes; package.zip $(stat -c %s "$WORK/package.zip") bytes"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load $(cut -d' ' -f1-3 /proc/loadavg)"

# --- 1. hot paths against zlib ------------------------------------------------
if [ "${SKIP_HOT_PATHS:-0}" != 1 ]; then
  GM_SFX_BENCH_ZIP=$WORK/package.zip GM_SFX_BENCH_ZIP_ENCRYPTED=$WORK/package-enc.zip \
  GM_SFX_BENCH_PASSWORD=bench \
    "$BUILD/sfx_bench" --benchmark_repetitions="$RUNS" --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.5
fi

# --- 2. whole extraction -----------------------------------------------------------
"$BUILD/mksfx" --stub "$BUILD/sfxstub" --zip "$WORK/package.zip" --command true -o "$WORK/setup.run"
"$BUILD/mksfx" --stub "$BUILD/sfxstub_2k" --zip "$WORK/package.zip" --command true -o "$WORK/setup2k.run"
"$BUILD/mksfx" --stub "$BUILD/sfxstub" --zip "$WORK/package.zip" -o "$WORK/keep.run"
"$BUILD/mksfx" --stub "$BUILD/sfxstub_2k" --zip "$WORK/package.zip" -o "$WORK/keep2k.run"
rm -f "$WORK/setup-before.run" "$WORK/keep-before.run"
if [ -n "${BEFORE_STUB:-}" ]; then
  "$BUILD/mksfx" --stub "$BEFORE_STUB" --zip "$WORK/package.zip" --command true -o "$WORK/setup-before.run"
  "$BUILD/mksfx" --stub "$BEFORE_STUB" --zip "$WORK/package.zip" -o "$WORK/keep-before.run"
fi

printf 'bench\n' >"$WORK/password"
"$BUILD/mksfx" --stub "$BUILD/sfxstub" --zip "$WORK/package.zip" --password-file "$WORK/password" \
  -o "$WORK/keep-aes.run"
"$BUILD/mksfx" --stub "$BUILD/sfxstub" --zip "$WORK/package-enc.zip" -o "$WORK/keep-enc.run" 2>/dev/null

python3 - "$WORK" "$RUNS" "${TARGET_BASE:-$WORK/target}" "${SKIP_EXTRACTION:-0}" <<'EOF'
import os, shutil, statistics, subprocess, sys, time
work, runs, target, skip_extraction = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4] == "1"

def timed(cmd, env=None, password=None):
    """Wall-clock, user and system seconds of one run (children included);
    the password, when given, is typed at the stub's prompt."""
    os.makedirs(target, exist_ok=True)
    start = time.perf_counter()
    p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         stdin=subprocess.PIPE if password else subprocess.DEVNULL)
    if password:
        p.stdin.write(password.encode() + b"\n")
        p.stdin.close()
    _, _, usage = os.wait4(p.pid, 0)
    return time.perf_counter() - start, usage.ru_utime, usage.ru_stime

def stub(name, password=None):
    env = dict(os.environ, TMP=target)
    return lambda: timed([os.path.join(work, name), "-auto"], env, password)

def clean():
    shutil.rmtree(target, ignore_errors=True)

def compare(title, variants):
    """Runs the variants interleaved, `runs` times each, and prints them."""
    results = {name: [] for name, _ in variants}
    for name, run in variants:  # warm the page cache
        run(); clean()
    for _ in range(runs):  # interleaved, so that load changes hit all variants alike
        for name, run in variants:
            results[name].append(run())
            clean()
    print("\n%s into %s, %d runs each, seconds, best / median:" % (title, target, runs))
    print("  %-44s %15s  %15s  %15s" % ("", "wall", "user", "system"))
    for name, _ in variants:
        cols = []
        for k in range(3):
            v = [r[k] for r in results[name]]
            cols.append("%6.3f / %6.3f" % (min(v), statistics.median(v)))
        print("  %-44s %s  %s  %s" % (name, cols[0], cols[1], cols[2]))

compare("encryption: one package plain, traditional, AES-256", [
    ("sfxstub, plain (extract)", stub("keep.run")),
    ("sfxstub, traditional encryption (extract)", stub("keep-enc.run", "bench")),
    ("sfxstub, AES-256 AE-2 (extract)", stub("keep-aes.run", "bench")),
    ("7z x, the AES-256 package", lambda: timed(["7z", "x", "-y", "-pbench", "-o" + target + "/7z",
                                                 os.path.join(work, "keep-aes.run")])),
])
if skip_extraction:
    sys.exit(0)

variants = [
    # Extraction only: the stub without a command keeps its files (string 18).
    ("unzip -q (extract)", lambda: timed(["unzip", "-q", "-o", os.path.join(work, "package.zip"),
                                          "-d", os.path.join(target, "unzip")])),
    ("sfxstub (extract)", stub("keep.run")),
    ("sfxstub 2048-byte buffers (extract)", stub("keep2k.run")),
    # The stub's whole session: extract, run "true", delete the folder;
    # unzip followed by rm -r for the same work.
    ("unzip -q + rm -r", lambda: timed(["sh", "-c", "unzip -q -o '%s' -d '%s/u' && rm -r '%s/u'"
                                        % (os.path.join(work, "package.zip"), target, target)])),
    ("sfxstub session (extract, run, clean up)", stub("setup.run")),
    ("sfxstub 2048-byte buffers session", stub("setup2k.run")),
]
if os.path.exists(os.path.join(work, "keep-before.run")):  # BEFORE_STUB
    variants[2:2] = [("sfxstub BEFORE (extract)", stub("keep-before.run"))]
    variants.append(("sfxstub BEFORE session", stub("setup-before.run")))
compare("whole extraction", variants)

# System calls of one extraction each (strace -c), when strace is there.
if shutil.which("strace"):
    print("\nsystem calls of one extraction (strace -f -c): calls / seconds")
    for name, cmd, env in [
            ("unzip -q", ["unzip", "-q", "-o", os.path.join(work, "package.zip"), "-d",
                          os.path.join(target, "u")], None),
            ("sfxstub", [os.path.join(work, "keep.run"), "-auto"], dict(os.environ, TMP=target)),
            ("sfxstub 2048-byte buffers", [os.path.join(work, "keep2k.run"), "-auto"],
             dict(os.environ, TMP=target))]:
        os.makedirs(target, exist_ok=True)
        out = os.path.join(work, "strace.txt")
        subprocess.run(["strace", "-f", "-c", "-o", out] + cmd, env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        clean()
        lines = open(out).read().splitlines()
        total = [l for l in lines if l.strip().endswith("total")][0].split()
        calls = {l.split()[-1]: l.split()[3] for l in lines[2:-2] if len(l.split()) >= 5}
        print("  %-28s %7s / %s   (read %s, write %s, openat %s, newfstatat %s)" % (
            name, total[3], total[1],
            calls.get("read", "0"), calls.get("write", "0"), calls.get("openat", "0"),
            calls.get("newfstatat", "0")))
EOF
