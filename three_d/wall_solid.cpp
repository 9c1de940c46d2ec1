#include "three_d/wall_solid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

#include "model/element_points.h"

namespace korav {

namespace {

// The body is cut across the wall at stations: the two ends, each opening's start and end, and
// the gable's ridge. Between two neighbouring stations lies a block, whose material is the
// wall's height minus the openings that pierce it: a list of solid intervals in z. A level of
// an interval is a height, or the wall's bottom or top wherever that is at a station (the
// top may slope). Faces are the blocks' sides, their interval tops and bottoms, and at each
// station the part of the cross-section where material lies on one side only (the end faces,
// the jambs). Every face on a station's edge carries every level of that station, so that each
// edge of the result is shared by exactly two faces.

constexpr double kBottom = -std::numeric_limits<double>::infinity();
constexpr double kTop = std::numeric_limits<double>::infinity();
constexpr double kSame = 1e-9;    // stations this close are one
constexpr double kTouch = 1e-6;   // an opening this close to the bottom or top runs through it

struct Station {
  double sa = 0, sb = 0;  // parameters along the long sides c0->c1 (A) and c3->c2 (B)
};

struct Interval {
  double lo = kBottom, hi = kTop;
};

struct Hole {
  double sa0, sa1, sb0, sb1, zb, zt;
};

double along(const Point3& a, const Point3& b, const Point3& p) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  return len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

double dist_to_line(const Point3& a, const Point3& b, const Point3& p) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len = std::hypot(dx, dy);
  if (len <= 0) return std::hypot(p.x - a.x, p.y - a.y);
  return std::abs((p.x - a.x) * dy - (p.y - a.y) * dx) / len;
}

class Builder {
 public:
  explicit Builder(const Wall& w) : w_(w), c_(w.corner) {
    gable_ = w.gable == 1;
    if (gable_) {
      sg_a_ = std::clamp(along(c_[0], c_[1], w.gable_point[0]), 0.0, 1.0);
      sg_b_ = std::clamp(along(c_[3], c_[2], w.gable_point[1]), 0.0, 1.0);
      if (sg_a_ <= kSame || sg_a_ >= 1 - kSame || sg_b_ <= kSame || sg_b_ >= 1 - kSame)
        gable_ = false;
    }
  }

  Mesh build(bool with_openings) {
    stations_.clear();
    holes_.clear();
    stations_.push_back({0, 0});
    stations_.push_back({1, 1});
    if (gable_) stations_.push_back({sg_a_, sg_b_});
    if (with_openings)
      for (const Opening& o : wall_openings(w_)) add_hole(o);
    if (!sort_stations()) return {};
    make_blocks();
    emit();
    return std::move(m_);
  }

 private:
  // Side A at parameter s: plan point and bottom and top heights; likewise side B.
  Point3 at(int side, double s, double level) const {
    const Point3& b0 = side == 0 ? c_[0] : c_[3];
    const Point3& b1 = side == 0 ? c_[1] : c_[2];
    Point3 p{lerp(b0.x, b1.x, s), lerp(b0.y, b1.y, s), 0, 0};
    if (level == kBottom)
      p.z = lerp(b0.z, b1.z, s);
    else if (level == kTop)
      p.z = top(side, s);
    else
      p.z = level;
    return p;
  }

  double top(int side, double s) const {
    const Point3& t0 = side == 0 ? c_[4] : c_[7];
    const Point3& t1 = side == 0 ? c_[5] : c_[6];
    if (!gable_) return lerp(t0.z, t1.z, s);
    const double sg = side == 0 ? sg_a_ : sg_b_;
    const double zg = w_.gable_point[side].z;
    return s <= sg ? lerp(t0.z, zg, s / sg) : lerp(zg, t1.z, (s - sg) / (1 - sg));
  }

  void add_hole(const Opening& o) {
    // The two corners nearer side A are its start and end there; the other two lie on side B.
    const Point3* p = o.corner;
    int on_a[4], na = 0, nb = 0, on_b[4];
    for (int i = 0; i < 4; ++i) {
      if (dist_to_line(c_[0], c_[1], p[i]) <= dist_to_line(c_[3], c_[2], p[i]))
        on_a[na++] = i;
      else
        on_b[nb++] = i;
    }
    if (na != 2 || nb != 2) return;
    auto range = [&](const int* idx, const Point3& a, const Point3& b, double& s0, double& s1) {
      s0 = std::clamp(along(a, b, p[idx[0]]), 0.0, 1.0);
      s1 = std::clamp(along(a, b, p[idx[1]]), 0.0, 1.0);
      if (s0 > s1) std::swap(s0, s1);
    };
    Hole h{};
    range(on_a, c_[0], c_[1], h.sa0, h.sa1);
    range(on_b, c_[3], c_[2], h.sb0, h.sb1);
    h.zb = std::min({p[0].z, p[1].z, p[2].z, p[3].z});
    h.zt = std::max({p[4].z, p[5].z, p[6].z, p[7].z});
    if (!(h.sa1 - h.sa0 > kSame && h.sb1 - h.sb0 > kSame && h.zt - h.zb > kTouch)) return;
    if (!std::isfinite(h.zb) || !std::isfinite(h.zt)) return;
    holes_.push_back(h);
    stations_.push_back({h.sa0, h.sb0});
    stations_.push_back({h.sa1, h.sb1});
  }

