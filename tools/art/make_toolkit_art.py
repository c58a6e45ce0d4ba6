#!/usr/bin/env python3
"""Draws the icons and cursors of the help viewer and the About box.

Writes, next to the dialog templates in common/res/:
  QHelpTitle.ico      19900  the help viewer's fixed title icon: a blue book with a "?"
  QHelpLamp1..4.ico   19901..19904  the lamp beside Cancel, from dark to fully lit
  QLinkWeb.cur        19700  pointing hand with a globe, over the web link
  QLinkMail.cur       19701  pointing hand with an envelope, over the e-mail link

Standard library only. Shapes are rendered 4 x 4 supersampled into 32 x 32 BGRA images with
an alpha channel; the files carry one 32-bit image each, with the 1-bit AND mask Windows
expects behind the colour data. Run it again after changing a drawing and commit the output.
"""
import math
import os
import sys

import artlib

SIZE = 32
SS = 4  # supersampling per axis


class Canvas:
    """A SIZE x SIZE RGBA picture, painted in order with straight-alpha 'over'."""

    def __init__(self):
        self.px = [[(0, 0, 0, 0) for _ in range(SIZE)] for _ in range(SIZE)]

    def blend(self, x, y, rgb, cover):
        if cover <= 0 or not (0 <= x < SIZE and 0 <= y < SIZE):
            return
        r, g, b, a = self.px[y][x]
        sa = cover
        da = a / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        mix = lambda s, d: (s * sa + d * da * (1 - sa)) / oa
        self.px[y][x] = (round(mix(rgb[0], r)), round(mix(rgb[1], g)),
                         round(mix(rgb[2], b)), round(oa * 255))

    def shape(self, inside, rgb, alpha=1.0, box=(0, 0, SIZE, SIZE)):
        """Fills every pixel in box by the share of its subsamples for which inside(x, y)."""
        x0, y0, x1, y1 = [int(v) for v in box]
        for y in range(max(0, y0), min(SIZE, y1 + 1)):
            for x in range(max(0, x0), min(SIZE, x1 + 1)):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                self.blend(x, y, rgb, alpha * hits / (SS * SS))

    def pixels(self, rows, palette, ox=0, oy=0):
        """Pixel art: one string per row, one character per pixel, '.' transparent."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch in palette:
                    self.blend(ox + i, oy + j, palette[ch], 1.0)


# Shape tests, all in pixel coordinates (pixel centres at .5).
def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def stroke(points, width):
    """A polyline of the given width with round ends."""
    segs = list(zip(points, points[1:]))
    half = width / 2.0

    def inside(x, y):
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0 if ll == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / ll))
            px, py = ax + t * dx - x, ay + t * dy - y
            if px * px + py * py <= half * half:
                return True
        return False
    return inside


def arc(cx, cy, r, a0, a1, steps=24):
    """Points on a circle from angle a0 to a1 (degrees, 0 = east, counter-clockwise on screen)."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
             cy - r * math.sin(math.radians(a0 + (a1 - a0) * k / steps))) for k in range(steps + 1)]


def polygon(pts):
    def inside(x, y):
        c = False
        n = len(pts)
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (bx - ax) * (y - ay) / (by - ay):
                c = not c
        return c
    return inside


def outside_of(inner):
    return lambda x, y: not inner(x, y)


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def question_mark(c, cx, top, scale, rgb):
    """A bold "?" whose hook is centred on cx, starting at top."""
    r = 4.2 * scale
    hook = arc(cx, top + r + 1, r, 160, -90, 20)
    stem_end = (cx, top + r + 1 + r * 1.9)
    c.shape(stroke(hook + [stem_end], 2.6 * scale), rgb)
    c.shape(circle(cx, stem_end[1] + 3.4 * scale, 1.6 * scale), rgb)


# ---- 19900: blue book with a yellow question mark --------------------------------------
def help_title():
    c = Canvas()
    c.shape(round_rect(5, 4, 28, 30, 2), (40, 40, 60), 0.35)             # soft shadow
    c.shape(rect(7, 26, 26, 29), (235, 235, 225))                        # page edges
    for y in (27, 28):
        c.shape(rect(8, y, 25, y + 0.35), (170, 170, 160))
    c.shape(round_rect(4, 2, 26, 27, 2), (20, 50, 150))                  # cover
    c.shape(round_rect(5, 3, 25, 26, 1.5), (40, 90, 205))
    c.shape(rect(5, 3, 8, 26), (25, 60, 165))                            # spine
    c.shape(rect(8, 3, 8.6, 26), (120, 160, 240))
    c.shape(stroke([(10, 5.5), (23, 5.5)], 0.9), (140, 180, 250))        # gloss
    question_mark(c, 16.6, 6.3, 1.05, (255, 210, 40))
    return c


