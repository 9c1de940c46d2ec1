// The materials a renderer's scene declares: each material name the marked solids and walls
// use, with its values and the texture picture found for it. The commands resolve them (and
// ask the user about missing ones) before a scene writer runs; the writers only read them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "three_d/material.h"

namespace korav {

struct Drawing;

struct SceneMaterial {
  std::string name;  // as the elements name it
  Material values;
  std::string image_path;  // the texture picture; empty when the material is drawn without one
};

using SceneMaterials = std::vector<SceneMaterial>;

// The material of `name`, or nullptr.
const SceneMaterial* find_material(const SceneMaterials& materials, std::string_view name);

// The material names of the marked 3D objects and walls and of the solids on the temporary
// layer, each once, in the order they first appear.
std::vector<std::string> scene_material_names(const Drawing& d);

// The image type word of a texture picture by its extension ("png", "jpeg", "bmp", "tga",
// ...), lower case; empty for a picture the renderer cannot read.
std::string image_type(std::string_view file);

}  // namespace korav
