#include "exchange/dxf_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/text_file.h"
#include "draft/transform.h"
#include "model/element_points.h"
#include "model/pens.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kDivisors[] = {1, 100, 1000, 39.37007874015748, 3.280839895013123};
constexpr std::size_t kMaxLine = 255;
constexpr int kMaxBoundary = kMaxOutlinePoints - 1;  // points of a pattern, its separator aside

const char* const kCounterNames[kDxfCounterCount] = {
    "      LINE: %d\n", "     POINT: %d\n", "    3DLINE: %d\n", "    CIRCLE: %d\n",
    "    ELLIPSE %d\n", "       ARC: %d\n", "      TEXT: %d\n", "     MTEXT: %d\n",
    "    3DFACE: %d\n", "     SOLID: %d\n", " DIMENSION: %d\n", "LWPOLYLINE: %d\n",
    "2DPOLYLINE: %d\n", "3DPOLYLINE: %d\n", "3DPOLYFACE: %d\n", "3DPOLYMESH: %d\n",
    "     BLOCK: %d\n", "    INSERT: %d\n", "    VERTEX: %d\n", "FIT_VERTEX: %d\n",
    "     HATCH: %d\n"};

// The standard colours 1 to 9 of the DXF colour index; the rest are taken as grey ramps of
// their hue wheel's lightness, which is close enough for a filling.
void dxf_colour(int c, double& r, double& g, double& b) {
  static constexpr double kFirst[10][3] = {{0, 0, 0},     {255, 0, 0},    {255, 255, 0},
                                           {0, 255, 0},   {0, 255, 255},  {0, 0, 255},
                                           {255, 0, 255}, {255, 255, 255}, {65, 65, 65},
                                           {128, 128, 128}};
  if (c >= 0 && c <= 9) {
    r = kFirst[c][0] / 255;
    g = kFirst[c][1] / 255;
    b = kFirst[c][2] / 255;
    return;
  }
  if (c >= 250 && c <= 255) {  // the greys
    const double v = (51 + (c - 250) * 40.8) / 255;
    r = g = b = std::min(1.0, v);
    return;
  }
  // The hue wheel: ten hues of 24 colours, five lightness steps each, odd entries paler.
  const int k = std::clamp(c, 10, 249) - 10;
  const double hue = (k / 10) * 15.0 / 360.0;
  const double light = 1.0 - ((k % 10) / 2) * 0.18;
  const double pale = (k % 2) ? 0.5 : 0.0;
  auto channel = [&](double offset) {
    double h = std::fmod(hue + offset + 1, 1.0) * 6;
    double v = h < 1 ? h : h < 3 ? 1 : h < 4 ? 4 - h : 0;
    return (v + (1 - v) * pale) * light;
  };
  r = channel(0);
  g = channel(-1.0 / 3);
  b = channel(-2.0 / 3);
}

// ---- the pair reader ----

class PairReader {
 public:
  explicit PairReader(std::string_view s) : s_(s) {}
  // The next pair; false at the end of the file.
  bool next() {
    if (pos_ >= s_.size()) return false;
    std::string_view code_line = line();
    value = line();
    ++pairs;
    code = parse_code(code_line);
    return true;
  }
  int code = 0;
  std::string_view value;
  long pairs = 0;

 private:
  std::string_view line() {
    const std::size_t from = pos_;
    const char* const begin = s_.data() + from;
    const char* const end = begin + std::min(s_.size() - from, kMaxLine);
    const char* c = begin;
    while (c != end && *c != '\n' && *c != '\r') ++c;
    pos_ = from + std::size_t(c - begin);
    const std::string_view l(begin, std::size_t(c - begin));
    if (pos_ < s_.size() && s_[pos_] == '\n') {
      ++pos_;
    } else if (pos_ < s_.size() && s_[pos_] == '\r') {
      pos_ += 2;  // the character after a CR goes with it
      if (pos_ > s_.size()) pos_ = s_.size();
    }
    return l;
  }
  // Like "%d": blanks, a sign, digits; -2 for a line without a number.
  static int parse_code(std::string_view l) {
    std::size_t i = 0;
    while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
    bool neg = false;
    if (i < l.size() && (l[i] == '-' || l[i] == '+')) neg = l[i++] == '-';
    if (i >= l.size() || l[i] < '0' || l[i] > '9') return -2;
    long v = 0;
    for (; i < l.size() && l[i] >= '0' && l[i] <= '9'; ++i) v = std::min(v * 10 + (l[i] - '0'), 1L << 31);
    return static_cast<int>(neg ? -std::min(v, 1L << 31) : std::min(v, (1L << 31) - 1));
  }
  std::string_view s_;
  std::size_t pos_ = 0;
};

// Like strtod on the line: leading blanks and a plus sign allowed, the longest number at the
// start taken, anything unreadable, infinite or out of range read as 0.
double number(std::string_view v) {
  std::size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  if (i < v.size() && v[i] == '+') ++i;
  double x = 0;
  const auto r = std::from_chars(v.data() + i, v.data() + v.size(), x);
  if (r.ec != std::errc()) return 0;
  return std::isfinite(x) ? x : 0;
}

int integer(std::string_view v) {
  const double x = number(v);
  return x > 2e9 ? 2000000000 : x < -2e9 ? -2000000000 : static_cast<int>(x);
}

struct BPoint {
  double x = 0, y = 0, bulge = 0;
};

// ---- one entity's groups ----

// The plain values, reset before each entity.
struct EntityValues {
  double x[7] = {}, y[7] = {}, z[7] = {};
  double g40 = 0, g41 = 0, g42 = 0, g43 = 0, g44 = 0, g45 = 0, g46 = 0;
  double a50 = 0, a51 = 0, a52 = 0, a53 = 0;
  int colour = 256;
  int f70 = 0, f71 = 0, f72 = 0, f73 = 0, f74 = 0, f77 = 0, f78 = 0;
  int n90 = 0;
  double ex = 0, ey = 0, ez = 0;
  // Hatch pattern lines: the last two read.
  struct PatternLine {
    double angle = 0, bx = 0, by = 0, ox = 0, oy = 0;
  } line_now, line_before;
  int pattern_lines = 0;
  bool in_paths = false;
  int edge_type = 0;
  bool polyline_path = false;
};

// One entity record, reused from entity to entity so that its texts and lists keep their room.
struct Entity : EntityValues {
  std::string name;
  std::string text, block, ltype, layer;
  std::vector<BPoint> boundary;
  std::vector<std::vector<BPoint>> paths;  // hatch: every boundary path
  std::vector<BPoint> control;             // spline control points

