// Hidden-line drawing: which edges of which faces come out, how they are cut where nearer faces
// cover them, how pieces join, and that the two ways of finding covering faces agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "model/drawing.h"
#include "model/projection.h"
#include "three_d/hidden_lines.h"
#include "three_d/mesh.h"
#include "three_d/wall_solid.h"

namespace korav {
namespace {

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 v3(const Point3& p) { return {p.x, p.y, p.z}; }

// A scene of 3D objects on layer 0, seen through one view.
struct Scene {
  explicit Scene(int v = kFrontLeftView) : view(v) {}
  ElementStore store;
  Layers layers;
  int view;
  ViewCamera camera;
  HlrOptions options;

  Object3D* add(const Mesh& m, int pen = 2, int line_type = 0, int layer = 0) {
    return store_mesh(store, m, layer, pen, line_type, "Default");
  }
  Projector projector() const { return {view, camera}; }
  HlrScene scene() const { return build_hlr_scene(store, layers, 0, projector(), options); }
  HlrResult run(HlrSearch search = HlrSearch::kGrid) const {
    return hidden_lines(store, layers, 0, projector(), options, {}, search);
  }
};

// Where a drawing point lands in the result (view coordinates times ten).
struct P2 {
  double x = 0, y = 0;
};
P2 shown(const Projector& pr, const Point3& p) {
  const ViewPoint v = pr(p);
  return {v.u * kHlrScale, v.v * kHlrScale};
}

double distance_to_segment(P2 p, P2 a, P2 b) {
  const double ex = b.x - a.x, ey = b.y - a.y;
  const double l2 = ex * ex + ey * ey;
  const double t = std::clamp(l2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / l2 : 0, 0.0, 1.0);
  return std::hypot(a.x + t * ex - p.x, a.y + t * ey - p.y);
}

// The direction a viewer of an orthographic view looks along, in drawing coordinates: the
// direction that keeps u and v and increases the depth.
V3 looking(int view) {
  const ViewPoint o = project_point(view, 0, 0, 0);
  const ViewPoint ex = project_point(view, 1, 0, 0), ey = project_point(view, 0, 1, 0),
                  ez = project_point(view, 0, 0, 1);
  const V3 k = cross({ex.u - o.u, ey.u - o.u, ez.u - o.u}, {ex.v - o.v, ey.v - o.v, ez.v - o.v});
  return dot(k, {ex.depth - o.depth, ey.depth - o.depth, ez.depth - o.depth}) < 0
             ? V3{-k.x, -k.y, -k.z}
             : k;
}

// The edges of the faces of a closed mesh that turn towards the viewer, by their outward
// normals (Newell's normal, turned by the sign of the volume), each edge once.
std::vector<std::pair<P2, P2>> facing_edges(const Mesh& m, int view) {
  const double sign = signed_volume(m) > 0 ? 1 : -1;
  const V3 k = looking(view);
  const Projector pr{view, {}};
  std::set<std::pair<std::uint32_t, std::uint32_t>> seen;
  std::vector<std::pair<P2, P2>> out;
  std::size_t at = 0;
  for (std::uint32_t n : m.face_sizes) {
    V3 normal;
    for (std::uint32_t i = 0; i < n; ++i) {
      const V3 a = v3(m.vertices[m.indices[at + i]]);
      const V3 b = v3(m.vertices[m.indices[at + (i + 1) % n]]);
      normal.x += (a.y - b.y) * (a.z + b.z);
      normal.y += (a.z - b.z) * (a.x + b.x);
      normal.z += (a.x - b.x) * (a.y + b.y);
    }
    if (sign * dot(normal, k) < -1e-9)
      for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t a = m.indices[at + i], b = m.indices[at + (i + 1) % n];
        if (a != b && seen.insert({std::min(a, b), std::max(a, b)}).second)
          out.push_back({shown(pr, m.vertices[a]), shown(pr, m.vertices[b])});
      }
    at += n;
  }
  return out;
}

// True when the whole line lies on the edges given (checked at nine points along it).
bool lies_on(const HlrLine& l, const std::vector<std::pair<P2, P2>>& edges, double tol = 1e-7) {
  for (int i = 0; i <= 8; ++i) {
    const P2 p{l.x1 + i / 8.0 * (l.x2 - l.x1), l.y1 + i / 8.0 * (l.y2 - l.y1)};
    auto near = [&](const auto& e) { return distance_to_segment(p, e.first, e.second) < tol; };
    if (std::none_of(edges.begin(), edges.end(), near)) return false;
  }
  return true;
}

double length(const HlrLine& l) { return std::hypot(l.x2 - l.x1, l.y2 - l.y1); }

// From a corner: six outline and three crease edges, even with hidden edges on (back faces never
// show). Square on: the four edges of one face.
TEST(HiddenLines, ACubeShowsOnlyTheEdgesOfTheFacesTurnedToTheViewer) {
  const Mesh cube = cuboid_mesh(0, 0, 1, 1, 0, 1);
  for (int view : {kPlanView, kFrontView, kLeftView, kRightView, kBackView}) {
    SCOPED_TRACE(view);
    Scene s(view);
    s.add(cube);
    const HlrResult r = s.run();
    EXPECT_EQ(r.lines.size(), 4u);
    const auto near = facing_edges(cube, view);
    for (const HlrLine& l : r.lines) EXPECT_TRUE(lies_on(l, near));
  }
  for (int view : {kFrontLeftView, kFrontRightView, kBackLeftView, kBackRightView}) {
    SCOPED_TRACE(view);
    Scene s(view);
    s.options.silhouettes = 1;
    s.add(cube, 2);
    EXPECT_EQ(s.scene().faces.size(), 3u);
    const auto near = facing_edges(cube, view);
    EXPECT_EQ(near.size(), 9u);
    const HlrResult r = s.run();
    ASSERT_EQ(r.lines.size(), 9u);
    EXPECT_EQ(r.joins, 0);
    int outline = 0, crease = 0;
    for (const HlrLine& l : r.lines) {
      outline += l.pen == 3;
      crease += l.pen == 2;
      EXPECT_EQ(l.line_type, 0);
      EXPECT_TRUE(lies_on(l, near));
    }
    EXPECT_EQ(outline, 6);
    EXPECT_EQ(crease, 3);
    s.options = HlrOptions{};
    s.options.hidden_edges = 1;
    const HlrResult dashed = s.run();
    EXPECT_EQ(dashed.lines.size(), 9u);
    for (const HlrLine& l : dashed.lines) {
      EXPECT_TRUE(lies_on(l, near));
      EXPECT_EQ(l.line_type, 0);
    }
  }
}

TEST(HiddenLines, ANearerCubeHidesPartOfAFartherOneOrShowsItDashed) {
  Scene s(kFrontView);
  s.add(cuboid_mesh(0, 5, 4, 6, 0, 2), 1, 3);  // far
  s.add(cuboid_mesh(1, 0, 2, 1, 1, 3), 4, 0);  // near, over the far box's top edge
  const HlrResult plain = s.run();
  // The far box's top edge z = 2 runs under the near cube from x = 1 to 2: that part is gone.
  double top_visible = 0;
  for (const HlrLine& l : plain.lines) {
    EXPECT_NE(l.line_type, 1);
    if (l.pen == 1 && std::fabs(l.y1 - 20) < 1e-9 && std::fabs(l.y2 - 20) < 1e-9)
      top_visible += length(l);
  }
  EXPECT_NEAR(top_visible, 30, 1e-9);
  // An outline behind an edge does not cut it (the pieces would join again, and be counted).
  EXPECT_EQ(plain.joins, 0);
  EXPECT_EQ(plain.lines.size(), 4u + 4 + 1);

  s.options.hidden_edges = 1;
  const HlrResult dashed = s.run();
  double hidden = 0;
  for (const HlrLine& l : dashed.lines)
    if (l.line_type == 1) {
      EXPECT_EQ(l.pen, 1);
      hidden += length(l);
    }
  EXPECT_NEAR(hidden, 10, 1e-9);  // only the top edge from x = 1 to 2 lies under the near cube
  EXPECT_GT(dashed.lines.size(), plain.lines.size());
}

TEST(HiddenLines, ASphereWithSmoothingShowsOnlyItsOutline) {
  Scene s(kFrontView);
  const double r = 2;
  s.add(sphere_mesh(1, 3, 4, r));
  s.options.smoothing = 1;
  const HlrResult smooth = s.run();
  // The outline is the meridian in the x-z plane: 12 bands on each side.
  EXPECT_EQ(smooth.lines.size() + smooth.joins, 24u);
  for (const HlrLine& l : smooth.lines) {
    EXPECT_NEAR(std::hypot(l.x1 - 10, l.y1 - 40), 10 * r, 1e-9);
    EXPECT_NEAR(std::hypot(l.x2 - 10, l.y2 - 40), 10 * r, 1e-9);
  }
}

TEST(HiddenLines, TheSmoothingAngleDecidesWhichCreasesStay) {
  // A tube of 8 divisions turns by 45 degrees from side to side.
  Scene s(kFrontView);
  s.add(frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 1, 8));
  s.options.smoothing = 1;
  const HlrResult at_25 = s.run();
  s.options.smoothing_angle = 50 * std::numbers::pi / 180;
  const HlrResult at_50 = s.run();
  // Four near sides: two outline sides, four top and four bottom edges, and three creases,
  // which go at 50 degrees.
  EXPECT_EQ(at_25.lines.size() + at_25.joins, 13u);
  EXPECT_EQ(at_50.lines.size() + at_50.joins, 10u);
  for (const HlrLine& l : at_50.lines) {
    const bool side = std::fabs(std::fabs(l.x1) - 10) < 1e-6 && std::fabs(l.x1 - l.x2) < 1e-9;
    const bool cap = std::fabs(l.y1 - l.y2) < 1e-9 &&
                     (std::fabs(l.y1) < 1e-9 || std::fabs(l.y1 - 20) < 1e-9);
    EXPECT_TRUE(side || cap) << l.x1 << "," << l.y1 << " " << l.x2 << "," << l.y2;
  }
}

