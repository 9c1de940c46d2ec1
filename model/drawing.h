// The open drawing: its elements, undo history, layers, options and the global drawing state
// that tools read and change.
#pragma once

#include <string>

#include "model/layers.h"
#include "model/projection.h"
#include "model/settings.h"
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

  Drawing() { clear(); }

  // Clear drawing: frees every element and layer state set, resets layer and list names,
  // leaves the single set "Default", disables undo and redo.
  void clear();

  // Pen for a new element: the guide pen in guide mode, else the current pen.
  int new_pen() const { return guide_mode ? kGuidePen : current_pen; }

  // Selection helpers (the caller redraws).
  void select(Element& e) { e.selected = 1; }
  void deselect(Element& e) { e.selected = 0; }
  void deselect_all() {
    for (Element& e : store.list) e.selected = 0;
  }
};

}  // namespace korav
