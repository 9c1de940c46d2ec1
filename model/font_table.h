// The font table: the fonts texts, dimension figures and room inscriptions name, loaded on first
// use into one of 50 slots. Stroke fonts and outline fonts both end up as glyph command lists
// (codes below) in one block per font, which the text drawing interprets. Loading is done by the
// file readers (files/stroke_font.h, files/outline_font.h), which the owner of the table installs
// as its loader; the table itself only keeps, finds and frees the fonts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/element.h"

namespace korav {

inline constexpr int kFontSlots = 50;
inline constexpr int kNoFont = 99;  // find_font when not even "Simpel" loads
inline constexpr int kFirstGlyph = 32;
inline constexpr int kGlyphCount = 256;
inline constexpr std::string_view kFallbackFont = "Simpel";

// Glyph commands: a code followed by its arguments, all int16.
enum GlyphCode : std::int16_t {
  kGlyphEnd = 0,        // end of the character
  kGlyphMove = 1,       // x, y
  kGlyphLine = 2,       // x, y
  kGlyphArc = 3,        // x, y, r, start, sweep (tenths of a degree; 3600 a full circle)
  kGlyphCubic = 4,      // x1, y1, x2, y2, x3, y3
  kGlyphFillEnd = 5,    // ends the outline of a filled glyph
  kGlyphClose = 6,      // closes the current contour
  kGlyphQuadratic = 7,  // cx, cy, x, y
};

// How many arguments a code takes; -1 for an unknown code.
constexpr int glyph_arguments(int code) {
  switch (code) {
    case kGlyphEnd:
    case kGlyphFillEnd:
    case kGlyphClose: return 0;
    case kGlyphMove:
    case kGlyphLine: return 2;
    case kGlyphArc: return 5;
    case kGlyphCubic: return 6;
    case kGlyphQuadratic: return 4;
    default: return -1;
  }
}

enum FontKind : std::uint8_t { kStrokeFont = 0, kOutlineFont = 1 };

struct Font {
  FixedName<24> name;
  bool loaded = false;  // false: the slot is free
  std::uint8_t kind = kStrokeFont;
  std::vector<std::int16_t> commands;  // the command lists of all characters
  // Where each character's list starts in `commands` (codes 32 to 255; -1 none) and its
  // advance width in font units x 100.
  std::array<std::int32_t, kGlyphCount> start{};
  std::array<std::int16_t, kGlyphCount> advance{};

  Font() { start.fill(-1); }
  // The command list of a character, or nullptr when it has none.
  const std::int16_t* glyph(unsigned char c) const {
    return loaded && start[c] >= 0 ? commands.data() + start[c] : nullptr;
  }
  // Glyph coordinates per advance unit: outline fonts keep theirs ten times finer.
  double coordinate_scale() const { return kind == kOutlineFont ? 0.1 : 1.0; }
};

struct FontTable;
// Loads the named font into the (free) slot; false leaves the slot free.
using FontLoader = bool (*)(FontTable& table, int slot, std::string_view name);

struct FontTable {
  std::array<Font, kFontSlots> slots;
  std::string directory = "./dat/fonts/";  // with a trailing '/'
  FontLoader loader = nullptr;
  int loads = 0;  // fonts loaded since the table was made (for tests and diagnostics)
  // Names that failed to load: not tried again on every text drawn with them (a redraw would
  // otherwise open the missing file once per text). Emptied by clear_fonts.
  std::vector<std::string> failed;
};

// The slot of the loaded font of that name; otherwise loads it into the first free slot; when
// that fails, the slot of "Simpel" (loaded if needed); when even that fails, prints
// "Cant find Simpel-Font!" and returns kNoFont.
int find_font(FontTable& t, std::string_view name);
// The loaded font of a slot number find_font returned, or nullptr.
const Font* font_at(const FontTable& t, int slot);
// Releases the command blocks of every slot.
void free_fonts(FontTable& t);
// Empties every slot.
void clear_fonts(FontTable& t);

}  // namespace korav
