// The open drawing: its elements, undo history, layers, options and the global drawing state
// that tools read and change.
#pragma once

#include <string>

#include "model/layers.h"
#include "model/projection.h"
#include "model/settings.h"
#include "model/spatial_index.h"
#include "model/store.h"
#include "model/undo.h"

namespace korav {

struct Drawing {
  ElementStore store;
  UndoHistory undo;
  Layers layers;
  Settings settings;
  int current_layer = 0;
  int current_pen = 0;
  int current_line_type = 0;
  bool guide_mode = false;  // new elements get the guide pen
  std::string file_name;
  ViewCamera camera;  // the camera view, from the active camera
  // A cache of where the elements are; searches reach it through indexed().
  mutable SpatialIndex index;

  Drawing() { clear(); }

  // Clear drawing: frees every element and layer state set, resets layer and list names,
  // leaves the single set "Default", disables undo and redo.
  void clear();

  // The index, brought up to date with the store; nullptr when it is switched off.
  SpatialIndex* indexed() const {
    if (!index.enabled) return nullptr;
    index.refresh(store, settings.drawing_scale);
    return &index;
  }

  // Pen for a new element: the guide pen in guide mode, else the current pen.
  int new_pen() const { return guide_mode ? kGuidePen : current_pen; }

  // Selection helpers (the caller redraws).
  void select(Element& e) { e.selected = 1; }
  void deselect(Element& e) { e.selected = 0; }
  void deselect_all() {
    for (Element& e : store.list) e.selected = 0;
  }
};

// Runs `search` (a callable taking a range of Element*, in store order, and returning what it
// found) over the elements `query(index)` offers, or over the whole store when the index is
// off. With verification it runs over the whole store as well, and both must agree.
template <class Query, class Search>
auto search_elements(const Drawing& d, const char* what, Query&& query, Search&& search) {
  SpatialIndex* index = d.indexed();
  if (!index) return search(ListPointers{d.store.list});
  auto found = search(query(*index));
  if (index->verify && !(search(ListPointers{d.store.list}) == found)) index_mismatch(what);
  return found;
}

}  // namespace korav
