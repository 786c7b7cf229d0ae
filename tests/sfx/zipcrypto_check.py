"""The traditional-encryption check byte, for tests that need a wrong
password: a wrong password passes that one-byte check one time in 256 and
then fails only at the entry's CRC, so a fixed wrong password flakes."""
import struct
import zlib


def zipcrypto_header_accepts(archive, password):
    """Whether the traditional-encryption check byte of the archive's first
    entry accepts the password. A wrong password passes that one-byte check
    one time in 256; such a password then fails only at the entry's CRC."""
    with open(archive, "rb") as f:
        data = f.read()
    flags, = struct.unpack_from("<H", data, 6)
    mtime, = struct.unpack_from("<H", data, 10)
    crc, = struct.unpack_from("<I", data, 14)
    name_len, extra_len = struct.unpack_from("<HH", data, 26)
    header = data[30 + name_len + extra_len:][:12]
    keys = [0x12345678, 0x23456789, 0x34567890]

    def update(byte):
        keys[0] = zlib.crc32(bytes([byte]), keys[0] ^ 0xFFFFFFFF) ^ 0xFFFFFFFF
        keys[1] = ((keys[1] + (keys[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        keys[2] = zlib.crc32(bytes([keys[1] >> 24]), keys[2] ^ 0xFFFFFFFF) ^ 0xFFFFFFFF

    for byte in password.encode():
        update(byte)
    plain = 0
    for byte in header:
        temp = (keys[2] | 2) & 0xFFFF
        plain = byte ^ (((temp * (temp ^ 1)) >> 8) & 0xFF)
        update(plain)
    expected = (mtime >> 8) if flags & 0x08 else (crc >> 24)
    return plain == expected


def wrong_password(archive):
    """A wrong password that the first entry's check byte refuses."""
    for n in range(1000):
        candidate = "falsch%d" % n
        if not zipcrypto_header_accepts(archive, candidate):
            return candidate
    raise AssertionError("no refused password found")
