// The renderer's run for a vector output: the element renderer of the plan view over the marked
// elements (selection flag set), with the screen's operations replaced by the output's own.
// The dimension and room operations stay the renderer's (they draw through the line and text
// operations); hatches arrive as lines, fillings at the fill operation, texts as strokes
// through the line operation unless the output installs its own text operation.
//
// A stand-in screen gives the operations that want one (an ellipse drawn as chords) a view
// whose pixel is one unit of the output, at the drawing scale.
#pragma once

#include <memory>
#include <string_view>

#include "render/renderer.h"
#include "render/surface.h"

namespace korav {

struct Drawing;
struct FontTable;

class ExportPass {
 public:
  // `world_per_unit`: metres of the drawing per unit of the output (a point, a pixel).
  ExportPass(const Drawing& d, FontTable* fonts, double world_per_unit);
  ExportPass(const ExportPass&) = delete;
  ExportPass& operator=(const ExportPass&) = delete;

  // The operations: line, arc, spline, text and fill are empty until the output sets them;
  // text defaults to the stroke text (render/text_drawing.h).
  OutputDriver& driver() { return renderer_.driver; }
  Renderer& renderer() { return renderer_; }
  // The stand-in view's world box (some operations skip what lies outside it).
  void set_window(double xmin, double ymin, double xmax, double ymax);
  // Draws every marked element.
  void run();

 private:
  const Drawing& drawing_;
  std::unique_ptr<Screen> screen_;
  Renderer renderer_;
};

// Texts written as text of the output's own font: where each line of the run starts. The
// first starts at the anchor, moved back along the base line by the text's width for right
// alignment and by half of it for centred texts; each further line starts line spacing x
// height below the one before. Calls f(line, x, y) for each line (split at line feeds).
struct TextStart {
  double x = 0, y = 0;
  double step_x = 0, step_y = 0;  // to the next line's start
};
TextStart text_start(const Renderer& r, const TextRun& run);
template <class F>
void for_each_text_line(const Renderer& r, const TextRun& run, F f) {
  TextStart s = text_start(r, run);
  std::string_view text = run.text;
  while (true) {
    const std::size_t lf = text.find('\n');
    f(text.substr(0, lf), s.x, s.y);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
    s.x += s.step_x;
    s.y += s.step_y;
  }
}

// How far from its anchor a text's ink may reach, in metres: its width and the height of all
// its lines. A text is written when the square of that reach about its anchor overlaps the
// export rectangle (its anchor alone may lie just outside the ink's extent).
double text_reach(const Renderer& r, const TextRun& run);

// Whether any element carries the selection flag.
bool any_marked(const Drawing& d);

// The colour fraction 0-1 as a byte, truncated, and held within 0-255 (a damaged pen's
// colour may lie outside).
int colour_byte(double fraction);

}  // namespace korav
