#!/usr/bin/env bash
# glintmoor.xml, XScreenSaver's description of the settings: well-formed,
# six sliders and three check boxes, and glintmoor takes every option it names
# at both ends of its range, with the stored settings as the defaults. A
# value outside a range exits 2 and leaves the stored settings alone.
# Usage: xscreensaver_xml.sh <glintmoor.xml> <path of glintmoor>
set -euo pipefail
xml=$1
glintmoor=$(readlink -f "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export GLINTMOOR_SETTINGS=$work/settings.ini GLINTMOOR_PROTOCOL_DIR=$work
unset DISPLAY XSCREENSAVER_WINDOW

xmllint --noout "$xml" || fail "not well-formed"
q() { xmllint --xpath "$1" "$xml"; }
[ "$(q 'count(//number[@type="slider"])')" = 6 ] || fail "not six sliders"
[ "$(q 'count(//number)')" = 6 ] || fail "other number controls"
[ "$(q 'count(//boolean)')" = 3 ] || fail "not three check boxes"

# The value of one setting as glintmoor reads it with the given options.
setting() {
    local key=$1; shift
    "$glintmoor" "$@" --print-config | sed -n "s/^$key=//p"
}
same_number() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 == b + 0) }'; }

declare -A key_of=([-speed]=Speed [-density]=maxFl [-flake-speed]=SpeedF
    [-flake-size]=Size [-cloud-speed]=SpeedS [-object-speed]=SpeedO)
for i in 1 2 3 4 5 6; do
    n="(//number)[$i]"
    arg=$(q "string($n/@arg)")
    option=${arg% %}
    key=${key_of[$option]:-}
    [ -n "$key" ] && [ "$option %" = "$arg" ] || fail "unexpected arg \"$arg\""
    for end in low high; do
        value=$(q "string($n/@$end)")
        got=$(setting "$key" $option "$value") || fail "$option $value refused"
        same_number "$got" "$value" || fail "$option $value gives $key=$got"
    done
    default=$(q "string($n/@default)")
    same_number "$(setting "$key")" "$default" || fail "$option: default $default is not the stored default"
done

declare -A key_of_box=([-no-date]=Date [-no-time]=Time)
for i in 1 2; do
    option=$(q "string((//boolean)[$i]/@arg-unset)")
    key=${key_of_box[$option]:-}
    [ -n "$key" ] || fail "unexpected check box option \"$option\""
    [ "$(setting "$key" "$option")" = 0 ] || fail "$option"
    [ "$(setting "$key" "-${option#-no}")" = 1 ] || fail "-${option#-no}"
    [ "$(setting "$key")" = 1 ] || fail "$key: the checked default is not the stored default"
done
# Classic: unchecked by default, checked it passes -classic.
[ "$(q 'string((//boolean)[3]/@arg-set)')" = -classic ] || fail "the third box is not -classic"
[ "$(setting Classic -classic)" = 1 ] || fail "-classic"
[ "$(setting Classic)" = 0 ] || fail "Classic: the unchecked default is not the stored default"

# Overrides are for one run: the store is read under them and never written.
printf '[Settings]\nmaxFl=50\nSpeed=2\nDate=0\n' > "$work/settings.ini"
cp "$work/settings.ini" "$work/before.ini"
[ "$(setting maxFl -speed 10)" = 50 ] || fail "a stored value not overridden"
[ "$(setting Date)" = 0 ] || fail "the stored Date"
[ "$(setting Speed -density 200 -speed 0.1)" = 0.1 ] || fail "-speed 0.1"
status=0; "$glintmoor" -density 201 /s 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "out of range before the display: status $status"
cmp -s "$work/settings.ini" "$work/before.ini" || fail "the store changed"
"$glintmoor" --help | grep -q -- '-cloud-speed' || fail "usage"
echo "glintmoor.xml checks passed"
