// The settings dialog ("Settings", pages "Pen", "Line", "Input", "View", "Room", "Colors",
// "Paths", "General") and the one-value dialogs of the view ("Drawing Scale:", "Aspect ratio").
// Every option of the settings chunks that has a meaning today is a dialog variable here, so
// that `set Settings/Figure input cm` and the dialog do the same.
//
// The pen and line type pages edit a copy of one table entry, chosen by "Pen No." or "Line No.";
// "Apply" stores the copy into the table and redraws, "Revert" shows the stored entry again.
// The language choice switches the texts of every window at once and is kept for the next start.
#pragma once

#include <cstdint>
#include <string>

namespace korav {

struct App;

struct PenPage {
  std::int32_t number = 0;  // "Pen No."
  std::string name;
  double thickness = 0;  // mm on paper
  double red = 0, green = 0, blue = 0;
};

struct LinePage {
  std::int32_t number = 0;  // "Line No."
  std::int32_t sections = 0;
  std::string name;
  double line[3] = {0, 0, 0};  // mm on paper
  double space[3] = {0, 0, 0};
};

struct SettingsDialog {
  PenPage pen;
  LinePage line;
  std::int32_t language = 0;  // index into the catalogue's languages
};

void register_settings_variables(App& app);

// The pages show the stored pen, line type and language again (after a load of settings or a
// drawing, and at start-up).
void settings_revert_pen(App& app);
void settings_revert_line(App& app);
void settings_refresh_languages(App& app);
// "Apply" of the pen and line type pages.
void settings_apply_pen(App& app);
void settings_apply_line(App& app);
// "p_path_...": a directory chooser for the path of that index of the settings (0 drawings,
// 1 special, 2 symbols, 3 DXF, 4 presets, 5 export).
void settings_choose_path(App& app, int index);
// "inc" and "dec" of "Drawing Scale:".
void drawing_scale_step(App& app, bool up);

}  // namespace korav
