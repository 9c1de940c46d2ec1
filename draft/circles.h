// The geometry and the drawing changes of the circle tools: circles, arcs and ellipses from
// their defining points, concentric copies, removing parts of arcs and closed curves, extending
// arcs, splines, and replacing a spline by the chords it is drawn with. As for the line tools,
// every function that changes the drawing records exactly one undo step, and none when it
// changes nothing; degenerate input (coincident or collinear points, zero or non-finite radii
// and distances) gives no shape and changes nothing.
#pragma once

#include <optional>
#include <span>

#include "draft/geometry.h"
#include "draft/line_tools.h"
#include "model/drawing.h"

namespace korav {

// The shape of a Circle element: P(t) = centre + (a cos t cos r − b sin t sin r,
// a cos t sin r + b sin t cos r) for t from start to start + sweep, counter-clockwise.
struct CurveShape {
  Vec2 centre;
  double a = 0, b = 0;  // radius along the rotated axis, and across it
  double sweep = 0;     // 2π for a closed curve
  double start = 0;
  double rotation = 0;
};

// The shape of a Circle element.
CurveShape shape_of(const Circle& c);

// ---- Shapes from points ------------------------------------------------------------------

// b_circle_circle: a closed circle; none unless the radius exceeds 1e-6.
std::optional<CurveShape> circle_by_radius(Vec2 centre, double radius);
// The centre of the circle through three points: none when two of them lie 1e-4 or less apart
// or when they are collinear.
std::optional<Vec2> centre_through(Vec2 p1, Vec2 p2, Vec2 p3);
// b_circle_3point: the closed circle through the three points.
std::optional<CurveShape> circle_through(Vec2 p1, Vec2 p2, Vec2 p3);
// b_circle_arc3point: the arc from p1 over p2 to p3.
std::optional<CurveShape> arc_through(Vec2 p1, Vec2 p2, Vec2 p3);
// b_circle_arc: the arc about `centre` from the direction of `start` to the direction of `end`
// counter-clockwise when `direction` lies on that arc, else the complementary arc. None unless
// the radius (centre to start) exceeds 1e-4.
std::optional<CurveShape> arc_about(Vec2 centre, Vec2 start, Vec2 end, Vec2 direction);
// b_circle_ellipse: half axes |Δx| and |Δy| from the centre to the corner.
std::optional<CurveShape> ellipse_about(Vec2 centre, Vec2 corner);
// b_circle_ellipsefame: the ellipse inscribed in the axis-parallel rectangle of two corners.
std::optional<CurveShape> ellipse_in_frame(Vec2 c1, Vec2 c2);
// b_circle_parallel: both radii grown by d when the side point lies at least radius a from the
// centre, otherwise shrunk by d. None when a radius would not stay above 0.
std::optional<CurveShape> concentric_at_distance(const Circle& c, double d, Vec2 side);
// b_circle_pparallel: through p, the ratio of the radii kept.
std::optional<CurveShape> concentric_through(const Circle& c, Vec2 p);

// The position of a point on an arc: its own curve angle less the start, in [0, 2π).
double arc_position(const Circle& c, Vec2 p);

// ---- Creating ----------------------------------------------------------------------------

// A new Circle element of the shape on the current layer with the current pen (the guide pen
// in guide mode) and line type, recorded as one undo step.
Circle* add_curve(Drawing& d, const CurveShape& s);

// b_circle_spline: a spline with the points in the order start, first control point, second
// control point, end. Nothing when all four points lie within 1e-6 of the start.
Spline* add_spline(Drawing& d, Vec2 start, Vec2 control1, Vec2 control2, Vec2 end);

// ---- Editing -----------------------------------------------------------------------------

// Removes the part of the curve from its own angle u counter-clockwise to v: a closed curve
// becomes one arc from v round to u; of an arc the pieces before u and after v are kept (the
// arc itself is replaced by them, or deleted when nothing is left, or left alone when the
// range misses it). False when nothing changed.
bool remove_arc_part(Drawing& d, Circle& c, double u, double v);

// b_circle_erase: the part between the curve angles of the two points removed.
bool erase_arc_part(Drawing& d, Circle& c, Vec2 p1, Vec2 p2);

// b_circle_dpart: the part between the crossings with Lines, Circles and wall outline lines
// (current or shown layers) nearest to the pick, on either side of it, removed; the whole
// element when nothing crosses it.
bool delete_arc_part(Drawing& d, Circle& c, Vec2 pick);

// b_circle_extend: the end of the arc nearer to the pick (by arc position, the end when at
// least half the sweep) moved on to the nearest crossing off the arc with a Line, a wall
// outline line or a true circle; closed to a full curve when nothing crosses its way. Closed
// curves are left alone (false).
bool extend_arc(Drawing& d, Circle& c, Vec2 pick);

// b_circle_splinedissolve: the spline replaced by one Line for every chord (current layer, the
// spline's pen and line type), as one undo step. Chords of no length are left out; when no
// chord is left the spline stays (0 is returned). Returns the number of lines created.
int dissolve_spline(Drawing& d, Spline& s, std::span<const LineSegment> chords);

}  // namespace korav
