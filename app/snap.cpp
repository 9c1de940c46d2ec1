#include "app/snap.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "draft/crossings.h"
#include "model/element_points.h"
#include "model/projection.h"
#include "render/surface.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Square {
  double x1, y1, x2, y2;
  bool contains(double x, double y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
  bool contains(Vec2 p) const { return contains(p.x, p.y); }
  bool touches_box(double bx1, double by1, double bx2, double by2) const {
    return bx1 <= x2 && bx2 >= x1 && by1 <= y2 && by2 >= y1;
  }
  int outcode(Vec2 p) const {
    return (p.x < x1 ? 1 : 0) | (p.x > x2 ? 2 : 0) | (p.y < y1 ? 4 : 0) | (p.y > y2 ? 8 : 0);
  }
  // Both ends on the same outer side: the segment cannot cross the square.
  bool outside(Vec2 a, Vec2 b) const { return (outcode(a) & outcode(b)) != 0; }
};

bool accessible(const Drawing& d, const Element& e) {
  return layer_visible(d.layers, d.current_layer, e.layer);
}

bool switch_on(const SnapQuery& q, int s) {
  return q.settings.on[static_cast<std::size_t>(s)] != 0;
}

double max_radius(const Circle& c) { return std::max(std::fabs(c.radius1), std::fabs(c.radius2)); }
double min_radius(const Circle& c) { return std::min(std::fabs(c.radius1), std::fabs(c.radius2)); }

bool curve_box_touches(const Circle& c, const Square& sq) {
  double r = max_radius(c);
  return sq.touches_box(c.centre.x - r, c.centre.y - r, c.centre.x + r, c.centre.y + r);
}

// The click within the curve's ring, widened by the tolerance (ends included or not).
bool in_ring(const Circle& c, Vec2 click, double tol, bool ends) {
  double dist = distance(click, c.centre);
  double lo = min_radius(c) - tol, hi = max_radius(c) + tol;
  return ends ? (dist >= lo && dist <= hi) : (dist > lo && dist < hi);
}

// Calls f(a, b) for every straight segment of the kinds that cross curves and lines: a Line,
// each wall outline line, each edge of each face of a 3D object (in plan). Stops when f returns
// true; returns whether it did.
template <class F>
bool for_each_segment(const Element& e, F&& f) {
  switch (e.type) {
    case kLine: {
      auto& l = static_cast<const Line&>(e);
      return f(Vec2(l.start), Vec2(l.end));
    }
    case kWall:
      for (const OutlineLine& l : wall_lines(static_cast<const Wall&>(e)))
        if (f(Vec2(l.start), Vec2(l.end))) return true;
      return false;
    case kObject3D:
      return for_each_face_edge(
          static_cast<const Object3D&>(e),
          [&](const Point3& a, const Point3& b) { return f(Vec2(a), Vec2(b)); });
    default: return false;
  }
}

constexpr int kAlways = -1, kNever = -2;

// The switch under which a point of an element is a candidate in the plan view, or kAlways
// (the 3D kinds' own points) or kNever. Wall corners, gable and opening points are no
// candidates in the plan (the wall's outline lines are), nor a pattern's origin and spacing.
int plan_switch(const ConstPointRef& p) {
  if (p.separator || p.unused) return kNever;
  switch (p.role) {
    case PointRole::kEnd: return p.is_3d() ? kAlways : kSnapEndPoints;
    case PointRole::kOutlineEnd: return kSnapEndPoints;
    case PointRole::kCentre: return kSnapCircleCenters;
    case PointRole::kInsertion:
    case PointRole::kLabel: return kSnapTextPoints;
    case PointRole::kControl: return kSnapArcEndPoints;
    case PointRole::kFoot: return kSnapMeasuringPoints;
    case PointRole::kOutline: return kSnapPolygonPoints;
    case PointRole::kVertex:
    case PointRole::kEye:
    case PointRole::kTarget:
    case PointRole::kPosition: return kAlways;
    default: return kNever;
  }
}

