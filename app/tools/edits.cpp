#include "app/tools/edits.h"

#include <cmath>
#include <optional>

#include "app/app.h"
#include "app/point_input.h"
#include "model/projection.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "draft/transform.h"

namespace korav {

namespace {

// The most copies one series may make (selected elements × copies); more is taken as a typing
// error and makes nothing.
constexpr double kMaxSeriesCopies = 10'000'000;

Vec3 point3(const PointRequest& r, int i) { return {r.x[i], r.y[i], r.z[i]}; }

bool usable(Vec3 v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) &&
         (v.x != 0 || v.y != 0 || v.z != 0);
}

bool is_elevation(int view) {
  return view == kFrontView || view == kLeftView || view == kRightView || view == kBackView;
}

// Clears the selection when the tool ends, however it ends, and shows the result.
class EditScope {
 public:
  explicit EditScope(App& app) : app_(app) {}
  EditScope(const EditScope&) = delete;
  EditScope& operator=(const EditScope&) = delete;
  ~EditScope() {
    for (Element& e : app_.drawing.store.list) {
      e.selected = 0;
      clear_point_marks(e);
    }
    app_.selection.points_marked = false;
    changed(app_);
  }

 private:
  App& app_;
};

// The selection dialogue of an edit tool: true when it ended with OK and left something to
// work on (a selected element, or with `marks` also a marked point).
bool select_for_edit(App& app, bool marks) {
  if (select_elements(app, 2) != 1) return false;
  for (const Element& e : app.drawing.store.list)
    if (e.selected || (marks && has_marked_point(e))) return true;
  return false;
}

std::size_t selected_count(const Drawing& d) {
  std::size_t n = 0;
  for (const Element& e : d.store.list) n += e.selected != 0;
  return n;
}

void line_to_pointer(App& a, const PointRequest& q, double x, double y) {
  xor_segment(a, point(q, 0), {x, y});
}
void line_0_to_1(App& a, const PointRequest& q, double, double) {
  xor_segment(a, point(q, 0), point(q, 1));
}

// "Move XYZ/Start point:", "Move XYZ/End point:", "Move XYZ/Confirm:": the vector from the first
// to the second point (also as typed with the coordinate keys); none when the user left.
std::optional<Vec3> ask_vector(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepDisplacement, "Move XYZ/Start point:");
  r.add_step(kStepDisplacement, "Move XYZ/End point:", line_to_pointer);
  r.add_step(kStepConfirm, "Move XYZ/Confirm:", line_0_to_1);
  const int result = point_input(app, r);
  if (result != kInputDone && result != kInputValue) return std::nullopt;
  return point3(r, 1) - point3(r, 0);
}

// One point and its confirmation; none when the user left.
std::optional<Vec3> ask_point(App& app, std::string_view prompt, std::string_view confirm) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, prompt);
  r.add_step(kStepConfirm, confirm);
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return point3(r, 0);
}

// The undo step before the selection is changed: a copy of it made first (kind created) when
// `copy`, else the selection recorded as changed. False when there is nothing to copy.
bool record_before_change(Drawing& d, bool copy) {
  if (!copy) {
    d.undo.record(d.store, kUndoSnapshot);
    return true;
  }
  const std::size_t n = duplicate_selected(d.store);
  if (!n) return false;
  d.undo.record(d.store, kUndoMarkLast, static_cast<int>(n));
  return true;
}

struct Axis {
  Vec3 a, b;
};

// The rotation axis of the current view: the vertical through the centre in the plan view, the
// horizontal through it perpendicular to an elevation, two points elsewhere.
std::optional<Axis> ask_axis(App& app) {
  const int view = app.view_number();
  if (view == kPlanView || is_elevation(view)) {
    std::optional<Vec3> c = ask_point(app, "Center:", "Move/Confirm:");
    if (!c) return std::nullopt;
    Vec3 dir(0, 0, 1);
    if (view == kFrontView) dir = {0, 1, 0};
    else if (view == kLeftView) dir = {1, 0, 0};
    else if (view == kRightView) dir = {-1, 0, 0};
    else if (view == kBackView) dir = {0, -1, 0};
    return Axis{*c, *c + dir};
  }
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Rotation axis 1st point:");
  r.add_step(kStepNextPoint, "Move/2nd point:", line_to_pointer);
  r.add_step(kStepConfirm, "Move/Confirm:", line_0_to_1);
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return Axis{point3(r, 0), point3(r, 1)};
}

// The angle from p to q measured about the axis (seen from its second point, positive
// counter-clockwise).
double angle_about(const Axis& axis, Vec3 p, Vec3 q) {
  const Vec3 d = axis.b - axis.a;
  const double len = std::sqrt(dot(d, d));
  if (!(len > 0)) return 0;
  const Vec3 u = d * (1 / len);
  Vec3 a = p - axis.a, b = q - axis.a;
  a = a - u * dot(a, u);
  b = b - u * dot(b, u);
  return std::atan2(dot(u, cross(a, b)), dot(a, b));
}

