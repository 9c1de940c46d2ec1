#include "app/tools/three_d.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/selection.h"
#include "app/tools/polygon_input.h"
#include "app/tools/tool_steps.h"
#include "model/projection.h"
#include "three_d/mesh.h"
#include "three_d/objects.h"

namespace korav {

namespace {

constexpr double kMinRadius = 1e-7;

Point3 point3(const PointRequest& r, int i) { return {r.x[i], r.y[i], r.z[i], 0}; }

// Where a drawing point shows in the current view.
Vec2 shown(App& app, const Point3& p) {
  const ViewPoint v = project_point(app.view_number(), app.drawing.camera, p.x, p.y, p.z);
  return {v.u, v.v};
}

void band_from_0(App& a, const PointRequest& q, double x, double y) {
  xor_segment(a, shown(a, point3(q, 0)), {x, y});
}
void band_0_to_1(App& a, const PointRequest& q, double, double) {
  xor_segment(a, shown(a, point3(q, 0)), shown(a, point3(q, 1)));
}

std::optional<double> ask_number(App& app, int kind, std::string_view prompt) {
  PointRequest r;
  if (!ask_value(app, kind, prompt, r)) return std::nullopt;
  return kind == kStepInteger ? double(r.integer) : r.number;
}
std::optional<double> ask_length(App& app, std::string_view prompt) {
  return ask_number(app, kStepLength, prompt);
}
std::optional<int> ask_divisions(App& app) {
  std::optional<double> n = ask_number(app, kStepInteger, "Number of divisions:");
  if (!n) return std::nullopt;
  return clamp_divisions(static_cast<long>(*n));
}

// A point and its confirmation.
std::optional<Point3> ask_point(App& app, std::string_view prompt) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, prompt);
  r.add_step(kStepConfirm, "Move XYZ/Confirm:");
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return point3(r, 0);
}

// A centre, then a radius typed or given by a circle point (distance in 3D).
struct CentreRadius {
  Point3 centre;
  double radius;
};
std::optional<CentreRadius> ask_centre_radius(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Center:");
  r.add_step(kStepConfirm, "Move XYZ/Confirm:");
  r.add_step(kStepPointOrLength, "Radius/Circle point:", band_from_0);
  r.add_step(kStepConfirm, "Move XYZ/Confirm:", band_0_to_1);
  const int result = point_input(app, r);
  if (result == kInputValue) return CentreRadius{point3(r, 0), r.number};
  if (result != kInputDone) return std::nullopt;
  const Point3 c = point3(r, 0), p = point3(r, 1);
  return CentreRadius{c, std::sqrt((p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y) +
                                   (p.z - c.z) * (p.z - c.z))};
}

// Two points with a rubber band between them.
std::optional<std::pair<Point3, Point3>> ask_two_points(App& app, std::string_view first,
                                                        std::string_view second) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, first);
  r.add_step(kStepNextPoint, second, band_from_0);
  r.add_step(kStepConfirm, "Move XYZ/Confirm:", band_0_to_1);
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return std::pair{point3(r, 0), point3(r, 1)};
}

void add_solid(App& app, const Mesh& m) {
  if (add_object(app.drawing, m, app.material)) created(app, 1);
}

// The outline of a flat polygon or prism: in the plan view the polygon input of the outline
// tools, elsewhere points one by one until the user leaves. Normalised; empty when the user
// left before three points. `z` is the points' height (0 in the plan view).
std::vector<Point2> ask_outline(App& app, double& z) {
  z = 0;
  std::vector<Point2> pts;
  if (app.view_number() == kPlanView) {
    pts = polygon_input(app);
    if (!pts.empty()) pts.pop_back();  // the separator
  } else {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepFirstPoint, "Polygon point:");
    r.add_step(kStepConfirm, "Move XYZ/Confirm:");
    while (point_input(app, r) == kInputDone && pts.size() < kMaxOutlinePoints) {
      if (pts.empty()) z = r.z[0];
      pts.push_back({r.x[0], r.y[0], 0});
      r.restart();
    }
  }
  if (pts.size() < 3) return {};
  return normalise_polygon(pts);
}

enum class Revolution { kTube, kCone, kCutCone };