struct Search {
  const Drawing& d;
  const SnapQuery& q;
  Square sq;
  Vec2 click;
  double tol;  // 1.5 x snap size, in metres
  SnapHit hit;
  // With the index: the elements whose box touches the square, in store order. Nothing else
  // can have a point, a crossing or a middle in the square.
  std::span<Element* const> cand{};
  bool indexed = false;

  template <class F>
  bool each(F&& f) const {
    if (indexed) {
      for (const Element* e : cand)
        if (f(*e)) return true;
      return false;
    }
    for (const Element& e : d.store.list)
      if (f(e)) return true;
    return false;
  }

  bool take(double x, double y, double z, int found) {
    hit = {kSnapPoint, x, y, z, found};
    return true;
  }
  bool try_point(Vec2 p, int found = kFoundPoint) {
    return sq.contains(p) && take(p.x, p.y, 0, found);
  }

  // The crossings of curve c with the other elements inside the square.
  bool circle_crossings_of(const Circle& c) {
    if (!curve_box_touches(c, sq) || !in_ring(c, click, tol, true)) return false;
    bool c_true = is_true_circle(c);
    return each([&](const Element& e) {
      if (&e == &c || !accessible(d, e)) return false;
      if (const Circle* other = as<Circle>(&e)) {
        if (!c_true || !is_true_circle(*other) || !curve_box_touches(*other, sq) ||
            !in_ring(*other, click, tol, false))
          return false;
        CurveCrossings x = circle_crossings(c, *other);
        for (int i = 0; i < x.count; ++i)
          if (sq.contains(x.point[i]) && on_arc(c, x.point[i]) && on_arc(*other, x.point[i]))
            return take(x.point[i].x, x.point[i].y, 0, kFoundCrossing);
        return false;
      }
      return for_each_segment(e, [&](Vec2 a, Vec2 b) {
        if (sq.outside(a, b)) return false;
        CurveCrossings x = line_curve_crossings(a, b, c);
        for (int i = 0; i < x.count; ++i)
          if (sq.contains(x.point[i]) && on_arc(c, x.point[i]) && x.t[i] >= 0 && x.t[i] <= 1)
            return take(x.point[i].x, x.point[i].y, 0, kFoundCrossing);
        return false;
      });
    });
  }

  // The points of a curve besides its centre.
  bool curve_points(const Circle& c) {
    if (switch_on(q, kSnapCircleIntersections) && circle_crossings_of(c)) return true;
    // Every point of the curve lies in its box: a curve far from the click has none to offer.
    if (!switch_on(q, kSnapArcEndPoints) || !curve_box_touches(c, sq)) return false;
    if (std::fabs(c.sweep - kTwoPi) >= 0.0001) {
      return try_point(curve_point(c, c.start_angle)) ||
             try_point(curve_point(c, c.start_angle + c.sweep));
    }
    Vec2 m = c.centre;
    return try_point({m.x + c.radius1, m.y}) || try_point({m.x - c.radius1, m.y}) ||
           try_point({m.x, m.y + c.radius2}) || try_point({m.x, m.y - c.radius2});
  }

  // The candidate points of one element in the plan view, in record order, except that a
  // room's inscription point comes after its outline; then a curve's points of its own.
  bool element_points(const Element& e) {
    bool have_label = false;
    Vec2 label;
    bool found = for_each_point(e, [&](const ConstPointRef& p) {
      const int s = plan_switch(p);
      if (s == kNever || (s != kAlways && !switch_on(q, s))) return false;
      if (p.role == PointRole::kLabel) {
        have_label = true;
        label = {*p.x, *p.y};
        return false;
      }
      return try_point({*p.x, *p.y}, p.role == PointRole::kCentre ? kFoundCentre : kFoundPoint);
    });
    if (found || (have_label && try_point(label))) return true;
    const Circle* c = as<Circle>(&e);
    return c && curve_points(*c);
  }

  // A segment that may cross another one near the click.
  bool usable_segment(Vec2 a, Vec2 b) const {
    if (sq.outside(a, b)) return false;
    if (std::fabs(b.x - a.x) < 0.00001 && std::fabs(b.y - a.y) < 0.00001) return false;
    Vec2 foot = perpendicular_foot(click, a, b);
    return !(distance(click, foot) > tol);
  }

