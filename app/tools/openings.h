// The opening tools as the command loop runs them ("b_opening_..."): plain openings, doors and
// windows placed in a picked wall from their presets, with the outer side and the door leaf
// shown while they are asked; the kind, symbol and height of an opening altered; an opening
// removed, or its symbol dissolved into lines and arcs. The drawing changes are
// arch/openings.h, the symbols render/openings.h.
#pragma once

#include <vector>

#include "arch/openings.h"

namespace korav {

struct App;

// The strokes of an opening's symbol as the opening drawer draws them.
std::vector<SymbolStroke> opening_strokes(const App& app, const Opening& o);

void tool_opening_opening(App& app);
void tool_opening_door(App& app);
void tool_opening_window(App& app);
void tool_opening_alter_opening(App& app);
void tool_opening_alter_door(App& app);
void tool_opening_alter_window(App& app);
void tool_opening_alter_height(App& app);
void tool_opening_dissolve(App& app);
void tool_opening_remove(App& app);

}  // namespace korav
