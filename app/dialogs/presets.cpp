#include "app/dialogs/presets.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/app.h"
#include "files/preset_file.h"
#include "files/settings_file.h"
#include "files/stroke_font.h"
#include "model/pens.h"

namespace korav {

namespace {

// The preview surface a family's dialog redraws when one of its values changes.
std::string_view preview_group(PresetKind k) {
  switch (k) {
    case PresetKind::kText: return "text";
    case PresetKind::kDim: return "dim";
    case PresetKind::kPattern: return "pattern";
    case PresetKind::kOpening: return "opening";
    case PresetKind::kWindow: return "window";
    case PresetKind::kDoor: return "door";
    default: return "";
  }
}

// Adds the variables of one family's dialog, in the order the dialog shows them.
struct FamilyVars {
  App& app;
  PresetKind kind;

  DialogVar& add(std::string_view label, VarKind k, VarRef ref) {
    DialogVar v;
    v.name = preset_variable(kind, label);
    v.kind = k;
    v.ref = ref;
    v.group = std::string(preview_group(kind));
    return app.vars.add(std::move(v));
  }
  void length(std::string_view label, double* d) { add(label, VarKind::kLength, d); }
  void number(std::string_view label, double* d) { add(label, VarKind::kNumber, d); }
  void angle(std::string_view label, double* d) { add(label, VarKind::kAngle, d); }
  void paper(std::string_view label, double* d) { add(label, VarKind::kPaper, d); }
  void check(std::string_view label, int* i) { add(label, VarKind::kCheck, i); }
  void spin(std::string_view label, int* i, double lower, double upper) {
    DialogVar& v = add(label, VarKind::kSpinInt, i);
    v.lower = lower;
    v.upper = upper;
  }
  void pen(std::string_view label, int* i) { spin(label, i, 0, kPenCount - 1); }
  void line_type(std::string_view label, int* i) { spin(label, i, 0, kLineTypeCount - 1); }
  void fraction(std::string_view label, double* d) {
    DialogVar& v = add(label, VarKind::kSlider, d);
    v.lower = 0;
    v.upper = 1;
    v.step = 0.01;
  }
  void text(std::string_view label, std::string* s, std::size_t max_length) {
    add(label, VarKind::kEntry, s).max_length = max_length;
  }
  // A font name: typed, or chosen from the fonts found (refresh_preset_names).
  void font(std::string_view label, std::string* s) {
    add(label, VarKind::kCombo, s).max_length = 20;
  }
  void option(std::string_view label, int* i, std::vector<std::string> items) {
    add(label, VarKind::kOption, i).items = std::move(items);
  }
};

void add_values(App& app, PresetKind k) {
  Presets& p = app.presets;
  FamilyVars f{app, k};
  switch (k) {
    case PresetKind::kText:
      f.font("Font", &p.text.font);
      f.number("Line spacing", &p.text.line_spacing);
      f.number("Character width", &p.text.char_width);
      f.number("Character space", &p.text.char_space);
      f.pen("Pen", &p.text.pen);
      f.line_type("Line type", &p.text.line_type);
      break;
    case PresetKind::kRoom:
      f.number("Factor", &p.room.factor);
      f.length("Base", &p.room.base);
      f.length("Height", &p.room.height);
      f.check("Area", &p.room.area);
      f.check("Volume", &p.room.volume);
      f.check("Description", &p.room.description);
      f.check("Number", &p.room.number);
      f.pen("Pen", &p.room.pen);
      f.line_type("Line type", &p.room.line_type);
      break;
    case PresetKind::kPattern:
      f.option("Type", &p.pattern.kind, {"1 Line", "2 Lines", "Points", "Filling"});
      f.pen("Pen 1", &p.pattern.pen1);
      f.line_type("Line type 1", &p.pattern.line_type1);
      f.length("Spacing 1", &p.pattern.spacing1);
      f.angle("Angle 1", &p.pattern.angle1);
      f.pen("Pen 2", &p.pattern.pen2);
      f.line_type("Line type 2", &p.pattern.line_type2);
      f.length("Spacing 2", &p.pattern.spacing2);
      f.angle("Angle 2", &p.pattern.angle2);
      f.fraction("Red", &p.pattern.red);
      f.fraction("Green", &p.pattern.green);
      f.fraction("Blue", &p.pattern.blue);
      break;
    case PresetKind::kWall:
      f.text("Material", &p.wall.material, 79);
      f.length("Thickness", &p.wall.thickness);
      f.length("Base", &p.wall.base);
      f.length("Height", &p.wall.height);
      f.pen("Pen", &p.wall.pen);
      f.line_type("Line type", &p.wall.line_type);
      break;
    case PresetKind::kDoor:
    case PresetKind::kWindow:
    case PresetKind::kOpening: {
      OpeningPreset& o = k == PresetKind::kDoor     ? p.door
                         : k == PresetKind::kWindow ? p.window
                                                    : p.opening;
      f.spin("Symbol", &o.subtype, 0, 6);
      f.length("Base", &o.base);
      f.length("Height", &o.height);
      f.length("Stop width", &o.stop_width);
      f.length("Stop depth", &o.stop_depth);
      break;
    }
    case PresetKind::kLight:
      f.option("Type", &p.light.spot, {"Pointlight", "Spotlight"});
      f.option("Shadow", &p.light.shadow, {"Off", "On"});
      f.number("Size", &p.light.size);
      f.number("Angle", &p.light.angle);
      f.fraction("Shadow intensity", &p.light.shadow_intensity);
      f.fraction("Red", &p.light.red);
      f.fraction("Green", &p.light.green);
      f.fraction("Blue", &p.light.blue);
      break;
    case PresetKind::kDim:
      f.font("Font", &p.dim.font);
      f.pen("Pen", &p.dim.pen);
      f.line_type("Line type", &p.dim.line_type);
      f.paper("Figure height", &p.dim.figure_height);
      f.paper("Spacing 1", &p.dim.spacing1);
      f.paper("Spacing 2", &p.dim.spacing2);
      f.paper("Spacing 3", &p.dim.spacing3);
      f.paper("Extension", &p.dim.extension);
      f.spin("Display 1", &p.dim.display1, 0, 255);
      f.spin("Display 2", &p.dim.display2, 0, 255);
      f.option("Unit style", &p.dim.unit_style,
               {"Architectural", "m", "cm", "mm", "inch", "feet", "ft/in 1/2", "ft/in 1/4",
                "ft/in 1/8", "ft/in 1/16", "ft/in 1/32", "ft/in 1/64", "ft/in 1/1"});
      f.option("Mark style", &p.dim.mark_style, {"Tick", "Circle", "Arrow"});
      break;
  }
}

void refresh_names(App& app, PresetKind k) {
  app.vars.set_items(preset_variable(k, "Name"), preset_names(app, k));
}

// The dialog and the palette combo show the family's values and list again.
void show_family(App& app, PresetKind k) { app.ui->refresh_dialog(preset_dialog_key(k)); }

}  // namespace

std::string preset_save_directory(const App& app) {
  std::string user = user_path_directory(app, app.drawing.settings.paths[4].view(), "dat/dia/");
  return user.empty() ? dialog_directory(app) : user;
}

PresetReadResult load_preset_of(App& app, PresetKind k, std::string_view name) {
  const std::string own = preset_save_directory(app), shipped = dialog_directory(app);
  PresetReadResult r = load_preset(own, k, name, app.presets);
  if (r.status == PresetRead::kMissing && own != shipped)
    r = load_preset(shipped, k, name, app.presets);
  return r;
}

std::vector<std::string> preset_names(const App& app, PresetKind k) {
  const std::string own = preset_save_directory(app), shipped = dialog_directory(app);
  std::vector<std::string> names = list_presets(shipped, k);
  if (own == shipped) return names;
  for (std::string& n : list_presets(own, k))
    if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(std::move(n));
  // The order of one directory's list: sorted, "Default" first.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    if ((a == kDefaultPresetName) != (b == kDefaultPresetName)) return a == kDefaultPresetName;
    return a < b;
  });
  return names;
}

