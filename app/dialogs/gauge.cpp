#include "app/dialogs/gauge.h"

#include <cmath>

#include "model/units.h"

namespace korav {

GaugeReading measure(double x0, double y0, double z0, double x1, double y1, double z1) {
  GaugeReading g;
  g.dx = x1 - x0;
  g.dy = y1 - y0;
  g.dz = z1 - z0;
  g.length = std::sqrt(g.dx * g.dx + g.dy * g.dy + g.dz * g.dz);
  g.angle = std::atan2(g.dy, g.dx);
  if (g.angle < 0) g.angle += 2 * M_PI;
  return g;
}

void fill_gauge(GaugeDialog& g, const GaugeReading& r, const Settings& s) {
  g.values[0] = format_length(r.dx, s);
  g.values[1] = format_length(r.dy, s);
  g.values[2] = format_length(r.dz, s);
  g.values[3] = format_length(r.length, s);
  g.values[4] = format_angle(r.angle, s);
}

}  // namespace korav
