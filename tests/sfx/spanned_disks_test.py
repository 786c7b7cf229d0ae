#!/usr/bin/env python3
"""A spanned set over two disks in drive A:, read by the Windows backend under Wine.

Info-ZIP's `zip -s 64k` splits the archive into two parts; each becomes
SETUP.ZIP on its disk, a folder with the label file Wine reads
(".windows-label", "PKBACK# 001" and "PKBACK# 002"); disk 1 also holds
SETUP.EXE, which mksfx makes from sfxstub.exe and the whole archive. A: is
the prefix's dosdevices link: a disk change points it at another folder while
sfx_spanned_disks_test.exe waits at the disk prompt.

usage: spanned_disks_test.py WINE_RUN MKSFX SFXSTUB.EXE TEST.EXE
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

WINE, MKSFX, STUB, TEST = sys.argv[1:5]
WORK = tempfile.mkdtemp(prefix="sfx_disks_")
# A prefix of its own: drive A: is changed here.
PREFIX = subprocess.run([WINE, "--prefix", "disks"], stdout=subprocess.PIPE, text=True,
                        check=True).stdout.strip()
ENV = dict(os.environ, WINEPREFIX=PREFIX)
DRIVE_A = os.path.join(PREFIX, "dosdevices", "a:")
FAILURES = []

INSERT_2 = ("OkCancel", "Please insert disk 2 in drive A:.")
WRONG_2 = ("AbortRetryIgnore", "The disk in the drive appears to be missing or has an "
           "incorrect label. Insert disk number 2.")
# Each box is answered by the disk put into A: (None: left as it is) and a button.
SCENARIOS = [
    ("each disk once", [("disk2", "ok")], [INSERT_2], 0),
    ("disk 1 left in the drive", [("disk1", "ok"), ("disk2", "ok")], [INSERT_2, INSERT_2], 0),
    ("a disk of another label", [("other", "ok"), ("disk2", "retry")], [INSERT_2, WRONG_2], 0),
    ("cancel at the prompt", [(None, "cancel")], [INSERT_2], 2),
]


def check(cond, what):
    if not cond:
        FAILURES.append(what)
        print("  FAIL:", what, flush=True)
    return cond


def make_disk(name, label, files):
    folder = os.path.join(WORK, name)
    os.makedirs(folder)
    with open(os.path.join(folder, ".windows-label"), "w") as f:
        f.write(label + "\n")
    for target, source in files.items():
        shutil.copy(source, os.path.join(folder, target))


def insert(disk):
    link = DRIVE_A + ".new"
    os.symlink(os.path.join(WORK, disk), link)
    os.replace(link, DRIVE_A)


def make_set():
    """The source files, the split archive, the joined one for mksfx, the disks."""
    src = os.path.join(WORK, "src")
    os.makedirs(src)
    rng = random.Random(14)
    words = [bytes(rng.choice(b"abcdefghij ") for _ in range(rng.randint(2, 9)))
             for _ in range(3000)]
    sizes = {"f0.txt": 70000, "f1.txt": 50000, "f2.txt": 90000, "sub/f3.txt": 300}
    originals = {}
    for name, size in sizes.items():
        originals[name] = b" ".join(rng.choice(words) for _ in range(size // 4))[:size]
    originals["noise.bin"] = bytes(rng.getrandbits(8) for _ in range(30000))  # stored
    for name, data in originals.items():
        os.makedirs(os.path.dirname(os.path.join(src, name)), exist_ok=True)
        with open(os.path.join(src, name), "wb") as f:
            f.write(data)
    split = os.path.join(WORK, "set.zip")
    subprocess.run(["zip", "-q", "-s", "64k", split] + list(originals), cwd=src, check=True)
    joined = os.path.join(WORK, "joined.zip")
    subprocess.run(["zip", "-q", "-s", "0", split, "--out", joined], check=True)
    part1 = os.path.join(WORK, "set.z01")
    check(sorted(n for n in os.listdir(WORK) if n.startswith("set.")) == ["set.z01", "set.zip"],
          "the split archive has two parts")
    # The last entry that starts on disk 1 ends on disk 2.
    data = open(part1, "rb").read()
    last = data.rfind(b"PK\x03\x04")
    csize, nlen, xlen = struct.unpack_from("<I4xHH", data, last + 18)
    check(last + 30 + nlen + xlen + csize > len(data), "an entry crosses the disk change")
    setup = os.path.join(WORK, "SETUP.EXE")
    subprocess.run([MKSFX, "--stub", STUB, "--zip", joined, "--spanned", "-o", setup],
                   check=True)
    make_disk("disk1", "PKBACK# 001", {"SETUP.EXE": setup, "SETUP.ZIP": part1})
    make_disk("disk2", "PKBACK# 002", {"SETUP.ZIP": split})
    make_disk("other", "NO NAME", {})
    with zipfile.ZipFile(joined) as z:
        crcs = {i.filename: i.CRC for i in z.infolist()}
    return originals, crcs


def run(name, answers, expected_boxes, expected_outcome, originals, crcs):
    print(name, flush=True)
    insert("disk1")
    out = os.path.join(WORK, "out " + name)
    proc = subprocess.Popen([WINE, TEST, "A:\\SETUP.EXE", "Z:" + out.replace("/", "\\")],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=ENV)
    boxes, outcome = [], None
    for line in proc.stdout:
        line = line.rstrip("\n")
        if line.startswith("box "):
            buttons, text = line[4:].split(" ", 1)
            boxes.append((buttons, text))
            disk, button = answers[len(boxes) - 1] if len(boxes) <= len(answers) else (None,
                                                                                       "cancel")
            if disk:
                insert(disk)
            proc.stdin.write(button + "\n")
            proc.stdin.flush()
        elif line.startswith("outcome "):
            outcome = int(line.split()[1])
    proc.wait(timeout=60)
    check(boxes == expected_boxes, "%s: boxes %r" % (name, boxes))
    check(outcome == expected_outcome, "%s: outcome %r" % (name, outcome))
    if expected_outcome != 0:
        check(not os.path.exists(os.path.join(out, "noise.bin")),
              "%s: nothing of disk 2 unpacked" % name)
        return
    for entry, data in originals.items():
        path = os.path.join(out, entry)
        got = open(path, "rb").read() if os.path.exists(path) else None
        check(got == data and zlib.crc32(got) == crcs[entry], "%s: %s unpacked" % (name, entry))


def main():
    originals, crcs = make_set()
    if not os.path.isdir(os.path.dirname(DRIVE_A)):
        subprocess.run([WINE, "cmd", "/c", "exit"], env=ENV, check=True,
                       stdout=subprocess.DEVNULL)
    try:
        for scenario in SCENARIOS:
            run(*scenario, originals, crcs)
    finally:
        if os.path.islink(DRIVE_A):
            os.remove(DRIVE_A)
        subprocess.run([WINE, "--server", "-w"], env=ENV, timeout=60)
        shutil.rmtree(WORK, ignore_errors=True)
    print("FAILED: %d checks" % len(FAILURES) if FAILURES else "spanned disks test passed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
