"""Pixel pictures and the .ico/.cur files made from them, for the art scripts beside it.

A picture is a list of rows, each a list of pixels: None (transparent), (r, g, b) (opaque)
or (r, g, b, a). The files carry 32-bit BGRA images, each followed by the 1-bit AND mask
Windows expects behind the colour data (1 = transparent: no pixel or alpha below half).
A picture of at most 16 opaque colours without partial transparency can be stored with a
4-bit palette instead (the same pixels in a quarter of the bytes).
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


def mask_rows(img):
    """The AND mask, bottom-up, rows padded to whole 32-bit words."""
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


def palette_of(img):
    """The opaque colours of a picture when it fits a 4-bit palette (at most 16 colours, each
    pixel fully opaque or fully transparent), else None."""
    cols = []
    for row in img:
        for p in row:
            if p is None:
                continue
            if len(p) > 3 and p[3] not in (0, 255):
                return None
            if len(p) > 3 and p[3] == 0:
                continue
            if tuple(p[:3]) not in cols:
                cols.append(tuple(p[:3]))
    return cols if len(cols) <= 16 else None


def dib4(img, cols):
    """BITMAPINFOHEADER of a 4-bit image, its 16-entry palette, the pixel indices bottom-up
    (transparent pixels index 0 and black, as the mask requires), then the AND mask."""
    n = len(img)
    cols = [(0, 0, 0)] + [c for c in cols if c != (0, 0, 0)]
    cols = (cols + [(0, 0, 0)] * 16)[:16]
    head = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in cols)
    stride = ((n * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            p = img[y][x]
            i = 0 if transparent(p) else cols.index(tuple(p[:3]))
            row[x // 2] |= i << (4 if x % 2 == 0 else 0)
        xor += row
    return head + pal + bytes(xor) + mask_rows(img)


def ico(images, hot=None, small=False):
    """An .ico file (type 1) from square images of different sizes or, given a hot spot
    (x, y), a .cur file (type 2), whose directory entries hold the hot spot where an icon's
    hold its colour planes and bits per pixel. small: images that fit a 4-bit palette are
    stored so."""
    blobs, bits = [], []
    for i in images:
        cols = palette_of(i) if small else None
        blobs.append(dib(i) if cols is None else dib4(i, cols))
        bits.append(32 if cols is None else 4)
    out = bytearray(struct.pack("<HHH", 0, 1 if hot is None else 2, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for img, blob, bpp in zip(images, blobs, bits):
        n = len(img)
        field1, field2 = (1, bpp) if hot is None else hot
        colours = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", n, n, colours, 0, field1, field2, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def write(path, data):
    with open(path, "wb") as fh:
        fh.write(data)
