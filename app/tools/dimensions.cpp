#include "app/tools/dimensions.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "draft/dimensions.h"
#include "model/element_points.h"
#include "model/units.h"
#include "render/dimension_drawing.h"

namespace korav {

namespace {

// A point and its confirmation; `band` draws from the pointer while the first is asked.
std::optional<Vec2> ask_point(App& app, std::string_view prompt, RubberBand band = {}) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, prompt, std::move(band));
  r.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return point(r, 0);
}

// The rubber band of a measuring point: from the line's last foot to the pointer's foot.
RubberBand foot_band(Vec2 from, Vec2 on, double angle) {
  return [from, on, angle](App& a, const PointRequest&, double x, double y) {
    const Vec2 f = foot_on_line({x, y}, on, angle);
    xor_segment(a, from, f);
    xor_segment(a, f, {x, y});
  };
}

Dimension* pick_dimension(App& app, std::string_view prompt, Vec2* at = nullptr) {
  double x = 0, y = 0;
  Dimension* d = as<Dimension>(pick_with_prompt(app, prompt, kPickDimensions, &x, &y));
  if (d && at) *at = {x, y};
  return d;
}

// The record whose figure is nearest to p; -1 when the dimension shows none.
int nearest_figure(const App& app, const Dimension& dim, Vec2 p) {
  int best = -1;
  double best_d = 0;
  for (const DimensionFigureText& f : dimension_figures(app.drawing, dim, true)) {
    const double d = std::hypot(f.x - p.x, f.y - p.y);
    if (best < 0 || d < best_d) {
      best = f.index;
      best_d = d;
    }
  }
  return best;
}

void full_message(App& app) { app.ui->error_box(kMsgDimensionFull); }

// Points measured one after another into a preview that is replaced each time; the last one is
// recorded as created when the user leaves. `initial` are the records before the first
// measured point (the zero point of height marks); chains are normalised.
void measure_points(App& app, Dimension fields, std::vector<DimPoint> pts, Vec2 on,
                    bool chain) {
  Drawing& d = app.drawing;
  Dimension* preview = nullptr;
  const std::size_t least = chain ? 2 : 1;
  for (;;) {
    const Vec2 last = pts.empty() ? on : Vec2{pts.back().foot.x, pts.back().foot.y};
    std::optional<Vec2> p = ask_point(
        app, "Measuring point:",
        chain ? foot_band(last, on, fields.direction) : RubberBand{});
    if (!p) break;
    if (pts.size() >= static_cast<std::size_t>(kMaxDimensionPoints)) {
      full_message(app);
      continue;
    }
    if (chain) {
      pts.push_back(chain_point(d.settings, *p, on, fields.direction));
      normalise_chain(pts, fields.direction);
    } else {
      pts.push_back(height_point(d.settings, on, *p));
    }
    preview = replace_preview(d, preview, fields,
                              pts.size() >= least ? std::span<const DimPoint>(pts)
                                                  : std::span<const DimPoint>());
    if (preview) preview->selected = 1;
    redraw(app);
  }
  if (preview) preview->selected = 0;
  finish_chain(d, preview);
  changed(app);
}

void chain_tool(App& app, std::optional<double> fixed) {
  double angle = 0;
  if (fixed) {
    angle = *fixed;
  } else {
    std::optional<double> a = ask_direction(app);
    if (!a) return;
    angle = *a;
  }
  for (;;) {
    std::optional<Vec2> at = ask_point(app, "Position of dimension:");
    if (!at) return;
    const Dimension fields =
        new_dimension_fields(app.drawing, app.presets.dim, kDimChain, angle);
    measure_points(app, fields, {}, *at, true);
  }
}

// Selects elements for the restyling commands; false when the selection was cancelled.
bool select_for_alter(App& app) {
  if (select_elements(app, 0) == 1) return true;
  app.drawing.deselect_all();
  redraw(app);
  return false;
}

// "Select dimension figure:" and then `change` with the chosen record; repeated.
template <class Change>
void alter_figure(App& app, Change change) {
  for (;;) {
    Vec2 at;
    Dimension* dim = pick_dimension(app, "Select dimension figure:", &at);
    if (!dim) return;
    const int index = nearest_figure(app, *dim, at);
    if (index < 0) continue;
    highlight(app, *dim, true);
    const bool done = change(*dim, index);
    highlight(app, *dim, false);
    if (!done) return;
    changed(app);
  }
}