TEST(HiddenLines, TwoCollinearVisiblePiecesBecomeOneLine) {
  // A flat triangle in front of a box touches the box's top edge with one corner: the edge is
  // split there, and both halves join again.
  Scene s(kFrontView);
  s.add(cuboid_mesh(0, 2, 4, 3, 0, 1));
  Mesh tri;
  tri.add_vertex(2, 0, 1);
  tri.add_vertex(3, 0, 2);
  tri.add_vertex(1, 0, 2);
  tri.add_face({0, 1, 2});
  tri.add_face({2, 1, 0});
  s.add(tri);
  const HlrResult r = s.run();
  EXPECT_EQ(r.joins, 1);
  EXPECT_EQ(r.lines.size(), 7u);
  int whole_top = 0;
  for (const HlrLine& l : r.lines)
    whole_top += std::fabs(std::fabs(l.x2 - l.x1) - 40) < 1e-9 && std::fabs(l.y1 - 10) < 1e-9 &&
                 std::fabs(l.y2 - 10) < 1e-9;
  EXPECT_EQ(whole_top, 1);
  s.options.hidden_edges = 1;  // nothing covers either half
  EXPECT_EQ(s.run().joins, 1);
}

TEST(HiddenLines, NothingBehindTheCameraIsDrawn) {
  Scene s(kCameraView);  // the default camera at (0, -10, 1.6) looking along +y
  s.add(cuboid_mesh(-1, -25, 1, -20, 0, 2));
  EXPECT_TRUE(s.scene().faces.empty());
  EXPECT_TRUE(s.run().lines.empty());
  // Half through the eye's plane: the faces with a point behind the eye are left out.
  s.add(cuboid_mesh(-1, -12, 1, -5, 0, 1));
  for (const HlrLine& l : s.run().lines)
    for (double v : {l.x1, l.y1, l.x2, l.y2}) EXPECT_LT(std::fabs(v), 900);
  Scene t(kCameraView);
  t.add(cuboid_mesh(-1, 0, 1, 2, 0, 1));
  EXPECT_FALSE(t.run().lines.empty());
}

