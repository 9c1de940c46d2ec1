#!/usr/bin/env python3
"""Writes the shipped symbol library of dat/sym/: furniture, sanitary fittings, trees, a north
arrow and a title block. Run again after changing it; the output depends on nothing else, so it
is the same on every machine.

    python3 scripts/make_symbols.py [OUTPUT_DIR]      (default: dat/sym beside this script)

A symbol file is a native drawing file holding only the header chunk "KRVW" (version 300) and
element chunks; every number is big-endian. Coordinates are metres relative to the symbol's
origin, which the symbol commands put where the user clicks: furniture and fittings have it at
their lower left corner (the wall side), trees and the north arrow at their centre, the title
block at its lower right corner. Text heights are millimetres on paper.
"""
import math
import os
import struct
import sys

PEN_THIN, PEN_MEDIUM, PEN_THICK = 1, 2, 3


def chunk(key, body):
    return key.encode("ascii") + struct.pack(">I", len(body)) + body


def head(pen, line_type=0, layer=0, group=0):
    return struct.pack(">HHBB", layer, group, pen, line_type)


class Symbol:
    def __init__(self):
        self.chunks = []

    def line(self, x1, y1, x2, y2, pen=PEN_THIN, line_type=0):
        self.chunks.append(chunk("LINE", head(pen, line_type) + struct.pack(">4d", x1, y1, x2, y2)))

    def polyline(self, points, pen=PEN_THIN, closed=False, line_type=0):
        pts = list(points) + ([points[0]] if closed else [])
        for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
            self.line(x1, y1, x2, y2, pen, line_type)

    def rect(self, x, y, w, h, pen=PEN_THIN):
        self.polyline([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], pen, closed=True)

    def arc(self, cx, cy, r, start=0.0, sweep=2 * math.pi, pen=PEN_THIN, ry=None):
        """A circle, an arc from `start` counter-clockwise by `sweep`, or an ellipse (ry)."""
        body = struct.pack(">7d", cx, cy, r, r if ry is None else ry, sweep, start, 0.0)
        self.chunks.append(chunk("CIRC", head(pen) + body))

    def text(self, x, y, s, height=2.5, align=0, angle=0.0, font="Simpel", pen=PEN_THIN):
        name = font.encode("latin-1")[:20].ljust(21, b"\0")
        body = (struct.pack(">2d", x, y) + name + struct.pack(">B", align) +
                struct.pack(">6d", angle, height, 1.0, 0.1, 1.5, 0.0) +
                s.encode("latin-1") + b"\0")
        self.chunks.append(chunk("TEX2", head(pen) + body))

    def filling(self, points, rgb, pen=PEN_THIN):
        """A solid filling over a closed outline (kind 3), the outline ended by (999, 999)."""
        outline = list(points) + [(999.0, 999.0)]
        body = (struct.pack(">BB", 0, 0) + struct.pack(">4d", 0, 0, 0, 0) +
                struct.pack(">4d", 0, 0, 0, 0) + struct.pack(">IB", len(outline), 3) +
                struct.pack(">3d", *rgb) +
                b"".join(struct.pack(">2d", x, y) for x, y in outline))
        self.chunks.append(chunk("PAT2", head(pen, 101) + body))

    def bytes(self):
        return chunk("KRVW", struct.pack(">I", 300)) + b"".join(self.chunks)


# ---- Furniture ----

def chair(s, x, y, angle=0.0):
    """A chair of 45 x 45 cm centred on (x, y), its back towards `angle` + 90 degrees."""
    c, n = math.cos(angle), math.sin(angle)

    def at(u, v):
        return (x + u * c - v * n, y + u * n + v * c)

    s.polyline([at(-0.225, -0.225), at(0.225, -0.225), at(0.225, 0.225), at(-0.225, 0.225)],
               closed=True)
    s.polyline([at(-0.225, 0.16), at(0.225, 0.16)])


def table_with_chairs():
    s = Symbol()
    s.rect(0.55, 0.55, 1.2, 0.8, PEN_MEDIUM)
    for x in (0.85, 1.45):
        chair(s, x, 0.35, math.pi)
        chair(s, x, 1.55)
    return s


def single_chair():
    s = Symbol()
    chair(s, 0.225, 0.225)
    return s