  // Gathered during the one walk of the plan view and used only when no element has a point
  // in the square: the segments that may cross near the click (few), and the first middle point.
  struct Seg {
    const Element* owner;
    Vec2 a, b;
  };
  std::vector<Seg> near;
  bool have_middle = false;
  Vec2 middle;

  void gather(const Element& e) {
    if (switch_on(q, kSnapLineIntersections)) {
      for_each_segment(e, [&](Vec2 a, Vec2 b) {
        if (usable_segment(a, b)) near.push_back({&e, a, b});
        return false;
      });
    }
    if (have_middle || !switch_on(q, kSnapCenterPoints)) return;
    auto try_middle = [&](Vec2 a, Vec2 b) {
      if (sq.outside(a, b)) return false;
      Vec2 m = (a + b) * 0.5;
      if (!sq.contains(m)) return false;
      have_middle = true;
      middle = m;
      return true;
    };
    if (const Line* l = as<Line>(&e)) {
      try_middle(l->start, l->end);
    } else if (const Wall* w = as<Wall>(&e)) {
      for (const OutlineLine& l : wall_lines(*w))
        if (try_middle(l.start, l.end)) break;
    }
  }

  // Each gathered segment with those of later elements, in store order.
  bool line_intersections() {
    for (std::size_t i = 0; i < near.size(); ++i) {
      for (std::size_t j = i + 1; j < near.size(); ++j) {
        if (near[j].owner == near[i].owner) continue;
        LineCrossing x = line_intersection(near[i].a, near[i].b, near[j].a, near[j].b);
        if (!x.found || !sq.contains(x.point)) continue;
        double t1 = projection_parameter(x.point, near[i].a, near[i].b).t;
        double t2 = projection_parameter(x.point, near[j].a, near[j].b).t;
        if (t1 > -0.00001 && t1 < 1.00001 && t2 > -0.00001 && t2 < 1.00001)
          return take(x.point.x, x.point.y, 0, kFoundCrossing);
      }
    }
    return false;
  }

  // 3D views: points tested in their projection, taken with their own coordinates.
  bool try_projected(const Point3& p) {
    ViewPoint v = project_point(q.view, q.camera, p.x, p.y, p.z);
    return sq.contains(v.u, v.v) && take(p.x, p.y, p.z, kFoundPoint);
  }
  bool try_projected(double x, double y, double z) { return try_projected(Point3{x, y, z, 0}); }

  // Every 3D point in use is a candidate; a room's outline stands at its base and its top.
  bool element_points_3d(const Element& e) {
    if (const Room* r = as<Room>(&e)) {
      if (!switch_on(q, kSnapPolygonPoints)) return false;
      for (const Point2& p : outline_points(*r))
        if (!is_separator(p) &&
            (try_projected(p.x, p.y, r->base) || try_projected(p.x, p.y, r->top)))
          return true;
      return false;
    }
    return for_each_point(e, [&](const ConstPointRef& p) {
      return p.is_3d() && !p.unused && try_projected(*p.x, *p.y, *p.z);
    });
  }
};

}  // namespace

int snap_size_pixels(const SnapSettings& s) {
  return s.size >= kMinSnapSize && s.size <= kMaxSnapSize ? static_cast<int>(s.size)
                                                          : kDefaultSnapSize;
}

