// Fuzz target for the stroke font reader: any bytes must read without a fault; a font that
// reads has every glyph start inside its block and every list ending with code 0.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/stroke_font.h"
#include "model/font_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korav::Font f;
  korav::StrokeFontDamage damage;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!korav::read_stroke_font(text, f, damage)) return 0;
  f.loaded = true;
  for (int c = 0; c < korav::kGlyphCount; ++c) {
    if (f.start[c] < 0) continue;
    if (c < korav::kFirstGlyph || static_cast<std::size_t>(f.start[c]) >= f.commands.size())
      std::abort();
    std::size_t i = static_cast<std::size_t>(f.start[c]);
    for (;;) {
      if (i >= f.commands.size()) std::abort();
      const int n = korav::glyph_arguments(f.commands[i]);
      if (n < 0) std::abort();
      if (f.commands[i] == korav::kGlyphEnd) break;
      i += static_cast<std::size_t>(n) + 1;
    }
  }
  return 0;
}
