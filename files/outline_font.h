// The outline loader: TrueType and Type 1 fonts read through FreeType into the same glyph
// command lists as stroke fonts. Each glyph is loaded unscaled, in font units; coordinates are
// kept as (x - left bearing) x 0.6 and y x 0.6, the advance as (advance - left bearing) x 0.06,
// so that glyph coordinates are ten times finer than advances (Font::coordinate_scale). Every
// contour is a closed filled outline: moves, lines, quadratic and cubic Beziers, code 6 after
// each contour, 5 and 0 after the glyph.
//
// The font file is looked for in the table's directory, then in the system's font directories.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/font_table.h"

namespace korav {

inline constexpr std::string_view kMsgFontLibrary = "Error opening Font library!";
inline constexpr std::string_view kMsgFontFormat = "Font Format unsupported!";
inline constexpr std::string_view kMsgFontFile = "Font File could not be opened or read!";
inline constexpr std::string_view kMsgNotOutline = "This is not an Outline Font!";

bool load_outline_font(FontTable& t, int slot, std::string_view name);

// Where an outline font of that name is found: the table's directory first, then the system's
// TrueType directories; "" when nowhere.
std::string find_outline_font_file(const FontTable& t, std::string_view name);
// The outline fonts the system offers (file names, sorted), for the font dialog.
std::vector<std::string> system_outline_fonts();

// One glyph outline as FreeType gives it: points in font units, their tags (bit 0 on the curve,
// bit 1 a cubic control point when off the curve) and the index of each contour's last point.
struct OutlinePoints {
  std::span<const long> x, y;
  std::span<const unsigned char> tags;
  std::span<const short> contour_ends;
};
// Appends the commands of one glyph (contours, then 5 and 0) to `out` (when not null) and
// returns how many values they take. Coordinates are (x - bearing) x 0.6 and y x 0.6, rounded
// and held within int16.
std::size_t outline_commands(const OutlinePoints& p, long bearing, std::int16_t* out);

}  // namespace korav
