// The output driver: the seven drawing operations every element is reduced to, and the
// vector-output flag. The screen installs its set (render/screen_output.h); the file writers
// install theirs while they walk the drawing, and the screen set is put back afterwards. The
// table is always replaced as a whole.
//
// Coordinates are world coordinates (metres). Each operation receives the renderer, which holds
// the colour class of the element being drawn, the drawing and, in `driver.context`, whatever
// the installed driver keeps for itself. An operation left empty draws nothing.
#pragma once

#include <string_view>

#include "model/element.h"

namespace korav {

struct Renderer;

// Arguments of the text operation: texts, dimension figures and room labels.
struct TextRun {
  int pen = 0;
  int line_type = 0;
  double x = 0, y = 0;
  double angle = 0;
  double height = 0;  // mm on paper
  double width_factor = 1;
  double spacing = 0;
  double line_spacing = 0;
  std::string_view font;
  std::string_view text;
  int align = 0;            // 0 left, 1 right, 2 centred, 3 justified
  double fitted_width = 0;  // metres, justified texts
  bool guide_cross = true;  // a text's insertion point shows with the guide points; a figure's not
};

struct OutputDriver {
  void* context = nullptr;  // the driver's own state
  void (*line)(Renderer& r, int pen, int line_type, double x1, double y1, double x2,
               double y2) = nullptr;
  // Circles, arcs and ellipses: centre, radius a (along the rotated axis), radius b, sweep,
  // start angle and rotation, all angles in radians.
  void (*arc)(Renderer& r, int pen, int line_type, double cx, double cy, double a, double b,
              double sweep, double start, double rotation) = nullptr;
  // Cubic Bezier: start point, two control points, end point.
  void (*spline)(Renderer& r, int pen, int line_type, const Point2& p0, const Point2& p1,
                 const Point2& p2, const Point2& p3) = nullptr;
  void (*text)(Renderer& r, const TextRun& run) = nullptr;
  void (*dimension)(Renderer& r, const Dimension& d) = nullptr;
  void (*room)(Renderer& r, const Room& room) = nullptr;
  // Patterns of fill kind 3.
  void (*fill)(Renderer& r, const Pattern& p) = nullptr;
  // Set by every file writer: curves get twice as many chords, no guide marks are drawn.
  bool vector_output = false;
};

}  // namespace korav
