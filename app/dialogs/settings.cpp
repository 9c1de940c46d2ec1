#include "app/dialogs/settings.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/app.h"
#include "app/dialogs/presets.h"
#include "app/dispatch.h"
#include "base/catalogue.h"
#include "files/preset_file.h"
#include "render/view.h"

namespace korav {

namespace {

constexpr std::string_view kTitle = "Settings";
constexpr std::string_view kDialogSettings = "settings";

struct SettingsVars {
  App& app;
  std::string page;

  DialogVar& add(std::string_view label, VarKind k, VarRef ref, std::string group = "") {
    DialogVar v;
    v.name = std::string(kTitle) + "/" + std::string(label);
    v.kind = k;
    v.ref = ref;
    v.page = page;
    v.group = std::move(group);
    return app.vars.add(std::move(v));
  }
  DialogVar& spin(std::string_view label, VarRef ref, double lower, double upper) {
    DialogVar& v = add(label, VarKind::kSpinInt, ref);
    v.lower = lower;
    v.upper = upper;
    return v;
  }
  DialogVar& option(std::string_view label, VarRef ref, std::vector<std::string> items,
                    std::string group = "") {
    DialogVar& v = add(label, VarKind::kOption, ref, std::move(group));
    v.items = std::move(items);
    return v;
  }
  DialogVar& fraction(std::string_view label, double* d, std::string group = "") {
    DialogVar& v = add(label, VarKind::kSlider, d, std::move(group));
    v.lower = 0;
    v.upper = 1;
    v.step = 0.01;
    return v;
  }
  void button(std::string_view label, std::string_view command) {
    app.vars.add_button({std::string(kTitle), std::string(label), std::string(command), "", page});
  }
};

// The options that change how the drawing is shown: the screen takes them and redraws.
void settings_shown(App& app) {
  apply_settings(app.screen(), app.drawing.settings);
  view_changed(app);
}

void add_pen_page(SettingsVars& v, App& app) {
  PenPage& p = app.settings_dialog.pen;
  v.page = "Pen";
  v.spin("Pen No.", &p.number, 0, kPenCount - 1).changed = settings_revert_pen;
  v.add("Name", VarKind::kEntry, &p.name).max_length = 79;
  v.add("Thickness", VarKind::kPaper, &p.thickness);
  v.fraction("Red", &p.red);
  v.fraction("Green", &p.green);
  v.fraction("Blue", &p.blue);
  v.button("Apply", "z_pen_apply");
  v.button("Revert", "z_pen_revert");
}

void add_line_page(SettingsVars& v, App& app) {
  LinePage& l = app.settings_dialog.line;
  v.page = "Line";
  v.spin("Line No.", &l.number, 0, kLineTypeCount - 1).changed = settings_revert_line;
  v.spin("Sections", &l.sections, 0, 3);
  v.add("Line name", VarKind::kEntry, &l.name).max_length = 79;
  static constexpr std::string_view kLine[3] = {"Section 1: Line", "Section 2: Line",
                                                "Section 3: Line"};
  static constexpr std::string_view kSpace[3] = {"Section 1: Space", "Section 2: Space",
                                                 "Section 3: Space"};
  for (int i = 0; i < 3; ++i) {
    v.add(kLine[i], VarKind::kPaper, &l.line[i]);
    v.add(kSpace[i], VarKind::kPaper, &l.space[i]);
  }
  v.button("Apply", "z_line_apply");
  v.button("Revert", "z_line_revert");
}

void add_input_page(SettingsVars& v, App& app) {
  Settings& s = app.drawing.settings;
  v.page = "Input";
  v.option("Figure input", &s.figure_input, {"m", "cm", "mm", "inch", "feet", "feet and inches"})
      .changed = [](App& a) {
    settings_shown(a);  // the scale steps follow the unit
    a.ui->refresh_dialog(kDialogSettings);
  };
  v.option("Angle input", &s.angle_input, {"radians", "degrees", "gon"}).changed = [](App& a) {
    a.ui->refresh_dialog(kDialogSettings);
  };
  v.option("Paper size", &s.paper_unit, {"mm", "cm", "inch", "pica", "point"}).changed =
      [](App& a) { a.ui->refresh_dialog(kDialogSettings); };
  v.option("Pen/Line/Text size", &s.size_unit, {"cm", "inch"});
  v.spin("Accuracy", &s.accuracy, 0, 4);
  v.spin("Accuracy (arch)", &s.accuracy_arch, 0, 3);
  v.add("Link to elements", VarKind::kCheck, &s.link_to_elements);
  v.add("Move figures", VarKind::kCheck, &s.move_figures);
}

void add_view_page(SettingsVars& v, App& app) {
  Settings& s = app.drawing.settings;
  v.page = "View";
  v.add("Show exact line thickness", VarKind::kCheck, &s.view.exact_thickness, "main");
  v.add("Show all colored black", VarKind::kCheck, &s.view.all_black).changed = settings_shown;
  v.add("Show patterns", VarKind::kCheck, &s.view.patterns, "main");
  v.add("Show guide points", VarKind::kCheck, &s.view.guide_points, "main");
  v.add("Show room borders", VarKind::kCheck, &s.view.room_borders, "main");
  v.add("Preview snap-to points", VarKind::kCheck, &s.preview_snap);
  v.add("Aspect ratio: Width", VarKind::kNumber, &s.aspect_x).changed = settings_shown;
  v.add("Aspect ratio: Height", VarKind::kNumber, &s.aspect_y).changed = settings_shown;
}

void add_room_page(SettingsVars& v, App& app) {
  RoomTextOptions& r = app.drawing.settings.room_text;
  v.page = "Room";
  const std::vector<std::string> units{"m", "cm", "mm", "inch", "feet"};
  v.option("Area dimension", &r.area_unit, units, "main");
  v.add("Area text", VarKind::kEntry, char_field(r.area_text), "main").max_length = 39;
  v.option("Volume dimension", &r.volume_unit, units, "main");
  v.add("Volume text", VarKind::kEntry, char_field(r.volume_text), "main").max_length = 39;
}

void add_colour_page(SettingsVars& v, App& app) {
  DisplayColours& c = app.drawing.settings.colours;
  v.page = "Colors";
  struct Row {
    std::string_view label;
    double* value;
  };
  const Row rows[] = {
      {"Background: Red", &c.background.red},
      {"Background: Green", &c.background.green},
      {"Background: Blue", &c.background.blue},
      {"Active: Red", &c.active.red},
      {"Active: Green", &c.active.green},
      {"Active: Blue", &c.active.blue},
      {"Guide: Red", &c.guide.red},
      {"Guide: Green", &c.guide.green},
      {"Guide: Blue", &c.guide.blue},
  };
  for (const Row& r : rows) v.fraction(r.label, r.value).changed = settings_shown;
}

void reload_presets(App& a) {
  for (PresetKind k : kPresetLoadOrder) load_preset_of(a, k, a.presets.name(k));
  refresh_preset_names(a);
}

void add_paths_page(SettingsVars& v, App& app) {
  Settings& s = app.drawing.settings;
  v.page = "Paths";
  auto path = [&](std::string_view label, int index) -> DialogVar& {
    DialogVar& d =
        v.add(label, VarKind::kEntry, char_field(s.paths[static_cast<std::size_t>(index)]));
    d.max_length = 255;
    return d;
  };
  path("Drawing path", 0);
  path("Symbol path", 2);
  path("DXF path", 3);
  path("Export path", 5);
  // A new dialog path offers its presets and loads the current ones from it.
  path("Dialog path", 4).changed = reload_presets;
  v.button("Drawing path", "p_path_draw");
  v.button("Symbol path", "p_path_sym");
  v.button("DXF path", "p_path_dxf");
  v.button("Export path", "p_path_export");
  v.button("Dialog path", "p_path_dia");
  v.button("Special", "p_path_special");
}

void add_general_page(SettingsVars& v, App& app) {
  Settings& s = app.drawing.settings;
  v.page = "General";
  v.option("Language", &app.settings_dialog.language, {"english"}).changed = [](App& a) {
    catalogue().set_current_language(a.settings_dialog.language);
    a.ui->language_changed();
    update_title(a);
  };
  v.add("Autobackup", VarKind::kCheck, &s.backup_on).changed = [](App& a) {
    a.ui->backup_timer_changed();
  };
  v.spin("Backup interval[min]", &s.backup_minutes, 1, 999).changed = [](App& a) {
    a.ui->backup_timer_changed();
  };
  v.page = "";
  v.button("Load Settings...", "z_load_settings");
  v.button("Save Settings...", "z_save_settings");
}

}  // namespace

void register_settings_variables(App& app) {
  SettingsVars v{app, ""};
  add_pen_page(v, app);
  add_line_page(v, app);
  add_input_page(v, app);
  add_view_page(v, app);
  add_room_page(v, app);
  add_colour_page(v, app);
  add_paths_page(v, app);
  add_general_page(v, app);

  // "Drawing Scale:": the denominator, stepped through the scale table by "dec" and "inc".
  DialogVar scale;
  scale.name = "Drawing Scale:/Scale";
  scale.kind = VarKind::kNumber;
  scale.ref = &app.drawing.settings.drawing_scale;
  scale.changed = [](App& a) {
    double& d = a.drawing.settings.drawing_scale;
    if (!(d >= 1e-6)) d = 100;  // a scale must be positive: the stored default
    update_title(a);
    redraw(a);
  };
  app.vars.add(std::move(scale));
  app.vars.add_button({"Drawing Scale:", "dec", "z_scale_dec", "", ""});
  app.vars.add_button({"Drawing Scale:", "inc", "z_scale_inc", "", ""});

  // "Aspect ratio": the screen calibration, also on the "View" page.
  for (auto [label, ref] : {std::pair{"Aspect ratio/Width:", &app.drawing.settings.aspect_x},
                            std::pair{"Aspect ratio/Height:", &app.drawing.settings.aspect_y}}) {
    DialogVar a;
    a.name = label;
    a.kind = VarKind::kNumber;
    a.ref = ref;
    a.changed = settings_shown;
    app.vars.add(std::move(a));
  }
  settings_revert_pen(app);
  settings_revert_line(app);
}

void settings_revert_pen(App& app) {
  PenPage& p = app.settings_dialog.pen;
  p.number = std::clamp(p.number, 0, kPenCount - 1);
  const Pen& pen = app.drawing.settings.pens[static_cast<std::size_t>(p.number)];
  p.name = std::string(pen.name.view());
  p.thickness = pen.thickness;
  p.red = pen.red;
  p.green = pen.green;
  p.blue = pen.blue;
  if (app.ui) app.ui->refresh_dialog(kDialogSettings);
}

void settings_revert_line(App& app) {
  LinePage& l = app.settings_dialog.line;
  l.number = std::clamp(l.number, 0, kLineTypeCount - 1);
  const LineType& lt = app.drawing.settings.line_types[static_cast<std::size_t>(l.number)];
  l.name = std::string(lt.name.view());
  l.sections = lt.sections;
  for (int i = 0; i < 3; ++i) {
    l.line[i] = lt.line[i];
    l.space[i] = lt.space[i];
  }
  if (app.ui) app.ui->refresh_dialog(kDialogSettings);
}

void settings_refresh_languages(App& app) {
  std::vector<std::string> names;
  for (const Catalogue::Language& l : catalogue().languages()) names.push_back(l.name);
  if (names.empty()) names.push_back("english");
  app.vars.set_items("Settings/Language", std::move(names));
  app.settings_dialog.language = std::max(0, catalogue().current_language());
}

void settings_apply_pen(App& app) {
  const PenPage& p = app.settings_dialog.pen;
  Pen& pen =
      app.drawing.settings.pens[static_cast<std::size_t>(std::clamp(p.number, 0, kPenCount - 1))];
  pen.name.set(p.name);
  pen.thickness = p.thickness;
  pen.red = std::clamp(p.red, 0.0, 1.0);
  pen.green = std::clamp(p.green, 0.0, 1.0);
  pen.blue = std::clamp(p.blue, 0.0, 1.0);
  settings_shown(app);
}

void settings_apply_line(App& app) {
  const LinePage& l = app.settings_dialog.line;
  LineType& lt =
      app.drawing.settings
          .line_types[static_cast<std::size_t>(std::clamp(l.number, 0, kLineTypeCount - 1))];
  lt.name.set(l.name);
  lt.sections = static_cast<std::uint8_t>(std::clamp(l.sections, 0, 3));
  for (int i = 0; i < 3; ++i) {
    lt.line[i] = l.line[i];
    lt.space[i] = l.space[i];
  }
  lt.pattern_length = pattern_length(lt);
  settings_shown(app);
}

void settings_choose_path(App& app, int index) {
  static constexpr std::string_view kTitles[6] = {"Drawing path", "Special",     "Symbol path",
                                                  "DXF path",     "Dialog path", "Export path"};
  if (index < 0 || index > 5) return;
  FixedName<256>& path = app.drawing.settings.paths[static_cast<std::size_t>(index)];
  std::optional<std::string> dir = app.ui->choose_directory(kTitles[index], path.view());
  if (!dir || dir->empty()) return;
  if (dir->back() != '/') *dir += '/';
  if (dir->size() >= 256) {
    app.ui->error_box("Path too long");
    return;
  }
  path.set(*dir);
  if (index == 0) {  // new drawings go there
    const std::string& f = app.drawing.file_name;
    std::size_t slash = f.rfind('/');
    app.drawing.file_name = *dir + (slash == std::string::npos ? f : f.substr(slash + 1));
    update_title(app);
  }
  if (index == 4) reload_presets(app);
  app.ui->refresh_dialog(kDialogSettings);
}

void drawing_scale_step(App& app, bool up) {
  double& d = app.drawing.settings.drawing_scale;
  d = up ? drawing_scale_inc(d, *app.screen().steps) : drawing_scale_dec(d, *app.screen().steps);
  app.ui->refresh_dialog("scale");
  update_title(app);
  redraw(app);
}

}  // namespace korav
