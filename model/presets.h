// Element presets: the current values every family of tools starts its new elements from, and
// the name of the preset they came from. Each family keeps named variants as small text files
// in its own directory below the dialog path (files/preset_file.h); the program ships a
// "Default" for each.
//
// Lengths are metres, angles radians unless noted, pens and line types index the tables of
// model/pens.h, switches are 0 or 1. The fields stand in the order of the preset files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace korav {

inline constexpr std::string_view kDefaultPresetName = "Default";

struct TextPreset {
  std::string font = "Simpel";
  double line_spacing = 1.5;  // times the text height
  double char_width = 1.0;    // width factor
  double char_space = 0.1;    // spacing between characters
  int pen = 0;
  int line_type = 0;
  bool operator==(const TextPreset&) const = default;
};

struct RoomPreset {
  double factor = 1.0;  // area factor
  double base = 0.0;
  double height = 2.75;
  int area = 1;  // switches: show the area, volume, description, number
  int volume = 1;
  int description = 1;
  int number = 1;
  int pen = 0;
  int line_type = 0;
  bool operator==(const RoomPreset&) const = default;
};

struct PatternPreset {
  int pen1 = 0;
  int line_type1 = 0;
  int pen2 = 0;
  int line_type2 = 0;
  double spacing1 = 0.5;
  double angle1 = 0;
  double spacing2 = 0;
  double angle2 = 0;
  int kind = 0;  // 0 one family of lines, 1 two families, 2 points, 3 filling
  double red = 0, green = 0, blue = 0;  // filling colour, 0..1
  bool operator==(const PatternPreset&) const = default;
};

struct WallPreset {
  std::string material = "Default";
  double thickness = 0.365;
  double base = 0.0;     // z of the footprint
  double height = 2.75;  // top = base + height
  int pen = 0;
  int line_type = 0;
  bool operator==(const WallPreset&) const = default;
};

// Doors, windows and plain openings share one record; the defaults are those of windows and
// openings, doors start from kDoorDefaults.
struct OpeningPreset {
  int subtype = 1;  // the dialog's "Symbol": style number of the door, window or opening
  double base = 1.0;
  double height = 1.51;
  double stop_width = 0.0625;
  double stop_depth = 0.115;
  bool operator==(const OpeningPreset&) const = default;
};
inline constexpr OpeningPreset kDoorDefaults{1, 0.0, 2.51, 0.0625, 0.115};

struct LightPreset {
  int spot = 0;    // type: 0 "Pointlight", 1 "Spotlight"
  int shadow = 1;  // 0 "Off", 1 "On"
  double size = 6.0;
  double angle = 20.0;  // spot angle
  double red = 1, green = 1, blue = 1;
  double shadow_intensity = 0;
  bool operator==(const LightPreset&) const = default;
};

struct DimPreset {
  std::string font = "Simpel";
  int pen = 0;
  int line_type = 0;
  int display1 = 1;  // the two display bytes
  int display2 = 0;
  double figure_height = 2.5;  // mm on paper
  // The Dimension's spacing values (mm on paper) in the order of the file: the second first.
  double spacing2 = 0.1;
  double spacing1 = 1.0;
  double spacing3 = 1.5;
  double extension = 1.0;
  int unit_style = 0;
  int mark_style = 0;
  bool operator==(const DimPreset&) const = default;
};

// The families, in the order of kPresetKinds.
enum class PresetKind { kText, kRoom, kPattern, kWall, kDoor, kWindow, kOpening, kLight, kDim };
inline constexpr std::size_t kPresetKindCount = 9;

struct PresetKindInfo {
  PresetKind kind;
  std::string_view directory;     // below the dialog path
  std::string_view title;         // the preset dialog's title (translated when shown)
  std::string_view save_command;  // the dialog's "Save"
};

inline constexpr std::array<PresetKindInfo, kPresetKindCount> kPresetKinds{{
    {PresetKind::kText, "text", "Text", "z_save_text"},
    {PresetKind::kRoom, "room", "Room", "z_save_room"},
    {PresetKind::kPattern, "pattern", "Pattern", "z_save_pattern"},
    {PresetKind::kWall, "wall", "Wall", "z_save_wall"},
    {PresetKind::kDoor, "door", "Door", "z_save_door"},
    {PresetKind::kWindow, "window", "Window", "z_save_window"},
    {PresetKind::kOpening, "opening", "Opening", "z_save_opening"},
    {PresetKind::kLight, "light", "Light", "z_save_light"},
    {PresetKind::kDim, "dim", "Dim", "z_save_dim"},
}};

constexpr const PresetKindInfo& preset_kind_info(PresetKind k) {
  return kPresetKinds[static_cast<std::size_t>(k)];
}

// The order in which start-up loads the current presets.
inline constexpr std::array<PresetKind, kPresetKindCount> kPresetLoadOrder{
    PresetKind::kWall, PresetKind::kRoom,    PresetKind::kText,
    PresetKind::kDim,  PresetKind::kOpening, PresetKind::kWindow,
    PresetKind::kDoor, PresetKind::kPattern, PresetKind::kLight};

// The current values of every family and the name each was loaded from or saved under.
struct Presets {
  TextPreset text;
  RoomPreset room;
  PatternPreset pattern;
  WallPreset wall;
  OpeningPreset door = kDoorDefaults;
  OpeningPreset window;
  OpeningPreset opening;
  LightPreset light;
  DimPreset dim;
  std::array<std::string, kPresetKindCount> names{"Default", "Default", "Default",
                                                  "Default", "Default", "Default",
                                                  "Default", "Default", "Default"};

  std::string& name(PresetKind k) { return names[static_cast<std::size_t>(k)]; }
  const std::string& name(PresetKind k) const { return names[static_cast<std::size_t>(k)]; }
  bool operator==(const Presets&) const = default;
};

}  // namespace korav
