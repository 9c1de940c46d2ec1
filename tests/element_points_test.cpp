#include "model/element_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/pick.h"
#include "app/selection.h"
#include "app/snap.h"
#include "files/chunk.h"
#include "files/drawing_file.h"
#include "model/drawing.h"

namespace korav {
namespace {

constexpr double k2D = std::numeric_limits<double>::quiet_NaN();  // expected z of a 2D point

struct Expected {
  PointRole role;
  std::uint32_t index;
  double x, y, z = k2D;
  bool separator = false;
  bool unused = false;
  bool relative = false;
};

using R = PointRole;

// One element of every kind, each with points that tell them apart.
struct Kinds {
  Drawing d;
  Line* line;
  Circle* circle;
  Text* text;
  Dimension* dimension;
  Wall* wall;
  Pattern* pattern;
  Spline* spline;
  Line3D* line3d;
  Object3D* object;
  Camera* camera;
  Room* room;
  Light* light;

  Kinds() {
    line = create_line(d.store, 0, 0, 0, 1, 2, 3, 4);
    Circle c = make_element<Circle>(0, 0, 0);
    c.centre = {5, 6};
    circle = create(d.store, c);
    Text t = make_element<Text>(0, 0, 0);
    t.pos = {7, 8};
    text = create_text(d.store, t, "abc");
    const DimPoint dp[2] = {{{1, 1}, {1, 2}}, {{3, 1}, {3, 2}}};
    dimension = create_dimension(d.store, make_element<Dimension>(0, 0, 0), dp);
    Wall w = make_element<Wall>(0, 0, 0);
    for (int i = 0; i < 8; ++i) w.corner[i] = {1.0 * i, 10.0 + i, i < 4 ? 0 : 2.5};
    w.gable = 1;
    w.gable_point[0] = {20, 21, 3};
    w.gable_point[1] = {22, 23, 4};
    const OutlineLine lines[1] = {{{0, 10}, {1, 11}}};
    Opening o;
    for (int i = 0; i < 8; ++i) o.corner[i] = {30.0 + i, 40.0 + i, i < 4 ? 0 : 2.0};
    wall = create_wall(d.store, w, lines, {&o, 1});
    Pattern p = make_element<Pattern>(0, 0, 0);
    p.origin = {1, 1};
    p.offset = {0.5, 0.5};
    const Point2 square[4] = {{0, 0}, {1, 0}, {1, 1}, {999, 999}};
    pattern = create_pattern(d.store, p, square);
    Spline s = make_element<Spline>(0, 0, 0);
    for (int i = 0; i < 4; ++i) s.p[i] = {1.0 * i, -1.0 * i};
    spline = create(d.store, s);
    Line3D l3 = make_element<Line3D>(0, 0, 0);
    l3.start = {1, 2, 3};
    l3.end = {4, 5, 6};
    line3d = create(d.store, l3);
    const std::uint32_t faces[1] = {3}, idx[3] = {0, 1, 2};
    const Point3 verts[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 1}};
    object = create_object3d(d.store, make_element<Object3D>(0, 0, 0), faces, verts, idx);
    Camera cam = make_element<Camera>(0, 0, 0);
    cam.eye = {1, 2, 3};
    cam.target = {4, 5, 6};
    camera = create(d.store, cam);
    Room r = make_element<Room>(0, 0, 0);
    r.pos = {2, 2};
    const Point2 outline[4] = {{0, 0}, {4, 0}, {4, 4}, {999, 999}};
    room = create_room(d.store, r, outline);
    Light li = make_element<Light>(0, 0, 0);
    li.pos = {1, 1, 2};
    li.target = {3, 3, 0};
    light = create(d.store, li);
  }
};

std::vector<Expected> expected_points(int type) {
  switch (type) {
    case kLine: return {{R::kEnd, 0, 1, 2}, {R::kEnd, 1, 3, 4}};
    case kCircle: return {{R::kCentre, 0, 5, 6}};
    case kText: return {{R::kInsertion, 0, 7, 8}};
    case kDimension:
      return {{R::kFoot, 0, 1, 1}, {R::kMeasured, 0, 1, 2}, {R::kFoot, 1, 3, 1},
              {R::kMeasured, 1, 3, 2}};
    case kWall: {
      std::vector<Expected> v;
      for (std::uint32_t i = 0; i < 8; ++i)
        v.push_back({R::kCorner, i, 1.0 * i, 10.0 + i, i < 4 ? 0 : 2.5});
      v.push_back({R::kGable, 0, 20, 21, 3});
      v.push_back({R::kGable, 1, 22, 23, 4});
      v.push_back({R::kOutlineEnd, 0, 0, 10});
      v.push_back({R::kOutlineEnd, 1, 1, 11});
      for (std::uint32_t i = 0; i < 8; ++i)
        v.push_back({R::kOpeningCorner, i, 30.0 + i, 40.0 + i, i < 4 ? 0 : 2.0});
      return v;
    }
    case kPattern:
      return {{R::kOrigin, 0, 1, 1},  {R::kSpacing, 0, 0.5, 0.5},
              {R::kOutline, 0, 0, 0}, {R::kOutline, 1, 1, 0},
              {R::kOutline, 2, 1, 1}, {R::kOutline, 3, 999, 999, k2D, true}};
    case kSpline:
      return {{R::kControl, 0, 0, 0}, {R::kControl, 1, 1, -1}, {R::kControl, 2, 2, -2},
              {R::kControl, 3, 3, -3}};
    case kLine3D: return {{R::kEnd, 0, 1, 2, 3}, {R::kEnd, 1, 4, 5, 6}};
    case kObject3D:
      return {{R::kVertex, 0, 0, 0, 0}, {R::kVertex, 1, 1, 0, 0}, {R::kVertex, 2, 0, 1, 1}};
    case kCamera: return {{R::kEye, 0, 1, 2, 3}, {R::kTarget, 0, 4, 5, 6}};
    case kRoom:
      return {{R::kLabel, 0, 2, 2},   {R::kOutline, 0, 0, 0}, {R::kOutline, 1, 4, 0},
              {R::kOutline, 2, 4, 4}, {R::kOutline, 3, 999, 999, k2D, true}};
    case kLight: return {{R::kPosition, 0, 1, 1, 2}, {R::kTarget, 0, 3, 3, 0}};
    default: return {};
  }
}

std::vector<ConstPointRef> points_of(const Element& e) {
  std::vector<ConstPointRef> v;
  for_each_point(e, [&](const ConstPointRef& p) { v.push_back(p); });
  return v;
}

TEST(ElementPoints, EveryKindGivesItsPointsInRecordOrder) {
  Kinds k;
  int kinds = 0;
  for (const Element& e : k.d.store.list) {
    ++kinds;
    SCOPED_TRACE("kind " + std::to_string(e.type));
    const std::vector<Expected> want = expected_points(e.type);
    const std::vector<ConstPointRef> got = points_of(e);
    ASSERT_EQ(got.size(), want.size());
    bool any_3d = false;
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE("point " + std::to_string(i));
      const ConstPointRef& p = got[i];
      const Expected& w = want[i];
      EXPECT_EQ(p.role, w.role);
      EXPECT_EQ(p.index, w.index);
      EXPECT_EQ(*p.x, w.x);
      EXPECT_EQ(*p.y, w.y);
      ASSERT_EQ(p.is_3d(), !std::isnan(w.z));
      if (p.is_3d()) {
        EXPECT_EQ(*p.z, w.z);
      }
      EXPECT_EQ(p.separator, w.separator);
      EXPECT_EQ(p.unused, w.unused);
      EXPECT_EQ(p.relative, w.relative);
      EXPECT_EQ(p.is_place(), !w.separator && !w.relative);
      any_3d |= p.is_3d();
    }
    EXPECT_EQ(has_3d_points(e.type), any_3d);
  }
  EXPECT_EQ(kinds, kElementTypeCount);
}

