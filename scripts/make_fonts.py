#!/usr/bin/env python3
"""Writes the stroke fonts of dat/fonts/ from the public-domain Hershey glyphs of the Debian
package hershey-fonts-data (/usr/share/hershey-fonts/*.jhf). Run again after changing it; the
output depends on nothing else, so it is the same on every machine.

    python3 scripts/make_fonts.py [OUTPUT_DIR]      (default: dat/fonts beside this script)

Fonts: Simpel and SimpelProp (futura light, fixed and proportional advance), Rund and RundProp
(futura medium, double strokes), Freihand (script), Outline (roman triplex), Filled_1 to
Filled_6 (strokes of several faces thickened into filled outlines). Codes 32 to 126 are the
Hershey glyphs; the Latin-1 letters and signs 160 to 255 are composed from them (accents,
umlauts, superscripts) or drawn here (sharp s, degree sign); 127 to 159 are empty.

File format (one stroke font per file, values in text heights): per character its advance,
then its commands "1 x y" (move), "2 x y" (line), "3 x y r start sweep" (arc, degrees),
"6" (close a contour), "5" (end of a filled outline), and "0".
"""
import math
import os
import sys

HERSHEY = "/usr/share/hershey-fonts"
CAP = 21.0      # Hershey units from the cap line to the base line
BASE = 9.0      # y of the base line (Hershey y grows downwards)
XTOP = -5.0     # top of the lower-case letters
CTOP = -12.0    # top of the capitals


def read_jhf(name):
    """The glyphs of a .jhf file in order: (left, right, strokes), each stroke a point list."""
    with open(os.path.join(HERSHEY, name), encoding="latin-1") as f:
        lines = f.read().split("\n")
    glyphs = []
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if len(line) < 8 or not line[5:8].strip().isdigit():
            continue
        count = int(line[5:8])
        data = line[8:]
        while len(data) < 2 * count and i < len(lines):
            data += lines[i]
            i += 1
        pairs = [data[2 * k:2 * k + 2] for k in range(count)]
        left, right = ord(pairs[0][0]) - 82, ord(pairs[0][1]) - 82
        strokes, cur = [], []
        for p in pairs[1:]:
            if p == " R":
                if cur:
                    strokes.append(cur)
                cur = []
            else:
                cur.append((ord(p[0]) - 82, ord(p[1]) - 82))
        if cur:
            strokes.append(cur)
        xs = [x for st in strokes for x, _ in st]
        if right <= left and xs:  # a glyph without bounds (roman triplex J): from its strokes
            left, right = min(xs) - 2, max(xs) + 2
        glyphs.append((left, right, strokes))
    return glyphs


class Glyph:
    """Strokes and arcs in Hershey units (y down), with the advance bounds."""

    def __init__(self, left, right, strokes=(), arcs=()):
        self.left, self.right = left, right
        self.strokes = [list(s) for s in strokes]
        self.arcs = list(arcs)  # (cx, cy, r, start degrees, sweep degrees), y down

    def copy(self):
        return Glyph(self.left, self.right, self.strokes, self.arcs)

    def add(self, other, dx=0.0, dy=0.0):
        for s in other.strokes:
            self.strokes.append([(x + dx, y + dy) for x, y in s])
        for cx, cy, r, a, b in other.arcs:
            self.arcs.append((cx + dx, cy + dy, r, a, b))
        return self

    def transformed(self, f):
        g = Glyph(self.left, self.right)
        g.strokes = [[f(x, y) for x, y in s] for s in self.strokes]
        g.arcs = [(f(cx, cy)[0], f(cx, cy)[1], r, a, b) for cx, cy, r, a, b in self.arcs]
        return g

    def top(self):
        ys = [y for s in self.strokes for _, y in s] + [cy - r for _, cy, r, _, _ in self.arcs]
        return min(ys) if ys else XTOP

    def centre(self):
        return (self.left + self.right) / 2.0


