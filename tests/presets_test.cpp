// Element presets: the files of every family, their names and lists, damaged files, the shipped
// "Default" files and the presets read at start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "base/catalogue.h"
#include "files/preset_file.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::read_text;
using shell_test::TempDir;
using shell_test::write_text;
namespace fs = shell_test::fs;

struct FamilyCase {
  PresetKind kind;
  int lines;
  std::function<void(Presets&)> change;  // sets every value away from its default
};

const FamilyCase kFamilies[] = {
    {PresetKind::kText, 6, [](Presets& p) { p.text = {"Roman Serif", 1.25, 0.8, 0.05, 3, 2}; }},
    {PresetKind::kRoom, 9, [](Presets& p) { p.room = {0.97, -0.15, 2.6, 0, 1, 0, 1, 4, 5}; }},
    {PresetKind::kPattern, 12,
     [](Presets& p) { p.pattern = {1, 2, 3, 4, 0.25, 0.785398, 0.125, -1.5, 3, 0.5, 0.25, 1}; }},
    {PresetKind::kWall, 6, [](Presets& p) { p.wall = {"Beton C25", 0.24, -0.5, 3.1, 6, 7}; }},
    {PresetKind::kDoor, 5,
     [](Presets& p) {
       p.door = {4, 0.01, 2.135, 0.05, 0.06};
     }},
    {PresetKind::kWindow, 5,
     [](Presets& p) {
       p.window = {2, 0.9, 1.26, 0.04, 0.1};
     }},
    {PresetKind::kOpening, 5,
     [](Presets& p) {
       p.opening = {0, 0.0, 2.0, 0, 0};
     }},
    {PresetKind::kLight, 8, [](Presets& p) { p.light = {1, 0, 2.5, 35, 0.9, 0.8, 0.7, 0.5}; }},
    {PresetKind::kDim, 12,
     [](Presets& p) { p.dim = {"Iso", 2, 1, 0, 1, 3.5, 0.2, 1.25, 2, 0.5, 12, 2}; }},
};

std::string text_of(PresetKind k, const Presets& p) {
  std::vector<std::uint8_t> out;
  {
    Writer w(out);
    EXPECT_TRUE(write_preset(w, k, p));
    w.flush();
  }
  return std::string(out.begin(), out.end());
}

PresetReadResult read_text_as(PresetKind k, const std::string& text, Presets& p) {
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                      text.size());
  Reader r(bytes);
  return read_preset(r, k, p);
}

TEST(Presets, EveryFamilyRoundTripsAndIsListed) {
  TempDir dia;
  for (const FamilyCase& f : kFamilies) {
    SCOPED_TRACE(std::string(preset_kind_info(f.kind).directory));
    Presets saved;
    f.change(saved);
    EXPECT_NE(saved, Presets{});
    ASSERT_EQ(save_preset(dia.path(), f.kind, "Mine", saved), WriteStatus::kOk);
    EXPECT_EQ(saved.name(f.kind), "Mine");
    EXPECT_EQ(list_presets(dia.path(), f.kind), std::vector<std::string>{"Mine"});
    std::string text = read_text(preset_path(dia.path(), f.kind, "Mine"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), f.lines);
    if (f.kind == PresetKind::kText) {
      EXPECT_EQ(text, "Roman Serif\n1.250000\n0.800000\n0.050000\n3\n2\n");
    }
    Presets loaded;
    PresetReadResult res = load_preset(dia.path(), f.kind, "Mine", loaded);
    EXPECT_EQ(res.status, PresetRead::kRead);
    EXPECT_EQ(res.values, f.lines);
    EXPECT_EQ(loaded, saved);  // the other families stay at their defaults in both
  }
}

TEST(Presets, ListAndDelete) {
  TempDir dia;
  fs::create_directories(dia.file("door/sub"));
  for (const char* n : {"b", "Default", "A", "a", ".korav-12-1.tmp", ".hidden"})
    write_text(dia.file(std::string("door/") + n), "1\n");
  write_text(dia.file("x"), "outside\n");
  EXPECT_EQ(list_presets(dia.path(), PresetKind::kDoor),
            (std::vector<std::string>{"Default", "A", "a", "b"}));
  EXPECT_TRUE(list_presets(dia.path(), PresetKind::kLight).empty());
  EXPECT_FALSE(delete_preset(dia.path(), PresetKind::kDoor, "Default"));
  EXPECT_FALSE(delete_preset(dia.path(), PresetKind::kDoor, "../x"));
  EXPECT_FALSE(delete_preset(dia.path(), PresetKind::kDoor, "sub"));
  EXPECT_TRUE(fs::exists(dia.file("x")));
  EXPECT_TRUE(delete_preset(dia.path(), PresetKind::kDoor, "a"));
  EXPECT_FALSE(delete_preset(dia.path(), PresetKind::kDoor, "a"));
  EXPECT_EQ(list_presets(dia.path(), PresetKind::kDoor),
            (std::vector<std::string>{"Default", "A", "b"}));
}

