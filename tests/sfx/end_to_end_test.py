#!/usr/bin/env python3
"""End-to-end tests of the Linux self-extractor: archives made by real tools
(Info-ZIP zip, Python's zipfile) or crafted here, turned into
self-extracting files by mksfx, run as programs from a (non-terminal)
standard input, checked by their output, exit status and the files they
leave.

usage: end_to_end_test.py SFXSTUB MKSFX
"""
import os
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

import zip_aes_writer
from zipcrypto_check import wrong_password, zipcrypto_header_accepts

STUB, MKSFX = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix="sfx_e2e_")
FAILURES = []


def check(cond, what):
    if not cond:
        FAILURES.append(what)
        print("  FAIL:", what)


class Case:
    """A private temporary folder (TMP) and a results folder per case."""

    def __init__(self, name):
        self.name = name
        self.dir = os.path.join(WORK, name)
        self.tmp = os.path.join(self.dir, "tmp")
        self.results = os.path.join(self.dir, "results")
        os.makedirs(self.tmp)
        os.makedirs(self.results)
        print(name)

    def sfx(self, archive, *options):
        out = os.path.join(self.dir, "setup.run")
        r = subprocess.run([MKSFX, "--stub", STUB, "--zip", archive, "-o", out] + list(options),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        check(r.returncode == 0, "%s: mksfx failed: %s" % (self.name, r.stderr))
        return out

    def env(self):
        e = dict(os.environ)
        e["TMP"] = self.tmp
        e["RESULTS"] = self.results
        return e

    def run(self, program, args=(), stdin="", timeout=60):
        r = subprocess.run([program] + list(args), input=stdin, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True, env=self.env(), timeout=timeout)
        return r

    def leftovers(self):
        return sorted(os.listdir(self.tmp))


def write_files(root, files):
    for name, data in files.items():
        path = os.path.join(root, name)
        if name.endswith("/"):
            os.makedirs(path, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def package_files():
    data = bytes((i * 7 + (i >> 9)) % 251 for i in range(300000))
    return {
        "setup.sh": b"#!/bin/sh\nfind . -type f | sort > \"$RESULTS/files.txt\"\n"
                    b"find . -type d | sort > \"$RESULTS/dirs.txt\"\n"
                    b"cat data/big.bin | cksum > \"$RESULTS/cksum.txt\"\n"
                    b"pwd > \"$RESULTS/pwd.txt\"\n",
        "data/big.bin": data,
        "data/readme.txt": b"Lies mich\n" * 100,
        "empty/": b"",
        "only/nested/": b"",
    }


# --- a tiny ZIP writer for archives no tool makes on request -----------------

def crafted_zip(path, entries):
    """entries: dicts with name, data, method (0/8/other), descriptor,
    signature, raw (compressed bytes to use)."""
    out = bytearray()
    central = bytearray()
    for e in entries:
        data = e.get("data", b"")
        method = e.get("method", 8)
        if "raw" in e:
            comp = e["raw"]
        elif method == 8:
            c = zlib.compressobj(6, zlib.DEFLATED, -15)
            comp = c.compress(data) + c.flush()
        else:
            comp = data
        crc = zlib.crc32(data)
        flags = 0x0008 if e.get("descriptor") else 0
        name = e["name"].encode()
        offset = len(out)
        zero = e.get("descriptor")
        out += struct.pack("<IHHHHHIIIHH", 0x04034b50, 20, flags, method, 0x6000, 0x5A88,
                           0 if zero else crc, 0 if zero else len(comp),
                           0 if zero else len(data), len(name), 0)
        out += name + comp
        if e.get("descriptor"):
            if e.get("signature", True):
                out += struct.pack("<I", 0x08074b50)
            out += struct.pack("<III", crc, len(comp), len(data))
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 20, 20, flags, method, 0x6000,
                               0x5A88, crc, len(comp), len(data), len(name), 0, 0, 0, 0, 0,
                               offset)
        central += name
    cd = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, len(entries), len(entries), len(central),
                       cd, 0)
    with open(path, "wb") as f:
        f.write(out)


# --- the cases -----------------------------------------------------------------

