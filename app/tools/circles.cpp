#include "app/tools/circles.h"

#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/tools/tool_steps.h"
#include "draft/circles.h"
#include "render/renderer.h"
#include "render/screen_output.h"

namespace korav {

namespace {

using Shape = std::optional<CurveShape>;

inline constexpr std::string_view kMsgReallyDissolve =
    "Really dissolve the spline into single lines?";

// A renderer that strokes onto the canvas in XOR (the rubber bands).
Renderer xor_renderer(App& app) {
  Renderer r;
  r.screen = &app.screen();
  r.driver = xor_driver(app.screen());
  return r;
}

void xor_shape(App& app, const Shape& s) {
  if (!s) return;
  Renderer r = xor_renderer(app);
  r.driver.arc(r, 0, 0, s->centre.x, s->centre.y, s->a, s->b, s->sweep, s->start, s->rotation);
}

void xor_spline(App& app, Vec2 p0, Vec2 p1, Vec2 p2, Vec2 p3) {
  Renderer r = xor_renderer(app);
  r.driver.spline(r, 0, 0, {p0.x, p0.y, 0}, {p1.x, p1.y, 0}, {p2.x, p2.y, 0}, {p3.x, p3.y, 0});
}

void add_shape(App& app, const Shape& s) {
  if (!s) return;
  add_curve(app.drawing, *s);
  created(app, 1);
}

// The arc about c counter-clockwise from the direction of s to the direction of e.
Shape ccw_arc(Vec2 c, Vec2 s, Vec2 e) {
  const double a1 = direction_angle(c, s);
  double a2 = direction_angle(c, e);
  if (a2 < a1) a2 += 2 * std::numbers::pi;
  const double mid = (a1 + a2) / 2;
  return arc_about(c, s, e, c + Vec2(std::cos(mid), std::sin(mid)) * distance(c, s));
}

using ShapeOf2 = Shape (*)(Vec2, Vec2);

// A creating tool of two points and a confirmation (ellipses).
void two_point_shape_tool(App& app, std::string_view first, std::string_view second,
                          ShapeOf2 shape) {
  PointRequest r;
  two_point_steps(
      r, first, second,
      [shape](App& a, const PointRequest& q, double x, double y) {
        xor_shape(a, shape(point(q, 0), {x, y}));
      },
      [shape](App& a, const PointRequest& q, double, double) {
        xor_shape(a, shape(point(q, 0), point(q, 1)));
      });
  while (point_input(app, r) == kInputDone) {
    add_shape(app, shape(point(r, 0), point(r, 1)));
    r.restart();
  }
}

using ShapeOf3 = Shape (*)(Vec2, Vec2, Vec2);

// A creating tool of three points and a confirmation (circles and arcs through three points).
void three_point_shape_tool(App& app, ShapeOf3 shape) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "1st Circle point:");
  r.add_step(kStepNextPoint,
             "Move/2nd Circle point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, point(q, 0), {x, y});
             });
  r.add_step(kStepNextPoint3,
             "Move/3rd Circle point:", [shape](App& a, const PointRequest& q, double x, double y) {
               xor_shape(a, shape(point(q, 0), point(q, 1), {x, y}));
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [shape](App& a, const PointRequest& q, double, double) {
    xor_shape(a, shape(point(q, 0), point(q, 1), point(q, 2)));
  });
  while (point_input(app, r) == kInputDone) {
    add_shape(app, shape(point(r, 0), point(r, 1), point(r, 2)));
    r.restart();
  }
}

Circle* pick_circle(App& app, std::string_view prompt, Vec2& where) {
  double x = 0, y = 0;
  Element* e = pick_with_prompt(app, prompt, kPickCircles, &x, &y);
  where = {x, y};
  return as<Circle>(e);
}

// The chords the screen draws the spline with at the current zoom, each a line of its own.
std::vector<LineSegment> spline_chords(App& app, const Spline& s) {
  std::vector<LineSegment> chords;
  Renderer r;
  r.screen = &app.screen();
  r.driver = screen_driver(app.screen());
  r.driver.context = &chords;
  r.driver.line = [](Renderer& rr, int, int, double x1, double y1, double x2, double y2) {
    static_cast<std::vector<LineSegment>*>(rr.driver.context)->push_back({{x1, y1}, {x2, y2}});
  };
  // Without a drawing the guide crosses at the control points are not stroked.
  r.drawing = nullptr;
  r.driver.spline(r, s.pen, s.line_type, s.p[0], s.p[1], s.p[2], s.p[3]);
  return chords;
}

}  // namespace

void tool_circle_circle(App& app) {
  auto radius_band = [](App& a, const PointRequest& q, double x, double y) {
    xor_shape(a, circle_by_radius(point(q, 0), distance(point(q, 0), {x, y})));
  };
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Center:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  r.add_step(kStepPointOrLength, "Radius/Circle point:", radius_band);
  r.add_step(kStepConfirm, "Move/Confirm:", [](App& a, const PointRequest& q, double, double) {
    xor_shape(a, circle_by_radius(point(q, 0), distance(point(q, 0), point(q, 1))));
  });
  for (;;) {
    const int result = point_input(app, r);
    if (result == kInputValue) add_shape(app, circle_by_radius(point(r, 0), r.number));
    else if (result == kInputDone)
      add_shape(app, circle_by_radius(point(r, 0), distance(point(r, 0), point(r, 1))));
    else return;
    r.restart();
  }
}

