#include "app/tools/patterns.h"

#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/polygon_input.h"
#include "app/tools/tool_steps.h"
#include "render/hatch.h"
#include "render/renderer.h"

namespace korav {

namespace {

inline constexpr std::string_view kMsgReallyDissolvePattern =
    "Really dissolve the pattern into single lines?";

// The rectangle's outline, or none when the user left.
std::optional<std::vector<Point2>> ask_rectangle(App& app) {
  const auto c = ask_corners(app);
  if (!c) return std::nullopt;
  return rectangle_outline(c->first, c->second);
}

Pattern* pick_pattern(App& app) {
  return as<Pattern>(pick_with_prompt(app, "Select Pattern:", kPickPatterns));
}

void new_patterns(App& app, bool rectangle) {
  for (;;) {
    std::vector<Point2> outline;
    if (rectangle) {
      std::optional<std::vector<Point2>> r = ask_rectangle(app);
      if (!r) return;
      outline = std::move(*r);
    } else {
      outline = polygon_input(app);
      if (outline.empty()) return;
    }
    if (add_pattern(app.drawing, app.presets.pattern, outline)) created(app, 1);
  }
}

void add_to_patterns(App& app, bool rectangle) {
  for (;;) {
    Pattern* p = pick_pattern(app);
    if (!p) return;
    highlight(app, *p, true);
    std::vector<Point2> more;
    if (rectangle) {
      std::optional<std::vector<Point2>> r = ask_rectangle(app);
      if (r) more = std::move(*r);
    } else {
      more = polygon_input(app);
    }
    highlight(app, *p, false);
    if (more.empty()) return;
    if (outline_points(*p).size() + more.size() > kMaxOutlinePoints) {
      app.ui->error_box(kMsgTooManyPoints);
      continue;
    }
    if (extend_pattern(app.drawing, *p, more)) changed(app);
  }
}

// Picks patterns one after another, each changed by `change` (which records its own step).
template <class Change>
void alter_picked(App& app, Change change) {
  for (;;) {
    Pattern* p = pick_pattern(app);
    if (!p) return;
    highlight(app, *p, true);
    const bool done = change(*p);
    highlight(app, *p, false);
    if (!done) return;
    changed(app);
  }
}

}  // namespace

std::vector<PatternStroke> pattern_strokes(const App& app, const Pattern& p) {
  std::vector<PatternStroke> out;
  Renderer r;
  r.driver.context = &out;
  r.driver.vector_output = true;  // the whole pattern, whatever the view shows
  r.driver.line = [](Renderer& rr, int pen, int lt, double x1, double y1, double x2, double y2) {
    static_cast<std::vector<PatternStroke>*>(rr.driver.context)
        ->push_back({pen, lt, x1, y1, x2, y2});
  };
  r.hatch = hatch_pattern;
  draw_element(r, app.drawing, p, kDrawForceNormal);
  return out;
}

void tool_pattern_poly(App& app) { new_patterns(app, false); }
void tool_pattern_range(App& app) { new_patterns(app, true); }
void tool_pattern_add_poly(App& app) { add_to_patterns(app, false); }
void tool_pattern_add_range(App& app) { add_to_patterns(app, true); }

void tool_pattern_alter_origin(App& app) {
  alter_picked(app, [&](Pattern& p) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepFirstPoint, "Origin:");
    r.add_step(kStepConfirm, "Move/Confirm:");
    if (point_input(app, r) != kInputDone) return false;
    set_pattern_origin(app.drawing, p, point(r, 0));
    return true;
  });
}

void tool_pattern_alter_angle(App& app) {
  alter_picked(app, [&](Pattern& p) {
    PointRequest r;
    if (!ask_value(app, kStepAngle, "Angle:", r)) return false;
    if (std::isfinite(r.angle)) set_pattern_angle(app.drawing, p, r.angle);
    return true;
  });
}

void tool_pattern_alter_space(App& app) {
  alter_picked(app, [&](Pattern& p) {
    PointRequest r;
    if (!ask_value(app, kStepLength, "Space:", r)) return false;
    set_pattern_spacing(app.drawing, p, r.number);
    return true;
  });
}

void tool_pattern_alter_pattern(App& app) {
  alter_picked(app, [&](Pattern& p) {
    app.drawing.deselect_all();
    p.selected = 1;
    apply_preset_to_selected(app.drawing, app.presets.pattern);
    return true;
  });
}

void tool_pattern_alter_pattern_a(App& app) {
  for (;;) {
    Pattern* p = pick_pattern(app);
    if (!p) return;
    if (select_same_fillings(app.drawing, *p) == 0) continue;
    apply_preset_to_selected(app.drawing, app.presets.pattern);
    changed(app);
  }
}

void tool_pattern_alter_pattern_b(App& app) {
  const bool ok = select_elements(app, 0) == 1;
  if (ok) apply_preset_to_selected(app.drawing, app.presets.pattern);
  app.drawing.deselect_all();
  changed(app);
}

void tool_pattern_dissolve(App& app) {
  for (;;) {
    Pattern* p = pick_pattern(app);
    if (!p) return;
    if (p->kind == 3) continue;  // a filling has no lines to dissolve into
    highlight(app, *p, true);
    constexpr std::array<std::string_view, 2> kButtons = {"Yes", "Cancel"};
    const bool yes = app.ui->question(kMsgReallyDissolvePattern, kButtons) == 1;
    highlight(app, *p, false);
    if (!yes) continue;
    const std::vector<PatternStroke> strokes = pattern_strokes(app, *p);
    dissolve_pattern(app.drawing, *p, strokes);
    changed(app);
  }
}

}  // namespace korav
