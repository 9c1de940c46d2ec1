#include "render/openings.h"

#include <cmath>

#include "render/renderer.h"
#include "render/screen_output.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;

struct V {
  double x = 0, y = 0;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y}; }
V operator*(double k, V a) { return {k * a.x, k * a.y}; }
V operator-(V a) { return {-a.x, -a.y}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y; }
double cross(V a, V b) { return a.x * b.y - a.y * b.x; }
V xy(const Point3& p) { return {p.x, p.y}; }

// The opening seen in plan: u along the wall from p0 to p1, v across it towards the inner
// face, and the eight frame corners.
//   0 p0 (outer face, start)        4 p1 (outer face, end)
//   1 p0 + d v                      5 p1 + d v
//   2 p0 + d v - w u                6 p1 + d v + w u
//   3 p3 - w u (inner face, start)  7 p2 + w u (inner face, end)
// with w the stop width and d the stop depth.
struct Frame {
  V c[8];
  V u, v;
  double width = 0;  // p0 to p1
  double stop_width = 0, stop_depth = 0;
};

bool make_frame(const Opening& o, Frame& f) {
  const V p0 = xy(o.corner[0]), p1 = xy(o.corner[1]), p2 = xy(o.corner[2]), p3 = xy(o.corner[3]);
  for (V p : {p0, p1, p2, p3})
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  f.width = std::hypot(p1.x - p0.x, p1.y - p0.y);
  if (!(f.width > 1e-9)) return false;
  f.u = (1 / f.width) * (p1 - p0);
  f.v = {-f.u.y, f.u.x};
  // The symbol is built towards the inner face whichever way round the record was made.
  if (dot(0.5 * (p2 + p3) - 0.5 * (p0 + p1), f.v) < 0) f.v = -f.v;
  const double w = std::isfinite(o.stop_width) ? o.stop_width : 0;
  const double d = std::isfinite(o.stop_depth) ? o.stop_depth : 0;
  f.stop_width = w;
  f.stop_depth = d;
  f.c[0] = p0;
  f.c[1] = p0 + d * f.v;
  f.c[2] = p0 + d * f.v - w * f.u;
  f.c[3] = p3 - w * f.u;
  f.c[4] = p1;
  f.c[5] = p1 + d * f.v;
  f.c[6] = p1 + d * f.v + w * f.u;
  f.c[7] = p2 + w * f.u;
  if (o.kind == kOpeningDoor && o.subtype >= 1 && o.subtype <= 3 && (w == 0 || d == 0)) {
    f.c[1] = f.c[2] = p3;
    f.c[5] = f.c[6] = p2;
  }
  return true;
}

struct Strokes {
  Renderer& r;
  const Frame& f;

  void line(V a, V b, int pen = 0, int lt = 0) const {
    if (r.driver.line) r.driver.line(r, pen, lt, a.x, a.y, b.x, b.y);
  }
  // Frame corner + a u + b v.
  V at(int corner, double a, double b) const { return f.c[corner] + a * f.u + b * f.v; }

  void outer(int lt = 0) const { line(f.c[0], f.c[4], 0, lt); }
  void inner(int lt = 0) const { line(f.c[3], f.c[7], 0, lt); }
  // Through the midpoints of corners 2-3 and 6-7, 0.1 longer at both ends.
  void middle() const {
    const V a = 0.5 * (f.c[2] + f.c[3]), b = 0.5 * (f.c[6] + f.c[7]);
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    if (!(len > 1e-9)) return;
    const V dir = (1 / len) * (b - a);
    line(a - 0.1 * dir, b + 0.1 * dir, 1, 3);
  }

