#include "exchange/mesh_materials.h"


#include "base/regular_file.h"
#include "three_d/material.h"

namespace korav {

namespace {

double unit(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

std::string material_file_text(const MaterialValues& m) {
  Material f;
  f.red = unit(m.red);
  f.green = unit(m.green);
  f.blue = unit(m.blue);
  f.transparency = unit(m.transparency);
  f.reflection = unit(m.reflection);
  f.ambience = unit(m.ambience);
  f.refraction = m.refraction ? 1 : 0;
  f.metallic = m.metallic ? 1 : 0;
  f.highlight = unit(m.highlight);
  f.repeat = 0;
  std::string out;
  format_material(f, out);
  return out;
}

bool parse_material_values(std::string_view text, MaterialValues& m) {
  Material f;
  const MaterialReadResult r = parse_material(text, f);
  // The colour, the transparency and the constant must be there; the finish values may be
  // missing from a file cut short, and keep their defaults then.
  if (r.status == MaterialRead::kMissing ||
      (r.status == MaterialRead::kDamaged && r.line <= 5))
    return false;
  MaterialValues v;
  v.red = unit(f.red);
  v.green = unit(f.green);
  v.blue = unit(f.blue);
  v.transparency = unit(f.transparency);
  if (r.status == MaterialRead::kRead || r.line > 9) {
    v.reflection = unit(f.reflection);
    v.ambience = unit(f.ambience);
    v.refraction = f.refraction;
    v.metallic = f.metallic;
    if (r.status == MaterialRead::kRead || r.line > 10) v.highlight = unit(f.highlight);
  }
  m = v;
  return true;
}

bool read_material_values(const std::string& path, MaterialValues& m) {
  std::string text;
  if (!read_regular_file(path, text)) return false;
  return parse_material_values(text, m);
}

std::string material_file_name(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (out.size() >= 39) break;
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-' || c == '.';
    out += keep ? c : '_';
  }
  if (out.empty()) out.push_back('_');
  if (out[0] == '.') out[0] = '_';
  return out;
}

}  // namespace korav