  void clear() {
    static_cast<EntityValues&>(*this) = EntityValues{};
    text.clear();
    block.clear();
    ltype.clear();
    layer.clear();
    boundary.clear();
    paths.clear();
    control.clear();
  }
};

struct LayerRecord {
  std::string name;
  int pen = 0, ltype = 0;
  bool frozen = false;
  int target = -1;
};

struct BlockRecord {
  std::string name;
  double x = 0, y = 0, z = 0;
  unsigned group = 0;
  // The definition's elements: made one after another while the block was read.
  Element* first = nullptr;
  std::size_t count = 0;
};

// A polyline being read (POLYLINE ... VERTEX ... SEQEND).
struct Polyline {
  enum Kind { k2D, k3D, kFace, kMesh } kind = k2D;
  bool open = false, closed = false, closed_n = false;
  int m = 0, n = 0;
  int layer = 0, pen = 0, ltype = 0;
  std::string layer_name;
  bool have_previous = false;
  double px = 0, py = 0, pz = 0, pbulge = 0;
  double fx = 0, fy = 0, fz = 0, fbulge = 0;  // the first vertex
  std::vector<Point3> vertices;
  bool array = false;
};

class Importer {
 public:
  Importer(Drawing& d, std::string_view file, const DxfImportOptions& o, const DxfProgress& progress)
      : d_(d),
        file_(file),
        o_(o),
        progress_(progress),
        k_(kDivisors[o.scale >= 0 && o.scale < 5 ? o.scale : 0]) {}

  DxfImportResult run();

 private:
  void say(const std::string& s) { r_.report += s; }
  bool skip_to(PairReader& p, std::string_view value) {
    while (p.next())
      if (p.value == value) return true;
    return false;
  }
  void read_layers(PairReader& p, int count);
  void entity_loop(PairReader& p, unsigned group, bool in_block);
  // Parses the groups of the entity whose name is p.value, up to the next code 0.
  bool parse(PairReader& p, Entity& e);
  void convert(const Entity& e, unsigned group, bool in_block);

  // Common attributes.
  bool resolve(const Entity& e, int& layer, int& pen, int& ltype) const;
  int map_line_type(std::string_view name) const;

  // Element makers: each counts the element and gives it the group.
  void made(Element* e, unsigned group) {
    if (!e) return;
    e->group = static_cast<std::uint16_t>(group);
    ++r_.created;
  }
  void line2(int layer, int pen, int lt, double x1, double y1, double x2, double y2, unsigned g) {
    made(create_line(d_.store, layer, pen, lt, x1, y1, x2, y2), g);
  }
  void line3(int layer, int pen, int lt, Point3 a, Point3 b, unsigned g) {
    Line3D l = make_element<Line3D>(layer, pen, lt);
    l.start = a;
    l.end = b;
    made(create(d_.store, l), g);
  }
  void arc(int layer, int pen, int lt, double cx, double cy, double rx, double ry, double sweep,
           double start, double rot, unsigned g) {
    if (!(rx > 0) || !(ry > 0)) return;
    Circle c = make_element<Circle>(layer, pen, lt);
    c.centre = {cx, cy};
    c.radius1 = rx;
    c.radius2 = ry;
    c.sweep = sweep;
    c.start_angle = start;
    c.axis_angle = rot;
    made(create(d_.store, c), g);
  }
  // The segment from a to b with the bulge of a: a line, or the arc the bulge says.
  void bulge_segment(int layer, int pen, int lt, BPoint a, BPoint b, unsigned g);
  void object3d(int layer, int pen, int lt, std::string_view name, std::span<const Point3> corners,
                unsigned g);
  void filled(int layer, int pen, int lt, std::span<const Point2> outline, double r, double gr,
              double b, unsigned g);
  void text(const Entity& e, int layer, int pen, int lt, bool mtext, unsigned g);
  void hatch(const Entity& e, int layer, int pen, int lt, unsigned g);
  void dimension(const Entity& e, int layer, int pen, int lt, unsigned g);
  void spline(const Entity& e, int layer, int pen, int lt, unsigned g);
  void insert(const Entity& e, unsigned g);
  void polyline_vertex(const Entity& e, unsigned g);
  void polyline_end(unsigned g);

  Drawing& d_;
  std::string_view file_;
  DxfImportOptions o_;
  DxfProgress progress_;
  long total_pairs_ = 0;
  double k_;
  DxfImportResult r_;
  std::vector<LayerRecord> layers_;
  std::vector<BlockRecord> blocks_;
  unsigned base_group_ = 0;
  std::string last_unsupported_;
  Polyline poly_;
  bool too_many_ = false;
  static constexpr std::size_t kMaxInserted = 2000000;
};

