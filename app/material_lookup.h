// The materials a render or scene export needs: each name the marked solids and walls use,
// read from its material file (the user's own first, then the shipped one), with its texture
// picture looked up below "dat/tex/". A material or picture that is missing is asked about
// ("Material  > %s <  not found!" with "Cancel" / "Use default material", "Image  > %s <  not
// found!" with "Cancel" / "Use material without texture"); a cancel stops the whole command.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "exchange/scene_materials.h"

namespace korav {

struct App;

// Where materials and texture pictures are read: the user's "dat/" of an installed program
// (empty otherwise) and the shipped "dat/" of the data directory, each with a trailing '/'.
struct MaterialDirs {
  std::string own;
  std::string shipped;
};
MaterialDirs material_dirs(const App& app);
MaterialDirs material_dirs_for(const std::string& data_dir);

// The texture picture `image` below the first "tex/" of the two that holds it as a regular
// file of a type the renderers read; empty when none does.
std::string find_texture(const MaterialDirs& dirs, const std::string& image);

// What to do about a material that cannot be read or a picture that cannot be found.
enum class Missing { kMaterial, kDamagedMaterial, kImage };
// Returns true to go on (with the default material, or without the texture), false to stop.
using MissingHandler = std::function<bool(Missing what, const std::string& name, int line)>;

// The materials of `names`; nullopt when the handler stopped.
std::optional<SceneMaterials> resolve_materials(const MaterialDirs& dirs,
                                                const std::vector<std::string>& names,
                                                const MissingHandler& missing);

// The same, asking the user through the program's boxes.
std::optional<SceneMaterials> ask_materials(App& app, const std::vector<std::string>& names);

}  // namespace korav
