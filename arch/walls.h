// The drawing changes of the wall tools: new walls from the wall preset (on an axis, on a side
// line, over a rectangle), walls connected so that their outlines run through where they meet
// and separated again, walls joined at a corner, attached to a line, extended to the next
// boundary, partly erased, and their heights set. Every function that changes the drawing
// records exactly one undo step, and none when it changes nothing; the interactive tools
// (app/tools/walls.cpp) collect the points and picks and call these.
//
// A wall's footprint is corners 0 to 3; its faces are c0→c1 and c3→c2, its ends c1→c2 and
// c3→c0, its axis runs from the middle of c0 and c3 to the middle of c1 and c2.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "arch/plan_vec.h"
#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

inline constexpr std::string_view kMsgNoWallThickness = "Wallthickness is not defined";

using Footprint = std::array<PlanVec, 4>;

// ---- Geometry ----

// The corners of a wall on the axis a→b: c0 = a + h n, c1 = b + h n, c2 = b − h n,
// c3 = a − h n with h half the thickness and n the right-hand normal of a→b.
Footprint axis_footprint(PlanVec a, PlanVec b, double thickness);
// The wall with one face on a→b and its body on the side of `side`, the full thickness away.
Footprint side_footprint(PlanVec a, PlanVec b, double thickness, PlanVec side);
// The axis-parallel rectangle between two corners, corners 0→1 along the longer side (x unless
// the x extent is not larger than the y extent). False when the corners share an x or a y.
bool rectangle_footprint(PlanVec a, PlanVec c, Footprint& out);

Footprint footprint(const Wall& w);
PlanVec axis_start(const Wall& w);
PlanVec axis_end(const Wall& w);
// The four plain outline lines c0→c1, c1→c2, c2→c3, c3→c0.
std::array<OutlineLine, 4> plain_outline(const Footprint& f);

// A wall's fields (no outline, no openings) from the preset: current layer, the preset's pen
// (the guide pen in guide mode) and line type, material, bottom corners at the preset's base
// and top corners at base + height.
Wall new_wall_fields(const WallPreset& preset, int layer, bool guide_mode, const Footprint& f);

// A new record in place of `old`: its corners, material, gable data, group and undo
// membership with the given outline and openings, at the end of the store. nullptr when the
// openings are more than a wall holds.
Wall* rebuilt_wall(ElementStore& store, const Wall& old, std::span<const OutlineLine> lines,
                   std::span<const Opening> openings);

// ---- Creating ----

// b_wall_axis, b_wall_side, b_wall_angle, b_wall_wall: a fresh wall over the footprint, one
// undo step of kind created. nullptr (nothing created) for a footprint without area.
Wall* add_wall(Drawing& d, const WallPreset& preset, const Footprint& f);

// b_unit_gablewall: a wall on the axis a->b with the preset's thickness, pen, line type and
// material, from base to base + height, whose top rises to a ridge at base + ridge over the
// middle of its length (a plain wall when the ridge is not above the top). One undo step;
// nullptr for an axis without length.
Wall* add_gable_wall(Drawing& d, const WallPreset& preset, PlanVec a, PlanVec b, double base,
                     double height, double ridge);

// ---- Connecting and separating ----

// The walls may meet: their footprint bounding boxes, grown by 0.01 on every side, overlap and
// so do their height ranges.
bool walls_connectable(const Wall& a, const Wall& b);

// Appends to `out` what remains of `lines` (outline lines of the wall `self`) where the wall
// meets `other`: every piece inside the other's footprint goes, and so does every piece lying
// on one of its sides with the two bodies on either side of it; a piece lying on a side with
// both bodies on the same side is a face the two walls share, kept when `keep_shared`.
void cut_at_wall(std::span<const OutlineLine> lines, const Wall& self, const Wall& other,
                 bool keep_shared, std::vector<OutlineLine>& out);

// b_wall_connect: both walls' outlines cut where they meet (a face they share stays with `a`);
// each wall that changed is replaced by a new record. One undo step; returns how many walls
// were replaced (0: not connectable, or nothing to cut; no step).
int connect_walls(Drawing& d, Wall& a, Wall& b);
// b_wall_connect_all: every wall of the current layer connected with every other one it meets
// (a shared face stays with the earlier wall). One undo step when anything changed; returns
// how many walls were replaced.
int connect_all_walls(Drawing& d);

// b_wall_separate: the wall's outline back to its rectangle and its openings inserted again
// (kind 99, a removed opening, is left out). One undo step; returns the new wall.
Wall* separate_wall(Drawing& d, Wall& w);
// b_wall_separate_all: every wall of the current layer separated, in one undo step.
int separate_all_walls(Drawing& d);

// ---- Changing the body ----

// b_wall_join: both walls extended or cut so that each ends on the other's axis line; the end
// of each that is nearer to the crossing of the axes moves. Both are rebuilt with plain
// outlines and keep the openings that still fit. False (nothing changed) for parallel axes, the
// same wall twice, or a gable wall.
bool join_walls(Drawing& d, Wall& a, Wall& b);

// b_wall_attach: every selected wall (not a gable wall) whose axis line meets the line a→b
// outside the axis is extended to it at its nearer end; outline line ends on the moved
// corners move with them. All selected elements are recorded in one undo step; the selection
// is cleared. Returns how many walls were extended.
int attach_walls(Drawing& d, PlanVec a, PlanVec b);

// b_wall_extend: the picked end (the start when the pick projects below half the axis) moved
// to the nearest crossing beyond it with a Line or a footprint side of another wall on the
// current or a shown layer. False (nothing changed) when there is none or for a gable wall.
bool extend_wall(Drawing& d, Wall& w, PlanVec pick);

// b_wall_erase: the part of the wall between the cuts across it through p and q removed; the
// remaining parts become walls of their own with plain outlines and the openings that still
// lie within them. False (nothing changed) when the part misses the wall or for a gable wall.
bool erase_wall_part(Drawing& d, Wall& w, PlanVec p, PlanVec q);

// b_wall_alter_height: every selected wall gets its bottom corners at `base` and its top
// corners at base + height; its openings keep their sills above the wall's base. One undo
// step; the selection is cleared. Returns how many walls changed. Nothing changes for values
// that are not finite.
int set_wall_heights(Drawing& d, double base, double height);

}  // namespace korav
