#!/usr/bin/env python3
"""Inflate against streams of several independent encoders.

Builds a corpus of mixed text and binary files, compresses it with
  * Debian's zip (Info-ZIP) at -1 .. -9 (-0 stores; its entries are checked too),
  * Python's zipfile at compresslevel 1 .. 9,
  * 7-Zip's own deflate encoder (p7zip-full) at -mx 1, 5, 9,
  * zopfli (--deflate),
  * zlib at every strategy (default, filtered, Huffman only, RLE, fixed),
takes the raw deflate stream of every entry and hands each pair (stream,
original) to sfx_inflate_check, which inflates it with the fast and the
reference decompressor and with zlib and compares bytes and CRC-32.

usage: encoders_test.py SFX_INFLATE_CHECK
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


def make_corpus(root):
    rnd = random.Random(1234)
    files = {}
    words = ("Schnee Landschaft Winter snowman flake the und Dorf Stadt Baum "
             "Zaun Himmel Wolken moon Glintmoor 0 1 2 3 4 5 6 7 8 9").split()
    text = "\n".join(" ".join(rnd.choice(words) for _ in range(rnd.randint(3, 14)))
                     for _ in range(20000)).encode()
    files["text/lines.txt"] = text
    files["text/small.txt"] = b"Hallo Welt\n"
    files["text/one"] = b"x"
    files["empty.bin"] = b""
    files["zeros.bin"] = bytes(200000)
    files["noise.bin"] = bytes(rnd.getrandbits(8) for _ in range(150000))
    # Binaries: real programs of the system.
    for name in ("ls", "cp", "sh"):
        path = shutil.which(name)
        if path:
            with open(os.path.realpath(path), "rb") as f:
                files["bin/" + name] = f.read()[:400000]
    # Mixed: runs, repeats at every distance, text and noise.
    mixed = bytearray()
    while len(mixed) < 600000:
        r = rnd.random()
        if r < 0.3:
            mixed += bytes(rnd.getrandbits(8) for _ in range(rnd.randint(1, 300)))
        elif r < 0.6 and len(mixed) > 40000:
            d = rnd.randint(1, 32768)
            n = rnd.randint(3, 600)
            for _ in range(n):
                mixed.append(mixed[-d])
        else:
            mixed += text[rnd.randint(0, len(text) - 500):][:rnd.randint(10, 400)]
    files["mixed.bin"] = bytes(mixed)
    for name, data in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return files


def raw_streams(zip_path):
    """(name, method, raw data) of every file entry of an archive."""
    out = []
    with open(zip_path, "rb") as f:
        blob = f.read()
    with zipfile.ZipFile(zip_path) as z:
        for info in z.infolist():
            if info.is_dir():
                continue
            off = info.header_offset
            name_len, extra_len = struct.unpack("<HH", blob[off + 26:off + 30])
            start = off + 30 + name_len + extra_len
            out.append((info.filename, info.compress_type, blob[start:start + info.compress_size]))
    return out


def main():
    checker = sys.argv[1]
    work = tempfile.mkdtemp(prefix="sfx_encoders_")
    try:
        corpus = os.path.join(work, "corpus")
        files = make_corpus(corpus)
        names = sorted(files)
        streams = os.path.join(work, "streams")
        os.makedirs(streams)
        pairs = []
        stored_checked = 0

        def add(tag, name, data):
            path = os.path.join(streams, tag + "__" + name.replace("/", "_") + ".raw")
            with open(path, "wb") as f:
                f.write(data)
            pairs.append((path, os.path.join(corpus, name)))

        def add_archive(tag, zip_path):
            nonlocal stored_checked
            for name, method, data in raw_streams(zip_path):
                if method == zipfile.ZIP_DEFLATED:
                    add(tag, name, data)
                elif method == zipfile.ZIP_STORED:
                    assert data == files[name], (tag, name)
                    stored_checked += 1
                else:
                    raise AssertionError("unexpected method %d in %s" % (method, tag))

        # Info-ZIP zip, -0 .. -9.
        for level in range(10):
            z = os.path.join(work, "zip%d.zip" % level)
            subprocess.run(["zip", "-q", "-X", "-%d" % level, z] + names, cwd=corpus, check=True)
            add_archive("zip%d" % level, z)
        # Python's zipfile.
        for level in range(1, 10):
            z = os.path.join(work, "py%d.zip" % level)
            with zipfile.ZipFile(z, "w", zipfile.ZIP_DEFLATED, compresslevel=level) as zf:
                for name in names:
                    zf.write(os.path.join(corpus, name), name)
            add_archive("py%d" % level, z)
        # 7-Zip's deflate encoder.
        for level in (1, 5, 9):
            z = os.path.join(work, "7z%d.zip" % level)
            subprocess.run(["7z", "a", "-bd", "-bso0", "-tzip", "-mm=Deflate", "-mx=%d" % level, z]
                           + names, cwd=corpus, check=True)
            add_archive("7z%d" % level, z)
        # zopfli, raw deflate. It is slow: the small files, and a slice of
        # each big one, with one iteration.
        for name in names:
            src = os.path.join(corpus, name)
            if len(files[name]) > 160000:
                sliced = os.path.join(corpus, name + ".slice")
                with open(sliced, "wb") as f:
                    f.write(files[name][:120000])
                src, name = sliced, name + ".slice"
            out = os.path.join(work, "zopfli.out")
            with open(out, "wb") as f:
                subprocess.run(["zopfli", "--deflate", "--i1", "-c", src], check=True, stdout=f)
            with open(out, "rb") as f:
                add("zopfli", name, f.read())
        # zlib, every strategy.
        strategies = {"default": zlib.Z_DEFAULT_STRATEGY, "filtered": zlib.Z_FILTERED,
                      "huffman": zlib.Z_HUFFMAN_ONLY, "rle": zlib.Z_RLE, "fixed": zlib.Z_FIXED}
        for sname, strategy in strategies.items():
            for level in (1, 6, 9):
                for name in names:
                    c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
                    add("zlib-%s%d" % (sname, level), name, c.compress(files[name]) + c.flush())

        failures = 0
        batch = 64
        for i in range(0, len(pairs), batch):
            args = [checker]
            for stream, original in pairs[i:i + batch]:
                args += [stream, original]
            r = subprocess.run(args, stdout=subprocess.PIPE, text=True)
            if r.returncode != 0:
                failures += 1
                sys.stdout.write("".join(l + "\n" for l in r.stdout.splitlines()
                                         if l.startswith("FAIL")))
        print("%d deflate streams from zip, zipfile, 7-Zip, zopfli and zlib checked; "
              "%d stored entries compared" % (len(pairs), stored_checked))
        if failures:
            print("FAILED")
            return 1
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
