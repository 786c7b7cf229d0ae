#!/usr/bin/env python3
"""The Windows stub (the 32-bit one or its x86-64 twin) under Wine, driven through its windows.

The Linux mksfx builds the packages from sfxstub.exe; their setup program is
sfx_setup_probe.exe, which records the folder it runs in and the names it
finds there. sfx_wine_driver.exe (one process for the whole test, talking
over a pipe) finds the stub's windows, reads their controls and presses
their buttons. Every wait polls for its condition with a generous deadline.

usage: windows_gui_test.py WINE_RUN SFXSTUB.EXE MKSFX DRIVER.EXE PROBE.EXE
Screenshots (the main dialog, the meter mid-run) go to $GLINTMOOR_SHOTS when set.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import zip_aes_writer
from zipcrypto_check import wrong_password, zipcrypto_header_accepts

WINE, STUB, MKSFX, DRIVER, PROBE = sys.argv[1:6]
WORK = tempfile.mkdtemp(prefix="sfx_gui_")
SHOTS = os.environ.get("GLINTMOOR_SHOTS")
FAILURES = []
DEADLINE = 90  # seconds, for anything that should take one

CAPTION = "Carvello Self-Extractor"
PASSWORD_TITLE = CAPTION + " - Kennwort"
# Control ids of the main dialog and their template rectangles (dialog units).
TEMPLATE = {120: (6, 6, 20, 20), 1: (215, 6, 50, 14), 2: (215, 26, 50, 14),
            112: (215, 46, 50, 14), 101: (30, 6, 180, 40), 109: (30, 50, 180, 8),
            201: (6, 48, 203, 12)}


def check(cond, what):
    if not cond:
        FAILURES.append(what)
        print("  FAIL:", what, flush=True)
    return cond


def winpath(path):
    return "Z:" + path.replace("/", "\\")


class Driver:
    def __init__(self):
        self.p = subprocess.Popen([WINE, DRIVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True, encoding="utf-8", bufsize=1)

    def ask(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()
        return self.p.stdout.readline().rstrip("\n")

    def find(self, title, timeout=DEADLINE):
        return int(self.ask("find %d %s" % (timeout * 1000, title)) or 0)

    def gone(self, hwnd, timeout=DEADLINE):
        return self.ask("gone %d %d" % (hwnd, timeout * 1000)) == "1"

    def controls(self, hwnd):
        self.p.stdin.write("controls %d\n" % hwnd)
        self.p.stdin.flush()
        out = {}
        while True:
            line = self.p.stdout.readline().rstrip("\n")
            if line == "end" or not line:
                return out
            f = line.split(" ", 8)
            out[int(f[0])] = {"class": f[1], "visible": f[2] == "1", "enabled": f[3] == "1",
                              "rect": tuple(int(v) for v in f[4:8]),
                              "text": f[8] if len(f) > 8 else ""}

    def dlu(self, rect):
        return tuple(int(v) for v in self.ask("dlu %d %d %d %d" % rect).split())

    def click(self, hwnd, cid):
        self.ask("click %d %d" % (hwnd, cid))

    def press(self, hwnd, cid):
        self.ask("press %d %d" % (hwnd, cid))

    def settext(self, hwnd, cid, text):
        self.ask("settext %d %d %s" % (hwnd, cid, text))

    def text(self, hwnd):
        return self.ask("text %d" % hwnd)

    def meter(self, hwnd):
        v = self.ask("meter %d" % hwnd).split()
        return (v[0] == "1", int(v[1]), int(v[2])) if len(v) == 3 else (False, 0, 0)

    def box(self, timeout=DEADLINE):
        """The next message box of the stub: (handle, its text)."""
        hwnd = self.find(CAPTION, timeout)
        texts = [c["text"] for c in self.controls(hwnd).values() if c["class"] == "Static"]
        return hwnd, " ".join(t for t in texts if t)

    def answer(self, box, cid):
        """Presses a button of a message box and waits until the box is gone."""
        self.click(box, cid)
        check(self.gone(box), "the message box closes")

    def close(self):
        self.ask("quit")
        self.p.wait(timeout=DEADLINE)


def wine_temp():
    """Wine sets TMP and TEMP from the prefix, not from the Unix environment:
    the stub unpacks into the prefix's temporary folder."""
    out = subprocess.run([WINE, "cmd", "/c", "echo", "%TEMP%"], stdout=subprocess.PIPE,
                         text=True, errors="replace").stdout.strip()
    unix = subprocess.run([WINE, "winepath", "-u", out], stdout=subprocess.PIPE,
                          text=True).stdout.strip()
    return out, unix


