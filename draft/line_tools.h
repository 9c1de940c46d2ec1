// The geometry and the drawing changes of the line tools: creating lines, frames and polygons,
// parallels and perpendiculars, joining, chamfering and rounding corners, attaching, cutting,
// extending, erasing and deleting parts of lines, and removing duplicates. Every function that
// changes the drawing records exactly one undo step, and none when it changes nothing; the
// interactive tools only collect the points and picks and call these.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "draft/geometry.h"
#include "model/drawing.h"

namespace korav {

// ---- Creating ------------------------------------------------------------------------------

// A new line on the current layer with the current pen (the guide pen in guide mode) and line
// type, recorded as one undo step.
Line* add_line(Drawing& d, Vec2 a, Vec2 b);

// End of a horizontal (b_line_x) or vertical (b_line_y) line from `first` towards `second`.
Vec2 horizontal_end(Vec2 first, Vec2 second);
Vec2 vertical_end(Vec2 first, Vec2 second);

// b_line_a: the end of a line from s in direction `angle`, given a length or a point (the foot
// of the point on the line through s in that direction).
Vec2 angle_end_by_length(Vec2 s, double angle, double length);
Vec2 angle_end_by_point(Vec2 s, double angle, Vec2 p);

struct LineSegment {
  Vec2 start, end;
};

// b_line_parallel: the edge moved by +d or -d along its normal, whichever start is nearer to
// the side point; on equal distances the -d side.
LineSegment parallel_at_distance(LineSegment edge, double d, Vec2 side);
// b_line_pparallel: the edge moved so that it passes through p.
LineSegment parallel_through(LineSegment edge, Vec2 p);
// b_line_orthogonal: from the foot F of `through` on the edge to the foot of `end` on the
// normal through F.
LineSegment orthogonal_line(LineSegment edge, Vec2 through, Vec2 end);

// b_line_frame / b_line_oframe: the four sides of the axis-parallel rectangle spanned by the
// corners, grown by d on every side (shrunk for d < 0), in the order bottom, right, top, left.
// Empty when the rectangle has no width or no height (also when a negative d shrinks it away).
std::vector<LineSegment> frame_sides(Vec2 c1, Vec2 c2, double d);
// Creates them as one undo step; returns the number of lines created (4 or 0).
int add_frame(Drawing& d, Vec2 c1, Vec2 c2, double distance);

// b_line_polygon: corners of the regular n-gon about c through p, p first. Empty for n < 3 or
// when p lies within 1e-5 of c.
std::vector<Vec2> polygon_corners(Vec2 c, Vec2 p, int n);
// Creates its n sides (the last back to p) as one undo step; returns the number created.
int add_polygon(Drawing& d, Vec2 c, Vec2 p, int n);

// ---- Joining -------------------------------------------------------------------------------

enum class JoinKind { kJoin, kChamfer, kFillet };

// b_line_join, b_line_join_line (value = chamfer length), b_line_join_arc (value = radius):
// both lines trimmed or extended to their crossing (each by the side of its pick point), then
// for a chamfer or fillet cut back and the new line or arc added in the same undo step.
// Nothing changes (and false is returned) for the same line twice, parallel lines, a crossing
// 10000 or farther from the first line's start, or a chamfer or fillet that does not fit
// strictly inside both lines.
bool join_lines(Drawing& d, Line& l1, Vec2 pick1, Line& l2, Vec2 pick2, JoinKind kind,
                double value);

// ---- Editing -------------------------------------------------------------------------------

// b_line_attach: every selected Line that does not reach the line through the edge gets its
// end nearer to the crossing moved there. All selected elements are recorded as one undo step;
// selection flags are cleared. Returns the number of lines changed.
int attach_selected(Drawing& d, LineSegment edge);

// b_line_cut: every selected Line crossed strictly inside by the line through the edge is split
// there; the new piece (crossing to old end) joins the same undo step. Returns the number split.
int cut_selected(Drawing& d, LineSegment edge);

// b_line_extend: the end of the line nearer to the pick is extended to the nearest crossing
// with a Line, a Circle (on its arc) or a wall outline line on the current or a shown layer.
// False (nothing changed, no undo step) when nothing lies in the extension's way.
bool extend_line(Drawing& d, Line& line, Vec2 pick);

// b_line_erase: the part between the feet of p1 and p2 removed. False when both lie beyond the
// same end.
bool erase_line_part(Drawing& d, Line& line, Vec2 p1, Vec2 p2);

// b_line_dpart: the part of the line between the crossings nearest to the pick removed (the
// whole line when nothing crosses it).
bool delete_line_part(Drawing& d, Line& line, Vec2 pick);

// p_tools_remdup: later exact duplicates of lines (also reversed) and arcs on the current layer
// removed as one undo step. Returns {lines, arcs} removed.
std::pair<int, int> remove_duplicates(Drawing& d);

// The text of the message p_tools_remdup shows, already translated.
std::string remove_duplicates_message(std::pair<int, int> counts);

}  // namespace korav