  // A quarter turn about `centre` between the unit directions `from` and `to`.
  void swing(V centre, V from, V to, double radius) const {
    if (!r.driver.arc || !(radius > 0)) return;
    const V first = cross(from, to) > 0 ? from : to;  // the arc runs counter-clockwise
    double start = std::atan2(first.y, first.x);
    if (start < 0) start += kTwoPi;
    if (start > kTwoPi) start -= kTwoPi;
    r.driver.arc(r, 0, 0, centre.x, centre.y, radius, radius, kPi / 2, start, 0);
  }
  // A door leaf standing open from `hinge` along `open`, closed along `closed`, with its swing.
  void leaf(V hinge, V closed, V open, double length) const {
    line(hinge, hinge + length * open);
    swing(hinge, closed, open, length);
  }

  // Frame profile at the start (or end) jamb: from the rebate corner 2 (6) to 0.08 past
  // corner 1 (5) into the opening, 0.08 deep.
  void profile(bool start) const {
    const V a = start ? f.c[2] : f.c[6];
    const V b = start ? at(1, kProfile, 0) : at(5, -kProfile, 0);
    const V depth = kProfile * f.v;
    line(a, b);
    line(b, b + depth);
    line(b + depth, a + depth);
    line(a + depth, a);
  }
  // A post 0.08 wide across the frame whose near side is `offset` along u from corner 1.
  void post(double offset) const {
    const V a = at(1, offset, 0), b = at(1, offset + kProfile, 0);
    const V depth = kProfile * f.v;
    line(a, a + depth);
    line(b, b + depth);
    line(a, b);
    line(a + depth, b + depth);
  }
  // A stroke across the frame at `offset` along u from corner 2.
  void stroke_across(double offset) const {
    const V a = at(2, offset, 0);
    line(a, a + kProfile * f.v);
  }
  // Glass between offsets `a` and `b` along u from corner 1: one line in the middle of the
  // frame's depth, or two for double glazing.
  void glass(double a, double b, bool twin) const {
    if (!(b > a)) return;
    if (twin) {
      line(at(1, a, 0.03), at(1, b, 0.03));
      line(at(1, a, 0.05), at(1, b, 0.05));
    } else {
      line(at(1, a, 0.04), at(1, b, 0.04));
    }
  }
};

// Hinge corner and directions of a one-leaf door (subtype 1): leaf sides 0 and 1 open to the
// inner side, 2 and 3 to the outer side; 0 and 2 hinge at the start, 1 and 3 at the end.
void door_leaf(const Strokes& s, int side, int hinge_corner, double length) {
  const Frame& f = s.f;
  const bool at_start = side == 0 || side == 2;
  const V closed = at_start ? f.u : -f.u;
  const V open = side < 2 ? f.v : -f.v;
  s.leaf(f.c[hinge_corner], closed, open, length);
}

void draw_plain(const Strokes& s, int subtype) {
  switch (subtype) {
    case 1: s.outer(); break;
    case 2:
      s.outer();
      s.middle();
      break;
    case 3:
      s.inner();
      s.outer();
      break;
    case 4:
      s.inner();
      s.outer();
      s.middle();
      break;
    case 5:
      s.inner(1);
      s.outer(1);
      break;
    case 6:
      s.inner(1);
      s.outer(1);
      s.middle();
      break;
    default: break;
  }
}

