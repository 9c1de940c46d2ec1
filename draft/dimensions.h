// The drawing changes of the dimension tools: chains from measured points, the automatic chain
// across walls, points added and removed, overrides, height figures, moved figures, restyling,
// and the radius, diameter, angle and height dimensions. Every function that changes the
// drawing records exactly one undo step unless it says otherwise; the interactive tools collect
// the points and picks and call these. What a dimension shows and how it is drawn is
// render/dimension_drawing.h.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "draft/geometry.h"
#include "model/units.h"
#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

inline constexpr int kMaxDimensionPoints = 99;
inline constexpr std::string_view kMsgDimensionFull = "Dimension is full (99 points)!";

// The fields of a new dimension from the dimension preset: kind, direction, on the current
// layer, in the guide pen in guide mode.
Dimension new_dimension_fields(const Drawing& d, const DimPreset& preset, int kind,
                               double direction);

// The perpendicular foot of p on the line through `on` with direction `angle`.
Vec2 foot_on_line(Vec2 p, Vec2 on, double angle);

// The record of a measured point p for a chain along the line through `on`: its foot, and p
// itself as the measured point unless "Link to elements" is off (then the foot again).
DimPoint chain_point(const Settings& s, Vec2 p, Vec2 on, double angle);

// Normalising a chain: the records sorted (stably) by their feet along the direction; the
// first one's distance, override, height and offsets cleared; every further one's distance to
// the previous kept foot set, its override and offsets cleared, its height kept; a record
// closer than 0.0001 to the previous one dropped.
void normalise_chain(std::vector<DimPoint>& pts, double angle);

// A new dimension with `fields` and `pts` (at most 99), recorded as one undo step (created).
Dimension* add_dimension(Drawing& d, const Dimension& fields, std::span<const DimPoint> pts);

// A chain being drawn: each point replaces the preview element at the end of the store, with
// no undo step; finish_chain records the last one as created.
Dimension* replace_preview(Drawing& d, Dimension* preview, const Dimension& fields,
                           std::span<const DimPoint> pts);
void finish_chain(Drawing& d, Dimension* preview);

// The points of a dimension as a vector.
std::vector<DimPoint> points_of(const Dimension& dim);

// A dimension replaced by a copy with its fields and `pts`: the first replacement of an edit
// records the old one (changed) and tags the copy (`first`); later replacements of the same
// edit give the copy the same undo membership and free the one before. With no points left the
// dimension is deleted (nullptr).
Dimension* replace_points(Drawing& d, Dimension& dim, std::span<const DimPoint> pts, bool first);

// b_dim_plus: a measured point projected on the chain's line (through its first foot) and
// appended, the chain normalised. False when the chain is full.
bool append_chain_point(const Settings& s, const Dimension& chain, Vec2 p,
                        std::vector<DimPoint>& pts);
// b_dim_minus: every record whose foot lies within 0.001 of p removed; how many.
int remove_chain_points(std::vector<DimPoint>& pts, Vec2 p);

// b_dim_alter_value, b_dim_height: one segment's override or height figure, one undo step.
void set_override(Drawing& d, Dimension& dim, int index, double value);
void set_height_figure(Drawing& d, Dimension& dim, int index, double value);
// b_dim_original: every override and figure offset cleared, one undo step.
void restore_original(Drawing& d, Dimension& dim);
// b_dim_alter_move: the figure moved by `by` (world), one undo step.
void move_figure(Drawing& d, Dimension& dim, int index, Vec2 by);
// b_dim_alter_size, b_dim_alter_style on the selection: one undo step, everything deselected,
// how many changed.
int set_selected_figure_height(Drawing& d, double millimetres);
int restyle_selected(Drawing& d, const DimPreset& preset);

// b_dim_auto: the crossings of the cut line a-b with the long sides and outline lines of the
// walls on the current layer, as chain records along the line through `on` (at most 99).
std::vector<DimPoint> wall_crossings(const Drawing& d, Vec2 on, double angle, Vec2 a, Vec2 b);

// The special dimensions' records: radius or diameter of a circle (centre, circle point towards
// `through`, through), angle (centre, start, end), heights (the zero point first, then each
// measured point, feet on the vertical through the position).
std::vector<DimPoint> circle_dimension_points(const Circle& c, Vec2 through);
DimPoint height_point(const Settings& s, Vec2 position, Vec2 p);

}  // namespace korav
