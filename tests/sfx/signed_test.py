#!/usr/bin/env python3
"""A self-extracting file signed with Authenticode still unpacks.

mksfx builds a package from the Windows stub; a test certificate made here
with openssl signs it (osslsigncode, no time stamp). The signed file
verifies, unzip and 7-Zip still read it, and under Wine it unpacks and runs
its setup program. The package's record has no end-record offset and its
entry is streamed (sizes in a data descriptor), so the stub must search for
the end record from where the certificate table starts. A copy with one byte
of the archive changed fails verification.

usage: signed_test.py WINE_RUN SFXSTUB.EXE MKSFX PROBE.EXE
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

from test_processes import end_processes_naming

WINE, STUB, MKSFX, PROBE = sys.argv[1:5]
WORK = tempfile.mkdtemp(prefix="sfx_signed_")
FAILURES = []
MARKER = b"KRV\x01sfx\x02"


def check(cond, what):
    print(("  ok:   " if cond else "  FAIL: ") + what, flush=True)
    if not cond:
        FAILURES.append(what)
    return cond


def run(*args, **kw):
    return subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace", **kw)


class Unseekable:
    """A file zipfile cannot seek in: it writes data descriptors."""

    def __init__(self, f):
        self.f = f

    def write(self, b):
        return self.f.write(b)

    def flush(self):
        self.f.flush()


def make_package():
    archive = os.path.join(WORK, "p.zip")
    with open(archive, "wb") as raw:
        with zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as z:
            with open(PROBE, "rb") as f:
                z.writestr("setup_probe.exe", f.read())
            z.writestr("data.txt", b"".join(b"%d\r\n" % i for i in range(5000)))
    results = os.path.join(WORK, "results.txt")
    package = os.path.join(WORK, "unsigned.exe")
    subprocess.run([MKSFX, "--stub", STUB, "--zip", archive, "--auto", "--command",
                    "setup_probe.exe Z:" + results.replace("/", "\\"), "-o", package],
                   check=True)
    with open(package, "rb") as f:
        data = bytearray(f.read())
    check(len(data) % 8 == 0, "mksfx pads the file to 8 bytes (%d)" % len(data))
    record = data.index(MARKER)
    data[record + 20:record + 24] = bytes(4)  # no recorded end-record offset
    with open(package, "wb") as f:
        f.write(data)
    return package, results


def main():
    key, cert = os.path.join(WORK, "key.pem"), os.path.join(WORK, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Glintmoor Test Signer", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    package, results = make_package()
    signed = os.path.join(WORK, "signed.exe")
    r = run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256",
            "-n", "Glintmoor test", "-in", package, "-out", signed)
    if not check(r.returncode == 0, "osslsigncode signs the package: " + r.stdout.strip()):
        return
    check(os.path.getsize(signed) > os.path.getsize(package), "a certificate table follows")
    r = run("osslsigncode", "verify", "-CAfile", cert, "-in", signed)
    print(r.stdout)
    check(r.returncode == 0 and "Signature verification: ok" in r.stdout,
          "osslsigncode verify accepts the signed file")
    r = run("unzip", "-t", signed)
    check(r.returncode == 0 and "No errors detected" in r.stdout, "unzip -t: " + r.stdout[-200:])
    r = run("7z", "t", signed)
    check(r.returncode == 0 and "Everything is Ok" in r.stdout, "7z t: " + r.stdout[-200:])

    try:
        status = run(WINE, signed, "-auto", timeout=60).returncode
    except subprocess.TimeoutExpired:
        status = "timed out: an error message waits"
        end_processes_naming(WORK)
    text = open(results, encoding="utf-8").read() if os.path.exists(results) else ""
    check(status == 0 and "marker=setup-probe-ran" in text and "file=data.txt" in text,
          "the signed file unpacks and runs its setup under Wine (status %s)" % status)

    with open(signed, "rb") as f:
        data = bytearray(f.read())
    record = data.index(MARKER)
    zip_offset = int.from_bytes(data[record + 12:record + 16], "little")
    data[zip_offset + 100] ^= 1  # a byte of the archive
    tampered = os.path.join(WORK, "tampered.exe")
    with open(tampered, "wb") as f:
        f.write(data)
    r = run("osslsigncode", "verify", "-CAfile", cert, "-in", tampered)
    check(r.returncode != 0, "a file with one byte changed fails verification")


if __name__ == "__main__":
    main()
    print("%d failure(s)" % len(FAILURES))
    if not FAILURES:
        shutil.rmtree(WORK, ignore_errors=True)
    sys.exit(1 if FAILURES else 0)
