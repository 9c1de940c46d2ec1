#include "app/tools/walls.h"

#include <cmath>
#include <string_view>

#include "app/app.h"
#include "app/dispatch.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "arch/walls.h"
#include "draft/geometry.h"
#include "draft/line_tools.h"
#include "model/element_points.h"

namespace korav {

namespace {

PlanVec plan(Vec2 v) { return {v.x, v.y}; }
Vec2 vec(PlanVec p) { return {p.x, p.y}; }

void xor_footprint(App& app, const Footprint& f) {
  for (int i = 0; i < 4; ++i) xor_segment(app, vec(f[i]), vec(f[(i + 1) % 4]));
}

bool thickness_defined(App& app) {
  if (app.presets.wall.thickness > 0 && std::isfinite(app.presets.wall.thickness)) return true;
  app.ui->error_box(kMsgNoWallThickness);
  return false;
}

// Makes the wall and draws it; false when nothing was made.
bool make_wall(App& app, const Footprint& f) {
  if (!add_wall(app.drawing, app.presets.wall, f)) return false;
  created(app, 1);
  return true;
}

Footprint on_axis(const App& app, Vec2 a, Vec2 b) {
  return axis_footprint(plan(a), plan(b), app.presets.wall.thickness);
}

// Asks for walls until the user leaves; without a thickness each one is refused with the message.
template <class Make>
void wall_loop(App& app, PointRequest& r, Make make) {
  for (;;) {
    r.restart();
    const int result = point_input(app, r);
    if (result != kInputDone && result != kInputValue) return;
    if (thickness_defined(app)) make(result);
  }
}

Wall* pick_wall(App& app, std::string_view prompt, double* x = nullptr, double* y = nullptr) {
  return as<Wall>(pick_with_prompt(app, prompt, kPickWalls, x, y));
}

// "1st Wall:", "2nd Wall:": two different walls, the first highlighted meanwhile; false when
// the user left.
bool pick_two_walls(App& app, Wall*& first, Wall*& second, bool gable_ok) {
  for (;;) {
    first = pick_wall(app, "1st Wall:");
    if (!first) return false;
    if (gable_ok || !first->gable) break;
  }
  highlight(app, *first, true);
  for (;;) {
    second = pick_wall(app, "2nd Wall:");
    if (!second || (second != first && (gable_ok || !second->gable))) break;
  }
  highlight(app, *first, false);
  return second != nullptr;
}

// Picks a straight edge (a Line or a wall's side), asking again until one is hit.
bool pick_wall_edge(App& app, std::string_view prompt, EdgePick& edge) {
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepPickSmall, prompt);
    const int result = point_input(app, r);
    if (result == kInputToggle) continue;
    if (result != kInputDone) return false;
    edge = edge_pick(app.drawing, point(r, 0));
    if (edge.found) return true;
  }
}

}  // namespace

void tool_wall_axis(App& app) {
  PointRequest r;
  two_point_steps(
      r, "Start point:", "Move/End point:",
      [](App& a, const PointRequest& q, double x, double y) {
        xor_footprint(a, on_axis(a, point(q, 0), {x, y}));
      },
      [](App& a, const PointRequest& q, double, double) {
        xor_footprint(a, on_axis(a, point(q, 0), point(q, 1)));
      });
  wall_loop(app, r, [&](int) { make_wall(app, on_axis(app, point(r, 0), point(r, 1))); });
}

void tool_wall_side(App& app) {
  auto both = [](App& a, Vec2 s, Vec2 e) {
    const double t = a.presets.wall.thickness;
    const Vec2 d = e - s;
    const PlanVec left{-d.y, d.x};
    xor_footprint(a, side_footprint(plan(s), plan(e), t, plan(s) + left));
    xor_footprint(a, side_footprint(plan(s), plan(e), t, plan(s) - left));
  };
  PointRequest r;
  two_point_steps(
      r, "Start point:", "Move/End point:",
      [both](App& a, const PointRequest& q, double x, double y) {
        both(a, point(q, 0), {x, y});
      },
      [both](App& a, const PointRequest& q, double, double) { both(a, point(q, 0), point(q, 1)); });
  r.add_step(kStepPoint, "Select side:", [](App& a, const PointRequest& q, double x, double y) {
    xor_footprint(
        a, side_footprint(plan(point(q, 0)), plan(point(q, 1)), a.presets.wall.thickness, {x, y}));
  });
  wall_loop(app, r, [&](int) {
    make_wall(app, side_footprint(plan(point(r, 0)), plan(point(r, 1)), app.presets.wall.thickness,
                                  plan(point(r, 2))));
  });
}