  // Orders the stations along the wall and merges those that coincide. False when the two
  // sides disagree on the order (an opening that does not run straight through).
  bool sort_stations() {
    std::sort(stations_.begin(), stations_.end(), [](const Station& a, const Station& b) {
      return a.sa < b.sa || (a.sa == b.sa && a.sb < b.sb);
    });
    std::vector<Station> merged;
    for (const Station& s : stations_) {
      if (!merged.empty()) {
        const Station& last = merged.back();
        const bool same_a = s.sa - last.sa <= kSame, same_b = std::abs(s.sb - last.sb) <= kSame;
        if (same_a && same_b) continue;
        if (same_a || s.sb - last.sb <= kSame) return false;
      }
      merged.push_back(s);
    }
    stations_ = std::move(merged);
    return stations_.size() >= 2;
  }

  int station_of(double sa, double sb) const {
    for (std::size_t k = 0; k < stations_.size(); ++k)
      if (std::abs(stations_[k].sa - sa) <= kSame && std::abs(stations_[k].sb - sb) <= kSame)
        return int(k);
    return -1;
  }

  void make_blocks() {
    const std::size_t nb = stations_.size() - 1;
    blocks_.assign(nb, {Interval{}});
    for (const Hole& h : holes_) {
      const int k0 = station_of(h.sa0, h.sb0), k1 = station_of(h.sa1, h.sb1);
      if (k0 < 0 || k1 <= k0) continue;
      for (int k = k0; k < k1; ++k) cut(std::size_t(k), h);
    }
    levels_.assign(stations_.size(), {});
    for (std::size_t k = 0; k < nb; ++k)
      for (const Interval& iv : blocks_[k])
        for (std::size_t st : {k, k + 1}) {
          levels_[st].push_back(iv.lo);
          levels_[st].push_back(iv.hi);
        }
    for (auto& l : levels_) {
      std::sort(l.begin(), l.end());
      l.erase(std::unique(l.begin(), l.end()), l.end());
    }
  }

  // Takes the opening's heights out of block k's intervals; an opening that reaches the
  // bottom or the top of the block runs through it.
  void cut(std::size_t k, const Hole& h) {
    const Station& s0 = stations_[k];
    const Station& s1 = stations_[k + 1];
    const double bottom = std::max({at(0, s0.sa, kBottom).z, at(0, s1.sa, kBottom).z,
                                    at(1, s0.sb, kBottom).z, at(1, s1.sb, kBottom).z});
    const double topmost = std::min({top(0, s0.sa), top(0, s1.sa), top(1, s0.sb), top(1, s1.sb)});
    if (h.zb >= topmost - kTouch || h.zt <= bottom + kTouch) return;
    const double lo = h.zb <= bottom + kTouch ? kBottom : h.zb;
    const double hi = h.zt >= topmost - kTouch ? kTop : h.zt;
    std::vector<Interval> out;
    for (const Interval& iv : blocks_[k]) {
      if (hi <= iv.lo || lo >= iv.hi) {
        out.push_back(iv);
        continue;
      }
      if (lo > iv.lo) out.push_back({iv.lo, lo});
      if (hi < iv.hi) out.push_back({hi, iv.hi});
    }
    blocks_[k] = std::move(out);
  }

  std::uint32_t vertex(int side, std::size_t station, double level) {
    const auto key = std::make_tuple(side, station, level);
    if (auto it = index_.find(key); it != index_.end()) return it->second;
    const Station& st = stations_[station];
    const Point3 p = at(side, side == 0 ? st.sa : st.sb, level);
    const std::uint32_t i = m_.add_vertex(p.x, p.y, p.z);
    index_.emplace(key, i);
    return i;
  }

  // The vertices on a station's edge of one side from level lo to level hi, ends included,
  // upwards or downwards.
  void edge(std::vector<std::uint32_t>& f, int side, std::size_t st, double lo, double hi,
            bool up) {
    const auto& l = levels_[st];
    const auto b = std::lower_bound(l.begin(), l.end(), lo);
    const auto e = std::upper_bound(l.begin(), l.end(), hi);
    if (up)
      for (auto it = b; it != e; ++it) f.push_back(vertex(side, st, *it));
    else
      for (auto it = e; it != b;) f.push_back(vertex(side, st, *--it));
  }

