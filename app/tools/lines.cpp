#include "app/tools/lines.h"

#include <cmath>
#include <optional>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "draft/circles.h"
#include "draft/line_tools.h"
#include "render/renderer.h"
#include "render/surface.h"

namespace korav {

namespace {

// The largest corner count of a regular polygon; more is taken as a typing error.
constexpr int kMaxPolygonCorners = 10000;

void xor_frame(App& app, const std::vector<LineSegment>& sides) {
  for (const LineSegment& s : sides) xor_segment(app, s.start, s.end);
}

using EndRule = Vec2 (*)(Vec2 first, Vec2 second);

Vec2 free_end(Vec2, Vec2 second) { return second; }

void two_point_line_tool(App& app, EndRule rule) {
  PointRequest r;
  two_point_steps(
      r, "Start point:", "Move/End point:",
      [rule](App& a, const PointRequest& q, double x, double y) {
        xor_segment(a, point(q, 0), rule(point(q, 0), {x, y}));
      },
      [rule](App& a, const PointRequest& q, double, double) {
        xor_segment(a, point(q, 0), rule(point(q, 0), point(q, 1)));
      });
  while (point_input(app, r) == kInputDone) {
    add_line(app.drawing, point(r, 0), rule(point(r, 0), point(r, 1)));
    created(app, 1);
    r.restart();
  }
}

// Picks a straight edge (a Line or a wall's footprint side), asking again until one is hit.
bool pick_edge(App& app, std::string_view prompt, EdgePick& edge) {
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepPickSmall, prompt);
    int result = point_input(app, r);
    if (result == kInputToggle) continue;
    if (result != kInputDone) return false;
    edge = edge_pick(app.drawing, point(r, 0));
    if (edge.found) return true;
  }
}

// Picks a Line, asking again until one is hit; the pick position goes to `where`.
Line* pick_line(App& app, std::string_view prompt, Vec2& where) {
  double x = 0, y = 0;
  Element* e = pick_with_prompt(app, prompt, kPickLines, &x, &y);
  where = {x, y};
  return as<Line>(e);
}

void join_tool(App& app, JoinKind kind, std::string_view value_prompt) {
  double value = 0;
  if (kind != JoinKind::kJoin) {
    PointRequest v;
    if (!ask_value(app, kStepLength, value_prompt, v)) return;
    value = v.number;
  }
  for (;;) {
    Vec2 pick1, pick2;
    Line* first = pick_line(app, "1st Line:", pick1);
    if (!first) return;
    highlight(app, *first, true);
    Line* second = nullptr;
    do {
      second = pick_line(app, "2nd Line:", pick2);
    } while (second == first);  // the same line again is ignored
    highlight(app, *first, false);
    if (!second) return;
    if (join_lines(app.drawing, *first, pick1, *second, pick2, kind, value)) changed(app);
  }
}

// The temporary guide line shown while attach or cut wait for the selection.
void edge_with_selection(App& app, std::string_view prompt, bool cut) {
  EdgePick edge;
  if (!pick_edge(app, prompt, edge)) return;
  Drawing& d = app.drawing;
  // The guide line comes and goes without changing the drawing.
  const bool was_modified = d.store.modified;
  d.deselect_all();
  Line* guide = create_line(d.store, d.current_layer, kGuidePen, d.current_line_type, edge.start.x,
                            edge.start.y, edge.end.x, edge.end.y);
  show_element(app, *guide);
  bool ok = select_elements(app, 0) == 1;
  // The guide line must never become part of the undo step or the result.
  guide->selected = 0;
  int changed_lines = 0;
  if (ok) {
    LineSegment s{edge.start, edge.end};
    changed_lines = cut ? cut_selected(d, s) : attach_selected(d, s);
  }
  d.deselect_all();
  guide->selected = 1;
  d.store.purge();
  d.store.modified = was_modified || changed_lines > 0;
  changed(app);
}

}  // namespace

void tool_line_line(App& app) { two_point_line_tool(app, free_end); }
void tool_line_x(App& app) { two_point_line_tool(app, horizontal_end); }
void tool_line_y(App& app) { two_point_line_tool(app, vertical_end); }

void tool_line_a(App& app) {
  const std::optional<double> dir = ask_direction(app);
  if (!dir) return;
  const double angle = *dir;

  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Start point:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  r.add_step(kStepPointOrLength,
             "Length/End point:", [angle](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, point(q, 0), angle_end_by_point(point(q, 0), angle, {x, y}));
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [angle](App& a, const PointRequest& q, double, double) {
    xor_segment(a, point(q, 0), angle_end_by_point(point(q, 0), angle, point(q, 1)));
  });
  for (;;) {
    const int result = point_input(app, r);
    Vec2 s = point(r, 0);
    if (result == kInputValue) add_line(app.drawing, s, angle_end_by_length(s, angle, r.number));
    else if (result == kInputDone)
      add_line(app.drawing, s, angle_end_by_point(s, angle, point(r, 1)));
    else return;
    created(app, 1);
    r.restart();
  }
}

void tool_line_parallel(App& app) {
  PointRequest v;
  if (!ask_value(app, kStepLength, "Distance:", v)) return;
  const double dist = v.number;
  for (;;) {
    EdgePick edge;
    if (!pick_edge(app, "Initial Line:", edge)) return;
    highlight(app, *edge.element, true);
    PointRequest side;
    side.view_commands = true;
    side.add_step(kStepPickSmall, "Select side:");
    int result = point_input(app, side);
    highlight(app, *edge.element, false);
    if (result == kInputToggle) continue;
    if (result != kInputDone) return;
    LineSegment s = parallel_at_distance({edge.start, edge.end}, dist, point(side, 0));
    add_line(app.drawing, s.start, s.end);
    created(app, 1);
  }
}

