// Material files: the nineteen lines read and written, damaged files read up to the damage
// with its line named, names checked, the lists of the materials directory, and every shipped
// material reading whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"
#include "three_d/material.h"

namespace korav {
namespace {

using files_test::TempDir;
using shell_test::write_text;

// Every value away from its default; the image name is UTF-8 here, ISO-8859-1 in the file.
Material sample() {
  return {.red = 0.25,
          .green = 0.5,
          .blue = 0.75,
          .transparency = 0.4,
          .reflection = 0.2,
          .ambience = 0.05,
          .refraction = 1,
          .metallic = 1,
          .highlight = 0.9,
          .texture = 1,
          .image = "Ziegel gr\xc3\xbcn.png",
          .repeat = 0,
          .size_x = 2.5,
          .size_y = 0.125,
          .offset_x = -1,
          .offset_y = 3,
          .mapping = kMapCylinderAtObject,
          .special = "phong 0.5"};
}

TEST(MaterialFile, WritesNineteenLinesInTheirOrderAndReadsThemBack) {
  std::string text;
  ASSERT_TRUE(format_material(sample(), text));
  EXPECT_EQ(text,
            "0.250000\n0.500000\n0.750000\n0.400000\n1.000000\n0.200000\n0.050000\n1\n1\n"
            "0.900000\n1\nZiegel gr\xfcn.png\n0\n2.500000\n0.125000\n-1.000000\n3.000000\n6\n"
            "phong 0.5\n");
  Material back;
  const MaterialReadResult r = parse_material(text, back);
  EXPECT_EQ(r.status, MaterialRead::kRead);
  EXPECT_EQ(back, sample());
}

TEST(MaterialFile, CarriageReturnsAndBlanksAroundNumbersAreRead) {
  std::string text;
  ASSERT_TRUE(format_material(sample(), text));
  std::string dos;
  for (char c : text) dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dos.replace(0, 8, " 0.25\t");
  Material back;
  EXPECT_EQ(parse_material(dos, back).status, MaterialRead::kRead);
  EXPECT_EQ(back, sample());
}

TEST(MaterialFile, DamageIsReadUpToItsLineAndTheRestStaysDefault) {
  std::string good;
  ASSERT_TRUE(format_material(sample(), good));
  // The lines of the good file; one of them is replaced in each case.
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < good.size();) {
    const std::size_t to = good.find('\n', from);
    lines.push_back(good.substr(from, to - from));
    from = to + 1;
  }
  struct Case {
    int line;
    std::string text;
    const char* what;
  };
  const Case cases[] = {
      {1, "red", "a word for a number"},
      {2, "1.5", "a colour above 1"},
      {4, "-0.1", "a negative transparency"},
      {8, "2", "a switch that is neither 0 nor 1"},
      {9, "0.5", "a switch that is no integer"},
      {12, std::string(300, 'x'), "an image name longer than a line"},
      {12, std::string("a\x01") + "b", "a control character in a text"},
      {14, "1e9", "a size beyond any drawing"},
      {15, "nan", "a size that is not a number"},
      {18, "7", "a mapping that does not exist"},
      {18, "", "an empty line for a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text;
    for (int i = 0; i < kMaterialLines; ++i) text += (i + 1 == c.line ? c.text : lines[i]) + "\n";
    Material m;
    const MaterialReadResult r = parse_material(text, m);
    EXPECT_EQ(r.status, MaterialRead::kDamaged);
    EXPECT_EQ(r.line, c.line);
    // Before the damage the file's values, from it on the defaults.
    EXPECT_DOUBLE_EQ(m.red, c.line > 1 ? 0.25 : Material{}.red);
    EXPECT_EQ(m.mapping, Material{}.mapping);
    EXPECT_EQ(m.special, Material{}.special);
  }
}

TEST(MaterialFile, ShortEmptyAndBinaryFilesAreDamagedAtTheirFirstMissingLine) {
  Material m;
  EXPECT_EQ(parse_material("", m).line, 1);
  EXPECT_EQ(parse_material("0.1\n0.2\n0.3\n", m).line, 4);
  EXPECT_DOUBLE_EQ(m.blue, 0.3);
  const std::string binary("\x00\xff\xfe\x01", 4);
  EXPECT_EQ(parse_material(binary, m).status, MaterialRead::kDamaged);
  EXPECT_EQ(parse_material(std::string(100000, '\n'), m).line, 1);
}

TEST(MaterialFile, NothingIsWrittenThatTheReaderWouldRefuse) {
  const std::function<void(Material&)> spoilt[] = {
      [](Material& m) { m.red = 2; },
      [](Material& m) { m.size_x = std::numeric_limits<double>::infinity(); },
      [](Material& m) { m.special = "two\nlines"; },
      [](Material& m) { m.image = std::string(256, 'i'); }, [](Material& m) { m.mapping = 9; }};
  for (std::size_t i = 0; i < std::size(spoilt); ++i) {
    std::string out = "untouched";
    Material m = sample();
    spoilt[i](m);
    EXPECT_FALSE(format_material(m, out)) << i;
    EXPECT_EQ(out, "untouched") << i;
  }
}

TEST(MaterialFile, NamesAreFileNamesThatFitTheElementsField) {
  EXPECT_TRUE(check_material_name("Brick").empty());
  EXPECT_TRUE(check_material_name("Brick red 2").empty());
  EXPECT_TRUE(check_material_name(std::string(39, 'm')).empty());
  for (const std::string& bad : {std::string(), std::string(40, 'm'), std::string(".hidden"),
                                 std::string("a/b"), std::string("..\x01"), std::string("..")})
    EXPECT_EQ(check_material_name(bad), kMsgInvalidMaterialName) << bad;
}

TEST(MaterialFiles, TheUsersOwnComeFirstAndTheListIsSortedWithDefaultFirst) {
  TempDir own, shipped;
  std::filesystem::create_directories(own.file("mat"));
  std::filesystem::create_directories(shipped.file("mat"));
  std::string text;
  Material blue;
  blue.blue = 1;
  ASSERT_TRUE(format_material(blue, text));
  write_text(own.file("mat/Wall"), text);
  Material red;
  red.red = 1;
  ASSERT_TRUE(format_material(red, text));
  write_text(shipped.file("mat/Wall"), text);
  write_text(shipped.file("mat/Default"), text);
  write_text(shipped.file("mat/Brick"), text);
  write_text(shipped.file("mat/.hidden"), text);
  std::filesystem::create_directories(shipped.file("mat/folder"));

  Material m;
  EXPECT_EQ(load_material(own.path() + "/", shipped.path() + "/", "Wall", m).status,
            MaterialRead::kRead);
  EXPECT_DOUBLE_EQ(m.blue, 1);
  EXPECT_EQ(load_material(own.path(), shipped.path(), "Brick", m).status, MaterialRead::kRead);
  EXPECT_DOUBLE_EQ(m.red, 1);
  EXPECT_EQ(load_material("", shipped.path(), "Missing", m).status, MaterialRead::kMissing);
  EXPECT_EQ(load_material("", shipped.path(), "../mat/Brick", m).status, MaterialRead::kMissing);
  EXPECT_EQ(load_material("", shipped.path(), "folder", m).status, MaterialRead::kMissing);
  EXPECT_EQ(list_materials(shipped.path()), (std::vector<std::string>{"Default", "Brick", "Wall"}));
  EXPECT_TRUE(list_materials(own.file("none")).empty());
}

TEST(MaterialFiles, EveryShippedMaterialReadsWhole) {
  const std::string dat = std::string(KORAV_SOURCE_DIR) + "/dat/";
  const std::vector<std::string> names = list_materials(dat);
  ASSERT_GE(names.size(), 5u);
  EXPECT_EQ(names.front(), "Default");
  for (const char* want : {"Brick", "Concrete", "Glass", "Wood"})
    EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
  for (const std::string& n : names) {
    Material m;
    EXPECT_EQ(load_material("", dat, n, m).status, MaterialRead::kRead) << n;
    std::string text;
    EXPECT_TRUE(format_material(m, text)) << n;
  }
}

}  // namespace
}  // namespace korav
