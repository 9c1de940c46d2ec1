#include "model/element_points.h"

namespace korav {

void clear_point_marks(Element& e) {
  for_each_point(e, [](const PointRef& p) { *p.mark = 0; });
}

bool has_marked_point(const Element& e) {
  return for_each_point(e, [](const ConstPointRef& p) { return p.marked(); });
}

}  // namespace korav
