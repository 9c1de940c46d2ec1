#include "exchange/export_pass.h"

#include <algorithm>
#include <cmath>

#include "model/drawing.h"
#include "render/hatch.h"
#include "render/screen_output.h"
#include "render/text_drawing.h"

namespace korav {

ExportPass::ExportPass(const Drawing& d, FontTable* fonts, double world_per_unit)
    : drawing_(d), screen_(std::make_unique<Screen>()) {
  View& v = screen_->view();
  if (!(world_per_unit > 0) || !std::isfinite(world_per_unit)) world_per_unit = 1;
  v.units_x = v.units_y = world_per_unit;
  v.scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  set_window(-1e300, -1e300, 1e300, 1e300);
  screen_->all_black = d.settings.view.all_black != 0;
  // The renderer's own operations for what the output does not write itself.
  const OutputDriver screen_ops = screen_driver(*screen_);
  renderer_.driver = OutputDriver{};
  renderer_.driver.dimension = screen_ops.dimension;
  renderer_.driver.room = screen_ops.room;
  renderer_.driver.text = draw_text_run;
  renderer_.driver.vector_output = true;
  renderer_.screen = screen_.get();
  renderer_.hatch = hatch_pattern;
  renderer_.fonts = fonts;
  renderer_.view_number = 0;
  renderer_.drawing = &d;
}

void ExportPass::set_window(double xmin, double ymin, double xmax, double ymax) {
  View& v = screen_->view();
  v.xmin = xmin;
  v.ymin = ymin;
  v.xmax = xmax;
  v.ymax = ymax;
  v.left = v.top = 0;
  const double w = (xmax - xmin) / v.units_x, h = (ymax - ymin) / v.units_y;
  v.right = w > 0 && w < 1e9 ? static_cast<int>(w) : 1000000000;
  v.bottom = h > 0 && h < 1e9 ? static_cast<int>(h) : 1000000000;
}

void ExportPass::run() {
  for (const Element& e : drawing_.store.list)
    if (e.selected) draw_element(renderer_, drawing_, e, kDrawForceNormal);
}

TextStart text_start(const Renderer& r, const TextRun& run) {
  TextStart s{run.x, run.y, 0, 0};
  if (!r.drawing) return s;
  const double scale = r.drawing->settings.drawing_scale;
  if (r.fonts && (run.align == 1 || run.align == 2)) {
    double w = text_width(*r.fonts, scale, run.height, run.width_factor, run.spacing, run.font,
                          run.text, run.align, run.fitted_width);
    if (!std::isfinite(w)) w = 0;
    if (run.align == 2) w /= 2;
    s.x -= w * std::cos(run.angle);
    s.y -= w * std::sin(run.angle);
  }
  const double step = run.line_spacing * run.height * scale / 1000;
  s.step_x = std::sin(run.angle) * step;
  s.step_y = -std::cos(run.angle) * step;
  return s;
}

double text_reach(const Renderer& r, const TextRun& run) {
  if (!r.drawing) return 0;
  const double scale = r.drawing->settings.drawing_scale;
  double w = 0;
  if (r.fonts)
    w = text_width(*r.fonts, scale, run.height, run.width_factor, run.spacing, run.font, run.text,
                   run.align, run.fitted_width);
  const double h = std::fabs(run.height * scale / 1000);
  const double lines = 1 + static_cast<double>(std::count(run.text.begin(), run.text.end(), '\n'));
  const double reach = std::fabs(w) + (lines + 1) * h * std::max(1.0, std::fabs(run.line_spacing));
  return std::isfinite(reach) ? reach : 0;
}

bool any_marked(const Drawing& d) {
  for (const Element& e : d.store.list)
    if (e.selected) return true;
  return false;
}

int colour_byte(double fraction) {
  const double v = fraction * 255;
  if (!(v > 0)) return 0;  // also NaN
  if (v >= 255) return 255;
  return static_cast<int>(v);
}

}  // namespace korav
