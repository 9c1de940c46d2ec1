#include "files/drawing_file.h"

#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/messages.h"
#include "base/regular_file.h"
#include "files/safe_write.h"
#include "model/element_points.h"
#include "model/projection.h"

namespace korav {

// ---------------------------------------------------------------------------------------------
// Files

FileReader::FileReader(const std::string& path) {
  fd_ = open_regular_file(path);
  if (fd_ >= 0) reader_.emplace(fd_);
}

FileReader::~FileReader() {
  reader_.reset();
  if (fd_ >= 0) ::close(fd_);
}

namespace {

constexpr std::uint32_t code(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3]));
}

std::uint32_t code(const ChunkKey& k) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(k[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(k[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(k[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(k[3]));
}

// Fixed body lengths of the element chunks (element head included) and per-item tail sizes.
constexpr std::uint32_t kLenLine = 38, kLenLin3 = 54, kLenCirc = 62, kLenTex2 = 92, kLenDim3 = 84,
                        kLenWall = 295, kLenPat2 = 101, kLenRoo2 = 283, kLenSpli = 70,
                        kLenObj3 = 55, kLenOcam = 66, kLenLig2 = 104;
constexpr std::uint32_t kDimPointLen = 80, kWallLineLen = 32, kOpeningLen = 227, kPointLen = 16;

}  // namespace

std::uint32_t read_header(Reader& r) {
  ChunkKey k;
  if (!r.key(k)) return 0;
  std::string_view key = key_view(k);
  std::uint32_t length = 0, version = 0;
  if (key == kKeyOld) {
    r.set_old_format(true);
  } else if (key == kKeyCurrent) {
    r.set_old_format(false);
  } else {
    return 0;
  }
  if (!r.length(length) || !r.u32(version)) return 0;
  if (length > 4) r.skip(length - 4);  // a longer header of a later version
  return version;
}

// ---------------------------------------------------------------------------------------------
// Reading elements

namespace {

// Old font numbers of TEXT, DIMC and ROOM.
std::string_view font_name_of(unsigned n) {
  static constexpr std::string_view names[] = {"Simpel",   "Freihand", "Rund",     "SimpelProp",
                                               "RundProp", "Outline",  "Filled_1", "Filled_2",
                                               "Filled_3", "Filled_4", "Filled_5", "Filled_6"};
  return n < std::size(names) ? names[n] : std::string_view("");
}

struct Head {
  std::uint16_t layer = 0, group = 0;
  std::uint8_t pen = 0, line_type = 0;
};

// Scratch space for the variable parts of one element, reused from chunk to chunk.
struct Scratch {
  std::vector<DimPoint> dim;
  std::vector<OutlineLine> lines;
  std::vector<Opening> openings;
  std::vector<Point2> points;
  std::vector<std::uint32_t> faces, indices;
  std::vector<Point3> vertices;
  std::string text;
};

enum class Outcome { kCreated, kRefused, kDamaged };

bool p2(Reader& r, Point2& p) { return r.f64(p.x) && r.f64(p.y); }
bool p3(Reader& r, Point3& p) { return r.f64(p.x) && r.f64(p.y) && r.f64(p.z); }

// Reads n items into v (which only grows, and only as far as the data really goes, so that a
// count from a cut file cannot make it allocate more than twice what the file holds).
template <class T, class F>
bool read_items(std::vector<T>& v, std::uint64_t n, F&& read_one) {
  for (std::uint64_t i = 0; i < n; ++i) {
    if (i == v.size()) {
      std::uint64_t want = v.size() < 256 ? 256 : 2 * v.size();
      v.resize(static_cast<std::size_t>(want < n ? want : n));
    }
    if (!read_one(v[static_cast<std::size_t>(i)])) return false;
  }
  return true;
}

// The rest of the chunk as a string, up to its first NUL.
bool read_rest_as_text(Reader& r, std::string& s) {
  const std::uint64_t n = r.left_in_limit();
  s.clear();
  while (s.size() < n) {
    std::uint64_t step = n - s.size();
    std::uint64_t cap = s.size() < 4096 ? 4096 : s.size();
    if (step > cap) step = cap;
    std::size_t old = s.size();
    s.resize(old + static_cast<std::size_t>(step));
    if (!r.bytes(s.data() + old, static_cast<std::size_t>(step))) return false;
  }
  s.resize(strnlen(s.data(), s.size()));
  return true;
}

bool fits(Reader& r, std::uint64_t bytes) { return bytes <= r.left_in_limit(); }

class ElementReader {
 public:
  ElementReader(Reader& r, Drawing& d, int selection, ChunkReadState& state, ReadResult& res)
      : r_(r), d_(d), selection_(static_cast<std::uint8_t>(selection)), state_(state), res_(res) {}

  // nullopt when the key is no element key.
  std::optional<Outcome> read(const ChunkKey& key) {
    switch (code(key)) {
      case code("LINE"): return line();
      case code("LIN3"): return line3d();
      case code("CIRC"): return circle();
      case code("TEX2"): return text(false);
      case code("TEXT"): return text(true);
      case code("DIM3"): return dimension(false);
      case code("DIMC"): return dimension(true);
      case code("WALL"): return wall();
      case code("PAT2"): return pattern(false);
      case code("PATT"): return pattern(true);
      case code("ROO2"): return room(false);
      case code("ROOM"): return room(true);
      case code("SPLI"): return spline();
      case code("OBJ3"): return object3d();
      case code("OCAM"): return camera();
      case code("LIG2"): return light(2);
      case code("LIGH"): return light(1);
      case code("LIGT"): return light(0);
      default: return std::nullopt;
    }
  }

 private:
  bool head() {
    if (!(r_.u16(h_.layer) && r_.u16(h_.group) && r_.u8(h_.pen) && r_.u8(h_.line_type)))
      return false;
    h_.layer = static_cast<std::uint16_t>(state_.layer(h_.layer));
    return true;
  }
  template <class T>
  T fields() const {
    return make_element<T>(h_.layer, h_.pen, h_.line_type);
  }
  Outcome created(Element* e) {
    if (!e) return Outcome::kRefused;
    e->group = h_.group;
    e->selected = selection_;
    ++d_.store.element_counter;
    ++res_.elements;
    return Outcome::kCreated;
  }
  bool old_font(FixedName<21>& font) {
    std::uint8_t n;
    if (!r_.u8(n)) return false;
    font.set(font_name_of(n));
    return true;
  }

  Outcome line() {
    if (!head()) return Outcome::kDamaged;
    Line f = fields<Line>();
    if (!(p2(r_, f.start) && p2(r_, f.end))) return Outcome::kDamaged;
    return created(create(d_.store, f));
  }

  Outcome line3d() {
    if (!head()) return Outcome::kDamaged;
    Line3D f = fields<Line3D>();
    if (!(p3(r_, f.start) && p3(r_, f.end))) return Outcome::kDamaged;
    return created(create(d_.store, f));
  }

  Outcome circle() {
    if (!head()) return Outcome::kDamaged;
    Circle c = fields<Circle>();
    if (!(p2(r_, c.centre) && r_.f64(c.radius1) && r_.f64(c.radius2) && r_.f64(c.sweep) &&
          r_.f64(c.start_angle) && r_.f64(c.axis_angle)))
      return Outcome::kDamaged;
    return created(create(d_.store, c));
  }

  // TEX2, or the old TEXT with a font number. The text is what the chunk holds after the
  // fields, up to its NUL.
  Outcome text(bool old) {
    if (!head()) return Outcome::kDamaged;
    Text t = fields<Text>();
    bool ok = p2(r_, t.pos);
    if (old) ok = ok && old_font(t.font) && r_.u8(t.align);
    else ok = ok && r_.name(t.font) && r_.u8(t.align);
    ok = ok && r_.f64(t.angle) && r_.f64(t.height) && r_.f64(t.width_factor) && r_.f64(t.spacing) &&
         r_.f64(t.line_spacing) && r_.f64(t.fitted_width) && read_rest_as_text(r_, s_.text);
    if (!ok) return Outcome::kDamaged;
    return created(create_text(d_.store, t, s_.text));
  }

  Outcome dimension(bool old) {
    if (!head()) return Outcome::kDamaged;
    Dimension m = fields<Dimension>();
    bool ok = old ? old_font(m.font) : r_.name(m.font);
    ok = ok && r_.u8(m.unit_style) && r_.u8(m.mark_style) && r_.f64(m.direction) &&
         r_.f64(m.figure_height) && r_.f64(m.spacing[0]) && r_.f64(m.spacing[1]) &&
         r_.f64(m.spacing[2]) && r_.u8(m.display[0]) && r_.u8(m.display[1]) &&
         r_.f64(m.extension) && r_.u32(m.count);
    if (ok && !old) ok = r_.u8(m.kind);
    if (!ok || !fits(r_, std::uint64_t{m.count} * kDimPointLen)) return Outcome::kDamaged;
    if (!read_items(s_.dim, m.count, [&](DimPoint& p) {
          p = DimPoint{};
          return p2(r_, p.foot) && p2(r_, p.measured) && r_.f64(p.distance) &&
                 r_.f64(p.override_value) && r_.f64(p.height_figure) && r_.f64(p.extra[0]) &&
                 r_.f64(p.extra[1]) && r_.f64(p.extra[2]);
        }))
      return Outcome::kDamaged;
    return created(create_dimension(d_.store, m, {s_.dim.data(), m.count}));
  }

  Outcome wall() {
    if (!head()) return Outcome::kDamaged;
    Wall w = fields<Wall>();
    bool ok = true;
    for (auto& c : w.corner) ok = ok && p3(r_, c);
    ok = ok && r_.u32(w.line_count) && r_.u32(w.opening_count) && r_.name(w.material) &&
         r_.u8(w.gable) && p3(r_, w.gable_point[0]) && p3(r_, w.gable_point[1]);
    if (!ok || !fits(r_, std::uint64_t{w.line_count} * kWallLineLen +
                             std::uint64_t{w.opening_count} * kOpeningLen))
      return Outcome::kDamaged;
    if (!read_items(s_.lines, w.line_count, [&](OutlineLine& l) {
          l = OutlineLine{};
          return p2(r_, l.start) && p2(r_, l.end);
        }))
      return Outcome::kDamaged;
    if (!read_items(s_.openings, w.opening_count, [&](Opening& o) {
          o = Opening{};
          for (auto& c : o.corner)
            if (!p3(r_, c)) return false;
          return r_.u8(o.kind) && r_.u8(o.subtype) && r_.u8(o.leaf_side) && r_.f64(o.base) &&
                 r_.f64(o.height) && r_.f64(o.stop_width) && r_.f64(o.stop_depth);
        }))
      return Outcome::kDamaged;
    return created(create_wall(d_.store, w, {s_.lines.data(), w.line_count},
                               {s_.openings.data(), w.opening_count}));
  }

  bool outline(std::uint32_t n) {
    if (!fits(r_, std::uint64_t{n} * kPointLen)) return false;
    return read_items(s_.points, n, [&](Point2& p) {
      p = Point2{};
      return p2(r_, p);
    });
  }

  // PAT2, or the old PATT without kind and colour.
  Outcome pattern(bool old) {
    if (!head()) return Outcome::kDamaged;
    Pattern p = fields<Pattern>();
    bool ok = r_.u8(p.pen2) && r_.u8(p.line_type2) && p2(r_, p.origin) && p2(r_, p.offset) &&
              r_.f64(p.angle1) && r_.f64(p.spacing1) && r_.f64(p.angle2) && r_.f64(p.spacing2) &&
              r_.u32(p.count);
    if (ok && !old) ok = r_.u8(p.kind) && r_.f64(p.red) && r_.f64(p.green) && r_.f64(p.blue);
    if (ok && old) {
      p.kind = p.spacing2 != 0 ? 1 : 0;
      if (h_.line_type == kLineTypePoints) p.kind = 2;
    }
    if (!ok || !outline(p.count)) return Outcome::kDamaged;
    return created(create_pattern(d_.store, p, {s_.points.data(), p.count}));
  }

  // ROO2, or the old ROOM with a font number.
  Outcome room(bool old) {
    if (!head()) return Outcome::kDamaged;
    Room m = fields<Room>();
    bool ok = p2(r_, m.pos) && (old ? old_font(m.font) : r_.name(m.font)) && r_.f64(m.angle) &&
              r_.f64(m.height) && r_.f64(m.width_factor) && r_.f64(m.spacing) &&
              r_.f64(m.line_spacing) && r_.name(m.description) && r_.name(m.number) &&
              r_.f64(m.factor) && r_.f64(m.base) && r_.f64(m.top) && r_.u8(m.show_area) &&
              r_.u8(m.show_volume) && r_.u8(m.show_description) && r_.u8(m.show_number) &&
              r_.u32(m.count);
    if (!ok || !outline(m.count)) return Outcome::kDamaged;
    return created(create_room(d_.store, m, {s_.points.data(), m.count}));
  }

  Outcome spline() {
    if (!head()) return Outcome::kDamaged;
    Spline s = fields<Spline>();
    for (auto& p : s.p)
      if (!p2(r_, p)) return Outcome::kDamaged;
    return created(create(d_.store, s));
  }

  Outcome object3d() {
    if (!head()) return Outcome::kDamaged;
    Object3D o = fields<Object3D>();
    if (!(r_.name(o.material) && r_.u32(o.vertex_count) && r_.u32(o.face_count) && r_.u8(o.option)))
      return Outcome::kDamaged;
    const std::uint64_t vertex_bytes = std::uint64_t{o.vertex_count} * 24;
    if (!fits(r_, std::uint64_t{o.face_count} * 4 + vertex_bytes)) return Outcome::kDamaged;
    std::uint64_t index_count = 0;
    if (!read_items(s_.faces, o.face_count, [&](std::uint32_t& n) {
          if (!r_.u32(n)) return false;
          index_count += n;
          return true;
        }))
      return Outcome::kDamaged;
    if (!fits(r_, vertex_bytes + index_count * 4)) return Outcome::kDamaged;
    if (!read_items(s_.vertices, o.vertex_count,
                    [&](Point3& p) {
                      p = Point3{};
                      return p3(r_, p);
                    }) ||
        !read_items(s_.indices, index_count, [&](std::uint32_t& i) { return r_.u32(i); }))
      return Outcome::kDamaged;
    return created(create_object3d(d_.store, o, {s_.faces.data(), o.face_count},
                                   {s_.vertices.data(), o.vertex_count},
                                   {s_.indices.data(), static_cast<std::size_t>(index_count)}));
  }

  Outcome camera() {
    if (!head()) return Outcome::kDamaged;
    Camera c = fields<Camera>();
    if (!(p3(r_, c.eye) && p3(r_, c.target) && r_.f64(c.lens_angle) && r_.u32(c.active)))
      return Outcome::kDamaged;
    Camera* cam = create(d_.store, c);
    Outcome out = created(cam);
    if (cam->active == 1) activate(cam);
    else if (cam->active != 0) active_cameras_.push_back(cam);
    return out;
  }

  // The new camera is the active one: every other camera's active value is cleared. Cameras
  // that were in the store before this read are walked once; later ones are remembered.
  // The 3D view is not touched here: the caller sets it from ReadResult::active_camera.
  void activate(Camera* cam) {
    if (!walked_store_) {
      for (Element& e : d_.store.list)
        if (auto* other = as<Camera>(&e); other && other != cam) other->active = 0;
      walked_store_ = true;
    } else {
      for (Camera* other : active_cameras_) other->active = 0;
    }
    active_cameras_.clear();
    active_cameras_.push_back(cam);
    res_.active_camera = cam;
  }

  // LIG2 (layout 2), LIGH (1) and LIGT (0).
  Outcome light(int layout) {
    if (!head()) return Outcome::kDamaged;
    Light l = fields<Light>();
    bool ok = p3(r_, l.pos);
    if (layout == 0) {
      ok = ok && r_.u8(l.spot);
      l.shadow = 1;
      l.red = l.green = l.blue = 1;
      l.shadow_intensity = 1;
    } else {
      ok = ok && p3(r_, l.target) && r_.u8(l.spot) && r_.u8(l.shadow) && r_.f64(l.red) &&
           r_.f64(l.green) && r_.f64(l.blue) && r_.f64(l.size) && r_.f64(l.spot_angle);
      if (layout == 2) ok = ok && r_.f64(l.shadow_intensity);
      else l.shadow_intensity = 1;
    }
    if (!ok) return Outcome::kDamaged;
    return created(create(d_.store, l));
  }

  Reader& r_;
  Drawing& d_;
  std::uint8_t selection_;
  ChunkReadState& state_;
  ReadResult& res_;
  Head h_;
  Scratch s_;
  bool walked_store_ = false;
  std::vector<Camera*> active_cameras_;
};

void damaged_at(ReadResult& res, std::uint64_t offset) {
  res.damaged = true;
  res.damage_offset = offset;
}

}  // namespace

ReadResult read_chunks(Reader& r, Drawing& d, int selection) {
  ReadResult res;
  ChunkReadState state;
  ElementReader elements(r, d, selection, state, res);
  for (;;) {
    r.clear_limit();
    const std::uint64_t start = r.position();
    if (r.at_end()) {
      if (r.io_error()) damaged_at(res, start);
      break;
    }
    ChunkKey key;
    if (!r.key(key)) {
      damaged_at(res, start);
      break;
    }
    std::uint32_t length;
    if (!r.length(length)) {
      damaged_at(res, start);
      break;
    }
    const std::uint64_t end = r.position() + length;
    r.set_limit(end);
    if (auto outcome = elements.read(key)) {
      if (*outcome == Outcome::kDamaged) {
        damaged_at(res, start);
        break;
      }
      if (*outcome == Outcome::kRefused) {
        ++res.refused;
        std::printf("element not loaded *%.4s* size:%u\n", key.data(), length);
      }
    } else if (read_settings_chunk(r, key, length, d, state) == ChunkOutcome::kUnknown) {
      std::printf("unknown key *%.4s* size:%d\n", key.data(), static_cast<int>(length));
    }
    // Whatever the chunk's reader took, the next chunk begins at this one's end.
    if (r.position() > end || !r.skip(end - r.position())) {
      damaged_at(res, start);
      break;
    }
  }
  r.clear_limit();
  // The index takes on what was read now, so that the first click after a load does not wait.
  d.indexed();
  return res;
}

// ---------------------------------------------------------------------------------------------
// Writing

bool write_header(Writer& w) { return w.key(kKeyCurrent, 4) && w.u32(kFormatVersion); }

namespace {

bool put2(Writer& w, const Point2& p) { return w.f64(p.x) && w.f64(p.y); }
bool put3(Writer& w, const Point3& p) { return w.f64(p.x) && w.f64(p.y) && w.f64(p.z); }

// True when `name` is "<word> <n>".
bool is_numbered(std::string_view name, std::string_view word, int n) {
  if (name.size() <= word.size() || name.substr(0, word.size()) != word || name[word.size()] != ' ')
    return false;
  char digits[16];
  auto res = std::to_chars(digits, digits + sizeof digits, n);
  return name.substr(word.size() + 1) ==
         std::string_view(digits, static_cast<std::size_t>(res.ptr - digits));
}

// A layer keeps its default name ("Layer 5", in the current language or the old "Ebene 5").
bool is_default_layer_name(int n, std::string_view name, std::string_view translated_word) {
  return is_numbered(name, translated_word, n) || is_numbered(name, "Layer", n) ||
         is_numbered(name, "Ebene", n);
}

bool written_in_drawing(const Element& e) {
  return e.layer != kTempLayer && e.layer != kPlacingLayer;
}

bool write_elements(Writer& w, const Drawing& d, bool all, int selection) {
  for (const Element& e : d.store.list) {
    if (all ? !written_in_drawing(e) : e.selected != selection) continue;
    if (!write_element(w, e)) {
      std::puts("e1");
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint64_t element_chunk_length(const Element& e) {
  if (!tail_intact(e)) return 0;  // a damaged record is not written
  switch (e.type) {
    case kLine: return kLenLine;
    case kLine3D: return kLenLin3;
    case kCircle: return kLenCirc;
    case kText: return kLenTex2 + text_of(static_cast<const Text&>(e)).size() + 1;
    case kDimension:
      return kLenDim3 + std::uint64_t{kDimPointLen} * static_cast<const Dimension&>(e).count;
    case kWall: {
      auto& wl = static_cast<const Wall&>(e);
      return kLenWall + std::uint64_t{kWallLineLen} * wl.line_count +
             std::uint64_t{kOpeningLen} * wl.opening_count;
    }
    case kPattern:
      return kLenPat2 + std::uint64_t{kPointLen} * static_cast<const Pattern&>(e).count;
    case kRoom: return kLenRoo2 + std::uint64_t{kPointLen} * static_cast<const Room&>(e).count;
    case kSpline: return kLenSpli;
    case kObject3D: {
      auto& o = static_cast<const Object3D&>(e);
      return kLenObj3 +
             4 * (std::uint64_t{o.face_count} + 6 * std::uint64_t{o.vertex_count} + o.index_count);
    }
    case kCamera: return kLenOcam;
    case kLight: return kLenLig2;
    default: return 0;
  }
}

bool write_element(Writer& w, const Element& e) {
  const std::uint64_t len = element_chunk_length(e);
  if (len == 0 || len > 0xFFFFFFFFu) return false;
  const bool ok = w.key(element_key(e.type), static_cast<std::uint32_t>(len)) && w.u16(e.layer) &&
                  w.u16(e.group) && w.u8(e.pen) && w.u8(e.line_type);
  if (!ok) return false;
  switch (e.type) {
    case kLine: {
      auto& l = static_cast<const Line&>(e);
      return put2(w, l.start) && put2(w, l.end);
    }
    case kLine3D: {
      auto& l = static_cast<const Line3D&>(e);
      return put3(w, l.start) && put3(w, l.end);
    }
    case kCircle: {
      auto& c = static_cast<const Circle&>(e);
      return put2(w, c.centre) && w.f64(c.radius1) && w.f64(c.radius2) && w.f64(c.sweep) &&
             w.f64(c.start_angle) && w.f64(c.axis_angle);
    }
    case kText: {
      auto& t = static_cast<const Text&>(e);
      return put2(w, t.pos) && w.name(t.font) && w.u8(t.align) && w.f64(t.angle) &&
             w.f64(t.height) && w.f64(t.width_factor) && w.f64(t.spacing) &&
             w.f64(t.line_spacing) && w.f64(t.fitted_width) && w.string(text_of(t));
    }
    case kDimension: {
      auto& m = static_cast<const Dimension&>(e);
      bool ok2 = w.name(m.font) && w.u8(m.unit_style) && w.u8(m.mark_style) && w.f64(m.direction) &&
                 w.f64(m.figure_height) && w.f64(m.spacing[0]) && w.f64(m.spacing[1]) &&
                 w.f64(m.spacing[2]) && w.u8(m.display[0]) && w.u8(m.display[1]) &&
                 w.f64(m.extension) && w.u32(m.count) && w.u8(m.kind);
      for (const DimPoint& p : dimension_points(m)) {
        if (!ok2) break;
        ok2 = put2(w, p.foot) && put2(w, p.measured) && w.f64(p.distance) &&
              w.f64(p.override_value) && w.f64(p.height_figure) && w.f64(p.extra[0]) &&
              w.f64(p.extra[1]) && w.f64(p.extra[2]);
      }
      return ok2;
    }
    case kWall: {
      auto& wl = static_cast<const Wall&>(e);
      bool ok2 = true;
      for (const auto& c : wl.corner) ok2 = ok2 && put3(w, c);
      ok2 = ok2 && w.u32(wl.line_count) && w.u32(wl.opening_count) && w.name(wl.material) &&
            w.u8(wl.gable) && put3(w, wl.gable_point[0]) && put3(w, wl.gable_point[1]);
      for (const OutlineLine& l : wall_lines(wl)) ok2 = ok2 && put2(w, l.start) && put2(w, l.end);
      for (const Opening& o : wall_openings(wl)) {
        for (const auto& c : o.corner) ok2 = ok2 && put3(w, c);
        ok2 = ok2 && w.u8(o.kind) && w.u8(o.subtype) && w.u8(o.leaf_side) && w.f64(o.base) &&
              w.f64(o.height) && w.f64(o.stop_width) && w.f64(o.stop_depth);
      }
      return ok2;
    }
    case kPattern: {
      auto& p = static_cast<const Pattern&>(e);
      bool ok2 = w.u8(p.pen2) && w.u8(p.line_type2) && put2(w, p.origin) && put2(w, p.offset) &&
                 w.f64(p.angle1) && w.f64(p.spacing1) && w.f64(p.angle2) && w.f64(p.spacing2) &&
                 w.u32(p.count) && w.u8(p.kind) && w.f64(p.red) && w.f64(p.green) && w.f64(p.blue);
      for (const Point2& q : outline_points(p)) ok2 = ok2 && put2(w, q);
      return ok2;
    }
    case kRoom: {
      auto& m = static_cast<const Room&>(e);
      bool ok2 = put2(w, m.pos) && w.name(m.font) && w.f64(m.angle) && w.f64(m.height) &&
                 w.f64(m.width_factor) && w.f64(m.spacing) && w.f64(m.line_spacing) &&
                 w.name(m.description) && w.name(m.number) && w.f64(m.factor) && w.f64(m.base) &&
                 w.f64(m.top) && w.u8(m.show_area) && w.u8(m.show_volume) &&
                 w.u8(m.show_description) && w.u8(m.show_number) && w.u32(m.count);
      for (const Point2& q : outline_points(m)) ok2 = ok2 && put2(w, q);
      return ok2;
    }
    case kSpline: {
      auto& s = static_cast<const Spline&>(e);
      return put2(w, s.p[0]) && put2(w, s.p[1]) && put2(w, s.p[2]) && put2(w, s.p[3]);
    }
    case kObject3D: {
      auto& o = static_cast<const Object3D&>(e);
      bool ok2 =
          w.name(o.material) && w.u32(o.vertex_count) && w.u32(o.face_count) && w.u8(o.option);
      for (std::uint32_t n : mesh_face_sizes(o)) ok2 = ok2 && w.u32(n);
      for (const Point3& v : mesh_vertices(o)) ok2 = ok2 && put3(w, v);
      for (std::uint32_t i : mesh_indices(o)) ok2 = ok2 && w.u32(i);
      return ok2;
    }
    case kCamera: {
      auto& c = static_cast<const Camera&>(e);
      return put3(w, c.eye) && put3(w, c.target) && w.f64(c.lens_angle) && w.u32(c.active);
    }
    case kLight: {
      auto& l = static_cast<const Light&>(e);
      return put3(w, l.pos) && put3(w, l.target) && w.u8(l.spot) && w.u8(l.shadow) &&
             w.f64(l.red) && w.f64(l.green) && w.f64(l.blue) && w.f64(l.size) &&
             w.f64(l.spot_angle) && w.f64(l.shadow_intensity);
    }
    default: return false;
  }
}

bool write_drawing(Writer& w, const Drawing& d) {
  if (!write_header(w) || !write_settings(w, d)) return false;

  const std::string layer_word(translate("Layer"));
  std::array<bool, kLayerCount> used{};
  for (const Element& e : d.store.list)
    if (e.layer < kLayerCount) used[e.layer] = true;
  for (int n = 0; n < kLayerCount; ++n) {
    const Layer& l = d.layers.layer[n];
    if (!used[n] && is_default_layer_name(n, l.name.view(), layer_word)) continue;
    if (!(w.key("LAY3", kLay3Length) && w.u32(static_cast<std::uint32_t>(n)) && w.name(l.name) &&
          w.u8(l.state) && w.f64(l.value)))
      return false;
  }
  if (!w.key("LAYG", kLaygLength)) return false;
  for (const auto& name : d.layers.list_names)
    if (!w.name(name)) return false;
  for (const LayerSet& s : d.layers.sets)
    if (!(w.key("LAS3", kLas3Length) && w.name(s.name) &&
          w.bytes(s.states.data(), s.states.size()) && w.u32(s.layer)))
      return false;
  return write_elements(w, d, true, 0);
}

bool write_selected(Writer& w, const Drawing& d, int selection) {
  return write_header(w) && write_elements(w, d, false, selection);
}

// ---------------------------------------------------------------------------------------------
// Commands

std::string drawing_file_name(std::string name) {
  if (name.find(".krv") == std::string::npos && name.find(".KRV") == std::string::npos)
    name += kDrawingExtension;
  return name;
}

std::string backup_file_name(const std::string& drawing) { return drawing + ".bak"; }

namespace {

std::string unnamed_file(const Drawing& d) {
  std::string dir(d.settings.paths[0].view());
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + "Unnamed.krv";
}

void show_write_failure(Ui& ui, WriteStatus st, std::string_view open_message) {
  if (st == WriteStatus::kCannotOpen) ui.error_box(open_message);
  if (st == WriteStatus::kCannotWrite) ui.error_box(kMsgCannotWrite);
}

}  // namespace

void report_damage(Ui& ui, const ReadResult& res) {
  std::string format(translate(kMsgDamaged));
  std::vector<char> buf(format.size() + 32);
  std::snprintf(buf.data(), buf.size(), format.c_str(),
                static_cast<unsigned long long>(res.damage_offset));
  ui.error_box_filled(buf.data());
}

LoadStatus load_drawing(Drawing& d, Ui& ui, std::optional<std::string> path, ReadResult* details) {
  if (details) *details = ReadResult{};
  if (d.store.modified) {
    static constexpr std::string_view buttons[] = {"Yes", "Cancel"};
    if (ui.question(kMsgReallyDeleteAll, buttons) != 1) return LoadStatus::kCancelled;
  }
  if (!path) {
    path = ui.choose_file("Load Drawing...", d.settings.paths[0].view(), false);
    if (!path) return LoadStatus::kCancelled;
  }
  // The drawing is cleared before the file is opened, so a failed open leaves it empty. An
  // empty drawing then has no file of its own: a later save must not overwrite the previous
  // drawing's file, nor a file that was refused.
  d.clear();
  d.store.modified = false;
  FileReader file(*path);
  if (!file.is_open()) {
    d.file_name = unnamed_file(d);
    ui.error_box(kMsgCannotOpen);
    return LoadStatus::kFailed;
  }
  const std::uint32_t version = read_header(file.reader());
  if (version == 0) {
    d.file_name = unnamed_file(d);
    ui.error_box(kMsgNotNative);
    return LoadStatus::kFailed;
  }
  d.file_name = *path;
  if (version > kFormatVersion) {
    std::string format(translate(kMsgFormatConverted));
    char text[256];
    std::snprintf(text, sizeof text, format.c_str(), version / 100.0, kFormatVersion / 100.0);
    ui.message_box_filled(text);
  }
  ReadResult res = read_chunks(file.reader(), d, 0);
  if (res.active_camera) d.camera = view_camera(*res.active_camera);
  d.store.modified = false;
  d.undo.clear(d.store);
  if (details) *details = res;
  if (res.damaged) {
    report_damage(ui, res);
    return LoadStatus::kDamaged;
  }
  return LoadStatus::kLoaded;
}

bool save_drawing_to(Drawing& d, Ui& ui, const std::string& path) {
  WriteStatus st = write_file_safely(path, [&](Writer& w) { return write_drawing(w, d); });
  if (st != WriteStatus::kOk) {
    show_write_failure(ui, st, kMsgCannotOpen);
    return false;
  }
  d.file_name = path;
  d.store.modified = false;
  return true;
}

bool save_drawing(Drawing& d, Ui& ui) {
  auto name = ui.choose_file("Save Drawing...", d.file_name, true);
  if (!name) return false;
  return save_drawing_to(d, ui, drawing_file_name(*name));
}

bool write_backup(Drawing& d, Ui& ui) {
  const std::string base = d.file_name.empty() ? unnamed_file(d) : d.file_name;
  WriteStatus st =
      write_file_safely(backup_file_name(base), [&](Writer& w) { return write_drawing(w, d); });
  show_write_failure(ui, st, kMsgCannotOpenBackup);
  return st == WriteStatus::kOk;
}

}  // namespace korav
