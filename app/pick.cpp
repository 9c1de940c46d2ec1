#include "app/pick.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/app.h"
#include "app/snap.h"
#include "model/bezier.h"
#include "model/element_points.h"
#include "model/projection.h"
#include "render/text_drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Distance from (x, y) to the segment, counted only when the perpendicular foot lies strictly
// between the ends; kPickLimit otherwise (and for a segment of no length).
double segment_score(double x, double y, double ax, double ay, double bx, double by) {
  double dx = bx - ax, dy = by - ay;
  double len2 = dx * dx + dy * dy;
  if (!(len2 > 0)) return kPickLimit;
  double t = ((x - ax) * dx + (y - ay) * dy) / len2;
  if (!(t > 0 && t < 1)) return kPickLimit;
  double fx = ax + t * dx - x, fy = ay + t * dy - y;
  return std::sqrt(fx * fx + fy * fy);
}

double point_distance(double x, double y, double px, double py) {
  return std::hypot(px - x, py - y);
}

double angle_of(double dx, double dy) {
  double a = std::atan2(dy, dx);
  return a < 0 ? a + kTwoPi : a;
}

double reduce_angle(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

double circle_score(const Circle& c, double x, double y) {
  if (!(c.radius1 > 0) || !(c.radius2 > 0)) return kPickLimit;
  double ca = std::cos(c.axis_angle), sa = std::sin(c.axis_angle);
  double dx = x - c.centre.x, dy = y - c.centre.y;
  // into the ellipse's own frame, the across component stretched to a circle of radius 1
  double along = dx * ca + dy * sa;
  double across = (-dx * sa + dy * ca) * c.radius1 / c.radius2;
  double a = angle_of(along, across);
  double start = reduce_angle(c.start_angle);
  if (start + c.sweep > kTwoPi && a < start) a += kTwoPi;
  if (!(a > start && a < start + c.sweep)) return kPickLimit;
  double px = c.radius1 * std::cos(a), py = c.radius2 * std::sin(a);
  double wx = c.centre.x + px * ca - py * sa, wy = c.centre.y + px * sa + py * ca;
  return point_distance(x, y, wx, wy);
}

Point2 bezier(const Spline& s, double t) {
  return bezier_point(s.p[0], s.p[1], s.p[2], s.p[3], t);
}

double spline_score(const Spline& s, double x, double y) {
  double best = kPickLimit;
  Point2 prev = s.p[0];
  for (int i = 1; i <= 8; ++i) {
    Point2 p = bezier(s, i * 0.125);
    best = std::min(best, segment_score(x, y, prev.x, prev.y, p.x, p.y));
    prev = p;
  }
  return best;
}

double text_score(const Text& t, const PickContext& c, double x, double y) {
  double w = 0, a = t.angle;
  if (t.align == 3) {
    w = t.fitted_width;
  } else {
    w = c.text_width ? c.text_width(t, c.drawing_scale) : 0;
    if (t.align == 1 || t.align == 2) a += std::numbers::pi;
  }
  return segment_score(x, y, t.pos.x, t.pos.y, t.pos.x + w * std::cos(a),
                       t.pos.y + w * std::sin(a));
}

double dimension_score(const Dimension& d, double bonus, double x, double y) {
  const auto p = dimension_points(d);
  if (p.empty()) return kPickLimit;
  switch (d.kind) {
    case 3: {  // heights: the marks' points
      double best = kPickLimit;
      for (const DimPoint& q : p)
        best = std::min(best, point_distance(x, y, q.foot.x, q.foot.y) - bonus);
      return best;
    }
    case 4: {  // angle: centre, then the two arc points
      if (p.size() < 3) return kPickLimit;
      double cx = p[0].foot.x, cy = p[0].foot.y;
      double a1 = angle_of(p[1].foot.x - cx, p[1].foot.y - cy);
      double a2 = angle_of(p[2].foot.x - cx, p[2].foot.y - cy);
      double ac = angle_of(x - cx, y - cy);
      if (a2 < a1) a2 += kTwoPi;
      if (ac < a1) ac += kTwoPi;
      if (!(ac >= a1 && ac <= a2)) return kPickLimit;
      double radius = point_distance(cx, cy, p[1].foot.x, p[1].foot.y);
      return std::fabs(point_distance(x, y, cx, cy) - radius) - bonus;
    }
    default: {  // chains, radius, diameter: the dimension line
      const Point2& a = p[0].foot;
      const Point2& b = p.back().foot;
      return segment_score(x, y, a.x, a.y, b.x, b.y);
    }
  }
}

double wall_plan_score(const Wall& w, double x, double y) {
  double best = kPickLimit;
  for (const OutlineLine& l : wall_lines(w))
    best = std::min(best, segment_score(x, y, l.start.x, l.start.y, l.end.x, l.end.y));
  for (int i = 0; i < 4; ++i) {
    const Point3& a = w.corner[i];
    const Point3& b = w.corner[(i + 1) % 4];
    best = std::min(best, segment_score(x, y, a.x, a.y, b.x, b.y));
  }
  return best;
}

// Edges of every face of a mesh, projected into the view.
double object_score(const Object3D& o, const Projector& view, double x, double y) {
  double best = kPickLimit;
  for_each_face_edge(o, [&](const Point3& p, const Point3& q) {
    ViewPoint a = view(p);
    ViewPoint b = view(q);
    best = std::min(best, segment_score(x, y, a.u, a.v, b.u, b.v));
  });
  return best;
}

double projected_segment(const Projector& view, const Point3& a, const Point3& b, double x,
                         double y) {
  ViewPoint pa = view(a);
  ViewPoint pb = view(b);
  return segment_score(x, y, pa.u, pa.v, pb.u, pb.v);
}

double projected_point(const Projector& view, const Point3& a, double x, double y) {
  ViewPoint p = view(a);
  return point_distance(x, y, p.u, p.v);
}

double wall_view_score(const Wall& w, const Projector& view, double x, double y) {
  double best = kPickLimit;
  for (int i = 0; i < 4; ++i) {
    best = std::min(best, projected_segment(view, w.corner[i], w.corner[(i + 1) % 4], x, y));
    best =
        std::min(best, projected_segment(view, w.corner[i + 4], w.corner[(i + 1) % 4 + 4], x, y));
    best = std::min(best, projected_segment(view, w.corner[i], w.corner[i + 4], x, y));
  }
  return best;
}

double view_score(const Element& e, const PickContext& c, double bonus, double x, double y) {
  const Projector view{c.view, c.camera};
  switch (e.type) {
    case kWall: return wall_view_score(static_cast<const Wall&>(e), view, x, y);
    case kObject3D: return object_score(static_cast<const Object3D&>(e), view, x, y);
    case kLine3D: {
      auto& l = static_cast<const Line3D&>(e);
      return projected_segment(view, l.start, l.end, x, y);
    }
    case kLight: return projected_point(view, static_cast<const Light&>(e).pos, x, y) - bonus;
    case kCamera: return projected_point(view, static_cast<const Camera&>(e).eye, x, y) - bonus;
    default: return kPickLimit;
  }
}

// A quick test before the score: true when the element's plan box lies farther than `best`
// from (x, y), so that no score of it can be smaller. Only for the kinds whose score is a
// distance to their own points or segments.
bool cannot_beat(const Element& e, double best, double x, double y) {
  auto far = [&](double x1, double y1, double x2, double y2) {
    double lx = std::min(x1, x2), hx = std::max(x1, x2);
    double ly = std::min(y1, y2), hy = std::max(y1, y2);
    return x < lx - best || x > hx + best || y < ly - best || y > hy + best;
  };
  switch (e.type) {
    case kLine: {
      auto& l = static_cast<const Line&>(e);
      return far(l.start.x, l.start.y, l.end.x, l.end.y);
    }
    case kCircle: {
      auto& cc = static_cast<const Circle&>(e);
      double r = std::max(std::fabs(cc.radius1), std::fabs(cc.radius2));
      return far(cc.centre.x - r, cc.centre.y - r, cc.centre.x + r, cc.centre.y + r);
    }
    case kWall: {
      auto& w = static_cast<const Wall&>(e);
      double lx = w.corner[0].x, hx = lx, ly = w.corner[0].y, hy = ly;
      auto add = [&](double px, double py) {
        lx = std::min(lx, px);
        hx = std::max(hx, px);
        ly = std::min(ly, py);
        hy = std::max(hy, py);
      };
      for (int i = 1; i < 4; ++i) add(w.corner[i].x, w.corner[i].y);
      for (const OutlineLine& l : wall_lines(w)) {  // outline lines may leave the footprint
        add(l.start.x, l.start.y);
        add(l.end.x, l.end.y);
      }
      return far(lx, ly, hx, hy);
    }
    default: return false;
  }
}

}  // namespace

