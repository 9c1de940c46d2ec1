// Stroke font files and the font loader the program installs in its font table.
//
// A stroke font file is plain text, numbers separated by white space: for each character code
// from 32 to 255 in order its advance width, then its commands, each the code followed by its
// arguments (code 3: x, y, r, start angle, sweep angle in degrees), ending with code 0. Values
// are in text heights; the table keeps them x 100 (angles x 10) as int16, and an arc of sweep 0
// is a full circle (3600).
//
// Reading takes two passes over the file's bytes (count, then store into one block). Damage (a
// word that is no number, an unknown code, a value beyond int16, a file that ends early) ends
// the reading at the character where it was found: the characters before it are kept, that
// one and the rest have no glyph, and the place is printed on standard output. A file of which
// not one character could be read does not load.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/font_table.h"

namespace korav {

struct StrokeFontDamage {
  bool damaged = false;
  int character = 0;       // the code being read when the damage was found
  std::size_t offset = 0;  // byte offset of the offending word
  std::string_view what;   // "not a number", "unknown command", "value out of range", "ends early"
};

// Reads a stroke font from the file's bytes into `font` (name and loaded flag untouched).
// False when not one character could be read. `damage` says where reading stopped, if it did.
bool read_stroke_font(std::string_view data, Font& font, StrokeFontDamage& damage);

// The stroke loader: "<directory><name>"; prints "Font %s is missing!" when there is no file.
bool load_stroke_font(FontTable& t, int slot, std::string_view name);

// The table's loader: names ending in "ttf", "TTF" or "pfb" go to the outline loader
// (files/outline_font.h), every other name to the stroke loader.
bool load_font(FontTable& t, int slot, std::string_view name);
bool is_outline_font_name(std::string_view name);

// The names of the fonts a text may use, for the font lists of the dialogs: the files of the
// font directory (stroke fonts, and outline fonts placed there), then the system's outline
// fonts; sorted, each once, none longer than a font name may be (20 characters).
std::vector<std::string> font_names(const std::string& directory);

// A font table that loads through load_font from `directory` (with a trailing '/').
void install_font_loader(FontTable& t, std::string directory);

}  // namespace korav
