// The developer commands that make stroke fonts: a PostScript font description converted, a
// font drawn in the cell grid written out, and both read back by the stroke loader; the two
// commands through the script host.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/script_host.h"
#include "files/font_import.h"
#include "files/stroke_font.h"
#include "model/font_table.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

std::string seed() {
  return shell_test::read_text(std::string(KORAV_SOURCE_DIR) +
                               "/tests/fuzz/seeds/font_description/type3");
}

// The lines of character `code` in a stroke font text: its width line up to its "0".
std::vector<std::string> character(const std::string& font, int code) {
  std::istringstream in(font);
  std::vector<std::string> out;
  std::string l;
  int c = 32;
  while (std::getline(in, l)) {
    if (c == code) out.push_back(l);
    if (l == "0" && ++c > code) break;
  }
  return out;
}

using files_test::glyph_values;
using Lines = std::vector<std::string>;

Font read_back(const std::string& text) {
  Font f;
  StrokeFontDamage damage;
  EXPECT_TRUE(read_stroke_font(text, f, damage));
  EXPECT_FALSE(damage.damaged) << damage.what << " at character " << damage.character;
  f.loaded = true;
  return f;
}

TEST(FontImport, PathsAndWidthsInTextHeights) {
  const FontImportResult r = import_font_description(seed());
  ASSERT_TRUE(r.error.empty()) << r.error;
  EXPECT_EQ(r.glyphs, 3);  // A, o and adieresis; the space has no path
  EXPECT_EQ(character(r.font, 'A'),
            (Lines{"0.600000", "1 0.000000 0.000000", "2 0.300000 0.700000", "2 0.600000 0.000000",
                   "1 0.720000 0.280000", "2 1.080000 0.280000", "0"}));
  const std::vector<std::string> o = character(r.font, 'o');
  ASSERT_GE(o.size(), 4u);
  EXPECT_EQ(o[0], "0.500000");
  EXPECT_EQ(o[1], "1 0.250000 0.000000");
  EXPECT_EQ(o[2], "4 0.100000 0.000000 0.000000 0.100000 0.000000 0.250000");
  EXPECT_EQ(std::vector<std::string>(o.end() - 3, o.end()), (Lines{"6", "5", "0"}));
  EXPECT_EQ(character(r.font, ' '), (Lines{"0.250000", "0"}));
  EXPECT_EQ(character(r.font, 127), (Lines{"1.00", "0"}));
  // An operator short of numbers ends the glyph: the rcurveto of adieresis is dropped.
  EXPECT_EQ(character(r.font, 0xE4),
            (Lines{"0.000000", "1 0.000000 0.000000", "2 0.010000 0.010000", "0"}));

  const Font f = read_back(r.font);
  EXPECT_EQ(glyph_values(f, 'A'),
            (std::vector<std::int16_t>{1, 0, 0, 2, 30, 70, 2, 60, 0, 1, 72, 28, 2, 108, 28, 0}));
  EXPECT_EQ(f.advance['A'], 60);
  EXPECT_EQ(glyph_values(f, 'B'), (std::vector<std::int16_t>{0}));
}

TEST(FontImport, DamagedDescriptionsGiveWhatTheyHoldOrAClearError) {
  EXPECT_FALSE(import_font_description("/Metrics 1 dict begin /A 500 def end").error.empty());
  EXPECT_TRUE(import_font_description("").font.empty());
  const FontImportResult empty = import_font_description("/CharDefs 1 dict begin end");
  EXPECT_TRUE(empty.font.empty());
  EXPECT_FALSE(empty.error.empty());
  // A procedure that never closes keeps what it drew; huge values are held within a font's
  // range; a string with a brace in it is no procedure.
  const FontImportResult r = import_font_description(
      "/FontMatrix [1 0 0 1 0 0] /CharDefs begin /B { (}) pop 0 0 moveto 1e9 -1e9 lineto");
  ASSERT_TRUE(r.error.empty()) << r.error;
  EXPECT_EQ(character(r.font, 'B'),
            (Lines{"0.000000", "1 0.000000 0.000000", "2 300.000000 -300.000000", "0"}));
  read_back(r.font);
}

