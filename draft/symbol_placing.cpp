#include "draft/symbol_placing.h"

#include <algorithm>
#include <cmath>

namespace korav {

unsigned last_group_number(const ElementStore& store, int placing_layer) {
  unsigned highest = 0;
  for (const Element& e : store.list)
    if (e.layer != placing_layer) highest = std::max<unsigned>(highest, e.group);
  return highest;
}

void place_symbol(Drawing& d, std::size_t count, double angle, Vec3 at, SymbolGroups groups,
                  int placing_layer) {
  if (count == 0) return;
  if (std::isfinite(angle) && angle != 0) rotate_selected(d.store, rotation_in_plan({0, 0}, angle));
  translate_elements(d.store, at.x, at.y, at.z, TranslateScope::kSelectedOnly);
  const unsigned highest = last_group_number(d.store, placing_layer);
  Element* first = d.store.tail();
  for (std::size_t i = 1; i < count && first && first->prev; ++i) first = first->prev;
  for (Element* e = first; e; e = e->next) e->layer = static_cast<std::uint16_t>(d.current_layer);
  if (groups == SymbolGroups::kRenumber) {
    renumber_groups(first, highest);
  } else {
    const std::uint16_t group = static_cast<std::uint16_t>(highest < 65535 ? highest + 1 : 0);
    for (Element* e = first; e; e = e->next) e->group = group;
  }
  d.deselect_all();
  d.undo.record(d.store, kUndoMarkLast, static_cast<int>(count));
  d.store.modified = true;
}

void drop_symbol(Drawing& d) {
  const bool modified = d.store.modified;
  d.store.purge();
  d.store.modified = modified;
}

}  // namespace korav
