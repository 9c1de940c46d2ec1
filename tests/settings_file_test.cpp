#include "files/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "files/drawing_file.h"
#include "files_test_support.h"

namespace korav {
namespace {

using files_test::Bytes;
using files_test::chunk;
using files_test::chunks_of;
using files_test::current_header;
using files_test::from_bytes;
using files_test::old_chunk;
using files_test::old_header;
using files_test::read_all;
using files_test::TempDir;
using files_test::write_all;
using Buf = std::vector<std::uint8_t>;

// Options that differ from the defaults in every chunk.
void change_every_option(Drawing& d) {
  Settings& s = d.settings;
  s.snap.size = 9;
  s.snap.on[8] = 1;
  for (int i = 0; i < kPenCount; ++i) {
    s.pens[i].name.set("Stift " + std::to_string(i));
    s.pens[i].thickness = 0.1 * (i + 1);
    s.pens[i].red = 1.0 / (i + 2);
  }
  for (int i = 0; i < kLineTypeCount; ++i) {
    s.line_types[i].name.set("Linie " + std::to_string(i));
    s.line_types[i].sections = static_cast<std::uint8_t>(i % 4);
    s.line_types[i].line[2] = i;
    s.line_types[i].space[1] = 2 * i;
    s.line_types[i].pattern_length = pattern_length(s.line_types[i]);
  }
  s.pov.path.set("/tmp/out.png");
  s.print.command.set("lp -d office");
  s.plot.end.set("END");
  s.plot.command.set("lpr -Pplotter");
  std::tie(s.pov.flags[6], s.pov.values[2], s.pov.last, s.print.scale, s.print.reserved,
           s.plot.type, s.plot.reserved) = std::tuple(3, 0.5, 7, 29.7, 2, 2, 5);
  s.dxf = {1, 0, 1, 2};
  s.filter = {3, 4, 1};
  s.text_editor = {1, 1, 0, 1};
  s.room_text.area_text.set("m2");
  std::tie(s.view.exact_thickness, s.view.room_borders, s.room_text.volume_unit, s.drawing_scale,
           d.current_layer, s.view_number, s.angle_input, s.figure_input) =
      std::tuple(1, 0, 1, 250, 117, 3, 0, 2);
  std::tie(s.link_to_elements, s.move_figures, s.preview_snap, s.size_unit, s.paper_unit,
           s.accuracy, s.accuracy_arch) = std::tuple(0, 0, 0, 1, 2, 6, 3);
  s.colours.background = {0.1, 0.2, 0.3};
  s.colours.guide = {0, 1, 0};
  s.paths[0].set("/home/plan/");
  s.paths[3].set("/home/dxf/");
  s.paths[5].set("/home/export/");
  std::tie(s.aspect_x, s.aspect_y, s.backup_on, s.backup_minutes) = std::tuple(4, 3, 0, 12);
}

Buf settings_file_bytes(const Drawing& d) {
  Buf out;
  {
    Writer w(out);
    EXPECT_TRUE(write_settings_file(w, d));
  }
  return out;
}

TEST(SettingsFile, ChunksInOrderWithTheirLengths) {
  Drawing d;
  Buf bytes = settings_file_bytes(d);
  std::vector<std::pair<std::string, std::uint32_t>> got;
  for (const files_test::ChunkView& c : chunks_of(bytes)) got.emplace_back(c.key, c.body.size());
  std::vector<std::pair<std::string, std::uint32_t>> expected = {{"KRVW", 4}, {"PSNP", 40}};
  for (int i = 0; i < 8; ++i) expected.emplace_back("PPEN", 113);
  for (int i = 0; i < 8; ++i) expected.emplace_back("PLIN", 138);
  const std::pair<const char*, std::uint32_t> rest[] = {
      {"PPO2", 392}, {"PPR3", 324}, {"PHP3", 1200}, {"PDXF", 16}, {"PFLT", 12},
      {"PTEE", 16},  {"PVIW", 20},  {"PROD", 88},   {"PMSC", 32}, {"PMS2", 12},
      {"PDI2", 8},   {"PCOL", 72},  {"PLOP", 1536}, {"PASR", 16}, {"PBAK", 8}};
  for (auto [k, n] : rest) expected.emplace_back(k, n);
  EXPECT_EQ(got, expected);
}

TEST(SettingsFile, PenAndLineChunksFromBytes) {
  Bytes f = current_header();
  chunk(f, "PPEN", Bytes{}.u8(5).name("Rot", 80).f64s({0.7, 1, 0, 0}));
  chunk(f, "PLIN", Bytes{}.u8(6).name("Strich", 80).f64(10).u8(2).f64s({5, 2, 1, 2, 9, 0}));
  chunk(f, "PDI2", Bytes{}.u32(5).u32(1));
  Drawing d;
  EXPECT_FALSE(from_bytes(f.b, d).damaged);
  const Pen& pen = d.settings.pens[5];
  EXPECT_EQ(std::tuple(pen.name.view(), pen.thickness, pen.red, pen.green),
            std::tuple("Rot", 0.7, 1, 0));
  EXPECT_EQ(d.settings.pens[4].name.view(), "P5");  // the others stay
  const LineType& lt = d.settings.line_types[6];
  EXPECT_EQ(std::tuple(lt.name.view(), lt.sections, lt.pattern_length, lt.line[1], lt.space[1],
                       lt.line[2]),
            std::tuple("Strich", 2, 10, 1, 2, 9));
  EXPECT_EQ(std::tuple(d.settings.accuracy, d.settings.accuracy_arch), std::tuple(5u, 1u));
}

TEST(SettingsFile, SavedAndLoadedAgainReproducesEveryOption) {
  TempDir dir;
  Drawing d;
  change_every_option(d);
  FakeUi ui;
  ui.files.push_back(dir.file("mine.prefs"));
  ASSERT_TRUE(save_settings(d, ui, dir.path()));
  EXPECT_EQ(ui.chooser_titles.back(), "Save Settings...");

  Drawing back;
  ui.files.push_back(dir.file("mine.prefs"));
  ASSERT_TRUE(load_settings(back, ui, dir.path()));
  EXPECT_EQ(ui.chooser_titles.back(), "Load Settings...");
  EXPECT_TRUE(ui.errors.empty());
  // Every option, field for field, through the bytes each writes.
  EXPECT_EQ(settings_file_bytes(back), settings_file_bytes(d));
  EXPECT_NE(settings_file_bytes(back), settings_file_bytes(Drawing{}));
}

TEST(SettingsFile, ASettingsFileLoadsAsAnEmptyDrawing) {
  TempDir dir;
  Drawing d;
  change_every_option(d);
  write_all(dir.file("mine.prefs"), settings_file_bytes(d));
  Drawing back;
  FakeUi ui;
  EXPECT_EQ(load_drawing(back, ui, dir.file("mine.prefs")), LoadStatus::kLoaded);
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_EQ(back.store.size(), 0u);
  EXPECT_EQ(back.settings.drawing_scale, 250);
  EXPECT_EQ(back.settings.paths[0].view(), "/home/plan/");
  EXPECT_EQ(back.settings.aspect_x, 4);

  // A drawing carries the options but not the paths, aspect ratio and backup settings.
  Buf drawing;
  {
    Writer w(drawing);
    ASSERT_TRUE(write_drawing(w, d));
  }
  Drawing plain;
  from_bytes(drawing, plain);
  EXPECT_EQ(plain.settings.drawing_scale, 250);
  EXPECT_EQ(plain.settings.paths[0].view(), Settings{}.paths[0].view());
  EXPECT_EQ(plain.settings.backup_minutes, Settings{}.backup_minutes);
}

TEST(SettingsFile, OlderKeysFillTheSameOptions) {
  Bytes f = old_header();
  old_chunk(f, "PDIP", Bytes{}.u32(7));
  // PPOV: the leading fields of the POV options (the seven switches and the name); the rest
  // of the options keep their values.
  Bytes pov;
  for (std::uint32_t i = 0; i < 7; ++i) pov.u32(i + 1);
  old_chunk(f, "PPOV", pov.name("scene", 80).u8(1).u8(2));
  old_chunk(f, "PPR2", Bytes{}.f64s({1, 2, 3}));
  old_chunk(f, "PHPG", Bytes{}.u32(2).u32(1).u32(0).f64(0.0025));
  Drawing d;
  d.settings.accuracy_arch = 9;
  d.settings.pov.path.set("/keep");
  testing::internal::CaptureStdout();
  ReadResult res = from_bytes(f.b, d);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(out, "");  // every old key is known
  const Settings& s = d.settings;
  EXPECT_EQ(
      std::tuple(s.accuracy, s.accuracy_arch, s.pov.flags[6], s.pov.name.view(), s.pov.path.view(),
                 s.print.margin_top, s.print.margin_left, s.plot.type, s.plot.paper_width),
      std::tuple(7u, 9u, 7u, "scene", "/keep", 3, 0, 2u, 0.0025));
}

TEST(SettingsFile, UnusableChunksChangeNothing) {
  Bytes f = current_header();
  chunk(f, "PPEN", Bytes{}.u8(9).name("Neun", 80).f64s({1, 1, 1, 1}));  // no pen 9
  chunk(f, "PPEN", Bytes{}.u8(1).name("Kurz", 80).f64(1));              // cut short
  chunk(f, "PMSC", Bytes{}.f64(0).u32(5000).u32(2).u32(0).u32(1).u32(0).u32(0));
  chunk(f, "LAY3", Bytes{}.u32(1000).name("Zu hoch", 80).u8(1).f64(0));
  chunk(f, "PSNP", Bytes{}.u32(4));
  chunk(f, "LINE", Bytes{}.head(0, 0, 0, 0).f64s({0, 0, 1, 1}));
  Drawing d;
  d.current_layer = 4;
  testing::internal::CaptureStdout();
  ReadResult res = from_bytes(f.b, d);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(d.store.size(), 1u);  // reading went on after each of them
  EXPECT_EQ(std::tuple(d.settings.pens[1].name.view(), d.settings.pens[1].thickness,
                       d.settings.drawing_scale, d.current_layer),
            std::tuple("P2", 0.18, 100, 4));
  EXPECT_EQ(d.settings.view_number, 2u);  // the sound fields of PMSC are taken
  EXPECT_EQ(d.settings.snap.size, Settings{}.snap.size);
  EXPECT_NE(out.find("unknown key *PPEN* size:89"), std::string::npos) << out;
  EXPECT_NE(out.find("unknown key *PSNP* size:4"), std::string::npos) << out;
  EXPECT_NE(out.find("*LAY3*"), std::string::npos) << out;
}

TEST(SettingsFile, LayerListsAndSetsAreRead) {
  Bytes f = current_header();
  Bytes names;
  for (int i = 0; i < 10; ++i) names.name("Liste " + std::to_string(i), 80);
  chunk(f, "LAYG", names);
  chunk(f, "PMSC", Bytes{}.f64(100).u32(12).u32(0).u32(1).u32(0).u32(1).u32(1));
  for (auto [name, on] : {std::pair("Default", 3), {"Schnitt", 5}}) {
    Bytes set;
    set.name(name, 80);
    for (int i = 0; i < 1000; ++i) set.u8(i == on ? 1 : 0);
    chunk(f, "LAS3", set.u32(8));
  }
  Drawing d;
  from_bytes(f.b, d);
  EXPECT_EQ(d.layers.list_names[9].view(), "Liste 9");
  ASSERT_EQ(d.layers.sets.size(), 2u);
  EXPECT_EQ(d.layers.sets[0].states[3], 1);
  EXPECT_EQ(d.layers.sets[1].name.view(), "Schnitt");
  EXPECT_EQ(d.layers.sets[1].states[5], 1);
  EXPECT_EQ(d.layers.sets[1].layer, 8u);
}

TEST(SettingsFile, DefaultSettingsAtStartUp) {
  TempDir dir;
  Drawing d;
  FakeUi ui;
  EXPECT_FALSE(load_default_settings(d, ui, dir.path()));
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_EQ(ui.errors[0], "Cannot open local settings!");
  EXPECT_EQ(d.settings.pens[7].name.view(), "P8");  // the built-in defaults stay

  std::filesystem::create_directories(dir.file("dat/prefs"));
  write_all(dir.file("dat/prefs/default.prefs"), {'K', 'R', 'V', 'X'});
  EXPECT_FALSE(load_default_settings(d, ui, dir.path()));
  EXPECT_EQ(ui.errors.back(), "This is not a Korav file!");

  Drawing other;
  change_every_option(other);
  write_all(dir.file("dat/prefs/default.prefs"), settings_file_bytes(other));
  EXPECT_TRUE(load_default_settings(d, ui, dir.path()));
  EXPECT_EQ(d.settings.pens[7].name.view(), "Stift 7");
  EXPECT_EQ(ui.errors.size(), 2u);
}

TEST(SettingsFile, SavingCanFailAndBeCancelled) {
  TempDir dir;
  Drawing d;
  FakeUi ui;
  EXPECT_FALSE(save_settings(d, ui, dir.path()));  // cancelled
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_FALSE(save_settings_to(d, ui, dir.file("missing/x.prefs")));
  EXPECT_EQ(ui.errors.back(), "Cannot open file");
  EXPECT_FALSE(load_settings(d, ui, dir.path()));  // cancelled
  ui.files.push_back(dir.file("none.prefs"));
  EXPECT_FALSE(load_settings(d, ui, dir.path()));
  EXPECT_EQ(ui.errors.back(), "Cannot open local settings!");
}

// The default settings file that ships with the program holds the built-in defaults. With
// KORAV_WRITE_DEFAULT_PREFS set, the test writes it instead (after a change of the defaults).
TEST(SettingsFile, ShippedDefaultSettingsAreTheBuiltInDefaults) {
  const std::string path = std::string(KORAV_SOURCE_DIR) + "/dat/prefs/default.prefs";
  Drawing d;
  if (std::getenv("KORAV_WRITE_DEFAULT_PREFS")) {
    FakeUi ui;
    ASSERT_TRUE(save_settings_to(d, ui, path));
  }
  EXPECT_EQ(read_all(path), settings_file_bytes(d))
      << "the built-in defaults changed: run this test with KORAV_WRITE_DEFAULT_PREFS=1 once";
  Drawing loaded;
  FakeUi ui;
  EXPECT_TRUE(load_default_settings(loaded, ui, KORAV_SOURCE_DIR));
  EXPECT_TRUE(ui.errors.empty());
}

}  // namespace
}  // namespace korav
