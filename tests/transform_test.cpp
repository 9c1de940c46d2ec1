// The store-wide operations: translate by selection and point marks; rotate, mirror and scale of
// every kind (arcs stay on their side, separators never move); duplicate; alter.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

#include "draft/crossings.h"
#include "draft/transform.h"
#include "model/drawing.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Circle* add_arc(ElementStore& s, Vec2 c, double a, double b, double start, double sweep,
                double axis = 0) {
  Circle f = make_element<Circle>(0, 1, 0);
  f.centre = {c.x, c.y, 0};
  f.radius1 = a;
  f.radius2 = b;
  f.start_angle = start;
  f.sweep = sweep;
  f.axis_angle = axis;
  return create(s, f);
}

Pattern* add_pattern(ElementStore& s) {
  Pattern f = make_element<Pattern>(0, 1, 0);
  f.origin = {1, 1, 0};
  f.offset = {0, 0.5, 0};
  f.angle1 = 0;
  const Point2 outline[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {999, 999, 0},
                            {5, 5, 0}, {6, 5, 0}, {6, 6, 0}, {999, 999, 0}};
  return create_pattern(s, f, outline);
}

// Every place point of every element, in store order.
std::vector<Vec3> places(const ElementStore& s) {
  std::vector<Vec3> out;
  for (const Element& e : s.list)
    for_each_point(e, [&](const ConstPointRef& p) {
      if (p.is_place()) out.push_back({*p.x, *p.y, p.z_or(0)});
    });
  return out;
}

void expect_near(Vec3 a, Vec3 b) {
  EXPECT_NEAR(a.x, b.x, 1e-9);
  EXPECT_NEAR(a.y, b.y, 1e-9);
  EXPECT_NEAR(a.z, b.z, 1e-9);
}

TEST(Translate, SelectedElementsWholeAndMarkedPointsOfOthers) {
  ElementStore s;
  Line* moved = create_line(s, 0, 1, 0, 0, 0, 1, 0);
  moved->selected = 1;
  Line* stretched = create_line(s, 0, 1, 0, 5, 5, 6, 5);
  stretched->end.mark = 1;
  Line* kept = create_line(s, 0, 1, 0, 9, 9, 10, 9);
  Circle* outside = add_arc(s, {20, 20}, 3, 3, 0, 2 * kPi);
  Circle* inside = add_arc(s, {30, 30}, 3, 2, 0, kPi);
  inside->centre.mark = 1;
  Pattern* p = add_pattern(s);
  p->selected = 1;
  Line3D l3 = make_element<Line3D>(0, 1, 0);
  l3.end = {1, 1, 1, 0};
  Line3D* line3 = create(s, l3);
  line3->end.mark = 1;

  EXPECT_EQ(translate_elements(s, 1, 2, 3), 5u);
  EXPECT_EQ(std::tuple(moved->start.x, moved->start.y, moved->end.x), std::tuple(1.0, 2.0, 2.0));
  EXPECT_EQ(std::tuple(stretched->start.x, stretched->end.x, stretched->end.y),
            std::tuple(5.0, 7.0, 7.0));
  EXPECT_EQ(kept->start.x, 9);
  EXPECT_EQ(std::tuple(outside->centre.x, outside->radius1), std::tuple(20.0, 3.0));
  EXPECT_EQ(std::tuple(inside->centre.x, inside->centre.y, inside->radius1, inside->radius2),
            std::tuple(31.0, 32.0, 3.0, 2.0));
  // Separators stay; the second family's origin moves with the first.
  EXPECT_TRUE(is_separator(p->points()[3]) && is_separator(p->points()[7]));
  EXPECT_EQ(std::tuple(p->points()[0].x, p->origin.y, p->offset.y), std::tuple(1.0, 3.0, 2.5));
  EXPECT_EQ(std::tuple(line3->start.z, line3->end.z), std::tuple(0.0, 4.0));

  // Copies move only what is selected.
  EXPECT_EQ(translate_elements(s, 1, 0, 0, TranslateScope::kSelectedOnly), 2u);
  EXPECT_EQ(stretched->end.x, 7);
  const std::vector<Vec3> before = places(s);
  EXPECT_EQ(translate_elements(s, kNaN, 0, 0), 0u);
  EXPECT_EQ(places(s).size(), before.size());
}

