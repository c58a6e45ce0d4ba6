"""Pixel pictures and the .ico/.cur files made from them, for the art scripts beside it.

A picture is a list of rows, each a list of pixels: None (transparent), (r, g, b) (opaque)
or (r, g, b, a). The files carry 32-bit BGRA images, each followed by the 1-bit AND mask
Windows expects behind the colour data (1 = transparent: no pixel or alpha below half).
"""
import struct


def blank(n):
    """An n x n picture, all transparent."""
    return [[None] * n for _ in range(n)]


def rect(img, x0, y0, x1, y1, col):
    """Fills x0..x1-1, y0..y1-1 (clipped)."""
    n = len(img)
    for y in range(max(0, y0), min(n, y1)):
        for x in range(max(0, x0), min(n, x1)):
            img[y][x] = col


def shrink(img):
    """Halves an image: each 2x2 block averaged, transparent when most of it is."""
    n = len(img) // 2
    out = blank(n)
    for y in range(n):
        for x in range(n):
            px = [img[2 * y + dy][2 * x + dx] for dy in (0, 1) for dx in (0, 1)]
            px = [p for p in px if p is not None]
            if len(px) >= 2:
                out[y][x] = tuple(sum(p[i] for p in px) // len(px) for i in range(3))
    return out


def bgra(p):
    """One pixel as the four bytes of a 32-bit DIB row."""
    if p is None:
        return bytes((0, 0, 0, 0))
    return bytes((p[2], p[1], p[0], p[3] if len(p) > 3 else 255))


def transparent(p):
    return p is None or (len(p) > 3 and p[3] < 128)


def dib(img):
    """BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up, then the AND
    mask, its rows padded to whole 32-bit words."""
    n = len(img)
    head = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            xor += bgra(img[y][x])
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            if transparent(img[y][x]):
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return head + bytes(xor) + bytes(mask)


def ico(images, hot=None):
    """An .ico file (type 1) from square images of different sizes or, given a hot spot
    (x, y), a .cur file (type 2), whose directory entries hold the hot spot where an icon's
    hold its colour planes and bits per pixel."""
    blobs = [dib(i) for i in images]
    out = bytearray(struct.pack("<HHH", 0, 1 if hot is None else 2, len(blobs)))
    field1, field2 = (1, 32) if hot is None else hot
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        n = len(img)
        out += struct.pack("<BBBBHHII", n, n, 0, 0, field1, field2, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def write(path, data):
    with open(path, "wb") as fh:
        fh.write(data)
