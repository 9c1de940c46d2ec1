#include "three_d/material.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "base/regular_file.h"
#include "base/text_file.h"

namespace korav {

namespace {

// Largest size or offset a material may hold: far beyond any drawing, and small enough that
// "%f" writes it back to the same text.
constexpr double kMaxMaterialReal = 1e6;

enum class Field { kFraction, kReal, kSwitch, kMapping, kText, kDiffuse };

struct Slot {
  Field kind;
  double Material::*real = nullptr;
  int Material::*integer = nullptr;
  std::string Material::*text = nullptr;
};

constexpr Slot F(double Material::*r) { return {Field::kFraction, r, nullptr, nullptr}; }
constexpr Slot R(double Material::*r) { return {Field::kReal, r, nullptr, nullptr}; }
constexpr Slot S(int Material::*i) { return {Field::kSwitch, nullptr, i, nullptr}; }
constexpr Slot T(std::string Material::*t) { return {Field::kText, nullptr, nullptr, t}; }

// The lines of the file, in order.
const Slot kSlots[kMaterialLines] = {
    F(&Material::red),
    F(&Material::green),
    F(&Material::blue),
    F(&Material::transparency),
    {Field::kDiffuse, &Material::diffuse, nullptr, nullptr},
    F(&Material::reflection),
    F(&Material::ambience),
    S(&Material::refraction),
    S(&Material::metallic),
    F(&Material::highlight),
    S(&Material::texture),
    T(&Material::image),
    S(&Material::repeat),
    R(&Material::size_x),
    R(&Material::size_y),
    R(&Material::offset_x),
    R(&Material::offset_y),
    {Field::kMapping, nullptr, &Material::mapping, nullptr},
    T(&Material::special),
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool parse_real(std::string_view s, double& out) {
  s = trimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool parse_int(std::string_view s, int& out) {
  s = trimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  out = v;
  return true;
}

bool real_fits(Field kind, double v) {
  if (!std::isfinite(v)) return false;
  switch (kind) {
    case Field::kFraction: return v >= 0 && v <= 1;
    case Field::kDiffuse: return v >= 0 && v <= 10;
    default: return std::fabs(v) <= kMaxMaterialReal;
  }
}

bool int_fits(Field kind, int v) {
  if (kind == Field::kMapping) return v >= 0 && v < kMaterialMappingCount;
  return v == 0 || v == 1;
}

bool text_fits(std::string_view latin1) {
  if (latin1.size() > kMaxLineBytes) return false;
  for (unsigned char c : latin1)
    if (c < 0x20 || c == 0x7f) return false;
  return true;
}

// Takes one line into its slot; false when it is no value of the field.
bool take(const Slot& slot, std::string_view line, Material& m) {
  switch (slot.kind) {
    case Field::kText: {
      if (!text_fits(line)) return false;
      std::string s(line);
      latin1_to_utf8(s);
      m.*slot.text = std::move(s);
      return true;
    }
    case Field::kSwitch:
    case Field::kMapping: {
      int v = 0;
      if (!parse_int(line, v) || !int_fits(slot.kind, v)) return false;
      m.*slot.integer = v;
      return true;
    }
    default: {
      double v = 0;
      if (!parse_real(line, v) || !real_fits(slot.kind, v)) return false;
      m.*slot.real = v;
      return true;
    }
  }
}

}  // namespace

MaterialReadResult parse_material(std::string_view text, Material& m) {
  MaterialReadResult r;
  std::size_t pos = 0;
  for (int i = 0; i < kMaterialLines; ++i) {
    if (pos >= text.size()) {
      r.status = MaterialRead::kDamaged;
      r.line = i + 1;
      return r;
    }
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    if (!take(kSlots[i], line, m)) {
      r.status = MaterialRead::kDamaged;
      r.line = i + 1;
      return r;
    }
  }
  r.status = MaterialRead::kRead;
  return r;
}

bool format_material(const Material& m, std::string& out) {
  std::string text;
  char buf[64];
  for (const Slot& slot : kSlots) {
    switch (slot.kind) {
      case Field::kText: {
        const std::string latin1 = utf8_to_latin1(m.*slot.text);
        if (!text_fits(latin1)) return false;
        text += latin1;
        break;
      }
      case Field::kSwitch:
      case Field::kMapping: {
        const int v = m.*slot.integer;
        if (!int_fits(slot.kind, v)) return false;
        std::snprintf(buf, sizeof buf, "%d", v);
        text += buf;
        break;
      }
      case Field::kDiffuse:
        // The line is a constant of the format; a file edited by hand may say otherwise.
        if (!real_fits(slot.kind, m.diffuse)) return false;
        std::snprintf(buf, sizeof buf, "%f", m.diffuse);
        text += buf;
        break;
      default: {
        const double v = m.*slot.real;
        if (!real_fits(slot.kind, v)) return false;
        std::snprintf(buf, sizeof buf, "%f", v);
        text += buf;
        break;
      }
    }
    text += '\n';
  }
  out = std::move(text);
  return true;
}

std::string_view check_material_name(std::string_view name) {
  if (name.empty() || name.size() > 39 || name.front() == '.') return kMsgInvalidMaterialName;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7f) return kMsgInvalidMaterialName;
  return {};
}

std::string material_path(std::string_view dat_dir, std::string_view name) {
  std::string p(dat_dir);
  if (!p.empty() && p.back() != '/') p += '/';
  return p + "mat/" + std::string(name);
}

std::vector<std::string> list_materials(std::string_view dat_dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  if (dat_dir.empty()) return names;
  std::error_code ec;
  fs::directory_iterator it(material_path(dat_dir, ""), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string n = it->path().filename().string();
    std::error_code type_ec;
    if (check_material_name(n).empty() && it->is_regular_file(type_ec)) names.push_back(std::move(n));
  }
  std::sort(names.begin(), names.end());
  auto d = std::find(names.begin(), names.end(), kDefaultMaterialName);
  if (d != names.end()) std::rotate(names.begin(), d, d + 1);
  return names;
}

MaterialReadResult load_material(std::string_view own_dat, std::string_view shipped_dat,
                                 std::string_view name, Material& m) {
  if (!check_material_name(name).empty()) return {};
  std::string text;
  for (std::string_view dir : {own_dat, shipped_dat}) {
    if (dir.empty()) continue;
    if (!read_regular_file(material_path(dir, name), text)) continue;
    Material read;
    MaterialReadResult r = parse_material(text, read);
    m = std::move(read);
    return r;
  }
  return {};
}

}  // namespace korav
