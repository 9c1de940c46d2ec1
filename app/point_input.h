// Point input: every tool fills a request (its steps, a prompt and an optional rubber band per
// step) and calls point_input, which shows the prompts one after another, waits for commands
// (clicks, typed values, keys) through the host's command wait, snaps clicks, and returns a
// result code. Requests nest: view functions and the coordinate keys run their own requests
// while a tool's request waits.
//
// A tool:
//   PointRequest r;
//   r.view_commands = true;
//   r.add_step(kStepFirstPoint, "Start point:");
//   r.add_step(kStepNextPoint, "Move/End point:", draw_line_from_point0);
//   while (point_input(app, r) == kInputDone) { ...use r.x[0], r.y[0], ...; r.restart(); }
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korav {

struct App;

enum StepKind : int {
  kStepEnd = 0,
  kStepFirstPoint = 1,
  kStepNextPoint = 2,
  kStepNextPoint3 = 3,
  kStepPoint = 4,
  kStepConfirm = 5,
  kStepPick = 6,   // click stored as point 0, no snap
  kStepPick2 = 7,  // click stored as point 1, no snap
  kStepInteger = 8,
  kStepLength = 9,
  kStepText = 10,
  kStepAngle = 11,
  kStepNumber = 12,
  kStepDisplacement = 13,
  kStepPointOrLength = 14,
  kStepPointOrAngle = 15,
  kStepPickSmall = 16,    // as 6 with the small cursor
  kStepPickCounted = 17,  // as 6, and the point count advances
  kStepPointOrNumber = 18,
};

enum InputResult : int {
  kInputDone = 0,    // all steps done
  kInputCancel = 1,  // another tool or project command (run next), or cancelled
  kInputOk = 2,      // "s_deffi_ok"
  kInputToggle = 3,  // "z_toggle" in a pick step
  kInputAll = 4,     // "s_deffi_all"
  kInputLast = 5,    // "s_deffi_last"
  kInputValue = 6,   // a value typed in a point-or-value step, or a displacement entered
};

inline constexpr int kMaxSteps = 9;
inline constexpr int kMaxPoints = 4;

struct PointRequest;
// Draws the preview for the pointer at world (x, y), in XOR: a second call erases it.
using RubberBand = std::function<void(App& app, const PointRequest& r, double x, double y)>;

struct PointRequest {
  bool view_commands = false;  // "f_" and "s_" commands run inside this request
  int step_count = 0;
  int step = 0;
  int point_count = 0;
  std::array<int, kMaxSteps + 1> kinds{};
  std::array<std::string, kMaxSteps + 1> prompts;  // translated
  std::array<RubberBand, kMaxSteps + 1> drawers;
  std::array<double, kMaxPoints> x{}, y{}, z{};
  double number = 0;
  double angle = 0;  // radians
  std::int32_t integer = 0;
  std::string text;  // UTF-8
  std::string offered;  // put into the value entry of a number step, e.g. the last value
  int saved_cursor_mode = 1;
  std::array<std::uint8_t, kMaxPoints> flags{};  // 1 when the snap took an existing point

  // Kept by point_input: the request this one is nested in, and where point markers are drawn
  // (in the view's coordinates) so that exactly those are erased again.
  PointRequest* parent = nullptr;
  std::array<bool, kMaxPoints> marked{};
  std::array<double, kMaxPoints> mark_u{}, mark_v{};

  // Appends a step; the English prompt is translated here. False (nothing added) when the
  // request already has kMaxSteps steps or the kind is not 1 to 18.
  bool add_step(int kind, std::string_view english_prompt, RubberBand drawer = {});
  // The same with a prompt that is already translated.
  bool add_step_translated(int kind, std::string prompt, RubberBand drawer = {});
  // Before calling point_input again in a tool's loop.
  void restart() {
    step = 0;
    point_count = 0;
  }
};

// Shared state of the point input (part of App).
struct PointInput {
  PointRequest* current = nullptr;  // the innermost waiting request
  int nesting = 0;
  int cursor_mode = 1;                 // 1 cross, 2 small, 3 pick box
  const RubberBand* drawer = nullptr;  // the rubber band of the waiting step
  bool cursor_drawn = false;
  double cursor_x = 0, cursor_y = 0;  // where the cursor (and rubber band) was drawn
  double click_px = 0, click_py = 0;  // the last click, pixels
  double click_x = 0, click_y = 0;    // the last click, world
  std::string text;                   // the shared input text of the value entry
  bool value_entry_open = false;
  bool snap_buttons = false;  // the snap buttons (and keys i, m, d, t) are enabled
  std::string coordinate_first, coordinate_second;  // the coordinate labels as last shown
};

int point_input(App& app, PointRequest& r);

// True for the commands a waiting step takes itself: the click "z_mb1", "z_abs", "z_enter",
// "z_eini", the coordinate keys, "z_toggle", the selection keys "s_deffi_..." and the snap keys.
bool point_input_takes(std::string_view name);

// Coordinate display: the pointer's world position and the two labels ("X: %s", ...).
void refresh_coordinates(App& app);

// The axis label ("X+", "Y-", "Z+", ...) of a coordinate key command ("z_cx", "z_cup", ...)
// in view `view`; "" for other names.
std::string_view axis_label(int view, std::string_view command);

// Plane lock of a clicked point by the current view: the plan view takes z from the previous
// point (0 for the first), the front and back views (2, 8) take y, the left and right views
// (4, 6) take x.
void apply_plane_lock(int view, const PointRequest& r, int index, double& x, double& y, double& z);

// Cursor and rubber band (XOR on the canvas): erase / draw at the pointer.
void erase_cursor(App& app);
void draw_cursor(App& app);
// Erases every point marker the request has drawn.
void erase_point_markers(App& app, PointRequest& r);
// After the canvas was redrawn from scratch: draws the cursor and the point markers of every
// waiting request again, since the redraw wiped them.
void restore_overlays(App& app);

}  // namespace korav
