#include "three_d/hidden_lines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "model/element_points.h"
#include "model/pens.h"
#include "three_d/mesh.h"

namespace korav {

// Neighbouring faces whose normals differ by less than this (1 - cosine) lie in one plane.
constexpr double kCoplanarCosine = 1e-12;

namespace {

constexpr double kNormalTolerance = 1e-11;   // normal lengths, line-intersection determinants
constexpr double kPointTolerance = 1e-9;     // point coincidence, box tests
constexpr double kDepthTolerance = 1e-7;     // depth ties
constexpr double kJoinTolerance = 1e-5;      // collinearity of joined pieces
constexpr std::size_t kProgressStep = 100;   // faces between progress reports

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// Newell's normal of a polygon given by a point accessor.
template <class At>
Vec3 newell(std::uint32_t n, const At& at) {
  Vec3 r;
  for (std::uint32_t i = 0; i < n; ++i) {
    const Vec3 a = at(i), b = at((i + 1) % n);
    r.x += (a.y - b.y) * (a.z + b.z);
    r.y += (a.z - b.z) * (a.x + b.x);
    r.z += (a.x - b.x) * (a.y + b.y);
  }
  const double len2 = r.x * r.x + r.y * r.y + r.z * r.z;
  if (len2 > kNormalTolerance) {
    const double len = std::sqrt(len2);
    r = {r.x / len, r.y / len, r.z / len};
  }
  return r;
}

// Coordinates beyond this are taken for damage: a point there cannot be drawn.
constexpr double kFarthest = 1e100;

bool usable3(double a, double b, double c) {
  return std::fabs(a) <= kFarthest && std::fabs(b) <= kFarthest && std::fabs(c) <= kFarthest;
}

// True when every directed edge of the mesh has its reverse in the mesh (the faces close up).
// `edges` is scratch space kept between calls.
bool closed_mesh(std::span<const std::uint32_t> sizes, std::span<const std::uint32_t> idx,
                 std::vector<std::pair<std::uint32_t, std::uint32_t>>& edges) {
  edges.clear();
  std::size_t k = 0;
  for (std::uint32_t n : sizes) {
    if (n > idx.size() - k) return false;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t a = idx[k + i], b = idx[k + (i + 1) % n];
      if (a != b) edges.emplace_back(a, b);
    }
    k += n;
  }
  if (edges.empty()) return false;
  std::sort(edges.begin(), edges.end());
  for (const auto& [a, b] : edges)
    if (!std::binary_search(edges.begin(), edges.end(), std::pair{b, a})) return false;
  return true;
}

// Whether the object's faces run the other way round from the one the front test expects:
// a closed object with a volume clearly above zero.
bool front_turned(const Object3D& o, std::vector<std::pair<std::uint32_t, std::uint32_t>>& edges) {
  const auto sizes = mesh_face_sizes(o);
  const auto idx = mesh_indices(o);
  const auto verts = mesh_vertices(o);
  std::size_t total = 0;
  for (std::uint32_t n : sizes) total += n;
  if (total > idx.size()) return false;
  for (std::uint32_t i : idx)
    if (i >= verts.size()) return false;
  if (!closed_mesh(sizes, idx, edges)) return false;
  double lo[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                  std::numeric_limits<double>::max()};
  double hi[3] = {-lo[0], -lo[1], -lo[2]};
  for (const Point3& p : verts) {
    const double c[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], c[a]);
      hi[a] = std::max(hi[a], c[a]);
    }
  }
  const double size = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  const double volume = signed_volume(o);
  if (!std::isfinite(volume) || !std::isfinite(size)) return false;
  return volume > 1e-9 * size * size * size;
}

}  // namespace

int silhouette_pen(int pen) {
  if (pen < 0 || pen >= kPenCount) return pen;
  return (pen + 1) % kPenCount;
}