bool point_in_outline(const Point2* pts, std::uint32_t count, double x, double y) {
  bool inside = false;
  std::uint32_t first = 0;
  for (std::uint32_t i = 0; i <= count; ++i) {
    bool end = i == count || is_separator(pts[i]);
    if (!end) continue;
    // sub-polygon first .. i-1
    std::uint32_t n = i - first;
    for (std::uint32_t k = 0, j = n ? n - 1 : 0; k < n; j = k++) {
      const Point2& a = pts[first + k];
      const Point2& b = pts[first + j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
        inside = !inside;
    }
    first = i + 1;
  }
  return inside;
}

bool pick_kind_matches(int kind_code, int type) {
  switch (kind_code) {
    case kPickAny:
    case kPickAnyVisible: return type >= kLine && type <= kLight;
    case kPickLines: return type == kLine;
    case kPickCircles: return type == kCircle;
    case kPickTexts: return type == kText;
    case kPickDimensions: return type == kDimension;
    case kPickWalls: return type == kWall;
    case kPickPatterns: return type == kPattern;
    case kPickSplines: return type == kSpline;
    case kPickLights: return type == kLight;
    case kPickCameras: return type == kCamera;
    case kPickObjects: return type == kObject3D;
    case kPickWallsObjects: return type == kWall || type == kObject3D;
    case kPickRooms: return type == kRoom;
    default: return false;
  }
}

bool pick_layer_allowed(const Drawing& d, const PickContext& c, int kind_code, int layer) {
  if (layer == d.current_layer) return true;
  bool shown = layer >= 0 && layer < kLayerCount && d.layers.layer[layer].state == 1;
  if (!shown) return false;
  return kind_code == kPickAnyVisible || kind_code == kPickCameras || c.visible_layers;
}

namespace {

bool inside_outline(std::span<const Point2> outline, double x, double y) {
  return point_in_outline(outline.data(), static_cast<std::uint32_t>(outline.size()), x, y);
}

}  // namespace

double pick_score(const Element& e, const PickContext& c, double x, double y) {
  double bonus = 5 * c.units_per_pixel;
  if (c.view != kPlanView) return view_score(e, c, bonus, x, y);
  switch (e.type) {
    case kLine: {
      auto& l = static_cast<const Line&>(e);
      return segment_score(x, y, l.start.x, l.start.y, l.end.x, l.end.y);
    }
    case kLine3D: {
      auto& l = static_cast<const Line3D&>(e);
      return segment_score(x, y, l.start.x, l.start.y, l.end.x, l.end.y);
    }
    case kCircle: return circle_score(static_cast<const Circle&>(e), x, y);
    case kSpline: return spline_score(static_cast<const Spline&>(e), x, y);
    case kText: return text_score(static_cast<const Text&>(e), c, x, y);
    case kDimension: return dimension_score(static_cast<const Dimension&>(e), bonus, x, y);
    case kWall: return wall_plan_score(static_cast<const Wall&>(e), x, y);
    case kObject3D: return object_score(static_cast<const Object3D&>(e), Projector{}, x, y);
    case kPattern: {
      auto& p = static_cast<const Pattern&>(e);
      return inside_outline(outline_points(p), x, y) ? 2 * c.snap_size * c.units_per_pixel
                                                     : kPickLimit;
    }
    case kRoom: {
      auto& r = static_cast<const Room&>(e);
      if (!inside_outline(outline_points(r), x, y)) return kPickLimit;
      return std::min(3 * c.snap_size * c.units_per_pixel, point_distance(x, y, r.pos.x, r.pos.y));
    }
    case kLight: {
      auto& l = static_cast<const Light&>(e);
      return point_distance(x, y, l.pos.x, l.pos.y) - bonus;
    }
    case kCamera: {
      auto& cam = static_cast<const Camera&>(e);
      return point_distance(x, y, cam.eye.x, cam.eye.y) - bonus;
    }
    default: return kPickLimit;
  }
}

namespace {

// The walk over `elements`: the smallest score below `best` wins, the earlier of equal ones.
template <class Range>
Element* best_of(const Drawing& d, const PickContext& c, double x, double y, int kind_code,
                 const Range& elements, double& best) {
  Element* found = nullptr;
  bool in_3d = c.view != kPlanView;
  for (Element* e : elements) {
    if (!pick_kind_matches(kind_code, e->type)) continue;
    if (in_3d && !has_3d_points(e->type)) continue;
    if (!pick_layer_allowed(d, c, kind_code, e->layer)) continue;
    if (!in_3d && cannot_beat(*e, best, x, y)) continue;
    double s = pick_score(*e, c, x, y);
    if (s < best) {
      best = s;
      found = e;
    }
  }
  return found;
}

// No score lies below the distance from the click to the element's box, less the bonus of the
// point-like kinds. The search looks at the elements whose box lies within r (plus the bonus)
// of the click: when the best of them scores r or less, nothing outside can beat or tie it;
// otherwise r grows, up to the pick limit.
Element* pick_indexed(const Drawing& d, SpatialIndex& index, const PickContext& c, double x,
                      double y, int kind_code) {
  const double bonus = std::fabs(5 * c.units_per_pixel);
  double r = 2 * std::max(c.snap_size, 1) * std::fabs(c.units_per_pixel);
  if (!(r > 0) || !(r < kPickLimit)) r = kPickLimit;
  for (;;) {
    const bool last = r >= kPickLimit;
    if (last) r = kPickLimit;
    const double m = r + bonus;
    double best = kPickLimit;
    Element* found =
        best_of(d, c, x, y, kind_code, index.query({x - m, y - m, x + m, y + m}), best);
    if (best <= r || last) return found;
    r *= 4;
  }
}

}  // namespace

Element* pick_element(const Drawing& d, const PickContext& c, double x, double y, int kind_code) {
  // The index holds the plan; its text boxes count only if measured as this pick measures.
  SpatialIndex* index = nullptr;
  if (c.view == kPlanView && std::isfinite(x) && std::isfinite(y) &&
      std::isfinite(c.units_per_pixel) && c.text_extent_tag == d.index.text_extent_tag() &&
      c.drawing_scale == d.settings.drawing_scale)
    index = d.indexed();
  double best = kPickLimit;
  Element* found = index ? pick_indexed(d, *index, c, x, y, kind_code)
                         : best_of(d, c, x, y, kind_code, ListPointers{d.store.list}, best);
  if (index && index->verify) {
    double b = kPickLimit;
    if (best_of(d, c, x, y, kind_code, ListPointers{d.store.list}, b) != found)
      index_mismatch("pick");
  }
  return found;
}

PickContext pick_context(const App& app) {
  PickContext c;
  if (app.view().units_x > 0) c.units_per_pixel = app.view().units_x;
  c.view = app.view_number();
  c.camera = app.drawing.camera;
  c.snap_size = snap_size_pixels(app.drawing.settings.snap);
  c.visible_layers = app.selection.visible_layers();
  c.drawing_scale = app.drawing.settings.drawing_scale;
  FontTable* fonts = &app.fonts;
  c.text_extent_tag = fonts;
  c.text_width = [fonts](const Text& t, double scale) {
    return text_width(*fonts, scale, t.height, t.width_factor, t.spacing, t.font.view(), text_of(t),
                      t.align, t.fitted_width);
  };
  return c;
}

Element* pick_with_prompt(App& app, std::string_view prompt, int kind_code, double* where_x,
                          double* where_y) {
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepPickSmall, prompt);
    int result = point_input(app, r);
    if (result == kInputToggle) continue;  // the panel changed: ask again
    if (result != kInputDone) return nullptr;
    if (Element* e = pick_element(app.drawing, pick_context(app), r.x[0], r.y[0], kind_code)) {
      if (where_x) *where_x = r.x[0];
      if (where_y) *where_y = r.y[0];
      return e;
    }
  }
}

}  // namespace korav