void tool_wall_angle(App& app) {
  const std::optional<double> dir = ask_direction(app);
  if (!dir) return;
  const double angle = *dir;

  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Start point:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  r.add_step(
      kStepPointOrLength,
      "Length/End point:", [angle](App& a, const PointRequest& q, double x, double y) {
        xor_footprint(a, on_axis(a, point(q, 0), angle_end_by_point(point(q, 0), angle, {x, y})));
      });
  r.add_step(kStepConfirm, "Move/Confirm:", [angle](App& a, const PointRequest& q, double, double) {
    xor_footprint(a, on_axis(a, point(q, 0), angle_end_by_point(point(q, 0), angle, point(q, 1))));
  });
  wall_loop(app, r, [&](int how) {
    const Vec2 s = point(r, 0);
    const Vec2 e = how == kInputValue ? angle_end_by_length(s, angle, r.number)
                                      : angle_end_by_point(s, angle, point(r, 1));
    make_wall(app, on_axis(app, s, e));
  });
}

void tool_wall_wall(App& app) {
  auto rectangle = [](App& a, Vec2 p, Vec2 q) {
    Footprint f;
    if (rectangle_footprint(plan(p), plan(q), f)) xor_footprint(a, f);
  };
  PointRequest r;
  two_point_steps(
      r, "1st Corner point:", "Move/2nd Corner point:",
      [rectangle](App& a, const PointRequest& q, double x, double y) {
        rectangle(a, point(q, 0), {x, y});
      },
      [rectangle](App& a, const PointRequest& q, double, double) {
        rectangle(a, point(q, 0), point(q, 1));
      });
  for (;;) {
    r.restart();
    if (point_input(app, r) != kInputDone) return;
    Footprint f;
    if (!rectangle_footprint(plan(point(r, 0)), plan(point(r, 1)), f)) {
      app.ui->error_box(kMsgNoWallThickness);
      continue;
    }
    make_wall(app, f);
  }
}

void tool_wall_connect(App& app) {
  for (;;) {
    Wall *a = nullptr, *b = nullptr;
    if (!pick_two_walls(app, a, b, true)) return;
    if (connect_walls(app.drawing, *a, *b) > 0) changed(app);
  }
}

// The tools without prompts end by themselves: the drawing is redrawn and their button lets up.
void tool_wall_connect_all(App& app) {
  connect_all_walls(app.drawing);
  changed(app);
  release_tool_button(app);
}

void tool_wall_separate(App& app) {
  for (;;) {
    Wall* w = pick_wall(app, "Select Wall:");
    if (!w) return;
    if (separate_wall(app.drawing, *w)) changed(app);
  }
}

void tool_wall_separate_all(App& app) {
  separate_all_walls(app.drawing);
  changed(app);
  release_tool_button(app);
}

void tool_wall_join(App& app) {
  for (;;) {
    Wall *a = nullptr, *b = nullptr;
    if (!pick_two_walls(app, a, b, false)) return;
    if (join_walls(app.drawing, *a, *b)) changed(app);
  }
}

void tool_wall_attach(App& app) {
  EdgePick edge;
  if (!pick_wall_edge(app, "Select Line:", edge)) return;
  // The chosen edge stands as a guide line while the walls are selected; it is no change of
  // the drawing.
  const bool was_modified = app.drawing.store.modified;
  Line* guide = create_line(app.drawing.store, app.drawing.current_layer, kGuidePen, 0,
                            edge.start.x, edge.start.y, edge.end.x, edge.end.y);
  show_element(app, *guide);
  const bool ok = select_elements(app, 0) == 1;
  guide->selected = 0;
  for (Element* e = app.drawing.store.tail(); e; e = e->prev)
    if (e == guide) {
      free_record(app.drawing.store.list.unlink(e));
      break;
    }
  app.drawing.store.modified = was_modified;
  if (ok && attach_walls(app.drawing, plan(edge.start), plan(edge.end)) > 0)
    app.drawing.store.modified = true;
  app.drawing.deselect_all();
  changed(app);
}

void tool_wall_extend(App& app) {
  for (;;) {
    double x = 0, y = 0;
    Wall* w = pick_wall(app, "Select end of Wall:", &x, &y);
    if (!w) return;
    if (extend_wall(app.drawing, *w, {x, y})) changed(app);
  }
}

void tool_wall_erase(App& app) {
  Wall* w = nullptr;
  for (;;) {
    w = pick_wall(app, "Select Wall:");
    if (!w) return;
    if (!w->gable) break;
  }
  PointRequest r;
  if (!ask_part(app, *w, r)) return;
  if (erase_wall_part(app.drawing, *w, plan(point(r, 0)), plan(point(r, 1)))) changed(app);
}

void tool_wall_alter_height(App& app) {
  if (select_elements(app, 0) != 1) {
    app.drawing.deselect_all();
    changed(app);
    return;
  }
  PointRequest base, height;
  const bool ok =
      ask_value(app, kStepLength, "Base:", base) && ask_value(app, kStepLength, "Height:", height);
  if (ok) set_wall_heights(app.drawing, base.number, height.number);
  app.drawing.deselect_all();
  changed(app);
}

}  // namespace korav