void tool_circle_3point(App& app) { three_point_shape_tool(app, circle_through); }
void tool_circle_arc3point(App& app) { three_point_shape_tool(app, arc_through); }

void tool_circle_arc(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Center:");
  r.add_step(kStepNextPoint,
             "Move/Start point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, point(q, 0), {x, y});
             });
  r.add_step(kStepNextPoint,
             "Move/End point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_shape(a, ccw_arc(point(q, 0), point(q, 1), {x, y}));
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [](App& a, const PointRequest& q, double, double) {
    xor_shape(a, ccw_arc(point(q, 0), point(q, 1), point(q, 2)));
  });
  r.add_step(kStepPoint, "Direction:", [](App& a, const PointRequest& q, double x, double y) {
    xor_shape(a, arc_about(point(q, 0), point(q, 1), point(q, 2), {x, y}));
  });
  while (point_input(app, r) == kInputDone) {
    add_shape(app, arc_about(point(r, 0), point(r, 1), point(r, 2), point(r, 3)));
    r.restart();
  }
}

void tool_circle_ellipse(App& app) {
  two_point_shape_tool(app, "Center:", "Move/Corner point:", ellipse_about);
}

void tool_circle_ellipse_frame(App& app) {
  two_point_shape_tool(app, "1st Corner point:", "Move/2nd Corner point:", ellipse_in_frame);
}

void tool_circle_parallel(App& app) {
  PointRequest v;
  if (!ask_value(app, kStepLength, "Distance:", v)) return;
  const double dist = v.number;
  for (;;) {
    Vec2 where;
    Circle* c = pick_circle(app, "Initial Circle/Arc:", where);
    if (!c) return;
    highlight(app, *c, true);
    PointRequest side;
    side.view_commands = true;
    side.add_step(kStepPickSmall, "Select side:");
    const int result = point_input(app, side);
    highlight(app, *c, false);
    if (result == kInputToggle) continue;
    if (result != kInputDone) return;
    add_shape(app, concentric_at_distance(*c, dist, point(side, 0)));
  }
}

void tool_circle_pparallel(App& app) {
  Vec2 where;
  Circle* c = pick_circle(app, "Initial Circle/Arc:", where);
  if (!c) return;
  // The picked circle stays in the store while the tool runs: the tool only appends.
  const Circle base = *c;
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint,
             "Through point:", [base](App& a, const PointRequest&, double x, double y) {
               xor_shape(a, concentric_through(base, {x, y}));
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [base](App& a, const PointRequest& q, double, double) {
    xor_shape(a, concentric_through(base, point(q, 0)));
  });
  while (point_input(app, r) == kInputDone) {
    add_shape(app, concentric_through(base, point(r, 0)));
    r.restart();
  }
}

void tool_circle_erase(App& app) {
  for (;;) {
    Vec2 where;
    Circle* c = pick_circle(app, "Select Circle/Arc:", where);
    if (!c) return;
    PointRequest r;
    if (!ask_part(app, *c, r)) return;
    if (erase_arc_part(app.drawing, *c, point(r, 0), point(r, 1))) changed(app);
  }
}

void tool_circle_dpart(App& app) {
  for (;;) {
    Vec2 where;
    Circle* c = pick_circle(app, "Select segment:", where);
    if (!c) return;
    if (delete_arc_part(app.drawing, *c, where)) changed(app);
  }
}

void tool_circle_spline(App& app) {
  // Points in the order asked: start, end, first and second control point.
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Start point:");
  r.add_step(kStepNextPoint,
             "Move/End point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, point(q, 0), {x, y});
             });
  r.add_step(kStepNextPoint,
             "Move/1st control point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_spline(a, point(q, 0), {x, y}, {x, y}, point(q, 1));
             });
  r.add_step(kStepNextPoint,
             "Move/2nd control point:", [](App& a, const PointRequest& q, double x, double y) {
               xor_spline(a, point(q, 0), point(q, 2), {x, y}, point(q, 1));
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [](App& a, const PointRequest& q, double, double) {
    xor_spline(a, point(q, 0), point(q, 2), point(q, 3), point(q, 1));
  });
  while (point_input(app, r) == kInputDone) {
    if (add_spline(app.drawing, point(r, 0), point(r, 2), point(r, 3), point(r, 1)))
      created(app, 1);
    r.restart();
  }
}

void tool_circle_spline_dissolve(App& app) {
  for (;;) {
    Spline* s = as<Spline>(pick_with_prompt(app, "Select Spline:", kPickSplines));
    if (!s) return;
    highlight(app, *s, true);
    constexpr std::array<std::string_view, 2> kButtons = {"Yes", "Cancel"};
    const bool yes = app.ui->question(kMsgReallyDissolve, kButtons) == 1;
    highlight(app, *s, false);
    if (!yes) continue;
    const std::vector<LineSegment> chords = spline_chords(app, *s);
    if (dissolve_spline(app.drawing, *s, chords) > 0) changed(app);
  }
}

}  // namespace korav
