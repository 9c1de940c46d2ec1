#include "three_d/wall_solid.h"

#include <vector>

namespace korav {

Mesh wall_mesh(const Wall& w) {
  // The body as a box over the eight corners; openings are not cut yet.
  Mesh m;
  for (const Point3& c : w.corner) m.add_vertex(c.x, c.y, c.z);
  m.add_face({0, 1, 2, 3});
  m.add_face({4, 7, 6, 5});
  m.add_face({0, 4, 5, 1});
  m.add_face({1, 5, 6, 2});
  m.add_face({2, 6, 7, 3});
  m.add_face({3, 7, 4, 0});
  return m;
}

int walls_to_solids(ElementStore& store) {
  std::vector<const Wall*> walls;
  for (const Element& e : store.list)
    if (const Wall* w = as<Wall>(&e); w && w->selected == 1) walls.push_back(w);
  // The solids are working copies: the drawing does not count as altered by them.
  const bool modified = store.modified;
  int made = 0;
  for (const Wall* w : walls) {
    const Mesh m = wall_mesh(*w);
    if (store_mesh(store, m, kTempLayer, w->pen, w->line_type, w->material.view())) ++made;
  }
  store.modified = modified;
  return made;
}

void remove_temp_solids(ElementStore& store) {
  for (Element* e = store.head(); e;) {
    Element* next = e->next;
    if (e->layer == kTempLayer) free_record(store.list.unlink(e));
    e = next;
  }
}

}  // namespace korav
