#include "exchange/scene_camera.h"

#include <cmath>

#include "model/drawing.h"

namespace korav {

ViewCamera scene_camera(const Drawing& d) {
  ViewCamera c = d.camera;
  for (const Element& e : d.store.list)
    if (const auto* cam = as<Camera>(&e); cam && cam->active == 1) {
      c = view_camera(*cam);
      break;
    }
  auto finite = [](double a, double b, double e) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(e);
  };
  if (!finite(c.eye_x, c.eye_y, c.eye_z)) c = ViewCamera{};
  if (!finite(c.target_x, c.target_y, c.target_z) ||
      (c.target_x == c.eye_x && c.target_y == c.eye_y && c.target_z == c.eye_z)) {
    c.target_x = c.eye_x;
    c.target_y = c.eye_y + 1;
    c.target_z = c.eye_z;
  }
  // Straight up or down the renderers have no "up" to turn the picture by: lean a little.
  if (std::fabs(c.target_x - c.eye_x) < 1e-9 && std::fabs(c.target_y - c.eye_y) < 1e-9)
    c.target_y += 1e-3 * std::fmax(1.0, std::fabs(c.target_z - c.eye_z));
  if (!(c.lens > 0) || !std::isfinite(c.lens)) c.lens = 60;
  return c;
}

}  // namespace korav
