#include "render/room_drawing.h"

#include <cmath>
#include <string>
#include <vector>

#include "model/drawing.h"
#include "model/element_points.h"
#include "model/room_measure.h"
#include "render/renderer.h"

namespace korav {

void draw_room_strokes(Renderer& r, const Room& room) {
  if (!r.drawing || !tail_intact(room)) return;
  const Settings& s = r.drawing->settings;
  if (s.view.room_borders && r.driver.line) {
    const auto pts = outline_points(room);
    std::size_t from = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      if (!is_separator(pts[i])) continue;
      for (std::size_t k = from; k + 1 < i; ++k)
        r.driver.line(r, room.pen, room.line_type, pts[k].x, pts[k].y, pts[k + 1].x, pts[k + 1].y);
      if (i - from >= 2)
        r.driver.line(r, room.pen, room.line_type, pts[i - 1].x, pts[i - 1].y, pts[from].x,
                      pts[from].y);
      from = i + 1;
    }
  }
  if (!r.driver.text) return;
  thread_local std::vector<std::string> lines;
  room_inscription(room, s.room_text, lines);
  const double step = room.line_spacing * room.height * s.drawing_scale / 1000;
  if (!std::isfinite(step)) return;
  double x = room.pos.x, y = room.pos.y;
  for (const std::string& l : lines) {
    if (!l.empty()) {
      TextRun t;
      t.pen = room.pen;
      t.line_type = room.line_type;
      t.x = x;
      t.y = y;
      t.angle = room.angle;
      t.height = room.height;
      t.width_factor = room.width_factor;
      t.spacing = room.spacing;
      t.line_spacing = room.line_spacing;
      t.font = room.font.view();
      t.text = l;
      t.guide_cross = false;
      r.driver.text(r, t);
    }
    x += std::sin(room.angle) * step;
    y -= std::cos(room.angle) * step;
  }
}

}  // namespace korav
