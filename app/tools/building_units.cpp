#include "app/tools/building_units.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/tools/polygon_input.h"
#include "app/tools/tool_steps.h"
#include "arch/walls.h"
#include "model/element_points.h"
#include "model/layers.h"
#include "three_d/building_units.h"

namespace korav {

namespace {

constexpr double kMinSize = 1e-6;

std::string shortest(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// One value step offering the last value; the new value replaces it. False when the user left.
bool ask_size(App& app, int kind, std::string_view prompt, double& value, double scale = 1) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kind, prompt);
  r.offered = shortest(value * scale);
  if (point_input(app, r) != kInputDone) return false;
  const double v = kind == kStepInteger ? double(r.integer) : r.number;
  if (!std::isfinite(v)) return false;
  value = v / scale;
  return true;
}

bool ask_count(App& app, std::string_view prompt, int& value, int least) {
  double v = value;
  if (!ask_size(app, kStepInteger, prompt, v)) return false;
  value = std::max(least, int(std::clamp(v, -1e6, 1e6)));
  return true;
}

Point2 p2(Vec2 v) { return {v.x, v.y, 0}; }

void band(App& a, const PointRequest& q, double x, double y) { xor_segment(a, point(q, 0), {x, y}); }

// Start and end of a unit along a line, with the band rectangle of the half width shown.
std::optional<std::pair<Vec2, Vec2>> ask_run(App& app, double half_width) {
  PointRequest r;
  two_point_steps(r, "Start point:", "Move/End point:", band,
                  [half_width](App& a, const PointRequest& q, double, double) {
                    const auto b = band_rectangle(p2(point(q, 0)), p2(point(q, 1)), half_width);
                    for (int i = 0; i < 4; ++i)
                      xor_segment(a, {b[i].x, b[i].y}, {b[(i + 1) % 4].x, b[(i + 1) % 4].y});
                  });
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return std::pair{point(r, 0), point(r, 1)};
}

std::optional<Vec2> ask_position(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Position:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return point(r, 0);
}

void made(App& app, int n) {
  if (n > 0) created(app, n);
}

// The heights of the opening under the middle of a window line: those of the wall opening
// whose footprint holds it, else the window size of the presets on the wall preset's base.
std::pair<double, double> window_heights(App& app, Point2 mid) {
  const Drawing& d = app.drawing;
  for (const Element& e : d.store.list) {
    const Wall* w = as<Wall>(&e);
    if (!w || !layer_visible(d.layers, d.current_layer, w->layer)) continue;
    for (const Opening& o : wall_openings(*w)) {
      bool inside = false;
      for (int i = 0, j = 3; i < 4; j = i++) {
        const Point3& a = o.corner[i];
        const Point3& b = o.corner[j];
        if ((a.y > mid.y) != (b.y > mid.y) &&
            mid.x < (b.x - a.x) * (mid.y - a.y) / (b.y - a.y) + a.x)
          inside = !inside;
      }
      if (inside && o.corner[4].z > o.corner[0].z) return {o.corner[0].z, o.corner[4].z};
    }
  }
  const double zb = app.presets.wall.base + app.presets.window.base;
  return {zb, zb + app.presets.window.height};
}

}  // namespace

void tool_unit_gablewall(App& app) {
  UnitSizes& u = app.unit_sizes;
  if (!(app.presets.wall.thickness > 0) || !std::isfinite(app.presets.wall.thickness)) {
    app.ui->error_box(kMsgNoWallThickness);
    return;
  }
  if (!ask_size(app, kStepLength, "Base:", u.gable_base) ||
      !ask_size(app, kStepLength, "Height of wall:", u.gable_height) ||
      !ask_size(app, kStepLength, "Height of gable wall:", u.gable_ridge))
    return;
  const double half = app.presets.wall.thickness / 2;
  for (;;) {
    PointRequest r;
    two_point_steps(r, "1st Corner point:", "Move/2nd Corner point:", band,
                    [half](App& a, const PointRequest& q, double, double) {
                      const auto b = band_rectangle(p2(point(q, 0)), p2(point(q, 1)), half);
                      for (int i = 0; i < 4; ++i)
                        xor_segment(a, {b[i].x, b[i].y}, {b[(i + 1) % 4].x, b[(i + 1) % 4].y});
                    });
    if (point_input(app, r) != kInputDone) return;
    const Vec2 a = point(r, 0), b = point(r, 1);
    if (add_gable_wall(app.drawing, app.presets.wall, {a.x, a.y}, {b.x, b.y}, u.gable_base,
                       u.gable_height, u.gable_ridge))
      made(app, 1);
  }
}

