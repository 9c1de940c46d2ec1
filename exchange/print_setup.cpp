#include "exchange/print_setup.h"

#include <cmath>
#include <utility>

#include "model/settings.h"

namespace korav {

namespace {

double size_or(double v, double fallback) {
  return std::isfinite(v) && v > 0 && v < 1e6 ? v : fallback;
}
double margin(double v) { return std::isfinite(v) && v > 0 && v < 1e6 ? v : 0; }

}  // namespace

PrintSetup print_setup_of(const PrintOptions& o) {
  PrintSetup p;
  p.paper_width = size_or(o.paper_width, p.paper_width);
  p.paper_height = size_or(o.paper_height, p.paper_height);
  p.scale = size_or(o.scale, p.scale);
  p.landscape = o.landscape != 0;
  p.colour = o.colour != 0;
  p.margin_top = margin(o.margin_top);
  p.margin_left = margin(o.margin_left);
  p.margin_right = margin(o.margin_right);
  p.margin_bottom = margin(o.margin_bottom);
  return p;
}

void print_frame_size(const PrintSetup& p, double& width, double& height) {
  const double scale = p.scale > 0 ? p.scale : 100;
  width = p.paper_width * scale / 100;  // centimetres on paper to metres of the drawing
  height = p.paper_height * scale / 100;
  if (p.landscape) std::swap(width, height);
}

}  // namespace korav
