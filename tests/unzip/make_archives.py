#!/usr/bin/env python3
"""Makes the archives of the writers test: a small tree of files with known times, packed by
Info-ZIP zip (deflated, stored, streamed), 7-Zip and Python's zipfile (deflated, stored, with
data descriptors), and a manifest of what each archive holds.

make_archives.py OUTDIR  ->  OUTDIR/src/..., OUTDIR/<writer>.zip, OUTDIR/manifest.txt
manifest lines: archive <TAB> name <TAB> year month day hour minute second  (DOS time stored)
"""
import io
import os
import random
import struct
import subprocess
import sys
import time
import zipfile

out = sys.argv[1]
src = os.path.join(out, "src")
rnd = random.Random(1234)

words = [b"alpha", b"beta", b"gamma", b"delta", b"install", b"folder", b"\r\n", b"\n", b" "]
def text(n):
    return b"".join(rnd.choice(words) for _ in range(n))[:n]

files = {
    "readme.txt": b"Read me first.\r\n",
    "empty.txt": b"",
    "big.txt": text(400000),
    "noise.bin": bytes(rnd.getrandbits(8) for _ in range(150000)),
    "sub/file.txt": b"a file in a folder\n" * 50,
    "sub/deep/data.bin": bytes(rnd.getrandbits(8) for _ in range(3000)) + text(70000),
    "Mixed Case Name.TXT": text(999),
}
folders = ["sub/", "sub/deep/", "emptydir/"]

os.makedirs(src, exist_ok=True)
for f in folders:
    os.makedirs(os.path.join(src, f), exist_ok=True)
for i, (name, data) in enumerate(sorted(files.items())):
    path = os.path.join(src, name)
    with open(path, "wb") as fh:
        fh.write(data)
    # Even seconds: DOS times have two-second steps.
    t = time.mktime((2011 + i, 1 + i, 3 + 2 * i, 4 + i, 5 + 3 * i, 2 * i, 0, 0, -1))
    os.utime(path, (t, t))

def run(cmd, **kw):
    subprocess.run(cmd, check=True, cwd=src, **kw)

def rel(p):
    return os.path.join("..", p)

run(["zip", "-q", "-r", "-X", rel("zip-deflated.zip"), "."])
run(["zip", "-q", "-r", "-X", "-0", rel("zip-stored.zip"), "."])
# Streamed through a pipe: zip cannot seek back and writes data descriptors.
with open(os.path.join(out, "zip-stream.zip"), "wb") as fh:
    p = subprocess.Popen(["zip", "-q", "-r", "-X", "-", "."], cwd=src, stdout=subprocess.PIPE)
    fh.write(p.stdout.read())
    assert p.wait() == 0
run(["7z", "a", "-tzip", "-bd", "-bso0", "-bsp0", rel("7z.zip"), "."])

def py_zip(name, method, stream=False):
    target = io.BytesIO()
    class Unseekable(io.RawIOBase):
        def writable(self): return True
        def write(self, b): target.write(b); return len(b)
    with zipfile.ZipFile(Unseekable() if stream else target, "w", method) as z:
        for f in folders:
            z.write(os.path.join(src, f), f)
        for n in sorted(files):
            z.write(os.path.join(src, n), n)
    data = target.getvalue()
    with open(os.path.join(out, name), "wb") as fh:
        fh.write(data)
    return data

py_zip("py-deflated.zip", zipfile.ZIP_DEFLATED)
py_zip("py-stored.zip", zipfile.ZIP_STORED)
raw = bytearray(py_zip("py-stream-zero.zip", zipfile.ZIP_DEFLATED, stream=True))

# The streamed archive with CRC and sizes written into the local headers as well: data
# descriptors (with signature) that carry the same values.
with zipfile.ZipFile(io.BytesIO(bytes(raw))) as z:
    for info in z.infolist():
        at = info.header_offset
        assert raw[at:at + 4] == b"PK\x03\x04"
        raw[at + 14:at + 26] = struct.pack("<III", info.CRC, info.compress_size, info.file_size)
with open(os.path.join(out, "py-stream-sizes.zip"), "wb") as fh:
    fh.write(raw)

with open(os.path.join(out, "manifest.txt"), "w") as m:
    for arc in ["zip-deflated.zip", "zip-stored.zip", "zip-stream.zip", "7z.zip",
                "py-deflated.zip", "py-stored.zip", "py-stream-sizes.zip", "py-stream-zero.zip"]:
        with zipfile.ZipFile(os.path.join(out, arc)) as z:
            for info in z.infolist():
                m.write("%s\t%s\t%s\n" % (arc, info.filename, " ".join(map(str, info.date_time))))