TEST(ElementPoints, ReferencesReachTheStoredPointsAndMarks) {
  Kinds k;
  for (Element& e : k.d.store.list)
    for_each_point(e, [](const PointRef& p) {
      *p.x += 100;
      if (p.z) *p.z += 10;
      *p.mark = 1;
    });
  EXPECT_EQ(k.line->end.x, 103);
  EXPECT_EQ(k.line->end.mark, 1);
  EXPECT_EQ(k.dimension->points()[1].measured.x, 103);
  EXPECT_EQ(k.dimension->points()[1].measured.mark, 1);
  EXPECT_EQ(k.wall->corner[7].z, 12.5);
  EXPECT_EQ(k.wall->gable_point[1].mark, 1);
  EXPECT_EQ(k.wall->lines()[0].end.x, 101);
  EXPECT_EQ(k.wall->openings()[0].corner[7].mark, 1);
  EXPECT_EQ(k.wall->openings()[0].corner[7].z, 12);
  EXPECT_EQ(k.pattern->offset.x, 100.5);
  EXPECT_EQ(k.pattern->points()[3].mark, 1);
  EXPECT_EQ(k.object->vertices()[2].z, 11);
  EXPECT_EQ(k.room->points()[2].y, 4);
  EXPECT_EQ(k.room->points()[2].x, 104);
  EXPECT_EQ(k.light->target.mark, 1);
  // Marks are cleared the same way for every kind.
  for (Element& e : k.d.store.list) {
    EXPECT_TRUE(has_marked_point(e)) << int{e.type};
    clear_point_marks(e);
    EXPECT_FALSE(has_marked_point(e)) << int{e.type};
  }
  // A single mark anywhere in the tail is found.
  k.wall->openings()[0].corner[3].mark = 1;
  EXPECT_TRUE(has_marked_point(*k.wall));
}

