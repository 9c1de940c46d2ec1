#!/usr/bin/env python3
"""Draws the tool bar, palette and layer-list pictures of the main window as XPM files.

Run it from anywhere: python3 graphics/draw_pictures.py. The .xpm files it writes beside itself
are committed, so the program never needs Python; edit a picture here and run it again.
"""
import math
import os

COLOURS = {
    ".": "None",
    "#": "#000000",
    "w": "#FFFFFF",
    "d": "#808080",
    "l": "#C8C8C8",
    "r": "#D01010",
    "g": "#109010",
    "b": "#1040D0",
    "c": "#20A0C0",
    "y": "#F0C000",
    "o": "#E07000",
    "m": "#A030A0",
    "k": "#404040",
}


class Picture:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [["."] * w for _ in range(h)]

    def dot(self, x, y, c):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c, width=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            t = i / n
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dx in range(width):
                for dy in range(width):
                    self.dot(x + dx - (width - 1) / 2, y + dy - (width - 1) / 2, c)

    def polyline(self, pts, c, width=1, closed=False):
        seq = list(pts) + ([pts[0]] if closed else [])
        for a, b in zip(seq, seq[1:]):
            self.line(a[0], a[1], b[0], b[1], c, width)

    def rect(self, x0, y0, x1, y1, c):
        self.polyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], c, closed=True)

    def fill_rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def fill_poly(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for (xa, ya), (xb, yb) in zip(pts, pts[1:] + pts[:1]):
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.dot(x, y, c)

    def arc(self, cx, cy, r, a0, a1, c, width=1, ry=None):
        ry = r if ry is None else ry
        steps = max(8, int(abs(a1 - a0) * max(r, ry) * 2))
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.cos(a), cy - ry * math.sin(a)))
        self.polyline(pts, c, width)

    def circle(self, cx, cy, r, c, width=1, ry=None):
        self.arc(cx, cy, r, 0, 360, c, width, ry)

    def fill_circle(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, c)

    def arrow_head(self, x, y, angle_deg, size, c):
        a = math.radians(angle_deg)
        left = (x - size * math.cos(a - 0.5), y + size * math.sin(a - 0.5))
        right = (x - size * math.cos(a + 0.5), y + size * math.sin(a + 0.5))
        self.fill_poly([(x, y), left, right], c)

    def xpm(self, name):
        used = sorted({c for row in self.px for c in row})
        lines = ["/* XPM */", "static char *%s[] = {" % name.replace(".", "_"),
                 '"%d %d %d 1",' % (self.w, self.h, len(used))]
        for c in used:
            lines.append('"%s c %s",' % (c, COLOURS[c]))
        rows = ['"%s"' % "".join(r) for r in self.px]
        lines.append(",\n".join(rows))
        lines.append("};")
        return "\n".join(lines) + "\n"


# ---- tool bar (20 x 20) ----

def hlp():
    p = Picture(20, 20)
    p.line(2, 17, 17, 2, "#")
    for x, y in ((4, 4), (15, 15), (10, 3), (3, 11), (16, 9)):
        p.fill_rect(x - 1, y - 1, x + 1, y + 1, "m")
    return p


def abk():
    p = Picture(20, 20)
    p.line(2, 5, 17, 5, "r", 2)
    p.line(2, 10, 17, 10, "g", 2)
    p.line(2, 15, 17, 15, "b", 2)
    p.fill_rect(11, 2, 18, 18, "w")
    p.line(11, 5, 17, 5, "#", 2)
    p.line(11, 10, 17, 10, "#", 2)
    p.line(11, 15, 17, 15, "#", 2)
    p.rect(1, 1, 18, 18, "d")
    return p


def fat():
    p = Picture(20, 20)
    p.line(2, 4, 17, 4, "#", 1)
    p.line(2, 9, 17, 9, "#", 2)
    p.line(3, 15, 16, 15, "#", 4)
    return p


def showall():
    p = Picture(20, 20)
    p.rect(6, 6, 13, 13, "b")
    for (x0, y0, x1, y1, ang) in ((5, 5, 1, 1, 135), (14, 5, 18, 1, 45),
                                  (5, 14, 1, 18, 225), (14, 14, 18, 18, 315)):
        p.line(x0, y0, x1, y1, "#")
        p.arrow_head(x1, y1, ang, 4, "#")
    return p


def pan():
    p = Picture(20, 20)
    p.line(10, 3, 10, 16, "#")
    p.line(3, 10, 16, 10, "#")
    p.arrow_head(10, 1, 90, 4, "#")
    p.arrow_head(10, 18, 270, 4, "#")
    p.arrow_head(1, 10, 180, 4, "#")
    p.arrow_head(18, 10, 0, 4, "#")
    return p


def pap():
    p = Picture(20, 20)
    p.arc(10, 10, 7, 60, 340, "g", 2)
    p.arrow_head(15, 3, 20, 6, "g")
    return p