TEST(Translate, DimensionSegmentsFollowTheirFeet) {
  ElementStore s;
  Dimension f = make_element<Dimension>(0, 1, 0);
  DimPoint pts[3];
  for (int i = 0; i < 3; ++i) {
    pts[i].foot = {2.0 * i, 0, 0};
    pts[i].measured = {2.0 * i, -1, 0};
    pts[i].distance = i ? 2 : 0;
  }
  Dimension* d = create_dimension(s, f, pts);
  d->points()[2].foot.mark = 1;
  translate_elements(s, 3, 0, 0);
  EXPECT_DOUBLE_EQ(d->points()[1].distance, 2);
  EXPECT_DOUBLE_EQ(d->points()[2].distance, 5);
  d->selected = 1;
  scale_selected(s, {0, 0, 0}, 2, 1, 1, true);
  EXPECT_DOUBLE_EQ(d->points()[2].distance, 10);
}

// Sampled curve points map onto the mapped curve and its ends onto the old ends' images (so
// mirrored arcs stay on their side).
struct MapCase {
  const char* what;
  Affine3 map;
  std::function<Vec2(Vec2)> image;  // the same map, written out
};

TEST(MapSelected, CurvesFollowEveryMap) {
  const double c = std::cos(0.7), s = std::sin(0.7);
  const auto turned = [&](Vec2 p) {  // by 0.7 about (1, 2)
    return Vec2(1 + c * (p.x - 1) - s * (p.y - 2), 2 + s * (p.x - 1) + c * (p.y - 2));
  };
  Affine3 plane;
  ASSERT_TRUE(mirror_in_plane({0, 0, 5}, {1, 1, 5}, {0, 0, 9}, plane));
  const MapCase cases[] = {
      {"rotate", rotation_in_plan({1, 2}, 0.7), turned},
      {"mirror in a line", mirror_in_line({0, 1}, {4, 1}),
       [](Vec2 p) { return Vec2(p.x, 2 - p.y); }},
      // Identical axis points: the horizontal through them.
      {"mirror on identical points", mirror_in_line({3, -1}, {3, -1}),
       [](Vec2 p) { return Vec2(p.x, -2 - p.y); }},
      {"mirror in a vertical plane", plane, [](Vec2 p) { return Vec2(p.y, p.x); }},
      {"scale", scaling({1, 1, 0}, 2, 2, 1), [](Vec2 p) { return Vec2(2 * p.x - 1, 2 * p.y - 1); }},
      {"scale mirroring", scaling({0, 0, 0}, -1, 1, 1), [](Vec2 p) { return Vec2(-p.x, p.y); }},
      {"rotate about a vertical axis in space", rotation_about_axis({1, 2, 7}, {1, 2, -3}, -0.7),
       turned},
  };
  for (const MapCase& m : cases) {
    SCOPED_TRACE(m.what);
    ElementStore st;
    Circle* arcs[] = {add_arc(st, {4, 3}, 2, 2, 0.3, 1.2),
                      add_arc(st, {-2, 5}, 3, 1, 5.9, 2.5, 0.4),
                      add_arc(st, {0, 0}, 1, 1, 0, 2 * kPi)};
    Line* line = create_line(st, 0, 1, 0, 1, 1, 3, 4);
    std::vector<std::vector<Vec2>> samples;
    for (Circle* a : arcs) {
      a->selected = 1;
      std::vector<Vec2> pts;
      for (int i = 0; i <= 8; ++i)
        pts.push_back(curve_point(*a, a->start_angle + a->sweep * i / 8));
      samples.push_back(pts);
    }
    line->selected = 1;
    EXPECT_EQ(map_selected(st, m.map, MapOptions{}).changed, 4u);
    for (std::size_t k = 0; k < 3; ++k) {
      const Circle& a = *arcs[k];
      for (const Vec2& p : samples[k]) {
        const Vec2 q = m.image(p);
        // On the mapped curve: the curve point at its own angle is the point itself.
        EXPECT_NEAR(distance(curve_point(a, curve_angle(a, q)), q), 0, 1e-9);
        EXPECT_TRUE(on_arc(a, q));
      }
      if (k < 2) {  // the ends map to the ends, in either order
        const Vec2 e0 = m.image(samples[k].front()), e1 = m.image(samples[k].back());
        const Vec2 s0 = curve_point(a, a.start_angle), s1 = curve_point(a, a.start_angle + a.sweep);
        EXPECT_NEAR(
            std::min(distance(s0, e0) + distance(s1, e1), distance(s0, e1) + distance(s1, e0)), 0,
            1e-9);
      }
    }
    const Vec2 a = m.image({1, 1}), b = m.image({3, 4});
    EXPECT_NEAR(distance(line->start, a) + distance(line->end, b), 0, 1e-9);
  }
}

