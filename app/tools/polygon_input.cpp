#include "app/tools/polygon_input.h"

#include <cmath>
#include <memory>

#include "app/app.h"
#include "app/point_input.h"
#include "app/tools/tool_steps.h"

namespace korav {

namespace {

bool on_first(const App& app, const std::vector<Point2>& corners, double x, double y) {
  if (corners.empty()) return false;
  const View& v = app.view();
  const double snap = app.drawing.settings.snap.size;
  const double dx = std::fabs(x - corners[0].x), dy = std::fabs(y - corners[0].y);
  if (dx == 0 && dy == 0) return true;
  return v.units_x > 0 && v.units_y > 0 && dx / v.units_x <= snap && dy / v.units_y <= snap;
}

// The outline so far, and from its last corner to (x, y) and back to the first.
void xor_chain(App& app, const std::vector<Point2>& corners, Vec2 to) {
  if (corners.empty()) return;
  for (std::size_t i = 1; i < corners.size(); ++i) xor_segment(app, corners[i - 1], corners[i]);
  xor_segment(app, corners.back(), to);
  if (corners.size() > 1) xor_segment(app, to, corners.front());
}

}  // namespace

std::vector<Point2> polygon_input(App& app, std::size_t max_points) {
  auto corners = std::make_shared<std::vector<Point2>>();
  const std::size_t max_corners = max_points > 1 ? max_points - 1 : 0;
  for (;;) {
    PointRequest r;
    r.view_commands = true;
    r.add_step(kStepPoint,
               "Polygon point:", [corners](App& a, const PointRequest&, double x, double y) {
                 xor_chain(a, *corners, {x, y});
               });
    r.add_step(kStepConfirm,
               "Move/Confirm:", [corners](App& a, const PointRequest& q, double, double) {
                 xor_chain(a, *corners, point(q, 0));
               });
    if (point_input(app, r) != kInputDone) return {};
    const bool closing = on_first(app, *corners, r.x[0], r.y[0]);
    if (closing && corners->size() < 3) continue;  // too few corners to close yet
    if (!closing) corners->push_back({r.x[0], r.y[0], 0});
    if (closing || corners->size() >= max_corners) {
      if (corners->size() < 3) return {};
      std::vector<Point2> out = *corners;
      out.push_back({kSeparator, kSeparator, 0});
      return out;
    }
  }
}

}  // namespace korav