def accent(kind):
    """Accent strokes about x 0, y 0 at the gap above a letter's top (y up is negative)."""
    if kind == "acute":
        return Glyph(0, 0, [[(-1, -1), (2, -4)]])
    if kind == "grave":
        return Glyph(0, 0, [[(-2, -4), (1, -1)]])
    if kind == "circ":
        return Glyph(0, 0, [[(-3, -1), (0, -4), (3, -1)]])
    if kind == "tilde":
        return Glyph(0, 0, [[(-4, -1), (-3, -3), (-1, -3), (1, -1), (3, -1), (4, -3)]])
    if kind == "uml":
        return Glyph(0, 0, [[(-3, -2), (-2, -2)], [(2, -2), (3, -2)]])
    if kind == "ring":
        return Glyph(0, 0, arcs=[(0, -3, 2, 0, 0)])
    if kind == "macron":
        return Glyph(0, 0, [[(-3, -2), (3, -2)]])
    raise KeyError(kind)


def with_accent(base, kind):
    g = base.copy()
    top = base.top()
    return g.add(accent(kind), base.centre(), top - 1)


def dotless(g):
    """i and j without their dot (the strokes above the x-height)."""
    out = g.copy()
    out.strokes = [s for s in out.strokes if max(y for _, y in s) > XTOP - 1]
    out.arcs = [a for a in out.arcs if a[1] > XTOP - 1]
    return out


def small(g, raise_to=CTOP):
    """Half size, top at the cap line (superscripts)."""
    return g.transformed(lambda x, y: (g.left + (x - g.left) * 0.55,
                                       raise_to + (y - CTOP) * 0.55)).__class__(
        g.left, g.left + (g.right - g.left) * 0.55).add(
        g.transformed(lambda x, y: (g.left + (x - g.left) * 0.55, raise_to + (y - CTOP) * 0.55)))


def rotated180(g):
    """Turned about the middle of the x-height band (for the inverted ! and ?)."""
    cy = (CTOP + BASE) / 2 + 3
    c = g.centre()
    return Glyph(g.left, g.right).add(g.transformed(lambda x, y: (2 * c - x, 2 * cy - y)))


def beside(a, b, overlap=0.0):
    g = Glyph(a.left, a.right + (b.right - b.left) - overlap)
    g.add(a)
    g.add(b, a.right - b.left - overlap)
    return g