bool Importer::parse(PairReader& p, Entity& e) {
  e.clear();
  e.name.assign(p.value);
  const bool hatch = e.name == "HATCH", lw = e.name == "LWPOLYLINE", spline = e.name == "SPLINE";
  const bool ellipse = e.name == "ELLIPSE";
  while (p.next()) {
    const int c = p.code;
    const std::string_view v = p.value;
    if (c == 0) return true;
    if (hatch) {
      if (c == 91) {
        e.in_paths = true;
        continue;
      }
      if (c == 75) e.in_paths = false;
      if (e.in_paths) {
        if (c == 92) {
          e.paths.emplace_back();
          e.polyline_path = (integer(v) & 2) != 0;
        } else if (c == 72 && !e.polyline_path) {
          e.edge_type = integer(v);
        } else if ((c == 10 || c == 11) && !e.paths.empty() &&
                   e.paths.back().size() < static_cast<std::size_t>(kMaxBoundary)) {
          e.paths.back().push_back({number(v) / k_, 0, 0});
        } else if ((c == 20 || c == 21) && !e.paths.empty() && !e.paths.back().empty()) {
          e.paths.back().back().y = number(v) / k_;
        } else if (c == 42 && !e.paths.empty() && !e.paths.back().empty() && e.polyline_path) {
          e.paths.back().back().bulge = number(v);
        } else if (c == 40 && !e.paths.empty() && e.edge_type == 2 && !e.paths.back().empty()) {
          // A circular edge: centre already added; its radius turns it into points below.
          e.paths.back().back().bulge = 0;
          e.g40 = number(v) / k_;
        } else if (c == 50 && e.edge_type == 2) {
          e.a50 = number(v) * kPi / 180;
        } else if (c == 51 && e.edge_type == 2 && !e.paths.empty() && !e.paths.back().empty()) {
          // The arc from a50 to this end angle around the centre just added.
          e.a51 = number(v) * kPi / 180;
          const BPoint centre = e.paths.back().back();
          e.paths.back().pop_back();
          double sweep = e.a51 - e.a50;
          sweep = std::fmod(sweep, kTwoPi);
          if (sweep <= 0) sweep += kTwoPi;
          const int n = std::max(12, static_cast<int>(std::lround(sweep * 72 / kTwoPi)));
          for (int i = 0; i <= n && e.paths.back().size() < static_cast<std::size_t>(kMaxBoundary); ++i) {
            const double t = e.a50 + sweep * i / n;
            e.paths.back().push_back(
                {centre.x + e.g40 * std::cos(t), centre.y + e.g40 * std::sin(t), 0});
          }
        }
        continue;
      }
      if (c == 53) {
        e.line_before = e.line_now;
        e.line_now = {};
        e.line_now.angle = number(v) * kPi / 180;
        ++e.pattern_lines;
        continue;
      }
      if (c == 43) e.line_now.bx = number(v);
      if (c == 44) e.line_now.by = number(v);
      if (c == 45) e.line_now.ox = number(v);
      if (c == 46) e.line_now.oy = number(v);
    }
    if ((lw && (c == 10 || c == 20 || c == 42)) || (spline && (c == 10 || c == 20))) {
      std::vector<BPoint>& list = lw ? e.boundary : e.control;
      if (c == 10) {
        if (list.size() < 4096) list.push_back({number(v) / k_, 0, 0});
      } else if (!list.empty()) {
        if (c == 20) list.back().y = number(v) / k_;
        else list.back().bulge = number(v);
      }
      continue;
    }
    if (c == 1 || c == 3) {
      e.text.assign(v);
    } else if (c == 2) {
      e.block.assign(v);
      latin1_to_utf8(e.block);
    } else if (c == 6) {
      e.ltype.assign(v);
    } else if (c == 8) {
      e.layer.assign(v);
    } else if (c >= 10 && c <= 16) {
      e.x[c - 10] = number(v) / k_;
    } else if (c >= 20 && c <= 26) {
      e.y[c - 20] = number(v) / k_;
    } else if (c >= 30 && c <= 36) {
      e.z[c - 30] = number(v) / k_;
    } else if (c == 40) {
      e.g40 = ellipse ? number(v) : number(v) / k_;
    } else if (c == 41) {
      e.g41 = number(v);
    } else if (c == 42) {
      e.g42 = number(v);
    } else if (c == 43) {
      e.g43 = number(v);
    } else if (c == 44) {
      e.g44 = number(v);
    } else if (c == 45) {
      e.g45 = number(v);
    } else if (c == 46) {
      e.g46 = number(v);
    } else if (c == 50) {
      e.a50 = number(v) * kPi / 180;
    } else if (c == 51) {
      e.a51 = number(v) * kPi / 180;
    } else if (c == 52) {
      e.a52 = number(v) * kPi / 180;
    } else if (c == 62) {
      e.colour = integer(v);
    } else if (c == 70) {
      e.f70 = integer(v);
    } else if (c == 71) {
      e.f71 = integer(v);
    } else if (c == 72) {
      e.f72 = integer(v);
    } else if (c == 73) {
      e.f73 = integer(v);
    } else if (c == 74) {
      e.f74 = integer(v);
    } else if (c == 77) {
      e.f77 = integer(v);
    } else if (c == 78) {
      e.f78 = integer(v);
    } else if (c == 90) {
      e.n90 = integer(v);
    } else if (c == 210) {
      e.ex = number(v) / k_;
    } else if (c == 220) {
      e.ey = number(v) / k_;
    } else if (c == 230) {
      e.ez = number(v) / k_;
    }
  }
  return false;  // the end of the file inside the entity
}

int Importer::map_line_type(std::string_view name) const {
  static constexpr std::pair<std::string_view, int> kNames[] = {
      {"DASHED", 2},      {"HIDDEN", 1},          {"CENTER", 3},      {"PHANTOM", 5},
      {"VERDECKT", 1},    {"KURZGESTRICHELT", 1}, {"GESTRICHELT", 2}, {"STRICHPUNKT", 3},
      {"GETRENNT", 5},    {"MITTE", 7},           {"RAND", 6}};
  for (const auto& [n, i] : kNames)
    if (n == name) return i;
  for (int i = 0; i < kLineTypeCount; ++i)
    if (!name.empty() && d_.settings.line_types[static_cast<std::size_t>(i)].name.view() == name)
      return i;
  return 0;
}

bool Importer::resolve(const Entity& e, int& layer, int& pen, int& lt) const {
  const LayerRecord* rec = nullptr;
  if (!layers_.empty()) {
    rec = &layers_.front();
    for (const LayerRecord& l : layers_)
      if (l.name == e.layer) {
        rec = &l;
        break;
      }
    layer = rec->target;
    if (layer < 0) return false;
  } else {
    layer = d_.current_layer;
  }
  pen = (e.colour == 0 || e.colour == 256) ? (rec ? rec->pen : 0) : ((e.colour + 1) % 8 + 8) % 8;
  lt = (e.ltype.empty() || e.ltype == "BYLAYER") ? (rec ? rec->ltype : 0) : map_line_type(e.ltype);
  return true;
}

void Importer::read_layers(PairReader& p, int count) {
  if (!skip_to(p, "LAYER") || !skip_to(p, "LAYER")) return;
  int next_layer = d_.current_layer;
  for (int i = 0; i < count; ++i) {
    LayerRecord rec;
    int flags = 0, colour = 7;
    std::string ltype;
    while (p.next() && p.code != 0) {
      if (p.code == 2) {
        rec.name = std::string(p.value);
        latin1_to_utf8(rec.name);
      } else if (p.code == 62) {
        colour = integer(p.value);
      } else if (p.code == 6) {
        ltype = std::string(p.value);
      } else if (p.code == 70) {
        flags = integer(p.value);
      }
    }
    rec.pen = ((colour + 1) % 8 + 8) % 8;
    rec.ltype = map_line_type(ltype);
    rec.frozen = (flags & 1) != 0;
    if (o_.layer_mode == 0) {
      rec.target = rec.frozen ? -1 : d_.current_layer;
    } else if (!rec.frozen) {
      rec.target = next_layer;
      Layer& l = d_.layers.layer[static_cast<std::size_t>(next_layer)];
      l.name.set(rec.name);
      l.state = 1;
      if (next_layer < 999) ++next_layer;
    }
    layers_.push_back(std::move(rec));
    if (p.value != "LAYER") break;  // the table ended early
  }
}