// "Angle/1st Direction point:", "Move/2nd Direction point:", "Move/Confirm:": a typed angle, or
// the angle between the directions from the centre to the two points (in the plan view their
// direction angles' difference); none when the user left. `typed` says which it was.
std::optional<double> ask_angle(App& app, const Axis& axis, bool& typed) {
  const Vec2 c(axis.a.x, axis.a.y);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepPointOrAngle, "Angle/1st Direction point:");
  r.add_step(kStepNextPoint,
             "Move/2nd Direction point:", [c](App& a, const PointRequest& q, double x, double y) {
               xor_segment(a, c, point(q, 0));
               xor_segment(a, c, {x, y});
             });
  r.add_step(kStepConfirm, "Move/Confirm:", [c](App& a, const PointRequest& q, double, double) {
    xor_segment(a, c, point(q, 0));
    xor_segment(a, c, point(q, 1));
  });
  const int result = point_input(app, r);
  typed = result == kInputValue;
  if (typed) return r.angle;
  if (result != kInputDone) return std::nullopt;
  if (app.view_number() == kPlanView)
    return direction_angle(c, point(r, 1)) - direction_angle(c, point(r, 0));
  return angle_about(axis, point3(r, 0), point3(r, 1));
}

// "Number of copies:" of a series: the number, or 0 when the user left or the series would make
// nothing (fewer than 2) or too much.
int ask_copy_count(App& app) {
  PointRequest n;
  if (!ask_value(app, kStepInteger, "Number of copies:", n)) return 0;
  const double copies = static_cast<double>(selected_count(app.drawing)) * (n.integer - 1.0);
  return n.integer > 1 && copies <= kMaxSeriesCopies ? n.integer : 0;
}

void stretch_tool(App& app, bool text_heights) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  std::optional<Vec3> f = ask_point(app, "Fixed point:", "Move XYZ/Confirm:");
  if (!f) return;
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepPointOrNumber, "X-Factor/Start point:");
  r.add_step(kStepNextPoint, "Move XYZ/End point:", line_to_pointer);
  r.add_step(kStepConfirm, "Move XYZ/Confirm:", line_0_to_1);
  const int result = point_input(app, r);
  double k[3] = {1, 1, 1};
  if (result == kInputValue) {
    k[0] = r.number;
    PointRequest v;
    if (!ask_value(app, kStepNumber, "Y-Factor:", v)) return;
    k[1] = v.number;
    if (app.view_number() != kPlanView) {
      if (!ask_value(app, kStepNumber, "Z-Factor:", v)) return;
      k[2] = v.number;
    }
    // A typed factor of 0 would flatten the selection for good.
    for (double x : k)
      if (!std::isfinite(x) || x == 0) return;
  } else if (result == kInputDone) {
    const double fixed[3] = {f->x, f->y, f->z};
    const double start[3] = {r.x[0], r.y[0], r.z[0]}, end[3] = {r.x[1], r.y[1], r.z[1]};
    for (int i = 0; i < 3; ++i) {
      const double from = std::fabs(start[i] - fixed[i]);
      // An axis on which the start lies on the fixed point gives no ratio: it keeps factor 1.
      if (start[i] == end[i] || !(from > 0)) continue;
      k[i] = std::fabs(end[i] - fixed[i]) / from;
      if (k[i] == 0 || !std::isfinite(k[i])) k[i] = 1;
    }
  } else {
    return;
  }
  if (k[0] == 1 && k[1] == 1 && k[2] == 1) return;
  Drawing& d = app.drawing;
  d.undo.record(d.store, kUndoSnapshot);
  scale_selected(d.store, *f, k[0], k[1], k[2], text_heights);
}

void alter_tool(App& app, bool pen, bool line_type) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  Drawing& d = app.drawing;
  d.undo.record(d.store, kUndoSnapshot);
  alter_selected(d.store, pen ? d.new_pen() : kUnchanged,
                 line_type ? d.current_line_type : kUnchanged);
}

}  // namespace

void tool_edit_move(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, true)) return;
  Drawing& d = app.drawing;
  for (;;) {
    std::optional<Vec3> v = ask_vector(app);
    if (!v || !usable(*v)) return;
    d.undo.record(d.store, kUndoSnapshotStretch);
    translate_elements(d.store, v->x, v->y, v->z);
    changed(app);
  }
}

void tool_edit_copy(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  Drawing& d = app.drawing;
  for (bool first = true;; first = false) {
    std::optional<Vec3> v = ask_vector(app);
    if (!v || !usable(*v)) return;
    // The first vector places a copy, the next ones move that copy on.
    if (!record_before_change(d, first)) return;
    translate_elements(d.store, v->x, v->y, v->z, TranslateScope::kSelectedOnly);
    changed(app);
  }
}