class Case:
    """A package, a results folder and a running stub."""

    def __init__(self, name, files, *options, encrypt=None, aes=None, command_args=""):
        print(name, flush=True)
        self.dir = os.path.join(WORK, name)
        self.results = os.path.join(self.dir, "results.txt")
        self.release = os.path.join(self.dir, "release")
        self.before = set(os.listdir(TEMP_UNIX))
        src = os.path.join(self.dir, "src")
        os.makedirs(src)
        shutil.copy(PROBE, os.path.join(src, "setup_probe.exe"))
        for rel, data in files.items():
            path = os.path.join(src, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        archive = self.zip = os.path.join(self.dir, "p.zip")
        if encrypt:
            subprocess.run(["zip", "-qr", "-P", encrypt, archive, "."], cwd=src, check=True)
        elif aes:
            entries = []
            for n in sorted(os.listdir(src)):
                with open(os.path.join(src, n), "rb") as f:
                    entries.append((n, f.read()))
            zip_aes_writer.write(archive, entries, aes, 3, 2)
        else:
            # Python's zipfile flags non-ASCII names as UTF-8.
            with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
                for root, _, names in os.walk(src):
                    for n in sorted(names):
                        full = os.path.join(root, n)
                        z.write(full, os.path.relpath(full, src))
        self.exe = os.path.join(self.dir, "setup.exe")
        command = "setup_probe.exe %s%s" % (winpath(self.results), command_args)
        subprocess.run([MKSFX, "--stub", STUB, "--zip", archive, "--command", command,
                        "--message", "Grüße aus dem Test", "-o", self.exe] + list(options),
                       check=True)
        self.proc = None

    def start(self, *args):
        self.proc = subprocess.Popen([WINE, self.exe] + list(args),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ended(self, timeout=DEADLINE):
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def recorded(self, timeout=DEADLINE):
        """What the setup program recorded, once it has."""
        end = time.time() + timeout
        while time.time() < end:
            if os.path.exists(self.results):
                with open(self.results, encoding="utf-8") as f:
                    text = f.read()
                if "marker=setup-probe-ran" in text:
                    lines = [l.split("=", 1) for l in text.splitlines() if "=" in l]
                    return {"cwd": dict(lines).get("cwd", ""),
                            "files": sorted(v for k, v in lines if k == "file")}
            time.sleep(0.1)
        return None

    def leftovers(self):
        """Unpacking folders this case left in the temporary folder."""
        return sorted(n for n in set(os.listdir(TEMP_UNIX)) - self.before
                      if n.upper().startswith("KRSE"))

    def remove_leftovers(self):
        for n in self.leftovers():
            shutil.rmtree(os.path.join(TEMP_UNIX, n), ignore_errors=True)


def screenshot(name):
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name)], check=False)


def unpacked_in_planned_folder(case, rec, names):
    if not check(rec is not None, "the setup program ran"):
        return
    check(rec["cwd"].lower().startswith(TEMP_WIN.lower() + "\\krse"),
          "it ran in the unpacking folder below TMP: %s" % rec["cwd"])
    check(rec["files"] == sorted(names), "the files, names intact: %s" % rec["files"])


PACKAGE = {"a.txt": b"Hallo aus dem Archiv\r\n", "Größe.txt": b"umlauts",
           "\u03a9mega \u0416.txt": b"outside code page 1252",
           "sub/n.txt": b"".join(b"%d\r\n" % i for i in range(20000))}
NAMES = ["a.txt", "Größe.txt", "\u03a9mega \u0416.txt", "setup_probe.exe", "sub"]


def test_automatic(d):
    c = Case("automatic", PACKAGE, "--info", "Info für Windows")
    # -info: the info text in a message box, nothing unpacked.
    c.start("-info")
    hwnd, text = d.box()
    check("Info für Windows" in text, "-info shows the info text: %r" % text)
    d.answer(hwnd, 1)
    check(c.ended(), "-info ends the stub")
    check(not os.path.exists(c.results), "-info runs nothing")
    # Automatic mode: no click at all.
    c.start("-auto")
    rec = c.recorded()
    unpacked_in_planned_folder(c, rec, NAMES)
    check(c.ended(), "the stub closes itself after the setup")
    check(c.leftovers() == [], "the unpacking folder is removed: %s" % c.leftovers())