def latin1(base):
    """Glyphs 160 to 255 composed from the ASCII glyphs of the face."""
    A = lambda ch: base[ord(ch)]
    g = {}
    g[160] = A(" ").copy()
    g[161] = rotated180(A("!"))
    g[162] = A("c").copy().add(Glyph(0, 0, [[(A("c").centre(), XTOP - 2), (A("c").centre(), BASE + 2)]]))
    g[163] = A("L").copy().add(Glyph(0, 0, [[(A("L").left + 2, -2), (A("L").centre() + 2, -2)]]))
    o = small(A("o"), -6)
    g[164] = o.copy().add(Glyph(0, 0, [[(o.left + 1, -7), (o.left + 3, -5)]]))
    g[165] = A("Y").copy().add(Glyph(0, 0, [[(A("Y").left + 4, 0), (A("Y").right - 4, 0)],
                                             [(A("Y").left + 4, 3), (A("Y").right - 4, 3)]]))
    bar = A("|")
    g[166] = Glyph(bar.left, bar.right, [[(bar.centre(), -12), (bar.centre(), -2)],
                                          [(bar.centre(), 2), (bar.centre(), 12)]])
    s = A("S")
    g[167] = Glyph(s.left, s.right).add(s.transformed(lambda x, y: (x, -12 + (y + 12) * 0.6))).add(
        s.transformed(lambda x, y: (x, -4 + (y + 12) * 0.6)))
    sp = A("n")
    g[168] = Glyph(sp.left, sp.right).add(accent("uml"), sp.centre(), CTOP)
    ring_c = A("O")
    c_small = small(A("C"), -8)
    g[169] = Glyph(ring_c.left, ring_c.right, arcs=[(ring_c.centre(), -1.5, 10, 0, 0)]).add(
        c_small, ring_c.centre() - c_small.centre(), 4)
    a_small = small(A("a"), -16)
    g[170] = Glyph(a_small.left, a_small.right).add(a_small).add(
        Glyph(0, 0, [[(a_small.left + 1, -4), (a_small.right - 1, -4)]]))
    lt = A("<")
    g[171] = beside(small(lt, -10), small(lt, -10), 2)
    mi = A("-")
    g[172] = mi.copy().add(Glyph(0, 0, [[(mi.right - 4, 0), (mi.right - 4, 4)]]))
    g[173] = A("-").copy()
    r_small = small(A("R"), -8)
    g[174] = Glyph(ring_c.left, ring_c.right, arcs=[(ring_c.centre(), -1.5, 10, 0, 0)]).add(
        r_small, ring_c.centre() - r_small.centre(), 4)
    g[175] = Glyph(sp.left, sp.right).add(accent("macron"), sp.centre(), CTOP)
    g[176] = Glyph(-5, 5, arcs=[(0, -9, 3, 0, 0)])                      # degree sign
    plus = A("+")
    g[177] = plus.copy().transformed(lambda x, y: (x, y - 3)).__class__(plus.left, plus.right).add(
        plus, 0, -3).add(Glyph(0, 0, [[(plus.left + 4, 9), (plus.right - 4, 9)]]))
    g[178] = small(A("2"))
    g[179] = small(A("3"))
    g[180] = Glyph(sp.left, sp.right).add(accent("acute"), sp.centre(), CTOP)
    u = A("u")
    mu = u.copy()
    mu.strokes.append([(u.left + 4, XTOP), (u.left + 4, BASE + 7)])
    g[181] = mu
    P = A("P")
    g[182] = P.copy()
    dot = A(".")
    g[183] = Glyph(dot.left, dot.right).add(dot, 0, -7)
    g[184] = Glyph(sp.left, sp.right, [[(sp.centre(), BASE), (sp.centre() + 2, BASE + 3),
                                         (sp.centre() - 1, BASE + 5)]])
    g[185] = small(A("1"))
    o_small = small(A("o"), -16)
    g[186] = Glyph(o_small.left, o_small.right).add(o_small).add(
        Glyph(0, 0, [[(o_small.left + 1, -4), (o_small.right - 1, -4)]]))
    gt = A(">")
    g[187] = beside(small(gt, -10), small(gt, -10), 2)

    def fraction(num, den):
        n, d = small(A(num)), small(A(den), -2)
        f = Glyph(n.left, n.right + (d.right - d.left) + 2)
        f.add(n).add(d, n.right - d.left + 2)
        f.strokes.append([(f.right - 3, -12), (f.left + 3, 9)])
        return f
    g[188] = fraction("1", "4")
    g[189] = fraction("1", "2")
    g[190] = fraction("3", "4")
    g[191] = rotated180(A("?"))
    for code, (letter, kind) in {
            192: ("A", "grave"), 193: ("A", "acute"), 194: ("A", "circ"), 195: ("A", "tilde"),
            196: ("A", "uml"), 197: ("A", "ring"), 200: ("E", "grave"), 201: ("E", "acute"),
            202: ("E", "circ"), 203: ("E", "uml"), 204: ("I", "grave"), 205: ("I", "acute"),
            206: ("I", "circ"), 207: ("I", "uml"), 209: ("N", "tilde"), 210: ("O", "grave"),
            211: ("O", "acute"), 212: ("O", "circ"), 213: ("O", "tilde"), 214: ("O", "uml"),
            217: ("U", "grave"), 218: ("U", "acute"), 219: ("U", "circ"), 220: ("U", "uml"),
            221: ("Y", "acute"), 224: ("a", "grave"), 225: ("a", "acute"), 226: ("a", "circ"),
            227: ("a", "tilde"), 228: ("a", "uml"), 229: ("a", "ring"), 232: ("e", "grave"),
            233: ("e", "acute"), 234: ("e", "circ"), 235: ("e", "uml"), 241: ("n", "tilde"),
            242: ("o", "grave"), 243: ("o", "acute"), 244: ("o", "circ"), 245: ("o", "tilde"),
            246: ("o", "uml"), 249: ("u", "grave"), 250: ("u", "acute"), 251: ("u", "circ"),
            252: ("u", "uml"), 253: ("y", "acute"), 255: ("y", "uml")}.items():
        g[code] = with_accent(A(letter), kind)
    for code, kind in {236: "grave", 237: "acute", 238: "circ", 239: "uml"}.items():
        g[code] = with_accent(dotless(A("i")), kind)
    g[198] = beside(A("A"), A("E"), 6)
    C = A("C")
    g[199] = C.copy().add(g[184], C.centre() - g[184].centre())
    D = A("D")
    g[208] = D.copy().add(Glyph(0, 0, [[(D.left + 1, -1.5), (D.left + 8, -1.5)]]))
    g[215] = Glyph(plus.left, plus.right, [[(plus.left + 5, -7), (plus.right - 5, 5)],
                                           [(plus.right - 5, -7), (plus.left + 5, 5)]])
    O = A("O")
    g[216] = O.copy().add(Glyph(0, 0, [[(O.right - 3, -14), (O.left + 3, 11)]]))
    g[222] = A("I").copy().add(Glyph(0, 0, [[(A("I").centre(), -7), (A("I").centre() + 6, -7),
                                              (A("I").centre() + 8, -5), (A("I").centre() + 8, -1),
                                              (A("I").centre() + 6, 1), (A("I").centre(), 1)]]))
    # Sharp s: a tall stem with two bowls on the right.
    g[223] = Glyph(2, 18, [[(5, 9), (5, -6), (6, -10), (8, -12), (11, -12), (13, -11), (14, -9),
                            (14, -7), (13, -5), (10, -4), (13, -3), (15, -1), (16, 2), (16, 5),
                            (15, 7), (13, 9), (10, 9), (8, 8)]])
    g[230] = beside(A("a"), A("e"), 5)
    c = A("c")
    g[231] = c.copy().add(g[184], c.centre() - g[184].centre())
    o = A("o")
    g[240] = o.copy().add(Glyph(0, 0, [[(o.centre() - 3, -9), (o.centre() + 4, -7)],
                                       [(o.right - 4, -11), (o.right - 4, 2)]]))
    g[247] = A("-").copy().add(dot, 0, -10).add(dot, 0, 2)
    g[248] = o.copy().add(Glyph(0, 0, [[(o.right - 3, -7), (o.left + 3, 11)]]))
    p = A("p")
    g[254] = p.copy().add(Glyph(0, 0, [[(p.left + 4, -12), (p.left + 4, XTOP)]]))
    return g


