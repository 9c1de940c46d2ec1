// Picking one element: the element nearest to a clicked position, scored per kind, among the
// elements the user can reach (current layer, or visible layers when asked for).
#pragma once

#include <functional>
#include <string_view>

#include "model/drawing.h"
#include "model/projection.h"

namespace korav {

struct App;

// Kind codes of pick_element. Codes 1 to 7 pick that element kind only.
enum PickKind : int {
  kPickAny = 0,
  kPickLines = 1,
  kPickCircles = 2,
  kPickTexts = 3,
  kPickDimensions = 4,
  kPickWalls = 5,
  kPickPatterns = 6,
  kPickSplines = 7,
  kPickAnyVisible = 8,  // every kind, on the current and on every shown layer
  kPickLights = 9,
  kPickCameras = 10,  // also on shown layers
  kPickObjects = 11,
  kPickWallsObjects = 12,
  kPickRooms = 13,
};

// Text width as the renderer measures it (metres), for the text base line.
using TextWidthFn = std::function<double(const Text& t, double drawing_scale)>;

// What picking needs to know about the view and the options.
struct PickContext {
  double units_per_pixel = 1.0 / 3000 * 500;  // metres per pixel
  int view = 0;                               // 0 plan, 1 to 9 the 3D views
  ViewCamera camera;                          // of the camera view
  int snap_size = 7;                          // pixels
  bool visible_layers = false;                // selection panel: "Visible layers"
  double drawing_scale = 100;
  TextWidthFn text_width;  // none: texts have no base line to hit
  // Names the measure of text_width, as the drawing's spatial index knows it: the index serves
  // the pick only when it measured its texts the same way.
  const void* text_extent_tag = nullptr;
};

// The best score a candidate must beat, in metres.
inline constexpr double kPickLimit = 100.0;

// True when an element on `layer` takes part in a pick with this kind code.
bool pick_layer_allowed(const Drawing& d, const PickContext& c, int kind_code, int layer);
// True when elements of `type` take part in a pick with this kind code.
bool pick_kind_matches(int kind_code, int type);

// The score of one element for a click at (x, y) (in the current view's coordinates), or
// kPickLimit or more when the click does not hit it. Kind and layer are not checked here.
double pick_score(const Element& e, const PickContext& c, double x, double y);

// The element with the smallest score below kPickLimit; the earlier of equal scores wins.
// nullptr when nothing is hit.
Element* pick_element(const Drawing& d, const PickContext& c, double x, double y, int kind_code);

// True when (x, y) lies inside an outline of sub-polygons ended by separator points (even-odd
// over all sub-polygons; an unterminated last sub-polygon is closed as well).
bool point_in_outline(const Point2* pts, std::uint32_t count, double x, double y);

// The context of the application's canvas: its view, the snap size and the panel's layer
// option.
PickContext pick_context(const App& app);

// The pickers ("Select Wall:", "Select Light:", ...): one pick step (view commands allowed)
// repeated until an element of the kind is hit; nullptr when the request is left otherwise.
// `where` receives the pick position.
Element* pick_with_prompt(App& app, std::string_view prompt, int kind_code,
                          double* where_x = nullptr, double* where_y = nullptr);

}  // namespace korav
