#include "files/preset_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "base/text_file.h"
#include "model/pens.h"

namespace korav {

namespace {

constexpr int kLastPen = kPenCount - 1;
constexpr int kLastLineType = kLineTypeCount - 1;
constexpr int kLastUnitStyle = 12;  // feet and inches with denominator 1
constexpr int kLastMarkStyle = 2;   // arrowheads
constexpr int kLastByte = 255;

// The fields of one family in file order, for reading (P = Presets) and writing
// (P = const Presets). V has name(s), integer(v, lo, hi) and real(v).
template <class Opening, class V>
void opening_fields(Opening& o, V& v) {
  v.integer(o.subtype, 0, kLastByte);
  v.real(o.base);
  v.real(o.height);
  v.real(o.stop_width);
  v.real(o.stop_depth);
}

template <class P, class V>
void fields(PresetKind k, P& p, V& v) {
  switch (k) {
    case PresetKind::kText: {
      auto& t = p.text;
      v.name(t.font);
      v.real(t.line_spacing);
      v.real(t.char_width);
      v.real(t.char_space);
      v.integer(t.pen, 0, kLastPen);
      v.integer(t.line_type, 0, kLastLineType);
      break;
    }
    case PresetKind::kRoom: {
      auto& r = p.room;
      v.real(r.factor);
      v.real(r.base);
      v.real(r.height);
      v.integer(r.area, 0, 1);
      v.integer(r.volume, 0, 1);
      v.integer(r.description, 0, 1);
      v.integer(r.number, 0, 1);
      v.integer(r.pen, 0, kLastPen);
      v.integer(r.line_type, 0, kLastLineType);
      break;
    }
    case PresetKind::kPattern: {
      auto& a = p.pattern;
      v.integer(a.pen1, 0, kLastPen);
      v.integer(a.line_type1, 0, kLastLineType);
      v.integer(a.pen2, 0, kLastPen);
      v.integer(a.line_type2, 0, kLastLineType);
      v.real(a.spacing1);
      v.real(a.angle1);
      v.real(a.spacing2);
      v.real(a.angle2);
      v.integer(a.kind, 0, 3);
      v.real(a.red);
      v.real(a.green);
      v.real(a.blue);
      break;
    }
    case PresetKind::kWall: {
      auto& w = p.wall;
      v.name(w.material);
      v.real(w.thickness);
      v.real(w.base);
      v.real(w.height);
      v.integer(w.pen, 0, kLastPen);
      v.integer(w.line_type, 0, kLastLineType);
      break;
    }
    case PresetKind::kDoor: opening_fields(p.door, v); break;
    case PresetKind::kWindow: opening_fields(p.window, v); break;
    case PresetKind::kOpening: opening_fields(p.opening, v); break;
    case PresetKind::kLight: {
      auto& l = p.light;
      v.integer(l.spot, 0, 1);
      v.integer(l.shadow, 0, 1);
      v.real(l.size);
      v.real(l.angle);
      v.real(l.red);
      v.real(l.green);
      v.real(l.blue);
      v.real(l.shadow_intensity);
      break;
    }
    case PresetKind::kDim: {
      auto& d = p.dim;
      v.name(d.font);
      v.integer(d.pen, 0, kLastPen);
      v.integer(d.line_type, 0, kLastLineType);
      v.integer(d.display1, 0, kLastByte);
      v.integer(d.display2, 0, kLastByte);
      v.real(d.figure_height);
      v.real(d.spacing2);
      v.real(d.spacing1);
      v.real(d.spacing3);
      v.real(d.extension);
      v.integer(d.unit_style, 0, kLastUnitStyle);
      v.integer(d.mark_style, 0, kLastMarkStyle);
      break;
    }
  }
}

// Copies one family's values.
void take_family(PresetKind k, const Presets& from, Presets& to) {
  switch (k) {
    case PresetKind::kText: to.text = from.text; break;
    case PresetKind::kRoom: to.room = from.room; break;
    case PresetKind::kPattern: to.pattern = from.pattern; break;
    case PresetKind::kWall: to.wall = from.wall; break;
    case PresetKind::kDoor: to.door = from.door; break;
    case PresetKind::kWindow: to.window = from.window; break;
    case PresetKind::kOpening: to.opening = from.opening; break;
    case PresetKind::kLight: to.light = from.light; break;
    case PresetKind::kDim: to.dim = from.dim; break;
  }
}

std::string_view trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

bool real_ok(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxPresetReal; }

// Takes values line by line until the first damage; after it every field keeps what it had.
// A NUL or a carriage return that is not part of a line end is damage.
class FieldReader {
 public:
  explicit FieldReader(Reader& r) : r_(r) {}

