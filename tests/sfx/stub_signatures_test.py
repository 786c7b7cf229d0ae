#!/usr/bin/env python3
"""The built stubs hold no whole ZIP signature: a ZIP reader scanning a
self-extracting file (zip -FF) must not take a part of the stub for a header
or a spanning marker.

usage: stub_signatures_test.py STUB...
"""
import sys

SIGNATURES = (b"PK\x03\x04", b"PK\x01\x02", b"PK\x05\x06", b"PK\x07\x08", b"PK00",
              b"PK\x06\x06", b"PK\x06\x07")


def main():
    failures = 0
    stubs = [a for a in sys.argv[1:] if a]  # an empty argument: a stub not built
    for stub in stubs:
        data = open(stub, "rb").read()
        for sig in SIGNATURES:
            at = data.find(sig)
            if at >= 0:
                print("FAIL: %s holds %r at offset %#x" % (stub, sig, at))
                failures += 1
    if not stubs:
        print("FAIL: no stub given")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
