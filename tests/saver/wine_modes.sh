#!/usr/bin/env bash
# Glintmoor.scr under Wine in the modes that open no window, and the show's
# error path at load: checks what the program read from the registry or the
# settings file and the protocol file it wrote, not only its exit code.
# Usage: wine_modes.sh <path of Glintmoor.scr>
set -euo pipefail
scr=$(readlink -f "$1")
wine_run=$(cd "$(dirname "$0")/../../tools" && pwd)/wine-run
work=$(mktemp -d)
key='HKCU\Software\Glintmoor'

reg_clear() { "$wine_run" reg delete "$key" /f >/dev/null 2>&1 || true; }
reg_set() { "$wine_run" reg add "$key\\Settings" /v "$1" /d "$2" /f >/dev/null; }
trap 'rm -rf "$work"; reg_clear' EXIT

cp "$scr" "$work/Glintmoor.scr"
cd "$work"
protocol=$work/Glintmoor.EPT
# The folder as Windows sees it through Wine's drive Z:.
winwork="Z:${work//\//\\}"

fail() { echo "FAIL: $*" >&2; [ -f "$protocol" ] && cat "$protocol" >&2; exit 1; }
run() {
    local status=0
    timeout 120 "$wine_run" ./Glintmoor.scr "$@" || status=$?
    [ "$status" -eq 0 ] || fail "Glintmoor.scr $* exited with $status"
}
blocks() { grep -c "F E H L E R P R O T O K O L L" "$1" || true; }
expect_line() {  # file, exact line (without CR LF)
    grep -qxF "$2"$'\r' "$1" || fail "no line '$2' in $1"
}
fresh() { rm -f "$protocol"; reg_clear; }

echo "- selectors that open nothing end at once without a protocol"
fresh
for line in /x -s s "/a 1234"; do run $line; done
[ ! -e "$protocol" ] || fail "a protocol appeared"

echo "- a stored text that is no number is reported once, next to the program"
fresh
reg_set maxFl viele
run /x
[ -f "$protocol" ] || fail "no protocol next to the program"
[ "$(blocks "$protocol")" = 1 ] || fail "reported more than once"
expect_line "$protocol" "          Fehler-Nr / error :"$'\t'"13 (Type mismatch)"
expect_line "$protocol" "          Modul:"$'\t'"Saver"
expect_line "$protocol" "          Prozedur / procedure:"$'\t'"LoadConfig"
expect_line "$protocol" "          Zeile / Line:"$'\t'"50010"
expect_line "$protocol" "          Glintmoor  V1.0.310"
expect_line "$protocol" "          Plattform/Environment:"$'\t'"Windows NT"
[ "$(tail -c 2 "$protocol" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "block does not end in CR LF"

echo "- a registry value is read: an integer out of range overflows"
fresh
reg_set Time 70000
run /x
expect_line "$protocol" "          Fehler-Nr / error :"$'\t'"6 (Overflow)"
expect_line "$protocol" "          Zeile / Line:"$'\t'"50090"

echo "- Speed 0 from the registry ends the show through the trap at load"
fresh
reg_set Speed 0
run /s
expect_line "$protocol" "          Fehler-Nr / error :"$'\t'"11 (Division by zero)"
expect_line "$protocol" "          Modul:"$'\t'"frmMain"
expect_line "$protocol" "          Prozedur / procedure:"$'\t'"Form_Load"

echo "- GLINTMOOR_SETTINGS selects an INI file instead of the registry"
fresh
reg_set Speed kaputt
printf '[Settings]\r\nDate=zwei\r\n' > settings.ini
GLINTMOOR_SETTINGS="$winwork\\settings.ini" run /x
[ "$(blocks "$protocol")" = 1 ] || fail "the registry was read too"
expect_line "$protocol" "          Zeile / Line:"$'\t'"50080"

echo "- GLINTMOOR_PROTOCOL_DIR moves the protocol"
fresh
mkdir -p elsewhere
reg_set SpeedF schnell
GLINTMOOR_PROTOCOL_DIR="$winwork\\elsewhere\\" run /x
[ ! -e "$protocol" ] || fail "protocol next to the program despite the override"
expect_line elsewhere/Glintmoor.EPT "          Zeile / Line:"$'\t'"50020"

echo "- a preview handle beyond 32 bits is reported until the repeat bound"
fresh
run /p 99999999999
[ "$(blocks "$protocol")" = 3 ] || fail "expected three reports"
expect_line "$protocol" "          Prozedur / procedure:"$'\t'"Main"
expect_line "$protocol" "          Zeile / Line:"$'\t'"50050"

echo "all Wine mode checks passed"