HlrScene build_hlr_scene(const ElementStore& store, const Layers& layers, int current_layer,
                         const Projector& view, const HlrOptions& options) {
  HlrScene s;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> scratch_edges;
  std::vector<std::uint8_t> unprojectable;
  for (const Element& e : store.list) {
    const Object3D* o = as<Object3D>(&e);
    if (!o) continue;
    if (!layer_visible(layers, current_layer, e.layer) && e.layer != kTempLayer) continue;
    if (!tail_intact(*o)) continue;
    const auto sizes = mesh_face_sizes(*o);
    const auto verts = mesh_vertices(*o);
    const auto idx = mesh_indices(*o);

    HlrObject obj;
    obj.pen = o->pen;
    obj.line_type = o->line_type;
    obj.first_vertex = static_cast<std::uint32_t>(s.points.size());
    obj.vertex_count = static_cast<std::uint32_t>(verts.size());
    obj.faces_inwards = front_turned(*o, scratch_edges);
    const auto object_index = static_cast<std::uint32_t>(s.objects.size());

    unprojectable.assign(verts.size(), 0);
    for (std::size_t i = 0; i < verts.size(); ++i) {
      const Point3& p = verts[i];
      const ViewPoint v = view(p);
      if (behind_eye(v) || !usable3(p.x, p.y, p.z) ||
          !usable3(v.u * kHlrScale, v.v * kHlrScale, v.depth * kHlrScale)) {
        unprojectable[i] = 1;
        s.points.push_back({kBehindEye, kBehindEye, kBehindEye});
      } else {
        s.points.push_back({v.u * kHlrScale, v.v * kHlrScale, v.depth * kHlrScale});
      }
    }

    std::size_t k = 0;
    for (std::uint32_t n : sizes) {
      if (n > idx.size() - k) break;  // a face past the index list ends the mesh
      const std::uint32_t* f = idx.data() + k;
      k += n;
      if (n < 3) continue;
      bool usable = true;
      for (std::uint32_t i = 0; i < n && usable; ++i)
        usable = f[i] < verts.size() && !unprojectable[f[i]];
      if (!usable) continue;
      const HlrPoint* pts = s.points.data() + obj.first_vertex;
      const Vec3 nv = newell(n, [&](std::uint32_t i) {
        const HlrPoint& p = pts[f[i]];
        return Vec3{p.x, p.y, p.depth};
      });
      const bool front = obj.faces_inwards ? nv.z > kNormalTolerance : nv.z < -kNormalTolerance;
      if (!front) continue;

      HlrFace face;
      face.object = object_index;
      face.first = static_cast<std::uint32_t>(s.corners.size());
      face.count = n;
      face.min_x = face.min_y = face.min_depth = std::numeric_limits<double>::max();
      face.max_x = face.max_y = face.max_depth = -std::numeric_limits<double>::max();
      double cx = 0, cy = 0, cd = 0;
      for (std::uint32_t i = 0; i < n; ++i) {
        const HlrPoint& p = pts[f[i]];
        face.min_x = std::min(face.min_x, p.x);
        face.min_y = std::min(face.min_y, p.y);
        face.min_depth = std::min(face.min_depth, p.depth);
        face.max_x = std::max(face.max_x, p.x);
        face.max_y = std::max(face.max_y, p.y);
        face.max_depth = std::max(face.max_depth, p.depth);
        cx += p.x;
        cy += p.y;
        cd += p.depth;
        s.corners.push_back(obj.first_vertex + f[i]);
        s.edge_state.push_back(kEdgeUnclassified);
      }
      cx /= n;
      cy /= n;
      cd /= n;
      // depth = cd - (nx (x - cx) + ny (y - cy)) / nz
      face.dx = -nv.x / nv.z;
      face.dy = -nv.y / nv.z;
      face.d0 = cd - face.dx * cx - face.dy * cy;
      const Vec3 wn = newell(n, [&](std::uint32_t i) {
        const Point3& p = verts[f[i]];
        return Vec3{p.x, p.y, p.z};
      });
      face.normal[0] = wn.x;
      face.normal[1] = wn.y;
      face.normal[2] = wn.z;
      s.faces.push_back(face);
    }
    s.objects.push_back(obj);
  }

  std::stable_sort(s.faces.begin(), s.faces.end(), [](const HlrFace& a, const HlrFace& b) {
    return a.min_depth < b.min_depth;
  });

  for (const HlrFace& f : s.faces) {
    if (!s.has_extent) {
      s.min_x = f.min_x;
      s.min_y = f.min_y;
      s.max_x = f.max_x;
      s.max_y = f.max_y;
      s.has_extent = true;
    }
    s.min_x = std::min(s.min_x, f.min_x);
    s.min_y = std::min(s.min_y, f.min_y);
    s.max_x = std::max(s.max_x, f.max_x);
    s.max_y = std::max(s.max_y, f.max_y);
  }

  // Edge classification. Vertex indices into `points` are distinct between objects, so one
  // sorted table of the front faces' directed edges finds each edge's neighbours.
  struct EdgeRef {
    std::uint32_t a, b, face, k;
  };
  std::vector<EdgeRef> table;
  table.reserve(s.corners.size());
  for (std::uint32_t fi = 0; fi < s.faces.size(); ++fi) {
    const HlrFace& f = s.faces[fi];
    for (std::uint32_t k = 0; k < f.count; ++k)
      table.push_back({s.corners[f.first + k], s.corners[f.first + (k + 1) % f.count], fi, k});
  }
  auto key_less = [](const EdgeRef& x, const EdgeRef& y) {
    return x.a != y.a ? x.a < y.a : x.b < y.b;
  };
  std::sort(table.begin(), table.end(), [](const EdgeRef& x, const EdgeRef& y) {
    return std::tie(x.a, x.b, x.face, x.k) < std::tie(y.a, y.b, y.face, y.k);
  });
  for (std::uint32_t fi = 0; fi < s.faces.size(); ++fi) {
    const HlrFace& f = s.faces[fi];
    for (std::uint32_t k = 0; k < f.count; ++k) {
      std::int8_t& state = s.edge_state[f.first + k];
      if (state != kEdgeUnclassified) continue;
      const std::uint32_t a = s.corners[f.first + k];
      const std::uint32_t b = s.corners[f.first + (k + 1) % f.count];
      if (a == b) {
        state = kEdgeNotDrawn;
        continue;
      }
      const EdgeRef key{b, a, 0, 0};
      auto it = std::lower_bound(table.begin(), table.end(), key, key_less);
      bool found = false, sharp = false;
      for (; it != table.end() && it->a == b && it->b == a; ++it) {
        if (it->face == fi) continue;
        const HlrFace& g = s.faces[it->face];
        s.edge_state[g.first + it->k] = kEdgeNotDrawn;
        found = true;
        // Two faces of one flat surface (a wall's side split round its openings) meet
        // without an edge to draw; other neighbours are smooth only with smoothing on.
        bool smooth = false;
        const double* na = f.normal;
        const double* nb = g.normal;
        const double la = std::sqrt(na[0] * na[0] + na[1] * na[1] + na[2] * na[2]);
        const double lb = std::sqrt(nb[0] * nb[0] + nb[1] * nb[1] + nb[2] * nb[2]);
        if (la > 0 && lb > 0) {
          const double c = (na[0] * nb[0] + na[1] * nb[1] + na[2] * nb[2]) / (la * lb);
          smooth = c > 1 - kCoplanarCosine ||
                   (options.smoothing && std::acos(std::clamp(c, -1.0, 1.0)) < options.smoothing_angle);
        }
        if (!smooth) sharp = true;
      }
      state = !found ? kEdgeOutline : sharp ? kEdgeCrease : kEdgeNotDrawn;
    }
  }
  return s;
}

