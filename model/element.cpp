#include "model/element.h"

namespace korav {

void clear_point_marks(Element& e) {
  for_each_point(e, [](Point2& p) { p.mark = 0; }, [](Point3& p) { p.mark = 0; });
}

bool has_marked_point(const Element& e) {
  bool marked = false;
  for_each_point(const_cast<Element&>(e), [&](Point2& p) { marked |= p.mark != 0; },
                 [&](Point3& p) { marked |= p.mark != 0; });
  return marked;
}

std::string_view element_key(int type) {
  static constexpr std::string_view keys[] = {"",     "LINE", "CIRC", "TEX2", "DIM3", "WALL", "PAT2",
                                              "SPLI", "LIN3", "OBJ3", "OCAM", "ROO2", "LIG2"};
  return type >= 1 && type <= kElementTypeCount ? keys[type] : std::string_view{};
}

}  // namespace korav