void tool_line_pparallel(App& app) {
  EdgePick edge;
  if (!pick_edge(app, "Initial Line:", edge)) return;
  const LineSegment e{edge.start, edge.end};
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint,
             "Through point:", [e](App& a, const PointRequest&, double x, double y) {
               LineSegment s = parallel_through(e, {x, y});
               xor_segment(a, s.start, s.end);
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [e](App& a, const PointRequest& q, double, double) {
    LineSegment s = parallel_through(e, point(q, 0));
    xor_segment(a, s.start, s.end);
  });
  while (point_input(app, r) == kInputDone) {
    LineSegment s = parallel_through(e, point(r, 0));
    add_line(app.drawing, s.start, s.end);
    created(app, 1);
    r.restart();
  }
}

void tool_line_orthogonal(App& app) {
  EdgePick edge;
  if (!pick_edge(app, "Initial Line:", edge)) return;
  const LineSegment e{edge.start, edge.end};
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Through point:");
  r.add_step(kStepNextPoint,
             "Move/End point:", [e](App& a, const PointRequest& q, double x, double y) {
               LineSegment s = orthogonal_line(e, point(q, 0), {x, y});
               xor_segment(a, s.start, s.end);
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [e](App& a, const PointRequest& q, double, double) {
    LineSegment s = orthogonal_line(e, point(q, 0), point(q, 1));
    xor_segment(a, s.start, s.end);
  });
  while (point_input(app, r) == kInputDone) {
    LineSegment s = orthogonal_line(e, point(r, 0), point(r, 1));
    add_line(app.drawing, s.start, s.end);
    created(app, 1);
    r.restart();
  }
}

namespace {

void frame_tool(App& app, double dist) {
  PointRequest r;
  two_point_steps(
      r, "1st Corner point:", "Move/2nd Corner point:",
      [dist](App& a, const PointRequest& q, double x, double y) {
        xor_frame(a, frame_sides(point(q, 0), {x, y}, dist));
      },
      [dist](App& a, const PointRequest& q, double, double) {
        xor_frame(a, frame_sides(point(q, 0), point(q, 1), dist));
      });
  while (point_input(app, r) == kInputDone) {
    if (int n = add_frame(app.drawing, point(r, 0), point(r, 1), dist)) created(app, n);
    r.restart();
  }
}

std::vector<LineSegment> polygon_sides(Vec2 c, Vec2 p, int n) {
  std::vector<Vec2> corners = polygon_corners(c, p, n);
  std::vector<LineSegment> sides;
  for (std::size_t i = 0; i < corners.size(); ++i)
    sides.push_back({corners[i], corners[(i + 1) % corners.size()]});
  return sides;
}

}  // namespace

void tool_line_frame(App& app) { frame_tool(app, 0); }

void tool_line_oframe(App& app) {
  PointRequest v;
  if (!ask_value(app, kStepLength, "Distance:", v)) return;
  frame_tool(app, v.number);
}

void tool_line_polygon(App& app) {
  PointRequest v;
  if (!ask_value(app, kStepInteger, "Number of corners:", v)) return;
  const int n = v.integer;
  if (n <= 2 || n > kMaxPolygonCorners) return;
  PointRequest r;
  two_point_steps(
      r, "Center:", "Move/Corner point:",
      [n](App& a, const PointRequest& q, double x, double y) {
        xor_frame(a, polygon_sides(point(q, 0), {x, y}, n));
      },
      [n](App& a, const PointRequest& q, double, double) {
        xor_frame(a, polygon_sides(point(q, 0), point(q, 1), n));
      });
  while (point_input(app, r) == kInputDone) {
    if (int k = add_polygon(app.drawing, point(r, 0), point(r, 1), n)) created(app, k);
    r.restart();
  }
}

void tool_line_join(App& app) { join_tool(app, JoinKind::kJoin, ""); }
void tool_line_join_line(App& app) { join_tool(app, JoinKind::kChamfer, "Length:"); }
void tool_line_join_arc(App& app) { join_tool(app, JoinKind::kFillet, "Radius:"); }

void tool_line_attach(App& app) { edge_with_selection(app, "Select Line:", false); }
void tool_line_cut(App& app) { edge_with_selection(app, "Select Line of interesection:", true); }

// Extends lines and arcs alike: a picked arc goes to the arc extension.
void tool_line_extend(App& app) {
  for (;;) {
    double x = 0, y = 0;
    Element* e = pick_with_prompt(app, "Select end of Line:", kPickAny, &x, &y);
    if (!e) return;
    bool done = false;
    if (Line* l = as<Line>(e)) done = extend_line(app.drawing, *l, {x, y});
    else if (Circle* c = as<Circle>(e)) done = extend_arc(app.drawing, *c, {x, y});
    if (done) changed(app);
  }
}

void tool_line_erase(App& app) {
  for (;;) {
    Vec2 where;
    Line* l = pick_line(app, "Select Line:", where);
    if (!l) return;
    PointRequest r;
    if (!ask_part(app, *l, r)) return;
    if (erase_line_part(app.drawing, *l, point(r, 0), point(r, 1))) changed(app);
  }
}

void tool_line_dpart(App& app) {
  for (;;) {
    Vec2 where;
    Line* l = pick_line(app, "Select Line segment:", where);
    if (!l) return;
    if (delete_line_part(app.drawing, *l, where)) changed(app);
  }
}

void remove_duplicates_command(App& app) {
  std::pair<int, int> counts = remove_duplicates(app.drawing);
  app.ui->message_box_filled(remove_duplicates_message(counts));
  changed(app);
}

}  // namespace korav