void Importer::entity_loop(PairReader& p, unsigned group, bool in_block) {
  Entity e;
  int since_progress = 0;
  bool have = true;  // p.value holds the next entity's name
  while (have) {
    if (p.value == "ENDSEC" || p.value == "ENDBLK") {
      if (poly_.array) {
        say("Problem: end of polymesh/polyface is missing at end of section\n");
        poly_ = Polyline{};
      }
      return;
    }
    const bool complete = parse(p, e);
    if (!in_block && ++since_progress > 200) {
      since_progress = 0;
      if (progress_ && total_pairs_ > 0) progress_(std::min(1.0, double(p.pairs) / double(total_pairs_)));
    }
    convert(e, group, in_block);
    if (!complete) {
      if (poly_.array) say("Problem: end of polymesh/polyface is missing\n");
      poly_ = Polyline{};
      return;
    }
    have = true;
  }
}

void Importer::bulge_segment(int layer, int pen, int lt, BPoint a, BPoint b, unsigned g) {
  if (a.bulge == 0) {
    line2(layer, pen, lt, a.x, a.y, b.x, b.y, g);
    return;
  }
  const double cx = b.x - a.x, cy = b.y - a.y;
  const double c = std::hypot(cx, cy);
  if (!(c > 0)) return;
  const double s = std::fabs(a.bulge) * c / 2;
  const double r = (s * s + c * c / 4) / (2 * s);
  const double angle = 4 * std::atan(std::fabs(a.bulge));
  // The centre lies on the chord's bisector, left of a→b for a counter-clockwise arc.
  const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
  const double nx = -cy / c, ny = cx / c;
  const double side = a.bulge > 0 ? 1 : -1;
  const double ox = mx + nx * side * (r - s), oy = my + ny * side * (r - s);
  const BPoint from = a.bulge > 0 ? a : b;
  const double start = std::atan2(from.y - oy, from.x - ox);
  arc(layer, pen, lt, ox, oy, r, r, angle, start < 0 ? start + kTwoPi : start, 0, g);
}

void Importer::object3d(int layer, int pen, int lt, std::string_view name,
                        std::span<const Point3> corners, unsigned g) {
  Object3D f = make_element<Object3D>(layer, pen, lt);
  f.material.set(name);
  const std::uint32_t sizes[1] = {static_cast<std::uint32_t>(corners.size())};
  std::vector<std::uint32_t> idx(corners.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<std::uint32_t>(i);
  made(create_object3d(d_.store, f, sizes, corners, idx), g);
}

void Importer::filled(int layer, int pen, int /*line type: 101 for a filling*/,
                      std::span<const Point2> outline, double r,
                      double gr, double b, unsigned g) {
  if (outline.size() < 4 || outline.size() > static_cast<std::size_t>(kMaxOutlinePoints)) return;
  Pattern p = make_element<Pattern>(layer, pen, 101);
  p.kind = 3;
  p.red = r;
  p.green = gr;
  p.blue = b;
  made(create_pattern(d_.store, p, outline), g);
}

// "%%nnn" umlauts, the MTEXT control codes, and the braces of an MTEXT.
std::string convert_text(std::string_view s, bool mtext, std::string& report) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '%' && i + 1 < s.size() && s[i + 1] == '%' && i + 4 < s.size()) {
      const std::string_view digits = s.substr(i + 2, 3);
      int n = 0;
      bool ok = true;
      for (char ch : digits) {
        if (ch < '0' || ch > '9') ok = false;
        n = n * 10 + (ch - '0');
      }
      if (ok) {
        switch (n) {
          case 132: out += '\xE4'; break;
          case 148: out += '\xF6'; break;
          case 129: out += '\xFC'; break;
          case 142: out += '\xC4'; break;
          case 153: out += '\xD6'; break;
          case 154: out += '\xDC'; break;
          default: break;
        }
      }
      i += 4;
      continue;
    }
    if (c == '\\' && i + 1 < s.size()) {
      const char k = s[i + 1];
      if (k == 'P') {
        out += '\n';
      } else if (k == '\\' || k == '{' || k == '}') {
        out += k;
      } else if (k == '~') {
        out += ' ';
      } else if (k == 'A' || k == 'f') {
        const std::size_t semi = s.find(';', i + 2);
        i = semi == std::string_view::npos ? s.size() : semi;
        continue;
      } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "unsupported mtext code %d: %c\n",
                      static_cast<unsigned char>(k), k);
        report += buf;
      }
      ++i;
      continue;
    }
    if (mtext && (c == '{' || c == '}')) continue;
    out += c;
  }
  return out;
}

void Importer::text(const Entity& e, int layer, int pen, int lt, bool mtext, unsigned g) {
  const std::string s = convert_text(e.text, mtext, r_.report);
  if (s.empty()) {
    say("Empty Text Entity\n");
    return;
  }
  const double h = e.g40;
  const double scale = d_.settings.drawing_scale > 0 ? d_.settings.drawing_scale : 100;
  Text t = make_element<Text>(layer, pen, lt);
  t.font.set("Simpel");
  t.height = h * 1000 / scale;
  t.width_factor = e.g41 != 0 && !mtext ? e.g41 : 1;
  t.spacing = 0.1;
  t.line_spacing = 1.3;
  double x = e.x[0], y = e.y[0], a = e.a50;
  int align = 0;
  if (mtext) {
    a = (e.x[1] != 0 || e.y[1] != 0) ? std::atan2(e.y[1], e.x[1]) : 0;
    const int at = e.f71;
    align = (at == 2 || at == 5 || at == 8) ? 2 : (at == 3 || at == 6 || at == 9) ? 1 : 0;
    double up = 0;
    if (at >= 7 && at <= 9) up = h / 4;
    else if (at >= 4 && at <= 6) up = -h / 2;
    else if (at >= 1 && at <= 3) up = -h;
    x -= std::sin(a) * up;
    y += std::cos(a) * up;
    t.fitted_width = e.g41;
  } else {
    switch (e.f72) {
      case 1: x = e.x[1]; y = e.y[1]; align = 2; break;
      case 2: x = e.x[1]; y = e.y[1]; align = 1; break;
      case 3: a = std::atan2(e.y[1] - e.y[0], e.x[1] - e.x[0]); break;
      case 4:
        x = e.x[1] + std::sin(a) * h / 2;
        y = e.y[1] - std::cos(a) * h / 2;
        align = 2;
        break;
      case 5:
        a = std::atan2(e.y[1] - e.y[0], e.x[1] - e.x[0]);
        align = 3;
        t.fitted_width = std::hypot(e.x[1] - e.x[0], e.y[1] - e.y[0]);
        break;
      default: break;
    }
    double up = 0;
    if (e.f73 == 1) up = h / 4;
    else if (e.f73 == 2) up = -h / 2;
    else if (e.f73 == 3) up = -h;
    x -= std::sin(a) * up;
    y += std::cos(a) * up;
  }
  t.pos = {x, y};
  t.angle = a;
  t.align = static_cast<std::uint8_t>(align);
  made(create_text(d_.store, t, s), g);
}

