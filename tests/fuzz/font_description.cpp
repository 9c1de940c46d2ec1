// Fuzz target for the font description import: any bytes must convert without a fault, and a
// font that comes out must read back as a stroke font without damage, every character there.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/font_import.h"
#include "files/stroke_font.h"
#include "model/font_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const korav::FontImportResult r = korav::import_font_description(text);
  if (r.font.empty()) {
    if (r.error.empty()) std::abort();
    return 0;
  }
  korav::Font f;
  korav::StrokeFontDamage damage;
  if (!korav::read_stroke_font(r.font, f, damage) || damage.damaged) std::abort();
  for (int c = korav::kFirstGlyph; c < korav::kGlyphCount; ++c)
    if (f.start[c] < 0) std::abort();
  return 0;
}