std::string_view preset_dialog_key(PresetKind k) { return preset_kind_info(k).directory; }

std::string preset_variable(PresetKind k, std::string_view label) {
  return std::string(preset_kind_info(k).title) + "/" + std::string(label);
}

std::string preset_trash_command(PresetKind k) {
  return "z_trash_" + std::string(preset_kind_info(k).directory);
}

void register_preset_variables(App& app) {
  for (const PresetKindInfo& info : kPresetKinds) {
    const PresetKind k = info.kind;
    DialogVar name;
    name.name = preset_variable(k, "Name");
    name.kind = VarKind::kCombo;
    name.ref = &app.presets.name(k);
    name.max_length = 255;
    name.changed = [k](App& a) {
      // A name without a preset file changes nothing: it may be a name about to be saved.
      const std::string chosen = a.presets.name(k);
      PresetReadResult r = load_preset_of(a, k, chosen);
      if (r.status == PresetRead::kDamaged)
        std::printf("preset %s/%s damaged after %d values\n",
                    std::string(preset_kind_info(k).directory).c_str(), chosen.c_str(), r.values);
      if (r.status != PresetRead::kMissing) show_family(a, k);
    };
    app.vars.add(std::move(name));
    add_values(app, k);
    const std::string title(info.title);
    app.vars.add_button({title, "Save", std::string(info.save_command), "", ""});
    app.vars.add_button({title, "Delete", preset_trash_command(k), "trashcan.xpm", ""});
  }
}

void refresh_preset_names(App& app) {
  const std::vector<std::string> fonts = font_names(data_path(app, "dat/fonts/"));
  for (PresetKind k : {PresetKind::kText, PresetKind::kDim})
    app.vars.set_items(preset_variable(k, "Font"), fonts);
  app.vars.set_items("Font setting/Font", fonts);
  for (const PresetKindInfo& info : kPresetKinds) {
    refresh_names(app, info.kind);
    show_family(app, info.kind);
  }
}

void preset_save(App& app, PresetKind k) {
  const std::string name = app.presets.name(k);
  if (!check_preset_name(name).empty()) {
    app.ui->error_box(kMsgInvalidPresetName);
    return;
  }
  const std::string dir = preset_save_directory(app);
  if (dir != dialog_directory(app)) make_directories(dir);
  switch (save_preset(dir, k, name, app.presets)) {
    case WriteStatus::kOk: break;
    case WriteStatus::kCannotOpen: app.ui->error_box(kMsgCannotOpen); return;
    case WriteStatus::kCannotWrite: app.ui->error_box(kMsgCannotWrite); return;
  }
  refresh_names(app, k);
  show_family(app, k);
}

void preset_trash(App& app, PresetKind k) {
  const std::string name = app.presets.name(k);
  if (name == kDefaultPresetName) return;  // the shipped preset stays
  delete_preset(preset_save_directory(app), k, name);
  app.presets.name(k) = std::string(kDefaultPresetName);
  load_preset_of(app, k, kDefaultPresetName);
  refresh_names(app, k);
  show_family(app, k);
}

}  // namespace korav