void Importer::hatch(const Entity& e, int layer, int pen, int lt, unsigned g) {
  std::vector<Point2> outline;
  for (const std::vector<BPoint>& path : e.paths) {
    std::vector<Point2> ring;
    for (std::size_t i = 0; i < path.size(); ++i) {
      const BPoint& a = path[i];
      ring.push_back({a.x, a.y, 0});
      if (a.bulge != 0 && path.size() > 1) {  // 24 points on the bulge's arc
        const BPoint& b = path[(i + 1) % path.size()];
        const double c = std::hypot(b.x - a.x, b.y - a.y);
        if (!(c > 0)) continue;
        const double angle = 4 * std::atan(a.bulge);  // signed: the turn from a to b
        const double r = c / (2 * std::sin(std::fabs(angle) / 2));
        const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
        const double nx = -(b.y - a.y) / c, ny = (b.x - a.x) / c;
        const double dist = std::sqrt(std::max(0.0, r * r - c * c / 4)) *
                            (std::fabs(angle) > kPi ? -1 : 1) * (a.bulge > 0 ? 1 : -1);
        const double ox = mx + nx * dist, oy = my + ny * dist;
        const double a0 = std::atan2(a.y - oy, a.x - ox);
        for (int k = 1; k < 24; ++k) {
          const double t = a0 + angle * k / 24;
          ring.push_back({ox + r * std::cos(t), oy + r * std::sin(t), 0});
        }
      }
    }
    if (ring.size() < 3) continue;
    if (outline.size() + ring.size() + 1 > static_cast<std::size_t>(kMaxOutlinePoints)) break;
    outline.insert(outline.end(), ring.begin(), ring.end());
    outline.push_back({kSeparator, kSeparator, 0});
  }
  if (outline.size() < 4) return;
  if (e.f70 == 1 || e.pattern_lines > 2) {
    double r = 0.75, gr = 0.75, b = 0.75;
    if (e.f70 == 1) dxf_colour(e.colour, r, gr, b);
    filled(layer, pen, lt, outline, r, gr, b, g);
    return;
  }
  if (e.pattern_lines == 0) return;
  Pattern p = make_element<Pattern>(layer, pen, lt);
  p.pen2 = static_cast<std::uint8_t>(pen);
  p.line_type2 = static_cast<std::uint8_t>(lt);
  auto spacing = [this](const EntityValues::PatternLine& l) {
    return (std::fabs(l.ox) + std::fabs(l.oy)) / k_;
  };
  const EntityValues::PatternLine& first = e.line_now;
  p.kind = 0;
  p.angle1 = first.angle;
  p.spacing1 = spacing(first);
  p.origin = {first.bx / k_, first.by / k_};
  if (e.pattern_lines == 2) {
    p.kind = 1;
    p.angle2 = e.line_before.angle;
    p.spacing2 = spacing(e.line_before);
    p.offset = {e.line_before.bx / k_, e.line_before.by / k_};
  } else if (e.f77) {
    p.kind = 1;
    p.angle2 = first.angle + kPi / 2;
    p.spacing2 = p.spacing1;
    p.offset = p.origin;
  }
  if (!(p.spacing1 > 0)) return;
  made(create_pattern(d_.store, p, outline), g);
}

