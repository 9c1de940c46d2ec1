// The POV-Ray scene of the drawing's 3D content: global settings, the active camera, the
// background and sky, one declared texture per material, the marked 3D objects as triangle
// meshes, the marked walls as their body with the openings cut out, and the marked lights.
// POV-Ray's height axis is y: a drawing point (x, y, z) is written <x, z, y>.
//
// Also the options file that goes with a render, and the small scene of the material preview.
// Nothing here shows anything or starts anything: the commands in app/ do that.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exchange/scene_materials.h"
#include "files/safe_write.h"

namespace korav {

struct Drawing;

// The "Render settings" dialog's values; kept while the program runs.
struct PovSettings {
  std::int32_t save_image = 0;  // switch: write the picture to `output`
  std::string output;           // the picture file ("p_pov_out")
  std::int32_t format = 4;      // 0..6, see kPovFormats
  std::int32_t resolution = 2;  // 0..7: 160x120 .. 8192x6144
  std::int32_t quality = 1;     // 0 draft, 1 full; 2 and 3 add radiosity
  std::int32_t antialias = 0;   // 0 off, 1..3
  double bg_red = 0.55, bg_green = 0.7, bg_blue = 0.95;  // background and sky colour
  std::int32_t sky = 0;
  std::int32_t clouds = 0;
  std::int32_t ambient = 1;  // ambient light, and the radiosity's brightness
};

inline constexpr int kPovResolutionCount = 8;
inline constexpr int kPovFormatCount = 7;
inline constexpr int kPovAntialiasCount = 4;
inline constexpr int kPovQualityCount = 4;

enum class PovCamera { kPerspective, kOrthographic };

// The scene text for the marked elements. Coinciding polygon points are reported on standard
// output ("identical points in polygon... polygon ignored") and the triangle left out.
std::string pov_scene(const Drawing& d, const PovSettings& s, PovCamera camera,
                      const SceneMaterials& materials);

// Writes the scene safely (a failure leaves an existing file as it was).
WriteStatus export_pov(const Drawing& d, const PovSettings& s, PovCamera camera,
                       const SceneMaterials& materials, const std::string& path);

// "+W1024 +H768" and the other options of one setting.
std::string pov_resolution_option(int index);
std::string pov_quality_option(int quality);
std::string pov_antialias_option(int index);

// Whether POV-Ray can be given this picture file name at all: not empty, no line break or
// other control character, and not both a '"' and a ';' (its options file can quote a name or
// take it to the line's end, never both).
bool pov_output_name_usable(std::string_view name);

// The options file: "+P +D0 +X100 -V +SP32 +EP4 " with the resolution, output, quality and
// antialias options on one line; a picture name that cannot stand in that line (a blank, a
// quote, a ';') is given on a line of its own ("Output_File_Name=..."). `options_line`
// receives the first line, for the diagnostic on standard output.
std::string pov_options(const PovSettings& s, std::string* options_line = nullptr);

// The preview scene of one material: a light, a camera, a checkered floor and a sphere.
std::string pov_material_preview(const SceneMaterial& m);

}  // namespace korav