namespace {

// The search of the snap square about the query's point.
Search search_around(const Drawing& d, const SnapQuery& q) {
  const int size = snap_size_pixels(q.settings);
  const double hx = size * q.units_x, hy = size * q.units_y;
  return {d, q, {q.x - hx, q.y - hy, q.x + hx, q.y + hy}, {q.x, q.y}, 1.5 * size * q.units_x,
          {}, {}, false, {}, false, {}};
}

SnapHit search_snap(const Drawing& d, const SnapQuery& q, std::span<const Point3> request_points,
                    SpatialIndex* index) {
  Search s = search_around(d, q);
  if (q.on) {
    for (const Point3& p : request_points) {
      if (q.view == kPlanView) {
        if (s.try_point(Vec2(p))) return s.hit;
      } else if (s.try_projected(p)) {
        return s.hit;
      }
    }
    if (q.view == kPlanView) {
      if (index) {
        s.cand = index->query({s.sq.x1, s.sq.y1, s.sq.x2, s.sq.y2});
        s.indexed = true;
      }
      // One walk: the first element with a point in the square wins; the crossings and middle
      // points, which only count when no element has one, are gathered on the way.
      bool found = s.each([&](const Element& e) {
        if (!accessible(d, e)) return false;
        if (s.element_points(e)) return true;
        s.gather(e);
        return false;
      });
      if (found) return s.hit;
      if (s.line_intersections()) return s.hit;
      if (s.have_middle) {
        s.take(s.middle.x, s.middle.y, 0, kFoundCentre);
        return s.hit;
      }
    } else {
      for (const Element& e : d.store.list)
        if (accessible(d, e) && s.element_points_3d(e)) return s.hit;
    }
  }
  SnapHit h;
  if (unproject_click(q.view, q.x, q.y, h.x, h.y, h.z)) h.code = kSnapClick;
  return h;
}

bool same_hit(const SnapHit& a, const SnapHit& b) {
  auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  return a.code == b.code && a.found == b.found && same(a.x, b.x) && same(a.y, b.y) &&
         same(a.z, b.z);
}

}  // namespace

SnapHit find_snap(const Drawing& d, const SnapQuery& q, std::span<const Point3> request_points) {
  SpatialIndex* index = q.view == kPlanView ? d.indexed() : nullptr;
  SnapHit h = search_snap(d, q, request_points, index);
  if (index && index->verify && !same_hit(h, search_snap(d, q, request_points, nullptr)))
    index_mismatch("snap");
  return h;
}

SnapQuery snap_query(const App& app, double x, double y) {
  SnapQuery q;
  q.x = x;
  q.y = y;
  const View& v = app.view();
  if (v.units_x > 0) q.units_x = v.units_x;
  if (v.units_y > 0) q.units_y = v.units_y;
  q.view = app.view_number();
  q.camera = app.drawing.camera;
  q.on = app.snap_on;
  q.settings = app.drawing.settings.snap;
  return q;
}

void register_snap_variables(App& app) {
  static constexpr std::string_view kLabels[9] = {
      "End points",           "Line intersections", "Center points",
      "Text points",          "Circle centers",     "Arc start/end points",
      "Circle Intersections", "Polygon points",     "Measuring points"};
  SnapSettings& s = app.drawing.settings.snap;
  DialogVar size;
  size.name = "Snap/Snap size";
  size.kind = VarKind::kSpinInt;
  size.ref = &s.size;
  size.lower = kMinSnapSize;
  size.upper = kMaxSnapSize;
  app.vars.add(std::move(size));
  for (int i = 0; i < 9; ++i) {
    DialogVar v;
    v.name = "Snap/" + std::string(kLabels[i]);
    v.kind = VarKind::kCheck;
    v.ref = &s.on[static_cast<std::size_t>(i)];
    app.vars.add(std::move(v));
  }
}

SnapResult snap_point(App& app, const PointRequest& r, double x, double y) {
  Point3 taken[kMaxPoints];
  int n = std::clamp(r.point_count, 0, kMaxPoints);
  for (int i = 0; i < n; ++i) taken[i] = {r.x[i], r.y[i], r.z[i], 0};
  SnapHit h = find_snap(app.drawing, snap_query(app, x, y),
                        std::span<const Point3>(taken, static_cast<std::size_t>(n)));
  return {h.code, h.x, h.y, h.z};
}

