// Crossings of straight lines with circles, arcs and ellipses, and of two circles; whether a
// point lies on an arc. Used by snapping, extending and deleting parts of lines.
#pragma once

#include "draft/geometry.h"

namespace korav {

struct CurveCrossings {
  int count = 0;  // 0, 1 (touching) or 2
  Vec2 point[2];
  double t[2] = {0, 0};  // parameters along the line a→b, for line crossings; ascending
};

// The crossings of the infinite line a→b with the whole curve (circle or ellipse) of `c`,
// in the order of their parameter along a→b. None for a line of no length or a degenerate
// curve (a radius not above 0).
CurveCrossings line_curve_crossings(Vec2 a, Vec2 b, const Circle& c);

// The crossings of two true circles (their arcs ignored). None for concentric or separate
// circles.
CurveCrossings circle_crossings(const Circle& c, const Circle& d);

// A closed curve: its sweep differs from 2π by less than 1e-5.
bool is_closed_curve(const Circle& c);
// A true circle (or arc of one): its two radii differ by less than 1e-9.
bool is_true_circle(const Circle& c);

// The curve's own angle of a point: the angle in the frame of the axis, with the across
// component stretched so that the ellipse becomes a circle; in [0, 2π).
double curve_angle(const Circle& c, Vec2 p);

// The point of the curve at its own angle `a`.
Vec2 curve_point(const Circle& c, double a);

// True when a point of the curve (given by its position) lies on the arc: its curve angle lies
// within the sweep from the start angle (ends included, to 1e-9). Closed curves contain every
// point.
bool on_arc(const Circle& c, Vec2 p);

}  // namespace korav