TEST(HiddenLines, EveryKindOfSolidHidesItsFarSide) {
  Drawing walls;
  const Wall* w = add_wall(walls, WallPreset{}, axis_footprint({0, 0}, {4, 1}, 0.3));
  ASSERT_NE(w, nullptr);
  const Mesh wall = wall_mesh(*w);
  const Point2 pentagon[5] = {{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {1, 2.5, 0}, {-1, 1, 0}};
  const Point2 ell[6] = {{0, 0, 0}, {3, 0, 0}, {3, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
  const Point2 square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  struct Case {
    const char* name;
    Mesh mesh;
    bool convex;
  };
  const Case cases[] = {
      {"cuboid", cuboid_mesh(0, 0, 2, 1, 0, 3), true},
      {"sphere", sphere_mesh(0, 0, 1, 1), true},
      {"tube", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 1, 12), true},
      {"tube on its side", frustum_mesh({0, 0, 1}, {3, 1, 1}, 1, 1, 10), true},
      {"cone", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 0, 9), true},
      {"cut cone", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1.5, 0.5, 16), true},
      {"prism", prism_mesh(normalise_polygon(square), 0, 2), true},
      {"polygon prism", prism_mesh(normalise_polygon(pentagon), 0, 1.5), true},
      {"L-shaped prism", prism_mesh(normalise_polygon(ell), 0, 1), false},
      {"wall solid", wall, true},
  };
  for (int view : {kFrontLeftView, kFrontRightView, kBackLeftView, kBackRightView, kFrontView}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " in view " + std::to_string(view));
      Scene s(view);
      s.add(c.mesh);
      const HlrResult r = s.run();
      const auto near = facing_edges(c.mesh, view);
      ASSERT_FALSE(near.empty());
      EXPECT_FALSE(r.lines.empty());
      for (const HlrLine& l : r.lines) EXPECT_TRUE(lies_on(l, near));
      // A convex solid covers none of its own near edges: each comes out whole.
      if (c.convex) {
        EXPECT_EQ(r.lines.size() + r.joins, near.size());
      }
    }
  }
}

