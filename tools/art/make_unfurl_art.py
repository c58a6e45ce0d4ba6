#!/usr/bin/env python3
"""Draws Unfurl's program icon MAINICON: an opened carton with a green arrow coming out
of it, the files being unpacked. The .ico holds a 32x32 and a 16x16 image, 4-bit with a
palette and an AND mask: both have fewer than 16 colours and no partial transparency, so
the pixels are those of 32-bit images in a fifth of the installer's bytes.

Run from anywhere: python3 tools/art/make_unfurl_art.py  (writes unfurl/res/Unfurl.ico)
"""
import os

from artlib import blank, ico, rect, shrink, write

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
OUT = os.path.join(ROOT, "unfurl", "res")

BOX = (196, 140, 70)        # carton sides
BOX_DARK = (150, 100, 45)   # inside and shaded side
FLAP = (222, 172, 100)      # open flaps
ARROW = (2, 125, 26)        # the title's green
EDGE = (60, 40, 20)


def poly(img, pts, col):
    """Fills a convex polygon given clockwise (even-odd scan, pixel centres)."""
    n = len(img)
    for y in range(n):
        cy = y + 0.5
        xs = []
        for i in range(len(pts)):
            (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
            if (y0 <= cy < y1) or (y1 <= cy < y0):
                xs.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(n):
                if a <= x + 0.5 < b:
                    img[y][x] = col


def image32():
    img = blank(32)
    # flaps opened outwards
    poly(img, [(3, 13), (9, 17), (9, 19), (1, 16)], FLAP)
    poly(img, [(29, 13), (31, 16), (23, 19), (23, 17)], FLAP)
    # the carton: front face with its rim, the dark inside above it
    rect(img, 6, 16, 26, 18, BOX_DARK)
    rect(img, 5, 18, 27, 30, EDGE)
    rect(img, 6, 19, 26, 29, BOX)
    rect(img, 6, 19, 26, 20, FLAP)
    rect(img, 14, 19, 18, 29, BOX_DARK)          # tape
    # arrow rising out of the carton
    rect(img, 13, 8, 19, 18, ARROW)
    poly(img, [(16, 0), (24, 9), (8, 9)], ARROW)
    return img


def main():
    os.makedirs(OUT, exist_ok=True)
    big = image32()
    write(os.path.join(OUT, "Unfurl.ico"), ico([big, shrink(big)], small=True))


if __name__ == "__main__":
    main()