namespace {

// A uniform grid over the faces' 2D boxes: each cell lists the faces whose (slightly widened)
// box reaches into it. Only a filter: every face it hands out is tested as the sorted walk
// tests it.
class FaceGrid {
 public:
  template <class Keep>
  void build(const HlrScene& s, double margin, const Keep& keep) {
    margin_ = margin;
    const double w = std::max(s.max_x - s.min_x, margin);
    const double h = std::max(s.max_y - s.min_y, margin);
    // Cells about the size of an average face, at most 1024 a side and 4 per face in all.
    double mean_w = 0, mean_h = 0;
    std::size_t kept = 0;
    for (const HlrFace& f : s.faces)
      if (keep(f)) {
        mean_w += f.max_x - f.min_x;
        mean_h += f.max_y - f.min_y;
        ++kept;
      }
    if (kept) {
      mean_w /= kept;
      mean_h /= kept;
    }
    auto cells_along = [&](double length, double mean) {
      double n = mean > 0 ? length / mean : 1;
      n = std::clamp(n, 1.0, 1024.0);
      return static_cast<int>(n);
    };
    nx_ = cells_along(w, mean_w);
    ny_ = cells_along(h, mean_h);
    const double limit = 4.0 * static_cast<double>(kept) + 16;
    while (static_cast<double>(nx_) * ny_ > limit && (nx_ > 1 || ny_ > 1)) {
      nx_ = std::max(1, nx_ / 2);
      ny_ = std::max(1, ny_ / 2);
    }
    x0_ = s.min_x - margin;
    y0_ = s.min_y - margin;
    sx_ = nx_ / (w + 2 * margin);
    sy_ = ny_ / (h + 2 * margin);

    start_.assign(static_cast<std::size_t>(nx_) * ny_ + 1, 0);
    auto each_cell = [&](const HlrFace& f, auto&& fn) {
      const int x1 = cell_x(f.min_x - margin), x2 = cell_x(f.max_x + margin);
      const int y1 = cell_y(f.min_y - margin), y2 = cell_y(f.max_y + margin);
      for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) fn(static_cast<std::size_t>(y) * nx_ + x);
    };
    for (const HlrFace& f : s.faces)
      if (keep(f)) each_cell(f, [&](std::size_t c) { ++start_[c + 1]; });
    for (std::size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    items_.assign(start_.back(), 0);
    std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
    for (std::uint32_t i = 0; i < s.faces.size(); ++i)
      if (keep(s.faces[i])) each_cell(s.faces[i], [&](std::size_t c) { items_[fill[c]++] = i; });
  }