def layer():
    p = Picture(20, 20)
    for i, c in enumerate(("l", "c", "y")):
        y = 12 - i * 4
        pts = [(1, y + 3), (10, y), (18, y + 3), (10, y + 6)]
        p.fill_poly(pts, c)
        p.polyline(pts, "#", closed=True)
    return p


def snap(kind):
    p = Picture(20, 20)
    if kind == 1:  # intersection
        p.line(2, 16, 17, 3, "#")
        p.line(2, 3, 17, 16, "#")
        p.circle(9.5, 9.5, 3, "r")
    elif kind == 2:  # middle
        p.line(2, 14, 17, 14, "#")
        p.fill_rect(2, 12, 2, 16, "#")
        p.fill_rect(17, 12, 17, 16, "#")
        p.circle(9.5, 14, 2.5, "r")
        p.line(9.5, 3, 9.5, 9, "r")
        p.arrow_head(9.5, 10, 270, 3, "r")
    elif kind == 3:  # dividing point
        p.line(2, 12, 17, 12, "#")
        for x in (2, 7, 12, 17):
            p.line(x, 10, x, 14, "#")
        p.circle(7, 12, 2.5, "r")
        p.line(7, 2, 7, 7, "r")
    else:  # tangent
        p.circle(11, 11, 5, "#")
        p.line(1, 3, 18, 8.6, "b")
        p.fill_circle(9.3, 6.1, 1.6, "r")
    return p


def adsnap():
    p = Picture(20, 20)
    p.line(2, 10, 17, 10, "#")
    p.line(10, 2, 10, 17, "#")
    p.rect(6, 6, 13, 13, "r")
    p.fill_rect(9, 9, 11, 11, "r")
    return p


def undo(mirror):
    p = Picture(20, 20)
    p.arc(10, 11, 6, -60, 180, "b", 2)
    p.arrow_head(4, 15, 270, 5, "b")
    if mirror:
        p.px = [list(reversed(r)) for r in p.px]
    return p


# ---- layer list markers (14 x 14) ----

def lact():
    p = Picture(14, 14)
    p.fill_poly([(2, 1), (12, 7), (2, 13)], "g")
    p.polyline([(2, 1), (12, 7), (2, 13)], "#", closed=True)
    return p


def lon():
    p = Picture(14, 14)
    p.circle(7, 7, 6, "#", ry=3.5)
    p.fill_circle(7, 7, 2.3, "b")
    return p


def loff():
    p = Picture(14, 14)
    p.circle(7, 7, 6, "d", ry=3.5)
    p.line(1, 12, 12, 1, "r", 2)
    return p


def luse():
    p = Picture(14, 14)
    p.fill_rect(2, 2, 11, 11, "o")
    p.rect(2, 2, 11, 11, "#")
    p.line(4, 5, 9, 5, "w")
    p.line(4, 8, 9, 8, "w")
    return p


def larr():
    p = Picture(14, 14)
    p.line(1, 7, 9, 7, "#", 2)
    p.arrow_head(13, 7, 0, 6, "#")
    return p


def trashcan():
    p = Picture(18, 18)
    p.fill_rect(6, 1, 11, 2, "k")
    p.fill_rect(2, 3, 15, 4, "k")
    pts = [(3, 5), (14, 5), (13, 16), (4, 16)]
    p.fill_poly(pts, "l")
    p.polyline(pts, "#", closed=True)
    for x in (6, 8.5, 11):
        p.line(x, 7, x, 14, "d")
    return p


def vertical_arrow(up):
    p = Picture(18, 18)
    p.fill_rect(7, 7, 10, 16, "b") if up else p.fill_rect(7, 1, 10, 10, "b")
    if up:
        p.fill_poly([(9, 0), (16, 8), (1, 8)], "b")
    else:
        p.fill_poly([(9, 17), (16, 9), (1, 9)], "b")
    return p


# ---- 3D palette (24 x 24) ----

def box_outline(p, x, y, w, h, d, c="#"):
    front = [(x, y + d), (x + w, y + d), (x + w, y + d + h), (x, y + d + h)]
    p.polyline(front, c, closed=True)
    p.polyline([(x, y + d), (x + d, y), (x + w + d, y), (x + w, y + d)], c)
    p.line(x + w + d, y, x + w + d, y + h, c)
    p.line(x + w + d, y + h, x + w, y + d + h, c)


def cuboid():
    p = Picture(24, 24)
    p.fill_poly([(3, 9), (15, 9), (15, 21), (3, 21)], "c")
    box_outline(p, 3, 3, 12, 12, 6)
    return p


def sphere():
    p = Picture(24, 24)
    p.fill_circle(12, 12, 9, "c")
    p.circle(12, 12, 9, "#")
    p.circle(12, 12, 9, "b", ry=3)
    p.circle(12, 12, 3.5, "b", ry=9)
    return p


def polygon3d():
    p = Picture(24, 24)
    pts = [(3, 17), (9, 5), (20, 3), (21, 14), (12, 21)]
    p.fill_poly(pts, "c")
    p.polyline(pts, "#", closed=True)
    p.line(9, 5, 12, 21, "b")
    return p