// A wall's side is split into flat pieces round its openings and under its gable; only its
// outline and the openings' edges show, never the seams between the pieces.
TEST(HiddenLines, FlatSidesOfWallSolidsShowNoSeams) {
  Drawing d;
  WallPreset preset;
  preset.thickness = 0.3;
  preset.height = 2.5;
  Wall* w = add_wall(d, preset, axis_footprint({0, 0}, {4, 0}, 0.3));
  ASSERT_NE(w, nullptr);
  OpeningPreset window;
  window.base = 1;
  window.height = 1.2;
  window.stop_width = window.stop_depth = 0;
  w = insert_opening(d, *w, *place_opening(*w, {1, 0}, {2.5, 0}, {1, -5}, window, 3));
  ASSERT_NE(w, nullptr);
  Wall gable = *w;
  gable.opening_count = 0;
  gable.gable = 1;
  gable.gable_point[0] = {2, -0.15, 4, 0};
  gable.gable_point[1] = {2, 0.15, 4, 0};
  struct Case {
    const char* name;
    Mesh mesh;
    double length;  // of everything drawn, in the result's units (ten times metres)
  };
  const Case cases[] = {
      {"wall with a window", wall_mesh(*w), 10 * (2 * (4 + 2.5) + 2 * (1.5 + 1.2))},
      {"gable wall", wall_mesh(gable), 10 * (4 + 2 * 2.5 + 2 * std::hypot(2.0, 1.5))},
  };
  for (const Case& c : cases)
    for (int view : {kFrontView, kBackView}) {
      SCOPED_TRACE(std::string(c.name) + " in view " + std::to_string(view));
      Scene s(view);
      s.add(c.mesh);
      double total = 0;
      for (const HlrLine& l : s.run().lines) total += length(l);
      EXPECT_NEAR(total, c.length, 1e-6);
    }
}

TEST(HiddenLines, AnOpenSurfaceKeepsItsStoredOrder) {
  // One quad far above the origin: its "volume" against the origin is not zero, but an open
  // surface says nothing about an outside.
  Mesh down, up;
  for (Mesh* m : {&down, &up})
    for (auto [x, y] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) m->add_vertex(x, y, 5);
  down.add_face({0, 1, 2, 3});  // clockwise seen from above
  up.add_face({3, 2, 1, 0});
  ASSERT_GT(signed_volume(up), 0);
  Scene a(kPlanView), b(kPlanView);
  a.add(down);
  b.add(up);
  EXPECT_EQ(a.run().lines.size(), 4u);
  EXPECT_TRUE(b.run().lines.empty());
  // The flat polygon has both sides: one of them always faces the viewer.
  Scene c(kFrontLeftView);
  c.add(polygon_mesh(normalise_polygon(std::vector<Point2>{{0, 0, 0}, {2, 0, 0}, {1, 1, 0}}), 1));
  EXPECT_EQ(c.run().lines.size(), 3u);
}

TEST(HiddenLines, PensFromColoursAndSilhouettes) {
  Scene s;
  s.add(cuboid_mesh(0, 0, 1, 1, 0, 1), 5, 2);
  s.options.colors = 1;
  for (const HlrLine& l : s.run().lines) {
    EXPECT_EQ(l.pen, 0);
    EXPECT_EQ(l.line_type, 2);
  }
  s.options.silhouettes = 1;
  std::set<int> pens;
  for (const HlrLine& l : s.run().lines) pens.insert(l.pen);
  EXPECT_EQ(pens, (std::set<int>{0, 1}));
  // The last pen wraps round; the guide pen stays.
  EXPECT_EQ(silhouette_pen(3), 4);
  EXPECT_EQ(silhouette_pen(7), 0);
  EXPECT_EQ(silhouette_pen(kGuidePen), kGuidePen);
}

TEST(HiddenLines, ScopeIsTheCurrentShownAndTemporaryLayers) {
  Scene s;
  s.add(cuboid_mesh(0, 0, 1, 1, 0, 1), 1, 0, 0);
  s.add(cuboid_mesh(3, 0, 4, 1, 0, 1), 1, 0, 5);  // hidden layer
  s.add(cuboid_mesh(6, 0, 7, 1, 0, 1), 1, 0, kTempLayer);
  EXPECT_EQ(s.run().lines.size(), 18u);
  s.layers.layer[5].state = 1;
  EXPECT_EQ(s.run().lines.size(), 27u);
}