TEST(ElementPoints, GablePointsAreUnusedWithoutGableAndWalksStop) {
  Kinds k;
  k.wall->gable = 0;
  int unused = 0, visited = 0;
  for_each_point(*k.wall, [&](const ConstPointRef& p) { unused += p.unused; });
  EXPECT_EQ(unused, 2);
  // The walk for a known kind and the one by type code give the same points.
  std::size_t typed = 0;
  for_each_point(*k.wall, [&](const ConstPointRef&) { ++typed; });
  EXPECT_EQ(typed, points_of(*k.wall).size());
  // A walk stops at the first point its function returns true for.
  EXPECT_TRUE(for_each_point(*k.wall, [&](const ConstPointRef& p) {
    ++visited;
    return p.role == R::kOutlineEnd;
  }));
  EXPECT_EQ(visited, 11);
  EXPECT_FALSE(for_each_point(*k.wall, [](const ConstPointRef&) { return false; }));
  // Unknown kinds have no points.
  Line odd = make_element<Line>(0, 0, 0);
  odd.type = 13;
  EXPECT_TRUE(points_of(odd).empty());
  odd.type = 0;
  EXPECT_TRUE(points_of(odd).empty());
}

// The element of the given kind.
Element* of_kind(Kinds& k, int type) {
  for (Element& e : k.d.store.list)
    if (e.type == type) return &e;
  return nullptr;
}

// A damaged record: counts that claim more than the record holds.
struct Damage {
  const char* what;
  int type;
  void (*apply)(Kinds&);
  std::size_t points;  // those still given: the fixed part and the tails that fit
};

const Damage kDamages[] = {
    {"dimension count one too many", kDimension, [](Kinds& k) { k.dimension->count = 3; }, 0},
    {"dimension count huge", kDimension, [](Kinds& k) { k.dimension->count = 0xffffffffu; }, 0},
    // The openings move past the end too.
    {"wall lines past the end", kWall, [](Kinds& k) { k.wall->line_count = 8; }, 10},
    {"wall openings huge", kWall, [](Kinds& k) { k.wall->opening_count = 0xfffffff0u; }, 12},
    {"wall lines huge", kWall, [](Kinds& k) { k.wall->line_count = 0xffffffffu; }, 10},
    {"pattern outline one too many", kPattern, [](Kinds& k) { k.pattern->count = 5; }, 2},
    {"room outline huge", kRoom, [](Kinds& k) { k.room->count = 0xfffffff0u; }, 1},
    {"object vertices one too many", kObject3D, [](Kinds& k) { k.object->vertex_count = 4; }, 0},
    {"object faces huge", kObject3D, [](Kinds& k) { k.object->face_count = 0xffffffffu; }, 0},
    {"record size cut to the fixed part", kWall, [](Kinds& k) { k.wall->size = sizeof(Wall); }, 10},
    {"record size below the fixed part", kRoom,
     [](Kinds& k) { k.room->size = sizeof(Element); }, 1},
};

TEST(ElementPoints, DamagedTailsGiveFewerPointsAndAreNotRead) {
  for (const Damage& dmg : kDamages) {
    SCOPED_TRACE(dmg.what);
    Kinds k;
    Element* e = of_kind(k, dmg.type);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(tail_intact(*e));
    const std::uint32_t size = e->size;
    dmg.apply(k);
    EXPECT_FALSE(tail_intact(*e));
    EXPECT_EQ(points_of(*e).size(), dmg.points);
    // Writing through the references stays inside the record as well (the sanitizers watch).
    for_each_point(*e, [](const PointRef& p) { *p.mark = 1; });
    clear_point_marks(*e);
    EXPECT_FALSE(has_marked_point(*e));
    if (const Object3D* o = as<Object3D>(e)) {
      EXPECT_FALSE(for_each_face_edge(*o, [](const Point3&, const Point3&) { return true; }));
    }
    e->size = size;  // the store frees by the allocation, not by this field
  }
}

