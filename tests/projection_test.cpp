// The views' projection and the 3D projection drawer.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "model/drawing.h"
#include "model/projection.h"
#include "render/renderer.h"
#include "three_d/mesh.h"

namespace korav {
namespace {

TEST(Projection, TheNineViewsAndTheirDepth) {
  // (1, 2, 3) in every view; smaller depth is nearer to the viewer.
  struct Case {
    int view;
    double u, v, depth;
  };
  const double c = 0.866, h = 0.5;
  const Case cases[] = {
      {0, 1, 2, -3},
      {1, c * 1 - c * 2, 3 + h * 1 + h * 2, h * 1 + h * 2 - 3},
      {2, 1, 3, 2},
      {3, c * 1 + c * 2, 3 - h * 1 + h * 2, h * 2 - h * 1 - 3},
      {4, -2, 3, 1},
      {6, 2, 3, -1},
      {7, -c * 1 - c * 2, 3 + h * 1 - h * 2, h * 1 - h * 2 - 3},
      {8, -1, 3, -2},
      {9, c * 2 - c * 1, 3 - h * 1 - h * 2, -h * 1 - h * 2 - 3},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.view);
    const ViewPoint p = project_point(k.view, 1, 2, 3);
    EXPECT_NEAR(p.u, k.u, 1e-12);
    EXPECT_NEAR(p.v, k.v, 1e-12);
    EXPECT_NEAR(p.depth, k.depth, 1e-12);
  }
  // The front view looks along +y: a point further back is deeper.
  EXPECT_LT(project_point(kFrontView, 0, 1, 0).depth, project_point(kFrontView, 0, 5, 0).depth);
}

TEST(Projection, CameraPerspective) {
  // Looking from (0, 0, 1) along +x, level.
  const ViewCamera cam = view_camera(0, 0, 1, 10, 0, 1, 0);
  EXPECT_EQ(cam.lens, 60);  // no lens value: the default
  const ViewPoint ahead = project_point(kCameraView, cam, 5, 0, 1);
  EXPECT_NEAR(std::hypot(ahead.u, ahead.v), 0, 1e-12);
  EXPECT_NEAR(ahead.depth, -0.2, 1e-12);
  // To the right (-y when looking along +x) and above: positive u and v, shrinking with distance.
  ViewPoint right_up = project_point(kCameraView, cam, 4, -2, 3);
  EXPECT_NEAR(right_up.u, 0.5, 1e-12);
  EXPECT_NEAR(right_up.v, 0.5, 1e-12);
  EXPECT_LT(project_point(kCameraView, cam, 5, 0, 1).depth,
            project_point(kCameraView, cam, 9, 0, 1).depth);
  // Behind the eye: the 999 mark.
  EXPECT_TRUE(behind_eye(project_point(kCameraView, cam, -1, 0, 1)));
  EXPECT_TRUE(behind_eye(project_point(kCameraView, cam, -0.001, 3, 1)));
  // Looking up at 45 degrees: the target itself is straight ahead.
  const ViewCamera up = view_camera(0, 0, 0, 0, 5, 5, 45);
  EXPECT_NEAR(up.tilt, std::numbers::pi / 4, 1e-12);
  const ViewPoint t = project_point(kCameraView, up, 0, 5, 5);
  EXPECT_NEAR(std::hypot(t.u, t.v), 0, 1e-12);
}

TEST(Projection, ClicksMapBackInTheElevationsOnly) {
  double x, y, z;
  ASSERT_TRUE(unproject_click(kBackView, 2, 3, x, y, z));
  EXPECT_EQ(std::tie(x, y, z), std::make_tuple(-2.0, 0.0, 3.0));
  ASSERT_TRUE(unproject_click(kLeftView, 2, 3, x, y, z));
  EXPECT_EQ(std::tie(x, y, z), std::make_tuple(0.0, -2.0, 3.0));
  for (int view : {1, 3, 5, 7, 9}) EXPECT_FALSE(unproject_click(view, 2, 3, x, y, z));
}

// Collects the lines the drawer draws, as unordered segments.
struct Lines {
  std::set<std::tuple<double, double, double, double>> set;
  int count = 0;
};

Renderer recording_renderer(Lines& out) {
  Renderer r;
  r.driver.context = &out;
  r.driver.line = [](Renderer& rr, int, int, double x1, double y1, double x2, double y2) {
    auto* o = static_cast<Lines*>(rr.driver.context);
    auto round = [](double v) { return std::round(v * 1e6) / 1e6; };
    auto a = std::pair{round(x1), round(y1)}, b = std::pair{round(x2), round(y2)};
    if (b < a) std::swap(a, b);
    o->set.insert({a.first, a.second, b.first, b.second});
    ++o->count;
  };
  r.driver.vector_output = true;
  return r;
}

TEST(ProjectionDrawer, SolidsAreDrawnEdgeByEdgeInEveryView) {
  Drawing d;
  Lines lines;
  Renderer r = recording_renderer(lines);
  const Object3D* cube = store_mesh(d.store, cuboid_mesh(0, 0, 1, 1, 0, 1), 0, 0, 0, "");
  ASSERT_TRUE(cube);
  auto in_view = [&](int view) {
    lines = {};
    r.view_number = view;
    draw_element(r, d, *cube, kDrawNormal);
  };
  // From a corner: 12 edges, each drawn once although two faces share it.
  in_view(kFrontLeftView);
  EXPECT_EQ(lines.count, 12);
  EXPECT_EQ(lines.set.size(), 12u);
  // From the front the back edges fall on the front ones and the edges along y on points:
  // 12 lines on the 4 sides of the square and its 4 corners.
  in_view(kFrontView);
  EXPECT_EQ(lines.count, 12);
  EXPECT_EQ(lines.set.size(), 8u);
  EXPECT_TRUE(lines.set.count({0, 1, 1, 1}));
  // In the plan view the cube shows from above.
  in_view(kPlanView);
  EXPECT_EQ(lines.set.size(), 8u);
  EXPECT_TRUE(lines.set.count({0, 0, 1, 0}));
}

TEST(ProjectionDrawer, CameraViewLeavesOutWhatIsBehindTheEye) {
  Drawing d;
  d.camera = view_camera(0, 0, 1, 10, 0, 1, 60);
  Lines lines;
  Renderer r = recording_renderer(lines);
  r.view_number = kCameraView;
  Line3D ahead = make_element<Line3D>(0, 0, 0);
  ahead.start = {5, -1, 1, 0};
  ahead.end = {5, 1, 1, 0};
  Line3D across = ahead;
  across.start = {-5, 0, 1, 0};  // one end behind the eye
  draw_element(r, d, *create(d.store, ahead), kDrawNormal);
  draw_element(r, d, *create(d.store, across), kDrawNormal);
  ASSERT_EQ(lines.count, 1);
  EXPECT_TRUE(lines.set.count({-0.2, 0, 0.2, 0}));
}

TEST(ProjectionDrawer, RoomsStandBetweenTheirBaseAndTop) {
  Drawing d;
  Lines lines;
  Renderer r = recording_renderer(lines);
  Room fields = make_element<Room>(0, 0, 0);
  fields.base = 0;
  fields.top = 2.5;
  const Room* room = create_room(d.store, fields,
                                 std::vector<Point2>{{0, 0}, {4, 0}, {4, 3}, {kSeparator, kSeparator}});
  r.view_number = kFrontRightView;
  draw_element(r, d, *room, kDrawNormal);
  EXPECT_EQ(lines.count, 9);  // three sides at the base and the top, three uprights
}

}  // namespace
}  // namespace korav
