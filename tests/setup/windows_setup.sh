#!/usr/bin/env bash
# GlintmoorSetup.exe under Wine (a 64-bit prefix), as make dist builds it or
# from the x86-64 twins of the stub and the setup: "-auto -- /silent"
# installs the 64-bit Glintmoor.scr into the real System32 and names it as
# the screen saver, the installed file runs its show, a second run repairs
# in place, the silent uninstaller removes the file, the entries, the
# settings and itself; /dir: installs per user and registers under HKCU.
# Only the shipped 32-bit setup writes through Sysnative and puts the
# uninstaller under "Program Files (x86)"; the twin writes System32 directly
# and uses "Program Files".
#   windows_setup.sh MKSFX STUB SETUP_EXE SCR_X64 SCR_X86   (DISPLAY set)
set -uo pipefail
mksfx=$1 stub=$2 setup=$3 scr64=$4 scr32=$5
source "$(dirname "$0")/../x11/lib.sh"
src=$here/../..
wine=$src/tools/wine-run
WINEPREFIX=$("$wine" --prefix setup)
export WINEPREFIX WINEDEBUG=-all
tmp=$(mktemp -d) || exit 1
cleanup() { jobs -p | xargs -r kill 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glintmoor'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glintmoor'
desktop='HKCU\Control Panel\Desktop'
c=$WINEPREFIX/drive_c
system_scr=$c/windows/system32/Glintmoor.scr

value() { "$wine" "${reg_loader[@]}" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
no_key() { ! "$wine" "${reg_loader[@]}" reg query "$1" >/dev/null 2>&1; }
# The machine a PE file is built for: 8664 (x86-64) or 014c (x86).
machine() {
    local pe; pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx1 -j$((pe + 4)) -N2 "$1" | awk '{ print $2 $1 }'
}
# The setup's own Program Files: the 32-bit one's under WOW64.
if [ "$(machine "$setup")" = 014c ]; then
    program_files='Program Files (x86)'
    # Registry reads through the 32-bit reg see what the 32-bit setup wrote.
    reg_loader=()
else
    program_files='Program Files'
    reg_loader=(--64)
fi
uninstaller_dir="$c/$program_files/Glintmoor"
run_setup() { (cd "$tmp" && "$wine" GlintmoorSetup.exe -auto -- /silent "$@") >/dev/null 2>&1; }
# Runs the entry's QuietUninstallString ("PROGRAM" ARGS) with /removesettings.
silent_uninstall() {
    local line program args
    line=$(value "$1" QuietUninstallString)
    [[ $line =~ ^\"([^\"]+)\"\ (.*)$ ]] || return 1
    program=${BASH_REMATCH[1]} args=${BASH_REMATCH[2]}
    # shellcheck disable=SC2086  # the arguments are words
    "$wine" "$program" $args /removesettings >/dev/null 2>&1
    local status=$?
    "$wine" --server -w  # the uninstaller's copy removes the uninstaller
    return $status
}

"$src/setup/win32/make-setup-exe.sh" "$mksfx" "$stub" "$setup" "$scr64" "$scr32" "$src" \
    "$tmp/GlintmoorSetup.exe" || { fail "make-setup-exe.sh"; finish; }
# A clean start: what an earlier, broken run may have left.
user_dir=$c/users/Public/Glintmoor-test
"$wine" "${reg_loader[@]}" reg delete "$uninstall_key" /f >/dev/null 2>&1
"$wine" "${reg_loader[@]}" reg delete "$user_uninstall_key" /f >/dev/null 2>&1
rm -rf "$system_scr" "$uninstaller_dir" "$user_dir"

# --- silent install into the system folder ---------------------------------------
check "the silent setup exits 0" run_setup
check "the 64-bit Glintmoor.scr is in System32" test "$(machine "$system_scr")" = 8664
# Windows paths compare without case (the twin names the folder as
# GetSystemDirectory does, "system32").
same_path() { [ "${1,,}" = "${2,,}" ]; }
check "SCRNSAVE.EXE names it" same_path "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\System32\Glintmoor.scr'
check "ScreenSaveActive is 1" test "$(value "$desktop" ScreenSaveActive)" = 1
check "the uninstaller is registered" \
    test "$(value "$uninstall_key" UninstallString)" = "\"C:\\$program_files\\Glintmoor\\GlintmoorUninstall.exe\" /uninstall"
check "the uninstaller is there" test -f "$uninstaller_dir/GlintmoorUninstall.exe"
check "the unpacked files are gone" \
    test -z "$(find "$c" \( -iname 'KRSE*.tmp' -o -iname 'KRT[0-9]*' \) -print -quit 2>/dev/null)"

# The installed file runs its show, and a key ends it.
xdotool mousemove 960 540
# Debian's "wine" starts Windows paths with the 32-bit loader, which sees
# SysWOW64 as System32; the screen saver service is a 64-bit program.
"$wine" --64 'C:\windows\System32\Glintmoor.scr' /s \
    >/dev/null 2>&1 &
pid=$!
shows() { window_named Glintmoor "$pid" >/dev/null; }
check "the installed Glintmoor.scr /s opens its window" wait_for 60 shows
sleep 1
xdotool key a
check "a key ends the installed show" ends_cleanly "$pid"

# --- repair: the same place, one entry --------------------------------------------
echo x >"$system_scr"
check "a second silent run exits 0" run_setup
check "it puts the file back" test "$(machine "$system_scr")" = 8664
check "the entry stays in HKLM only" no_key "$user_uninstall_key"

# --- silent uninstall ---------------------------------------------------------------
"$wine" reg add 'HKCU\Software\Glintmoor\Settings' /v Speed /d 3 /f >/dev/null 2>&1
check "the silent uninstaller exits 0" silent_uninstall "$uninstall_key"
check "it removes Glintmoor.scr" test ! -e "$system_scr"
check "it removes the uninstall entry" no_key "$uninstall_key"
check "it removes SCRNSAVE.EXE" test -z "$(value "$desktop" SCRNSAVE.EXE)"
check "it removes the settings on request" no_key 'HKCU\Software\Glintmoor'
check "it removes itself and its folder" test ! -e "$uninstaller_dir"

# --- per user, into a folder of the user's choice ------------------------------------
check "the silent setup with /dir: exits 0" run_setup '/dir:C:\users\Public\Glintmoor-test'
check "Glintmoor.scr is in that folder" test -f "$user_dir/Glintmoor.scr"
check "SCRNSAVE.EXE names it" \
    test "$(value "$desktop" SCRNSAVE.EXE)" = 'C:\users\Public\Glintmoor-test\Glintmoor.scr'
check "the entry is the user's" test -n "$(value "$user_uninstall_key" UninstallString)"
check "the system folder stays empty" test ! -e "$system_scr"
check "the silent uninstaller exits 0" silent_uninstall "$user_uninstall_key"
check "it removes the folder and the entry" eval 'test ! -e "$user_dir" && no_key "$user_uninstall_key"'
"$wine" --server -k
finish
