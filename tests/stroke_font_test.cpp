// Font table, stroke font reader and outline loader: what a font file turns into, the fallback
// to "Simpel", damaged files, and the fonts the program ships.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/outline_font.h"
#include "files/stroke_font.h"
#include "model/font_table.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;

std::string shipped_fonts() { return std::string(KORAV_SOURCE_DIR) + "/dat/fonts/"; }

// A temporary font directory with the given files.
struct FontDir {
  fs::path dir;
  FontDir() {
    dir = fs::temp_directory_path() /
          ("korav_fonts_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  ~FontDir() { fs::remove_all(dir); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  FontTable table() const {
    FontTable t;
    install_font_loader(t, dir.string());
    return t;
  }
};

// A font file of 224 characters: `first` for character 32, "1 0" (advance 1, end) for the rest.
std::string font_text(const std::string& first, int complete = 224) {
  std::string s = first + "\n";
  for (int c = 33; c < 32 + complete; ++c) s += "1 0\n";
  return s;
}

using files_test::glyph_values;

TEST(StrokeFont, CommandsAreStoredScaledAndRounded) {
  struct Case {
    const char* file_char;
    std::vector<std::int16_t> stored;
    std::int16_t advance;
  } cases[] = {
      // The arc edge case: a sweep of 0 is a full circle.
      {"0.5 3 0 0 2 0 0 0", {3, 0, 0, 200, 0, 3600, 0}, 50},
      {"1.234 1 0.005 -0.004 2 1.006 0.994 0", {1, 1, 0, 2, 101, 99, 0}, 123},
      {"0.7 3 0.1 0.2 0.3 90 180 0", {3, 10, 20, 30, 900, 1800, 0}, 70},
      {"1 4 1 2 3 4 5 6 6 5 0", {4, 100, 200, 300, 400, 500, 600, 6, 5, 0}, 100},
      {"+1 0", {0}, 100},
  };
  for (const Case& c : cases) {
    Font f;
    StrokeFontDamage damage;
    ASSERT_TRUE(read_stroke_font(font_text(c.file_char), f, damage)) << c.file_char;
    EXPECT_FALSE(damage.damaged) << c.file_char << ": " << damage.what;
    EXPECT_EQ(glyph_values(f, 32), c.stored) << c.file_char;
    EXPECT_EQ(f.advance[32], c.advance) << c.file_char;
    EXPECT_EQ(f.advance[255], 100);
    EXPECT_EQ(f.start[31], -1);
  }
}

TEST(StrokeFont, DamageKeepsWhatCameBeforeIt) {
  struct Case {
    std::string text;
    bool loads;
    int character;  // where the damage was found
    std::string_view what;
  };
  const std::string ten = font_text("1 2 0 0 0", 10);  // ten whole characters, then the damage
  const Case cases[] = {
      {ten, true, 42, "ends early"},
      {ten + "1 2 zz 0 0", true, 42, "not a number"},
      {ten + "1 9 0", true, 42, "unknown command"},
      {ten + "1 7 0 0 1 1 0", true, 42, "unknown command"},
      {ten + "1 2.5 0 0 0", true, 42, "unknown command"},
      {ten + "1 2 400 0 0", true, 42, "value out of range"},
      {ten + "1 2 1e400 0 0", true, 42, "not a number"},
      {ten + "1 2 nan 0 0", true, 42, "not a number"},
      {ten + "1 3 0 0 1 0 4000 0", true, 42, "value out of range"},
      {"", false, 32, "ends early"},
      {"garbage", false, 32, "not a number"},
      {"1 2 0", false, 32, "ends early"},
      {std::string("1 2 0 \0 0", 9), false, 32, "not a number"},
  };
  for (const Case& c : cases) {
    Font f;
    StrokeFontDamage damage;
    EXPECT_EQ(read_stroke_font(c.text, f, damage), c.loads) << c.text.substr(0, 40);
    EXPECT_TRUE(damage.damaged);
    EXPECT_EQ(damage.character, c.character) << c.text.substr(0, 40);
    EXPECT_EQ(damage.what, c.what) << c.text.substr(0, 40);
    if (!c.loads) continue;
    // The characters before the damage are whole; the damaged one and the rest have none.
    EXPECT_EQ(glyph_values(f, 32), (std::vector<std::int16_t>{2, 0, 0, 0}));
    EXPECT_GE(f.start[41], 0);
    EXPECT_EQ(f.start[42], -1);
    EXPECT_EQ(f.start[200], -1);
    EXPECT_EQ(f.commands.size(), 4u + 9u);
  }
}

TEST(FontTable, SameNameLoadsOnceAndFallsBackToSimpel) {
  FontDir d;
  d.write("Simpel", font_text("1 0"));
  d.write("Other", font_text("2 0"));
  d.write("Broken", "garbage");
  FontTable t = d.table();
  const int simpel = find_font(t, "Simpel");
  ASSERT_NE(simpel, kNoFont);
  EXPECT_EQ(find_font(t, "Simpel"), simpel);
  const int other = find_font(t, "Other");
  EXPECT_NE(other, simpel);
  EXPECT_EQ(find_font(t, "Other"), other);
  EXPECT_EQ(t.loads, 2);
  EXPECT_EQ(font_at(t, other)->advance[32], 200);
  // Missing and damaged fonts, outline names too, give the Simpel slot and are tried once.
  for (const char* name : {"Missing", "Broken", "Nothing.ttf", "Nothing.pfb", "../Simpel"}) {
    EXPECT_EQ(find_font(t, name), simpel) << name;
    EXPECT_EQ(find_font(t, name), simpel) << name;
  }
  EXPECT_EQ(t.loads, 2);
  EXPECT_EQ(t.failed.size(), 5u);
  free_fonts(t);
  EXPECT_EQ(font_at(t, simpel), nullptr);
  clear_fonts(t);
  EXPECT_TRUE(t.failed.empty());
  EXPECT_EQ(find_font(t, "Other"), 0);
}

TEST(FontTable, WithoutSimpelThereIsNoFont) {
  FontDir d;
  FontTable t = d.table();
  testing::internal::CaptureStdout();
  EXPECT_EQ(find_font(t, "Simpel"), kNoFont);
  EXPECT_EQ(find_font(t, "Other.ttf"), kNoFont);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Font Simpel is missing!"), std::string::npos);
  EXPECT_NE(out.find("Font File could not be opened or read!"), std::string::npos);
  EXPECT_NE(out.find("Cant find Simpel-Font!"), std::string::npos);
}

TEST(FontTable, FullTableGivesTheFallback) {
  FontDir d;
  d.write("Simpel", font_text("1 0"));
  for (int i = 0; i < kFontSlots; ++i) d.write("F" + std::to_string(i), font_text("1 0"));
  FontTable t = d.table();
  ASSERT_EQ(find_font(t, "Simpel"), 0);
  for (int i = 0; i < kFontSlots - 1; ++i) EXPECT_EQ(find_font(t, "F" + std::to_string(i)), i + 1);
  EXPECT_EQ(find_font(t, "F49"), 0);
}

TEST(OutlineFont, ContoursOfQuadraticAndCubicPoints) {
  // Tags: 1 on the curve, 0 a quadratic control point, 2 a cubic control point.
  struct Case {
    std::vector<long> x, y;
    std::vector<unsigned char> tags;
    std::vector<short> ends;
    std::vector<std::int16_t> expected;
    long left_bearing = 0;  // coordinates count from it
  } cases[] = {
      // A triangle: moves and lines, closed by code 6.
      {{0, 100, 0}, {0, 0, 100}, {1, 1, 1}, {2}, {1, 0, 0, 2, 60, 0, 2, 0, 60, 6, 5, 0}},
      // Two quadratic control points in a row meet at their midpoint; the last one returns to
      // the start.
      {{0, 100, 100, 0},
       {0, 0, 100, 100},
       {1, 0, 0, 1},
       {3},
       {1, 0, 0, 7, 60, 0, 60, 30, 7, 60, 60, 0, 60, 6, 5, 0}},
      // A contour that starts with a control point: the start is the first point on the curve.
      {{0, 100, 100}, {0, 0, 100}, {0, 1, 1}, {2}, {1, 60, 0, 2, 60, 60, 7, 0, 0, 60, 0, 6, 5, 0}},
      // Cubic control points (Type 1) give code 4.
      {{0, 0, 100, 100},
       {0, 100, 100, 0},
       {1, 2, 2, 1},
       {3},
       {1, 0, 0, 4, 0, 60, 60, 60, 60, 0, 6, 5, 0}},
      // Only control points: the start lies midway between the first two.
      {{0, 100, 100, 0}, {0, 0, 100, 100}, {0, 0, 0, 0}, {3}, {1,  30, 0,  7,  60, 0, 60, 30, 7,
                                                               60, 60, 30, 60, 7,  0, 60, 0,  30,
                                                               7,  0,  0,  30, 0,  6, 5,  0}},
      // A contour end beyond the points ends the outline.
      {{0, 100}, {0, 0}, {1, 1}, {1, 9}, {1, 0, 0, 2, 60, 0, 6, 5, 0}},
      // No contours: an empty filled glyph.
      {{}, {}, {}, {}, {5, 0}},
      {{10, 110}, {0, 0}, {1, 1}, {1}, {1, 0, 0, 2, 60, 0, 6, 5, 0}, 10},
  };
  for (const Case& c : cases) {
    OutlinePoints p{c.x, c.y, c.tags, c.ends};
    const std::size_t n = outline_commands(p, c.left_bearing, nullptr);
    std::vector<std::int16_t> out(n);
    EXPECT_EQ(outline_commands(p, c.left_bearing, out.data()), n);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(OutlineFont, DejaVuLoadsFromTheSystem) {
  FontTable t;
  install_font_loader(t, shipped_fonts());
  if (find_outline_font_file(t, "DejaVuSans.ttf").empty()) GTEST_SKIP() << "no DejaVu fonts";
  const int slot = find_font(t, "DejaVuSans.ttf");
  const Font* f = font_at(t, slot);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->kind, kOutlineFont);
  EXPECT_EQ(f->name.view(), "DejaVuSans.ttf");
  // Every Latin-1 letter has a filled outline; 'H' is about as wide as it is high.
  for (unsigned char c : std::string_view("AHa\xe4\xf6\xfc\xc4\xd6\xdc\xdf\xb0\xb2\xb3\xb1")) {
    const std::vector<std::int16_t> v = glyph_values(*f, c);
    ASSERT_GT(v.size(), 6u) << int(c);
    EXPECT_EQ(v[0], kGlyphMove) << int(c);
    EXPECT_EQ(v[v.size() - 2], kGlyphFillEnd) << int(c);
  }
  EXPECT_GT(f->advance['H'], 50);
  EXPECT_LT(f->advance['H'], 120);
  EXPECT_EQ(glyph_values(*f, 0x81), (std::vector<std::int16_t>{0}));  // no glyph
  const std::vector<std::string> listed = system_outline_fonts();
  EXPECT_NE(std::find(listed.begin(), listed.end(), "DejaVuSans.ttf"), listed.end());
}

TEST(ShippedFonts, TheFontListHoldsTheShippedAndTheSystemFontsOnce) {
  const std::vector<std::string> names = font_names(shipped_fonts());
  for (const char* n :
       {"Simpel", "SimpelProp", "Rund", "RundProp", "Freihand", "Outline", "Filled_1", "Filled_6"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  for (const std::string& n : names) EXPECT_LE(n.size(), 20u) << n;
  for (const std::string& n : system_outline_fonts())
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  EXPECT_EQ(font_names("/nonexistent/fonts/"), system_outline_fonts());
}

TEST(ShippedFonts, EveryFontHasEveryLetterAnArchitectTypes) {
  FontTable t;
  install_font_loader(t, shipped_fonts());
  const char* names[] = {"Simpel",   "SimpelProp", "Rund",     "RundProp", "Freihand", "Outline",
                         "Filled_1", "Filled_2",   "Filled_3", "Filled_4", "Filled_5", "Filled_6"};
  for (const char* name : names) {
    testing::internal::CaptureStdout();
    const int slot = find_font(t, name);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.empty()) << name << ": " << out;  // read whole, no damage
    const Font* f = font_at(t, slot);
    ASSERT_NE(f, nullptr) << name;
    ASSERT_EQ(f->name.view(), name);
    for (int c = 33; c < 256; ++c) {
      if (c >= 127 && c <= 160) continue;
      EXPECT_GT(glyph_values(*f, static_cast<unsigned char>(c)).size(), 1u)
          << name << " has no strokes for " << c;
      EXPECT_GT(f->advance[c], 0) << name << " " << c;
    }
  }
  EXPECT_EQ(t.loads, 12);
}

}  // namespace
}  // namespace korav