void tool_edit_mcopy(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  std::optional<Vec3> previous = ask_point(app, "Start point:", "Move XYZ/Confirm:");
  if (!previous) return;
  Drawing& d = app.drawing;
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    const Vec2 from(previous->x, previous->y);
    r.add_step(kStepFirstPoint,
               "Target point:", [from](App& a, const PointRequest&, double x, double y) {
                 xor_segment(a, from, {x, y});
               });
    r.add_step(kStepConfirm,
               "Move XYZ/Confirm:", [from](App& a, const PointRequest& q, double, double) {
                 xor_segment(a, from, point(q, 0));
               });
    if (point_input(app, r) != kInputDone) return;
    const Vec3 target = point3(r, 0), v = target - *previous;
    if (!usable(v)) continue;  // a copy on top of the last one makes nothing
    if (!record_before_change(d, true)) return;
    translate_elements(d.store, v.x, v.y, v.z, TranslateScope::kSelectedOnly);
    previous = target;
    changed(app);
  }
}

void tool_edit_series(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  const int n = ask_copy_count(app);
  if (!n) return;
  Drawing& d = app.drawing;
  std::optional<Vec3> v = ask_vector(app);
  if (!v || !usable(*v)) return;
  std::size_t total = 0;
  for (int i = 1; i < n; ++i) {
    total += duplicate_selected(d.store);
    translate_elements(d.store, v->x, v->y, v->z, TranslateScope::kSelectedOnly);
  }
  d.undo.record(d.store, kUndoMarkLast, static_cast<int>(total));
}

void tool_edit_pseries(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  const int n = ask_copy_count(app);
  if (!n) return;
  Drawing& d = app.drawing;
  std::optional<Vec3> c = ask_point(app, "Center:", "Move/Confirm:");
  if (!c) return;
  const Axis axis{*c, *c + Vec3(0, 0, 1)};
  bool typed = false;
  std::optional<double> a = ask_angle(app, axis, typed);
  if (!a) return;
  const double step = typed ? *a / n : *a;
  double z = 0;
  if (app.view_number() != kPlanView) {
    PointRequest zr;
    if (!ask_value(app, kStepLength, "Z-Offset:", zr)) return;
    z = zr.number;
  }
  if (!std::isfinite(step) || !std::isfinite(z) || (step == 0 && z == 0)) return;
  const Affine3 turn = rotation_in_plan({c->x, c->y}, step);
  std::size_t total = 0;
  for (int i = 1; i < n; ++i) {
    total += duplicate_selected(d.store);
    rotate_selected(d.store, turn);
    if (z != 0) translate_elements(d.store, 0, 0, z, TranslateScope::kSelectedOnly);
  }
  d.undo.record(d.store, kUndoMarkLast, static_cast<int>(total));
}

void tool_edit_rotate(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  std::optional<Axis> axis = ask_axis(app);
  if (!axis) return;
  Drawing& d = app.drawing;
  for (bool first = true;; first = false) {
    bool typed = false;
    std::optional<double> a = ask_angle(app, *axis, typed);
    if (!a || *a == 0 || !std::isfinite(*a)) return;
    const Affine3 turn = rotation_about_axis(axis->a, axis->b, *a);
    // Only the first rotation makes the copy; later ones turn that copy on.
    if (!record_before_change(d, first && app.rotate_copy != 0)) return;
    rotate_selected(d.store, turn);
    changed(app);
  }
}

void tool_edit_mirror(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  Affine3 m;
  PointRequest r;
  r.view_commands = true;
  if (app.view_number() == kPlanView) {
    r.add_step(kStepFirstPoint, "Mirror axis 1st point:");
    r.add_step(kStepNextPoint, "Move/2nd point:", line_to_pointer);
    r.add_step(kStepConfirm, "Move/Confirm:", line_0_to_1);
    if (point_input(app, r) != kInputDone) return;
    m = mirror_in_line(point(r, 0), point(r, 1));
  } else {
    r.add_step(kStepFirstPoint, "Mirror plane 1st point:");
    r.add_step(kStepNextPoint, "Move XYZ/2nd point:", line_to_pointer);
    r.add_step(kStepNextPoint3, "Move XYZ/3rd point:", line_to_pointer);
    r.add_step(kStepConfirm, "Move XYZ/Confirm:", line_0_to_1);
    if (point_input(app, r) != kInputDone) return;
    if (!mirror_in_plane(point3(r, 0), point3(r, 1), point3(r, 2), m)) return;
  }
  if (!record_before_change(app.drawing, app.mirror_copy != 0)) return;
  mirror_selected(app.drawing.store, m);
}

void tool_edit_stretch(App& app) { stretch_tool(app, true); }
void tool_edit_stretch_text(App& app) { stretch_tool(app, false); }

void tool_edit_alter_all(App& app) { alter_tool(app, true, true); }
void tool_edit_alter_pen(App& app) { alter_tool(app, true, false); }
void tool_edit_alter_line(App& app) { alter_tool(app, false, true); }

void tool_edit_delete(App& app) {
  EditScope scope(app);
  if (!select_for_edit(app, false)) return;
  Drawing& d = app.drawing;
  d.undo.record(d.store, kUndoSnapshot);
  d.store.purge();
}

}  // namespace korav
