// Hidden-line drawing: the 3D objects of a drawing as seen in one view, turned into flat line
// pieces with the hidden parts removed (or kept apart as hidden), ready to become 2D lines.
//
// The work runs in two stages so that the caller can set up its window between them:
// `build_hlr_scene` projects every vertex (view coordinates times ten), keeps the faces that
// face the viewer, sorts them by their nearest depth and sorts their edges into outline edges,
// creases and edges that are not drawn; `trace_hlr_lines` then cuts each drawn edge where an
// outline of a nearer face crosses it and keeps the pieces whose midpoint no nearer face covers.
//
// Which side of a face is its front comes from the object's orientation: a closed object whose
// faces run counter-clockwise seen from outside (positive signed volume) has its front test
// turned round, so that cuboids, spheres, prisms, tubes, cones, wall solids and imported meshes
// all hide their far side. Open objects and objects without volume keep the stored order.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/layers.h"
#include "model/projection.h"
#include "model/store.h"

namespace korav {

inline constexpr double kDefaultSmoothingAngle = 0.4363323129985824;  // 25 degrees
// The factor between view coordinates and the coordinates of the result.
inline constexpr double kHlrScale = 10;

struct HlrOptions {
  std::int32_t colors = 0;        // 0 each object's pen, 1 one pen (pen 0) for everything
  std::int32_t silhouettes = 0;   // 1: outline edges with the next pen, creases with the pen
  std::int32_t hidden_edges = 0;  // 1: hidden pieces are kept too, with line type 1
  std::int32_t smoothing = 0;     // 1: edges between faces at a small angle are not drawn
  double smoothing_angle = kDefaultSmoothingAngle;  // radians
};

// Edge states.
inline constexpr std::int8_t kEdgeUnclassified = -1;
inline constexpr std::int8_t kEdgeNotDrawn = 0;
inline constexpr std::int8_t kEdgeCrease = 1;
inline constexpr std::int8_t kEdgeOutline = 2;

struct HlrPoint {
  double x = 0, y = 0, depth = 0;
};

// A face that faces the viewer.
struct HlrFace {
  std::uint32_t object = 0;  // index into HlrScene::objects
  std::uint32_t first = 0;   // its vertex indices: HlrScene::corners[first .. first + count)
  std::uint32_t count = 0;
  double min_x = 0, min_y = 0, min_depth = 0, max_x = 0, max_y = 0, max_depth = 0;
  // The plane through the projected corners as depth = d0 + dx * x + dy * y.
  double d0 = 0, dx = 0, dy = 0;
  double normal[3] = {0, 0, 0};  // the world-space normal (Newell), unit length when not tiny
  double depth_at(double x, double y) const { return d0 + dx * x + dy * y; }
};

struct HlrObject {
  int pen = 0;
  int line_type = 0;
  std::uint32_t first_vertex = 0;  // into HlrScene::points
  std::uint32_t vertex_count = 0;
  bool faces_inwards = false;  // the stored order is turned round for the front test
};

struct HlrScene {
  std::vector<HlrObject> objects;
  std::vector<HlrPoint> points;        // projected vertices of every object, times ten
  std::vector<std::uint32_t> corners;  // the front faces' vertices, indices into `points`
  std::vector<std::int8_t> edge_state;  // one per corner: the edge from it to the next corner
  std::vector<HlrFace> faces;           // the front faces by increasing minimum depth
  // The 2D box of all front faces (empty when there are none).
  bool has_extent = false;
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
};

// The objects taking part: every 3D object on the current layer, on a shown layer or on the
// temporary layer of wall solids. Faces with an index past the vertices are left out.
HlrScene build_hlr_scene(const ElementStore& store, const Layers& layers, int current_layer,
                         const Projector& view, const HlrOptions& options);

struct HlrLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int pen = 0;
  int line_type = 0;
};

struct HlrResult {
  std::vector<HlrLine> lines;
  int joins = 0;  // pieces that extended the line before them instead of making a new one
};

// How the faces that may cover an edge are found: by walking the sorted faces, or through a
// grid over the faces' 2D boxes. Both give the same lines.
enum class HlrSearch { kSortedWalk, kGrid };

// Called with the fraction done, every 100 faces.
using HlrProgress = std::function<void(double fraction)>;

HlrResult trace_hlr_lines(const HlrScene& scene, const HlrOptions& options,
                          const HlrProgress& progress = {}, HlrSearch search = HlrSearch::kGrid);

// Both stages.
HlrResult hidden_lines(const ElementStore& store, const Layers& layers, int current_layer,
                       const Projector& view, const HlrOptions& options,
                       const HlrProgress& progress = {}, HlrSearch search = HlrSearch::kGrid);

// The pen of outline edges with "Silhouettes" on: the next pen of the table (the last wraps
// round to the first); a pen outside the table (the guide pen) stays.
int silhouette_pen(int pen);

}  // namespace korav
