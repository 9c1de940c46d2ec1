#include "app/point_input.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/app.h"
#include "app/dispatch.h"
#include "base/messages.h"
#include "app/projection.h"
#include "app/snap.h"
#include "base/text_format.h"
#include "draft/units.h"
#include "render/surface.h"

namespace korav {

namespace {

bool opens_entry(int kind) {
  return (kind >= kStepInteger && kind <= kStepNumber) || kind == kStepPointOrLength ||
         kind == kStepPointOrAngle || kind == kStepPointOrNumber;
}

// Steps that take a point by a click through the snap (and enable the snap buttons).
bool point_kind(int kind) {
  return (kind >= kStepFirstPoint && kind <= kStepPoint) || kind == kStepDisplacement ||
         kind == kStepPointOrLength || kind == kStepPointOrAngle || kind == kStepPointOrNumber;
}

bool is_prefix(std::string_view name, char p) {
  return name.size() >= 2 && name[0] == p && name[1] == '_';
}

void toggle_cursor(App& app) {
  PointInput& in = app.input;
  Screen& s = app.screen();
  set_current_surface(s, kMainSurface);
  draw_cursor(s, in.cursor_mode, in.cursor_x, in.cursor_y);
  if (in.drawer && *in.drawer && in.current) (*in.drawer)(app, *in.current, in.cursor_x, in.cursor_y);
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
  ViewPoint p = project_point(app.view_number(), r.x[i], r.y[i], r.z[i]);
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

enum class Outcome { kContinue, kReturn };

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
  int dir = command == "z_cup" ? 0 : command == "z_cdown" ? 1 : command == "z_cleft" ? 2
          : command == "z_cright" ? 3 : -1;
  if (dir < 0) return "";
  static constexpr std::string_view kPlan[] = {"Y+", "Y-", "X-", "X+"};
  static constexpr std::string_view kFront[] = {"Z+", "Z-", "X-", "X+"};
  static constexpr std::string_view kBack[] = {"Z+", "Z-", "X+", "X-"};
  static constexpr std::string_view kRight[] = {"Z+", "Z-", "Y-", "Y+"};
  static constexpr std::string_view kLeft[] = {"Z+", "Z-", "Y+", "Y-"};
  switch (view) {
    case 1: case 2: case 3: case 5: case 7: case 9: return kFront[dir];
    case 8: return kBack[dir];
    case 6: return kRight[dir];
    case 4: return kLeft[dir];
    default: return kPlan[dir];
  }
}

void apply_plane_lock(int view, const PointRequest& r, int index, double& x, double& y, double& z) {
  const int prev = index - 1;
  const bool has_prev = prev >= 0 && prev < kMaxPoints;
  switch (view) {
    case 0: z = has_prev ? r.z[prev] : 0; break;
    case 2: case 8: if (has_prev) y = r.y[prev]; break;
    case 4: case 6: if (has_prev) x = r.x[prev]; break;
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
  if (view == 2 || view == 8) second = 2;
  if (view == 4 || view == 6) first = 1, second = 2;
  static constexpr const char* kLabel[] = {"X: ", "Y: ", "Z: "};
  std::string a = kLabel[first] + format_length(c[first], app.drawing.settings);
  std::string b = kLabel[second] + format_length(c[second], app.drawing.settings);
  PointInput& in = app.input;
  if (a == in.coordinate_first && b == in.coordinate_second) return;
  in.coordinate_first = std::move(a);
  in.coordinate_second = std::move(b);
  app.ui->set_coordinates(in.coordinate_first, in.coordinate_second);
}

int point_input(App& app, PointRequest& r) {
  PointInput& in = app.input;
  if (r.step_count < 1 || r.step_count > kMaxSteps || r.step < 0 || r.point_count < 0)
    return kInputCancel;
  r.kinds[r.step_count] = kStepEnd;
  r.saved_cursor_mode = in.cursor_mode;
  r.parent = in.current;
  r.marked = {};
  ++in.nesting;
  in.current = &r;
  int result = -1;
  const int view = app.view_number();
  const Settings& settings = app.drawing.settings;

  // Leaving because another command took over (a view command where none is allowed, or a
  // tool or project command): the request is gone without its normal exit.
  auto abandon = [&](bool clear_current) {
    close_entry(app);
    erase_cursor(app);
    in.drawer = nullptr;
    erase_point_markers(app, r);
    in.cursor_mode = r.saved_cursor_mode;
    in.current = clear_current ? nullptr : r.parent;
    draw_cursor(app);
  };

  auto handle = [&](std::string name) -> Outcome {
    for (;;) {
      const int kind = r.kinds[r.step];
      if (is_prefix(name, 'z')) dispatch_z(app, name);

      if (is_prefix(name, 'f') || is_prefix(name, 's')) {
        if (!r.view_commands) {
          abandon(false);
          if (name[0] == 'f') dispatch_f(app, name);
          else release_view_button(app);
          result = kInputCancel;
          return Outcome::kReturn;
        }
        if (name[0] == 'f') dispatch_f(app, name);
        else dispatch_s(app, name);
        if (app.pending != "nop") {
          name = app.pending;  // a command that ended the view function's own request
          continue;
        }
      }

      if (is_prefix(name, 'p') || is_prefix(name, 'b')) {
        app.pending = name;
        abandon(true);
        release_view_button(app);
        if (name[0] == 'p') release_tool_button(app);
        result = kInputCancel;
        return Outcome::kReturn;
      }

      if (name == "z_mb1") {
        if (point_kind(kind)) {
          if (kind == kStepPointOrLength || kind == kStepPointOrAngle || kind == kStepPointOrNumber)
            close_entry(app);
          SnapResult s = snap_point(app, r, in.click_x, in.click_y);
          if (s.code != 0) {
            apply_plane_lock(view, r, r.point_count, s.x, s.y, s.z);
            take_point(app, r, s.x, s.y, s.z, s.code == 2);
          }
        } else if (kind == kStepConfirm) {
          ++r.step;
        } else if (kind == kStepPick || kind == kStepPickSmall || kind == kStepPickCounted) {
          r.x[0] = in.click_x;
          r.y[0] = in.click_y;
          r.z[0] = 0;
          ++r.step;
          if (kind == kStepPickCounted && r.point_count < kMaxPoints) ++r.point_count;
        } else if (kind == kStepPick2) {
          r.x[1] = in.click_x;
          r.y[1] = in.click_y;
          r.z[1] = 0;
          ++r.step;
        }
      } else if (name == "z_abs" && kind >= kStepFirstPoint && kind <= kStepPoint) {
        PointRequest n;
        if (ask_one(app, kStepText, std::string(translate("Abs. X/Y/Z:")), n) != kInputDone) {
          result = kInputCancel;
        } else {
          ParsedCoordinates c = parse_coordinates(n.text, settings);
          if (!c.ok()) app.ui->error_box(c.error);
          else take_point(app, r, c.x, c.y, c.z, false);
        }
      } else if (name == "z_enter") {
        if (kind == kStepNextPoint || kind == kStepNextPoint3 || kind == kStepPoint) {
          const int p = r.point_count - 1;
          if (p >= 0 && p < kMaxPoints) take_point(app, r, r.x[p], r.y[p], r.z[p], false);
        } else if (kind == kStepConfirm) {
          ++r.step;
        } else if (kind == kStepDisplacement) {
          r.x[0] = r.y[0] = r.z[0] = r.x[1] = r.y[1] = r.z[1] = 0;
          result = kInputValue;
        }
      } else if (name == "z_eini" && opens_entry(kind)) {
        const std::string& t = in.text;
        ParsedValue v;
        switch (kind) {
          case kStepInteger: v = parse_integer(t); break;
          case kStepLength: case kStepPointOrLength: v = parse_length(t, settings); break;
          case kStepAngle: case kStepPointOrAngle: v = parse_angle(t, settings); break;
          case kStepNumber: case kStepPointOrNumber: v = parse_number(t); break;
          default: break;  // text: every text is taken
        }
        if (!v.ok()) {
          app.ui->error_box(v.error);  // the step stays; the entry keeps the text
        } else {
          switch (kind) {
            case kStepInteger: r.integer = static_cast<std::int32_t>(v.value); break;
            case kStepText: r.text = t; break;
            case kStepAngle: case kStepPointOrAngle: r.angle = v.value; break;
            default: r.number = v.value; break;
          }
          if (kind == kStepPointOrLength || kind == kStepPointOrAngle || kind == kStepPointOrNumber)
            result = kInputValue;
          else
            ++r.step;
        }
      } else if (!axis_label(view, name).empty() && name != "z_mb1") {
        const std::string_view label = axis_label(view, name);
        if ((kind >= kStepNextPoint && kind <= kStepConfirm) || kind == kStepDisplacement) {
          const int p = r.point_count - 1;
          if (kind == kStepDisplacement) {
            r.x[0] = r.y[0] = r.z[0] = r.x[1] = r.y[1] = r.z[1] = 0;
          } else if (p < 0 || p >= kMaxPoints) {
            return Outcome::kContinue;  // no point to move
          }
          PointRequest n;
          std::string prompt = fill_format(translate("Move to %s :"), {std::string(label)});
          if (ask_one(app, kStepLength, std::move(prompt), n) != kInputDone) {
            result = kInputCancel;
          } else if (kind == kStepDisplacement) {
            move_along(label, n.number, r.x[1], r.y[1], r.z[1]);
            result = kInputValue;
          } else {
            double mx = r.x[p], my = r.y[p], mz = r.z[p];
            move_along(label, n.number, mx, my, mz);
            if (!std::isfinite(mx) || !std::isfinite(my) || !std::isfinite(mz)) {
              app.ui->error_box(kMsgOutOfRange);  // the point stays where it was
            } else {
              unmark(app, r, p);
              r.x[p] = mx;
              r.y[p] = my;
              r.z[p] = mz;
              mark(app, r, p);
              refresh_coordinates(app);
            }
          }
        }
      } else if (name == "z_toggle") {
        if (kind == kStepPick || kind == kStepPick2 || kind == kStepPickSmall) result = kInputToggle;
      } else if (name == "s_deffi_all") {
        result = kInputAll;
      } else if (name == "s_deffi_last") {
        result = kInputLast;
      } else if (name == "s_deffi_ok") {
        result = kInputOk;
      } else if (name == "s_deffi_cancel") {
        result = kInputCancel;
      } else if ((name == "z_snap_i" || name == "z_snap_m" || name == "z_snap_t" ||
                  name == "z_snap_d") && point_kind(kind)) {
        if (special_snap(app, r, name) == SpecialSnap::kCancelled) result = kInputCancel;
      }
      return Outcome::kContinue;
    }
  };

  int entry_step = -1;  // the step this request opened the value entry for
  for (;;) {
    refresh_coordinates(app);
    if (r.step >= r.step_count || result >= 0) break;
    const int kind = r.kinds[r.step];

    int mode = in.cursor_mode;
    if (kind == kStepPick || kind == kStepPick2 || kind == kStepPickCounted) mode = kCursorCorner;
    if (kind == kStepPickSmall) mode = kCursorPick;
    if (mode != in.cursor_mode) {
      erase_cursor(app);
      in.cursor_mode = mode;
      draw_cursor(app);
    }
    if (in.value_entry_open && entry_step != r.step) close_entry(app);
    if (opens_entry(kind) && !in.value_entry_open) {
      open_entry(app, kind == kStepText ? std::string_view(in.text) : std::string_view());
      entry_step = r.step;
    }
    set_snap_buttons(app, point_kind(kind));

    erase_cursor(app);
    in.drawer = r.drawers[r.step] ? &r.drawers[r.step] : nullptr;
    draw_cursor(app);
    app.ui->set_prompt(r.prompts[r.step]);

    std::string command;
    do {
      command = app.ui->wait_command();
    } while (command.empty() || command == "nop");

    erase_cursor(app);
    in.drawer = nullptr;
    draw_cursor(app);

    if (handle(std::move(command)) == Outcome::kReturn) {
      --in.nesting;
      set_snap_buttons(app, false);
      return result;
    }
  }

  if (result < 0) result = kInputDone;
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
