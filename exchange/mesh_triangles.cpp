#include "exchange/mesh_triangles.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "three_d/wall_solid.h"

namespace korav {

namespace {

void append_faces(std::span<const Point3> verts, std::span<const std::uint32_t> sizes,
                  std::span<const std::uint32_t> idx, TriangleMesh& out) {
  const auto base = static_cast<std::uint32_t>(out.vertices.size());
  out.vertices.insert(out.vertices.end(), verts.begin(), verts.end());
  const std::size_t first = out.triangles.size();
  TriangulationScratch scratch;
  std::size_t k = 0;
  for (std::uint32_t n : sizes) {
    if (n > idx.size() - k) break;
    triangulate_face(verts, idx.subspan(k, n), out.triangles, scratch);
    k += n;
  }
  for (std::size_t i = first; i < out.triangles.size(); ++i)
    for (std::uint32_t& c : out.triangles[i]) c += base;
}

using Edge = std::pair<std::uint32_t, std::uint32_t>;

Edge undirected(std::uint32_t a, std::uint32_t b) { return a < b ? Edge{a, b} : Edge{b, a}; }

// Every undirected edge used by exactly one triangle, sorted.
std::vector<Edge> open_edges(const TriangleMesh& t) {
  std::vector<Edge> all;
  all.reserve(t.triangles.size() * 3);
  for (const Triangle& tr : t.triangles)
    for (int i = 0; i < 3; ++i) all.push_back(undirected(tr[i], tr[(i + 1) % 3]));
  std::sort(all.begin(), all.end());
  std::vector<Edge> open;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t j = i + 1;
    while (j < all.size() && all[j] == all[i]) ++j;
    if (j - i == 1) open.push_back(all[i]);
    i = j;
  }
  return open;
}

}  // namespace

void append_triangles(const Object3D& o, TriangleMesh& out) {
  append_faces(std::span(o.vertices(), o.vertex_count), std::span(o.face_sizes(), o.face_count),
               std::span(o.indices(), o.index_count), out);
}

void append_triangles(const Mesh& m, TriangleMesh& out) {
  append_faces(m.vertices, m.face_sizes, m.indices, out);
}

TriangleMesh selected_triangles(const Element* head, int* objects) {
  TriangleMesh out;
  int n = 0;
  for (const Element* e = head; e; e = e->next) {
    if (!e->selected) continue;
    if (e->type == kObject3D) {
      append_triangles(static_cast<const Object3D&>(*e), out);
      ++n;
    } else if (e->type == kWall) {
      append_triangles(wall_mesh(static_cast<const Wall&>(*e)), out);
      ++n;
    }
  }
  if (objects) *objects = n;
  return out;
}

Mesh to_mesh(const TriangleMesh& t) {
  Mesh m;
  m.vertices = t.vertices;
  m.face_sizes.assign(t.triangles.size(), 3);
  m.indices.reserve(t.triangles.size() * 3);
  for (const Triangle& tr : t.triangles) m.indices.insert(m.indices.end(), tr.begin(), tr.end());
  return m;
}

double signed_volume(const TriangleMesh& t) {
  double v = 0;
  for (const Triangle& tr : t.triangles) {
    const Point3 &a = t.vertices[tr[0]], &b = t.vertices[tr[1]], &c = t.vertices[tr[2]];
    v += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
         a.z * (b.x * c.y - b.y * c.x);
  }
  return v;
}

void reverse_orientation(TriangleMesh& t) {
  for (Triangle& tr : t.triangles) std::swap(tr[1], tr[2]);
}

int merge_duplicate_points(TriangleMesh& t) {
  const std::size_t n = t.vertices.size();
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  auto less = [&](std::uint32_t a, std::uint32_t b) {
    const Point3 &p = t.vertices[a], &q = t.vertices[b];
    if (p.x != q.x) return p.x < q.x;
    if (p.y != q.y) return p.y < q.y;
    if (p.z != q.z) return p.z < q.z;
    return a < b;  // the first of equal points comes first
  };
  std::sort(order.begin(), order.end(), less);
  // Old index -> first index of its kind.
  std::vector<std::uint32_t> same(n);
  int merged = 0;
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    const Point3& p = t.vertices[order[i]];
    same[order[i]] = order[i];
    while (j < n && t.vertices[order[j]].x == p.x && t.vertices[order[j]].y == p.y &&
           t.vertices[order[j]].z == p.z) {
      same[order[j]] = order[i];
      ++merged;
      ++j;
    }
    i = j;
  }
  if (merged == 0) return 0;
  for (Triangle& tr : t.triangles)
    for (std::uint32_t& c : tr) c = same[c];
  return merged;
}

