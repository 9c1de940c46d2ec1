// The Radiance scene of the drawing's 3D content and what rendering it takes: the scene file
// (sky, materials, lights as glowing spheres, every face of the solids as a polygon), the
// rendering control file for "rad", and the two small shell scripts that build the octree and
// render, convert and show the picture. Drawing coordinates are Radiance's own (z up).
//
// Walls take part as the solids the command makes of them on the temporary layer. The writers
// only read the drawing and run nothing; the commands in app/ run gensky and the scripts.
//
// The materials, from the material files' values:
//   plastic  colour, specularity = reflection, roughness = 0.2 x (1 - highlight)
//   metal    (metallic) the same five values
//   trans    (transparent) those five, transmissivity = transparency, transmitted specular 1
//   glass    (transparent and refracting) the colour as transmissivity
//   a texture picture becomes a "colorpict" pattern modifying the material, laid into the plane
//   the mapping names (the round mappings are laid into the plan) and scaled by the size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/scene_materials.h"

namespace korav {

struct Drawing;

// The "Radiance settings" dialog's values; kept while the program runs.
struct RadianceSettings {
  std::int32_t save_image = 0;
  std::string output;           // the picture file ("p_ray_out")
  std::int32_t resolution = 2;  // 0..6: 160x120 .. 4096x3072
  std::int32_t quality = 0;     // 0..2: LOW, MEDIUM, HIGH
  std::int32_t detail = 0;
  std::int32_t variability = 0;
  std::int32_t indirect = 0;  // 0..2 ambient bounces
  std::int32_t shadows = 0;   // soft shadows (penumbras)
  std::int32_t scene = 0;     // 0 interior, 1 exterior
  std::int32_t sky = 0;       // 0 none, 1..6: gensky's +s, -s, +i, -i, -c, -u
  double latitude = 48;       // degrees
  double time = 12;           // hour of 1 July
};

inline constexpr int kRadianceResolutionCount = 7;
inline constexpr int kRadianceSkyCount = 7;

enum class RadianceView { kPerspective, kLinear };
// The standard tools, or the alternative build whose commands are "rzoconv" and "radz".
enum class RadianceBuild { kStandard, kAlternative };

// The files in the render directory.
inline constexpr std::string_view kRadianceScene = "korav.rad";
inline constexpr std::string_view kRadianceControl = "korav.rif";
inline constexpr std::string_view kRadianceScript = "radscript.sh";
// Everything the scripts and the renderer make there, removed before the next render.
std::vector<std::string> radiance_work_files();

// gensky's argument vector for the sky (1 July at the hour, the latitude), or empty for none.
std::vector<std::string> gensky_arguments(const RadianceSettings& s);

// The scene: the header, the sky (gensky's output `sky`, then the sky and ground glow) when the
// settings have one, the materials, the marked lights, and every face of the marked solids and
// of those on the temporary layer.
std::string radiance_scene(const Drawing& d, const RadianceSettings& s,
                           const SceneMaterials& materials, std::string_view sky);

// The control file. The zone is the last marked room's extent (plan outline, base and top), or
// the extent of everything in the scene when no room is marked.
std::string radiance_control(const Drawing& d, const RadianceSettings& s, RadianceView view,
                             RadianceBuild build);

// The scripts, each starting with a "cd" into `directory`. The render script copies the
// picture to its first argument when it is given one.
std::string radiance_octree_script(std::string_view directory, RadianceBuild build);
std::string radiance_render_script(std::string_view directory, RadianceBuild build);

// The programs the scripts need first: oconv and rad, or rzoconv and radz.
std::vector<std::string> radiance_programs(RadianceBuild build);

// `s` as one word for sh: in single quotes, each ' written '\''.
std::string shell_quoted(std::string_view s);

}  // namespace korav
