#!/usr/bin/env bash
# The 32-bit programs under Wine as Windows 98, 2000, XP and 10 (the Version
# of HKCU\Software\Wine\AppDefaults\<program>, per copy of the program):
# Glintmoor.scr /s, /c, /p and /a, and sfxstub.exe unpacking a package and
# starting its command (a file whose name has an umlaut among its files).
# As win98 a key in the show asks the older family's password (the
# password.cpl stand-in), as win2k and later it does not. The setup as win98
# names the saver in the [boot] section of SYSTEM.INI, where that family
# looks for it, and its uninstaller takes it away there while it names ours.
# Wine exports every function in every mode: whether a program loads on the
# real system only the import check (windows_imports_*) tells.
#   versions.sh Glintmoor.scr PASSWORD.cpl PREVIEW_HOST.exe DIALOG_PROBE.exe \
#               SFXSTUB.exe MKSFX SETUP_PROBE.exe SETUP.exe   (DISPLAY set)
# GLINTMOOR_SHOTS=FOLDER keeps screenshots of the show and the settings
# dialog per version there.
set -uo pipefail
scr=$1 standin=$2 host_exe=$3 probe_exe=$4 stub=$5 mksfx=$6 setup_probe=$7 setup_exe=$8
source "$(dirname "$0")/../x11/lib.sh"
export GLINTMOOR_WINE_PREFIX_TAG=x86-versions
wine="$here/../../tools/wine-run"
tmp=$(mktemp -d) || exit 1
win_tmp="Z:${tmp//\//\\}"
config_title='Glintmoor  ---  Settings / Einstellungen...'
cleanup() {
    jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"
}
trap cleanup EXIT
cp "$standin" "$tmp/password.cpl"
cp "$host_exe" "$tmp/preview_host.exe"
cp "$probe_exe" "$tmp/dialog_probe.exe"
export GLINTMOOR_PASSWORD_LOG="$win_tmp\\asked.log" GLINTMOOR_PASSWORD_ANSWER=accept

# start NAME ARGS...: runs $tmp/NAME under Wine; sets pid.
start() {
    local name=$1; shift
    (cd "$tmp" && exec "$wine" "./$name" "$@") >/dev/null 2>&1 &
    pid=$!
}
as_version() {  # as_version NAME VERSION: Wine reports VERSION to the program NAME
    "$wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$1" /v Version /d "$2" /f >/dev/null 2>&1
}
shot() {  # shot NAME: the screen into $GLINTMOOR_SHOTS/NAME.png
    [ -n "${GLINTMOOR_SHOTS:-}" ] && mkdir -p "$GLINTMOOR_SHOTS" &&
        import -window root "$GLINTMOOR_SHOTS/$1.png"
}
probe() { (cd "$tmp" && "$wine" ./dialog_probe.exe "$@") 2>/dev/null | tr -d '\r'; }
config_open() { probe "$config_title" >/dev/null; }
# has_text ID TEXT: control ID of the settings dialog reads TEXT (read in the
# ANSI code page, Windows-1252 here).
has_text() {
    probe "$config_title" | iconv -f cp1252 -t utf-8 | grep "^ctl $1 " | grep -qF "\"$2\""
}

(cd "$tmp" && exec "$wine" ./preview_host.exe) > "$tmp/host" 2>/dev/null &
host_pid=$!
wait_for 60 test -s "$tmp/host"
hwnd=$(tr -d '\r' < "$tmp/host")

