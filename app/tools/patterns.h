// The pattern tools as the command loop runs them ("b_pattern_..."): each asks for its
// polygons, rectangles, picks and values through point input and hands them to the drawing
// changes of draft/patterns.h; dissolving draws the pattern once through an output that
// collects its strokes.
#pragma once

#include <vector>

#include "draft/patterns.h"

namespace korav {

struct App;

// The strokes of a pattern as every output draws them (the vector-output geometry).
std::vector<PatternStroke> pattern_strokes(const App& app, const Pattern& p);

void tool_pattern_poly(App& app);
void tool_pattern_range(App& app);
void tool_pattern_add_poly(App& app);
void tool_pattern_add_range(App& app);
void tool_pattern_alter_origin(App& app);
void tool_pattern_alter_angle(App& app);
void tool_pattern_alter_space(App& app);
void tool_pattern_alter_pattern(App& app);
void tool_pattern_alter_pattern_a(App& app);
void tool_pattern_alter_pattern_b(App& app);
void tool_pattern_dissolve(App& app);

}  // namespace korav