void Importer::dimension(const Entity& e, int layer, int pen, int lt, unsigned g) {
  const int type = e.f70 & ~(128 | 64 | 32);
  Dimension f = make_element<Dimension>(layer, pen, lt);
  f.font.set("Simpel");
  f.figure_height = 2.5;
  f.spacing[0] = 1;
  f.spacing[1] = 0.1;
  f.spacing[2] = 1.5;
  f.extension = 1;
  auto foot = [](double px, double py, double ox, double oy, double a) {
    const double ux = std::cos(a), uy = std::sin(a);
    const double t = (px - ox) * ux + (py - oy) * uy;
    return Point2{ox + ux * t, oy + uy * t, 0};
  };
  if (type == 0 || type == 1) {
    const double a = type == 0 ? e.a50 : std::atan2(e.y[4] - e.y[3], e.x[4] - e.x[3]);
    DimPoint p[2];
    p[0].foot = foot(e.x[3], e.y[3], e.x[0], e.y[0], a);
    p[0].measured = {e.x[3], e.y[3], 0};
    p[1].foot = foot(e.x[4], e.y[4], e.x[0], e.y[0], a);
    p[1].measured = {e.x[4], e.y[4], 0};
    p[1].distance = std::hypot(p[1].foot.x - p[0].foot.x, p[1].foot.y - p[0].foot.y);
    f.direction = a;
    f.kind = kDimChain;
    made(create_dimension(d_.store, f, p), g);
    ++r_.counts[kDxfDimension];
    return;
  }
  double cx = 0, cy = 0, r = 0, a1 = 0, a2 = 0;
  if (type == 2) {
    // The lines 13-14 and 15-10 crossed.
    const double x1 = e.x[3], y1 = e.y[3], dx1 = e.x[4] - x1, dy1 = e.y[4] - y1;
    const double x2 = e.x[5], y2 = e.y[5], dx2 = e.x[0] - x2, dy2 = e.y[0] - y2;
    const double den = dx1 * dy2 - dy1 * dx2;
    if (den == 0) return;
    const double t = ((x2 - x1) * dy2 - (y2 - y1) * dx2) / den;
    cx = x1 + t * dx1;
    cy = y1 + t * dy1;
    r = std::hypot(e.x[6] - cx, e.y[6] - cy);
    a1 = std::atan2(dy1, dx1);
    a2 = std::atan2(dy2, dx2);
  } else if (type == 5) {
    cx = e.x[5];
    cy = e.y[5];
    r = std::hypot(e.x[0] - cx, e.y[0] - cy);
    a1 = std::atan2(e.y[3] - cy, e.x[3] - cx);
    a2 = std::atan2(e.y[4] - cy, e.x[4] - cx);
  } else {
    return;
  }
  if (!(r > 0) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  DimPoint p[3];
  p[0].foot = p[0].measured = {cx, cy, 0};
  p[1].foot = p[1].measured = {cx + r * std::cos(a1), cy + r * std::sin(a1), 0};
  p[2].foot = p[2].measured = {cx + r * std::cos(a2), cy + r * std::sin(a2), 0};
  f.kind = kDimAngle;
  made(create_dimension(d_.store, f, p), g);
  ++r_.counts[kDxfDimension];
}

void Importer::spline(const Entity& e, int layer, int pen, int lt, unsigned g) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "DXF Spline: flag:%d k:%d s:%d n:%d\n", e.f70, e.f71, e.f72, e.f73);
  say(buf);
  const int n = static_cast<int>(e.control.size());
  const int degree = std::clamp(e.f71, 1, 10);
  if (n < 2) return;
  const int order = std::min(degree + 1, n);
  // Clamped uniform knots: order zeros, the inner ones evenly, order times the last.
  std::vector<double> knots(static_cast<std::size_t>(n + order));
  for (int i = 0; i < n + order; ++i)
    knots[static_cast<std::size_t>(i)] =
        std::clamp(static_cast<double>(i - order + 1), 0.0, static_cast<double>(n - order + 1));
  const double end = n - order + 1;
  auto at = [&](double t, double& x, double& y) {
    // de Boor: the span holding t, then the triangle of blends.
    int s = order - 1;
    while (s < n - 1 && knots[static_cast<std::size_t>(s + 1)] <= t) ++s;
    std::vector<BPoint> dpts(static_cast<std::size_t>(order));
    for (int j = 0; j < order; ++j) dpts[static_cast<std::size_t>(j)] = e.control[static_cast<std::size_t>(s - order + 1 + j)];
    for (int r = 1; r < order; ++r)
      for (int j = order - 1; j >= r; --j) {
        const int i = s - order + 1 + j;
        const double k0 = knots[static_cast<std::size_t>(i)];
        const double k1 = knots[static_cast<std::size_t>(i + order - r)];
        const double a = k1 > k0 ? (t - k0) / (k1 - k0) : 0;
        BPoint& p = dpts[static_cast<std::size_t>(j)];
        const BPoint& q = dpts[static_cast<std::size_t>(j - 1)];
        p.x = q.x + a * (p.x - q.x);
        p.y = q.y + a * (p.y - q.y);
      }
    x = dpts[static_cast<std::size_t>(order - 1)].x;
    y = dpts[static_cast<std::size_t>(order - 1)].y;
  };
  const int m = std::clamp(10 * n - 10, 2, 10000);
  double px, py;
  at(0, px, py);
  for (int i = 1; i < m; ++i) {
    double qx, qy;
    at(end * i / (m - 1), qx, qy);
    line2(layer, pen, lt, px, py, qx, qy, g);
    ++r_.counts[kDxfLine];
    px = qx;
    py = qy;
  }
}

void Importer::insert(const Entity& e, unsigned g) {
  const BlockRecord* b = nullptr;
  for (const BlockRecord& r : blocks_)
    if (r.name == e.block) b = &r;
  if (!b || b->count == 0 || !b->first) return;
  if (r_.created + b->count > kMaxInserted) {  // nested inserts that would never end
    if (!too_many_) say("Problem: too many elements from INSERT\n");
    too_many_ = true;
    return;
  }
  // The copies are made and placed in a store of their own, so that the work is that of the
  // block, not of the drawing, and then appended.
  ElementStore copies;
  const Element* el = b->first;
  for (std::size_t i = 0; i < b->count && el; ++i, el = el->next)
    copies.append(*el, el->size, el->size)->selected = 1;
  const Vec3 ins{e.x[0], e.y[0], e.z[0]};
  translate_elements(copies, ins.x - b->x, ins.y - b->y, ins.z - b->z,
                     TranslateScope::kSelectedOnly);
  const double fx = e.g41 != 0 ? e.g41 : 1, fy = e.g42 != 0 ? e.g42 : 1, fz = e.g43 != 0 ? e.g43 : 1;
  if (fx != 1 || fy != 1 || fz != 1) scale_selected(copies, ins, fx, fy, fz, true);
  if (e.a50 != 0) {
    if (e.ex == 0 && e.ey == 0 && e.ez == 0) {
      rotate_selected(copies, rotation_in_plan({ins.x, ins.y}, e.a50));
    } else {
      rotate_selected(copies, rotation_about_axis(ins, {ins.x + e.ex, ins.y + e.ey, ins.z + e.ez},
                                                  e.a50));
    }
  }
  for (const Element& c : copies.list) made(d_.store.append(c, c.size, c.size), g);
}

void Importer::polyline_vertex(const Entity& e, unsigned g) {
  ++r_.counts[kDxfVertex];
  if (e.f70 & 31) ++r_.counts[kDxfFitVertex];
  Polyline& p = poly_;
  if (!p.open) return;
  const Point3 v{e.x[0], e.y[0], e.z[0]};
  switch (p.kind) {
    case Polyline::k2D:
    case Polyline::k3D:
      if (p.have_previous) {
        if (p.kind == Polyline::k2D)
          bulge_segment(p.layer, p.pen, p.ltype, {p.px, p.py, p.pbulge}, {v.x, v.y, 0}, g);
        else line3(p.layer, p.pen, p.ltype, {p.px, p.py, p.pz}, v, g);
      } else {
        p.fx = v.x;
        p.fy = v.y;
        p.fz = v.z;
        p.fbulge = e.g42;
      }
      p.have_previous = true;
      p.px = v.x;
      p.py = v.y;
      p.pz = v.z;
      p.pbulge = e.g42;
      break;
    case Polyline::kFace:
      if (e.f70 & 64) {
        if (static_cast<int>(p.vertices.size()) >= p.m) say("Problem: to many points in polyface\n");
        else p.vertices.push_back(v);
      } else {
        const int m = static_cast<int>(p.vertices.size());
        const int i[4] = {e.f71, e.f72, e.f73, e.f74};
        if (i[0] < 1 || i[0] > m || i[1] < 1 || i[1] > m || i[2] < 1 || i[2] > m) break;
        std::vector<Point3> corners = {p.vertices[static_cast<std::size_t>(i[0] - 1)],
                                       p.vertices[static_cast<std::size_t>(i[1] - 1)],
                                       p.vertices[static_cast<std::size_t>(i[2] - 1)]};
        if (i[3] >= 1 && i[3] <= m) corners.push_back(p.vertices[static_cast<std::size_t>(i[3] - 1)]);
        object3d(p.layer, p.pen, p.ltype, p.layer_name, corners, g);
      }
      break;
    case Polyline::kMesh:
      if ((e.f70 & 64) && !(e.f70 & 31)) {
        if (static_cast<long>(p.vertices.size()) >= static_cast<long>(p.m) * p.n)
          say("Problem: to many points in polymesh\n");
        else p.vertices.push_back(v);
      }
      break;
  }
}

