"""WinZip AES entries written independently of the stub's code (AES from
Python's cryptography package, PBKDF2 and HMAC from hashlib and hmac), for
the strengths and versions 7-Zip does not write here (AE-1, non-ASCII
passwords), and the verifier a password gives, for a wrong password that the
two-byte check refuses for certain."""
import hashlib
import hmac
import os
import struct
import zipfile
import zlib

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes


def keys(password, salt, strength):
    n = 8 + 8 * strength
    k = hashlib.pbkdf2_hmac("sha1", password.encode("utf-8"), salt, 1000, 2 * n + 2)
    return k[:n], k[n:2 * n], k[2 * n:]


def ctr(key, data):
    ecb = Cipher(algorithms.AES(key), modes.ECB()).encryptor()
    out = bytearray()
    for i in range(0, len(data), 16):
        stream = ecb.update((i // 16 + 1).to_bytes(16, "little"))
        out += bytes(a ^ b for a, b in zip(data[i:i + 16], stream))
    return bytes(out)


def write(path, entries, password, strength, version):
    """A ZIP of (name, data) entries, deflated and AES-encrypted."""
    out, central = bytearray(), bytearray()
    for name, data in entries:
        raw = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = raw.compress(data) + raw.flush()
        salt = os.urandom(4 + 4 * strength)
        aes_key, mac_key, verifier = keys(password, salt, strength)
        enc = ctr(aes_key, packed)
        body = salt + verifier + enc + hmac.new(mac_key, enc, "sha1").digest()[:10]
        crc = zlib.crc32(data) if version == 1 else 0
        field = struct.pack("<HHHBBBH", 0x9901, 7, version, ord("A"), ord("E"), strength, 8)
        fixed = struct.pack("<HHHHHIIIHH", 51, 1, 99, 0, 0x5A88, crc, len(body), len(data),
                            len(name.encode()), len(field))
        central += (struct.pack("<IH", 0x02014b50, 51) + fixed + struct.pack("<HHHII", 0, 0, 0, 0,
                    len(out)) + name.encode() + field)
        out += struct.pack("<I", 0x04034b50) + fixed + name.encode() + field + body
    end = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, len(entries), len(entries), len(central),
                      len(out), 0)
    with open(path, "wb") as f:
        f.write(out + central + end)


def verifier(archive, password):
    """The verifier of the first AES entry, and the one the password gives."""
    with open(archive, "rb") as f:
        data = f.read()
    at = data.index(b"PK\x03\x04")
    name_len, extra_len = struct.unpack_from("<HH", data, at + 26)
    extra = data[at + 30 + name_len:at + 30 + name_len + extra_len]
    strength = extra[extra.index(b"AE") + 2]
    body = at + 30 + name_len + extra_len
    salt = data[body:body + 4 + 4 * strength]
    return data[body + len(salt):body + len(salt) + 2], keys(password, salt, strength)[2]


def wrong_aes_password(archive):
    """A wrong password whose verifier differs from the archive's."""
    for n in range(1000):
        stored, derived = verifier(archive, "falsch%d" % n)
        if stored != derived:
            return "falsch%d" % n
    raise AssertionError("no wrong password")