def test_stored_deflated_folders_and_command():
    c = Case("stored_deflated_folders")
    src = os.path.join(c.dir, "src")
    files = package_files()
    write_files(src, files)
    archive = os.path.join(c.dir, "pkg.zip")
    # Deflated files, one stored file, folder entries (zip adds them).
    subprocess.run(["zip", "-q", "-r", "-9", archive, "."], cwd=src, check=True)
    subprocess.run(["zip", "-q", "-0", archive, "data/readme.txt"], cwd=src, check=True)
    sfx = c.sfx(archive, "--command", "sh setup.sh", "--message", "Willkommen",
                "--title", "Winterpaket", "--info", "Paket-Info")
    # Ordinary ZIP tools read the self-extracting file.
    check(subprocess.run(["unzip", "-tq", sfx], stdout=subprocess.PIPE).returncode == 0,
          "unzip -t on the self-extracting file")
    listing = subprocess.run(["unzip", "-l", sfx], stdout=subprocess.PIPE, text=True).stdout
    check("data/big.bin" in listing, "unzip -l lists the entries")
    check(subprocess.run(["7z", "t", sfx], stdout=subprocess.PIPE).returncode == 0, "7z t")

    r = c.run(sfx, stdin="\n")  # Enter starts Setup
    check(r.returncode == 0, "exit status 0 after the command ran (%d): %s" % (r.returncode, r.stderr))
    check("Winterpaket" in r.stdout and "Willkommen" in r.stdout, "heading and message shown")
    listed = open(os.path.join(c.results, "files.txt")).read().split()
    check(sorted(listed) == ["./data/big.bin", "./data/readme.txt", "./setup.sh"],
          "files unpacked: %s" % listed)
    dirs = open(os.path.join(c.results, "dirs.txt")).read().split()
    check("./only/nested" in dirs and "./empty" in dirs, "folder-only entries created: %s" % dirs)
    expected = subprocess.run(["cksum"], input=files["data/big.bin"], stdout=subprocess.PIPE).stdout
    check(open(os.path.join(c.results, "cksum.txt"), "rb").read() == expected, "contents intact")
    pwd = open(os.path.join(c.results, "pwd.txt")).read().strip()
    check(os.path.dirname(pwd) == os.path.realpath(c.tmp) and
          os.path.basename(pwd).startswith("KRSE"), "command ran in the KRSE folder: " + pwd)
    check(c.leftovers() == [], "folder removed afterwards: %s" % c.leftovers())


def test_private_folder():
    c = Case("private_folder")
    src = os.path.join(c.dir, "src")
    write_files(src, {"check.sh": b"stat -c %a . > \"$RESULTS/mode\"\n"})
    archive = os.path.join(c.dir, "p.zip")
    subprocess.run(["zip", "-q", archive, "check.sh"], cwd=src, check=True)
    # A link planted where the first planned name would be.
    os.symlink("/etc", os.path.join(c.tmp, "KRSE1.tmp"))
    r = c.run(c.sfx(archive, "--command", "sh check.sh"), ["-auto"])
    check(r.returncode == 0, "runs with a planted link: %s" % r.stderr)
    check(open(os.path.join(c.results, "mode")).read().strip() == "700", "mode 0700")
    check(c.leftovers() == ["KRSE1.tmp"] and os.path.islink(os.path.join(c.tmp, "KRSE1.tmp")),
          "planted link untouched, own folder gone: %s" % c.leftovers())


def test_encrypted():
    c = Case("encrypted")
    src = os.path.join(c.dir, "src")
    write_files(src, {"a.txt": b"geheim " * 1000, "b.bin": os.urandom(5000),
                      "ok.sh": b"cat a.txt b.bin | cksum > \"$RESULTS/sum\"\n"})
    stored = os.path.join(c.dir, "stored.zip")
    deflated = os.path.join(c.dir, "deflated.zip")
    subprocess.run(["zip", "-q", "-0", "-P", "Kennwort", stored, "a.txt", "b.bin", "ok.sh"],
                   cwd=src, check=True)
    subprocess.run(["zip", "-q", "-9", "-P", "Kennwort", deflated, "a.txt", "b.bin", "ok.sh"],
                   cwd=src, check=True)
    expected = subprocess.run("cat a.txt b.bin | cksum", shell=True, cwd=src,
                              stdout=subprocess.PIPE).stdout
    for archive in (stored, deflated):
        sfx = c.sfx(archive, "--command", "sh ok.sh")
        r = c.run(sfx, ["-auto"], stdin="Kennwort\n")
        check(r.returncode == 0, "%s: right password: %s" % (archive, r.stderr))
        check(open(os.path.join(c.results, "sum"), "rb").read() == expected,
              "%s: decrypted contents" % archive)
        os.remove(os.path.join(c.results, "sum"))
        check(zipcrypto_header_accepts(archive, "Kennwort"), "the check byte takes the password")
        r = c.run(sfx, ["-auto"], stdin=wrong_password(archive) + "\n")
        check(r.returncode == 2 and "Falsches Kennwort angegeben" in r.stderr,
              "%s: wrong password is string 6: %s" % (archive, r.stderr))
        check(not os.path.exists(os.path.join(c.results, "sum")), "nothing ran")
        check(c.leftovers() == [], "folder removed after the wrong password: %s" % c.leftovers())
        # No password at all (end of input): Cancel, Setup again, then close.
        r = c.run(sfx, ["-auto"], stdin="")
        check(r.returncode == 1, "%s: no password given: cancelled (%d)" % (archive, r.returncode))


