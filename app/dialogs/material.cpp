#include "app/dialogs/material.h"

#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "app/material_lookup.h"
#include "files/safe_write.h"
#include "files/settings_file.h"
#include "three_d/material.h"

namespace korav {

namespace {

constexpr std::string_view kTitle = "Material";
constexpr std::string_view kDialogKey = "mat";

std::string var(std::string_view label) { return std::string(kTitle) + "/" + std::string(label); }

// Where the user's materials are saved: the user's "dat/" of an installed program, else the
// data directory's own.
std::string save_dat_directory(const App& app) {
  const MaterialDirs dirs = material_dirs(app);
  return dirs.own.empty() ? dirs.shipped : dirs.own;
}

}  // namespace

std::vector<std::string> material_names(const App& app) {
  const MaterialDirs dirs = material_dirs(app);
  std::vector<std::string> names = list_materials(dirs.shipped);
  if (dirs.own.empty()) return names;
  for (std::string& n : list_materials(dirs.own))
    if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(std::move(n));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    if ((a == kDefaultMaterialName) != (b == kDefaultMaterialName))
      return a == kDefaultMaterialName;
    return a < b;
  });
  return names;
}

void refresh_material_names(App& app) {
  app.vars.set_items(var("Name"), material_names(app));
  app.ui->refresh_dialog(kDialogKey);
}

void load_current_material(App& app) {
  const MaterialDirs dirs = material_dirs(app);
  Material m;
  const MaterialReadResult r = load_material(dirs.own, dirs.shipped, app.material, m);
  if (r.status == MaterialRead::kMissing) return;  // perhaps a name about to be saved
  if (r.status == MaterialRead::kDamaged)
    std::printf("material %s damaged in line %d\n", app.material.c_str(), r.line);
  app.material_values = std::move(m);
  app.ui->refresh_dialog(kDialogKey);
}

void material_save(App& app) {
  if (!check_material_name(app.material).empty()) {
    app.ui->error_box(kMsgInvalidMaterialName);
    return;
  }
  std::string text;
  if (!format_material(app.material_values, text)) {
    app.ui->error_box(kMsgCannotWrite);
    return;
  }
  const std::string dat = save_dat_directory(app);
  make_directories(dat + "mat/");
  const WriteStatus st = write_file_safely(material_path(dat, app.material), [&](Writer& w) {
    return w.bytes(text.data(), text.size());
  });
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
  refresh_material_names(app);
}

void register_material_variables(App& app) {
  Material& m = app.material_values;
  auto add = [&](std::string_view label, VarKind kind, VarRef ref) -> DialogVar& {
    DialogVar v;
    v.name = var(label);
    v.kind = kind;
    v.ref = ref;
    return app.vars.add(std::move(v));
  };
  auto fraction = [&](std::string_view label, double* d) {
    DialogVar& v = add(label, VarKind::kSlider, d);
    v.lower = 0;
    v.upper = 1;
    v.step = 0.01;
  };
  auto check = [&](std::string_view label, int* i) { add(label, VarKind::kCheck, i); };
  auto text = [&](std::string_view label, std::string* s) {
    add(label, VarKind::kEntry, s).max_length = 255;
  };

  DialogVar& name = add("Name", VarKind::kCombo, &app.material);
  name.max_length = 39;
  name.changed = [](App& a) { load_current_material(a); };
  fraction("Red", &m.red);
  fraction("Green", &m.green);
  fraction("Blue", &m.blue);
  fraction("Transparency", &m.transparency);
  fraction("Reflection", &m.reflection);
  fraction("Ambience", &m.ambience);
  fraction("Highlight", &m.highlight);
  check("Refraction", &m.refraction);
  check("Metallic", &m.metallic);
  add("Texture", VarKind::kOption, &m.texture).items = {"Off", "Image"};
  text("Image file", &m.image);
  check("Repeat", &m.repeat);
  add("Size X", VarKind::kNumber, &m.size_x);
  add("Size Y", VarKind::kNumber, &m.size_y);
  add("Offset X", VarKind::kNumber, &m.offset_x);
  add("Offset Y", VarKind::kNumber, &m.offset_y);
  add("Mapping", VarKind::kOption, &m.mapping).items = {
      "Front", "Ground", "Side", "Sphere", "Cylinder", "Sphere at object", "Cylinder at object"};
  text("Special", &m.special);
  app.vars.add_button({std::string(kTitle), "Save", "z_save_mat", "", ""});
  app.vars.add_button({std::string(kTitle), "Render preview", "s_3d_render_mat", "", ""});
}

}  // namespace korav
