#include <gtest/gtest.h>

#include <tuple>

#include "model/drawing.h"

namespace korav {
namespace {

void add_on(Drawing& d, int layer, int n) {
  for (int i = 0; i < n; ++i) create_line(d.store, layer, 0, 0, 0, 0, 1, 1);
}

TEST(Layers, ClearResetsNamesAndSetsButKeepsStates) {
  Drawing d;
  d.layers.layer[42].name.set("Roof");
  d.layers.list_names[9].set("Upper");
  save_layer_set(d, "Plan");
  d.layers.layer[3].state = 1;
  d.clear();
  EXPECT_EQ(d.layers.layer[42].name.view(), "Layer 42");
  EXPECT_EQ(d.layers.list_names[9].view(), "List 9");
  ASSERT_EQ(d.layers.sets.size(), 1u);
  EXPECT_EQ(d.layers.sets[0].name.view(), "Default");
  EXPECT_EQ(d.layers.layer[3].state, 1);
}

TEST(Layers, MoveUpExchangesElementsAndRecords) {
  Drawing d;
  add_on(d, 5, 3);
  add_on(d, 4, 2);
  d.layers.layer[5].name.set("Walls");
  d.layers.layer[5].value = 2.5;
  d.current_layer = 5;
  ASSERT_TRUE(move_layer_up(d));
  count_per_layer(d.store, d.layers);
  EXPECT_EQ(d.current_layer, 4);
  EXPECT_EQ(d.layers.layer[4].count, 3u);
  EXPECT_EQ(d.layers.layer[5].count, 2u);
  EXPECT_EQ(d.layers.layer[4].name.view(), "Walls");
  EXPECT_EQ(d.layers.layer[4].value, 2.5);
  EXPECT_EQ(d.layers.layer[5].name.view(), "Layer 4");
  ASSERT_TRUE(move_layer_down(d));
  EXPECT_EQ(d.current_layer, 5);
}

TEST(Layers, MovesAtTheEndsChangeNothing) {
  Drawing d;
  add_on(d, 0, 1);
  d.current_layer = 0;
  EXPECT_FALSE(move_layer_up(d));
  d.current_layer = 999;
  EXPECT_FALSE(move_layer_down(d));
  EXPECT_EQ(d.store.head()->layer, 0);
}

TEST(Layers, DeleteRemovesElementsThroughUndo) {
  Drawing d;
  add_on(d, 2, 2);
  add_on(d, 3, 1);
  d.current_layer = 2;
  d.layers.layer[2].name.set("Doors");
  ASSERT_TRUE(current_layer_has_elements(d));
  delete_current_layer(d);
  EXPECT_EQ(std::tuple(d.store.size(), d.layers.layer[2].name.view(), d.store.head()->selected),
            std::tuple(1u, "", 0));
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 3u);
}

TEST(Layers, SetsSaveRecallDelete) {
  Drawing d;
  d.layers.layer[7].state = 1;
  d.current_layer = 7;
  save_layer_set(d, "Plan");
  save_layer_set(d, "Other");
  d.layers.layer[8].state = 1;
  d.current_layer = 8;
  save_layer_set(d, "Plan");  // replaced in place
  ASSERT_EQ(d.layers.sets.size(), 3u);
  EXPECT_EQ(d.layers.sets[1].name.view(), "Plan");
  EXPECT_EQ(d.layers.sets[1].layer, 8u);
  d.layers.layer[7].state = 0;
  d.layers.layer[8].state = 0;
  ASSERT_TRUE(recall_layer_set(d, "Other"));
  EXPECT_EQ(std::tuple(d.current_layer, d.layers.layer[7].state, d.layers.layer[8].state),
            std::tuple(7, 1, 0));
  EXPECT_EQ(delete_layer_set(d, "Default"), "");
  EXPECT_EQ(delete_layer_set(d, "Other"), "Plan");  // it was the last: the one before shows
  EXPECT_EQ(delete_layer_set(d, "Missing"), "");
  EXPECT_EQ(d.layers.sets.size(), 2u);
}

TEST(Layers, MergeFromFileReplacesStatesOrAppends) {
  Drawing d;
  d.current_layer = 12;
  LayerSet s;
  s.name.set("Default");
  s.states[3] = 1;
  s.layer = 400;
  merge_layer_set(d, s);
  ASSERT_EQ(d.layers.sets.size(), 1u);
  EXPECT_EQ(d.layers.sets[0].states[3], 1);
  EXPECT_EQ(d.layers.sets[0].layer, 12u);
  s.name.set("New");
  merge_layer_set(d, s);
  ASSERT_EQ(d.layers.sets.size(), 2u);
  EXPECT_EQ(d.layers.sets[1].layer, 400u);
}

TEST(Pens, PatternLengthCountsOnlyTheUsedSections) {
  LineType lt;
  lt.sections = 2;
  std::tie(lt.line[0], lt.space[0], lt.line[1], lt.space[1], lt.line[2]) =
      std::tuple(5.0, 2.0, 1.0, 2.0, 9.0);
  EXPECT_DOUBLE_EQ(pattern_length(lt), 10);
  lt.sections = 0;
  EXPECT_EQ(pattern_length(lt), 0);
}

}  // namespace
}  // namespace korav