def test_aes():
    """AES entries: 7-Zip's (AE-2; AES-128, -192, -256; deflated and stored),
    AE-1 entries and a non-ASCII password (UTF-8, as 7-Zip encodes it) from an
    independent writer, and mksfx's own encryption, which 7-Zip tests. A
    wrong password is refused by the verifier, a changed byte of a stored
    AE-2 entry (no CRC-32) by the authentication code."""
    c = Case("aes")
    src = os.path.join(c.dir, "src")
    files = {"a.txt": b"geheim " * 1000, "b.bin": os.urandom(20000),
             "ok.sh": b"cat a.txt b.bin | cksum > \"$RESULTS/sum\"\n"}
    write_files(src, files)
    expected = subprocess.run("cat a.txt b.bin | cksum", shell=True, cwd=src,
                              stdout=subprocess.PIPE).stdout
    result = os.path.join(c.results, "sum")
    archives = []
    for method in ("AES128", "AES192", "AES256", "AES256 -mx=0"):
        archive = os.path.join(c.dir, method.replace(" ", "") + ".zip")
        subprocess.run(["7z", "a", "-tzip", "-mem=" + method.split()[0], "-pKennwort", archive,
                        "a.txt", "b.bin", "ok.sh"] + method.split()[1:], cwd=src, check=True,
                       stdout=subprocess.DEVNULL)
        archives.append((archive, "Kennwort"))
    for strength, password in ((1, "Grüße €"), (3, "Kennwort")):
        archive = os.path.join(c.dir, "ae1-%d.zip" % strength)
        zip_aes_writer.write(archive, list(files.items()), password, strength, 1)
        archives.append((archive, password))
    plain = os.path.join(c.dir, "plain.zip")
    subprocess.run(["zip", "-q", plain, "a.txt", "b.bin", "ok.sh"], cwd=src, check=True)
    # 7-Zip writes only ASCII passwords into ZIP files, but reads others as
    # UTF-8: it must accept the non-ASCII ones of the writer and of mksfx.
    password_file = os.path.join(c.dir, "password")
    with open(password_file, "w", encoding="utf-8") as f:
        f.write("Grüße €\n")
    for archive, password in archives + [(plain, "Grüße €")]:
        what = os.path.basename(archive)
        options = ["--password-file", password_file] if archive == plain else []
        sfx = c.sfx(archive, "--command", "sh ok.sh", *options)
        if password != "Kennwort":
            r = subprocess.run(["7z", "t", "-p" + password, sfx], stdout=subprocess.PIPE, text=True)
            check(r.returncode == 0 and "Everything is Ok" in r.stdout,
                  "%s: 7z t accepts the password: %s" % (what, r.stdout[-300:]))
        r = c.run(sfx, ["-auto"], stdin=password + "\n")
        check(r.returncode == 0 and os.path.exists(result) and open(result, "rb").read() == expected,
              "%s: unpacked with the right password: %s" % (what, r.stderr))
        if os.path.exists(result):
            os.remove(result)
        r = c.run(sfx, ["-auto"], stdin=zip_aes_writer.wrong_aes_password(sfx) + "\n")
        check(r.returncode == 2 and "Falsches Kennwort angegeben" in r.stderr and
              not os.path.exists(result), "%s: a wrong password is refused: %s" % (what, r.stderr))
        check(c.leftovers() == [], "%s: folder removed: %s" % (what, c.leftovers()))
    # One byte of the stored AE-2 entry's data changed: only the code shows it.
    sfx = c.sfx(os.path.join(c.dir, "AES256-mx=0.zip"), "--command", "sh ok.sh")
    blob = bytearray(open(sfx, "rb").read())
    at = blob.index(b"PK\x03\x04" + b"\x33\x00")
    name_len, extra_len = struct.unpack_from("<HH", blob, at + 26)
    blob[at + 30 + name_len + extra_len + 16 + 2 + 100] ^= 1
    open(sfx, "wb").write(blob)
    r = c.run(sfx, ["-auto"], stdin="Kennwort\n")
    check(r.returncode == 2 and "Fehlerhafte Prüfsumme" in r.stderr and not os.path.exists(result),
          "a changed byte fails the authentication code: %s" % r.stderr)
    # Traditional encryption: built, with a warning.
    weak = os.path.join(c.dir, "weak.zip")
    subprocess.run(["zip", "-q", "-P", "Kennwort", weak, "a.txt"], cwd=src, check=True)
    r = subprocess.run([MKSFX, "--stub", STUB, "--zip", weak, "-o", os.path.join(c.dir, "w.run")],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    check(r.returncode == 0 and "warning" in r.stderr and "traditional" in r.stderr,
          "mksfx warns about traditional encryption: %s" % r.stderr)


def set_method(sfx, name, method):
    """Gives an entry of a built self-extracting file another method (mksfx
    refuses to build with one the stub cannot unpack)."""
    blob = bytearray(open(sfx, "rb").read())
    at = blob.index(struct.pack("<I", 0x04034b50) + b"\x14\x00\x00\x00\x08\x00")
    while blob[at + 30:at + 30 + len(name)] != name.encode():
        at = blob.index(struct.pack("<I", 0x04034b50), at + 4)
    struct.pack_into("<H", blob, at + 8, method)
    open(sfx, "wb").write(blob)


def test_unsupported_method():
    c = Case("unsupported_method")
    archive = os.path.join(c.dir, "bz.zip")
    with zipfile.ZipFile(archive, "w") as z:
        z.writestr("first.txt", b"eins", zipfile.ZIP_DEFLATED)
        z.writestr("odd.txt", b"bzip2-komprimiert" * 50, zipfile.ZIP_BZIP2)
        z.writestr("after.txt", b"danach", zipfile.ZIP_DEFLATED)
    out = os.path.join(c.dir, "bz.run")
    r = subprocess.run([MKSFX, "--stub", STUB, "--zip", archive, "-o", out],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    check(r.returncode != 0 and "odd.txt" in r.stderr and "method 12" in r.stderr,
          "mksfx refuses the bzip2 entry by name: %s" % r.stderr)
    with zipfile.ZipFile(archive, "w") as z:
        for name, data in (("first.txt", b"eins"), ("odd.txt", b"x" * 800), ("after.txt", b"danach")):
            z.writestr(name, data, zipfile.ZIP_DEFLATED)
    sfx = c.sfx(archive, "--command", "true")
    set_method(sfx, "odd.txt", 12)
    r = c.run(sfx, ["--keep", "-auto"])
    check(r.returncode == 2 and "Nicht unterstützte Kompressionsmethode" in r.stderr,
          "string 39: %s" % r.stderr)
    kept = c.leftovers()
    check(len(kept) == 1 and os.path.join(c.tmp, kept[0]) in r.stdout,
          "--keep keeps the folder and names it: %s %r" % (kept, r.stdout))
    check(kept and sorted(os.listdir(os.path.join(c.tmp, kept[0]))) == ["first.txt"],
          "nothing after it unpacked: %s" % [os.listdir(os.path.join(c.tmp, k)) for k in kept])
    for left in kept:
        shutil.rmtree(os.path.join(c.tmp, left))
    r = c.run(sfx, ["-auto"])
    check(r.returncode == 2 and c.leftovers() == [], "without --keep the folder is removed")


def test_damaged_entry():
    c = Case("damaged_entry")
    archive = os.path.join(c.dir, "d.zip")
    data = bytes((i * 31) % 256 for i in range(100000)) + b"text " * 5000
    crafted_zip(archive, [{"name": "good.txt", "data": b"gut"}, {"name": "bad.bin", "data": data}])
    blob = bytearray(open(archive, "rb").read())
    with zipfile.ZipFile(archive) as z:
        info = z.getinfo("bad.bin")
    blob[info.header_offset + 30 + len("bad.bin") + info.compress_size // 2] ^= 0x10
    open(archive, "wb").write(blob)
    r = c.run(c.sfx(archive, "--command", "touch \"$RESULTS/ran\""), ["-auto"])
    check(r.returncode == 2 and "ZIP beschädigt: Datei" in r.stderr and "bad.bin" in r.stderr,
          "string 40: %s" % r.stderr)
    check("Unzip-Vorgang abgebrochen" in r.stderr, "status line string 22: %s" % r.stderr)
    check(not os.path.exists(os.path.join(c.results, "ran")), "command not run")
    check(c.leftovers() == [], "folder removed: %s" % c.leftovers())


def test_path_traversal():
    c = Case("path_traversal")
    for evil in ("../evil.txt", "../../evil.txt", "/../evil_abs.txt", "sub/../../evil.txt",
                 "..\\evil.txt"):
        archive = os.path.join(c.dir, "t.zip")
        with zipfile.ZipFile(archive, "w") as z:
            z.writestr("ok.txt", b"ok")
            info = zipfile.ZipInfo(evil)
            z.writestr(info, b"evil")
        r = c.run(c.sfx(archive, "--command", "true"), ["-auto"])
        check(r.returncode == 2 and "Unzulässiger Dateiname" in r.stderr,
              "%s refused: %s" % (evil, r.stderr))
        check(c.leftovers() == [], "%s: nothing left in TMP: %s" % (evil, c.leftovers()))
        for p in (os.path.join(c.dir, "evil.txt"), os.path.join(c.tmp, "evil.txt"),
                  os.path.join(WORK, "evil.txt"), "/evil_abs.txt"):
            check(not os.path.exists(p), "%s: nothing written at %s" % (evil, p))
    # A leading "/" is stripped and ':' is an ordinary character: inside.
    archive = os.path.join(c.dir, "a.zip")
    with zipfile.ZipFile(archive, "w") as z:
        z.writestr("list.sh", b"find . -type f | sort > \"$RESULTS/inside\"\n")
        z.writestr(zipfile.ZipInfo("/tmp/evil_abs.txt"), b"abs")
        z.writestr(zipfile.ZipInfo("C:\\evil.txt"), b"drive")
    r = c.run(c.sfx(archive, "--command", "sh list.sh"), ["-auto"])
    check(r.returncode == 0, "absolute and drive names unpack: %s" % r.stderr)
    inside = open(os.path.join(c.results, "inside")).read().split() if r.returncode == 0 else []
    check(inside == ["./C:/evil.txt", "./list.sh", "./tmp/evil_abs.txt"], "inside: %s" % inside)
    check(not os.path.exists("/tmp/evil_abs.txt"), "nothing written at /tmp/evil_abs.txt")


def test_data_descriptors():
    c = Case("data_descriptors")
    big = bytes((i * 13) % 256 for i in range(70000))
    for signature in (True, False):
        archive = os.path.join(c.dir, "dd%d.zip" % signature)
        crafted_zip(archive, [
            {"name": "a.bin", "data": big, "descriptor": True, "signature": signature},
            {"name": "s.txt", "data": b"gespeichert", "method": 0, "descriptor": True,
             "signature": signature},
            {"name": "check.sh", "data": b"cat a.bin s.txt | cksum > \"$RESULTS/dd\"\n"},
        ])
        r = c.run(c.sfx(archive, "--command", "sh check.sh"), ["-auto"])
        check(r.returncode == 0, "descriptor signature=%s: %s" % (signature, r.stderr))
        expected = subprocess.run(["cksum"], input=big + b"gespeichert", stdout=subprocess.PIPE).stdout
        check(open(os.path.join(c.results, "dd"), "rb").read() == expected,
              "descriptor signature=%s contents" % signature)
    # Python's zipfile writing to a pipe: descriptors with zero local sizes.
    archive = os.path.join(c.dir, "stream.zip")
    r, w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(r)
        with os.fdopen(w, "wb") as out, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("x.txt", b"gestreamt " * 3000)
            z.writestr("check.sh", b"cksum x.txt > \"$RESULTS/stream\"\n")
        os._exit(0)
    os.close(w)
    with os.fdopen(r, "rb") as inp, open(archive, "wb") as f:
        f.write(inp.read())
    os.waitpid(pid, 0)
    res = c.run(c.sfx(archive, "--command", "sh check.sh"), ["-auto"])
    check(res.returncode == 0, "zipfile stream: %s" % res.stderr)
    check(os.path.exists(os.path.join(c.results, "stream")), "zipfile stream unpacked")


def zip_through_pipe(archive, entries, **options):
    """Python's zipfile writing to a pipe: data descriptors, zero local sizes."""
    r, w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(r)
        with os.fdopen(w, "wb") as out, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
            for name, data in entries:
                with z.open(name, "w", **options) as f:
                    f.write(data)
        os._exit(0)
    os.close(w)
    with os.fdopen(r, "rb") as inp, open(archive, "wb") as f:
        f.write(inp.read())
    os.waitpid(pid, 0)


def test_zip64():
    """ZIP64 on small data: Info-ZIP's forced ZIP64 (zip -fz: ZIP64 end
    record and locator, ZIP64 fields in local and central headers), zipfile's
    force_zip64 through a pipe (8-byte sizes in the data descriptors), and
    more than 65,535 entries (zipfile writes the ZIP64 end record then)."""
    c = Case("zip64")
    src = os.path.join(c.dir, "src")
    big = bytes((i * 7) % 251 for i in range(100000))
    check_sh = b'cksum a.txt sub/b.bin > "$RESULTS/z64"\n'
    write_files(src, {"a.txt": b"eins\n", "sub/b.bin": big, "check.sh": check_sh})
    expected = subprocess.run(["cksum", "a.txt", "sub/b.bin"], cwd=src,
                              stdout=subprocess.PIPE).stdout
    for kind in ("fz", "pipe"):
        archive = os.path.join(c.dir, kind + ".zip")
        if kind == "fz":
            subprocess.run(["zip", "-q", "-r", "-fz", archive, "."], cwd=src, check=True)
        else:
            zip_through_pipe(archive, [("a.txt", b"eins\n"), ("sub/b.bin", big),
                                       ("check.sh", check_sh)], force_zip64=True)
        sfx = c.sfx(archive, "--command", "sh check.sh")
        result = os.path.join(c.results, "z64")
        if os.path.exists(result):
            os.remove(result)
        r = c.run(sfx, ["-auto"])
        check(r.returncode == 0 and os.path.exists(result) and open(result, "rb").read() == expected,
              "%s: unpacked and ran: %s" % (kind, r.stderr))
        r = subprocess.run(["unzip", "-t", sfx], stdout=subprocess.PIPE, text=True)
        check(r.returncode == 0, "%s: unzip -t reads the package: %s" % (kind, r.stdout[-300:]))
        r = c.run(sfx, ["--list"])
        check(r.returncode == 0 and "100000" in r.stdout, "%s: --list: %s" % (kind, r.stdout))
    many = os.path.join(c.dir, "many.zip")
    with zipfile.ZipFile(many, "w") as z:
        for i in range(70000):
            z.writestr("d/%05d" % i, b"")
        z.writestr("last.txt", b"das letzte")
    sfx = c.sfx(many, "--command", "true")
    r = c.run(sfx, ["--check"], timeout=120)
    check(r.returncode == 0 and "70001 Dateien" in r.stdout + r.stderr,
          "70,001 entries checked: %s %s" % (r.stdout[-200:], r.stderr[-200:]))


def test_modes_and_info():
    c = Case("modes_and_info")
    src = os.path.join(c.dir, "src")
    write_files(src, {"s.sh": b"date > \"$RESULTS/ran\"\n"})
    archive = os.path.join(c.dir, "m.zip")
    subprocess.run(["zip", "-q", archive, "s.sh"], cwd=src, check=True)
    sfx = c.sfx(archive, "--command", "sh s.sh", "--info", "Das ist die Info.",
                "--about", "Über das Paket")
    # -info: the info text, nothing unpacked.
    r = c.run(sfx, ["-info"])
    check(r.returncode == 0 and "Das ist die Info." in r.stdout, "-info shows the info text")
    check(c.leftovers() == [] and not os.path.exists(os.path.join(c.results, "ran")),
          "-info unpacks nothing")
    # Info, then "n": the about text, then closed.
    r = c.run(sfx, stdin="i\nn\n")
    check(r.returncode == 1 and "Über das Paket" in r.stdout and "Carvello" in r.stdout,
          "Info shows string 50 with the about text: %r" % r.stdout)
    check(not os.path.exists(os.path.join(c.results, "ran")), "n closes without Setup")
    # -auto: no question.
    r = c.run(sfx, ["-auto"], stdin="")
    check(r.returncode == 0 and os.path.exists(os.path.join(c.results, "ran")), "-auto runs")
    check("Setup starten?" not in r.stderr, "-auto asks nothing")
    os.remove(os.path.join(c.results, "ran"))
    # --auto in the record, -noauto on the command line.
    sfx_auto = c.sfx(archive, "--command", "sh s.sh", "--auto")
    r = c.run(sfx_auto, ["-noauto"], stdin="n\n")
    check(r.returncode == 1 and not os.path.exists(os.path.join(c.results, "ran")),
          "-noauto asks again")
    # Wait mode (only the first switch counts, so it comes from the record):
    # after the command, Enter asks string 11; "n" waits on, "j" finishes.
    sfx_wait = c.sfx(archive, "--command", "sh s.sh", "--wait-mode")
    r = c.run(sfx_wait, ["-auto"], stdin="\nn\n\nj\n")
    check(r.returncode == 0, "wait mode: %s" % r.stderr)
    check(r.stderr.count("Sind Sie sicher, daß das SETUP Programm beendet ist?") == 2,
          "string 11 asked (No, then Yes): %s" % r.stderr)
    check(c.leftovers() == [], "wait mode cleans up")
    # No command: string 18, the files stay.
    sfx_none = c.sfx(archive)
    r = c.run(sfx_none, ["-auto"])
    check(r.returncode == 2 and "kein Folgekommando" in r.stderr, "string 18")
    kept = [os.path.join(c.tmp, k) for k in c.leftovers()]
    check(len(kept) == 1 and os.listdir(kept[0]) == ["s.sh"] and kept[0] in r.stdout,
          "the unpacked files stay without a command, and where is said: %s %r" % (kept, r.stdout))
    for left in kept:
        shutil.rmtree(left)
    # A command that cannot run: string 23, the files stay.
    sfx_bad = c.sfx(archive, "--command", "./nicht-da.exe")
    r = c.run(sfx_bad, ["-auto"])
    check(r.returncode == 2 and "Fehler beim Ausführen des Befehls ./nicht-da.exe" in r.stderr,
          "string 23: %s" % r.stderr)
    kept = [os.path.join(c.tmp, k) for k in c.leftovers()]
    check(len(kept) == 1 and os.listdir(kept[0]) == ["s.sh"] and kept[0] in r.stdout,
          "the unpacked files stay after string 23, and where is said: %s %r" % (kept, r.stdout))
    for left in kept:
        shutil.rmtree(left)
    # The command's own exit status, 127 too (it ran: no string 23).
    for command, status in (("sh -c 'exit 3'", 3), ("sh -c 'exit 127'", 127), ("sh s.sh", 0)):
        r = c.run(c.sfx(archive, "--command", command), ["-auto"])
        check(r.returncode == status and "Fehler beim Ausführen" not in r.stderr,
              "%s: exit status %d (%d): %s" % (command, status, r.returncode, r.stderr))
    check(c.leftovers() == [], "folders removed after the command ran")
    # --noexec unpacks only and keeps the files.
    r = c.run(sfx, ["--noexec", "-auto"])
    kept = [os.path.join(c.tmp, k) for k in c.leftovers()]
    check(r.returncode == 0 and len(kept) == 1 and os.listdir(kept[0]) == ["s.sh"],
          "--noexec: %d %s" % (r.returncode, kept))
    for left in kept:
        shutil.rmtree(left)


def test_interrupt_while_running():
    c = Case("interrupt")
    src = os.path.join(c.dir, "src")
    # The setup runs until the test lets it go (a minute at most): the
    # signal always lands while it runs, however slow the machine.
    write_files(src, {"slow.sh": b"exec >/dev/null 2>&1; touch \"$RESULTS/started\"\n"
                                 b"i=0; while [ ! -e \"$RESULTS/go\" ] && [ $i -lt 1200 ]; do\n"
                                 b"  sleep 0.05; i=$((i + 1)); done\n"
                                 b"touch \"$RESULTS/finished\"\n"})
    archive = os.path.join(c.dir, "i.zip")
    subprocess.run(["zip", "-q", archive, "slow.sh"], cwd=src, check=True)
    sfx = c.sfx(archive, "--command", "sh slow.sh")
    p = subprocess.Popen([sfx, "-auto"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, text=True, env=c.env())
    # Ctrl-C once the command runs (not during the extraction).
    deadline = time.time() + 60
    while not os.path.exists(os.path.join(c.results, "started")) and time.time() < deadline:
        time.sleep(0.05)
    p.send_signal(signal.SIGINT)
    try:
        out, err = p.communicate("j\n", timeout=30)
    finally:
        open(os.path.join(c.results, "go"), "w").close()
        if p.poll() is None:
            p.kill()
    check("sh slow.sh ist immer noch aktiv" in err, "Ctrl-C asks string 17: %s" % err)
    check(p.returncode == 1, "cancelled: exit 1 (%d)" % p.returncode)
    deadline = time.time() + 30
    while not os.path.exists(os.path.join(c.results, "finished")) and time.time() < deadline:
        time.sleep(0.1)
    check(os.path.exists(os.path.join(c.results, "finished")), "the setup went on")
    kept = [os.path.join(c.tmp, k) for k in c.leftovers()]
    check(len(kept) == 1 and "slow.sh" in os.listdir(kept[0]) and kept[0] in out,
          "Yes leaves the unpacked files in place, and says where: %s %r" % (kept, out))


def test_shutdown_while_running():
    c = Case("shutdown")
    src = os.path.join(c.dir, "src")
    write_files(src, {"s.sh": b"trap 'touch \"$RESULTS/term\"; exit 0' TERM\n"
                              b"exec >/dev/null 2>&1; touch \"$RESULTS/started\"\n"
                              b"i=0; while [ $i -lt 1200 ]; do sleep 0.05; i=$((i + 1)); done\n"})
    archive = os.path.join(c.dir, "t.zip")
    subprocess.run(["zip", "-q", archive, "s.sh"], cwd=src, check=True)
    sfx = c.sfx(archive, "--command", "sh s.sh")
    for sig in (signal.SIGTERM, signal.SIGHUP):
        p = subprocess.Popen([sfx, "-auto"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True, env=c.env())
        deadline = time.time() + 60
        while not os.path.exists(os.path.join(c.results, "started")) and time.time() < deadline:
            time.sleep(0.05)
        p.send_signal(sig)
        try:
            out, err = p.communicate("", timeout=60)
        finally:
            if p.poll() is None:
                p.kill()
        if sig == signal.SIGTERM:
            check(os.path.exists(os.path.join(c.results, "term")), "SIGTERM reached the setup")
        check(p.returncode == 128 + sig, "%s: exit %d (%d)" % (sig, 128 + sig, p.returncode))
        check(err.count("Lösche temporäre Dateien") == 1 and "Wechseln" not in err,
              "%s: one clean-up, no string 24: %s" % (sig, err))
        check(c.leftovers() == [], "%s: folder removed: %s" % (sig, c.leftovers()))
        for f in ("started", "term"):
            if os.path.exists(os.path.join(c.results, f)):
                os.remove(os.path.join(c.results, f))
    # At the start question: no folder was made, none is deleted.
    p = subprocess.Popen([sfx], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, env=c.env())
    seen = b""
    while b"Setup starten?" not in seen:
        chunk = os.read(p.stderr.fileno(), 4096)
        if not chunk:
            break
        seen += chunk
    p.send_signal(signal.SIGTERM)
    try:
        p.wait(timeout=30)
        out, err = p.communicate(timeout=30)
    finally:
        if p.poll() is None:
            p.kill()
    err = (seen + err).decode()
    check(p.returncode == 128 + signal.SIGTERM and "Lösche temporäre Dateien" not in err,
          "SIGTERM at the start question: %d %s" % (p.returncode, err))
    check(c.leftovers() == [], "nothing made at the start question: %s" % c.leftovers())


def test_deep_tree_is_removed():
    c = Case("deep_tree")
    src = os.path.join(c.dir, "src")
    # The setup makes a tree 200 folders deep whose relative path (6200
    # bytes) is longer than PATH_MAX, with a file at every level.
    write_files(src, {"deep.py": b"import os\nfor i in range(200):\n"
                                 b"    open('f', 'w').close()\n"
                                 b"    os.mkdir('d' * 30)\n    os.chdir('d' * 30)\n"})
    archive = os.path.join(c.dir, "d.zip")
    subprocess.run(["zip", "-q", archive, "deep.py"], cwd=src, check=True)
    r = c.run(c.sfx(archive, "--command", "%s deep.py" % sys.executable), ["-auto"])
    check(r.returncode == 0, "deep tree made: %s" % r.stderr)
    check(c.leftovers() == [] and "bleiben" not in r.stdout,
          "deep tree removed: %s %r" % (c.leftovers(), r.stdout))


def test_makeself_options():
    c = Case("makeself_options")
    src = os.path.join(c.dir, "src")
    write_files(src, {"args.sh": b"for a in \"$@\"; do echo \"[$a]\"; done > \"$RESULTS/args\"\n",
                      "sub/data.txt": b"Daten\n" * 100})
    archive = os.path.join(c.dir, "o.zip")
    subprocess.run(["zip", "-q", "-r", "-0", archive, "args.sh", "sub"], cwd=src, check=True)
    sfx = c.sfx(archive, "--command", "sh args.sh")
    # --list: the lines of unzip -l after its "Archive:" line.
    r = c.run(sfx, ["--list"])
    expected = subprocess.run(["unzip", "-l", archive], stdout=subprocess.PIPE, text=True).stdout
    check(r.returncode == 0 and r.stdout.splitlines() == expected.splitlines()[1:],
          "--list as unzip -l: %r" % r.stdout)
    # --check: every checksum tested, nothing written; damage is status 2.
    r = c.run(sfx, ["--check"])
    check(r.returncode == 0 and c.leftovers() == [], "--check passes: %s" % r.stderr)
    blob = bytearray(open(sfx, "rb").read())
    blob[blob.index(b"Daten\n")] ^= 0x20  # stored: the data itself
    damaged = os.path.join(c.dir, "damaged.run")
    open(damaged, "wb").write(blob)
    os.chmod(damaged, 0o755)
    r = c.run(damaged, ["--check"])
    check(r.returncode == 2 and "ZIP beschädigt" in r.stderr and c.leftovers() == [],
          "--check finds the damage: %d %s" % (r.returncode, r.stderr))
    # Arguments after "--" reach the command as they were given.
    r = c.run(sfx, ["-auto", "--", "/silent", "zwei Worte", "it's"])
    args = open(os.path.join(c.results, "args")).read().splitlines() if r.returncode == 0 else []
    check(args == ["[/silent]", "[zwei Worte]", "[it's]"], "arguments after --: %s" % args)
    # --target: unpacked there (made if missing), kept, named.
    target = os.path.join(c.dir, "ziel")
    r = c.run(sfx, ["--target", target, "-auto"])
    check(r.returncode == 0 and sorted(os.listdir(target)) == ["args.sh", "sub"] and
          target in r.stdout and c.leftovers() == [], "--target: %s %r" % (r.stderr, r.stdout))
    # No terminal and no -auto: nobody answers; the message names -auto.
    r = c.run(sfx, [], stdin="")
    check(r.returncode == 1 and "-auto" in r.stderr, "no terminal names -auto: %s" % r.stderr)


def test_unix_names():
    c = Case("unix_names")
    src = os.path.join(c.dir, "src")
    write_files(src, {"Größe.txt": b"1", "list.sh": b"ls > \"$RESULTS/names\"\n"})
    archive = os.path.join(c.dir, "u.zip")
    subprocess.run(["zip", "-q", archive, "Größe.txt", "list.sh"], cwd=src, check=True)
    r = c.run(c.sfx(archive, "--command", "sh list.sh"), ["-auto"])
    names = open(os.path.join(c.results, "names"), encoding="utf-8", errors="replace").read()
    check(r.returncode == 0 and names.split() == ["Größe.txt", "list.sh"],
          "Info-ZIP names from Linux are UTF-8: %r %s" % (names, r.stderr))
    # Symbolic links (zip -y): restored when they stay inside, else refused.
    os.symlink("Größe.txt", os.path.join(src, "link"))
    os.symlink("/etc/passwd", os.path.join(src, "evil"))
    write_files(src, {"check.sh": b"readlink link > \"$RESULTS/link\"\n"})
    archive = os.path.join(c.dir, "l.zip")
    subprocess.run(["zip", "-q", "-y", archive, "Größe.txt", "link", "check.sh"], cwd=src, check=True)
    r = c.run(c.sfx(archive, "--command", "sh check.sh"), ["-auto"])
    target = open(os.path.join(c.results, "link")).read().strip() if r.returncode == 0 else ""
    check(target == "Größe.txt", "link restored: %r %s" % (target, r.stderr))
    archive = os.path.join(c.dir, "e.zip")
    subprocess.run(["zip", "-q", "-y", archive, "evil", "check.sh"], cwd=src, check=True)
    r = c.run(c.sfx(archive, "--command", "sh check.sh"), ["-auto"])
    check(r.returncode == 2 and "Unzulässige Verknüpfung" in r.stderr and c.leftovers() == [],
          "link out of the folder refused: %s" % r.stderr)


def main():
    try:
        for test in (test_stored_deflated_folders_and_command, test_private_folder,
                     test_encrypted, test_aes, test_unsupported_method, test_damaged_entry,
                     test_path_traversal, test_data_descriptors, test_zip64, test_modes_and_info,
                     test_interrupt_while_running, test_shutdown_while_running,
                     test_deep_tree_is_removed, test_makeself_options, test_unix_names):
            try:
                test()
            except Exception as e:  # a crash is a failure, the others still run
                check(False, "%s raised %r" % (test.__name__, e))
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    if FAILURES:
        print("%d FAILURES" % len(FAILURES))
        return 1
    print("all end-to-end cases passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