def prism():
    p = Picture(24, 24)
    top = [(4, 7), (12, 3), (20, 7), (12, 10)]
    p.fill_poly([(4, 7), (12, 10), (12, 21), (4, 17)], "c")
    p.fill_poly([(12, 10), (20, 7), (20, 17), (12, 21)], "b")
    p.polyline(top, "#", closed=True)
    p.line(4, 7, 4, 17, "#")
    p.line(20, 7, 20, 17, "#")
    p.line(12, 10, 12, 21, "#")
    p.polyline([(4, 17), (12, 21), (20, 17)], "#")
    return p


def tube():
    p = Picture(24, 24)
    p.fill_rect(4, 5, 19, 19, "c")
    p.circle(11.5, 19, 7.5, "c", ry=2.5)
    p.fill_poly([(4, 19), (19, 19), (19, 20), (4, 20)], "c")
    p.circle(11.5, 5, 7.5, "#", ry=2.5)
    p.arc(11.5, 19, 7.5, 180, 360, "#", ry=2.5)
    p.line(4, 5, 4, 19, "#")
    p.line(19, 5, 19, 19, "#")
    return p


def cone():
    p = Picture(24, 24)
    p.fill_poly([(12, 2), (20, 19), (4, 19)], "c")
    p.arc(12, 19, 8, 180, 360, "#", ry=2.5)
    p.arc(12, 19, 8, 0, 180, "d", ry=2.5)
    p.line(12, 2, 4, 19, "#")
    p.line(12, 2, 20, 19, "#")
    return p


def cutcone():
    p = Picture(24, 24)
    p.fill_poly([(8, 6), (16, 6), (20, 19), (4, 19)], "c")
    p.circle(12, 6, 4, "#", ry=1.5)
    p.arc(12, 19, 8, 180, 360, "#", ry=2.5)
    p.line(8, 6, 4, 19, "#")
    p.line(16, 6, 20, 19, "#")
    return p


def line3d():
    p = Picture(24, 24)
    box_outline(p, 3, 3, 12, 12, 6, "l")
    p.line(3, 21, 21, 3, "r", 2)
    p.fill_circle(3, 21, 1.5, "#")
    p.fill_circle(21, 3, 1.5, "#")
    return p


def boolean(kind):
    p = Picture(24, 24)
    a, b = (9, 12), (15, 12)
    r = 7
    for y in range(24):
        for x in range(24):
            ina = (x - a[0]) ** 2 + (y - a[1]) ** 2 <= r * r
            inb = (x - b[0]) ** 2 + (y - b[1]) ** 2 <= r * r
            if (kind == "add" and (ina or inb)) or (kind == "sub" and ina and not inb) or \
               (kind == "and" and ina and inb):
                p.dot(x, y, "c")
    p.circle(a[0], a[1], r, "#")
    p.circle(b[0], b[1], r, "#" if kind != "sub" else "d")
    return p


def attach_wall():
    p = Picture(24, 24)
    p.fill_poly([(3, 20), (3, 9), (12, 4), (12, 15)], "l")
    p.polyline([(3, 20), (3, 9), (12, 4), (12, 15)], "#", closed=True)
    p.polyline([(12, 15), (21, 20), (21, 9), (12, 4)], "#")
    p.line(13, 22, 22, 5, "r", 2)
    return p


PICTURES = {
    "hlp.xpm": hlp, "abk.xpm": abk, "fat.xpm": fat, "showall.xpm": showall, "pan.xpm": pan,
    "pap.xpm": pap, "layer.xpm": layer,
    "snap1.xpm": lambda: snap(1), "snap2.xpm": lambda: snap(2),
    "snap3.xpm": lambda: snap(3), "snap4.xpm": lambda: snap(4),
    "adsnap.xpm": adsnap, "undo.xpm": lambda: undo(False), "redo.xpm": lambda: undo(True),
    "lact.xpm": lact, "lon.xpm": lon, "loff.xpm": loff, "luse.xpm": luse, "larr.xpm": larr,
    "trashcan.xpm": trashcan, "uparrow.xpm": lambda: vertical_arrow(True),
    "downarrow.xpm": lambda: vertical_arrow(False),
    "3d_cu.xpm": cuboid, "3d_sp.xpm": sphere, "3d_po.xpm": polygon3d, "3d_pr.xpm": prism,
    "3d_zy.xpm": tube, "3d_ke.xpm": cone, "3d_ks.xpm": cutcone, "3d_li.xpm": line3d,
    "3d_add.xpm": lambda: boolean("add"), "3d_sub.xpm": lambda: boolean("sub"),
    "3d_and.xpm": lambda: boolean("and"), "3d_aw.xpm": attach_wall,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in PICTURES.items():
        with open(os.path.join(here, name), "w") as f:
            f.write(draw().xpm(name))


if __name__ == "__main__":
    main()
