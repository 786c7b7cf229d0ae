#!/usr/bin/env bash
# The last line of `make test`: how many tests ran, passed and failed in the
# given build folders and which were skipped, read from each folder's
# ctest.log (the Makefile's test rules write them).
#   test-summary.sh BUILD_DIR...
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run=0 failed=0 skipped=0 names=()
for dir in "$@"; do
    log=$dir/ctest.log
    [ -f "$log" ] || continue
    # "100% tests passed, 0 tests failed out of 36": skipped tests count as passed.
    read -r total bad < <(sed -n 's/.* tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\2 \1/p' "$log" | tail -1)
    mapfile -t skips < <(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$log")
    run=$((run + ${total:-0} - ${#skips[@]}))
    failed=$((failed + ${bad:-0}))
    skipped=$((skipped + ${#skips[@]}))
    for name in "${skips[@]}"; do names+=("$dir/$name"); done
    if [ ${#skips[@]} -gt 0 ]; then
        reason=$(GLINTMOOR_BUILD_DIR=$(cd "$dir" && pwd) "$here/wine-run" --32-bit-runs)
        names+=("($reason)")
    fi
done
echo "make test: $run tests ran, $failed failed, $skipped skipped${names:+: ${names[*]}}"