def test_manual(d):
    c = Case("manual", PACKAGE)
    c.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    if not check(hwnd, "the main dialog with its caption"):
        c.kill()
        return
    screenshot("main-dialog.png")
    ctl = d.controls(hwnd)
    for cid, rect in TEMPLATE.items():
        want, got = d.dlu(rect), ctl.get(cid, {}).get("rect")
        if cid == 120:  # an icon control takes the size of its icon
            want, got = want[:2] + (32, 32), got
        check(got == want, "control %d at its template place %s: %s" % (cid, want, got))
    check(ctl[1]["text"] == "&Setup" and ctl[2]["text"] == "Sch&ließen" and ctl[112]["text"] == "&Info",
          "button texts")
    check(ctl[101]["text"] == "Grüße aus dem Test", "the configured message")
    check(not ctl[201]["visible"] and ctl[201]["class"] == "Meter", "the meter is hidden at first")
    d.click(hwnd, 1)
    unpacked_in_planned_folder(c, c.recorded(), NAMES)
    check(c.ended(), "the stub closes after the setup")
    check(c.leftovers() == [], "the unpacking folder is removed: %s" % c.leftovers())


def test_aes_password(d):
    """An AE-2 AES-256 package through the same password dialog; the password
    has characters outside ASCII (typed as Windows text, used as UTF-8)."""
    c = Case("aes_password", {"g.txt": b"geheim\r\n" * 100}, aes="Grüße")
    for password, right in ((zip_aes_writer.wrong_aes_password(c.zip), False), ("Grüße", True)):
        c.start()
        hwnd = d.find(CAPTION + " - setup.exe")
        d.click(hwnd, 1)
        pw = d.find(PASSWORD_TITLE)
        check(pw, "the password dialog for AES")
        d.settext(pw, 402, password)
        d.click(pw, 1)
        if right:
            rec = c.recorded()
            unpacked_in_planned_folder(c, rec, ["g.txt", "setup_probe.exe"])
            check(c.ended() and c.leftovers() == [], "AES: the right password unpacks and runs")
        else:
            box, text = d.box()
            check(text == "Falsches Kennwort angegeben", "AES: a wrong password is string 6: %r" % text)
            d.answer(box, 1)
            check(c.ended() and not os.path.exists(c.results), "AES: nothing ran")


def test_password(d):
    # The right password is "pw"; the wrong one is one that the check byte of
    # this archive refuses (a wrong password passes it one time in 256).
    c = Case("password", {"g.txt": b"geheim\r\n" * 100}, encrypt="pw")
    wrong = wrong_password(c.zip)
    check(zipcrypto_header_accepts(c.zip, "pw"), "the check byte takes the right password")
    c.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    pw = d.find(PASSWORD_TITLE)
    check(pw, "the password dialog")
    d.click(pw, 1)  # OK with an empty field: the dialog stays
    time.sleep(0.5)
    check(d.find(PASSWORD_TITLE, 1) == pw, "OK with an empty field keeps the dialog open")
    d.click(pw, 2)  # Cancel: Setup again
    check(d.gone(pw), "Cancel closes the password dialog")
    end = time.time() + DEADLINE
    while time.time() < end and not d.controls(hwnd).get(1, {}).get("enabled"):
        time.sleep(0.1)
    check(d.controls(hwnd)[1]["enabled"], "Cancel re-enables Setup")
    check(c.leftovers() == [], "nothing left after Cancel: %s" % c.leftovers())
    # Wrong password: string 6, the run stops, the dialog closes.
    d.click(hwnd, 1)
    pw = d.find(PASSWORD_TITLE)
    d.settext(pw, 402, wrong)
    d.click(pw, 1)
    box, text = d.box()
    check(text == "Falsches Kennwort angegeben", "a wrong password is string 6: %r" % text)
    d.answer(box, 1)
    check(c.ended(), "the dialog closes after the wrong password")
    check(c.leftovers() == [], "nothing left after the wrong password: %s" % c.leftovers())
    check(not os.path.exists(c.results), "nothing ran")
    # Right password.
    c.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    pw = d.find(PASSWORD_TITLE)
    d.settext(pw, 402, "pw")
    d.click(pw, 1)
    rec = c.recorded()
    unpacked_in_planned_folder(c, rec, ["g.txt", "setup_probe.exe"])
    check(c.ended() and c.leftovers() == [], "the right password unpacks, runs, cleans up")


def test_meter(d):
    # Over 512 KiB to the end record, thousands of small files: the meter
    # shows from the start and is caught mid-run.
    files = {"many/f%04d.bin" % i: os.urandom(700) for i in range(1500)}
    c = Case("meter", files)
    c.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    seen = None
    end = time.time() + DEADLINE
    while time.time() < end and c.proc.poll() is None and not seen:
        visible, rng, pos = d.meter(hwnd)
        if visible and 0 < pos < 100:
            seen = (rng, pos)
            screenshot("meter-mid-run.png")
            ctl = d.controls(hwnd)
            check(not ctl[109]["visible"], "the status line gives way to the meter")
        time.sleep(0.05)
    check(seen and seen[0] == 100, "the meter shows mid-run (range, position): %s" % (seen,))
    check(c.recorded() is not None and c.ended(), "the large package unpacks and runs")
    check(c.leftovers() == [], "folder removed: %s" % c.leftovers())
    # A small quick package never shows the meter.
    s = Case("meter-small", {})
    s.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    shown = False
    while s.proc.poll() is None and d.text(hwnd):
        shown = shown or d.meter(hwnd)[0]
    check(not shown, "a small package never shows the meter")
    check(s.ended() and s.recorded() is not None, "the small package runs")


