#include "app/filter.h"

namespace korav {

int filter_object_type(int entry) {
  static constexpr int kCodes[12] = {kLine,   kCircle, kText,     kDimension, kWall,  kPattern,
                                     kSpline, kLine3D, kObject3D, kRoom,      kLight, kCamera};
  return entry >= 0 && entry < 12 ? kCodes[entry] : 0;
}

bool passes_filter(const Filter& f, const Element& e) {
  if (!f.active) return true;
  switch (f.by) {
    case kFilterPen: return e.pen == f.pen;
    case kFilterLine: return e.line_type == f.line_type;
    case kFilterPenLine: return e.pen == f.pen && e.line_type == f.line_type;
    case kFilterObjectType: return e.type == filter_object_type(f.object_entry);
    default: return true;
  }
}

void filter_to_settings(const Filter& f, std::array<std::uint32_t, 3>& out) {
  out[0] = static_cast<std::uint32_t>(f.line_type);
  out[1] = static_cast<std::uint32_t>(f.pen);
  out[2] = static_cast<std::uint32_t>(f.by);
}

void filter_from_settings(Filter& f, const std::array<std::uint32_t, 3>& in) {
  f.line_type = in[0] <= 255 ? static_cast<int>(in[0]) : 0;
  f.pen = in[1] <= 255 ? static_cast<int>(in[1]) : 0;
  f.by = in[2] <= kFilterObjectType ? static_cast<int>(in[2]) : kFilterPen;
}

}  // namespace korav