void tool_unit_ceiling(App& app) {
  UnitSizes& u = app.unit_sizes;
  if (!ask_size(app, kStepLength, "Base:", u.ceiling_base) ||
      !ask_size(app, kStepLength, "Height:", u.ceiling_height))
    return;
  for (;;) {
    std::vector<Point2> pts = polygon_input(app);
    if (pts.empty()) return;
    pts.pop_back();  // the separator
    if (pts.size() < 3) continue;
    if (add_ceiling(app.drawing, pts, u.ceiling_base, u.ceiling_height, app.material)) made(app, 1);
  }
}

void tool_unit_beam(App& app) {
  UnitSizes& u = app.unit_sizes;
  if (!ask_size(app, kStepLength, "Width:", u.beam_half_width, 2) ||
      !ask_size(app, kStepLength, "Base:", u.beam_base) ||
      !ask_size(app, kStepLength, "Height:", u.beam_height))
    return;
  for (;;) {
    auto run = ask_run(app, u.beam_half_width);
    if (!run) return;
    if (!(u.beam_half_width > kMinSize)) continue;
    const Mesh m = beam_mesh(p2(run->first), p2(run->second), u.beam_half_width, u.beam_base,
                             u.beam_height);
    if (add_unit(app.drawing, m, app.material)) made(app, 1);
  }
}

void tool_unit_pillar(App& app) {
  UnitSizes& u = app.unit_sizes;
  if (!ask_size(app, kStepLength, "Width:", u.pillar_half_width, 2) ||
      !ask_size(app, kStepLength, "Thickness:", u.pillar_half_thickness, 2) ||
      !ask_size(app, kStepLength, "Base:", u.pillar_base) ||
      !ask_size(app, kStepLength, "Height:", u.pillar_height))
    return;
  for (;;) {
    std::optional<Vec2> p = ask_position(app);
    if (!p) return;
    if (!(u.pillar_half_width > kMinSize) || !(u.pillar_half_thickness > kMinSize)) continue;
    const Mesh m = pillar_mesh(p2(*p), u.pillar_half_width, u.pillar_half_thickness,
                               u.pillar_base, u.pillar_height);
    if (add_unit(app.drawing, m, app.material)) made(app, 1);
  }
}

void tool_unit_rpillar(App& app) {
  UnitSizes& u = app.unit_sizes;
  if (!ask_size(app, kStepLength, "Diameter:", u.round_radius, 2) ||
      !ask_size(app, kStepLength, "Base:", u.round_base) ||
      !ask_size(app, kStepLength, "Height:", u.round_height))
    return;
  for (;;) {
    std::optional<Vec2> p = ask_position(app);
    if (!p) return;
    if (!(u.round_radius > kMinSize)) continue;
    const Mesh m = round_pillar_mesh(p2(*p), u.round_radius, u.round_base, u.round_height);
    if (add_unit(app.drawing, m, app.material)) made(app, 1);
  }
}

void tool_unit_stairway(App& app) {
  StairSize& s = app.unit_sizes.stair;
  if (!ask_size(app, kStepLength, "Width of stairway:", s.half_width, 2) ||
      !ask_size(app, kStepLength, "Steps thickness:", s.step_thickness) ||
      !ask_size(app, kStepLength, "Nosing:", s.nosing) ||
      !ask_count(app, "Number of steps:", s.steps, 1) ||
      !ask_size(app, kStepLength, "Base:", s.base) ||
      !ask_size(app, kStepLength, "Height:", s.height))
    return;
  s.steps = std::min(s.steps, 1000);
  for (;;) {
    auto run = ask_run(app, s.half_width);
    if (!run) return;
    made(app, add_stairway(app.drawing, p2(run->first), p2(run->second), s, app.material));
  }
}

void tool_unit_profile(App& app) {
  ProfileSize& p = app.unit_sizes.profile;
  if (!ask_count(app, "Number of monials:", p.mullions, 0) ||
      !ask_count(app, "Number of transoms:", p.transoms, 0))
    return;
  p.mullions = std::min(p.mullions, 50);
  p.transoms = std::min(p.transoms, 50);
  for (;;) {
    const Line* l = as<Line>(pick_with_prompt(app, "Select Line:", kPickLines));
    if (!l) return;
    const Point2 mid{(l->start.x + l->end.x) / 2, (l->start.y + l->end.y) / 2, 0};
    const auto [zb, zt] = window_heights(app, mid);
    const ProfileParts parts = profile_parts(l->start, l->end, zb, zt, p);
    made(app, add_profile(app.drawing, parts, app.material, app.pane_material));
  }
}

}  // namespace korav
