// The opening drawer: the plan symbol of one opening, door or window of a wall (gap lines,
// door leaves with their swings, frame profiles and glass lines), drawn through the line and
// arc operations of the installed output driver.
#pragma once

#include "model/element.h"

namespace korav {

struct Renderer;
struct Screen;
struct Drawing;

inline constexpr int kOpeningPlain = 1;
inline constexpr int kOpeningDoor = 2;
inline constexpr int kOpeningWindow = 3;

// Frame profiles of framed doors and windows, and the leaf and post of a door with a side light.
inline constexpr double kProfile = 0.08;
inline constexpr double kSideLightLeaf = 1.0;

// Draws the symbol of an opening with the renderer's current colour class. Kinds and subtypes
// without a symbol (a dissolved opening has subtype 0) draw nothing.
void draw_opening(Renderer& r, const Opening& o);

// Draws the symbol with exclusive-or on the current surface, arcs as 24 chords: the preview
// while an opening is placed. Drawing it twice erases it.
void draw_opening_preview(Screen& s, const Drawing& d, const Opening& o);

}  // namespace korav
