#include "files/stroke_font.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "base/regular_file.h"
#include "files/outline_font.h"

namespace korav {

namespace {

// Values a code takes in a stroke font file (code 7 belongs to outline fonts only).
int stroke_arguments(int code) { return code == kGlyphQuadratic ? -1 : glyph_arguments(code); }

// Walks the words of the file, character by character, handing each character's advance and
// commands to the sink; both passes of the reader use it, so they stop at the same place.
class Words {
 public:
  explicit Words(std::string_view data) : data_(data) {}

  // The next word as a number; false at the end (pos() at the end) or for a word that is no
  // number (pos() at the word).
  bool next(double& v) {
    while (pos_ < data_.size() && is_blank(data_[pos_])) ++pos_;
    word_ = pos_;
    if (pos_ >= data_.size()) return false;
    std::size_t end = pos_;
    while (end < data_.size() && !is_blank(data_[end])) ++end;
    const char* first = data_.data() + pos_;
    const char* last = data_.data() + end;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
    pos_ = end;
    return true;
  }
  bool at_end() const { return word_ >= data_.size(); }
  std::size_t word() const { return word_; }

 private:
  static bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  }
  std::string_view data_;
  std::size_t pos_ = 0;
  std::size_t word_ = 0;
};

// A file value in int16: x 100 for lengths, x 10 for angles, rounded; false beyond int16.
bool to_i16(double v, double factor, std::int16_t& out) {
  const double r = std::round(v * factor);
  if (!(r >= std::numeric_limits<std::int16_t>::min() &&
        r <= std::numeric_limits<std::int16_t>::max()))
    return false;
  out = static_cast<std::int16_t>(r);
  return true;
}

// One pass. With `store` null only counts the int16 values; otherwise stores them. Returns the
// number of values, and the number of characters read whole in `complete`.
std::size_t pass(std::string_view data, Font* store, StrokeFontDamage& damage, int& complete) {
  Words w(data);
  std::size_t n = 0;
  complete = 0;
  damage = {};
  auto fail = [&](int c, std::string_view what) {
    damage.damaged = true;
    damage.character = c;
    damage.offset = w.word();
    damage.what = what;
  };
  for (int c = kFirstGlyph; c < kGlyphCount; ++c) {
    const std::size_t char_start = n;
    double advance = 0;
    std::int16_t adv16 = 0;
    bool ok = true;
    if (!w.next(advance)) {
      fail(c, w.at_end() ? "ends early" : "not a number");
      ok = false;
    } else if (!to_i16(advance, 100, adv16)) {
      fail(c, "value out of range");
      ok = false;
    }
    while (ok) {
      double code_value = 0;
      if (!w.next(code_value)) {
        fail(c, w.at_end() ? "ends early" : "not a number");
        ok = false;
        break;
      }
      const bool whole = code_value >= 0 && code_value <= 7 && std::trunc(code_value) == code_value;
      const int code = whole ? static_cast<int>(code_value) : -1;
      const int args = whole ? stroke_arguments(code) : -1;
      if (args < 0) {
        fail(c, "unknown command");
        ok = false;
        break;
      }
      std::int16_t values[7] = {static_cast<std::int16_t>(code)};
      for (int a = 0; a < args && ok; ++a) {
        double v = 0;
        // Arc angles (the 4th and 5th argument) in tenths of a degree, all else x 100.
        const double factor = code == kGlyphArc && a >= 3 ? 10 : 100;
        if (!w.next(v)) {
          fail(c, w.at_end() ? "ends early" : "not a number");
          ok = false;
        } else if (!to_i16(v, factor, values[a + 1])) {
          fail(c, "value out of range");
          ok = false;
        }
      }
      if (!ok) break;
      if (code == kGlyphArc && values[5] == 0) values[5] = 3600;
      // The count pass stopped before a damaged character, so its values may not fit: they are
      // dropped with it anyway.
      if (store && n + args < store->commands.size())
        for (int a = 0; a <= args; ++a) store->commands[n + a] = values[a];
      n += 1 + args;
      if (code == kGlyphEnd) break;
    }
    if (!ok) {
      // The damaged character and all after it have no glyph; what it stored is dropped.
      n = char_start;
      return n;
    }
    if (store) {
      store->start[c] = static_cast<std::int32_t>(char_start);
      store->advance[c] = adv16;
    }
    ++complete;
  }
  return n;
}

}  // namespace

bool read_stroke_font(std::string_view data, Font& font, StrokeFontDamage& damage) {
  int complete = 0;
  const std::size_t count = pass(data, nullptr, damage, complete);
  if (complete == 0) return false;
  font.kind = kStrokeFont;
  font.start.fill(-1);
  font.advance.fill(0);
  font.commands.assign(count, 0);
  pass(data, &font, damage, complete);
  return true;
}

bool load_stroke_font(FontTable& t, int slot, std::string_view name) {
  if (slot < 0 || slot >= kFontSlots) return false;
  const std::string n(name);
  std::string data;
  if (!read_regular_file(t.directory + n, data)) {
    std::printf("Font %s is missing!\n", n.c_str());
    return false;
  }
  Font& f = t.slots[slot];
  StrokeFontDamage damage;
  const bool ok = read_stroke_font(data, f, damage);
  if (damage.damaged)
    std::printf("Font %s: %.*s at character %d (byte %zu)%s\n", n.c_str(),
                static_cast<int>(damage.what.size()), damage.what.data(), damage.character,
                damage.offset, ok ? ", read up to there" : ", not loaded");
  if (!ok) return false;
  f.name.set(name);
  return true;
}

std::vector<std::string> font_names(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(directory, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string n = it->path().filename().string();
    if (!n.empty() && n[0] != '.' && n.size() <= 20 && it->is_regular_file(ec))
      names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> outline = system_outline_fonts();
  for (std::string& n : outline)
    if (!std::binary_search(names.begin(), names.end(), n)) names.push_back(std::move(n));
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

bool is_outline_font_name(std::string_view name) {
  if (name.size() < 3) return false;
  const std::string_view last = name.substr(name.size() - 3);
  return last == "ttf" || last == "TTF" || last == "pfb";
}

bool load_font(FontTable& t, int slot, std::string_view name) {
  return is_outline_font_name(name) ? load_outline_font(t, slot, name)
                                    : load_stroke_font(t, slot, name);
}

void install_font_loader(FontTable& t, std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  t.directory = std::move(directory);
  t.loader = load_font;
}

}  // namespace korav
