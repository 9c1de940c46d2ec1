// The preset dialogs, the settings dialog and the information dialogs as a script drives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/dialogs/info.h"
#include "app/dialogs/presets.h"
#include "model/units.h"
#include "files/preset_file.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::ScriptRun;

}  // namespace
void PrintTo(const InfoRow& r, std::ostream* os) { *os << r.label << " " << r.value; }
namespace {
namespace fs = std::filesystem;

// A run whose data directory has the preset directories (empty: the built-in values hold).
ScriptRun run_with_presets(const std::string& script) {
  return ScriptRun(script, [](App& a) {
    for (const PresetKindInfo& k : kPresetKinds)
      fs::create_directories(dialog_directory(a) + std::string(k.directory));
  });
}

TEST(PresetDialogs, ValuesAreParsedStoredAndShownFormatted) {
  ScriptRun run(
      "set Wall/Thickness 2,5\n"
      "set Wall/Material Brick wall 24 cm\n"
      "set Wall/Pen 12\n"
      "set Room/Area off\n"
      "set Pattern/Type Filling\n"
      "set Pattern/Angle 1 45\n"
      "set Light/Red 0.25\n"
      "set Dim/Figure height 3,5\n"
      "set Dim/Unit style 3\n"
      "set Settings/Figure input cm\n");
  ASSERT_EQ(run.status, 0);
  const App& a = *run.app;
  EXPECT_EQ(a.presets.wall.thickness, 2.5);
  EXPECT_EQ(a.presets.wall.material, "Brick wall 24 cm");
  EXPECT_EQ(a.presets.wall.pen, kPenCount - 1);  // as far as the spin button goes
  EXPECT_EQ(a.presets.room.area, 0);
  EXPECT_EQ(a.presets.pattern.kind, 3);
  EXPECT_NEAR(a.presets.pattern.angle1, std::numbers::pi / 4, 1e-12);
  EXPECT_EQ(a.presets.light.red, 0.25);
  EXPECT_EQ(a.presets.dim.figure_height, 3.5);
  EXPECT_EQ(a.presets.dim.unit_style, 3);
  EXPECT_EQ(a.drawing.settings.figure_input, 1u);
  // The entry shows the normalised text, now in centimetres.
  EXPECT_EQ(a.vars.value_text(a, "Wall/Thickness"), "250.000cm");
}

TEST(PresetDialogs, AnUnparsableValueIsRefusedAndTheOldValueStays) {
  for (const char* bad : {"abc", "1e999", "nan", ""}) {
    ScriptRun run(std::string("set Wall/Thickness ") + bad + "\n");
    EXPECT_NE(run.status, 0) << bad;
    EXPECT_EQ(run.app->presets.wall.thickness, 0.365) << bad;
  }
}

TEST(PresetDialogs, EveryFamilySavesUnderANameOffersItAndLoadsItBack) {
  const struct {
    PresetKind kind;
    const char* set;  // a value to change before saving
  } cases[] = {
      {PresetKind::kText, "set Text/Line spacing 2"},
      {PresetKind::kRoom, "set Room/Height 3"},
      {PresetKind::kPattern, "set Pattern/Spacing 1 0.2"},
      {PresetKind::kWall, "set Wall/Material Kalksandstein 17,5"},
      {PresetKind::kDoor, "set Door/Symbol 3"},
      {PresetKind::kWindow, "set Window/Height 1.26"},
      {PresetKind::kOpening, "set Opening/Base 0.5"},
      {PresetKind::kLight, "set Light/Type Spotlight"},
      {PresetKind::kDim, "set Dim/Mark style Arrow"},
  };
  for (const auto& c : cases) {
    const std::string title(preset_kind_info(c.kind).title);
    const std::string save(preset_kind_info(c.kind).save_command);
    // Save under "Plan", go back to "Default", then choose "Plan" again.
    ScriptRun run = run_with_presets(std::string(c.set) + "\nset " + title + "/Name Plan\n" + save +
                                     "\nset " + title + "/Name Default\n" + save + "\n");
    ASSERT_EQ(run.status, 0) << title;
    App& a = *run.app;
    Presets expected;
    EXPECT_EQ(load_preset(dialog_directory(a), c.kind, "Plan", expected).status, PresetRead::kRead);
    const auto& offered = a.vars.find(title + "/Name")->items;
    EXPECT_NE(std::find(offered.begin(), offered.end(), "Plan"), offered.end()) << title;

    std::string error;
    a.vars.set(a, title + "/Name", "Plan", error);
    expected.names = a.presets.names;
    EXPECT_EQ(a.presets, expected) << title;
    EXPECT_EQ(a.presets.name(c.kind), "Plan");
  }
}

TEST(PresetDialogs, TheTrashCanKeepsDefaultAndDeletesOthers) {
  ScriptRun run = run_with_presets(
      "z_save_wall\n"  // "Default"
      "z_trash_wall\n"
      "set Wall/Name Plan\nset Wall/Thickness 0.24\nz_save_wall\n"
      "z_trash_wall\n");
  ASSERT_EQ(run.status, 0);
  const App& a = *run.app;
  EXPECT_TRUE(fs::exists(preset_path(dialog_directory(a), PresetKind::kWall, "Default")));
  EXPECT_FALSE(fs::exists(preset_path(dialog_directory(a), PresetKind::kWall, "Plan")));
  EXPECT_EQ(a.presets.name(PresetKind::kWall), "Default");
  EXPECT_EQ(a.presets.wall.thickness, 0.365);  // "Default" is chosen again
  EXPECT_EQ(a.vars.find("Wall/Name")->items, std::vector<std::string>{"Default"});
}

TEST(PresetDialogs, NamesThatLeaveTheFamilyDirectoryAreRefused) {
  for (const char* name : {"../wall2", "a/b", "..", ".hidden"}) {
    ScriptRun run = run_with_presets(std::string("set Text/Name ") + name + "\nz_save_text\n");
    EXPECT_EQ(run.lines("error"), std::vector<std::string>{"Invalid preset name"}) << name;
    EXPECT_FALSE(fs::exists(run.data.file("dat/dia/wall2"))) << name;
  }
}

TEST(PresetDialogs, ADamagedPresetIsReadUpToItsDamage) {
  ScriptRun run = run_with_presets("");
  App& a = *run.app;
  shell_test::write_text(preset_path(dialog_directory(a), PresetKind::kWall, "Short"),
                         "Beton\n0.3\nnot a number\n");
  a.presets.wall.height = 9;
  std::string error;
  a.vars.set(a, "Wall/Name", "Short", error);
  EXPECT_EQ(a.presets.wall.material, "Beton");
  EXPECT_EQ(a.presets.wall.thickness, 0.3);
  EXPECT_EQ(a.presets.wall.height, 2.75);  // the default, not what was current before
}

// ---- Settings ----

TEST(SettingsDialog, PenAndLinePagesApplyAndRevert) {
  ScriptRun run(
      "set Settings/Pen No. 3\n"
      "set Settings/Red 1\nset Settings/Green 0\nset Settings/Blue 0\n"
      "set Settings/Name Red pen\nz_pen_apply\n"
      "set Settings/Thickness 9\nz_pen_revert\n"  // not applied: shown as stored again
      "set Settings/Line No. 6\nset Settings/Sections 2\n"
      "set Settings/Section 1: Line 5\nset Settings/Section 1: Space 2\n"
      "set Settings/Section 2: Line 1\nset Settings/Section 2: Space 2\n"
      "set Settings/Section 3: Line 9\nz_line_apply\n");
  ASSERT_EQ(run.status, 0);
  const App& a = *run.app;
  const Pen& p = a.drawing.settings.pens[3];
  EXPECT_EQ((Rgb{p.red, p.green, p.blue}), (Rgb{1, 0, 0}));
  EXPECT_EQ(p.name.view(), "Red pen");
  EXPECT_EQ(a.settings_dialog.pen.thickness, p.thickness);
  EXPECT_EQ(a.drawing.settings.line_types[6].sections, 2);
  EXPECT_EQ(a.drawing.settings.line_types[6].pattern_length, 10);
}

TEST(SettingsDialog, ANewDialogPathOffersAndLoadsItsPresets) {
  shell_test::TempDir other;
  fs::create_directories(other.path() + "/wall");
  shell_test::write_text(other.path() + "/wall/Default", "Beton\n0.3\n0\n3\n1\n0\n");
  shell_test::write_text(other.path() + "/wall/Plan", "Beton\n0.2\n0\n3\n1\n0\n");
  ScriptRun run("p_path_dia\nfile " + other.path() + "\n");
  ASSERT_EQ(run.status, 0);
  const App& a = *run.app;
  EXPECT_EQ(dialog_directory(a), other.path() + "/");
  EXPECT_EQ(a.presets.wall.thickness, 0.3);
  EXPECT_EQ(a.vars.find("Wall/Name")->items, (std::vector<std::string>{"Default", "Plan"}));
}

TEST(SettingsDialog, TheLanguageSwitchesTheTextsAtOnce) {
  ScriptRun run("b_line_line\nset Settings/Language german\nb_line_line\n");
  const std::vector<std::string> prompts = run.lines("prompt");
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "Start point:"), prompts.end());
  EXPECT_EQ(prompts.back(), "Startpunkt:");
  // Kept for the next start.
  EXPECT_EQ(shell_test::read_text(run.data.file("language")), "german\n");
}

