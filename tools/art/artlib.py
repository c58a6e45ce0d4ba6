"""Pixel pictures and the .ico/.cur files made from them, for the art scripts beside it.

A picture is a list of rows, each a list of pixels: None (transparent), (r, g, b) (opaque)
or (r, g, b, a). The files carry 32-bit BGRA images, each followed by the 1-bit AND mask
Windows expects behind the colour data (1 = transparent: no pixel or alpha below half).
A picture of at most 16 opaque colours without partial transparency can go in as a
4-bit image with its palette instead (ico(..., palette=True)): the same pixels in a
fifth of the bytes.
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


def colours(img):
    """The opaque colours of a picture in the order met, or None when it has partial
    transparency (only a 32-bit image holds that)."""
    found = []
    for row in img:
        for p in row:
            if p is None:
                continue
            if len(p) > 3 and p[3] != 255:
                return None
            if p[:3] not in found:
                found.append(p[:3])
    return found


def and_mask(img):
    """The 1-bit AND mask, bottom-up, its rows padded to whole 32-bit words."""
    n = len(img)
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            if transparent(img[y][x]):
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return bytes(mask)


def dib(img):
    """BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up, then the AND
    mask."""
    n = len(img)
    head = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            xor += bgra(img[y][x])
    return head + bytes(xor) + and_mask(img)


def dib4(img):
    """The same picture as a 4-bit image: the header, 16 palette entries (black first, the
    colour under transparent pixels), two pixels a byte with rows padded to 32-bit words,
    then the AND mask."""
    n = len(img)
    palette = [(0, 0, 0)] + [c for c in colours(img) if c != (0, 0, 0)]
    assert len(palette) <= 16, "more than 16 colours"
    palette += [(0, 0, 0)] * (16 - len(palette))
    head = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    stride = ((n * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            p = img[y][x]
            index = 0 if transparent(p) else palette.index(p[:3])
            row[x // 2] |= index << (0 if x % 2 else 4)
        xor += row
    return head + pal + bytes(xor) + and_mask(img)


def ico(images, hot=None, palette=False):
    """An .ico file (type 1) from square images of different sizes or, given a hot spot
    (x, y), a .cur file (type 2), whose directory entries hold the hot spot where an icon's
    hold its colour planes and bits per pixel. palette: 4-bit images (dib4)."""
    blobs = [dib4(i) if palette else dib(i) for i in images]
    out = bytearray(struct.pack("<HHH", 0, 1 if hot is None else 2, len(blobs)))
    field1, field2 = (1, 4 if palette else 32) if hot is None else hot
    count = 16 if palette else 0
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        n = len(img)
        out += struct.pack("<BBBBHHII", n, n, count, 0, field1, field2, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def write(path, data):
    with open(path, "wb") as fh:
        fh.write(data)