TEST(HiddenLines, TheExtentIsTheBoxOfTheFrontFaces) {
  Scene s(kFrontView);
  s.add(cuboid_mesh(-1, 0, 2, 1, 0.5, 3));
  const HlrScene scene = s.scene();
  ASSERT_TRUE(scene.has_extent);
  EXPECT_DOUBLE_EQ(scene.min_x, -10);
  EXPECT_DOUBLE_EQ(scene.max_x, 20);
  EXPECT_DOUBLE_EQ(scene.min_y, 5);
  EXPECT_DOUBLE_EQ(scene.max_y, 30);
  EXPECT_FALSE(Scene().scene().has_extent);
}

TEST(HiddenLines, ProgressComesEveryHundredFaces) {
  Scene s(kFrontView);
  for (int i = 0; i < 3; ++i) s.add(sphere_mesh(3 * i, 0, 0, 1));  // 3 x 144 front faces
  std::vector<double> seen;
  const HlrScene scene = s.scene();
  ASSERT_EQ(scene.faces.size(), 432u);
  trace_hlr_lines(scene, s.options, [&](double f) { seen.push_back(f); });
  ASSERT_EQ(seen.size(), 6u);  // at 0, 100, 200, 300, 400 faces and at the end
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_DOUBLE_EQ(seen.back(), 1.0);
}

TEST(HiddenLines, DamagedMeshesAreSkippedWithoutHarm) {
  Scene s;
  // A face with an index past the vertices, a face of two corners and a vertex that is not a
  // number: the sound faces still come out.
  Mesh m = cuboid_mesh(0, 0, 1, 1, 0, 1);
  m.add_vertex(std::nan(""), 0, 0);
  m.add_face({0, 1, 8});
  m.add_face({0, 1});
  m.add_face({2, 3, 4});
  Object3D* o = s.add(m);
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->index_count, 32u);
  o->indices()[30] = 99;  // the last face now names a vertex that is not there
  EXPECT_EQ(s.run().lines.size(), 9u);
  // A record whose counts claim more than it holds is left out.
  Object3D* bad = s.add(cuboid_mesh(5, 5, 6, 6, 0, 1));
  ASSERT_NE(bad, nullptr);
  bad->vertex_count += 1000;
  EXPECT_EQ(s.run().lines.size(), 9u);
}

// Random overlapping scenes in every view: the grid finds the same covering faces as the
// sorted walk, so the lines are the same to the last bit.
TEST(HiddenLines, TheGridGivesTheSameLinesAsTheSortedWalk) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> pos(-4, 4), size(0.2, 2.5);
  for (int round = 0; round < 12; ++round) {
    Scene s(round % 10);
    s.camera = view_camera(-3, -15, 4, 0, 0, 1, 60);
    s.options.hidden_edges = round % 2;
    s.options.smoothing = round % 3 == 0;
    s.options.silhouettes = round % 4 == 1;
    for (int i = 0; i < 12; ++i) {
      const double x = pos(rng), y = pos(rng), z = pos(rng) / 2;
      switch (i % 4) {
        case 0: s.add(cuboid_mesh(x, y, x + size(rng), y + size(rng), z, z + size(rng)), i % 8); break;
        case 1: s.add(sphere_mesh(x, y, z, size(rng) / 2), i % 8); break;
        case 2: s.add(frustum_mesh({x, y, z}, {x + pos(rng) / 3, y, z + size(rng)}, size(rng) / 2,
                                   size(rng) / 3, 5 + i)); break;
        default: s.add(frustum_mesh({x, y, z}, {x, y + 1, z + size(rng)}, size(rng) / 2, 0, 7)); break;
      }
    }
    SCOPED_TRACE(round);
    const HlrResult walk = s.run(HlrSearch::kSortedWalk);
    const HlrResult grid = s.run(HlrSearch::kGrid);
    EXPECT_FALSE(walk.lines.empty());
    ASSERT_EQ(walk.lines.size(), grid.lines.size());
    EXPECT_EQ(walk.joins, grid.joins);
    for (std::size_t i = 0; i < walk.lines.size(); ++i) {
      const HlrLine& a = walk.lines[i];
      const HlrLine& b = grid.lines[i];
      EXPECT_TRUE(a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
                  a.pen == b.pen && a.line_type == b.line_type)
          << i;
    }
  }
}

}  // namespace
}  // namespace korav