  void emit() {
    std::vector<std::uint32_t> f;
    for (std::size_t k = 0; k + 1 < stations_.size(); ++k) {
      for (const Interval& iv : blocks_[k]) {
        // Side A, seen from outside: along the bottom, up the far station, back along the top.
        f.clear();
        edge(f, 0, k + 1, iv.lo, iv.hi, true);
        edge(f, 0, k, iv.lo, iv.hi, false);
        m_.add_face(f);
        // Side B runs the other way.
        f.clear();
        edge(f, 1, k, iv.lo, iv.hi, true);
        edge(f, 1, k + 1, iv.lo, iv.hi, false);
        m_.add_face(f);
        m_.add_face({vertex(0, k, iv.hi), vertex(0, k + 1, iv.hi), vertex(1, k + 1, iv.hi),
                     vertex(1, k, iv.hi)});
        m_.add_face({vertex(0, k, iv.lo), vertex(1, k, iv.lo), vertex(1, k + 1, iv.lo),
                     vertex(0, k + 1, iv.lo)});
      }
    }
    // The cross-sections where material lies on one side of a station only.
    for (std::size_t st = 0; st < stations_.size(); ++st) {
      const auto& l = levels_[st];
      auto covered = [&](std::ptrdiff_t block, double a, double b) {
        if (block < 0 || block >= std::ptrdiff_t(blocks_.size())) return false;
        for (const Interval& iv : blocks_[std::size_t(block)])
          if (iv.lo <= a && b <= iv.hi) return true;
        return false;
      };
      std::size_t i = 0;
      while (i + 1 < l.size()) {
        const bool left = covered(std::ptrdiff_t(st) - 1, l[i], l[i + 1]);
        const bool right = covered(std::ptrdiff_t(st), l[i], l[i + 1]);
        if (left == right) {
          ++i;
          continue;
        }
        std::size_t j = i + 1;
        while (j + 1 < l.size() && covered(std::ptrdiff_t(st) - 1, l[j], l[j + 1]) == left &&
               covered(std::ptrdiff_t(st), l[j], l[j + 1]) == right)
          ++j;
        f.clear();
        if (right) {  // facing back along the wall
          edge(f, 0, st, l[i], l[j], true);
          edge(f, 1, st, l[i], l[j], false);
        } else {  // facing on along the wall
          edge(f, 1, st, l[i], l[j], true);
          edge(f, 0, st, l[i], l[j], false);
        }
        m_.add_face(f);
        i = j;
      }
    }
  }

  const Wall& w_;
  const Point3* c_;
  bool gable_ = false;
  double sg_a_ = 0, sg_b_ = 0;
  std::vector<Station> stations_;
  std::vector<Hole> holes_;
  std::vector<std::vector<Interval>> blocks_;
  std::vector<std::vector<double>> levels_;
  std::map<std::tuple<int, std::size_t, double>, std::uint32_t> index_;
  Mesh m_;
};

void reverse_faces(Mesh& m) {
  std::size_t at = 0;
  for (std::uint32_t n : m.face_sizes) {
    std::reverse(m.indices.begin() + std::ptrdiff_t(at), m.indices.begin() + std::ptrdiff_t(at + n));
    at += n;
  }
}

}  // namespace

Mesh wall_mesh(const Wall& w) {
  Mesh m = Builder(w).build(true);
  // Openings that do not run straight through the wall are left out rather than cut wrongly.
  if (m.face_sizes.empty()) m = Builder(w).build(false);
  if (signed_volume(m) < 0) reverse_faces(m);
  return m;
}

int walls_to_solids(ElementStore& store) {
  std::vector<const Wall*> walls;
  for (const Element& e : store.list)
    if (const Wall* w = as<Wall>(&e); w && w->selected == 1) walls.push_back(w);
  // The solids are working copies: the drawing does not count as altered by them.
  const bool modified = store.modified;
  int made = 0;
  for (const Wall* w : walls) {
    const Mesh m = wall_mesh(*w);
    if (store_mesh(store, m, kTempLayer, w->pen, w->line_type, w->material.view())) ++made;
  }
  store.modified = modified;
  return made;
}

void remove_temp_solids(ElementStore& store) {
  for (Element* e = store.head(); e;) {
    Element* next = e->next;
    if (e->layer == kTempLayer) free_record(store.list.unlink(e));
    e = next;
  }
}

}  // namespace korav
