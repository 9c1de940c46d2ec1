#include "model/element.h"

namespace korav {

std::string_view element_key(int type) {
  static constexpr std::string_view keys[] = {"",     "LINE", "CIRC", "TEX2", "DIM3",
                                              "WALL", "PAT2", "SPLI", "LIN3", "OBJ3",
                                              "OCAM", "ROO2", "LIG2"};
  return type >= 1 && type <= kElementTypeCount ? keys[type] : std::string_view{};
}

}  // namespace korav
