#include "exchange/gts.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/regular_file.h"

namespace korav {

namespace {

// ---- writing ----

void put_double(std::string& out, double v) {
  char buf[64];
  if (!std::isfinite(v)) v = 0;
  if (v == 0) v = 0;  // no "-0.000..."
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 15);
  out.append(buf, r.ptr);
}

void put_int(std::string& out, std::uint64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// Undirected edges numbered in the order they are met: an open-addressing table of
// (smaller, larger) vertex pairs, sized once for the triangle count.
class EdgeTable {
 public:
  explicit EdgeTable(std::size_t triangles) {
    std::size_t n = 16;
    while (n < triangles * 6 + 16) n <<= 1;
    keys_.assign(n, kEmpty);
    values_.resize(n);
    edges_.reserve(triangles * 3 / 2 + 3);
  }
  // The 0-based number of the edge between a and b, added when new.
  std::uint32_t number(std::uint32_t a, std::uint32_t b) {
    const std::uint64_t key = a < b ? (std::uint64_t(a) << 32 | b) : (std::uint64_t(b) << 32 | a);
    const std::size_t mask = keys_.size() - 1;
    std::size_t i = (key * 0x9E3779B97F4A7C15ull) >> 20 & mask;
    while (keys_[i] != kEmpty) {
      if (keys_[i] == key) return values_[i];
      i = (i + 1) & mask;
    }
    keys_[i] = key;
    values_[i] = static_cast<std::uint32_t>(edges_.size());
    edges_.push_back({a, b});
    return values_[i];
  }
  const std::vector<std::array<std::uint32_t, 2>>& edges() const { return edges_; }

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> values_;
  std::vector<std::array<std::uint32_t, 2>> edges_;
};

// ---- reading ----

class Cursor {
 public:
  explicit Cursor(std::string_view s) : p_(s.data()), end_(s.data() + s.size()) {}

  // To the start of the next line with something on it other than a comment; false at the end.
  bool next_record() {
    for (;;) {
      while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n')) ++p_;
      if (p_ == end_) return false;
      if (*p_ != '#') return true;
      while (p_ < end_ && *p_ != '\n') ++p_;
    }
  }
  // Skips the rest of the current line.
  void end_line() {
    while (p_ < end_ && *p_ != '\n') ++p_;
  }
  bool number(double& v) {
    blanks();
    // from_chars takes no leading '+'.
    if (p_ < end_ && *p_ == '+') ++p_;
    auto r = std::from_chars(p_, end_, v);
    if (r.ec != std::errc() || !std::isfinite(v)) return false;
    p_ = r.ptr;
    return true;
  }
  bool number(long long& v) {
    blanks();
    if (p_ < end_ && *p_ == '+') ++p_;
    auto r = std::from_chars(p_, end_, v);
    if (r.ec != std::errc()) return false;
    p_ = r.ptr;
    return true;
  }
  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
  bool at_end_of_line() {
    blanks();
    return p_ == end_ || *p_ == '\n';
  }

 private:
  void blanks() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r')) ++p_;
  }
  const char* p_;
  const char* end_;
};

bool read_index(Cursor& c, long long count, std::uint32_t& out) {
  long long v = 0;
  if (!c.number(v) || v < 1 || v > count) return false;
  out = static_cast<std::uint32_t>(v - 1);
  return true;
}

GtsImport failed(std::string_view why) {
  GtsImport r;
  r.error = why;
  return r;
}

}  // namespace

std::string gts_text(const TriangleMesh& t) {
  EdgeTable table(t.triangles.size());
  std::vector<std::array<std::uint32_t, 3>> faces;
  faces.reserve(t.triangles.size());
  for (const Triangle& tr : t.triangles) {
    const std::uint32_t a = tr[0], b = tr[1], c = tr[2];
    faces.push_back({table.number(c, b), table.number(b, a), table.number(a, c)});
  }
  std::string out;
  out.reserve(t.vertices.size() * 60 + table.edges().size() * 16 + faces.size() * 24 + 64);
  put_int(out, t.vertices.size());
  out += ' ';
  put_int(out, table.edges().size());
  out += ' ';
  put_int(out, faces.size());
  out += " GtsSurface GtsFace GtsEdge GtsVertex\n";
  for (const Point3& p : t.vertices) {
    put_double(out, p.x);
    out += ' ';
    put_double(out, p.y);
    out += ' ';
    put_double(out, p.z);
    out += '\n';
  }
  for (const auto& e : table.edges()) {
    put_int(out, e[0] + 1ull);
    out += ' ';
    put_int(out, e[1] + 1ull);
    out += '\n';
  }
  for (const auto& f : faces) {
    put_int(out, f[0] + 1ull);
    out += ' ';
    put_int(out, f[1] + 1ull);
    out += ' ';
    put_int(out, f[2] + 1ull);
    out += '\n';
  }
  return out;
}