TEST(ElementPoints, CheckedTailsOfElementsMadeOutsideTheStore) {
  // A record built on the stack has no tail, whatever its counts say.
  Dimension d = make_element<Dimension>(0, 0, 0);
  d.count = 2;
  EXPECT_TRUE(dimension_points(d).empty());
  EXPECT_FALSE(tail_intact(d));
  Line l = make_element<Line>(0, 0, 0);
  EXPECT_EQ(points_of(l).size(), 2u);  // the fixed part needs no size
  EXPECT_TRUE(tail_intact(l));
  Text t = make_element<Text>(0, 0, 0);
  EXPECT_EQ(text_of(t), "");
}

TEST(ElementPoints, MeshEdgesAndTextStayInsideTheRecord) {
  Kinds k;
  std::vector<std::pair<double, double>> edges;
  for_each_face_edge(*k.object, [&](const Point3& a, const Point3& b) {
    edges.push_back({a.x + 10 * a.y, b.x + 10 * b.y});
  });
  EXPECT_EQ(edges, (std::vector<std::pair<double, double>>{{0, 1}, {1, 10}, {10, 0}}));
  // A face that claims more indices than there are ends the walk; a vertex index past the
  // vertices leaves out its edges.
  k.object->face_sizes()[0] = 0xffffffffu;
  EXPECT_FALSE(for_each_face_edge(*k.object, [](const Point3&, const Point3&) { return true; }));
  k.object->face_sizes()[0] = 3;
  k.object->indices()[2] = 7;
  int n = 0;
  for_each_face_edge(*k.object, [&](const Point3&, const Point3&) { ++n; });
  EXPECT_EQ(n, 1);
  // The text ends at the record's end when its NUL is gone.
  k.text->text()[3] = 'd';
  EXPECT_EQ(text_of(*k.text), "abcd");
  k.text->size = sizeof(Text) + 2;
  EXPECT_EQ(text_of(*k.text), "ab");
  k.text->size = sizeof(Text) + 4;
}

// The walks that use the description leave the damaged tails alone: no pick, snap, selection or
// write reads past the end of a record, and the writer refuses such a record.
TEST(ElementPointsUsers, DamagedRecordsAreNotReadPastTheirEnd) {
  Kinds k;
  PickContext c;
  c.units_per_pixel = 0.01;
  SnapQuery q;
  q.y = 10;
  auto writes = [](const Element& e) {
    std::vector<std::uint8_t> bytes;
    Writer w(bytes);
    return write_element(w, e);
  };
  EXPECT_LT(pick_score(*k.pattern, c, 0.5, 0.5), kPickLimit);
  EXPECT_NEAR(pick_score(*k.object, c, 0.5, -0.01), 0.01, 1e-12);
  EXPECT_EQ(find_snap(k.d, q, {}).found, kFoundPoint);  // the wall's outline starts there
  for (Element& e : k.d.store.list) EXPECT_TRUE(writes(e)) << int{e.type};

  k.dimension->count = 0xfffffff0u;
  k.wall->line_count = 0xfffffff0u;
  k.pattern->count = 0xfffffff0u;
  k.object->face_count = 0xfffffff0u;
  k.room->count = 0xfffffff0u;
  EXPECT_EQ(pick_score(*k.pattern, c, 0.5, 0.5), kPickLimit);
  EXPECT_EQ(pick_score(*k.room, c, 1, 1), kPickLimit);
  EXPECT_EQ(pick_score(*k.object, c, 0.5, -0.01), kPickLimit);
  EXPECT_EQ(pick_score(*k.dimension, c, 2, 1), kPickLimit);
  c.view = 2;
  EXPECT_EQ(pick_score(*k.object, c, 0.5, 0), kPickLimit);
  EXPECT_EQ(find_snap(k.d, q, {}).found, kFoundNothing);
  for (int view : {0, 2}) {
    q.view = view;
    find_snap(k.d, q, {});
  }
  SelectionSettings s;
  select_range(k.d, s, Filter{}, 0, -1000, -1000, 1000, 1000);
  EXPECT_EQ(k.pattern->selected, 0);  // no outline left to place it
  EXPECT_EQ(k.line->selected, 1);
  select_points(k.d, s, Filter{}, 0, -1000, -1000, 1000, 1000);
  EXPECT_EQ(k.line->start.mark, 1);
  for (const Element* e : std::initializer_list<const Element*>{k.dimension, k.wall, k.pattern,
                                                               k.object, k.room})
    EXPECT_FALSE(writes(*e)) << int{e->type};
}

}  // namespace
}  // namespace korav
