#include "app/material_lookup.h"

#include <sys/stat.h>

#include <string_view>

#include "app/app.h"
#include "base/messages.h"
#include "base/text_format.h"

namespace korav {

namespace {

bool is_regular(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string with_slash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

}  // namespace

MaterialDirs material_dirs_for(const std::string& data_dir) {
  MaterialDirs dirs;
  dirs.shipped = with_slash(data_dir) + "dat/";
  if (UserDirs user = user_dirs_for(with_slash(data_dir)); user.active())
    dirs.own = user.data + "dat/";
  return dirs;
}

MaterialDirs material_dirs(const App& app) {
  MaterialDirs dirs;
  dirs.shipped = data_path(app, "dat/");
  if (app.user.active()) dirs.own = app.user.data + "dat/";
  return dirs;
}

std::string find_texture(const MaterialDirs& dirs, const std::string& image) {
  if (image.empty() || image_type(image).empty()) return {};
  for (const std::string* dir : {&dirs.own, &dirs.shipped}) {
    if (dir->empty()) continue;
    const std::string path = *dir + "tex/" + image;
    if (is_regular(path)) return path;
  }
  return {};
}

std::optional<SceneMaterials> resolve_materials(const MaterialDirs& dirs,
                                                const std::vector<std::string>& names,
                                                const MissingHandler& missing) {
  SceneMaterials out;
  for (const std::string& name : names) {
    SceneMaterial sm;
    sm.name = name;
    const MaterialReadResult r = load_material(dirs.own, dirs.shipped, name, sm.values);
    if (r.status == MaterialRead::kMissing) {
      if (!missing(Missing::kMaterial, name, 0)) return std::nullopt;
      sm.values = Material{};
      load_material(dirs.own, dirs.shipped, kDefaultMaterialName, sm.values);
    } else if (r.status == MaterialRead::kDamaged) {
      if (!missing(Missing::kDamagedMaterial, name, r.line)) return std::nullopt;
    }
    if (sm.values.texture) {
      sm.image_path = find_texture(dirs, sm.values.image);
      if (sm.image_path.empty()) {
        if (!missing(Missing::kImage, sm.values.image, 0)) return std::nullopt;
        sm.values.texture = 0;
      }
    }
    out.push_back(std::move(sm));
  }
  return out;
}

std::optional<SceneMaterials> ask_materials(App& app, const std::vector<std::string>& names) {
  return resolve_materials(
      material_dirs(app), names, [&app](Missing what, const std::string& name, int line) {
        switch (what) {
          case Missing::kMaterial: {
            const std::string_view buttons[] = {"Cancel", "Use default material"};
            const std::string text =
                fill_format(translate("Material  > %s <  not found!"), {name});
            return app.ui->question_filled(text, buttons) == 2;
          }
          case Missing::kDamagedMaterial:
            // What was read before the damage is used; the rest are the default values.
            app.ui->error_box_filled(fill_format(
                translate("The material file %s is damaged in line %d."), {name, std::to_string(line)}));
            return true;
          case Missing::kImage: {
            const std::string_view buttons[] = {"Cancel", "Use material without texture"};
            const std::string text = fill_format(translate("Image  > %s <  not found!"), {name});
            return app.ui->question_filled(text, buttons) == 2;
          }
        }
        return false;
      });
}

}  // namespace korav
