// The selection filter (dialog "Filter"): restricts range, element, group and "all" selections
// to elements of one pen, one line type, both, or one element kind.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/element.h"

namespace korav {

enum FilterBy : int { kFilterPen = 0, kFilterLine = 1, kFilterPenLine = 2, kFilterObjectType = 3 };

// The entries of the "Object type" option menu, in menu order.
inline constexpr std::array<std::string_view, 12> kFilterObjectNames = {
    "Line",   "Circle",  "Text",      "Dimension", "Wall",  "Pattern",
    "Spline", "3D Line", "3D Object", "Room",      "Light", "Camera"};

struct Filter {
  bool active = false;
  int by = kFilterPen;  // FilterBy
  int pen = 0;
  int line_type = 0;
  int object_entry = 0;  // index into kFilterObjectNames
};

// The element type code that an "Object type" entry names (the menu order is not the code
// order at its end: "Room" is 11, "Light" 12, "Camera" 10); 0 for an index out of range.
int filter_object_type(int entry);

bool passes_filter(const Filter& f, const Element& e);

// The filter's part of the settings chunk: line type, pen, filter by.
void filter_to_settings(const Filter& f, std::array<std::uint32_t, 3>& out);
// Reads them back; values out of range fall back to the defaults.
void filter_from_settings(Filter& f, const std::array<std::uint32_t, 3>& in);

}  // namespace korav
