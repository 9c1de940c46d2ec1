#include "app/tools/tool_steps.h"

#include <utility>

#include "app/app.h"
#include "app/selection.h"
#include "render/surface.h"
#include "three_d/objects.h"

namespace korav {

void xor_segment(App& app, Vec2 a, Vec2 b) { xor_line_world(app.screen(), a.x, a.y, b.x, b.y); }

void changed(App& app) {
  // A tool may have moved or changed the active camera: the camera view follows it.
  reapply_active_camera(app.drawing);
  app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
  redraw(app);
}

void created(App& app, int n) {
  app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
  Element* e = app.drawing.store.tail();
  for (int i = 1; i < n && e && e->prev; ++i) e = e->prev;
  for (; e; e = e->next) show_element(app, *e);
}

void highlight(App& app, Element& e, bool on) {
  e.selected = on ? 1 : 0;
  show_element(app, e);
}

void two_point_steps(PointRequest& r, std::string_view first, std::string_view second,
                     RubberBand band, RubberBand finished) {
  r.view_commands = true;
  r.add_step(kStepFirstPoint, first);
  r.add_step(kStepNextPoint, second, std::move(band));
  r.add_step(kStepConfirm, "Move/Confirm:", std::move(finished));
}

bool ask_part(App& app, Element& e, PointRequest& r) {
  highlight(app, e, true);
  r = PointRequest{};
  two_point_steps(
      r, "Start point:", "Move/End point:",
      [](App& a, const PointRequest& q, double x, double y) {
        xor_segment(a, point(q, 0), {x, y});
      },
      [](App& a, const PointRequest& q, double, double) {
        xor_segment(a, point(q, 0), point(q, 1));
      });
  const int result = point_input(app, r);
  highlight(app, e, false);
  return result == kInputDone;
}

std::optional<double> ask_direction(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepPointOrAngle, "Angle/1st Direction point:");
  r.add_step(kStepNextPoint, "Move/2nd Direction point:",
             [](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, point(q, 0), {x, y});
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [](App& a, const PointRequest& q, double, double) {
    xor_segment(a, point(q, 0), point(q, 1));
  });
  const int result = point_input(app, r);
  if (result == kInputValue) return r.angle;
  if (result != kInputDone) return std::nullopt;
  return direction_angle(point(r, 0), point(r, 1));
}

namespace {

void xor_rectangle_world(App& app, Vec2 a, Vec2 c) {
  xor_segment(app, a, {c.x, a.y});
  xor_segment(app, {c.x, a.y}, c);
  xor_segment(app, c, {a.x, c.y});
  xor_segment(app, {a.x, c.y}, a);
}

}  // namespace

std::optional<std::pair<Vec2, Vec2>> ask_corners(App& app) {
  PointRequest r;
  two_point_steps(
      r, "1st Corner point:", "Move/2nd Corner point:",
      [](App& a, const PointRequest& q, double x, double y) {
        xor_rectangle_world(a, point(q, 0), {x, y});
      },
      [](App& a, const PointRequest& q, double, double) {
        xor_rectangle_world(a, point(q, 0), point(q, 1));
      });
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return std::pair{point(r, 0), point(r, 1)};
}

bool ask_value(App& app, int kind, std::string_view prompt, PointRequest& r) {
  r = PointRequest{};
  r.view_commands = true;
  r.add_step(kind, prompt);
  return point_input(app, r) == kInputDone;
}

}  // namespace korav
