#include "exchange/mesh_materials.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/regular_file.h"

namespace korav {

namespace {

std::string_view next_line(std::string_view& text) {
  const std::size_t n = text.find('\n');
  std::string_view line = text.substr(0, n);
  text.remove_prefix(n == std::string_view::npos ? text.size() : n + 1);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

bool parse(std::string_view line, double& v) {
  if (!line.empty() && line.front() == '+') line.remove_prefix(1);
  auto r = std::from_chars(line.data(), line.data() + line.size(), v);
  return r.ec == std::errc() && std::isfinite(v);
}

bool parse(std::string_view line, int& v) {
  double d = 0;
  if (!parse(line, d) || d < -1e9 || d > 1e9) return false;
  v = static_cast<int>(d);
  return true;
}

double unit(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

std::string material_file_text(const MaterialValues& m) {
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "%f\n%f\n%f\n%f\n%f\n%f\n%f\n%d\n%d\n%f\n%d\n%s\n%d\n%f\n%f\n%f\n%f\n%d\n%s\n",
                unit(m.red), unit(m.green), unit(m.blue), unit(m.transparency), 1.0,
                unit(m.reflection), unit(m.ambience), m.refraction ? 1 : 0, m.metallic ? 1 : 0,
                unit(m.highlight), 0, "", 0, 1.0, 1.0, 0.0, 0.0, 0, "");
  return buf;
}

bool parse_material_values(std::string_view text, MaterialValues& m) {
  MaterialValues v;
  double one = 0;
  if (!parse(next_line(text), v.red) || !parse(next_line(text), v.green) ||
      !parse(next_line(text), v.blue) || !parse(next_line(text), v.transparency) ||
      !parse(next_line(text), one))
    return false;
  // The finish values are optional for a file cut short after the colour.
  if (parse(next_line(text), v.reflection) && parse(next_line(text), v.ambience) &&
      parse(next_line(text), v.refraction) && parse(next_line(text), v.metallic))
    parse(next_line(text), v.highlight);
  v.red = unit(v.red);
  v.green = unit(v.green);
  v.blue = unit(v.blue);
  v.transparency = unit(v.transparency);
  v.reflection = unit(v.reflection);
  v.ambience = unit(v.ambience);
  v.highlight = unit(v.highlight);
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