  // Calls fn(face index) for the faces listed in the cells that the box (widened by the
  // grid's margin) reaches, until fn returns true; a face listed in several of them comes as
  // often.
  template <class Fn>
  void visit(double min_x, double min_y, double max_x, double max_y, const Fn& fn) const {
    const int x1 = cell_x(min_x - margin_), x2 = cell_x(max_x + margin_);
    const int y1 = cell_y(min_y - margin_), y2 = cell_y(max_y + margin_);
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) {
        const std::size_t c = static_cast<std::size_t>(y) * nx_ + x;
        for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k)
          if (fn(items_[k])) return;
      }
  }

 private:
  int cell_x(double x) const { return clamp_cell((x - x0_) * sx_, nx_); }
  int cell_y(double y) const { return clamp_cell((y - y0_) * sy_, ny_); }
  static int clamp_cell(double c, int n) {
    if (!(c > 0)) return 0;
    if (c >= n - 1) return n - 1;
    return static_cast<int>(c);
  }

  double x0_ = 0, y0_ = 0, sx_ = 1, sy_ = 1, margin_ = 0;
  int nx_ = 1, ny_ = 1;
  std::vector<std::uint32_t> start_, items_;
};

bool boxes_overlap(const HlrFace& a, const HlrFace& b) {
  return a.max_x >= b.min_x - kPointTolerance && a.min_x <= b.max_x + kPointTolerance &&
         a.max_y >= b.min_y - kPointTolerance && a.min_y <= b.max_y + kPointTolerance;
}

// Even-odd crossing count along the horizontal through (x, y).
bool inside_face(const HlrScene& s, const HlrFace& g, double x, double y) {
  bool inside = false;
  const std::uint32_t* c = s.corners.data() + g.first;
  const HlrPoint* prev = &s.points[c[g.count - 1]];
  for (std::uint32_t i = 0; i < g.count; ++i) {
    const HlrPoint* p = &s.points[c[i]];
    if ((p->y > y) != (prev->y > y)) {
      const double xc = p->x + (y - p->y) * (prev->x - p->x) / (prev->y - p->y);
      if (x < xc) inside = !inside;
    }
    prev = p;
  }
  return inside;
}

