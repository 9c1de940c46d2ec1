// Reads the XPM pictures of "./graphics/" into RGBA pixels. Kept free of GTK so that a broken
// picture file can be tested without a display; the window turns the pixels into a GdkPixbuf.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/regular_file.h"

namespace korav {

struct XpmPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4, rows top to bottom
};

namespace xpm_detail {

// Every double-quoted string of the file, in order (C escapes are not used by XPM data).
inline std::vector<std::string> quoted_strings(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      std::size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 2;
    } else if (text[i] == '"') {
      std::size_t end = text.find('"', i + 1);
      if (end == std::string_view::npos) break;
      out.emplace_back(text.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      ++i;
    }
  }
  return out;
}

inline int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "#RGB", "#RRGGBB", "#RRRRGGGGBBBB", "None" and a few colour names.
inline bool parse_colour(std::string_view s, std::uint32_t& rgba) {
  if (s == "None" || s == "none") {
    rgba = 0;
    return true;
  }
  if (!s.empty() && s[0] == '#') {
    std::string_view h = s.substr(1);
    if (h.empty() || h.size() % 3 != 0 || h.size() > 12) return false;
    std::size_t n = h.size() / 3;
    std::uint32_t c[3];
    for (int k = 0; k < 3; ++k) {
      unsigned v = 0;
      for (std::size_t j = 0; j < n; ++j) {
        int d = hex_digit(h[k * n + j]);
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned>(d);
      }
      // Scale to 8 bits from however many hex digits a component has.
      unsigned max = (1u << (4 * n)) - 1;
      c[k] = (v * 255 + max / 2) / max;
    }
    rgba = (c[0] << 24) | (c[1] << 16) | (c[2] << 8) | 0xFF;
    return true;
  }
  static const std::pair<std::string_view, std::uint32_t> names[] = {
      {"black", 0x000000FF}, {"white", 0xFFFFFFFF}, {"red", 0xFF0000FF},  {"green", 0x00FF00FF},
      {"blue", 0x0000FFFF},  {"gray", 0xBEBEBEFF},  {"grey", 0xBEBEBEFF}, {"yellow", 0xFFFF00FF}};
  for (const auto& [name, value] : names)
    if (s == name) {
      rgba = value;
      return true;
    }
  return false;
}

}  // namespace xpm_detail

// Parses XPM text. On failure returns false with a one-line reason in `error`.
inline bool parse_xpm(std::string_view text, XpmPicture& out, std::string& error) {
  using namespace xpm_detail;
  std::vector<std::string> s = quoted_strings(text);
  if (s.empty()) {
    error = "no picture data";
    return false;
  }
  std::istringstream head(s[0]);
  long w = 0, h = 0, ncolours = 0, cpp = 0;
  if (!(head >> w >> h >> ncolours >> cpp) || w <= 0 || h <= 0 || ncolours <= 0 || cpp <= 0 ||
      w > 4096 || h > 4096 || cpp > 4 || ncolours > 65536) {
    error = "bad picture header";
    return false;
  }
  if (s.size() < static_cast<std::size_t>(1 + ncolours + h)) {
    error = "picture data is cut short";
    return false;
  }
  std::unordered_map<std::string, std::uint32_t> colours;
  for (long i = 0; i < ncolours; ++i) {
    const std::string& line = s[1 + i];
    if (line.size() < static_cast<std::size_t>(cpp)) {
      error = "bad colour line";
      return false;
    }
    std::string key = line.substr(0, cpp);
    // The colour follows the "c" visual key; take the last word after it.
    std::istringstream rest(line.substr(cpp));
    std::string word, value;
    bool after_c = false;
    while (rest >> word) {
      if (word == "c") {
        after_c = true;
        continue;
      }
      if (after_c) {
        value = word;
        after_c = false;
      }
    }
    std::uint32_t rgba = 0;
    if (value.empty() || !parse_colour(value, rgba)) {
      error = "unknown colour in line " + std::to_string(i + 2);
      return false;
    }
    colours[key] = rgba;
  }
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.rgba.assign(static_cast<std::size_t>(w * h * 4), 0);
  std::string key(static_cast<std::size_t>(cpp), ' ');
  for (long y = 0; y < h; ++y) {
    const std::string& row = s[1 + ncolours + y];
    if (row.size() < static_cast<std::size_t>(w * cpp)) {
      error = "picture row " + std::to_string(y + 1) + " is too short";
      return false;
    }
    for (long x = 0; x < w; ++x) {
      key.assign(row, static_cast<std::size_t>(x * cpp), static_cast<std::size_t>(cpp));
      auto it = colours.find(key);
      if (it == colours.end()) {
        error = "unknown pixel in row " + std::to_string(y + 1);
        return false;
      }
      std::uint8_t* p = &out.rgba[static_cast<std::size_t>((y * w + x) * 4)];
      p[0] = static_cast<std::uint8_t>(it->second >> 24);
      p[1] = static_cast<std::uint8_t>(it->second >> 16);
      p[2] = static_cast<std::uint8_t>(it->second >> 8);
      p[3] = static_cast<std::uint8_t>(it->second);
    }
  }
  return true;
}

inline bool read_xpm_file(const std::string& path, XpmPicture& out, std::string& error) {
  std::string text;
  if (!read_regular_file(path, text)) {
    error = "cannot open " + path;
    return false;
  }
  if (!parse_xpm(text, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace korav
