#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "model/drawing.h"

namespace korav {
namespace {

TEST(Store, EmptyStoreOperationsAreNoOps) {
  Drawing d;
  EXPECT_EQ(d.store.head(), nullptr);
  d.store.purge();
  EXPECT_FALSE(d.store.modified);
  count_per_layer(d.store, d.layers);
  EXPECT_EQ(d.layers.layer[0].count, 0u);
  d.store.remove_tail();
  EXPECT_EQ(d.store.tail(), nullptr);
}

TEST(Store, PurgeKeepsOrderAndEmptiesWhenAllSelected) {
  Drawing d;
  for (int i = 0; i < 5; ++i) create_line(d.store, 0, 0, 0, i, 0, 0, 0)->selected = i % 2;
  d.store.modified = false;
  d.store.purge();
  EXPECT_TRUE(d.store.modified);
  std::vector<double> left;
  for (Element& e : d.store.list) left.push_back(static_cast<Line&>(e).start.x);
  EXPECT_EQ(left, (std::vector<double>{0, 2, 4}));
  EXPECT_EQ(d.store.tail()->next, nullptr);
  EXPECT_EQ(d.store.head()->prev, nullptr);
  for (Element& e : d.store.list) e.selected = 1;
  d.store.purge();
  EXPECT_EQ(d.store.head(), nullptr);
  EXPECT_EQ(d.store.tail(), nullptr);
}

TEST(Store, CreateResetsHeaderAndMarks) {
  Drawing d;
  Text t = make_element<Text>(7, 3, 2);
  t.pos = {1, 2, 1};
  std::tie(t.selected, t.group, t.undo_mask) = std::tuple(1, 9, 5);
  Text* e = create_text(d.store, t, "");
  EXPECT_EQ(std::tuple(e->size, e->selected, e->group, e->undo_mask, e->pos.mark, e->layer, e->pen),
            std::tuple(sizeof(Text) + 1, 0, 0, 0u, 0, 7, 3));
  EXPECT_STREQ(e->text(), "");
  EXPECT_EQ(d.store.tail(), e);
}

TEST(Store, OutlineAndOpeningLimits) {
  Drawing d;
  std::vector<Point2> pts(kMaxOutlinePoints + 1);
  EXPECT_EQ(create_pattern(d.store, make_element<Pattern>(0, 0, 0), pts), nullptr);
  EXPECT_EQ(create_room(d.store, make_element<Room>(0, 0, 0), pts), nullptr);
  pts.pop_back();
  Room* r = create_room(d.store, make_element<Room>(0, 0, 0), pts);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->count, 499u);
  std::vector<Opening> ops(kMaxOpenings + 1);
  EXPECT_EQ(create_wall(d.store, make_element<Wall>(0, 0, 0), {}, ops), nullptr);
  ops.pop_back();
  ops[14].base = 1.25;
  std::vector<OutlineLine> lines(4);
  lines[3].end.x = 7;
  Wall* w = create_wall(d.store, make_element<Wall>(0, 0, 0), lines, ops);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(std::tuple(w->lines()[3].end.x, w->openings()[14].base, d.store.size()),
            std::tuple(7, 1.25, 2u));
}

TEST(Store, CopyOfRecordIsSelfContained) {
  Drawing d;
  std::vector<std::uint32_t> faces{3, 4};
  std::vector<Point3> verts(5);
  verts[4] = {1, 2, 3, 1};
  std::vector<std::uint32_t> idx{0, 1, 2, 1, 2, 3, 4};
  Object3D* o = create_object3d(d.store, make_element<Object3D>(0, 0, 0), faces, verts, idx);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->vertices()[4].mark, 0);
  ElementList other;
  other.push_back(copy_record(*o));
  d.store.clear();
  const auto* c = static_cast<const Object3D*>(other.head());
  EXPECT_EQ(c->face_sizes()[1], 4u);
  EXPECT_EQ(c->vertices()[4].z, 3);
  EXPECT_EQ(c->indices()[6], 4u);
  // Index out of range or counts that do not add up are refused.
  idx[6] = 5;
  EXPECT_EQ(create_object3d(d.store, make_element<Object3D>(0, 0, 0), faces, verts, idx), nullptr);
  idx.pop_back();
  EXPECT_EQ(create_object3d(d.store, make_element<Object3D>(0, 0, 0), faces, verts, idx), nullptr);
}

TEST(Store, SeparatorTolerance) {
  EXPECT_TRUE(is_separator(999.0000005, 998.9999995));
  EXPECT_FALSE(is_separator(999.00001, 999));
}

}  // namespace
}  // namespace korav