def face(name):
    glyphs = read_jhf(name)
    base = {32 + k: Glyph(*glyphs[k]) for k in range(min(95, len(glyphs)))}
    base.update(latin1(base))
    return base


def fmt(v):
    s = "%.2f" % v
    return "0.00" if s == "-0.00" else s


def arc_points(cx, cy, r, start, sweep):
    sweep = 360.0 if sweep == 0 else sweep
    n = max(8, int(abs(sweep) / 15))
    return [(cx + r * math.cos(math.radians(start + sweep * k / n)),
             cy - r * math.sin(math.radians(start + sweep * k / n))) for k in range(n + 1)]


def placement(g, mono):
    """The advance (text heights) and the x shift of the glyph's points, in Hershey units."""
    if mono:
        cell = 1.05 * CAP
        return cell / CAP, cell / 2 - g.centre()
    return (g.right - g.left) / CAP, -g.left


def to_file(x, y, dx):
    return (x + dx) / CAP, (BASE - y) / CAP


def stroke_char(g, mono):
    adv, dx = placement(g, mono)
    out = [fmt(adv)]
    for s in g.strokes:
        x, y = to_file(*s[0], dx)
        out.append("1 %s %s" % (fmt(x), fmt(y)))
        for p in s[1:]:
            x, y = to_file(*p, dx)
            out.append("2 %s %s" % (fmt(x), fmt(y)))
    for cx, cy, r, a, b in g.arcs:
        x, y = to_file(cx, cy, dx)
        out.append("3 %s %s %s %s %s" % (fmt(x), fmt(y), fmt(r / CAP), fmt(a), fmt(b)))
    out.append("0")
    return out


