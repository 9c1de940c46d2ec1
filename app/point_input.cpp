#include "app/point_input.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/app.h"
#include "app/dispatch.h"
#include "model/projection.h"
#include "app/snap.h"
#include "base/messages.h"
#include "base/text_format.h"
#include "model/units.h"
#include "render/surface.h"

namespace korav {

namespace {

// ---- The step kinds, by what they take ----

// A click through the snap: first point, next point, point, displacement and the point-or-value
// steps. These steps enable the snap buttons.
bool takes_point(int kind) {
  return (kind >= kStepFirstPoint && kind <= kStepPoint) || kind == kStepDisplacement ||
         kind == kStepPointOrLength || kind == kStepPointOrAngle || kind == kStepPointOrNumber;
}

// A click or a typed value; the value ends the request.
bool is_point_or_value(int kind) {
  return kind == kStepPointOrLength || kind == kStepPointOrAngle || kind == kStepPointOrNumber;
}

// Steps with the value entry: integer, length, text, angle, number and the point-or-value steps.
bool opens_entry(int kind) {
  return (kind >= kStepInteger && kind <= kStepNumber) || is_point_or_value(kind);
}

// The click itself, with no snap.
bool is_pick(int kind) {
  return kind == kStepPick || kind == kStepPick2 || kind == kStepPickSmall ||
         kind == kStepPickCounted;
}

// "z_abs" types the point of these steps.
bool takes_absolute_point(int kind) { return kind >= kStepFirstPoint && kind <= kStepPoint; }

// "z_enter" repeats the previous point in these steps.
bool repeats_point(int kind) {
  return kind == kStepNextPoint || kind == kStepNextPoint3 || kind == kStepPoint;
}

// The coordinate keys move the previous point in these steps.
bool moves_previous_point(int kind) { return kind >= kStepNextPoint && kind <= kStepConfirm; }

// "z_toggle" ends these steps.
bool toggles(int kind) { return kind == kStepPick || kind == kStepPick2 || kind == kStepPickSmall; }

// The cursor figure of a step; other steps keep the current one.
int cursor_mode(int kind, int current) {
  if (kind == kStepPick || kind == kStepPick2 || kind == kStepPickCounted) return kCursorCorner;
  if (kind == kStepPickSmall) return kCursorPick;
  return current;
}

bool is_prefix(std::string_view name, char p) {
  return name.size() >= 2 && name[0] == p && name[1] == '_';
}

// ---- Cursor, point markers, value entry, snap buttons ----

void toggle_cursor(App& app) {
  PointInput& in = app.input;
  Screen& s = app.screen();
  set_current_surface(s, kMainSurface);
  draw_cursor(s, in.cursor_mode, in.cursor_x, in.cursor_y);
  if (in.drawer && *in.drawer && in.current)
    (*in.drawer)(app, *in.current, in.cursor_x, in.cursor_y);
}

void toggle_marker(App& app, const PointRequest& r, int i) {
  Screen& s = app.screen();
  set_current_surface(s, kMainSurface);
  draw_point_marker(s, r.mark_u[i], r.mark_v[i]);
}

void unmark(App& app, PointRequest& r, int i) {
  if (!r.marked[i]) return;
  toggle_marker(app, r, i);
  r.marked[i] = false;
}

void mark(App& app, PointRequest& r, int i) {
  unmark(app, r, i);
  ViewPoint p = project_point(app.view_number(), app.drawing.camera, r.x[i], r.y[i], r.z[i]);
  r.mark_u[i] = p.u;
  r.mark_v[i] = p.v;
  toggle_marker(app, r, i);
  r.marked[i] = true;
}

// Takes (x, y, z) as the next point: marker drawn, step and point count advanced. False when
// the request has no room for another point (the click is then not taken).
bool take_point(App& app, PointRequest& r, double x, double y, double z, bool existing) {
  const int i = r.point_count;
  if (i < 0 || i >= kMaxPoints) return false;
  r.x[i] = x;
  r.y[i] = y;
  r.z[i] = z;
  r.flags[i] = existing ? 1 : 0;
  mark(app, r, i);
  ++r.step;
  ++r.point_count;
  return true;
}

void open_entry(App& app, std::string_view text) {
  app.input.value_entry_open = true;
  app.ui->open_value_entry(text);
}

void close_entry(App& app) {
  if (!app.input.value_entry_open) return;
  app.input.value_entry_open = false;
  app.ui->close_value_entry();
}

void set_snap_buttons(App& app, bool on) {
  if (app.input.snap_buttons == on) return;
  app.input.snap_buttons = on;
  app.ui->set_snap_buttons_sensitive(on);
}

// ---- Nested requests, typed values ----

// A nested request of one step; returns its result and leaves the value in `out`.
int ask_one(App& app, int kind, std::string prompt, PointRequest& out) {
  out.add_step_translated(kind, std::move(prompt));
  return point_input(app, out);
}

// The integer of a typed text: its leading number, truncated.
ParsedValue parse_integer(std::string_view text) {
  ParsedValue v = parse_number(text);
  if (!v.ok()) return v;
  if (!(v.value > std::numeric_limits<std::int32_t>::min() - 1.0 &&
        v.value < std::numeric_limits<std::int32_t>::max() + 1.0)) {
    v.error = kMsgOutOfRange;
    return v;
  }
  v.value = static_cast<double>(static_cast<std::int32_t>(v.value));
  return v;
}

// Moves the coordinate of `label` ("X+", "Z-", ...) by `amount` in the label's direction.
void move_along(std::string_view label, double amount, double& x, double& y, double& z) {
  const double d = label.size() > 1 && label[1] == '-' ? -amount : amount;
  switch (label.empty() ? 'X' : label[0]) {
    case 'Y': y += d; break;
    case 'Z': z += d; break;
    default: x += d; break;
  }
}

// No result yet: the step waits for the next command.
constexpr int kNoResult = -1;

// A request while it waits for a command.
struct Waiting {
  App& app;
  PointRequest& r;
  int view;  // the view the request started in
  int kind() const { return r.kinds[r.step]; }
};

// ---- The commands of a waiting step; each returns the result it sets, or kNoResult ----

// A click in a point step: the snap decides where the point is, or rejects the click (the
// step then stays).
void click_point(Waiting& w, int kind) {
  App& app = w.app;
  PointRequest& r = w.r;
  if (is_point_or_value(kind)) close_entry(app);
  SnapResult s = snap_point(app, r, app.input.click_x, app.input.click_y);
  if (s.code == 0) return;
  apply_plane_lock(w.view, r, r.point_count, s.x, s.y, s.z);
  take_point(app, r, s.x, s.y, s.z, s.code == 2);
}

// A click in a pick step, stored as it is: point 1 for the second pick position, else point 0;
// the counted pick also counts it.
void click_pick(Waiting& w, int kind) {
  PointRequest& r = w.r;
  const int i = kind == kStepPick2 ? 1 : 0;
  r.x[i] = w.app.input.click_x;
  r.y[i] = w.app.input.click_y;
  r.z[i] = 0;
  ++r.step;
  if (kind == kStepPickCounted && r.point_count < kMaxPoints) ++r.point_count;
}

// "z_mb1". The value steps ignore clicks.
int click(Waiting& w, std::string_view) {
  const int kind = w.kind();
  if (takes_point(kind)) click_point(w, kind);
  else if (kind == kStepConfirm) ++w.r.step;
  else if (is_pick(kind)) click_pick(w, kind);
  return kNoResult;
}

// "z_abs": the point typed as "X;Y;Z".
int absolute_point(Waiting& w, std::string_view) {
  if (!takes_absolute_point(w.kind())) return kNoResult;
  App& app = w.app;
  PointRequest n;
  if (ask_one(app, kStepText, std::string(translate("Abs. X/Y/Z:")), n) != kInputDone)
    return kInputCancel;
  ParsedCoordinates c = parse_coordinates(n.text, app.drawing.settings);
  if (!c.ok()) app.ui->error_box(c.error);
  else take_point(app, w.r, c.x, c.y, c.z, false);
  return kNoResult;
}

// A displacement of nothing yet: both points at the origin.
void clear_displacement(PointRequest& r) {
  r.x[0] = r.y[0] = r.z[0] = r.x[1] = r.y[1] = r.z[1] = 0;
}

// "z_enter": the previous point again, a confirmation, or a displacement of nothing.
int enter_key(Waiting& w, std::string_view) {
  PointRequest& r = w.r;
  const int kind = w.kind();
  if (repeats_point(kind)) {
    const int p = r.point_count - 1;
    if (p >= 0 && p < kMaxPoints) take_point(w.app, r, r.x[p], r.y[p], r.z[p], false);
  } else if (kind == kStepConfirm) {
    ++r.step;
  } else if (kind == kStepDisplacement) {
    clear_displacement(r);
    return kInputValue;
  }
  return kNoResult;
}

// The typed text read by the step's kind; every text is taken in a text step.
ParsedValue read_value(int kind, const std::string& text, const Settings& settings) {
  switch (kind) {
    case kStepInteger: return parse_integer(text);
    case kStepLength:
    case kStepPointOrLength: return parse_length(text, settings);
    case kStepAngle:
    case kStepPointOrAngle: return parse_angle(text, settings);
    case kStepNumber:
    case kStepPointOrNumber: return parse_number(text);
    default: return {};
  }
}

// "z_eini": the value typed in the entry. A value steps on; in a point-or-value step it ends
// the request. A text that cannot be read leaves the step (and the entry) as they were.
int typed_value(Waiting& w, std::string_view) {
  const int kind = w.kind();
  if (!opens_entry(kind)) return kNoResult;
  App& app = w.app;
  PointRequest& r = w.r;
  const std::string& t = app.input.text;
  ParsedValue v = read_value(kind, t, app.drawing.settings);
  if (!v.ok()) {
    app.ui->error_box(v.error);
    return kNoResult;
  }
  switch (kind) {
    case kStepInteger: r.integer = static_cast<std::int32_t>(v.value); break;
    case kStepText: r.text = t; break;
    case kStepAngle:
    case kStepPointOrAngle: r.angle = v.value; break;
    default: r.number = v.value; break;
  }
  if (is_point_or_value(kind)) return kInputValue;
  ++r.step;
  return kNoResult;
}

// The length to move along `label`, asked in a nested request; false when it was cancelled.
bool ask_move(App& app, std::string_view label, double& amount) {
  PointRequest n;
  std::string prompt = fill_format(translate("Move to %s :"), {std::string(label)});
  if (ask_one(app, kStepLength, std::move(prompt), n) != kInputDone) return false;
  amount = n.number;
  return true;
}

// A coordinate key in a displacement step: the displacement from the origin along the axis.
int typed_displacement(Waiting& w, std::string_view label) {
  PointRequest& r = w.r;
  clear_displacement(r);
  double amount = 0;
  if (!ask_move(w.app, label, amount)) return kInputCancel;
  move_along(label, amount, r.x[1], r.y[1], r.z[1]);
  return kInputValue;
}

// A coordinate key in a next-point or confirm step: the previous point moves along the axis;
// the step stays, for a click or "z_enter" to confirm.
int move_previous_point(Waiting& w, std::string_view label) {
  App& app = w.app;
  PointRequest& r = w.r;
  const int p = r.point_count - 1;
  if (p < 0 || p >= kMaxPoints) return kNoResult;  // no point to move
  double amount = 0;
  if (!ask_move(app, label, amount)) return kInputCancel;
  double mx = r.x[p], my = r.y[p], mz = r.z[p];
  move_along(label, amount, mx, my, mz);
  if (!std::isfinite(mx) || !std::isfinite(my) || !std::isfinite(mz)) {
    app.ui->error_box(kMsgOutOfRange);  // the point stays where it was
    return kNoResult;
  }
  unmark(app, r, p);
  r.x[p] = mx;
  r.y[p] = my;
  r.z[p] = mz;
  mark(app, r, p);
  refresh_coordinates(app);
  return kNoResult;
}

// "z_cx", "z_cup", ...: the axis of the key in the request's view.
int coordinate_key(Waiting& w, std::string_view name) {
  const int kind = w.kind();
  const std::string_view label = axis_label(w.view, name);
  if (kind == kStepDisplacement) return typed_displacement(w, label);
  if (moves_previous_point(kind)) return move_previous_point(w, label);
  return kNoResult;
}

// "z_toggle" in a pick step.
int toggle_key(Waiting& w, std::string_view) {
  return toggles(w.kind()) ? kInputToggle : kNoResult;
}

// The keys of a selection, in any step.
int selection_key(Waiting&, std::string_view name) {
  if (name == "s_deffi_all") return kInputAll;
  if (name == "s_deffi_last") return kInputLast;
  if (name == "s_deffi_ok") return kInputOk;
  return kInputCancel;  // "s_deffi_cancel"
}

// "z_snap_i", ... in a point step: the special snap's point becomes the next point.
int snap_key(Waiting& w, std::string_view name) {
  if (!takes_point(w.kind())) return kNoResult;
  return special_snap(w.app, w.r, name) == SpecialSnap::kCancelled ? kInputCancel : kNoResult;
}

struct StepCommand {
  std::string_view name;
  int (*handle)(Waiting& w, std::string_view name);
};

// Every command the point input takes itself.
constexpr StepCommand kStepCommands[] = {
    {"z_mb1", click},
    {"z_abs", absolute_point},
    {"z_enter", enter_key},
    {"z_eini", typed_value},
    {"z_cx", coordinate_key},
    {"z_cy", coordinate_key},
    {"z_cz", coordinate_key},
    {"z_cup", coordinate_key},
    {"z_cdown", coordinate_key},
    {"z_cleft", coordinate_key},
    {"z_cright", coordinate_key},
    {"z_toggle", toggle_key},
    {"s_deffi_all", selection_key},
    {"s_deffi_last", selection_key},
    {"s_deffi_ok", selection_key},
    {"s_deffi_cancel", selection_key},
    {"z_snap_i", snap_key},
    {"z_snap_m", snap_key},
    {"z_snap_t", snap_key},
    {"z_snap_d", snap_key},
};

const StepCommand* find_step_command(std::string_view name) {
  for (const StepCommand& c : kStepCommands)
    if (c.name == name) return &c;
  return nullptr;
}

// ---- Leaving early, preparing a step, waiting ----

// Leaving because another command took over (a view command where none is allowed, or a tool
// or project command): the request is gone without its normal exit.
void abandon(App& app, PointRequest& r, bool clear_current) {
  PointInput& in = app.input;
  close_entry(app);
  erase_cursor(app);
  in.drawer = nullptr;
  erase_point_markers(app, r);
  in.cursor_mode = r.saved_cursor_mode;
  in.current = clear_current ? nullptr : r.parent;
  draw_cursor(app);
}

// A view command in a request that takes none: the request is left, and a view function runs
// on its own ("s_" steps run nothing).
int leave_for_view_command(App& app, PointRequest& r, const std::string& name) {
  abandon(app, r, false);
  if (name[0] == 'f') dispatch_f(app, name);
  else release_view_button(app);
  return kInputCancel;
}

// A tool or project command: every waiting request is left, and the command loop runs it next.
int leave_for_command(App& app, PointRequest& r, const std::string& name) {
  app.pending = name;
  abandon(app, r, true);
  release_view_button(app);
  if (name[0] == 'p') release_tool_button(app);
  return kInputCancel;
}

// What came of one command: the request goes on (with a result when it is to end), or it has
// been left already.
struct Handled {
  bool left = false;
  int result = kNoResult;
};

Handled handle_command(Waiting& w, std::string name) {
  App& app = w.app;
  PointRequest& r = w.r;
  for (;;) {
    // Redraw, help, centring and the wheel zoom work in every step.
    if (is_prefix(name, 'z')) dispatch_z(app, name);

    if (is_prefix(name, 'f') || is_prefix(name, 's')) {
      if (!r.view_commands) return {true, leave_for_view_command(app, r, name)};
      if (name[0] == 'f') dispatch_f(app, name);
      else dispatch_s(app, name);
      if (app.pending != "nop") {
        name = app.pending;  // a command that ended the view function's own request
        continue;
      }
    }

    if (is_prefix(name, 'p') || is_prefix(name, 'b'))
      return {true, leave_for_command(app, r, name)};

    const StepCommand* c = find_step_command(name);
    return {false, c ? c->handle(w, name) : kNoResult};  // other names are ignored
  }
}

// The step's cursor, value entry, snap buttons, rubber band and prompt. `entry_step` is the
// step this request opened the value entry for.
void prepare_step(App& app, PointRequest& r, int& entry_step) {
  PointInput& in = app.input;
  const int kind = r.kinds[r.step];
  const int mode = cursor_mode(kind, in.cursor_mode);
  if (mode != in.cursor_mode) {
    erase_cursor(app);
    in.cursor_mode = mode;
    draw_cursor(app);
  }
  if (in.value_entry_open && entry_step != r.step) close_entry(app);
  if (opens_entry(kind) && !in.value_entry_open) {
    open_entry(app, kind == kStepText ? std::string_view(in.text) : std::string_view(r.offered));
    entry_step = r.step;
  }
  set_snap_buttons(app, takes_point(kind));

  erase_cursor(app);
  in.drawer = r.drawers[r.step] ? &r.drawers[r.step] : nullptr;
  draw_cursor(app);
  app.ui->set_prompt(r.prompts[r.step]);
}

// The next command other than "nop"; the rubber band is off while it is handled.
std::string wait_for_command(App& app) {
  std::string command;
  do {
    command = app.ui->wait_command();
  } while (command.empty() || command == "nop");
  erase_cursor(app);
  app.input.drawer = nullptr;
  draw_cursor(app);
  return command;
}

}  // namespace

bool PointRequest::add_step(int kind, std::string_view english_prompt, RubberBand drawer) {
  return add_step_translated(kind, std::string(translate(english_prompt)), std::move(drawer));
}

bool PointRequest::add_step_translated(int kind, std::string prompt, RubberBand drawer) {
  if (step_count >= kMaxSteps || kind < kStepFirstPoint || kind > kStepPointOrNumber) return false;
  kinds[step_count] = kind;
  prompts[step_count] = std::move(prompt);
  drawers[step_count] = std::move(drawer);
  ++step_count;
  kinds[step_count] = kStepEnd;
  return true;
}

std::string_view axis_label(int view, std::string_view command) {
  if (command == "z_cx") return "X+";
  if (command == "z_cy") return "Y+";
  if (command == "z_cz") return "Z+";
  int dir = command == "z_cup"      ? 0
            : command == "z_cdown"  ? 1
            : command == "z_cleft"  ? 2
            : command == "z_cright" ? 3
                                    : -1;
  if (dir < 0) return "";
  static constexpr std::string_view kPlan[] = {"Y+", "Y-", "X-", "X+"};
  static constexpr std::string_view kFront[] = {"Z+", "Z-", "X-", "X+"};
  static constexpr std::string_view kBack[] = {"Z+", "Z-", "X+", "X-"};
  static constexpr std::string_view kRight[] = {"Z+", "Z-", "Y-", "Y+"};
  static constexpr std::string_view kLeft[] = {"Z+", "Z-", "Y+", "Y-"};
  switch (view) {
    case kFrontLeftView:
    case kFrontView:
    case kFrontRightView:
    case kCameraView:
    case kBackLeftView:
    case kBackRightView: return kFront[dir];
    case kBackView: return kBack[dir];
    case kRightView: return kRight[dir];
    case kLeftView: return kLeft[dir];
    default: return kPlan[dir];
  }
}

void apply_plane_lock(int view, const PointRequest& r, int index, double& x, double& y, double& z) {
  const int prev = index - 1;
  const bool has_prev = prev >= 0 && prev < kMaxPoints;
  switch (view) {
    case kPlanView: z = has_prev ? r.z[prev] : 0; break;
    case kFrontView:
    case kBackView:
      if (has_prev) y = r.y[prev];
      break;
    case kLeftView:
    case kRightView:
      if (has_prev) x = r.x[prev];
      break;
    default: break;
  }
}

void erase_cursor(App& app) {
  if (!app.input.cursor_drawn) return;
  toggle_cursor(app);
  app.input.cursor_drawn = false;
}

void draw_cursor(App& app) {
  PointInput& in = app.input;
  if (in.cursor_drawn || !app.pointer.inside) return;
  in.cursor_x = app.pointer.x;
  in.cursor_y = app.pointer.y;
  toggle_cursor(app);
  in.cursor_drawn = true;
}

void erase_point_markers(App& app, PointRequest& r) {
  for (int i = 0; i < kMaxPoints; ++i) unmark(app, r, i);
}

void restore_overlays(App& app) {
  for (PointRequest* r = app.input.current; r; r = r->parent)
    for (int i = 0; i < kMaxPoints; ++i)
      if (r->marked[i]) toggle_marker(app, *r, i);
  if (app.input.cursor_drawn) toggle_cursor(app);
}

void refresh_coordinates(App& app) {
  const View& v = app.view();
  Pointer& p = app.pointer;
  if (v.units_x > 0 && v.units_y > 0) {
    p.x = pixel_to_world_x(v, p.px);
    p.y = pixel_to_world_y(v, p.py);
  }
  const int view = app.view_number();
  double c[3] = {p.x, p.y, 0};
  bool mapped = unproject_click(view, p.x, p.y, c[0], c[1], c[2]);
  const PointRequest* r = app.input.current;
  if (mapped && r && r->point_count == 1) {
    c[0] -= r->x[0];
    c[1] -= r->y[0];
    c[2] -= r->z[0];
  } else if (mapped && r && r->point_count >= 2 && r->point_count <= kMaxPoints) {
    const int b = r->point_count - 1, a = b - 1;
    c[0] = r->x[b] - r->x[a];
    c[1] = r->y[b] - r->y[a];
    c[2] = r->z[b] - r->z[a];
  }
  int first = 0, second = 1;  // the plan view (and the axonometric views) show X and Y
  if (view == kFrontView || view == kBackView) second = 2;
  if (view == kLeftView || view == kRightView) first = 1, second = 2;
  static constexpr const char* kLabel[] = {"X: ", "Y: ", "Z: "};
  std::string a = kLabel[first] + format_length(c[first], app.drawing.settings);
  std::string b = kLabel[second] + format_length(c[second], app.drawing.settings);
  PointInput& in = app.input;
  if (a == in.coordinate_first && b == in.coordinate_second) return;
  in.coordinate_first = std::move(a);
  in.coordinate_second = std::move(b);
  app.ui->set_coordinates(in.coordinate_first, in.coordinate_second);
}

bool point_input_takes(std::string_view name) { return find_step_command(name) != nullptr; }

int point_input(App& app, PointRequest& r) {
  PointInput& in = app.input;
  if (r.step_count < 1 || r.step_count > kMaxSteps || r.step < 0 || r.point_count < 0)
    return kInputCancel;
  r.kinds[r.step_count] = kStepEnd;
  // Between two waits a command that took a snapshot for undo may have moved its elements.
  if (app.drawing.store.editing) app.drawing.store.touch();
  r.saved_cursor_mode = in.cursor_mode;
  r.parent = in.current;
  r.marked = {};
  ++in.nesting;
  in.current = &r;
  Waiting w{app, r, app.view_number()};

  int result = kNoResult;
  int entry_step = -1;
  for (;;) {
    refresh_coordinates(app);
    if (r.step >= r.step_count || result != kNoResult) break;
    prepare_step(app, r, entry_step);
    Handled h = handle_command(w, wait_for_command(app));
    if (h.left) {
      --in.nesting;
      set_snap_buttons(app, false);
      return h.result;
    }
    result = h.result;
  }

  if (result == kNoResult) result = kInputDone;
  close_entry(app);
  erase_cursor(app);
  in.drawer = nullptr;
  erase_point_markers(app, r);
  in.cursor_mode = r.saved_cursor_mode;
  in.current = r.parent;
  draw_cursor(app);
  if (!r.view_commands) release_view_button(app);
  if (result == kInputDone) app.pending = "nop";
  --in.nesting;
  set_snap_buttons(app, false);
  return result;
}

}  // namespace korav
