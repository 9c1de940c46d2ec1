// Plane geometry shared by the drafting tools, the wall tools and snapping: distances, direction
// angles, crossings of lines, feet of perpendiculars, rotation, and the pick of a straight edge.
// All values are world units (metres) and radians, in doubles.
#pragma once

#include "model/element.h"

namespace korav {

struct Drawing;

struct Vec2 {
  double x = 0, y = 0;

  constexpr Vec2() = default;
  constexpr Vec2(double x_, double y_) : x(x_), y(y_) {}
  // The stored point without its mark flag.
  constexpr Vec2(const Point2& p) : x(p.x), y(p.y) {}  // NOLINT: implicit on purpose
  // The plan position of a 3D point.
  constexpr explicit Vec2(const Point3& p) : x(p.x), y(p.y) {}

  constexpr Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
  constexpr Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
  constexpr Vec2 operator*(double k) const { return {x * k, y * k}; }
  constexpr bool operator==(const Vec2&) const = default;
};

constexpr double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
// The z component of the 3D cross product: positive when b turns left from a.
constexpr double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

// Euclidean distance.
double distance(Vec2 a, Vec2 b);

// Direction of a→b in [0, 2π). Steep directions are snapped: when |dx| < 1e-5 the angle is 0 if
// |dy| < 1e-5 as well (coincident points), π/2 for dy > 0 and 3π/2 for dy < 0.
double direction_angle(Vec2 a, Vec2 b);

struct LineCrossing {
  Vec2 point;
  bool found = false;  // false for parallel lines and for a line of zero length
};

// The crossing of the infinite lines a1–b1 and a2–b2. Lines whose directions differ by an angle
// whose sine is at most 1e-10 count as parallel (rounding noise
// in the coordinates of a drawing far from the origin stays below that), and so does a line of zero
// length.
LineCrossing line_intersection(Vec2 a1, Vec2 b1, Vec2 a2, Vec2 b2);

struct Projection {
  double t = 0;  // foot = a + t (b - a)
  Vec2 foot;
};

// The foot of the perpendicular from p on the line a→b and its parameter along a→b (0 at a, 1
// at b). For a line of zero length the foot is a and t is 0.
Projection projection_parameter(Vec2 p, Vec2 a, Vec2 b);

// The foot of the perpendicular from p on the line a→b (a itself for a zero-length line).
Vec2 perpendicular_foot(Vec2 p, Vec2 a, Vec2 b);

// p turned about c by `angle` (counter-clockwise for a positive angle).
Vec2 rotate_point(Vec2 c, Vec2 p, double angle);

// Edges farther than this from the pick point are never found.
inline constexpr double kEdgePickLimit = 100.0;

struct EdgePick {
  Element* element = nullptr;  // the Line or Wall the edge belongs to
  Vec2 start, end;             // the edge: a Line's start and end, or a wall's footprint side
  int side = -1;               // for a wall, the footprint side i (corner i to corner (i+1) % 4)
  bool found = false;
};

// The straight edge nearest to p among the Lines and the four footprint sides of the Walls on
// the current layer or a shown layer: only edges whose perpendicular foot from p lies strictly
// inside them (0 < t < 1) and whose distance is below kEdgePickLimit take part, and of equally
// near edges the first in store order wins.
EdgePick edge_pick(const Drawing& d, Vec2 p);

}  // namespace korav
