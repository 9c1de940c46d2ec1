// The few material values the mesh formats carry (colour, transparency, highlight, ...), read
// from and written to the program's material files: one value per line in the order the
// material dialog keeps them. This is the one place the mesh exchange touches material files.
#pragma once

#include <string>
#include <string_view>

namespace korav {

struct MaterialValues {
  double red = 0.8, green = 0.8, blue = 0.8;
  double transparency = 0;  // 0 opaque .. 1 clear
  double reflection = 0;
  double ambience = 0.1;
  int refraction = 0;  // switch
  int metallic = 0;    // switch
  double highlight = 0;  // 0 .. 1
};

// The whole material file for the values: colour, transparency, the constant 1.0, reflection,
// ambience, the refraction and metallic switches, highlight, then no texture (switch 0, no
// image, no repeat, size 1 x 1, offset 0, mapping 0) and no special text.
std::string material_file_text(const MaterialValues& m);

// The values of a material file; false (and `m` untouched) when it cannot be read or its first
// lines do not hold numbers.
bool read_material_values(const std::string& path, MaterialValues& m);
bool parse_material_values(std::string_view text, MaterialValues& m);

// A material name made safe as a file name: letters, digits, '_', '-' and '.' stay, anything
// else (path separators above all) becomes '_'; a leading '.' becomes '_'; empty becomes "_".
// At most 39 characters (a 3D object's material field).
std::string material_file_name(std::string_view name);

}  // namespace korav
