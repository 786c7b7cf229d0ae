#!/usr/bin/env python3
"""Checks that a Windows program loads on its oldest system.

Reads the import table of each PE file named on the command line and looks
every statically imported function up in tools/windows-imports.txt (the
first Windows of the NT family that exports it, and whether Windows 95, 98
and ME implement it, only stub it or lack it). Windows refuses to start a
program that imports a function its DLLs do not export, and a stub fails
every call, so the check fails on:
  - an import the table does not know,
  - an import newer than the program's oldest system,
  - for a program that is to run on Windows 95, an import that family lacks
    or only stubs, unless the row says why the program does without it.

  check-imports.py [--table FILE] [--list] OLDEST FILE...

OLDEST is 95 (Windows 95 and NT 4), nt4, 2000, xp or vista. --list prints
every import with its row.
"""
import argparse
import os
import struct
import sys

NT_ORDER = ["nt3.1", "nt3.5", "nt3.51", "nt4", "2000", "xp", "xpsp2", "2003", "vista", "7",
            "8", "8.1", "10"]
NINE_X = ["95", "98", "me", "stub", "no"]
# The oldest system a program is for: the NT version it needs, and whether
# it must also run on Windows 95.
OLDEST = {"95": ("nt4", True), "nt4": ("nt4", False), "2000": ("2000", False),
          "xp": ("xp", False), "vista": ("vista", False)}


def read_imports(path):
    """(dll, function) for every import by name; ordinals as '#n'."""
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        raise ValueError(f"{path}: not an MZ file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path}: not a PE file")
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    wide = magic == 0x20B  # PE32+
    directories = optional + (112 if wide else 96)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    first_section = optional + optional_size
    for i in range(sections_count):
        s = first_section + 40 * i
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
        sections.append((vaddr, max(vsize, rsize), raw))

    def offset(rva):
        for vaddr, size, raw in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise ValueError(f"{path}: address {rva:#x} lies in no section")

    def cstring(at):
        return data[at:data.index(b"\0", at)].decode("ascii")

    imports = []
    entry = offset(import_rva) if import_rva else None
    while entry is not None:
        lookup, _, _, name_rva, thunk = struct.unpack_from("<IIIII", data, entry)
        if name_rva == 0:
            break
        dll = cstring(offset(name_rva)).lower()
        at = offset(lookup or thunk)
        step, flag = (8, 1 << 63) if wide else (4, 1 << 31)
        while True:
            value = struct.unpack_from("<Q" if wide else "<I", data, at)[0]
            if value == 0:
                break
            if value & flag:
                imports.append((dll, f"#{value & 0xFFFF}"))
            else:
                imports.append((dll, cstring(offset(value & 0x7FFFFFFF) + 2)))
            at += step
        entry += 20
    return imports


def read_table(path):
    """{(dll, function): row} from the table; a row is a dict."""
    table = {}
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        fields = line.split(None, 5)
        if len(fields) < 5:
            raise ValueError(f"{path}:{number}: needs function, dll, nt, 9x and source")
        function, dll, nt, nine, source = fields[:5]
        if nt not in NT_ORDER or nine not in NINE_X:
            raise ValueError(f"{path}:{number}: unknown system {nt!r} or {nine!r}")
        key = (dll.lower(), function)
        if key in table:
            raise ValueError(f"{path}:{number}: {function} of {dll} twice")
        table[key] = {"nt": nt, "9x": nine, "source": source,
                      "note": fields[5] if len(fields) > 5 else ""}
    return table


def verdict(row, oldest):
    """None when the row is fine for the oldest system, else the reason."""
    nt, with_95 = OLDEST[oldest]
    if NT_ORDER.index(row["nt"]) > NT_ORDER.index(nt):
        return f"exported from Windows {row['nt']} on, the program is for {oldest}"
    if with_95 and row["9x"] == "no":
        return "missing on Windows 95, 98 and ME"
    if with_95 and row["9x"] in ("98", "me"):
        return f"missing on Windows 95 (exported from {row['9x']} on)"
    if with_95 and row["9x"] == "stub" and not row["note"]:
        return "only a stub on Windows 95, 98 and ME, and the table says no reason"
    return None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--table", default=os.path.join(here, "windows-imports.txt"))
    parser.add_argument("--list", action="store_true")
    parser.add_argument("oldest", choices=sorted(OLDEST))
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    table = read_table(args.table)
    failures = 0
    for path in args.files:
        failed_before = failures
        imports = read_imports(path)
        for dll, function in imports:
            row = table.get((dll, function))
            problem = "not in the table" if row is None else verdict(row, args.oldest)
            if problem:
                failures += 1
                print(f"FAIL {os.path.basename(path)}: {function} ({dll}): {problem}")
            elif args.list:
                print(f"{os.path.basename(path)}\t{dll}\t{function}\tNT {row['nt']}\t"
                      f"9x {row['9x']}\t{row['note']}")
        print(f"{path}: {len(imports)} imports, oldest system {args.oldest}: "
              f"{'fails' if failures > failed_before else 'loads'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