WriteStatus write_gts(const TriangleMesh& t, const std::string& path) {
  const std::string text = gts_text(t);
  return write_file_safely(path, [&](Writer& w) { return w.bytes(text.data(), text.size()); });
}

GtsImport read_gts(std::string_view text, bool reversed) {
  Cursor c(text);
  if (!c.next_record()) return failed(kMsgGtsEmpty);
  long long nv = 0, ne = 0, nf = 0;
  if (!c.number(nv) || !c.number(ne) || !c.number(nf)) return failed(kMsgGtsFailed);
  c.end_line();
  // Each record needs at least two characters per number: counts beyond that cannot be right,
  // and are refused before anything is allocated for them.
  if (nv < 0 || ne < 0 || nf < 0) return failed(kMsgGtsFailed);
  const long long room = static_cast<long long>(c.left());
  if (nv > room / 6 || ne > room / 4 || nf > room / 6 || nv * 6 + ne * 4 + nf * 6 > room + 1)
    return failed(kMsgGtsFailed);

  GtsImport r;
  TriangleMesh& m = r.mesh;
  m.vertices.reserve(static_cast<std::size_t>(nv));
  for (long long i = 0; i < nv; ++i) {
    Point3 p;
    if (!c.next_record() || !c.number(p.x) || !c.number(p.y) || !c.number(p.z))
      return failed(kMsgGtsFailed);
    c.end_line();
    m.vertices.push_back(p);
  }
  std::vector<std::array<std::uint32_t, 2>> edges;
  edges.reserve(static_cast<std::size_t>(ne));
  for (long long i = 0; i < ne; ++i) {
    std::array<std::uint32_t, 2> e;
    if (!c.next_record() || !read_index(c, nv, e[0]) || !read_index(c, nv, e[1]))
      return failed(kMsgGtsFailed);
    c.end_line();
    edges.push_back(e);
  }
  m.triangles.reserve(static_cast<std::size_t>(nf));
  int not_triangles = 0;
  for (long long i = 0; i < nf; ++i) {
    std::uint32_t f[3];
    if (!c.next_record() || !read_index(c, ne, f[0]) || !read_index(c, ne, f[1]) ||
        !read_index(c, ne, f[2]))
      return failed(kMsgGtsFailed);
    c.end_line();
    // The corners as the edges give them: the first edge runs v1 -> v2 where it meets the
    // second edge at v2; v3 is the second edge's other end; the third edge must close v3 -> v1.
    const auto &e1 = edges[f[0]], &e2 = edges[f[1]], &e3 = edges[f[2]];
    std::uint32_t v1, v2, v3;
    if (e1[1] == e2[0]) {
      v1 = e1[0], v2 = e1[1], v3 = e2[1];
    } else if (e1[1] == e2[1]) {
      v1 = e1[0], v2 = e1[1], v3 = e2[0];
    } else if (e1[0] == e2[0]) {
      v1 = e1[1], v2 = e1[0], v3 = e2[1];
    } else if (e1[0] == e2[1]) {
      v1 = e1[1], v2 = e1[0], v3 = e2[0];
    } else {
      ++not_triangles;
      continue;
    }
    if (!((e3[0] == v3 && e3[1] == v1) || (e3[0] == v1 && e3[1] == v3))) {
      ++not_triangles;
      continue;
    }
    // The file's corner order is the reverse of the program's (see gts_text).
    m.triangles.push_back(reversed ? Triangle{v1, v2, v3} : Triangle{v3, v2, v1});
  }
  r.points_read = static_cast<int>(nv);
  r.edges_read = static_cast<int>(ne);
  r.triangles_read = static_cast<int>(nf);
  r.duplicates = merge_duplicate_points(m);
  r.degenerate = drop_degenerate_triangles(m) + not_triangles;
  r.unused = remove_unused_points(m) - r.duplicates;
  char line[200];
  r.stats = "STATS: ### translate_gts_korav ###\n";
  std::snprintf(line, sizeof line, "read: %d points, %d edges, %d triangles\n", r.points_read,
                r.edges_read, r.triangles_read);
  r.stats += line;
  std::snprintf(line, sizeof line,
                "removed: %d duplicate points, %d degenerate triangles, %d unused points\n",
                r.duplicates, r.degenerate, r.unused);
  r.stats += line;
  std::snprintf(line, sizeof line, "created: %zu points, %zu triangles\n", m.vertices.size(),
                m.triangles.size());
  r.stats += line;
  r.ok = true;
  return r;
}

GtsImport read_gts_file(const std::string& path, bool reversed) {
  std::string text;
  if (!read_regular_file(path, text)) return failed(kMsgGtsFailed);
  return read_gts(text, reversed);
}

}  // namespace korav