void draw_door(const Strokes& s, int subtype, int side) {
  const Frame& f = s.f;
  const double L = f.width;
  switch (subtype) {
    case 1: {
      static constexpr int hinge[4] = {1, 5, 0, 4};
      door_leaf(s, side, hinge[side], L);
      return;
    }
    case 2: {
      const bool inner = side < 2;
      door_leaf(s, inner ? 0 : 2, inner ? 1 : 0, L / 2);
      door_leaf(s, inner ? 1 : 3, inner ? 5 : 4, L / 2);
      return;
    }
    case 3: {
      if (side == 0 || side == 3) {
        door_leaf(s, 0, 1, L / 2);  // start, inner side
        door_leaf(s, 3, 4, L / 2);  // end, outer side
      } else {
        door_leaf(s, 2, 0, L / 2);  // start, outer side
        door_leaf(s, 1, 5, L / 2);  // end, inner side
      }
      s.line(f.c[0], f.c[1]);
      return;
    }
    case 4:
    case 5:
    case 6: break;
    default: return;
  }
  // Framed doors: profiles at both jambs and the outer line, then the leaves inside the
  // frame. An inward leaf hinges at the back of the profile, an outward one at its front.
  s.profile(true);
  s.profile(false);
  s.outer();
  const double clear = L - 2 * kProfile;
  if (!(clear > 0.01)) return;
  const bool inward = side < 2;
  const bool at_start = side == 0 || side == 2;
  const double back = inward ? kProfile : 0;
  const V open = inward ? f.v : -f.v;
  const V start_hinge = s.at(1, kProfile, back), end_hinge = s.at(5, -kProfile, back);
  switch (subtype) {
    case 4:  // one leaf over the clear width
      if (at_start) s.leaf(start_hinge, f.u, open, clear);
      else s.leaf(end_hinge, -f.u, open, clear);
      break;
    case 5: {  // a leaf 1.0 wide, a post, and a side light over the rest
      const double light = L - (kSideLightLeaf + 2 * kProfile) - kProfile;  // post to far profile
      if (!(light > 0.05)) {
        s.leaf(at_start ? start_hinge : end_hinge, at_start ? f.u : -f.u, open, clear);
        break;
      }
      const double post_at = kProfile + kSideLightLeaf;  // 1.08 from the rebate corner
      if (at_start) {
        s.leaf(start_hinge, f.u, open, kSideLightLeaf);
        s.post(post_at);
        s.glass(post_at + kProfile, L - kProfile, false);
      } else {
        s.leaf(end_hinge, -f.u, open, kSideLightLeaf);
        s.post(L - post_at - kProfile);
        s.glass(kProfile, L - post_at - kProfile, false);
      }
      break;
    }
    case 6:  // two leaves meeting in the middle
      s.leaf(start_hinge, f.u, open, clear / 2);
      s.leaf(end_hinge, -f.u, open, clear / 2);
      break;
    default: break;
  }
}

void draw_window(const Strokes& s, int subtype) {
  if (subtype < 1 || subtype > 6) return;
  const Frame& f = s.f;
  const double L = f.width;
  s.profile(true);
  s.profile(false);
  s.outer();
  const double clear = L - 2 * kProfile;
  if (!(clear > 0.01)) return;
  const bool twin = subtype % 2 == 0;  // 2, 4, 6 double glazed
  switch (subtype) {
    case 1:
    case 2:  // one fixed light
      s.glass(kProfile, L - kProfile, twin);
      break;
    case 3:
    case 4: {  // two equal casements with a post in the middle
      const double mid = L / 2 - kProfile / 2;
      s.post(mid);
      s.glass(kProfile, mid, twin);
      s.glass(mid + kProfile, L - kProfile, twin);
      break;
    }
    case 5:
    case 6: {  // two casements, divided at two thirds of the widened opening
      s.glass(kProfile, L - kProfile, twin);
      const double at = 2.0 / 3.0 * (L + 2 * f.stop_width) + kProfile / 2;
      if (at < L + 2 * f.stop_width) s.stroke_across(at);
      break;
    }
    default: break;
  }
}

}  // namespace

void draw_opening(Renderer& r, const Opening& o) {
  Frame f;
  if (!make_frame(o, f)) return;
  const Strokes s{r, f};
  const int side = o.leaf_side <= 3 ? o.leaf_side : 0;
  switch (o.kind) {
    case kOpeningPlain: draw_plain(s, o.subtype); break;
    case kOpeningDoor: draw_door(s, o.subtype, side); break;
    case kOpeningWindow: draw_window(s, o.subtype); break;
    default: break;  // removed (99) or unknown kinds have no symbol
  }
}

void draw_opening_preview(Screen& s, const Drawing& d, const Opening& o) {
  Renderer r;
  r.driver = xor_driver(s);
  r.screen = &s;
  r.drawing = &d;
  draw_opening(r, o);
}

}  // namespace korav
