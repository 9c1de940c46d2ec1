#include "model/drawing.h"

namespace korav {

void Drawing::clear() {
  undo.clear(store);
  store.clear();
  layers.reset_names_and_sets();
  camera = ViewCamera{};
}

}  // namespace korav