def ring(cx, cy, r, n=8):
    # Counter-clockwise in the file's y-up coordinates.
    return [(cx + r * math.cos(2 * math.pi * k / n), cy + r * math.sin(2 * math.pi * k / n))
            for k in range(n)]


def filled_char(g, mono, width):
    """Each stroke piece as a rectangle and each stroke point as an octagon, all turning the same
    way, so that a non-zero fill gives the thickened letter."""
    adv, dx = placement(g, mono)
    hw = width / 2.0
    contours = []
    polylines = [[to_file(x, y, dx) for x, y in s] for s in g.strokes]
    polylines += [[to_file(x, y, dx) for x, y in arc_points(*a)] for a in g.arcs]
    for pl in polylines:
        for (x1, y1), (x2, y2) in zip(pl, pl[1:]):
            length = math.hypot(x2 - x1, y2 - y1)
            if length < 1e-9:
                continue
            nx, ny = -(y2 - y1) / length * hw, (x2 - x1) / length * hw
            contours.append([(x1 - nx, y1 - ny), (x2 - nx, y2 - ny), (x2 + nx, y2 + ny),
                             (x1 + nx, y1 + ny)])
        for x, y in pl:
            contours.append(ring(x, y, hw / math.cos(math.pi / 8)))
    out = [fmt(adv + (width if not mono else 0))]
    for c in contours:
        # Shifted right by half the width, so that the left edge starts at 0.
        sx = 0 if mono else hw
        out.append("1 %s %s" % (fmt(c[0][0] + sx), fmt(c[0][1])))
        out += ["2 %s %s" % (fmt(x + sx), fmt(y)) for x, y in c[1:]]
        out.append("6")
    out += ["5", "0"]
    return out


def write_font(path, glyphs, mono, filled_width=None):
    lines = []
    space = glyphs[32]
    for code in range(32, 256):
        g = glyphs.get(code)
        if g is None:
            g = Glyph(space.left, space.right)
        lines += stroke_char(g, mono) if filled_width is None else filled_char(g, mono, filled_width)
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


FONTS = [
    # name, Hershey face, fixed advance, filled stroke width (text heights) or None
    ("Simpel", "futural.jhf", True, None),
    ("SimpelProp", "futural.jhf", False, None),
    ("Rund", "futuram.jhf", True, None),
    ("RundProp", "futuram.jhf", False, None),
    ("Freihand", "scripts.jhf", False, None),
    ("Outline", "rowmant.jhf", False, None),
    ("Filled_1", "futural.jhf", False, 0.07),
    ("Filled_2", "futural.jhf", False, 0.13),
    ("Filled_3", "futural.jhf", True, 0.10),
    ("Filled_4", "rowmans.jhf", False, 0.09),
    ("Filled_5", "scripts.jhf", False, 0.08),
    ("Filled_6", "rowmans.jhf", False, 0.15),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "dat", "fonts")
    os.makedirs(out, exist_ok=True)
    faces = {}
    for name, jhf, mono, width in FONTS:
        if jhf not in faces:
            faces[jhf] = face(jhf)
        write_font(os.path.join(out, name), faces[jhf], mono, width)
        print("wrote", os.path.join(out, name))


if __name__ == "__main__":
    main()
