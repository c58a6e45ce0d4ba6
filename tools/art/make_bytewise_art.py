#!/usr/bin/env python3
"""Draws Bytewise's icons: the program icon and the eight animation frames 9900-9907.

The emblem: two rows of six byte cells, the first file above, the second below. A
yellow scan bar walks along the columns (frames 0-5); the pair in column 4 differs and
turns red once scanned. Frame 6 (held longest by the program) shows the finished scan
with the differing pair marked; frame 7 clears the marks before the next pass.
Each .ico holds a 32x32 and a 16x16 image, 32-bit BGRA with an AND mask.

Run from anywhere: python3 tools/art/make_bytewise_art.py  (writes bytewise/res/*.ico)
"""
import os

from artlib import blank, ico, rect, shrink, write

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
OUT = os.path.join(ROOT, "bytewise", "res")

COLS = 6
DIFF_COL = 4
FILE1 = (40, 90, 200)       # cells of the first file
FILE2 = (30, 150, 90)       # cells of the second file
SAME = (120, 120, 120)      # "equal" tick between a scanned pair
DIFF = (220, 30, 30)        # differing pair
SCAN = (255, 210, 0)        # scan bar
EDGE = (20, 20, 40)


def lighter(col, k=0.45):
    return tuple(int(c + (255 - c) * k) for c in col)


def cell(img, x, y, w, h, col):
    rect(img, x, y, x + w, y + h, EDGE)
    rect(img, x + 1, y + 1, x + w - 1, y + h - 1, col)
    if w > 3 and h > 3:
        rect(img, x + 1, y + 1, x + w - 1, y + 2, lighter(col))


def frame_image(frame, n):
    """One animation frame at n x n pixels (n = 32 or 16)."""
    if n != 32:
        return shrink(frame_image(frame, 32))
    img = blank(n)
    cw, pitch = 4, 5                   # cell width, column pitch
    x0 = (n - pitch * COLS + 1) // 2
    top, bot, ch = 4, 20, 8            # rows of the two files, cell height
    # Which columns are scanned and where the bar is.
    if frame <= 5:
        scanned, bar = frame, frame
    elif frame == 6:
        scanned, bar = COLS, None
    else:
        scanned, bar = 0, None
    if bar is not None:
        bx = x0 + bar * pitch
        rect(img, bx - 1, top - 2, bx + cw + 1, bot + ch + 2, SCAN)
    for c in range(COLS):
        x = x0 + c * pitch
        differs = c == DIFF_COL and c < scanned + (1 if bar == c else 0)
        c1 = DIFF if differs else FILE1
        c2 = DIFF if differs else FILE2
        cell(img, x, top, cw, ch, c1)
        cell(img, x, bot, cw, ch, c2)
        mid = top + ch + (bot - top - ch) // 2
        if c < scanned or bar == c:
            if differs:
                # an "X" between the pair
                for d in range(-1, 2):
                    for (px, py) in ((x + cw // 2 + d, mid + d), (x + cw // 2 + d, mid - d)):
                        if 0 <= px < n and 0 <= py < n:
                            img[py][px] = DIFF
            else:
                rect(img, x + 1, mid - 1, x + cw - 1, mid, SAME)
                rect(img, x + 1, mid + 1, x + cw - 1, mid + 2, SAME)
    if frame == 6:
        # red frame around the differing pair: the result the program found
        x = x0 + DIFF_COL * pitch
        for (ax, ay, bx2, by2) in ((x - 2, top - 3, x + cw + 2, top - 2),
                                   (x - 2, bot + ch + 2, x + cw + 2, bot + ch + 3),
                                   (x - 2, top - 3, x - 1, bot + ch + 3),
                                   (x + cw + 1, top - 3, x + cw + 2, bot + ch + 3)):
            rect(img, ax, ay, bx2, by2, DIFF)
    return img


def main():
    os.makedirs(OUT, exist_ok=True)
    for f in range(8):
        write(os.path.join(OUT, "ani%d.ico" % f), ico([frame_image(f, 32), frame_image(f, 16)], small=True))
    write(os.path.join(OUT, "Bytewise.ico"), ico([frame_image(6, 32), frame_image(6, 16)], small=True))


if __name__ == "__main__":
    main()