void circle_tool(App& app, int kind) {
  for (;;) {
    Circle* c = as<Circle>(pick_with_prompt(app, "Select Circle/Arc:", kPickCircles));
    if (!c) return;
    if (!(c->radius1 > 1e-6)) continue;
    highlight(app, *c, true);
    const Vec2 centre{c->centre.x, c->centre.y};
    std::optional<Vec2> through = ask_point(
        app, "Through point:",
        [centre](App& a, const PointRequest&, double x, double y) {
          xor_segment(a, centre, {x, y});
        });
    highlight(app, *c, false);
    if (!through) return;
    const Dimension fields = new_dimension_fields(app.drawing, app.presets.dim, kind, 0);
    add_dimension(app.drawing, fields, circle_dimension_points(*c, *through));
    created(app, 1);
  }
}

}  // namespace

void tool_dim_x(App& app) { chain_tool(app, 0.0); }
void tool_dim_y(App& app) { chain_tool(app, std::numbers::pi / 2); }
void tool_dim_dim(App& app) { chain_tool(app, std::nullopt); }

void tool_dim_auto(App& app) {
  std::optional<double> a = ask_direction(app);
  if (!a) return;
  const double angle = *a;
  for (;;) {
    std::optional<Vec2> at = ask_point(app, "Position of dimension:");
    if (!at) return;
    PointRequest r;
    two_point_steps(
        r, "Start point:", "Move/End point:",
        [](App& ap, const PointRequest& q, double x, double y) {
          xor_segment(ap, point(q, 0), {x, y});
        },
        [](App& ap, const PointRequest& q, double, double) {
          xor_segment(ap, point(q, 0), point(q, 1));
        });
    if (point_input(app, r) != kInputDone) return;
    std::vector<DimPoint> pts = wall_crossings(app.drawing, *at, angle, point(r, 0), point(r, 1));
    if (pts.empty()) continue;
    normalise_chain(pts, angle);
    const Dimension fields = new_dimension_fields(app.drawing, app.presets.dim, kDimChain, angle);
    if (add_dimension(app.drawing, fields, pts)) created(app, 1);
  }
}

void tool_dim_plus(App& app) {
  for (;;) {
    Dimension* dim = pick_dimension(app, "Select dimension:");
    if (!dim) return;
    if (dim->kind != kDimChain) continue;
    std::vector<DimPoint> pts = points_of(*dim);
    bool first = true;
    dim->selected = 1;
    redraw(app);
    for (;;) {
      const Vec2 on{pts.front().foot.x, pts.front().foot.y};
      const Vec2 last{pts.back().foot.x, pts.back().foot.y};
      std::optional<Vec2> p =
          ask_point(app, "Measuring point:", foot_band(last, on, dim->direction));
      if (!p) break;
      if (!append_chain_point(app.drawing.settings, *dim, *p, pts)) {
        full_message(app);
        continue;
      }
      dim = replace_points(app.drawing, *dim, pts, first);
      first = false;
      if (!dim) break;
      dim->selected = 1;
      redraw(app);
    }
    if (dim) dim->selected = 0;
    changed(app);
    if (!dim) continue;
  }
}

void tool_dim_minus(App& app) {
  for (;;) {
    Dimension* dim = pick_dimension(app, "Select dimension:");
    if (!dim) return;
    if (dim->kind != kDimChain) continue;
    std::vector<DimPoint> pts = points_of(*dim);
    bool first = true;
    dim->selected = 1;
    redraw(app);
    while (dim) {
      PointRequest r;
      if (!ask_value(app, kStepFirstPoint, "Measuring point:", r)) break;
      if (remove_chain_points(pts, point(r, 0)) == 0) continue;
      normalise_chain(pts, dim->direction);
      dim = replace_points(app.drawing, *dim, pts, first);
      first = false;
      if (dim) dim->selected = 1;
      redraw(app);
    }
    if (dim) dim->selected = 0;
    changed(app);
  }
}