def test_wait_mode(d):
    c = Case("wait-mode", {"a.txt": b"x"})
    c.start("-wait")
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    check(c.recorded() is not None, "the setup ran")
    end = time.time() + DEADLINE
    while time.time() < end and d.controls(hwnd).get(1, {}).get("text") != "&Fertig":
        time.sleep(0.1)
    ctl = d.controls(hwnd)
    check(ctl[1]["text"] == "&Fertig" and ctl[1]["enabled"], "the first button reads &Fertig")
    check(len(c.leftovers()) == 1, "the files stay while waiting: %s" % c.leftovers())
    d.click(hwnd, 1)
    box, text = d.box()
    check(text.startswith("Sind Sie sicher, daß das SETUP Programm beendet ist?"),
          "string 11 asked: %r" % text)
    d.answer(box, 6)  # Yes
    check(c.ended(), "Yes closes the stub")
    check(c.leftovers() == [], "Yes deletes the files: %s" % c.leftovers())


def test_close_while_running(d):
    c = Case("close-running", {"a.txt": b"x"}, command_args=" wait " + winpath(
        os.path.join(WORK, "close-running", "release")))
    c.start()
    hwnd = d.find(CAPTION + " - setup.exe")
    d.click(hwnd, 1)
    check(c.recorded() is not None, "the setup runs")
    d.click(hwnd, 2)
    box, text = d.box()
    check(text.startswith("setup_probe.exe Z:") and "ist immer noch aktiv" in text,
          "string 17 with the command: %r" % text)
    d.answer(box, 6)  # Yes
    box, text = d.box()
    check(text.startswith("Die entpackten Dateien bleiben in " + TEMP_WIN),
          "the kept folder is named: %r" % text)
    d.answer(box, 1)
    check(c.ended(), "Yes closes the stub")
    check(len(c.leftovers()) == 1, "the unpacking folder stays: %s" % c.leftovers())
    open(c.release, "w").close()
    time.sleep(1)
    c.remove_leftovers()


def test_held_file(d):
    release = os.path.join(WORK, "held", "release")
    c = Case("held", {"locked.dat": b"held open by a child"},
             command_args=" hold locked.dat " + winpath(release))
    c.start("-auto")
    rec = c.recorded()
    check(rec is not None, "the setup ran")
    # The setup itself ends once its child holds the file; the clean-up
    # tries for a second, then leaves the file for the next start. In
    # automatic mode nobody is asked: no box about the folder that stays
    # holds the stub (it would until the deadline).
    start = time.time()
    check(c.ended(), "the stub ends by itself, without a box")
    print("  the clean-up ended %.1f s after the setup recorded" % (time.time() - start))
    left = c.leftovers()
    folder = os.path.join(TEMP_UNIX, left[0]) if left else ""
    # The holder runs from the package's setup_probe.exe: that file is held too.
    held = ["locked.dat", "setup_probe.exe"]
    check(left and sorted(os.listdir(folder)) == held,
          "only the held files (and their folder) stay: %s" % left)
    query = subprocess.run([WINE, "reg", "query",
                            r"HKLM\System\CurrentControlSet\Control\Session Manager",
                            "/v", "PendingFileRenameOperations"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True, errors="replace")
    # Both are scheduled (the clean-up names files by their short names).
    check(left and query.stdout.count("\\%s\\" % left[0]) == len(held),
          "the held files are scheduled for deletion at the next start: %r"
          % query.stdout[-300:])
    open(release, "w").close()
    time.sleep(1)
    subprocess.run([WINE, "wineboot", "-r"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=DEADLINE)
    check(folder and not any(os.path.exists(os.path.join(folder, n)) for n in held),
          "wineboot -r deletes the held files")
    c.remove_leftovers()


def main():
    global TEMP_WIN, TEMP_UNIX
    TEMP_WIN, TEMP_UNIX = wine_temp()
    d = Driver()
    try:
        for test in (test_automatic, test_manual, test_password, test_aes_password, test_meter,
                     test_wait_mode,
                     test_close_while_running, test_held_file):
            try:
                test(d)
            except Exception as e:  # a broken case must not hide the others
                check(False, "%s: %r" % (test.__name__, e))
    finally:
        d.close()
        shutil.rmtree(WORK, ignore_errors=True)
    print("FAILED: %d" % len(FAILURES) if FAILURES else "Windows GUI test passed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
