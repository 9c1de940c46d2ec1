#include "app/tools/openings.h"

#include <array>
#include <optional>
#include <string_view>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "render/openings.h"
#include "render/renderer.h"

namespace korav {

namespace {

inline constexpr std::string_view kMsgReallyDissolveSymbol =
    "Really dissolve the symbol into single objects?";
inline constexpr std::string_view kMsgHeightNotPositive = "The height must be greater than 0!";

PlanVec plan(Vec2 v) { return {v.x, v.y}; }

const OpeningPreset& preset_of(const App& app, int kind) {
  return kind == kOpeningDoor     ? app.presets.door
         : kind == kOpeningWindow ? app.presets.window
                                  : app.presets.opening;
}

// "Doorleaf:" with the door shown as the pointer would open it; the leaf side, or nullopt when
// the user left.
std::optional<int> ask_leaf(App& app, const Opening& o) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepPoint, "Doorleaf:", [o](App& a, const PointRequest&, double x, double y) {
    Opening shown = o;
    shown.leaf_side = static_cast<std::uint8_t>(leaf_side_at(o, {x, y}));
    draw_opening_preview(a.screen(), a.drawing, shown);
  });
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return leaf_side_at(o, plan(point(r, 0)));
}

void place(App& app, int kind) {
  for (;;) {
    Wall* w = as<Wall>(pick_with_prompt(app, "Select Wall:", kPickWalls));
    if (!w) return;
    highlight(app, *w, true);
    if (w->opening_count >= static_cast<std::uint32_t>(kMaxOpenings)) {
      app.ui->error_box(kMsgTooManyOpenings);
      highlight(app, *w, false);
      return;
    }
    const OpeningPreset preset = preset_of(app, kind);
    PointRequest r;
    two_point_steps(
        r, "Start point:", "Move/End point:",
        [](App& a, const PointRequest& q, double x, double y) {
          xor_segment(a, point(q, 0), {x, y});
        },
        [](App& a, const PointRequest& q, double, double) {
          xor_segment(a, point(q, 0), point(q, 1));
        });
    r.add_step(kStepPoint,
               "Outer side:", [w, preset, kind](App& a, const PointRequest& q, double x, double y) {
                 if (std::optional<Opening> o = place_opening(
                         *w, plan(point(q, 0)), plan(point(q, 1)), {x, y}, preset, kind))
                   draw_opening_preview(a.screen(), a.drawing, *o);
               });
    if (point_input(app, r) != kInputDone) {
      highlight(app, *w, false);
      return;
    }
    std::optional<Opening> o =
        place_opening(*w, plan(point(r, 0)), plan(point(r, 1)), plan(point(r, 2)), preset, kind);
    const OpeningFit fit = o ? opening_fits(*w, *o) : OpeningFit::kDoesNotFit;
    if (fit != OpeningFit::kFits) {
      highlight(app, *w, false);
      app.ui->error_box(opening_fit_message(fit));
      continue;
    }
    if (kind == kOpeningDoor && o->subtype != 0) {
      const std::optional<int> side = ask_leaf(app, *o);
      if (!side) {
        highlight(app, *w, false);
        return;
      }
      o->leaf_side = static_cast<std::uint8_t>(*side);
    }
    w->selected = 0;
    insert_opening(app.drawing, *w, *o);
    changed(app);
  }
}

// "Select Opening:" until an opening is hit; an empty reference when the user left.
OpeningRef pick_opening(App& app) {
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepPickSmall, "Select Opening:");
    const int result = point_input(app, r);
    if (result == kInputToggle) continue;
    if (result != kInputDone) return {};
    const PickContext c = pick_context(app);
    if (OpeningRef o =
            find_opening(app.drawing, plan(point(r, 0)), c.snap_size * c.units_per_pixel))
      return o;
  }
}

void alter(App& app, int kind) {
  for (;;) {
    OpeningRef r = pick_opening(app);
    if (!r) return;
    const OpeningPreset& preset = preset_of(app, kind);
    int side = 0;
    if (kind == kOpeningDoor && preset.subtype != 0) {
      Opening shown = r.opening();
      shown.kind = static_cast<std::uint8_t>(kind);
      shown.subtype = static_cast<std::uint8_t>(preset.subtype);
      highlight(app, *r.wall, true);
      const std::optional<int> leaf = ask_leaf(app, shown);
      highlight(app, *r.wall, false);
      if (!leaf) return;
      side = *leaf;
    }
    alter_opening(app.drawing, r, kind, preset.subtype, side);
    changed(app);
  }
}

void collect_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  SymbolStroke s;
  s.pen = pen;
  s.line_type = lt;
  s.x1 = x1;
  s.y1 = y1;
  s.x2 = x2;
  s.y2 = y2;
  static_cast<std::vector<SymbolStroke>*>(r.driver.context)->push_back(s);
}

void collect_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b,
                 double sweep, double start, double rotation) {
  SymbolStroke s;
  s.arc = true;
  s.pen = pen;
  s.line_type = lt;
  s.cx = cx;
  s.cy = cy;
  s.a = a;
  s.b = b;
  s.sweep = sweep;
  s.start = start;
  s.rotation = rotation;
  static_cast<std::vector<SymbolStroke>*>(r.driver.context)->push_back(s);
}

}  // namespace

std::vector<SymbolStroke> opening_strokes(const App& app, const Opening& o) {
  std::vector<SymbolStroke> out;
  Renderer r;
  r.drawing = &app.drawing;
  r.driver.context = &out;
  r.driver.vector_output = true;
  r.driver.line = collect_line;
  r.driver.arc = collect_arc;
  draw_opening(r, o);
  return out;
}

void tool_opening_opening(App& app) { place(app, kOpeningPlain); }
void tool_opening_door(App& app) { place(app, kOpeningDoor); }
void tool_opening_window(App& app) { place(app, kOpeningWindow); }
void tool_opening_alter_opening(App& app) { alter(app, kOpeningPlain); }
void tool_opening_alter_door(App& app) { alter(app, kOpeningDoor); }
void tool_opening_alter_window(App& app) { alter(app, kOpeningWindow); }

void tool_opening_alter_height(App& app) {
  for (;;) {
    OpeningRef r = pick_opening(app);
    if (!r) return;
    PointRequest base, height;
    if (!ask_value(app, kStepLength, "Base:", base) ||
        !ask_value(app, kStepLength, "Height:", height))
      return;
    if (!alter_opening_height(app.drawing, r, base.number, height.number)) {
      app.ui->error_box(kMsgHeightNotPositive);
      continue;
    }
    changed(app);
  }
}

void tool_opening_dissolve(App& app) {
  for (;;) {
    OpeningRef r = pick_opening(app);
    if (!r) return;
    highlight(app, *r.wall, true);
    constexpr std::array<std::string_view, 2> kButtons = {"Yes", "Cancel"};
    const bool yes = app.ui->question(kMsgReallyDissolveSymbol, kButtons) == 1;
    highlight(app, *r.wall, false);
    if (!yes) continue;
    const std::vector<SymbolStroke> strokes = opening_strokes(app, r.opening());
    dissolve_opening(app.drawing, r, strokes);
    changed(app);
  }
}

void tool_opening_remove(App& app) {
  for (;;) {
    OpeningRef r = pick_opening(app);
    if (!r) return;
    if (remove_opening(app.drawing, r)) changed(app);
  }
}

}  // namespace korav