void revolution_tool(App& app, Revolution kind) {
  for (;;) {
    Point3 a, b;
    double ra = 0, rb = 0;
    int n = 0;
    if (app.view_number() == kPlanView) {
      std::optional<CentreRadius> cr = ask_centre_radius(app);
      if (!cr) return;
      ra = cr->radius;
      if (!(ra > kMinRadius)) continue;  // too small a radius starts again
      if (kind == Revolution::kCutCone) {
        std::optional<double> top = ask_length(app, "Top Radius:");
        if (!top) return;
        rb = *top;
        if (!(rb > kMinRadius)) continue;
      }
      std::optional<double> h = ask_length(app, "Height:");
      if (!h) return;
      std::optional<int> div = ask_divisions(app);
      if (!div) return;
      n = *div;
      a = cr->centre;
      if (a.z == 0) {
        std::optional<double> base = ask_length(app, "Base:");
        if (!base) return;
        a.z = *base;
      }
      b = a;
      b.z += *h;
    } else {
      std::optional<double> r1 =
          ask_length(app, kind == Revolution::kCutCone ? "Base Radius:" : "Radius:");
      if (!r1) return;
      ra = *r1;
      if (!(ra > kMinRadius)) continue;
      if (kind == Revolution::kCutCone) {
        std::optional<double> r2 = ask_length(app, "Top Radius:");
        if (!r2) return;
        rb = *r2;
        if (!(rb > kMinRadius)) continue;
      }
      std::optional<int> div = ask_divisions(app);
      if (!div) return;
      n = *div;
      auto axis = ask_two_points(app, "Start point:", "Move XYZ/End point:");
      if (!axis) return;
      a = axis->first;
      b = axis->second;
    }
    if (kind == Revolution::kTube) rb = ra;
    // An axis without length makes nothing either.
    if (a.x == b.x && a.y == b.y && a.z == b.z) continue;
    add_solid(app, frustum_mesh(a, b, ra, kind == Revolution::kCone ? 0 : rb, n));
  }
}

}  // namespace

void tool_3d_line(App& app) {
  for (;;) {
    auto ends = ask_two_points(app, "Start point:", "Move XYZ/End point:");
    if (!ends) return;
    auto [a, b] = *ends;
    if (a.z == 0 && b.z == 0) {
      std::optional<double> za = ask_length(app, "Z - Start point:");
      if (!za) return;
      std::optional<double> zb = ask_length(app, "Z - End point:");
      if (!zb) return;
      a.z = *za;
      b.z = *zb;
    }
    add_line3d(app.drawing, a, b);
    created(app, 1);
  }
}

void tool_3d_cuboid(App& app) {
  for (;;) {
    auto corners = ask_two_points(app, "1st Corner point:", "Move XYZ/2nd Corner point:");
    if (!corners) return;
    auto [a, b] = *corners;
    double z1 = a.z, z2 = b.z;
    if (z1 == z2) {
      std::optional<double> h = ask_length(app, "Height:");
      if (!h) return;
      if (z1 == 0) {
        std::optional<double> base = ask_length(app, "Base:");
        if (!base) return;
        z1 = *base;
      }
      z2 = z1 + *h;
    }
    if (a.x == b.x || a.y == b.y || z1 == z2) continue;  // no volume: nothing to make
    add_solid(app, cuboid_mesh(a.x, a.y, b.x, b.y, z1, z2));
  }
}

void tool_3d_polygon(App& app) {
  for (;;) {
    double z = 0;
    std::vector<Point2> outline = ask_outline(app, z);
    if (outline.empty()) return;
    if (z == 0) {
      std::optional<double> base = ask_length(app, "Base:");
      if (!base) return;
      z = *base;
    }
    add_solid(app, polygon_mesh(outline, z));
  }
}