void Importer::polyline_end(unsigned g) {
  Polyline& p = poly_;
  if (!p.open) {
    poly_ = Polyline{};
    return;
  }
  switch (p.kind) {
    case Polyline::k2D:
      if (p.closed && p.have_previous)
        bulge_segment(p.layer, p.pen, p.ltype, {p.px, p.py, p.pbulge}, {p.fx, p.fy, 0}, g);
      ++r_.counts[kDxf2DPolyline];
      break;
    case Polyline::k3D:
      if (p.closed && p.have_previous)
        line3(p.layer, p.pen, p.ltype, {p.px, p.py, p.pz}, {p.fx, p.fy, p.fz}, g);
      ++r_.counts[kDxf3DPolyline];
      break;
    case Polyline::kFace:
      if (!p.array) say("Problem: start of polyface is missing\n");
      ++r_.counts[kDxf3DPolyface];
      break;
    case Polyline::kMesh: {
      if (!p.array) say("Problem: start of polymesh is missing\n");
      const int m = p.m, n = p.n;
      if (static_cast<long>(p.vertices.size()) == static_cast<long>(m) * n && m > 0 && n > 0) {
        auto at = [&](int i, int j) {
          if (i < 0) i = m - 1;
          if (j < 0) j = n - 1;
          return p.vertices[static_cast<std::size_t>(i * n + j)];
        };
        for (int i = p.closed ? 0 : 1; i < m; ++i)
          for (int j = p.closed_n ? 0 : 1; j < n; ++j) {
            const Point3 q[4] = {at(i - 1, j - 1), at(i - 1, j), at(i, j), at(i, j - 1)};
            object3d(p.layer, p.pen, p.ltype, p.layer_name, q, g);
          }
      }
      ++r_.counts[kDxf3DPolymesh];
      break;
    }
  }
  poly_ = Polyline{};
}

void Importer::convert(const Entity& e, unsigned group, bool in_block) {
  const std::string& n = e.name;
  if (n == "BLOCK") {
    if (in_block && !blocks_.empty()) {
      BlockRecord& b = blocks_.back();
      b.name = e.block;
      b.x = e.x[0];
      b.y = e.y[0];
      b.z = e.z[0];
    }
    ++r_.counts[kDxfBlock];
    return;
  }
  if (n == "SEQEND") {
    polyline_end(group);
    return;
  }
  if (n == "VERTEX") {
    polyline_vertex(e, group);
    return;
  }
  if (n == "INSERT") {
    insert(e, group);
    ++r_.counts[kDxfInsert];
    return;
  }
  int layer = 0, pen = 0, lt = 0;
  static constexpr std::string_view kKnown[] = {
      "LINE",  "POINT", "3DLINE", "CIRCLE",     "ARC",    "ELLIPSE", "TEXT",   "MTEXT",
      "3DFACE", "SOLID", "DIMENSION", "LWPOLYLINE", "SPLINE", "HATCH", "POLYLINE"};
  bool known = false;
  for (std::string_view k : kKnown) known = known || k == n;
  if (!known) {
    if (n != last_unsupported_) {
      say("Problem: Unsupported ENTITY(s): " + n + "\n");
      last_unsupported_ = n;
    }
    return;
  }
  if (!resolve(e, layer, pen, lt)) return;
  const Point3 p0{e.x[0], e.y[0], e.z[0]}, p1{e.x[1], e.y[1], e.z[1]};
  if (n == "LINE") {
    if (o_.line_mode == 1) {
      line3(layer, pen, lt, p0, p1, group);
      ++r_.counts[kDxf3DLine];
    } else {
      line2(layer, pen, lt, p0.x, p0.y, p1.x, p1.y, group);
      ++r_.counts[kDxfLine];
    }
  } else if (n == "POINT") {
    line2(layer, pen, lt, p0.x, p0.y, p0.x, p0.y, group);
    ++r_.counts[kDxfPoint];
  } else if (n == "3DLINE") {
    line3(layer, pen, lt, p0, p1, group);
    ++r_.counts[kDxf3DLine];
  } else if (n == "CIRCLE") {
    arc(layer, pen, lt, p0.x, p0.y, e.g40, e.g40, kTwoPi, 0, 0, group);
    ++r_.counts[kDxfCircle];
  } else if (n == "ARC") {
    // Into [0, 2 pi]; a remainder, not a loop, for angles of any size.
    double sweep = e.a51 - e.a50;
    if (sweep > kTwoPi || sweep < 0) {
      sweep = std::fmod(sweep, kTwoPi);
      if (sweep < 0) sweep += kTwoPi;
    }
    if (sweep > 0.0001) {
      arc(layer, pen, lt, p0.x, p0.y, e.g40, e.g40, sweep, e.a50, 0, group);
      ++r_.counts[kDxfArc];
    }
  } else if (n == "ELLIPSE") {
    double start = std::fmod(e.g41, kTwoPi);
    if (start < 0) start += kTwoPi;
    double end = e.g42;
    if (end <= start) end = start + std::fmod(end - start, kTwoPi) + kTwoPi;
    double sweep = end - start;
    if (sweep > kTwoPi) sweep = std::fmod(sweep, kTwoPi);
    const double rx = std::hypot(e.x[1], e.y[1]);
    const double rot = std::atan2(e.y[1], e.x[1]);
    if (e.ez == -1) start = std::fmod(kTwoPi * 2 - (start + sweep), kTwoPi);
    arc(layer, pen, lt, p0.x, p0.y, rx, rx * e.g40, sweep, start, rot, group);
    ++r_.counts[kDxfEllipse];
  } else if (n == "TEXT" || n == "MTEXT") {
    text(e, layer, pen, lt, n == "MTEXT", group);
    ++r_.counts[n == "TEXT" ? kDxfText : kDxfMText];
  } else if (n == "3DFACE") {
    std::vector<Point3> c;
    for (int i = 0; i < 4; ++i) c.push_back({e.x[i], e.y[i], e.z[i]});
    if (c[3].x == c[2].x && c[3].y == c[2].y && c[3].z == c[2].z) c.pop_back();
    object3d(layer, pen, lt, e.layer, c, group);
    ++r_.counts[kDxf3DFace];
  } else if (n == "SOLID") {
    const double m = (e.ez == 1 || e.ez == -1) ? e.ez : 1;
    std::vector<Point2> outline = {{e.x[0] * m, e.y[0], 0}, {e.x[1] * m, e.y[1], 0}};
    const bool triangle = e.x[3] == e.x[2] && e.y[3] == e.y[2];
    outline.push_back({e.x[3] * m, e.y[3], 0});
    if (!triangle) outline.push_back({e.x[2] * m, e.y[2], 0});
    outline.push_back({kSeparator, kSeparator, 0});
    double r = 0, g = 0, b = 0;
    dxf_colour(e.colour, r, g, b);
    filled(layer, pen, lt, outline, r, g, b, group);
    ++r_.counts[kDxfSolid];
  } else if (n == "DIMENSION") {
    dimension(e, layer, pen, lt, group);
  } else if (n == "LWPOLYLINE") {
    const std::size_t count = e.boundary.size();
    for (std::size_t i = 0; i + 1 < count; ++i)
      bulge_segment(layer, pen, lt, e.boundary[i], e.boundary[i + 1], group);
    if ((e.f70 & 1) && count > 1)
      bulge_segment(layer, pen, lt, e.boundary.back(), e.boundary.front(), group);
    ++r_.counts[kDxfLwPolyline];
  } else if (n == "SPLINE") {
    spline(e, layer, pen, lt, group);
  } else if (n == "HATCH") {
    hatch(e, layer, pen, lt, group);
    ++r_.counts[kDxfHatch];
  } else if (n == "POLYLINE") {
    if (poly_.array) {
      say("Problem: end of polymesh/polyface is missing at start of a new one\n");
    }
    poly_ = Polyline{};
    poly_.open = true;
    poly_.kind = Polyline::k2D;
    if (e.f70 & 8) poly_.kind = Polyline::k3D;
    if (e.f70 & 64) poly_.kind = Polyline::kFace;
    if (e.f70 & 16) poly_.kind = Polyline::kMesh;
    poly_.closed = (e.f70 & 1) != 0;
    poly_.closed_n = (e.f70 & 32) != 0;
    poly_.m = std::clamp(e.f71, 0, 100000);
    poly_.n = std::clamp(e.f72, 0, 100000);
    poly_.layer = layer;
    poly_.pen = pen;
    poly_.ltype = lt;
    poly_.layer_name = e.layer;
    if (poly_.kind == Polyline::kFace || poly_.kind == Polyline::kMesh) {
      poly_.array = true;
      const long want = poly_.kind == Polyline::kFace ? poly_.m : static_cast<long>(poly_.m) * poly_.n;
      poly_.vertices.reserve(static_cast<std::size_t>(std::min(want, 100000L)));
    }
  }
}