TEST(MapSelected, EveryKindAndItsValues) {
  ElementStore s;
  Text tf = make_element<Text>(0, 1, 0);
  tf.pos = {1, 0, 0};
  tf.height = 2.5;
  tf.angle = 0;
  Text* text = create_text(s, tf, "abc");
  Pattern* pat = add_pattern(s);
  Wall wf = make_element<Wall>(0, 1, 0);
  for (int i = 0; i < 8; ++i) wf.corner[i] = {1.0 * (i % 4), 0, i < 4 ? 0.0 : 3.0, 0};
  const OutlineLine ol[] = {{{0, 0, 0}, {3, 0, 0}}};
  Opening op{};
  for (auto& k : op.corner) k = {1, 0, 1, 0};
  const Opening ops[] = {op};
  Wall* wall = create_wall(s, wf, ol, ops);
  Camera cf = make_element<Camera>(0, 1, 0);
  cf.eye = {1, 0, 2, 0};
  cf.target = {2, 0, 2, 0};
  cf.active = 1;
  Camera* cam = create(s, cf);
  for (Element& e : s.list) e.selected = 1;

  // A quarter turn about the origin: (x, y) → (−y, x).
  MapResult r = rotate_selected(s, rotation_in_plan({0, 0}, kPi / 2));
  EXPECT_EQ(r.changed, 4u);
  EXPECT_TRUE(r.active_camera);
  EXPECT_NEAR(text->pos.y, 1, 1e-12);
  EXPECT_NEAR(text->angle, kPi / 2, 1e-12);
  EXPECT_EQ(text->height, 2.5);
  EXPECT_NEAR(pat->angle1, kPi / 2, 1e-12);
  EXPECT_NEAR(pat->offset.x, -0.5, 1e-12);  // the second family's origin turns
  EXPECT_TRUE(is_separator(pat->points()[3]) && is_separator(pat->points()[7]));
  EXPECT_NEAR(pat->points()[1].y, 2, 1e-12);
  EXPECT_NEAR(wall->corner[5].y, 1, 1e-12);
  EXPECT_EQ(wall->corner[5].z, 3);
  EXPECT_NEAR(wall->lines()[0].end.y, 3, 1e-12);
  EXPECT_NEAR(wall->openings()[0].corner[7].y, 1, 1e-12);
  EXPECT_NEAR(cam->target.y, 2, 1e-12);

  // A quarter turn about the x axis lifts y into z.
  rotate_selected(s, rotation_about_axis({0, 0, 0}, {1, 0, 0}, kPi / 2));
  EXPECT_NEAR(cam->target.z, 2, 1e-12);
  EXPECT_NEAR(cam->target.y, -2, 1e-12);

  // Scaling: the height by |fx| or not at all; separators stay.
  scale_selected(s, {0, 0, 0}, -2, 3, 1, true);
  EXPECT_EQ(text->height, 5);
  scale_selected(s, {0, 0, 0}, 2, 3, 1, false);
  EXPECT_EQ(text->height, 5);
  EXPECT_TRUE(is_separator(pat->points()[3]) && is_separator(pat->points()[7]));

  // A map with a non-finite entry changes nothing.
  const std::vector<Vec3> before = places(s);
  EXPECT_EQ(scale_selected(s, {0, 0, 0}, kNaN, 1, 1, true).changed, 0u);
  const std::vector<Vec3> after = places(s);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) expect_near(after[i], before[i]);
}

