#!/usr/bin/env python3
"""Writes a zip archive member by member, the way a hostile producer could.

usage: craft_zip.py OUT [NAME CONTENT MODE ENCRYPTED REPEAT]...

MODE: the unix mode as a number (0: none given, so a plain file); ENCRYPTED: 1
sets the member's encryption flag (zipfile writes no encrypted data itself);
REPEAT: how often CONTENT is written, streamed, so a huge member costs no memory.
"""
import sys
import zipfile

out, args = sys.argv[1], sys.argv[2:]
secret = []
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name, content, mode, enc, repeat in zip(args[::5], args[1::5], args[2::5], args[3::5], args[4::5]):
        info = zipfile.ZipInfo(name, (2021, 7, 15, 10, 30, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        if int(mode, 0):
            info.create_system, info.external_attr = 3, int(mode, 0) << 16
        if int(enc):
            secret.append(name.encode())
        data, left = content.encode("latin-1"), int(repeat)
        piece = data * max(1, (1 << 20) // max(1, len(data)))
        with z.open(info, "w", force_zip64=left * len(data) > (1 << 31)) as f:
            while data and left > 0:
                n = min(left, len(piece) // max(1, len(data)))
                f.write(piece[: n * len(data)])
                left -= n

d = bytearray(open(out, "rb").read())
# Local and central headers: signature, offset of the flags, of the name length, of the name.
for sig, flag, length, name in ((b"PK\3\4", 6, 26, 30), (b"PK\1\2", 8, 28, 46)):
    p = d.find(sig)
    while p >= 0:
        n = int.from_bytes(d[p + length : p + length + 2], "little")
        if bytes(d[p + name : p + name + n]) in secret:
            d[p + flag] |= 1
        p = d.find(sig, p + 4)
open(out, "wb").write(d)