void tool_3d_prism(App& app) {
  for (;;) {
    double z = 0;
    std::vector<Point2> outline = ask_outline(app, z);
    if (outline.empty()) return;
    std::printf("%d\n", static_cast<int>(outline.size()));
    std::fflush(stdout);
    std::optional<double> h = ask_length(app, "Height:");
    if (!h) return;
    if (app.view_number() == kPlanView) {
      std::optional<double> base = ask_length(app, "Base:");
      if (!base) return;
      z = *base;
    } else {
      // The raised outline is shown for confirmation.
      PointRequest r;
      r.view_commands = true;
      const double height = *h;
      r.add_step(kStepConfirm, "Move XYZ/Confirm:",
                 [&outline, z, height](App& a, const PointRequest&, double, double) {
                   for (std::size_t i = 0; i < outline.size(); ++i) {
                     const Point2& p = outline[i];
                     const Point2& q = outline[(i + 1) % outline.size()];
                     xor_segment(a, shown(a, {p.x, p.y, z + height, 0}),
                                 shown(a, {q.x, q.y, z + height, 0}));
                   }
                 });
      if (point_input(app, r) != kInputDone) return;
    }
    if (*h == 0) continue;
    add_solid(app, prism_mesh(outline, std::min(z, z + *h), std::max(z, z + *h)));
  }
}

void tool_3d_tube(App& app) { revolution_tool(app, Revolution::kTube); }
void tool_3d_cone(App& app) { revolution_tool(app, Revolution::kCone); }
void tool_3d_cutcone(App& app) { revolution_tool(app, Revolution::kCutCone); }

void tool_3d_sphere(App& app) {
  for (;;) {
    std::optional<CentreRadius> cr = ask_centre_radius(app);
    if (!cr) return;
    if (!(cr->radius > kMinRadius)) continue;
    Point3 c = cr->centre;
    if (c.z == 0) {
      // The base is the sphere's underside.
      std::optional<double> base = ask_length(app, "Base:");
      if (!base) return;
      c.z = *base + cr->radius;
    }
    add_solid(app, sphere_mesh(c.x, c.y, c.z, cr->radius));
  }
}

void tool_3d_light(App& app) {
  for (;;) {
    std::optional<Point3> pos = ask_point(app, "Light point:");
    if (!pos) return;
    Point3 target = *pos;
    if (app.presets.light.spot) {
      std::optional<Point3> t = ask_point(app, "Target point:");
      if (!t) return;
      target = *t;
    }
    if (pos->z == 0 && target.z == 0) {
      std::optional<double> h = ask_length(app, "Height:");
      if (!h) return;
      pos->z = *h;
      if (!app.presets.light.spot) target.z = *h;
    }
    add_light(app.drawing, app.presets.light, *pos, target);
    created(app, 1);
  }
}

void tool_3d_light_alter(App& app) {
  for (;;) {
    Element* e = pick_with_prompt(app, "Select Light:", kPickLights);
    Light* l = as<Light>(e);
    if (!l) return;
    Drawing& d = app.drawing;
    d.deselect_all();
    l->selected = 1;
    d.undo.record(d.store, kUndoSnapshot);
    l->selected = 0;
    apply_light_preset(*l, app.presets.light);
    if (!l->spot) l->target = l->pos;
    changed(app);
  }
}

void tool_3d_camera(App& app) {
  for (;;) {
    std::optional<Point3> eye = ask_point(app, "Eye point:");
    if (!eye) return;
    std::optional<Point3> target = ask_point(app, "Target point:");
    if (!target) return;
    if (eye->z == 0 && target->z == 0) {
      std::optional<double> h = ask_length(app, "Height:");
      if (!h) return;
      eye->z = *h;
    }
    add_camera(app.drawing, *eye, *target, app.camera_lens);
    if (app.view_number() == kCameraView) changed(app);
    else created(app, 1);
  }
}

void tool_3d_camera_change(App& app) {
  Camera* c = as<Camera>(pick_with_prompt(app, "Select Camera:", kPickCameras));
  if (!c) return;
  activate_camera(app.drawing, *c);
  app.drawing.store.modified = true;
  changed(app);
}

void tool_3d_material(App& app) {
  if (select_elements(app, 0) != 1) return;
  Drawing& d = app.drawing;
  bool any = false;
  for (Element& e : d.store.list)
    if (e.selected && (e.type == kObject3D || e.type == kWall)) any = true;
  if (!any) {
    d.deselect_all();
    changed(app);
    return;
  }
  d.undo.record(d.store, kUndoSnapshot);
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    if (auto* o = as<Object3D>(&e)) o->material.set(app.material);
    if (auto* w = as<Wall>(&e)) w->material.set(app.material);
    e.selected = 0;
  }
  d.store.modified = true;
  changed(app);
}

}  // namespace korav