TEST(Maps, BuildingBlocks) {
  Affine3 m;
  EXPECT_FALSE(mirror_in_plane({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, m));
  EXPECT_FALSE(mirror_in_plane({0, 0, 0}, {0, 0, 0}, {2, 2, 2}, m));
  ASSERT_TRUE(mirror_in_plane({0, 0, 1}, {1, 0, 1}, {0, 1, 1}, m));
  expect_near(m.apply({3, 4, 5}), {3, 4, -3});
  expect_near(rotation_about_axis({0, 0, 0}, {0, 0, 1}, kPi / 2).apply({1, 0, 0}), {0, 1, 0});
  expect_near(rotation_about_axis({0, 0, 0}, {1, 0, 0}, kPi / 2).apply({0, 1, 0}), {0, 0, 1});
  expect_near(rotation_about_axis({1, 1, 1}, {1, 1, 1}, 1).apply({4, 5, 6}), {4, 5, 6});
  expect_near(scaling({1, 2, 3}, 2, 3, 4).apply({2, 3, 4}), {3, 5, 7});
}

TEST(Duplicate, CopiesAtTheTailSelectedWithNewGroups) {
  ElementStore s;
  const int groups[] = {0, 5, 5, 7, 9};
  for (int i = 0; i < 5; ++i) {
    Line* l = create_line(s, 0, 1, 0, i, 0, i, 1);
    l->group = static_cast<std::uint16_t>(groups[i]);
    l->selected = i < 4;  // the element of group 9 stays behind
    l->undo_mask = 4;
  }
  static_cast<Line*>(s.head()->next)->start.mark = 1;
  EXPECT_EQ(duplicate_selected(s), 4u);
  ASSERT_EQ(s.size(), 9u);
  std::vector<int> copy_groups;
  int i = 0;
  for (const Element& e : s.list) {
    if (i++ < 5) {
      EXPECT_EQ(e.selected, 0);
      continue;
    }
    EXPECT_EQ(e.selected, 1);
    EXPECT_EQ(e.undo_mask, 0u);
    EXPECT_FALSE(has_marked_point(e));
    copy_groups.push_back(e.group);
  }
  EXPECT_EQ(copy_groups, (std::vector<int>{0, 10, 10, 11}));
  // The copies' x follow their originals.
  EXPECT_EQ(static_cast<const Line*>(s.tail())->start.x, 3);
  ElementStore none;
  create_line(none, 0, 1, 0, 0, 0, 1, 1);
  EXPECT_EQ(duplicate_selected(none), 0u);
  EXPECT_EQ(none.size(), 1u);
}

TEST(Alter, PenAndLineTypeOfTheSelection) {
  ElementStore s;
  Line* a = create_line(s, 0, 1, 2, 0, 0, 1, 1);
  Line* b = create_line(s, 0, 1, 2, 0, 0, 1, 1);
  a->selected = 1;
  EXPECT_EQ(alter_selected(s, 6, kUnchanged), 1u);
  EXPECT_EQ(std::tuple(a->pen, a->line_type, b->pen), std::tuple(6, 2, 1));
  EXPECT_EQ(alter_selected(s, kUnchanged, 3), 1u);
  EXPECT_EQ(std::tuple(a->pen, a->line_type), std::tuple(6, 3));
}

}  // namespace
}  // namespace korav