DxfImportResult Importer::run() {
  // The survey.
  PairReader survey(file_);
  int layer_entries = 0, block_count = 0, header = 0;
  bool entities = false;
  while (survey.next()) {
    if (survey.code == 0 && survey.value == "LAYER") ++layer_entries;
    if (survey.code == 0 && survey.value == "BLOCK") ++block_count;
    if (survey.code == 2 && survey.value == "ENTITIES") entities = true;
    if ((survey.code == 2 && survey.value == "HEADER") ||
        (survey.code == 9 && (survey.value == "$EXTMIN" || survey.value == "$EXTMAX")))
      ++header;
  }
  total_pairs_ = survey.pairs;
  if (!entities) {
    r_.error = std::string(kMsgNoEntities);
    return r_;
  }
  const std::size_t first_new = d_.store.size();
  // 1. The header's extents.
  if (header == 3) {
    PairReader p(file_);
    if (skip_to(p, "HEADER") && skip_to(p, "$EXTMIN")) {
      double v[3] = {};
      for (double& x : v)
        if (p.next()) x = number(p.value) / k_;
      r_.xmin = v[0];
      r_.ymin = v[1];
      if (skip_to(p, "$EXTMAX")) {
        for (double& x : v)
          if (p.next()) x = number(p.value) / k_;
        r_.xmax = v[0];
        r_.ymax = v[1];
        r_.have_extents = true;
      }
    }
  }
  PairReader p(file_);
  // 2. The layers.
  if (layer_entries > 0) {
    PairReader lp(file_);
    read_layers(lp, layer_entries);
  }
  // 3. The blocks.
  unsigned highest = 0;
  for (const Element& e : d_.store.list) highest = std::max<unsigned>(highest, e.group);
  base_group_ = highest;
  unsigned next_group = highest;
  PairReader bp(file_);
  for (int i = 0; i < block_count && next_group < 65535; ++i) {
    if (!skip_to(bp, "BLOCK")) break;
    BlockRecord rec;
    rec.group = ++next_group;
    blocks_.push_back(rec);
    Element* before = d_.store.tail();
    entity_loop(bp, rec.group, true);
    BlockRecord& b = blocks_.back();
    b.first = before ? before->next : d_.store.head();
    for (const Element* e = b.first; e; e = e->next) ++b.count;
  }
  // 4. The entities.
  if (skip_to(p, "ENTITIES") && p.next()) entity_loop(p, 0, false);
  // 5. Block definitions leave nothing behind.
  if (!blocks_.empty()) {
    d_.deselect_all();
    for (Element& e : d_.store.list)
      if (e.group > base_group_) e.selected = 1;
    d_.store.purge();
  }
  // 6. The counts.
  char buf[64];
  for (int i = 0; i < kDxfCounterCount; ++i) {
    std::snprintf(buf, sizeof buf, kCounterNames[i], r_.counts[static_cast<std::size_t>(i)]);
    say(buf);
  }
  const std::size_t now = d_.store.size();
  r_.created = now > first_new ? static_cast<int>(now - first_new) : 0;
  if (r_.created > 0) d_.undo.record(d_.store, kUndoMarkLast, r_.created);
  r_.imported = true;
  return r_;
}

}  // namespace

DxfImportResult import_dxf(Drawing& d, std::string_view file, const DxfImportOptions& options,
                           const DxfProgress& progress) {
  Importer imp(d, file, options, progress);
  return imp.run();
}

}  // namespace korav