# ---- 19901..19904: a lamp, off, glowing, bright, radiant ------------------------------
def lamp(level):
    c = Canvas()
    glass = [(150, 155, 165), (245, 215, 90), (255, 230, 70), (255, 245, 120)][level]
    rim = [(90, 95, 105), (170, 130, 20), (190, 140, 0), (200, 150, 0)][level]
    if level >= 2:                                                         # halo
        c.shape(circle(16, 12.5, 13.5 if level == 3 else 11.5), (255, 240, 150), 0.35)
    if level >= 1:                                                         # rays
        inner, outer = 11.5, [0, 12.5, 14.0, 15.8][level]
        for ang in (90, 35, 145, 0, 180, -30, 210):
            a = math.radians(ang)
            p0 = (16 + inner * math.cos(a), 12 - inner * math.sin(a))
            p1 = (16 + outer * math.cos(a), 12 - outer * math.sin(a))
            c.shape(stroke([p0, p1], 1.6), (235, 170, 0))
    bulb = lambda x, y: circle(16, 12, 8.5)(x, y) or polygon(
        [(10.5, 17), (21.5, 17), (19.5, 22.5), (12.5, 22.5)])(x, y)
    c.shape(bulb, rim)
    c.shape(lambda x, y: circle(16, 12, 7.5)(x, y) or polygon(
        [(11.5, 16.5), (20.5, 16.5), (18.8, 21.6), (13.2, 21.6)])(x, y), glass)
    c.shape(stroke(arc(16, 12, 5, 150, 100, 8), 1.6), (255, 255, 255), 0.8)  # glint
    fil = (120, 110, 100) if level == 0 else (230, 90, 0)                  # filament
    c.shape(stroke([(13.5, 20.5), (14.2, 14), (15.1, 15.5), (16, 14), (16.9, 15.5),
                    (17.8, 14), (18.5, 20.5)], 0.9), fil)
    for k, y in enumerate((22.5, 24.5, 26.5)):                             # screw base
        c.shape(round_rect(12, y, 20, y + 2, 0.9), (110, 115, 125) if k % 2 == 0 else (160, 165, 175))
    c.shape(round_rect(14, 28.5, 18, 30.5, 1), (60, 60, 70))
    return c


# ---- 19700 / 19701: the link cursors ----------------------------------------------------
HAND = [  # B outline, W fill; the fingertip (5, 0) is the hot spot
    ".....BB..........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWB.........",
    "....BWWBBB.......",
    "....BWWBWWBBB....",
    "....BWWBWWBWWBB..",
    "....BWWBWWBWWBWB.",
    ".BB.BWWWWWWWWBWWB",
    "BWWBBWWWWWWWWWWWB",
    "BWWWBWWWWWWWWWWWB",
    ".BWWBWWWWWWWWWWWB",
    "..BWWWWWWWWWWWWWB",
    "..BWWWWWWWWWWWWWB",
    "...BWWWWWWWWWWWB.",
    "...BWWWWWWWWWWWB.",
    "....BWWWWWWWWWB..",
    "....BWWWWWWWWWB..",
    "....BBBBBBBBBBB..",
]
HAND_HOT = (5, 0)
HAND_PALETTE = {"B": (0, 0, 0), "W": (255, 255, 255)}


def globe(c, cx, cy, r):
    c.shape(circle(cx, cy, r + 1), (0, 0, 0))
    c.shape(circle(cx, cy, r), (40, 110, 220))
    land = lambda x, y: (ellipse(cx - 2.5, cy - 2.5, 3, 2.5)(x, y) or ellipse(cx + 2.5, cy + 2.5, 2.5, 3.5)(x, y)
                         or ellipse(cx + 3.5, cy - 4, 2, 1.3)(x, y))
    c.shape(both(land, circle(cx, cy, r)), (60, 170, 60))
    ring = lambda rx: both(outside_of(ellipse(cx, cy, rx, r)), ellipse(cx, cy, rx + 0.7, r + 0.01))
    c.shape(both(ring(r * 0.45), circle(cx, cy, r)), (220, 235, 255), 0.8)   # meridian
    c.shape(both(rect(cx - r, cy - 0.35, cx + r, cy + 0.35), circle(cx, cy, r)), (220, 235, 255), 0.8)


def envelope(c, x0, y0, x1, y1):
    c.shape(rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1), (0, 0, 0))
    c.shape(rect(x0, y0, x1, y1), (255, 250, 225))
    mx = (x0 + x1) / 2.0
    c.shape(stroke([(x0 + 0.3, y0 + 0.3), (mx, y0 + (y1 - y0) * 0.62), (x1 - 0.3, y0 + 0.3)], 1.1), (0, 0, 0))
    c.shape(stroke([(x0 + 0.3, y1 - 0.3), (mx - 2.2, y0 + (y1 - y0) * 0.45)], 0.8), (120, 100, 60))
    c.shape(stroke([(x1 - 0.3, y1 - 0.3), (mx + 2.2, y0 + (y1 - y0) * 0.45)], 0.8), (120, 100, 60))
    c.shape(rect(x1 - 5, y0 + 1, x1 - 1.5, y0 + 4), (220, 40, 40))        # stamp


def link_cursor(badge):
    c = Canvas()
    c.pixels(HAND, HAND_PALETTE)
    if badge == "web":
        globe(c, 22.5, 22.5, 7)
    else:
        envelope(c, 13, 17, 30, 29)
    return c


# ---- file writer -----------------------------------------------------------------------
def write_resource(path, c, cursor_hot=None):
    """An .ico or, with a hot spot, a .cur holding the one 32 x 32 image."""
    artlib.write(path, artlib.ico([c.px], cursor_hot))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "common", "res")
    os.makedirs(out, exist_ok=True)
    write_resource(os.path.join(out, "QHelpTitle.ico"), help_title())
    for level in range(4):
        write_resource(os.path.join(out, "QHelpLamp%d.ico" % (level + 1)), lamp(level))
    write_resource(os.path.join(out, "QLinkWeb.cur"), link_cursor("web"), HAND_HOT)
    write_resource(os.path.join(out, "QLinkMail.cur"), link_cursor("mail"), HAND_HOT)


if __name__ == "__main__":
    main()
