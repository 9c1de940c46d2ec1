#include <gtest/gtest.h>

#include <vector>

#include "model/drawing.h"

namespace korav {
namespace {

std::vector<double> xs(const ElementStore& s) {
  std::vector<double> v;
  for (const Element& e : s.list) v.push_back(static_cast<const Line&>(e).start.x);
  return v;
}

Line* add_line(Drawing& d, double x) { return create_line(d.store, 0, 0, 0, x, 0, x + 1, 0); }
// A line added as an undo step of its own.
void add_step(Drawing& d, double x) {
  add_line(d, x);
  d.undo.record(d.store, kUndoMarkLast, 1);
}

TEST(Undo, NothingRecordedLeavesButtonsAlone) {
  Drawing d;
  testing::internal::CaptureStdout();
  d.undo.undo(d.store);
  d.undo.redo(d.store);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No undo!\nNo redo!\n");
  EXPECT_FALSE(d.undo.undo_enabled());
  EXPECT_FALSE(d.undo.redo_enabled());
}

TEST(Undo, CreatedLineLeavesAndComesBackAtTheEnd) {
  Drawing d;
  add_line(d, 1);
  add_line(d, 2);
  d.undo.record(d.store, kUndoMarkLast, 1);
  add_line(d, 3);  // created later, not part of the step
  d.undo.undo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1, 3}));
  EXPECT_TRUE(d.undo.redo_enabled());
  EXPECT_FALSE(d.undo.undo_enabled());
  d.undo.redo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1, 3, 2}));
  EXPECT_FALSE(d.undo.redo_enabled());
  EXPECT_TRUE(d.undo.undo_enabled());
}

TEST(Undo, MovedLineIsReplacedBySavedCopyAndRedoSwapsAgain) {
  Drawing d;
  add_line(d, 1);
  Line* moved = add_line(d, 2);
  add_line(d, 3);
  d.select(*moved);
  d.undo.record(d.store, kUndoSnapshot);
  d.deselect(*moved);
  moved->start.x = 20;
  EXPECT_EQ(d.undo.level(0).list.size(), 1u);
  d.undo.undo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1, 3, 2}));
  EXPECT_EQ(d.store.tail()->selected, 0);
  d.undo.redo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1, 3, 20}));
  d.undo.undo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1, 3, 2}));
}

TEST(Undo, SnapshotCopiesAreUnmarkedAndUnselected) {
  Drawing d;
  Line* l = add_line(d, 1);
  l->start.mark = 1;
  d.undo.record(d.store, kUndoSnapshotStretch);  // marked point, not selected
  const Element* copy = d.undo.level(0).list.head();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(static_cast<const Line*>(copy)->start.mark, 0);
  EXPECT_EQ(copy->size, sizeof(Line));
  d.undo.record(d.store, kUndoSnapshot);  // nothing selected: an empty level
  EXPECT_EQ(d.undo.level_count(), 2);
  EXPECT_TRUE(d.undo.level(1).list.empty());
}

TEST(Undo, ThirtyThirdStepDropsTheOldest) {
  Drawing d;
  for (int i = 0; i < 33; ++i) add_step(d, i);
  EXPECT_EQ(d.undo.level_count(), 32);
  testing::internal::CaptureStdout();
  for (int i = 0; i < 33; ++i) d.undo.undo(d.store);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No undo!\n");
  // The first line belonged to the dropped level and stays.
  EXPECT_EQ(xs(d.store), (std::vector<double>{0}));
  EXPECT_EQ(d.store.head()->undo_mask, 0u);
  for (int i = 0; i < 32; ++i) d.undo.redo(d.store);
  EXPECT_EQ(d.store.size(), 33u);
}

TEST(Undo, NewStepDiscardsUndoneLevels) {
  Drawing d;
  for (int i = 0; i < 3; ++i) add_step(d, i);
  d.undo.undo(d.store);
  d.undo.undo(d.store);
  add_step(d, 9);
  EXPECT_FALSE(d.undo.redo_enabled());
  EXPECT_EQ(d.undo.level_count(), 2);
  testing::internal::CaptureStdout();
  d.undo.redo(d.store);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No redo!\n");
  EXPECT_EQ(xs(d.store), (std::vector<double>{0, 9}));
  // The freed bits are reused without mixing steps.
  d.undo.undo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{0}));
}

TEST(Undo, MarkLastWithTooFewElementsReportsEachMissingOne) {
  Drawing d;
  add_line(d, 1);
  testing::internal::CaptureStdout();
  d.undo.record(d.store, kUndoMarkLast, 3);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "error marking lastobj\nerror marking lastobj\n");
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 0u);
}

TEST(Undo, TaggedElementJoinsTheLastStep) {
  Drawing d;
  Line* a = add_line(d, 1);
  d.select(*a);
  d.undo.record(d.store, kUndoSnapshot);
  d.deselect(*a);
  Line* b = add_line(d, 2);
  d.undo.tag(*b);
  EXPECT_TRUE(d.undo.is_in_last_step(*b));
  d.undo.undo(d.store);
  EXPECT_EQ(xs(d.store), (std::vector<double>{1}));
}

TEST(Undo, ClearEmptiesHistoryAndMasks) {
  Drawing d;
  add_step(d, 1);
  d.undo.record(d.store, kUndoClear);
  EXPECT_EQ(d.undo.level_count(), 0);
  EXPECT_EQ(d.store.head()->undo_mask, 0u);
  EXPECT_FALSE(d.undo.undo_enabled());
}

}  // namespace
}  // namespace korav
