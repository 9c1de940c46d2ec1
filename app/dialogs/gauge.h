// The gauge dialog's data: the distance between two points as the dialog "Gauge" shows it.
// The tool that asks for the points is app/tools/gauge.h.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace korav {

struct Settings;

struct GaugeReading {
  double dx = 0, dy = 0, dz = 0;
  double length = 0;  // 3D distance
  double angle = 0;   // direction from the first to the second point in the plan, radians
};

GaugeReading measure(double x0, double y0, double z0, double x1, double y1, double z1);

// The dialog's rows: labels and the values as the dialog shows them.
inline constexpr std::array<std::string_view, 5> kGaugeRows = {"X-Distance", "Y-Distance",
                                                               "Z-Distance", "Length", "Angle"};

struct GaugeDialog {
  std::array<std::string, 5> values;  // formatted with the drawing's units
};

void fill_gauge(GaugeDialog& g, const GaugeReading& r, const Settings& s);

}  // namespace korav
