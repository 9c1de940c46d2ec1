// Placing an inserted symbol: the elements of a symbol file come in selected on the placing
// layer (files/symbols.h); once the user has given the origin and the angle they are turned
// about (0, 0), moved to the origin, put on the current layer and given group numbers of their
// own, and the insert becomes one undo step. A cancelled insert takes them out again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draft/transform.h"
#include "model/drawing.h"

namespace korav {

// The highest group number of the drawing's elements; elements being placed (on `placing_layer`)
// do not count.
unsigned last_group_number(const ElementStore& store, int placing_layer);

enum class SymbolGroups {
  kOneGroup,  // load and list: the whole symbol becomes one new group
  kRenumber,  // paste: each group inside gets a new number, group 0 stays 0
};

// The `count` inserted elements, the last ones of the store (selected): turned by `angle` about
// the vertical through (0, 0), moved by `at`, put on the current layer, grouped, deselected and
// recorded as one undo step (created).
void place_symbol(Drawing& d, std::size_t count, double angle, Vec3 at, SymbolGroups groups,
                  int placing_layer);

// A cancelled insert: the selected elements are removed, the drawing is as before.
void drop_symbol(Drawing& d);

}  // namespace korav