bool snap_preview_tick(const Drawing& d, const SnapQuery& q, SnapPreview& p,
                       std::chrono::microseconds budget) {
  int before = p.hit.found;
  if (!p.started || p.x != q.x || p.y != q.y || p.revision != d.store.list.revision()) {
    p = SnapPreview{};
    p.x = q.x;
    p.y = q.y;
    p.started = true;
    p.revision = d.store.list.revision();
    p.next = d.store.head();
  }
  if (p.done || !q.on) return p.hit.found != before;
  Search s = search_around(d, q);
  if (SpatialIndex* index = q.view == kPlanView ? d.indexed() : nullptr) {
    // Only the elements near the square can offer a point: all of them in this tick.
    s.cand = index->query({s.sq.x1, s.sq.y1, s.sq.x2, s.sq.y2});
    s.indexed = true;
    s.each([&](const Element& e) {
      if (!accessible(d, e) || !s.element_points(e)) return false;
      p.hit = s.hit;
      return true;
    });
    p.done = true;
    return p.hit.found != before;
  }
  // The walk goes on from the element where the last tick stopped; it is still linked, since
  // any change to the store's links restarts the walk above. At least 64 elements are looked
  // at per tick, so the walk always gets on.
  auto start = std::chrono::steady_clock::now();
  const Element* e = p.next;
  for (int count = 0; e; e = e->next, ++count) {
    if ((count & 63) == 63 && std::chrono::steady_clock::now() - start >= budget) {
      p.next = e;
      return p.hit.found != before;
    }
    if (!accessible(d, *e)) continue;
    bool found = q.view == kPlanView ? s.element_points(*e) : s.element_points_3d(*e);
    if (found) {
      p.hit = s.hit;
      p.done = true;
      return p.hit.found != before;
    }
  }
  p.done = true;
  return p.hit.found != before;
}

std::optional<Vec2> element_intersection(const Element& a, const Element& b, Vec2 near) {
  CurveCrossings x;
  const Line* la = as<Line>(&a);
  const Line* lb = as<Line>(&b);
  const Circle* ca = as<Circle>(&a);
  const Circle* cb = as<Circle>(&b);
  if (la && lb) {
    LineCrossing c = line_intersection(la->start, la->end, lb->start, lb->end);
    if (!c.found) return std::nullopt;
    return c.point;
  }
  if (la && cb) x = line_curve_crossings(la->start, la->end, *cb);
  else if (ca && lb) x = line_curve_crossings(lb->start, lb->end, *ca);
  else if (ca && cb && is_true_circle(*ca) && is_true_circle(*cb)) x = circle_crossings(*ca, *cb);
  // Of an arc only the crossings on the arc itself count.
  int kept = 0;
  for (int i = 0; i < x.count; ++i) {
    if ((ca && !on_arc(*ca, x.point[i])) || (cb && !on_arc(*cb, x.point[i]))) continue;
    x.point[kept++] = x.point[i];
  }
  if (kept == 0) return std::nullopt;
  if (kept == 1 || distance(x.point[0], near) <= distance(x.point[1], near)) return x.point[0];
  return x.point[1];
}

std::optional<Point3> dividing_point(const Point3& p1, const Point3& p2, int divisions,
                                     int number) {
  if (divisions < 1) return std::nullopt;
  double k = static_cast<double>(number) / divisions;
  return Point3{p1.x + (p2.x - p1.x) * k, p1.y + (p2.y - p1.y) * k, p1.z + (p2.z - p1.z) * k, 0};
}

std::optional<Vec2> tangent_point(Vec2 from, const Circle& c, Vec2 near) {
  double r = c.radius1;
  Vec2 m = c.centre;
  double dist = distance(from, m);
  if (!(r > 0) || !(dist > r)) return std::nullopt;
  double tangent = std::sqrt(dist * dist - r * r);
  // The tangent points lie on the circle about `from` with the tangent length.
  double base = std::atan2(m.y - from.y, m.x - from.x);
  double half = std::asin(r / dist);
  Vec2 t1 = from + Vec2(std::cos(base + half), std::sin(base + half)) * tangent;
  Vec2 t2 = from + Vec2(std::cos(base - half), std::sin(base - half)) * tangent;
  return distance(t1, near) <= distance(t2, near) ? t1 : t2;
}

// ---- The special snaps as nested requests ----