  void name(std::string& s) {
    if (next_line(true)) take(line_, s);
  }
  void integer(int& v, int lo, int hi) {
    if (!next_line(false)) return;
    std::string_view t = trimmed(line_);
    int x = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), x);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty() || x < lo || x > hi)
      return damaged();
    take(x, v);
  }
  void real(double& v) {
    if (!next_line(false)) return;
    std::string_view t = trimmed(line_);
    double x = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), x);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty() || !real_ok(x))
      return damaged();
    take(x, v);
  }

  bool whole() const { return ok_; }
  int values() const { return values_; }

 private:
  bool next_line(bool latin1) {
    if (!ok_) return false;
    LineResult res = read_line(r_, line_, latin1);
    bool ended = res.status == LineStatus::kEnd && line_.empty();
    if (res.status == LineStatus::kTooLong || ended || r_.io_error() ||
        line_.find_first_of(std::string_view("\0\r", 2)) != std::string::npos) {
      damaged();
      return false;
    }
    return true;
  }
  template <class T>
  void take(const T& from, T& to) {
    to = from;
    ++values_;
  }
  void damaged() { ok_ = false; }

  Reader& r_;
  std::string line_;
  bool ok_ = true;
  int values_ = 0;
};

// Formats every field into one text; refuses what FieldReader would not take back.
class FieldWriter {
 public:
  void name(const std::string& s) {
    std::string l = utf8_to_latin1(s);
    if (l.size() >= kMaxLineBytes || l.find_first_of(std::string_view("\n\r\0", 3)) != l.npos)
      ok_ = false;
    text_ += l;
    text_ += '\n';
  }
  void integer(int v, int lo, int hi) {
    if (v < lo || v > hi) ok_ = false;
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    text_.append(buf, res.ptr);
    text_ += '\n';
  }
  void real(double v) {
    // The "%f" text of the C locale, whatever the locale of the program.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    if (!real_ok(v) || res.ec != std::errc()) {
      ok_ = false;
      return;
    }
    text_.append(buf, res.ptr);
    text_ += '\n';
  }

  bool ok() const { return ok_; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  bool ok_ = true;
};

// Opens a regular file for reading without waiting on a pipe or device; -1 otherwise.
int open_regular(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string preset_directory(std::string_view dialog_dir, PresetKind k) {
  std::string dir(dialog_dir.empty() ? std::string_view(".") : dialog_dir);
  if (dir.back() != '/') dir += '/';
  dir += preset_kind_info(k).directory;
  return dir;
}

std::string preset_path(std::string_view dialog_dir, PresetKind k, std::string_view name) {
  std::string path = preset_directory(dialog_dir, k);
  path += '/';
  path += name;
  return path;
}

std::string_view check_preset_name(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.size() > 255) return kMsgInvalidPresetName;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7f) return kMsgInvalidPresetName;
  return {};
}

PresetReadResult read_preset(Reader& r, PresetKind k, Presets& p) {
  Presets read;  // the shipped defaults for whatever the file does not hold
  FieldReader fr(r);
  fields(k, read, fr);
  take_family(k, read, p);
  return {fr.whole() ? PresetRead::kRead : PresetRead::kDamaged, fr.values()};
}

bool write_preset(Writer& w, PresetKind k, const Presets& p) {
  FieldWriter fw;
  fields(k, p, fw);
  if (!fw.ok()) return false;
  return w.bytes(fw.text().data(), fw.text().size()) && w.ok();
}

PresetReadResult load_preset(std::string_view dialog_dir, PresetKind k, std::string_view name,
                             Presets& p) {
  if (!check_preset_name(name).empty()) return {};
  int fd = open_regular(preset_path(dialog_dir, k, name));
  if (fd < 0) return {};
  PresetReadResult res;
  {
    Reader r(fd);
    res = read_preset(r, k, p);
  }
  ::close(fd);
  p.name(k) = std::string(name);
  return res;
}

WriteStatus save_preset(std::string_view dialog_dir, PresetKind k, std::string_view name,
                        Presets& p) {
  if (!check_preset_name(name).empty()) return WriteStatus::kCannotOpen;
  ::mkdir(preset_directory(dialog_dir, k).c_str(), 0777);  // if it is there already, fine
  WriteStatus st = write_file_safely(preset_path(dialog_dir, k, name),
                                     [&](Writer& w) { return write_preset(w, k, p); });
  if (st == WriteStatus::kOk) p.name(k) = std::string(name);
  return st;
}

std::vector<std::string> list_presets(std::string_view dialog_dir, PresetKind k) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(preset_directory(dialog_dir, k), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string n = it->path().filename().string();
    std::error_code type_ec;
    if (check_preset_name(n).empty() && it->is_regular_file(type_ec)) names.push_back(std::move(n));
  }
  std::sort(names.begin(), names.end());
  auto d = std::find(names.begin(), names.end(), kDefaultPresetName);
  if (d != names.end()) std::rotate(names.begin(), d, d + 1);
  return names;
}

bool delete_preset(std::string_view dialog_dir, PresetKind k, std::string_view name) {
  if (name == kDefaultPresetName || !check_preset_name(name).empty()) return false;
  const std::string path = preset_path(dialog_dir, k, name);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

}  // namespace korav