TEST(FontImport, GlyphNamesOfTheLatin1Encoding) {
  const std::pair<const char*, int> names[] = {
      {"space", 32},    {"A", 65},           {"asciitilde", 126}, {"germandbls", 0xDF},
      {"degree", 0xB0}, {"ydieresis", 0xFF}, {".notdef", 0},      {"", 0}};
  for (const auto& [name, code] : names) EXPECT_EQ(latin1_code_of_glyph(name), code) << name;
}

TEST(FontFromDrawing, CellsGiveCharactersInTextHeights) {
  Drawing d;
  // 'A' (65) is cell 33: column 1, row 2, lower left corner (1, -2).
  create_line(d.store, 0, 0, 0, 1.1, -2, 1.5, -1.2);
  create_line(d.store, 0, 0, 0, 1.5, -1.2, 1.9, -2);  // continues the first
  create_line(d.store, 0, 0, 0, 1.25, -1.6, 1.75, -1.6);
  create_line(d.store, 1, 0, 0, 1.2, -1.5, 1.3, -1.5);  // another layer
  Circle c = make_element<Circle>(0, 0, 0);
  c.centre = {0.5, -2.5};  // 'P' (80): column 0, row 3
  c.radius1 = c.radius2 = 0.25;
  c.sweep = 2 * 3.141592653589793;
  create(d.store, c);
  const std::string font = font_from_drawing(d, 0);
  EXPECT_EQ(character(font, 'A'), (Lines{"0.90", "1 0.10 0.00", "2 0.50 0.80", "2 0.90 0.00",
                                         "1 0.25 0.40", "2 0.75 0.40", "0"}));
  EXPECT_EQ(character(font, 'P'), (Lines{"0.75", "3 0.50 0.50 0.25 0.00 360.00", "0"}));
  EXPECT_EQ(character(font, 'B'), (Lines{"0.50", "0"}));
  const Font f = read_back(font);
  EXPECT_EQ(glyph_values(f, 'P'), (std::vector<std::int16_t>{3, 50, 50, 25, 0, 3600, 0}));
}

TEST(FontCommands, ImportAndFromDrawingThroughTheScriptHost) {
  files_test::TempDir dir;
  const std::string source = dir.file("sample.ps");
  shell_test::write_text(source, seed());
  shell_test::write_text(dir.file("garbage.ps"), "%!PS nothing here\n");
  const std::string target = dir.file("Imported");
  {
    App app;
    std::istringstream in("set Toolbar/Snap off\np_file_import_truetype\nfile " + source +
                          "\nfile " + target + "\np_file_import_truetype\nfile " +
                          dir.file("garbage.ps") +
                          "\nb_line_line\nclick 1.1 -2\nclick 1.5 -1.2\nclick 1.5 -1.2\np_nop\n"
                          "p_file_export_font\n");
    ScriptHost host(app, in, "test", nullptr);
    const int status = host.run(CommandLine{}, dir.path(), [](App&) {});
    bool error_shown = false;
    std::string shown;
    for (const std::string& l : host.transcript()) {
      error_shown = error_shown || l == "error: no /CharDefs in the font description";
      shown += l + "\n";
    }
    EXPECT_EQ(status, 1) << shown;  // the garbage's error box fails the run, as it should
    EXPECT_TRUE(error_shown) << shown;
  }
  EXPECT_EQ(shell_test::read_text(target), import_font_description(seed()).font);
  const std::string made = shell_test::read_text(dir.path() + "/dat/fonts/newfont");
  EXPECT_EQ(character(made, 'A'), (Lines{"0.50", "1 0.10 0.00", "2 0.50 0.80", "0"}));
}

}  // namespace
}  // namespace korav
