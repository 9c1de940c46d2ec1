#include "render/projection_drawing.h"

#include <algorithm>
#include <cmath>

#include "model/drawing.h"
#include "model/element_points.h"
#include "model/projection.h"
#include "render/renderer.h"

namespace korav {

namespace {

struct Drawer {
  Renderer& r;
  Projector project;
  int pen, line_type;

  void line(const ViewPoint& a, const ViewPoint& b) const {
    // A line with an end behind the eye is left out rather than drawn through infinity.
    if (behind_eye(a) || behind_eye(b) || !r.driver.line) return;
    r.driver.line(r, pen, line_type, a.u, a.v, b.u, b.v);
  }
  void line(double x1, double y1, double z1, double x2, double y2, double z2) const {
    line(project(x1, y1, z1), project(x2, y2, z2));
  }
  void line(const Point3& a, const Point3& b) const { line(project(a), project(b)); }

  // The size of the light and camera symbols: 6 pixels on screen, 0.15 drawing units on paper.
  double symbol_size() const {
    if (r.screen && !r.driver.vector_output && r.screen->view().units_x > 0)
      return 6 * r.screen->view().units_x;
    return project.view == kCameraView ? 0.01 : 0.15;
  }

  // A box given by its lower ring c[0..3] and upper ring c[4..7].
  void box(const Point3* c) const {
    for (int i = 0; i < 4; ++i) {
      line(c[i], c[(i + 1) % 4]);
      line(c[i + 4], c[(i + 1) % 4 + 4]);
      line(c[i], c[i + 4]);
    }
  }

  void wall(const Wall& w) const {
    const Point3* c = w.corner;
    if (w.gable == 1) {
      // The top rises from the long sides' top edges to the two gable points.
      const Point3& g0 = w.gable_point[0];
      const Point3& g1 = w.gable_point[1];
      for (int i = 0; i < 4; ++i) {
        line(c[i], c[(i + 1) % 4]);
        line(c[i], c[i + 4]);
      }
      line(c[4], g0);
      line(g0, c[5]);
      line(c[7], g1);
      line(g1, c[6]);
      line(g0, g1);
      line(c[5], c[6]);
      line(c[7], c[4]);
    } else {
      box(c);
    }
    for (const Opening& o : wall_openings(w)) box(o.corner);
  }

  void room(const Room& room) const {
    const auto pts = outline_points(room);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= pts.size(); ++i) {
      if (i < pts.size() && !is_separator(pts[i])) continue;
      // The sub-polygon start..i-1, closed, at the base and the top, with its vertical edges.
      for (std::size_t k = start; k < i; ++k) {
        const Point2& a = pts[k];
        const Point2& b = pts[k + 1 < i ? k + 1 : start];
        line(a.x, a.y, room.base, b.x, b.y, room.base);
        line(a.x, a.y, room.top, b.x, b.y, room.top);
        line(a.x, a.y, room.base, a.x, a.y, room.top);
      }
      start = i + 1;
    }
  }

  // Every edge of the mesh once, whichever way and however often its faces run along it.
  void object(const Object3D& o) const {
    const auto sizes = mesh_face_sizes(o);
    const auto v = mesh_vertices(o);
    const auto idx = mesh_indices(o);
    auto& edges = r.edge_scratch;
    edges.clear();
    std::size_t k = 0;
    for (std::uint32_t n : sizes) {
      if (k + n > idx.size()) break;
      for (std::uint32_t i = 0; i < n; ++i) {
        std::uint64_t a = idx[k + i], b = idx[k + (i + 1) % n];
        if (a >= v.size() || b >= v.size() || a == b) continue;
        if (a > b) std::swap(a, b);
        edges.push_back(a << 32 | b);
      }
      k += n;
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    for (std::uint64_t e : edges) line(v[e >> 32], v[e & 0xffffffffu]);
  }

  // A light: a star of three axis crosses at its position, a spot light's beam to its target.
  void light(const Light& l) const {
    const double s = symbol_size();
    const Point3& p = l.pos;
    line(p.x - s, p.y, p.z, p.x + s, p.y, p.z);
    line(p.x, p.y - s, p.z, p.x, p.y + s, p.z);
    line(p.x, p.y, p.z - s, p.x, p.y, p.z + s);
    const double d = s * 0.7;
    line(p.x - d, p.y - d, p.z, p.x + d, p.y + d, p.z);
    line(p.x - d, p.y + d, p.z, p.x + d, p.y - d, p.z);
    if (l.spot) line(l.pos, l.target);
  }

  // A camera: a square around the eye and the line of sight to the target.
  void camera(const Camera& c) const {
    const double s = symbol_size();
    const Point3& e = c.eye;
    line(e.x - s, e.y - s, e.z, e.x + s, e.y - s, e.z);
    line(e.x + s, e.y - s, e.z, e.x + s, e.y + s, e.z);
    line(e.x + s, e.y + s, e.z, e.x - s, e.y + s, e.z);
    line(e.x - s, e.y + s, e.z, e.x - s, e.y - s, e.z);
    line(c.eye, c.target);
  }
};

}  // namespace

void draw_projected(Renderer& r, const Element& e, int pen, int line_type, bool marks_visible) {
  const int view = r.view_number;
  Drawer d{r, Projector{view, r.drawing ? r.drawing->camera : ViewCamera{}}, pen, line_type};
  switch (e.type) {
    case kWall: d.wall(static_cast<const Wall&>(e)); break;
    case kRoom:
      if (view == kPlanView) {
        if (r.driver.room) r.driver.room(r, static_cast<const Room&>(e));
      } else {
        d.room(static_cast<const Room&>(e));
      }
      break;
    case kLine3D: {
      const auto& l = static_cast<const Line3D&>(e);
      d.line(l.start, l.end);
      break;
    }
    case kObject3D: d.object(static_cast<const Object3D&>(e)); break;
    case kLight: d.light(static_cast<const Light&>(e)); break;
    case kCamera: d.camera(static_cast<const Camera&>(e)); break;
    default: return;  // the plan kinds have no place in a 3D view
  }
  // Marked points show their cross where they are seen.
  for_each_point(e, [&](const ConstPointRef& p) {
    if (*p.mark != 1 || !p.is_place()) return;
    const ViewPoint q = d.project(*p.x, *p.y, p.is_3d() ? *p.z : 0);
    if (!behind_eye(q)) draw_point_mark(r, q.u, q.v, marks_visible);
  });
}

}  // namespace korav