def double_bed():
    s = Symbol()
    s.rect(0, 0, 1.6, 2.0, PEN_MEDIUM)
    s.line(0, 1.7, 1.6, 1.7)
    for x in (0.1, 0.85):
        s.rect(x, 1.75, 0.65, 0.2)
    s.polyline([(0, 1.2), (0.8, 1.35), (1.6, 1.2)])  # the turned-down cover
    return s


def single_bed():
    s = Symbol()
    s.rect(0, 0, 0.9, 2.0, PEN_MEDIUM)
    s.line(0, 1.7, 0.9, 1.7)
    s.rect(0.1, 1.75, 0.7, 0.2)
    return s


def sofa():
    s = Symbol()
    s.rect(0, 0, 2.0, 0.9, PEN_MEDIUM)
    s.rect(0, 0, 0.2, 0.9)
    s.rect(1.8, 0, 0.2, 0.9)
    s.line(0.2, 0.7, 1.8, 0.7)
    s.line(1.0, 0, 1.0, 0.7)
    return s


def wardrobe():
    s = Symbol()
    s.rect(0, 0, 1.2, 0.6, PEN_MEDIUM)
    s.line(0, 0, 1.2, 0.6)
    s.line(0, 0.6, 1.2, 0)
    s.line(0.6, 0, 0.6, 0.6)
    return s


def desk():
    s = Symbol()
    s.rect(0, 0, 1.6, 0.8, PEN_MEDIUM)
    s.rect(1.2, 0, 0.4, 0.8)
    chair(s, 0.6, -0.2, math.pi)
    return s


def round_table():
    s = Symbol()
    s.arc(0.6, 0.6, 0.45, pen=PEN_MEDIUM)
    for k in range(4):
        a = k * math.pi / 2
        chair(s, 0.6 + 0.62 * math.cos(a), 0.6 + 0.62 * math.sin(a), a - math.pi / 2)
    return s


# ---- Sanitary ----

def wc():
    s = Symbol()
    s.rect(0, 0.5, 0.4, 0.18, PEN_MEDIUM)  # cistern against the wall
    s.arc(0.2, 0.28, 0.18, ry=0.24, pen=PEN_MEDIUM)
    s.arc(0.2, 0.26, 0.12, ry=0.16)
    return s


def washbasin():
    s = Symbol()
    s.rect(0, 0, 0.6, 0.45, PEN_MEDIUM)
    s.arc(0.3, 0.2, 0.22, ry=0.15)
    s.arc(0.3, 0.38, 0.02)  # tap
    return s


def bathtub():
    s = Symbol()
    s.rect(0, 0, 1.7, 0.75, PEN_MEDIUM)
    # Inner rim with rounded ends.
    s.line(0.3, 0.08, 1.4, 0.08)
    s.line(0.3, 0.67, 1.4, 0.67)
    s.arc(0.3, 0.375, 0.295, math.pi / 2, math.pi)
    s.arc(1.4, 0.375, 0.295, -math.pi / 2, math.pi)
    s.arc(1.45, 0.375, 0.04)  # drain
    return s


def shower():
    s = Symbol()
    s.rect(0, 0, 0.9, 0.9, PEN_MEDIUM)
    s.line(0.05, 0.05, 0.85, 0.85)
    s.line(0.05, 0.85, 0.85, 0.05)
    s.arc(0.45, 0.45, 0.04)
    return s


def kitchen_sink():
    s = Symbol()
    s.rect(0, 0, 1.0, 0.6, PEN_MEDIUM)
    s.rect(0.08, 0.08, 0.45, 0.42)
    s.line(0.6, 0.1, 0.92, 0.1)
    for k in range(1, 5):
        s.line(0.6, 0.1 + k * 0.09, 0.92, 0.1 + k * 0.09)
    s.arc(0.3, 0.29, 0.025)
    return s


# ---- Trees ----