# The package: the setup probe, which writes where it ran and what it found.
cp "$setup_probe" "$tmp/sfx_setup_probe.exe"
printf 'read me\n' > "$tmp/readme.txt"
# Python's zipfile marks the UTF-8 name as such (general-purpose bit 11).
printf 'greetings\n' > "$tmp/grüße.txt"
(cd "$tmp" && python3 -c 'import sys, zipfile
with zipfile.ZipFile("package.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for name in sys.argv[1:]: z.write(name)' sfx_setup_probe.exe readme.txt grüße.txt)

for version in win98 win2k winxp win10; do
    name=Glintmoor-$version.scr
    cp "$scr" "$tmp/$name"
    as_version "$name" "$version"

    rm -f "$tmp/asked.log"
    xdotool mousemove 960 540
    start "$name" /s
    win=""
    wait_for 60 window_named Glintmoor "$pid" >/dev/null && win=$(window_named Glintmoor "$pid")
    check "$version: /s covers the screen" test "$(geometry "$win")" = "0 0 1920 1080"
    check "$version: ... with the landscape" wait_for 60 showing
    sleep 2; shot "$version-show"
    xdotool key a
    check "$version: a key ends the show" ends_cleanly "$pid"
    if [ "$version" = win98 ]; then
        check "$version: ... after asking the password" has_match "$tmp/asked.log" '^asked'
    else
        check "$version: ... without asking a password" not test -s "$tmp/asked.log"
    fi

    start "$name" /c
    check "$version: /c opens the settings dialog" wait_for 60 config_open
    check "$version: ... with its umlauts" has_text 113 "Size / Größe"
    sleep 1; shot "$version-settings"
    probe "$config_title" click 133  # OK
    check "$version: ... whose OK ends it" ends_within 30 "$pid"

    start "$name" /p "$hwnd"
    sleep 3
    (cd "$tmp" && "$wine" ./preview_host.exe kids "$hwnd") > "$tmp/kids" 2>/dev/null
    check "$version: /p shows in the host window" \
        has_line "$tmp/kids" "child Glintmoor visible=1 child=1 152x112"
    stop "$pid"

    start "$name" /a "$hwnd"
    check "$version: /a ends by itself" ends_within 30 "$pid"

    setup=GlintmoorSetup-$version.exe
    "$mksfx" --stub "$stub" --zip "$tmp/package.zip" --auto \
        --command "sfx_setup_probe.exe $win_tmp\\$version.results" -o "$tmp/$setup" >/dev/null
    as_version "$setup" "$version"
    start "$setup"
    check "$version: the stub unpacks and starts its command" \
        wait_for 60 has_line "$tmp/$version.results" "marker=setup-probe-ran"
    check "$version: ... with the package's files" has_line "$tmp/$version.results" "file=readme.txt"
    check "$version: ... and the name with umlauts" has_line "$tmp/$version.results" "file=grüße.txt"
    check "$version: ... and ends" ends_within 60 "$pid"
done
stop "$host_pid"

# The setup as win98: a silent install into the system folder. Wine's
# prefix is a 64-bit one; the 9x family has no IsWow64Process, and without
# it the setup installs the 32-bit file as there.
system_ini="${WINEPREFIX:-$("$wine" --prefix)}/drive_c/windows/system.ini"
boot_saver() {  # SCRNSAVE.EXE of the [boot] section
    tr -d '\r' < "$system_ini" | sed -n '/^\[boot\]/,/^\[/p' | sed -n 's/^SCRNSAVE\.EXE=//Ip'
}
mkdir -p "$tmp/setup98/x86"
cp "$scr" "$tmp/setup98/x86/Glintmoor.scr"
cp "$setup_exe" "$tmp/setup98/setup98.exe"
as_version setup98.exe win98
setup98() {
    (cd "$tmp/setup98" && GLINTMOOR_MISSING_FUNCTIONS=IsWow64Process "$wine" ./setup98.exe "$@") \
        >/dev/null 2>&1
}
setup98 /silent
boot_saver_is() { boot_saver | grep -qixE -- "$1"; }
check "win98: the setup names the saver in SYSTEM.INI by its short path" \
    boot_saver_is 'C:\\WINDOWS\\SYSTEM32\\[A-Z0-9_]*~[A-Z0-9_]*\.SCR'
setup98 /uninstall /silent
check "win98: ... which the uninstaller takes away" test -f "$system_ini" -a -z "$(boot_saver)"
setup98 /silent
sed -i 's/^SCRNSAVE\.EXE=.*/SCRNSAVE.EXE=C:\\OTHER.SCR\r/I' "$system_ini"
setup98 /uninstall /silent
check "win98: ... but not another screen saver" test "$(boot_saver)" = 'C:\OTHER.SCR'

finish