TEST(SettingsDialog, DrawingScaleStepsThroughTheTable) {
  ScriptRun run("z_d_scale\nz_scale_inc\nz_scale_inc\nz_scale_dec\nz_scale_dec\nz_scale_dec\n");
  EXPECT_NEAR(run.app->drawing.settings.drawing_scale, 50, 1e-9);
  EXPECT_EQ(run.lines("title").back().substr(run.lines("title").back().rfind(' ')), " 1:50");
}

// ---- Information ----

TEST(InfoDialogs, ElementRowsByKind) {
  Settings s;
  s.angle_input = 1;
  Line l;
  l.type = kLine;
  l.start = {0, 0};
  l.end = {3, 4};
  l.layer = 2;
  l.pen = 1;
  EXPECT_EQ(element_info(l, s), (InfoRows{{"Element type:", "Line"},
                                          {"Layer:", "2"},
                                          {"Pen:", "1"},
                                          {"Line:", "0"},
                                          {"Length:", format_length(5, s)},
                                          {"Angle:", format_angle(std::atan2(4, 3), s)}}));
  Circle arc;
  arc.type = kCircle;
  arc.radius1 = arc.radius2 = 2;
  arc.sweep = std::numbers::pi / 2;
  InfoRows rows = element_info(arc, s);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0].value, "Arc");
  EXPECT_EQ(rows[7], (InfoRow{"Length:", format_length(std::numbers::pi, s)}));
  arc.sweep = 2 * std::numbers::pi;
  EXPECT_EQ(element_info(arc, s)[0].value, "Circle");
  arc.radius2 = 1;
  EXPECT_EQ(element_info(arc, s)[0].value, "Ellipse");
  Light light;
  light.type = kLight;
  light.spot = 1;
  light.shadow = 1;
  light.shadow_intensity = 0.5;
  rows = element_info(light, s);
  EXPECT_EQ(rows[0].value, "Spotlight");
  EXPECT_EQ(rows[5], (InfoRow{"Shadow:", "1 (0.50)"}));
  EXPECT_EQ(rows.back().label, "Angle:");
}

TEST(InfoDialogs, RightClickShowsTheElementAndAnEmptyClickKeepsIt) {
  ScriptRun run("click3 5 5\nclick3 1.5 0\nclick3 40 40\n",
                [](App& a) { create_line(a.drawing.store, 0, 0, 0, 0, 0, 3, 0); });
  const App& a = *run.app;
  ASSERT_FALSE(a.element_info.empty());
  EXPECT_EQ(a.element_info[0].value, "Line");
  EXPECT_TRUE(a.dialog_open(kDialogElementInfo));
}

TEST(InfoDialogs, ProjectCountsEveryKind) {
  ScriptRun run("p_file_info\n");
  for (const InfoRow& r : run.app->project_info) EXPECT_EQ(r.value, "0") << r.label;
  EXPECT_EQ(run.app->project_info.size(), 11u);
  ScriptRun two("p_file_info\n", [](App& a) {
    create_line(a.drawing.store, 0, 0, 0, 0, 0, 1, 0);
    create_line(a.drawing.store, 0, 0, 0, 0, 0, 2, 0);
  });
  EXPECT_EQ(two.app->project_info[0], (InfoRow{"Lines:", "2"}));
}

}  // namespace
}  // namespace korav