def deciduous_tree(radius):
    """A trunk and a crown of nine lobes: the outer arcs of circles round the centre, each from
    where it meets the one before to where it meets the next."""
    s = Symbol()
    s.arc(0, 0, 0.08, pen=PEN_MEDIUM)  # trunk
    n = 9
    half = math.pi / n
    lr = radius * math.sin(half) * 1.15
    cr = radius - lr
    d = cr * math.cos(half) + math.sqrt(lr * lr - (cr * math.sin(half)) ** 2)
    for k in range(n):
        a = 2 * math.pi * k / n
        cx, cy = cr * math.cos(a), cr * math.sin(a)
        p0 = (d * math.cos(a - half) - cx, d * math.sin(a - half) - cy)
        p1 = (d * math.cos(a + half) - cx, d * math.sin(a + half) - cy)
        start = math.atan2(p0[1], p0[0])
        sweep = (math.atan2(p1[1], p1[0]) - start) % (2 * math.pi)
        s.arc(cx, cy, lr, start, sweep)
    return s


def conifer(radius):
    s = Symbol()
    s.arc(0, 0, radius, pen=PEN_MEDIUM)
    for k in range(12):
        a = 2 * math.pi * k / 12
        r = radius * (0.95 if k % 2 == 0 else 0.6)
        s.line(0, 0, r * math.cos(a), r * math.sin(a))
    return s


def shrub():
    s = Symbol()
    pts = []
    for k in range(16):
        a = 2 * math.pi * k / 16
        r = 0.5 if k % 2 == 0 else 0.38
        pts.append((r * math.cos(a), r * math.sin(a)))
    s.polyline(pts, closed=True)
    return s


# ---- Plan furniture ----

def north_arrow():
    s = Symbol()
    s.arc(0, 0, 1.0, pen=PEN_MEDIUM)
    tip, tail, half = (0.0, 1.3), (0.0, -1.0), 0.35
    s.polyline([tail, (half, -0.6), tip, (-half, -0.6)], PEN_MEDIUM, closed=True)
    s.line(tail[0], tail[1], tip[0], tip[1])
    s.filling([tail, tip, (-half, -0.6)], (0.0, 0.0, 0.0))  # the west half dark
    s.text(0, 1.45, "N", height=5.0, align=2, pen=PEN_MEDIUM)
    return s


def title_block():
    """For 1:100: 18 x 5 m (180 x 50 mm on paper), drawn to the left of and above its origin."""
    s = Symbol()
    w, h = 18.0, 5.0
    x0, y0 = -w, 0.0
    s.rect(x0, y0, w, h, PEN_THICK)
    s.line(x0, y0 + 2.5, 0, y0 + 2.5, PEN_MEDIUM)
    s.line(x0 + 12.0, y0, x0 + 12.0, y0 + 2.5)
    s.line(x0 + 12.0, y0 + 1.25, 0, y0 + 1.25)
    s.line(x0 + 6.0, y0, x0 + 6.0, y0 + 2.5)
    labels = [
        (x0 + 0.2, y0 + 4.5, "Project"),
        (x0 + 0.2, y0 + 2.0, "Drawing"),
        (x0 + 6.2, y0 + 2.0, "Drawn"),
        (x0 + 12.2, y0 + 2.0, "Scale"),
        (x0 + 12.2, y0 + 0.75, "Date"),
    ]
    for x, y, label in labels:
        s.text(x, y, label, height=2.0)
    s.text(x0 + 12.4, y0 + 1.45, "1:100", height=3.5)
    return s


LIBRARY = {
    "furniture/table_4_chairs.sym": table_with_chairs,
    "furniture/chair.sym": single_chair,
    "furniture/round_table_4_chairs.sym": round_table,
    "furniture/bed_double.sym": double_bed,
    "furniture/bed_single.sym": single_bed,
    "furniture/sofa.sym": sofa,
    "furniture/wardrobe.sym": wardrobe,
    "furniture/desk.sym": desk,
    "sanitary/wc.sym": wc,
    "sanitary/washbasin.sym": washbasin,
    "sanitary/bathtub.sym": bathtub,
    "sanitary/shower.sym": shower,
    "sanitary/kitchen_sink.sym": kitchen_sink,
    "trees/tree_small.sym": lambda: deciduous_tree(2.0),
    "trees/tree_large.sym": lambda: deciduous_tree(4.0),
    "trees/conifer.sym": lambda: conifer(1.5),
    "trees/shrub.sym": shrub,
    "north_arrow.sym": north_arrow,
    "title_block.sym": title_block,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "dat", "sym")
    for name, make in sorted(LIBRARY.items()):
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(make().bytes())
    print(f"{len(LIBRARY)} symbols written to {out}")


if __name__ == "__main__":
    main()
