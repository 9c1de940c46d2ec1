#include "exchange/scene_materials.h"

#include <algorithm>

#include "model/drawing.h"

namespace korav {

const SceneMaterial* find_material(const SceneMaterials& materials, std::string_view name) {
  for (const SceneMaterial& m : materials)
    if (m.name == name) return &m;
  return nullptr;
}

std::vector<std::string> scene_material_names(const Drawing& d) {
  std::vector<std::string> names;
  auto add = [&](std::string_view n) {
    if (std::find(names.begin(), names.end(), n) == names.end()) names.emplace_back(n);
  };
  for (const Element& e : d.store.list) {
    const bool taken = e.selected == 1 || e.layer == kTempLayer;
    if (!taken) continue;
    if (const auto* o = as<Object3D>(&e)) add(o->material.view());
    else if (const auto* w = as<Wall>(&e)) add(w->material.view());
  }
  return names;
}

std::string image_type(std::string_view file) {
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || file.find('/', dot) != std::string_view::npos) return {};
  std::string ext(file.substr(dot + 1));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (ext == "jpg" || ext == "jpeg") return "jpeg";
  if (ext == "tif" || ext == "tiff") return "tiff";
  static const char* const kKnown[] = {"png", "bmp", "tga", "gif", "ppm", "pgm", "iff", "hdr",
                                       "exr"};
  for (const char* k : kKnown)
    if (ext == k) return ext;
  return {};
}

}  // namespace korav
