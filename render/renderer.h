// The element renderer: `draw_element` reduces one element to calls of the installed output
// driver, with a colour class derived from the draw mode, the element's layer and its selection
// flag; `redraw` draws the whole drawing onto the current surface.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/pens.h"
#include "render/output_driver.h"
#include "render/projection_drawing.h"
#include "render/surface.h"

namespace korav {

struct Drawing;
struct FontTable;

enum DrawMode : int {
  kDrawNormal = 0,
  kDrawErase = 2,
  kDrawHighlight = 3,
  kDrawForceNormal = 4,
};

enum class ColourClass {
  kNormal,       // on the active layer: pen + 3
  kOtherLayer,   // on another layer: pen + 11 (faded)
  kHighlight,    // selected, or highlight mode: colour 1
  kErase,        // erase mode: colour 0
  kForceNormal,  // pen + 3 even on another layer
};

struct Renderer;
// Draws elements that belong to the 3D views (all elements in a 3D view; 3D lines, 3D objects,
// cameras and lights in the plan view); draw_projected unless a test puts its own.
using ProjectionDrawer = void (*)(Renderer& r, const Element& e, int pen, int line_type,
                                  bool marks_visible);
// Hatches a pattern: routine 0 the first line family, 1 the second, 2 the point hatch.
// install_screen_driver installs the pattern module's (render/hatch.h).
using PatternHatcher = void (*)(Renderer& r, const Pattern& p, int routine);

struct Renderer {
  OutputDriver driver;                        // replaced as a whole
  Screen* screen = nullptr;                   // the surfaces the screen operations draw on
  const Drawing* drawing = nullptr;           // the drawing being drawn, set by draw_element
  ColourClass colour = ColourClass::kNormal;  // of the element being drawn
  bool marks_visible = true;
  int view_number = 0;                 // 0 the plan view, 1 to 9 the 3D views
  ProjectionDrawer project = draw_projected;
  PatternHatcher hatch = nullptr;      // until the pattern module installs it, nothing is drawn
  FontTable* fonts = nullptr;          // the texts' fonts; without a table texts draw nothing
  std::vector<std::uint64_t> edge_scratch;  // the projection drawer's working space
  // The pens' last pixel widths with exact thickness (line_pixel_width) and what each was
  // worked out from: view units per pixel, drawing scale and the pen's thickness.
  struct PenPixels {
    double units = 0, scale = 0, thickness = 0;
    int pixels = -1;
  };
  std::array<PenPixels, kPenCount> pen_pixels{};
};

// The screen and the renderer drawing on it, as the shell owns them: the screen operations are
// installed from the start.
struct Display {
  Screen screen;
  Renderer renderer;
  Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;
};

ColourClass colour_class(int current_layer, const Element& e, int mode);
// The colour index lines of a pen get in a colour class; the guide pen draws in colour 2 unless
// the element is highlighted or erased.
int colour_index(ColourClass c, int pen);

// Draws one element in a draw mode; elements on hidden layers draw nothing.
void draw_element(Renderer& r, const Drawing& d, const Element& e, int mode);
// Clears the current surface, draws every element in normal mode and presents it. Takes the
// display settings (colours, all-black switch, aspect) first.
void redraw(Renderer& r, Screen& s, const Drawing& d);

// A cross of 2 pixels each way in the guide pen; in the erase colour when not visible.
void draw_point_mark(Renderer& r, double x, double y, bool visible);
// A cross of 1 pixel each way in the guide pen; not drawn on vector output.
void draw_guide_cross(Renderer& r, double x, double y);

// Installs the screen operations for the given screen (clearing the vector-output flag).
void install_screen_driver(Renderer& r, Screen& s);

}  // namespace korav