namespace {

// "Value:" for the chosen figure (degrees for an angle, else a length), handed to `set`.
void figure_value_tool(App& app, void (*set)(Drawing&, Dimension&, int, double)) {
  alter_figure(app, [&](Dimension& dim, int index) {
    PointRequest r;
    const int kind = dim.kind == kDimAngle ? kStepNumber : kStepLength;
    if (!ask_value(app, kind, "Value:", r)) return false;
    set(app.drawing, dim, index, r.number);
    return true;
  });
}

}  // namespace

void tool_dim_height(App& app) { figure_value_tool(app, set_height_figure); }
void tool_dim_alter_value(App& app) { figure_value_tool(app, set_override); }

void tool_dim_original(App& app) {
  for (;;) {
    Dimension* dim = pick_dimension(app, "Select dimension:");
    if (!dim) return;
    restore_original(app.drawing, *dim);
    changed(app);
  }
}

void tool_dim_alter_move(App& app) {
  alter_figure(app, [&](Dimension& dim, int index) {
    for (;;) {
      PointRequest r;
      two_point_steps(
          r, "Move/Start point:", "Move/End point:",
          [](App& a, const PointRequest& q, double x, double y) {
            xor_segment(a, point(q, 0), {x, y});
          },
          [](App& a, const PointRequest& q, double, double) {
            xor_segment(a, point(q, 0), point(q, 1));
          });
      if (point_input(app, r) != kInputDone) return false;
      const Vec2 by = point(r, 1) - point(r, 0);
      if (by.x == 0 && by.y == 0) return true;
      move_figure(app.drawing, dim, index, by);
      dim.selected = 1;
      redraw(app);
    }
  });
}

void tool_dim_alter_size(App& app) {
  if (!select_for_alter(app)) return;
  PointRequest r;
  app.input.text.clear();
  if (ask_value(app, kStepText, "Size:", r)) {
    const ParsedValue v = parse_paper_size(r.text, app.drawing.settings);
    if (!v.ok()) app.ui->error_box(v.error);
    else set_selected_figure_height(app.drawing, v.value);
  }
  app.drawing.deselect_all();
  changed(app);
}

void tool_dim_alter_style(App& app) {
  if (!select_for_alter(app)) return;
  restyle_selected(app.drawing, app.presets.dim);
  app.drawing.deselect_all();
  changed(app);
}

void tool_dim_r(App& app) { circle_tool(app, kDimRadius); }
void tool_dim_d(App& app) { circle_tool(app, kDimDiameter); }

void tool_dim_a(App& app) {
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepFirstPoint, "Center:");
    r.add_step(kStepNextPoint, "Move/Start point:",
               [](App& a, const PointRequest& q, double x, double y) {
                 xor_segment(a, point(q, 0), {x, y});
               });
    r.add_step(kStepNextPoint3, "Move/End point:",
               [](App& a, const PointRequest& q, double x, double y) {
                 xor_segment(a, point(q, 0), point(q, 1));
                 xor_segment(a, point(q, 0), {x, y});
               });
    r.add_step(kStepConfirm, "Move/Confirm:");
    if (point_input(app, r) != kInputDone) return;
    std::vector<DimPoint> pts(3);
    for (int i = 0; i < 3; ++i) {
      pts[static_cast<std::size_t>(i)].foot = {r.x[i], r.y[i], 0};
      pts[static_cast<std::size_t>(i)].measured = {r.x[i], r.y[i], 0};
    }
    const Dimension fields = new_dimension_fields(app.drawing, app.presets.dim, kDimAngle, 0);
    add_dimension(app.drawing, fields, pts);
    created(app, 1);
  }
}

void tool_dim_h(App& app) {
  for (;;) {
    std::optional<Vec2> at = ask_point(app, "Position of dimension:");
    if (!at) return;
    std::optional<Vec2> zero = ask_point(app, "Point at zero height:");
    if (!zero) return;
    const Dimension fields = new_dimension_fields(app.drawing, app.presets.dim, kDimHeights, 0);
    measure_points(app, fields, {height_point(app.drawing.settings, *at, *zero)}, *at, false);
  }
}

}  // namespace korav
