// 3D materials: the surface a solid or wall is rendered with, named like the material field of
// the element. Each material is one small text file "<data>/dat/mat/<name>" (the user's own
// below the user's data directory first), one value per line in this order:
//
//   red, green, blue          "%f", 0..1
//   transparency              "%f", 0..1
//   diffuse                   "%f", written as the constant 1.0
//   reflection                "%f", 0..1
//   ambience                  "%f", 0..1
//   refraction                "%d", switch
//   metallic                  "%d", switch
//   highlight                 "%f", 0..1 (the specular highlight)
//   texture                   "%d", 0 off, 1 an image
//   image file                the picture's file name below "dat/tex/"
//   repeat                    "%d", switch: the picture tiles the surface
//   size x, size y            "%f", the picture's size in metres
//   offset x, offset y        "%f", where its corner lies
//   mapping                   "%d", 0..6 (MaterialMapping)
//   special                   a line of renderer text added to the finish as it is
//
// Reading is forgiving the way the preset files are: values are taken up to the first line that
// is missing, too long, binary or not a value of its field, the rest keep their defaults, and
// the line of the damage is reported. Text lines are ISO-8859-1 in the file, UTF-8 here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korav {

inline constexpr std::string_view kDefaultMaterialName = "Default";
inline constexpr int kMaterialLines = 19;

// How a texture picture is laid onto the surface. The planar kinds lay the picture into a plane
// of the drawing; "on the ground" and the two "at the object" kinds move the picture to the
// object (its lowest plan corner, or its centre) instead of the drawing's origin.
enum MaterialMapping : int {
  kMapFront = 0,          // the x-z plane (a facade seen from the front)
  kMapGround = 1,         // the plan (x-y) plane, at the object
  kMapSide = 2,           // the y-z plane
  kMapSphere = 3,         // wrapped round a sphere about the origin
  kMapCylinder = 4,       // wrapped round a vertical cylinder about the origin
  kMapSphereAtObject = 5,
  kMapCylinderAtObject = 6,
};
inline constexpr int kMaterialMappingCount = 7;

struct Material {
  double red = 0.8, green = 0.8, blue = 0.8;
  double transparency = 0;
  double diffuse = 1.0;
  double reflection = 0;
  double ambience = 0.1;
  int refraction = 0;
  int metallic = 0;
  double highlight = 0.3;
  int texture = 0;
  std::string image;
  int repeat = 1;
  double size_x = 1, size_y = 1;
  double offset_x = 0, offset_y = 0;
  int mapping = kMapFront;
  std::string special;
  bool operator==(const Material&) const = default;
};

enum class MaterialRead {
  kRead,     // every value was read
  kDamaged,  // read up to `line`; the values from there on are the defaults
  kMissing,  // no such file (or not a usable name); nothing was read
};

struct MaterialReadResult {
  MaterialRead status = MaterialRead::kMissing;
  int line = 0;  // the first line that could not be taken (kDamaged)
};

// The values of a material file's text into `m` (which starts from the defaults).
MaterialReadResult parse_material(std::string_view text, Material& m);

// The file's text; false (and `out` untouched) for a material the reader would not take back:
// a value that is not finite or out of its range, a text with a line break, NUL or more than
// 255 bytes.
bool format_material(const Material& m, std::string& out);

// "" for a usable material name, else why not. A name is a file name and fits the elements'
// 40-byte field: not empty, at most 39 bytes, no leading '.', no '/', no control character.
std::string_view check_material_name(std::string_view name);
inline constexpr std::string_view kMsgInvalidMaterialName = "Invalid material name";

// "<dir>mat/<name>" for a directory with a trailing '/' ("<data>/dat/").
std::string material_path(std::string_view dat_dir, std::string_view name);

// The material names offered in a "dat/" directory: its "mat/" files that are usable names,
// sorted, "Default" first. Empty when the directory is missing.
std::vector<std::string> list_materials(std::string_view dat_dir);

// The material `name` from the first of the two "dat/" directories that has a file for it
// (`own` may be empty or equal to `shipped`).
MaterialReadResult load_material(std::string_view own_dat, std::string_view shipped_dat,
                                 std::string_view name, Material& m);

}  // namespace korav
