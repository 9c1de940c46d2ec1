// PNG export: the plan view fitted to all elements, drawn exactly as the screen draws it.
#pragma once

#include <string>

namespace korav {

struct Drawing;
struct FontTable;

inline constexpr int kPngDefaultWidth = 1600;
inline constexpr int kPngDefaultHeight = 1200;

// Writes the drawing as a PNG of width x height pixels, its texts in the fonts of `fonts`. On
// failure returns false with a one-line message in `error`; nothing is written then.
bool export_png(const Drawing& d, const std::string& path, int width, int height,
                std::string& error, FontTable* fonts = nullptr);

}  // namespace korav