TEST(Presets, WallMaterialIsTheWholeLineInLatin1) {
  TempDir dia;
  Presets p;
  p.wall.material = "Kalksandstein \xc3\x96ko verputzt";  // UTF-8 in the program
  ASSERT_EQ(save_preset(dia.path(), PresetKind::kWall, "Eco", p), WriteStatus::kOk);
  EXPECT_EQ(read_text(dia.file("wall/Eco")).substr(0, 27), "Kalksandstein \xd6ko verputzt\n");
  Presets q;
  ASSERT_EQ(load_preset(dia.path(), PresetKind::kWall, "Eco", q).status, PresetRead::kRead);
  EXPECT_EQ(q.wall.material, p.wall.material);
  // Line ends of other systems, and a last line without one.
  ASSERT_EQ(read_text_as(PresetKind::kWall, "Ziegel \xe4  \r\n0.3\r\n0\n2.5\n1\n2", q).status,
            PresetRead::kRead);
  EXPECT_EQ(q.wall, (WallPreset{"Ziegel \xc3\xa4  ", 0.3, 0, 2.5, 1, 2}));
}

TEST(Presets, DamagedFilesAreReadUpToTheDamage) {
  const std::string long_line(300, '7');
  const std::string binary("Beton\n0.24\n\x00\xff\xfe\x01\n", 17);
  struct Case {
    std::string text;
    int values;
  } cases[] = {
      {"Beton\n0.24\n-0.1\n", 3},             // short
      {"Beton\n0.24\n0.1x\n3.0\n1\n0\n", 2},  // not a number: nothing after it counts
      {"Beton\n0.24\n0\n2.75\n9\n0\n", 4},    // pen 9 does not exist
      {"Beton\n0.24\n0\n2.75\n1.5\n0\n", 4},  // a real where an integer belongs
      {"Beton\n0.24\n0\r5\n", 2},             // a carriage return inside a line
      {"Beton\nnan\n", 1},
      {"Beton\n1e300\n", 1},
      {"Beton\n" + long_line + "\n0\n", 1},  // overlong line
      {binary, 2},
      {"", 0},
      {std::string("Be\0ton\n0.24\n", 12), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    Presets p;
    p.wall = {"Stahl", 0.1, 1, 1, 5, 5};  // current values: none of them survives
    PresetReadResult res = read_text_as(PresetKind::kWall, c.text, p);
    EXPECT_EQ(res.status, PresetRead::kDamaged);
    EXPECT_EQ(res.values, c.values);
    WallPreset expect;
    if (c.values > 0) expect.material = "Beton";
    if (c.values > 1) expect.thickness = 0.24;
    if (c.values > 2) expect.base = std::strtod(c.text.c_str() + 11, nullptr);
    if (c.values > 3) expect.height = 2.75;
    EXPECT_EQ(p.wall, expect);
  }
}

TEST(Presets, MissingFileChangesNothing) {
  TempDir dia;
  Presets p;
  kFamilies[3].change(p);
  const Presets before = p;
  EXPECT_EQ(load_preset(dia.path(), PresetKind::kWall, "Nope", p).status, PresetRead::kMissing);
  fs::create_directories(dia.file("wall/Dir"));
  EXPECT_EQ(load_preset(dia.path(), PresetKind::kWall, "Dir", p).status, PresetRead::kMissing);
  EXPECT_EQ(p, before);
}

TEST(Presets, NamesAreFileNames) {
  TempDir dia;
  write_text(dia.file("Plan"), "secret\n");
  Presets p;
  for (std::string bad : {std::string(""), std::string("."), std::string(".."), std::string("a/b"),
                          std::string("../Plan"), std::string(".hidden"), std::string("a\nb"),
                          std::string("a\0b", 3), std::string(256, 'n')}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(check_preset_name(bad), kMsgInvalidPresetName);
    EXPECT_EQ(save_preset(dia.path(), PresetKind::kText, bad, p), WriteStatus::kCannotOpen);
    EXPECT_EQ(load_preset(dia.path(), PresetKind::kText, bad, p).status, PresetRead::kMissing);
  }
  EXPECT_EQ(read_text(dia.file("Plan")), "secret\n");
  EXPECT_FALSE(fs::exists(dia.file("text")));
  for (const char* good : {"Plan", "Erdgeschoss 1",
                           "\xc3\x9c"
                           "bersicht",
                           "a.b"})
    EXPECT_EQ(check_preset_name(good), "") << good;

  Catalogue c;
  c.set_diagnostics(nullptr);
  write_text(dia.file("language"), "german\n");
  ASSERT_TRUE(c.load(std::string(KORAV_SOURCE_DIR) + "/nls/krv.nls", {dia.file("language")}));
  EXPECT_EQ(c.translate(kMsgInvalidPresetName), "Ung\xc3\xbcltiger Vorlagenname");
}

TEST(Presets, RealsKeepTheDecimalPointInAnyLocale) {
  const std::string old = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  Presets p;
  p.light.size = 2.5;
  std::string text = text_of(PresetKind::kLight, p);
  Presets q;
  PresetReadResult res = read_text_as(PresetKind::kLight, text, q);
  std::setlocale(LC_NUMERIC, old.c_str());
  EXPECT_EQ(text, "0\n1\n2.500000\n20.000000\n1.000000\n1.000000\n1.000000\n0.000000\n");
  EXPECT_EQ(res.status, PresetRead::kRead);
  EXPECT_EQ(q.light, p.light);
}

TEST(Presets, FailedSaveIsReportedAndKeepsTheOldFile) {
  TempDir dia;
  Presets p;
  ASSERT_EQ(save_preset(dia.path(), PresetKind::kWall, "Plan", p), WriteStatus::kOk);
  const std::string old = read_text(dia.file("wall/Plan"));
  // Values the reader would not take back are never written.
  for (auto spoil : std::initializer_list<std::function<void(Presets&)>>{
           [](Presets& q) { q.wall.thickness = NAN; },
           [](Presets& q) { q.wall.material = "two\nlines"; },
           [](Presets& q) { q.wall.material = std::string(255, 'm'); },
           [](Presets& q) { q.wall.pen = 8; }}) {
    Presets q;
    q.name(PresetKind::kWall) = "Before";
    spoil(q);
    EXPECT_EQ(save_preset(dia.path(), PresetKind::kWall, "Plan", q), WriteStatus::kCannotWrite);
    EXPECT_EQ(q.name(PresetKind::kWall), "Before");
  }
  EXPECT_EQ(read_text(dia.file("wall/Plan")), old);
  EXPECT_EQ(list_presets(dia.path(), PresetKind::kWall), std::vector<std::string>{"Plan"});
  // No place to write to (the dialog path is a file; /proc takes no files).
  EXPECT_EQ(save_preset(dia.file("wall/Plan"), PresetKind::kWall, "X", p),
            WriteStatus::kCannotOpen);
  EXPECT_NE(save_preset("/proc/self", PresetKind::kWall, "X", p), WriteStatus::kOk);
}

// The shipped "Default" files are what the writer makes of the defaults. To write them anew:
// KORAV_WRITE_SHIPPED_PRESETS=1 ./build/korav_tests --gtest_filter='Presets.Shipped*'
TEST(Presets, ShippedDefaultsAreTheDefaults) {
  const std::string dia = std::string(KORAV_SOURCE_DIR) + "/dat/dia/";
  for (const PresetKindInfo& f : kPresetKinds) {
    SCOPED_TRACE(std::string(f.directory));
    Presets defaults;
    if (std::getenv("KORAV_WRITE_SHIPPED_PRESETS")) {
      ASSERT_EQ(save_preset(dia, f.kind, "Default", defaults), WriteStatus::kOk);
    }
    EXPECT_EQ(read_text(preset_path(dia, f.kind, "Default")), text_of(f.kind, defaults));
    Presets p;
    kFamilies[static_cast<int>(f.kind)].change(p);
    ASSERT_EQ(load_preset(dia, f.kind, "Default", p).status, PresetRead::kRead);
    EXPECT_EQ(p, defaults);
  }
  // The dimension file keeps the second spacing value before the first.
  EXPECT_EQ(read_text(dia + "dim/Default"),
            "Simpel\n0\n0\n1\n0\n2.500000\n0.100000\n1.000000\n"
            "1.500000\n1.000000\n0\n0\n");
}

TEST(Presets, StartUpReadsTheDefaults) {
  shell_test::CatalogueGuard guard;
  shell_test::DataDir data;
  fs::create_directories(data.file("dat/dia/wall"));
  write_text(data.file("dat/dia/wall/Default"), "Holz\n0.12\n0\n2.4\n1\n0\n");
  fs::create_directories(data.file("dat/dia/dim"));
  write_text(data.file("dat/dia/dim/Default"), "Iso\n2\n");  // damaged: the rest as shipped
  std::istringstream in("");
  App app;
  ScriptHost host(app, in, "t", nullptr);
  CommandLine cl;
  ASSERT_EQ(host.run(cl, data.path()), 0);
  Presets expect;
  expect.wall = {"Holz", 0.12, 0, 2.4, 1, 0};
  expect.dim.font = "Iso";
  expect.dim.pen = 2;
  EXPECT_EQ(app.presets, expect);
}

}  // namespace
}  // namespace korav
