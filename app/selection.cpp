#include "app/selection.h"

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "model/element_points.h"
#include "model/projection.h"
#include "render/renderer.h"

namespace korav {

namespace {

struct Rect {
  double x1, y1, x2, y2;
  Rect(double ax, double ay, double bx, double by)
      : x1(std::min(ax, bx)), y1(std::min(ay, by)), x2(std::max(ax, bx)), y2(std::max(ay, by)) {}
  bool contains(double x, double y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
  bool contains(const Projector& view, const Point3& p) const {
    ViewPoint v = view(p);
    return contains(v.u, v.v);
  }
};

// Whether a point is one of those that place its element for a range selection: the ends of
// lines and splines, centres, insertion points, wall corners, outline points, vertices, the
// eye of a camera and the position of a light. Of a dimension chain all its points count; of a
// radius or diameter the centre and the circle point, of heights and angles the first point.
bool places_element(const Element& e, const ConstPointRef& p) {
  switch (p.role) {
    case PointRole::kEnd:
    case PointRole::kCentre:
    case PointRole::kInsertion:
    case PointRole::kCorner:
    case PointRole::kOutline:
    case PointRole::kVertex:
    case PointRole::kEye:
    case PointRole::kPosition: return !p.separator;
    case PointRole::kControl: return p.index == 0 || p.index == 3;
    case PointRole::kFoot:
    case PointRole::kMeasured: {
      const int kind = static_cast<const Dimension&>(e).kind;
      if (kind == 0) return true;
      return p.role == PointRole::kFoot && p.index < (kind == 1 || kind == 2 ? 2u : 1u);
    }
    default: return false;
  }
}

bool contains_point(const Rect& r, const Projector& view, const ConstPointRef& p) {
  return p.is_3d() ? r.contains(view, Point3{*p.x, *p.y, *p.z, 0}) : r.contains(*p.x, *p.y);
}

// True when the element has points that place it and all of them lie in the rectangle.
bool inside_range(const Element& e, const Projector& view, const Rect& r) {
  bool any = false;
  bool outside = for_each_point(e, [&](const ConstPointRef& p) {
    if (!places_element(e, p)) return false;
    any = true;
    return !contains_point(r, view, p);
  });
  return any && !outside;
}

// Calls f for each element that may have a place in the rectangle, in store order: in the plan
// those the index finds there, else all. With verification, every element the index left out
// is checked to have no place in the rectangle.
template <class F>
void for_each_candidate(Drawing& d, int view, const Rect& r, const char* what, F&& f) {
  SpatialIndex* index = view == kPlanView ? d.indexed() : nullptr;
  if (!index) {
    for (Element& e : d.store.list) f(e);
    return;
  }
  std::span<Element* const> cand = index->query({r.x1, r.y1, r.x2, r.y2});
  if (index->verify) {
    std::size_t k = 0;
    for (const Element& e : d.store.list) {
      if (k < cand.size() && cand[k] == &e) {
        ++k;
        continue;
      }
      for_each_point(e, [&](const ConstPointRef& p) {
        if (p.is_place() && !p.unused && r.contains(*p.x, *p.y)) index_mismatch(what);
      });
    }
  }
  for (Element* e : cand) f(*e);
}

void notify(const ElementChanged& changed, Element& e) {
  if (changed) changed(e);
}

}  // namespace

void apply_mode(int mode, std::uint8_t& flag) {
  switch (mode) {
    case kSelectPassive: flag = 0; break;
    case kSelectSwitch: flag = flag ? 0 : 1; break;
    default: flag = 1; break;
  }
}

bool element_accessible(const Drawing& d, bool visible_layers, const Element& e) {
  if (e.layer == d.current_layer) return true;
  return visible_layers && e.layer < kLayerCount && d.layers.layer[e.layer].state == 1;
}

int select_range(Drawing& d, const SelectionSettings& s, const Filter& f, int view, double x1,
                 double y1, double x2, double y2, const ElementChanged& changed) {
  Rect r(x1, y1, x2, y2);
  const Projector projector{view, d.camera};
  int n = 0;
  for_each_candidate(d, view, r, "range selection", [&](Element& e) {
    if (!element_accessible(d, s.visible_layers(), e) || !passes_filter(f, e)) return false;
    if (view != kPlanView && !has_3d_points(e.type)) return false;
    if (!inside_range(e, projector, r)) return false;
    apply_mode(s.mode, e.selected);
    notify(changed, e);
    ++n;
    return true;
  });
  return n;
}

int select_points(Drawing& d, SelectionSettings& s, const Filter& f, int view, double x1, double y1,
                  double x2, double y2, const ElementChanged& changed) {
  Rect r(x1, y1, x2, y2);
  const Projector projector{view, d.camera};
  s.points_marked = true;
  int n = 0;
  for_each_candidate(d, view, r, "point selection", [&](Element& e) {
    if (!element_accessible(d, s.visible_layers(), e) || !passes_filter(f, e)) return false;
    // Plan-only kinds have no position in a 3D view; as for a range, only the 3D kinds count.
    if (view != kPlanView && !has_3d_points(e.type)) return false;
    bool any = false;
    // Points stored but not in use (a gable's without a gable) are no places to mark.
    for_each_point(e, [&](const PointRef& p) {
      if (!p.is_place() || p.unused || !contains_point(r, projector, p)) return;
      apply_mode(s.mode, *p.mark);
      any = true;
    });
    if (any) {
      notify(changed, e);
      ++n;
    }
    return any;
  });
  return n;
}

Element* select_element(Drawing& d, const SelectionSettings& s, const Filter& f,
                        const PickContext& c, double x, double y, const ElementChanged& changed) {
  PickContext pc = c;
  pc.visible_layers = s.visible_layers();
  Element* e = pick_element(d, pc, x, y, kPickAny);
  if (!e || !passes_filter(f, *e)) return nullptr;
  apply_mode(s.mode, e->selected);
  notify(changed, *e);
  return e;
}

Wall* select_opening(Drawing& d, SelectionSettings& s, double x, double y,
                     const ElementChanged& changed) {
  double best = 1.0;
  Wall* wall = nullptr;
  const Opening* opening = nullptr;
  for (Element& e : d.store.list) {
    Wall* w = as<Wall>(&e);
    if (!w || w->layer != d.current_layer) continue;
    for (const Opening& o : wall_openings(*w)) {
      double ax = o.corner[0].x, ay = o.corner[0].y;
      double dx = o.corner[1].x - ax, dy = o.corner[1].y - ay;
      double len2 = dx * dx + dy * dy;
      if (!(len2 > 0)) continue;
      double t = ((x - ax) * dx + (y - ay) * dy) / len2;
      if (!(t > 0 && t < 1)) continue;
      double dist = std::hypot(ax + t * dx - x, ay + t * dy - y);
      if (dist < best) {
        best = dist;
        wall = w;
        opening = &o;
      }
    }
  }
  if (!wall) return nullptr;
  s.points_marked = true;
  Point3 corners[8];
  std::copy(std::begin(opening->corner), std::end(opening->corner), corners);
  auto near = [&](double px, double py) {
    for (const Point3& c : corners)
      if (std::hypot(px - c.x, py - c.y) < 0.001) return true;
    return false;
  };
  for_each_point(*wall, [&](const PointRef& p) {
    if (near(*p.x, *p.y)) apply_mode(s.mode, *p.mark);
  });
  notify(changed, *wall);
  return wall;
}

int select_group(Drawing& d, const SelectionSettings& s, const Filter& f, const PickContext& c,
                 double x, double y, const ElementChanged& changed) {
  PickContext pc = c;
  pc.visible_layers = s.visible_layers();
  Element* picked = pick_element(d, pc, x, y, kPickAny);
  if (!picked || picked->group == 0) return 0;
  int group = picked->group;
  int n = 0;
  for (Element& e : d.store.list) {
    if (e.group != group || e.layer != d.current_layer || !passes_filter(f, e)) continue;
    apply_mode(s.mode, e.selected);
    notify(changed, e);
    ++n;
  }
  return n;
}

int select_all(Drawing& d, const SelectionSettings& s, const Filter& f) {
  int n = 0;
  for (Element& e : d.store.list) {
    if (!element_accessible(d, s.visible_layers(), e) || !passes_filter(f, e)) continue;
    apply_mode(s.mode, e.selected);
    ++n;
  }
  return n;
}

int select_last(Drawing& d, const SelectionSettings& s, const Filter& f,
                const ElementChanged& changed) {
  int n = 0;
  if (d.undo.current_bit() == 0) return 0;
  for (Element& e : d.store.list) {
    if (!d.undo.is_in_last_step(e)) continue;
    if (!element_accessible(d, s.visible_layers(), e) || !passes_filter(f, e)) continue;
    apply_mode(s.mode, e.selected);
    notify(changed, e);
    ++n;
  }
  return n;
}

bool clear_after_cancel(Drawing& d, const SelectionSettings& s, int point_scope,
                        const ElementChanged& was_selected) {
  bool redraw_all = s.points_marked && (point_scope == 1 || point_scope == 2);
  for (Element& e : d.store.list) {
    bool was = e.selected != 0;
    if (point_scope == 2 || (point_scope == 1 && e.type == kWall)) clear_point_marks(e);
    e.selected = 0;
    if (was && !redraw_all) notify(was_selected, e);
  }
  return redraw_all;
}

// ---- The interactive dialogue ----

Filter current_filter(const App& app) {
  Filter f = app.filter;
  filter_from_settings(f, app.drawing.settings.filter);
  return f;
}

void show_element(App& app, const Element& e) {
  Screen& s = app.screen();
  set_current_surface(s, kMainSurface);
  if (!s.cur().image) return;
  app.display.renderer.view_number = app.view_number();
  draw_element(app.display.renderer, app.drawing, e, kDrawNormal);
  present(s);
  app.ui->canvas_changed();
}

namespace {

void rubber_rectangle(App& app, const PointRequest& r, double x, double y) {
  Screen& s = app.screen();
  const View& v = s.view();
  xor_rectangle(s, world_to_pixel_x(v, r.x[0]), world_to_pixel_y(v, r.y[0]), world_to_pixel_x(v, x),
                world_to_pixel_y(v, y));
}

// One step of the current type; returns the request's result.
int selection_step(App& app) {
  Drawing& d = app.drawing;
  SelectionSettings& s = app.selection;
  auto redraw_one = [&app](Element& e) { show_element(app, e); };
  PointRequest r;
  r.view_commands = true;
  switch (s.type) {
    case kSelectRange:
    case kSelectPoint:
      r.add_step(kStepPick, "1st Corner point:");
      r.add_step(kStepPick2, "2nd Corner point:", rubber_rectangle);
      break;
    case kSelectOpening: r.add_step(kStepPickSmall, "Opening:"); break;
    case kSelectGroup: r.add_step(kStepPickSmall, "Group:"); break;
    default: r.add_step(kStepPickSmall, "Element:"); break;
  }
  int result = point_input(app, r);
  if (result != kInputDone) return result;
  // The filter dialog may have changed while the step waited.
  const Filter f = current_filter(app);
  PickContext c = pick_context(app);
  switch (s.type) {
    case kSelectRange:
      select_range(d, s, f, app.view_number(), r.x[0], r.y[0], r.x[1], r.y[1], redraw_one);
      break;
    case kSelectPoint:
      select_points(d, s, f, app.view_number(), r.x[0], r.y[0], r.x[1], r.y[1], redraw_one);
      break;
    case kSelectOpening: select_opening(d, s, r.x[0], r.y[0], redraw_one); break;
    case kSelectGroup: select_group(d, s, f, c, r.x[0], r.y[0], redraw_one); break;
    default: select_element(d, s, f, c, r.x[0], r.y[0], redraw_one); break;
  }
  return result;
}

}  // namespace

int select_elements(App& app, int point_scope) {
  Drawing& d = app.drawing;
  SelectionSettings& s = app.selection;
  s.points_marked = false;
  app.selection_running = true;
  int outcome = -1;
  while (outcome < 0) {
    switch (selection_step(app)) {
      case kInputOk: outcome = 1; break;
      case kInputCancel: outcome = 0; break;
      case kInputAll:
        select_all(d, s, current_filter(app));
        redraw(app);
        break;
      case kInputLast:
        select_last(d, s, current_filter(app), [&app](Element& e) { show_element(app, e); });
        break;
      default: break;  // the next step (a changed type included)
    }
  }
  app.selection_running = false;
  if (outcome == 0) {
    bool all = clear_after_cancel(d, s, point_scope, [&app](Element& e) { show_element(app, e); });
    if (all) redraw(app);
  }
  return outcome;
}

void register_selection_variables(App& app) {
  DialogVars& vars = app.vars;
  auto radio = [&](std::string name, std::int32_t* ref, std::vector<std::string> items) {
    DialogVar v;
    v.name = std::move(name);
    v.kind = VarKind::kRadio;
    v.ref = ref;
    v.items = std::move(items);
    vars.add(std::move(v));
  };
  SelectionSettings& s = app.selection;
  radio("Selection/Mode", &s.mode, {"Active", "Passive", "Switch"});
  radio("Selection/Layers", &s.layers, {"Active layer", "Visible layers"});
  radio("Selection/Type", &s.type, {"Range", "Element", "Opening", "Group", "Point"});

  Settings& st = app.drawing.settings;
  DialogVar active;
  active.name = "Filter/Filter";
  active.kind = VarKind::kCheck;
  active.ref = &app.filter.active;
  vars.add(std::move(active));
  DialogVar by;
  by.name = "Filter/Filter by";
  by.kind = VarKind::kOption;
  by.ref = &st.filter[2];
  by.items = {"Pen", "Line", "Pen + Line", "Object type"};
  vars.add(std::move(by));
  auto spin = [&](std::string name, std::uint32_t* ref, double upper) {
    DialogVar v;
    v.name = std::move(name);
    v.kind = VarKind::kSpinInt;
    v.ref = ref;
    v.lower = 0;
    v.upper = upper;
    vars.add(std::move(v));
  };
  spin("Filter/Pen", &st.filter[1], 255);
  spin("Filter/Line", &st.filter[0], 255);
  DialogVar type;
  type.name = "Filter/Object type";
  type.kind = VarKind::kOption;
  type.ref = &app.filter.object_entry;
  type.items.assign(kFilterObjectNames.begin(), kFilterObjectNames.end());
  vars.add(std::move(type));
}

}  // namespace korav