class Tracer {
 public:
  Tracer(const HlrScene& s, const HlrOptions& o, HlrSearch search) : s_(s), o_(o) {
    const std::size_t n = s.faces.size();
    // The faces G with G.min_depth <= F.max_depth are a prefix of the sorted faces.
    reach_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double limit = s.faces[i].max_depth;
      reach_[i] = static_cast<std::uint32_t>(
          std::upper_bound(s.faces.begin(), s.faces.end(), limit,
                           [](double v, const HlrFace& f) { return v < f.min_depth; }) -
          s.faces.begin());
    }
    has_outline_.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
      const HlrFace& f = s.faces[i];
      for (std::uint32_t k = 0; k < f.count; ++k)
        if (s.edge_state[f.first + k] == kEdgeOutline) has_outline_[i] = 1;
    }
    if (search == HlrSearch::kGrid && n > 0) {
      double size = 1;
      for (double v : {s.min_x, s.min_y, s.max_x, s.max_y}) size = std::max(size, std::fabs(v));
      const double margin = 1e-7 * size;
      grid_ = true;
      all_.build(s, margin, [](const HlrFace&) { return true; });
      outlines_.build(s, margin, [&](const HlrFace& f) {
        return has_outline_[static_cast<std::size_t>(&f - s.faces.data())] != 0;
      });
      stamp_.assign(n, 0);
    }
  }

  HlrResult run(const HlrProgress& progress) {
    HlrResult r;
    const std::size_t n = s_.faces.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (progress && i % kProgressStep == 0) progress(static_cast<double>(i) / n);
      trace_face(static_cast<std::uint32_t>(i), r);
    }
    if (progress) progress(1.0);
    return r;
  }

 private:
  void trace_face(std::uint32_t fi, HlrResult& r) {
    const HlrFace& f = s_.faces[fi];
    const HlrObject& obj = s_.objects[f.object];
    const int pen = o_.colors == 1 ? 0 : obj.pen;
    for (std::uint32_t k = 0; k < f.count; ++k) {
      const std::int8_t state = s_.edge_state[f.first + k];
      if (state != kEdgeCrease && state != kEdgeOutline) continue;
      const HlrPoint& a = s_.points[s_.corners[f.first + k]];
      const HlrPoint& b = s_.points[s_.corners[f.first + (k + 1) % f.count]];
      collect_splits(fi, a, b);
      std::sort(splits_.begin(), splits_.end());
      const double ex = b.x - a.x, ey = b.y - a.y;
      const double length = std::hypot(ex, ey);
      const int line_pen = o_.silhouettes && state == kEdgeOutline ? silhouette_pen(pen) : pen;
      for (std::size_t p = 0; p + 1 < splits_.size(); ++p) {
        const double t0 = splits_[p], t1 = splits_[p + 1];
        if (!((t1 - t0) * length > kPointTolerance)) continue;
        const double tm = (t0 + t1) / 2;
        const bool hidden = covered(fi, a.x + tm * ex, a.y + tm * ey);
        if (hidden && !o_.hidden_edges) continue;
        emit(r, {a.x + t0 * ex, a.y + t0 * ey, a.x + t1 * ex, a.y + t1 * ey, line_pen,
                 hidden ? 1 : obj.line_type});
      }
    }
  }

  // Steps through the other faces that are not beyond F's depth, until fn returns true: a
  // prefix of the sorted faces, or those the grid lists around the box given.
  template <class Fn>
  void candidates(std::uint32_t fi, const FaceGrid& grid, double x1, double y1, double x2,
                  double y2, const Fn& fn) {
    const HlrFace& f = s_.faces[fi];
    if (!grid_) {
      const std::uint32_t end = reach_[fi];
      for (std::uint32_t j = 0; j < end; ++j)
        if (j != fi && fn(j)) return;
      return;
    }
    if (++current_stamp_ == 0) {
      std::fill(stamp_.begin(), stamp_.end(), 0);
      current_stamp_ = 1;
    }
    grid.visit(x1, y1, x2, y2, [&](std::uint32_t j) {
      if (stamp_[j] == current_stamp_) return false;
      stamp_[j] = current_stamp_;
      return j != fi && s_.faces[j].min_depth <= f.max_depth && fn(j);
    });
  }

  void collect_splits(std::uint32_t fi, const HlrPoint& a, const HlrPoint& b) {
    splits_.clear();
    splits_.push_back(0);
    splits_.push_back(1);
    const HlrFace& f = s_.faces[fi];
    const double ex = b.x - a.x, ey = b.y - a.y;
    candidates(fi, outlines_, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
               std::max(a.y, b.y), [&](std::uint32_t j) {
                 if (!has_outline_[j]) return false;
                 const HlrFace& g = s_.faces[j];
                 if (!boxes_overlap(f, g)) return false;
                 for (std::uint32_t m = 0; m < g.count; ++m) {
                   if (s_.edge_state[g.first + m] != kEdgeOutline) continue;
                   const HlrPoint& c = s_.points[s_.corners[g.first + m]];
                   const HlrPoint& d = s_.points[s_.corners[g.first + (m + 1) % g.count]];
                   const double gx = d.x - c.x, gy = d.y - c.y;
                   const double det = ex * gy - ey * gx;
                   if (!(std::fabs(det) >= kNormalTolerance)) continue;
                   const double qx = c.x - a.x, qy = c.y - a.y;
                   const double t = (qx * gy - qy * gx) / det;
                   const double u = (qx * ey - qy * ex) / det;
                   // Inside both segments, and not at an end of F's edge (written so that a
                   // value that is not a number fails too).
                   if (!(u >= -kPointTolerance && u <= 1 + kPointTolerance)) continue;
                   if (!(t > kPointTolerance && t < 1 - kPointTolerance)) continue;
                   const double x = a.x + t * ex, y = a.y + t * ey;
                   if (g.depth_at(x, y) - f.depth_at(x, y) > kDepthTolerance) continue;  // behind
                   splits_.push_back(t);
                 }
                 return false;
               });
  }

  // Whether a front face lies over (x, y) nearer than F.
  bool covered(std::uint32_t fi, double x, double y) {
    const HlrFace& f = s_.faces[fi];
    const double depth = f.depth_at(x, y);
    bool hidden = false;
    candidates(fi, all_, x, y, x, y, [&](std::uint32_t j) {
      const HlrFace& g = s_.faces[j];
      if (x < g.min_x - kPointTolerance || x > g.max_x + kPointTolerance ||
          y < g.min_y - kPointTolerance || y > g.max_y + kPointTolerance)
        return false;
      if (!inside_face(s_, g, x, y)) return false;
      hidden = g.depth_at(x, y) < depth - kDepthTolerance;
      return hidden;
    });
    return hidden;
  }

  void emit(HlrResult& r, const HlrLine& piece) {
    if (!r.lines.empty()) {
      HlrLine& last = r.lines.back();
      if (last.pen == piece.pen && last.line_type == piece.line_type &&
          std::hypot(piece.x1 - last.x2, piece.y1 - last.y2) <= kPointTolerance) {
        const double lx = last.x2 - last.x1, ly = last.y2 - last.y1;
        const double px = piece.x2 - piece.x1, py = piece.y2 - piece.y1;
        const double ll = std::hypot(lx, ly), pl = std::hypot(px, py);
        // Collinear and going on the same way: a piece folding back is a line of its own.
        if (ll > 0 && pl > 0 && std::fabs(lx * py - ly * px) / (ll * pl) < kJoinTolerance &&
            lx * px + ly * py > 0) {
          last.x2 = piece.x2;
          last.y2 = piece.y2;
          ++r.joins;
          return;
        }
      }
    }
    r.lines.push_back(piece);
  }

  const HlrScene& s_;
  const HlrOptions& o_;
  std::vector<std::uint32_t> reach_;
  std::vector<std::uint8_t> has_outline_;
  bool grid_ = false;
  FaceGrid all_, outlines_;
  std::vector<std::uint32_t> stamp_;
  std::uint32_t current_stamp_ = 0;
  std::vector<double> splits_;
};

}  // namespace

HlrResult trace_hlr_lines(const HlrScene& scene, const HlrOptions& options,
                          const HlrProgress& progress, HlrSearch search) {
  Tracer t(scene, options, search);
  return t.run(progress);
}

HlrResult hidden_lines(const ElementStore& store, const Layers& layers, int current_layer,
                       const Projector& view, const HlrOptions& options,
                       const HlrProgress& progress, HlrSearch search) {
  const HlrScene scene = build_hlr_scene(store, layers, current_layer, view, options);
  return trace_hlr_lines(scene, options, progress, search);
}

}  // namespace korav
