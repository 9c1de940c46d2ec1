// Openings, doors and windows in their walls: placing an opening from two points and the
// outer side, inserting it (the wall's face lines cut at the opening, the reveals and the
// rebate of the stop added), finding an opening under a point, altering its kind, symbol and
// height, removing it and dissolving its symbol into single elements. Every function that
// changes the drawing records exactly one undo step, and none when it changes nothing.
//
// An opening's corners: p0 and p1 on the outer face (start, end), p2 and p3 on the inner face
// (end, start), then the same four at the top. Its stop widens the inner part by the stop
// width on each side; the rebate lies the stop depth inside the outer face.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "arch/plan_vec.h"
#include "arch/walls.h"
#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

inline constexpr std::string_view kMsgOpeningDoesNotFit = "The opening does not fit into the wall!";
inline constexpr std::string_view kMsgOpeningsOverlap = "The opening overlaps another opening!";

// The kind byte of a removed opening while its wall is separated.
inline constexpr int kOpeningRemoved = 99;

enum class OpeningFit {
  kFits,
  kTooMany,     // the wall holds kMaxOpenings already
  kDoesNotFit,  // a face of the opening does not lie on one outline line of the wall
  kOverlaps,    // it overlaps an opening the wall has
};

// The message of a refusal ("" for kFits).
std::string_view opening_fit_message(OpeningFit f);

// The opening of kind (1 opening, 2 door, 3 window) from the preset between the feet of
// `start` and `end` on both faces of the wall, p0 and p1 on the face nearer to `outer_side`,
// ordered along the wall; bottom corners at the wall's base + the preset's base, top corners
// that + the preset's height; leaf side 0. nullopt when the feet coincide.
std::optional<Opening> place_opening(const Wall& w, PlanVec start, PlanVec end, PlanVec outer_side,
                                     const OpeningPreset& preset, int kind);

// The leaf side (0 to 3) that a door leaf pointed at by `l` has: hinge at the start when l is
// nearer p0 than p1, on the outer side when l is nearer p0 than p3.
int leaf_side_at(const Opening& o, PlanVec l);

// The outline lines of `lines` with the opening cut in: the face lines carrying p0→p1 and
// p3→p2 (the latter widened by the stop width) split at the gap, and the reveals added (one
// line each side for a plain opening, three with a stop). Written to `out` only for kFits.
OpeningFit cut_for_opening(std::span<const OutlineLine> lines, const Opening& o,
                           std::vector<OutlineLine>& out);

// Whether the opening can go into the wall, and why not.
OpeningFit opening_fits(const Wall& w, const Opening& o);

// b_opening_opening, b_opening_door, b_opening_window: the wall replaced by one with the
// opening inserted, in one undo step. nullptr (nothing changed) when it does not fit; `why`
// receives the reason.
Wall* insert_opening(Drawing& d, Wall& w, const Opening& o, OpeningFit* why = nullptr);

// The plain outline of the footprint with every opening of `openings` that fits inserted
// again in its order (removed ones, kind 99, are left out): `lines` and `kept` (the openings
// inserted) are filled afresh.
void outline_with_openings(const Footprint& f, std::span<const Opening> openings,
                           std::vector<OutlineLine>& lines, std::vector<Opening>& kept);

struct OpeningRef {
  Wall* wall = nullptr;
  int index = -1;
  explicit operator bool() const { return wall != nullptr; }
  Opening& opening() const { return wall->openings()[index]; }
};

// The opening of a wall on the current layer nearest to p (0 inside its body in plan), when
// that is within `reach`.
OpeningRef find_opening(Drawing& d, PlanVec p, double reach);

// b_opening_alter_opening, _door, _window: kind, subtype and leaf side set, one undo step.
void alter_opening(Drawing& d, const OpeningRef& r, int kind, int subtype, int leaf_side);
// b_opening_alter_height: base and height set and the corners' z values moved to match.
// False (nothing changed) for values that are not finite or a height that is not positive.
bool alter_opening_height(Drawing& d, const OpeningRef& r, double base, double height);
// b_opening_remove: the opening taken out and the wall separated (its connections undone, the
// other openings inserted again), one undo step. Returns the new wall.
Wall* remove_opening(Drawing& d, const OpeningRef& r);

// One stroke of an opening's symbol: a line, or an arc as the output driver draws it.
struct SymbolStroke {
  bool arc = false;
  int pen = 0, line_type = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;                                    // a line
  double cx = 0, cy = 0, a = 0, b = 0, sweep = 0, start = 0, rotation = 0;  // an arc
};

// b_opening_dissolve: a Line or a Circle on the current layer for each stroke of the symbol,
// and the opening's subtype, leaf side and spare byte set to 0 (its kind and gap stay), all
// in one undo step. Returns how many elements were made.
int dissolve_opening(Drawing& d, const OpeningRef& r, std::span<const SymbolStroke> strokes);

}  // namespace korav
