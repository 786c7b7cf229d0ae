#!/usr/bin/env python3
"""Smoke test of the Windows stub under Wine (Windows build only): mksfx.exe
builds a self-extracting file from sfxstub.exe; it shows its info text,
unpacks stored, deflated and encrypted entries, runs its command in the
unpacking folder and removes the folder; a wrong password ends with
string 6 and nothing left behind.

usage: windows_smoke_test.py WINE_RUN SFXSTUB.EXE MKSFX.EXE
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

from zipcrypto_check import wrong_password, zipcrypto_header_accepts

WINE, STUB, MKSFX = sys.argv[1:4]
work = tempfile.mkdtemp(prefix="sfx_win_")
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def wine(args, stdin="", env_tmp=None):
    env = dict(os.environ)
    if env_tmp:
        env["TMP"] = "Z:" + env_tmp.replace("/", "\\")
        env["TEMP"] = env["TMP"]
    r = subprocess.run([WINE] + args, input=stdin.encode("cp1252"), stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, env=env, timeout=180)
    return r.returncode, r.stdout.decode("cp1252", "replace"), r.stderr.decode("cp1252", "replace")


try:
    archive = os.path.join(work, "p.zip")
    with zipfile.ZipFile(archive, "w") as z:
        z.writestr("a.txt", b"Hallo aus dem Archiv\r\n", zipfile.ZIP_STORED)
        z.writestr("sub/n.txt", b"".join(b"%d\r\n" % i for i in range(20000)), zipfile.ZIP_DEFLATED)
        z.writestr("leer/", b"")
    setup = os.path.join(work, "setup.exe")
    rc, out, err = wine([MKSFX, "--stub", STUB, "--zip", archive, "--command", "cmd /c type a.txt",
                         "--info", "Info für Windows", "--message", "Grüße", "-o", setup])
    check(rc == 0 and os.path.exists(setup), "mksfx.exe: " + err)

    tmp = os.path.join(work, "tmp")
    os.makedirs(tmp)
    rc, out, err = wine([setup, "-info"], env_tmp=tmp)
    check("Info für Windows" in out, "-info shows the info text (code page 1252): %r" % out)

    rc, out, err = wine([setup, "-auto"], env_tmp=tmp)
    check("Hallo aus dem Archiv" in out, "the command ran in the unpacking folder: %r %r" % (out, err))
    check("Lösche temporäre Dateien" in err, "clean-up status shown: %r" % err)
    check(os.listdir(tmp) == [], "folder removed: %s" % os.listdir(tmp))

    # Encrypted entries (Info-ZIP), wrong password.
    src = os.path.join(work, "src")
    os.makedirs(src)
    with open(os.path.join(src, "g.txt"), "wb") as f:
        f.write(b"geheim\r\n" * 100)
    enc = os.path.join(work, "e.zip")
    subprocess.run(["zip", "-q", "-P", "pw", enc, "g.txt"], cwd=src, check=True)
    setup2 = os.path.join(work, "setup2.exe")
    wine([MKSFX, "--stub", STUB, "--zip", enc, "--command", "cmd /c type g.txt", "-o", setup2])
    rc, out, err = wine([setup2, "-auto"], stdin="pw\r\n", env_tmp=tmp)
    check("geheim" in out, "right password: %r %r" % (out, err))
    check(zipcrypto_header_accepts(enc, "pw"), "the check byte takes the password")
    rc, out, err = wine([setup2, "-auto"], stdin=wrong_password(enc) + "\r\n", env_tmp=tmp)
    check("Falsches Kennwort angegeben" in err, "wrong password is string 6: %r" % err)
    check(os.listdir(tmp) == [], "nothing left after the wrong password: %s" % os.listdir(tmp))
finally:
    shutil.rmtree(work, ignore_errors=True)

print("FAILED" if failures else "Windows smoke test passed")
sys.exit(1 if failures else 0)