int drop_degenerate_triangles(TriangleMesh& t) {
  const std::size_t before = t.triangles.size();
  std::erase_if(t.triangles, [](const Triangle& tr) {
    return tr[0] == tr[1] || tr[1] == tr[2] || tr[0] == tr[2];
  });
  return static_cast<int>(before - t.triangles.size());
}

int remove_unused_points(TriangleMesh& t) {
  constexpr std::uint32_t kUnused = 0xffffffffu;
  std::vector<std::uint32_t> to(t.vertices.size(), kUnused);
  for (const Triangle& tr : t.triangles)
    for (std::uint32_t c : tr) to[c] = 0;
  std::uint32_t next = 0;
  for (std::size_t i = 0; i < to.size(); ++i) {
    if (to[i] == kUnused) continue;
    to[i] = next;
    t.vertices[next++] = t.vertices[i];
  }
  const int removed = static_cast<int>(t.vertices.size() - next);
  t.vertices.resize(next);
  for (Triangle& tr : t.triangles)
    for (std::uint32_t& c : tr) c = to[c];
  return removed;
}

std::size_t open_edge_count(const TriangleMesh& t) { return open_edges(t).size(); }

int repair_open_edges(TriangleMesh& t, double tolerance) {
  int inserted = 0;
  // Each round splits every open edge at its nearest inner point; an edge with several points
  // on it is split again in the next round. The rounds end when nothing changes.
  for (int round = 0; round < 64; ++round) {
    const std::vector<Edge> open = open_edges(t);
    if (open.empty()) break;
    std::vector<std::uint32_t> points;
    points.reserve(open.size() * 2);
    for (const Edge& e : open) {
      points.push_back(e.first);
      points.push_back(e.second);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    // For each open edge: the point on it nearest to its first end.
    std::vector<std::pair<Edge, std::uint32_t>> splits;
    for (const Edge& e : open) {
      const Point3 &a = t.vertices[e.first], &b = t.vertices[e.second];
      const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
      const double len2 = dx * dx + dy * dy + dz * dz;
      if (len2 <= tolerance * tolerance) continue;
      double best = 2;
      std::uint32_t best_point = 0;
      for (std::uint32_t p : points) {
        if (p == e.first || p == e.second) continue;
        const Point3& q = t.vertices[p];
        const double s = ((q.x - a.x) * dx + (q.y - a.y) * dy + (q.z - a.z) * dz) / len2;
        if (s <= 0 || s >= 1 || s >= best) continue;
        const double fx = a.x + s * dx - q.x, fy = a.y + s * dy - q.y, fz = a.z + s * dz - q.z;
        if (fx * fx + fy * fy + fz * fz > tolerance * tolerance) continue;
        best = s;
        best_point = p;
      }
      if (best < 2) splits.push_back({e, best_point});
    }
    if (splits.empty()) break;
    std::sort(splits.begin(), splits.end());
    // Split the triangle that owns each edge (one triangle per open edge).
    std::vector<Triangle> added;
    for (Triangle& tr : t.triangles) {
      for (int i = 0; i < 3; ++i) {
        const Edge e = undirected(tr[i], tr[(i + 1) % 3]);
        auto it = std::lower_bound(splits.begin(), splits.end(), std::pair<Edge, std::uint32_t>{e, 0});
        if (it == splits.end() || it->first != e) continue;
        const std::uint32_t a = tr[i], b = tr[(i + 1) % 3], c = tr[(i + 2) % 3], p = it->second;
        splits.erase(it);
        tr = Triangle{a, p, c};
        added.push_back(Triangle{p, b, c});
        ++inserted;
        break;
      }
    }
    t.triangles.insert(t.triangles.end(), added.begin(), added.end());
    if (added.empty()) break;
  }
  return inserted;
}

}  // namespace korav
