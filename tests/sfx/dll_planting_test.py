#!/usr/bin/env python3
"""No DLL from the start folder: the stub and the setup it runs load no DLL
planted beside them.

A marker DLL (sfx_plant_marker.dll, of the architecture of the programs under
test) is left, under each name a program may look for in its own folder,
beside the package and as files of the package. Wine is told to prefer a
native copy of each (name=n,b), as Windows would take one from the program's
folder. Two packages: one whose command is the probe program (the stub's own
loads), one whose command is setup.exe, installing per user
(-auto -- /silent /dir:...). Each must have run its command, and no marker may
have been written.

The programs' own imports must all be known DLLs, which Windows maps from
the system folder only; Wine does not, so a known DLL that a program imports
(setup.exe imports shell32) is left to Wine's builtin while that program runs.
A name that Wine's own system DLLs import (Wine 8's user32 imports
version.dll; Windows' user32 does not) would be loaded before the program's
first instruction: it is planted but left to Wine's builtin too. The test
says which names it leaves out.

usage: dll_planting_test.py WINE_RUN SFXSTUB.EXE MKSFX SETUP.EXE MARKER.DLL PROBE.EXE
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

from test_processes import end_processes_naming

WINE, STUB, MKSFX, SETUP, MARKER_DLL, PROBE = sys.argv[1:7]
NAMES = ["version", "uxtheme", "dwmapi", "cryptbase", "shell32"]
# Windows' KnownDLLs (HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs).
KNOWN_DLLS = {"advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32",
              "gdiplus", "imagehlp", "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi",
              "ole32", "oleaut32", "psapi", "rpcrt4", "sechost", "setupapi", "shcore",
              "shell32", "shlwapi", "user32", "wldap32", "ws2_32"}
WORK = tempfile.mkdtemp(prefix="sfx_plant_")
FAILURES = []


def fail(what):
    print("FAIL:", what, flush=True)
    FAILURES.append(what)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def imports(pe):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", pe], stdout=subprocess.PIPE,
                         text=True, errors="replace").stdout
    return {n.lower()[:-4] for n in re.findall(r"DLL Name: (\S+)", out)}


def wine_static_imports(program):
    """The DLL names that Wine's own builtin DLLs (of the program's
    architecture) import, directly or not, when the program is loaded."""
    header = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", program],
                            stdout=subprocess.PIPE, text=True).stdout
    arch = "x86_64-windows" if "x86-64" in header else "i386-windows"
    builtins = next(d for d in ("/usr/lib/x86_64-linux-gnu/wine/" + arch,
                                "/usr/lib/i386-linux-gnu/wine/" + arch, "/usr/lib/wine/" + arch)
                    if os.path.exists(os.path.join(d, "kernel32.dll")))
    loaded, pulled, todo = set(), set(), imports(program)
    while todo:
        name = todo.pop()
        loaded.add(name)
        path = os.path.join(builtins, name + ".dll")
        if os.path.exists(path):
            found = imports(path)
            pulled |= found
            todo |= found - loaded
    return pulled


def run_case(name, program, files, command, args, ran):
    """Packs `files` with the planted DLLs, plants them beside the package too,
    runs it with `args` and checks that `ran()` and that nothing was loaded."""
    case = os.path.join(WORK, name)
    folder, markers = os.path.join(case, "Downloads"), os.path.join(case, "markers")
    os.makedirs(folder)
    os.makedirs(markers)
    archive = os.path.join(case, "p.zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for rel, source in files.items():
            if isinstance(source, bytes):
                z.writestr(rel, source)
            else:
                z.write(source, rel)
        for n in NAMES:
            z.write(MARKER_DLL, n + ".dll")
    package = os.path.join(folder, "GlintmoorSetup.exe")
    subprocess.run([MKSFX, "--stub", STUB, "--zip", archive, "--command", command,
                    "-o", package], check=True)
    for n in NAMES:
        shutil.copy(MARKER_DLL, os.path.join(folder, n + ".dll"))
    left = (wine_static_imports(STUB) | wine_static_imports(program) |
            (imports(program) & KNOWN_DLLS)) & set(NAMES)
    native = [n for n in NAMES if n not in left]
    print("%s: native copies preferred for %s; left to Wine's builtin: %s"
          % (name, ", ".join(native), ", ".join(sorted(left)) or "none"), flush=True)
    env = dict(os.environ, WINEDLLOVERRIDES=",".join(native) + "=n,b;mscoree,mshtml=",
               GLINTMOOR_PLANT_MARKER=winpath(markers))
    try:
        status = subprocess.run([WINE, package, "-auto"] + args, cwd=folder, env=env,
                                timeout=120, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL).returncode
    except subprocess.TimeoutExpired:
        status = "timed out"
        end_processes_naming(WORK)
    if not ran(case):
        fail("%s: the command did not run (status %s)" % (name, status))
    for m in sorted(os.listdir(markers)):
        with open(os.path.join(markers, m), "rb") as f:
            fail("%s: %s loaded, %s" % (name, m[:-len(".loaded")],
                                        f.read().decode("utf-16-le", "replace")))


def main():
    for program in (STUB, SETUP):
        unknown = sorted(imports(program) - KNOWN_DLLS)
        if unknown:
            fail("%s imports DLLs that are not known DLLs: %s" % (program, unknown))
    probe_results = os.path.join(WORK, "stub", "results.txt")
    run_case("stub", PROBE, {"setup_probe.exe": PROBE},
             "setup_probe.exe " + winpath(probe_results), [],
             lambda case: os.path.exists(probe_results))
    target = os.path.join(WORK, "setup", "installed")
    scr = b"MZ a stand-in for the screen saver"
    run_case("setup", SETUP, {"setup.exe": SETUP, "x64/Glintmoor.scr": scr,
                              "x86/Glintmoor.scr": scr},
             "setup.exe", ["--", "/silent", "/dir:" + winpath(target)],
             lambda case: os.path.exists(os.path.join(target, "Glintmoor.scr")))
    if not FAILURES:
        print("ok: both commands ran, no planted DLL was loaded")
        shutil.rmtree(WORK, ignore_errors=True)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