namespace {

void rubber_from_point0(App& app, const PointRequest& r, double x, double y) {
  xor_line_world(app.screen(), r.x[0], r.y[0], x, y);
}

// Picks until an element the filter accepts is hit; nullptr when cancelled.
Element* pick_until_found(App& app, std::string_view prompt, int kind,
                          bool (*accept)(const Element&), Vec2* where) {
  for (;;) {
    double x = 0, y = 0;
    Element* e = pick_with_prompt(app, prompt, kind, &x, &y);
    if (!e) return nullptr;
    if (accept(*e)) {
      if (where) *where = {x, y};
      return e;
    }
  }
}

bool is_line_or_circle(const Element& e) { return e.type == kLine || e.type == kCircle; }
bool is_circle(const Element& e) { return e.type == kCircle; }

// Two points through "1st Point:", "2nd Point:", "Move/Confirm:".
bool two_points(App& app, Point3& p1, Point3& p2) {
  PointRequest q;
  q.add_step(kStepFirstPoint, "1st Point:");
  q.add_step(kStepNextPoint, "2nd Point:", rubber_from_point0);
  q.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, q) != kInputDone) return false;
  p1 = {q.x[0], q.y[0], q.z[0], 0};
  p2 = {q.x[1], q.y[1], q.z[1], 0};
  return true;
}

}  // namespace

SpecialSnap special_snap(App& app, PointRequest& r, std::string_view command) {
  if (r.point_count >= kMaxPoints || r.step >= r.step_count) return SpecialSnap::kNotAvailable;
  if (command != "z_snap_i" && command != "z_snap_m" && command != "z_snap_d" &&
      command != "z_snap_t")
    return SpecialSnap::kNotAvailable;
  erase_point_markers(app, r);  // the outer request's markers go while the nested one runs
  std::optional<Point3> produced;
  bool cancelled = false;
  if (command == "z_snap_i") {
    Element* a = pick_until_found(app, "1st Element:", kPickAny, is_line_or_circle, nullptr);
    Vec2 where;
    Element* b =
        a ? pick_until_found(app, "2nd Element:", kPickAny, is_line_or_circle, &where) : nullptr;
    cancelled = !b;
    if (b) {
      if (auto p = element_intersection(*a, *b, where)) produced = Point3{p->x, p->y, 0, 0};
    }
  } else if (command == "z_snap_m") {
    Point3 p1, p2;
    cancelled = !two_points(app, p1, p2);
    if (!cancelled) produced = Point3{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2, (p1.z + p2.z) / 2, 0};
  } else if (command == "z_snap_d") {
    Point3 p1, p2;
    cancelled = !two_points(app, p1, p2);
    if (!cancelled) {
      // one integer per request: the two values are asked one after the other
      PointRequest qd, qn;
      qd.add_step(kStepInteger, "Number of divisions:");
      qn.add_step(kStepInteger, "Number:");
      if (point_input(app, qd) != kInputDone || point_input(app, qn) != kInputDone)
        cancelled = true;
      else produced = dividing_point(p1, p2, qd.integer, qn.integer);
    }
  } else {  // "z_snap_t"
    PointRequest q;
    q.add_step(kStepFirstPoint, "From point:");
    q.add_step(kStepConfirm, "Move/Confirm:");
    Vec2 where;
    Element* c = nullptr;
    if (point_input(app, q) == kInputDone)
      c = pick_until_found(app, "Select Circle/Arc:", kPickCircles, is_circle, &where);
    cancelled = !c;
    if (c) {
      if (auto p = tangent_point({q.x[0], q.y[0]}, static_cast<Circle&>(*c), where))
        produced = Point3{p->x, p->y, q.z[0], 0};
    }
  }
  if (cancelled) return SpecialSnap::kCancelled;
  if (produced) {
    int i = r.point_count;
    r.x[i] = produced->x;
    r.y[i] = produced->y;
    r.z[i] = produced->z;
    r.flags[i] = 0;
    ++r.point_count;
    ++r.step;
  }
  // The markers of the request were erased for the nested requests; point input marks the
  // points again.
  return produced ? SpecialSnap::kTaken : SpecialSnap::kNotAvailable;
}

}  // namespace korav
