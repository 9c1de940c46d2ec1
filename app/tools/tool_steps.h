// What the interactive tools share: reading points out of a finished request, asking a single
// value, highlighting a picked element, and bringing the screen and the undo buttons up to date
// after a tool changed the drawing.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "app/point_input.h"
#include "draft/geometry.h"
#include "model/element.h"

namespace korav {

struct App;

// Point i of a request, in plan.
inline Vec2 point(const PointRequest& r, int i) { return {r.x[i], r.y[i]}; }

// Draws a line in XOR on the canvas (rubber bands).
void xor_segment(App& app, Vec2 a, Vec2 b);

// After a tool changed the drawing: the undo buttons, the title's modified state and the
// canvas follow.
void changed(App& app);
// After a creating tool appended `n` elements: only those are drawn.
void created(App& app, int n);
// Draws the element highlighted (its selection flag set) or normally again.
void highlight(App& app, Element& e, bool on);

// The steps of a two-point creating tool: the first point, the second with its rubber band,
// and "Move/Confirm:" showing the finished element; view commands allowed.
void two_point_steps(PointRequest& r, std::string_view first, std::string_view second,
                     RubberBand band, RubberBand finished);

// The two points of an erase on a picked element, which is highlighted meanwhile: "Start point:",
// "Move/End point:" and "Move/Confirm:" with a line between them. False when the user left.
bool ask_part(App& app, Element& e, PointRequest& r);

// "Angle/1st Direction point:", "Move/2nd Direction point:", "Move/Confirm:": a typed angle or
// the direction from the first point to the second; none when the user left.
std::optional<double> ask_direction(App& app);

// "1st Corner point:", "Move/2nd Corner point:", "Move/Confirm:" with the rectangle following
// the pointer: the two corners, none when the user left.
std::optional<std::pair<Vec2, Vec2>> ask_corners(App& app);

// Asks one value step of `kind` (view commands allowed); false when the user left.
bool ask_value(App& app, int kind, std::string_view prompt, PointRequest& r);

}  // namespace korav
