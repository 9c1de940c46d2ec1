// Snap-to: every click that point input takes as a point goes through snap_point first. With
// snapping on, the click is replaced by the first characteristic point of the drawing (an end
// point, a centre, a crossing ...) found in a small square around it; otherwise it is mapped
// into the current view. The special snaps i, m, d and t construct a point through their own
// nested requests.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "model/projection.h"

#include "draft/geometry.h"
#include "model/drawing.h"

namespace korav {

struct App;
struct PointRequest;

struct SnapResult {
  int code = 0;  // 0 the click is not taken, 1 taken as mapped, 2 replaced by an existing point
  double x = 0, y = 0, z = 0;
};

// (x, y) is the world position of the click in the current view's own coordinates.
SnapResult snap_point(App& app, const PointRequest& r, double x, double y);

enum class SpecialSnap {
  kNotAvailable,  // nothing happened
  kTaken,         // the produced point is the next point of `r` (step and count advanced)
  kCancelled,     // a nested request was cancelled: the outer request ends with result 1
};

// "z_snap_i", "z_snap_m", "z_snap_d", "z_snap_t" from a point step of `r`.
SpecialSnap special_snap(App& app, PointRequest& r, std::string_view command);

// The variables of the dialog "Snap" ("Snap/Snap size", "Snap/End points", ...).
void register_snap_variables(App& app);

// ---- The search ----------------------------------------------------------------------------

// The nine switches of the snap settings, in the order they are stored.
enum SnapSwitch : int {
  kSnapEndPoints = 0,
  kSnapLineIntersections = 1,
  kSnapCenterPoints = 2,
  kSnapTextPoints = 3,
  kSnapCircleCenters = 4,
  kSnapArcEndPoints = 5,
  kSnapCircleIntersections = 6,
  kSnapPolygonPoints = 7,
  kSnapMeasuringPoints = 8,
};

inline constexpr int kDefaultSnapSize = 7;
inline constexpr int kMinSnapSize = 2;
inline constexpr int kMaxSnapSize = 12;

// The snap size in pixels, within 2 to 12 (the default for a value out of range, as a damaged
// settings file may hold).
int snap_size_pixels(const SnapSettings& s);

enum SnapCode : int {
  kSnapRejected = 0,  // the click is not taken (an axonometric view and nothing found)
  kSnapClick = 1,     // the click itself, mapped into the view
  kSnapPoint = 2,     // an existing point replaced the click
};

// What the snap found, for the preview mark of the cursor.
enum SnapFound : int { kFoundNothing = 0, kFoundPoint = 1, kFoundCentre = 2, kFoundCrossing = 3 };

struct SnapQuery {
  double x = 0, y = 0;                    // the click in the current view's coordinates
  double units_x = 0.01, units_y = 0.01;  // metres per pixel
  int view = 0;                           // 0 plan, 1 to 9 the 3D views
  ViewCamera camera;                      // of the camera view
  bool on = true;                         // the tool-bar toggle "Snap"
  SnapSettings settings;
};

struct SnapHit {
  int code = kSnapRejected;
  double x = 0, y = 0, z = 0;
  int found = kFoundNothing;
};

// The snap routine: the points already taken in the request come first, then the elements on
// the current or a shown layer in store order (no search for the nearest: store order
// decides), then line intersections and centre points (plan view); with nothing found, or
// snapping off, the click mapped into the view. In the plan view a found point has z = 0; in
// the 3D views points are tested in their projection and keep their own coordinates.
SnapHit find_snap(const Drawing& d, const SnapQuery& q, std::span<const Point3> request_points);

// The query for a click at (x, y) with the application's view, settings and snap toggle.
SnapQuery snap_query(const App& app, double x, double y);

// ---- Snap preview --------------------------------------------------------------------------

// The walk of the input timer over the elements: restarted when the pointer moves, continued
// on every tick for a limited time. Only the candidate points of each element itself are
// looked at (crossings need the whole drawing and are left to the click).
struct SnapPreview {
  double x = 0, y = 0;  // the pointer position the walk is for
  bool started = false;
  bool done = false;
  const Element* next = nullptr;  // the next element in store order
  std::uint64_t revision = 0;     // the walk restarts when the store's links changed
  SnapHit hit;                    // what was found (found = kFoundNothing while nothing is)
};

// One tick: restarts the walk when (q.x, q.y) differs from the preview's position or the store
// changed, then walks on until a candidate is found, the store ends or `budget` has passed.
// Returns true when the found kind changed (the cursor must be redrawn).
bool snap_preview_tick(const Drawing& d, const SnapQuery& q, SnapPreview& p,
                       std::chrono::microseconds budget = std::chrono::microseconds(1500));

// ---- Constructed points of the special snaps ------------------------------------------------

// "i": the crossing of two elements (Lines as infinite lines, Circles as their whole curves, two
// circles only when both are true circles); of two crossings the one nearer to `near`.
std::optional<Vec2> element_intersection(const Element& a, const Element& b, Vec2 near);
// "d": p1 + (p2 - p1) / divisions * number; none for divisions below 1.
std::optional<Point3> dividing_point(const Point3& p1, const Point3& p2, int divisions, int number);
// "t": the tangent point on the circle as seen from `from` (tangent length sqrt(d² - r²)); of
// the two the one nearer to `near`; none when `from` lies inside the circle.
std::optional<Vec2> tangent_point(Vec2 from, const Circle& c, Vec2 near);

}  // namespace korav
