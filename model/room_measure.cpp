#include "model/room_measure.h"

#include <charconv>
#include <cmath>

#include "model/element_points.h"

namespace korav {

namespace {

// The factors of the "Area dimension" and "Volume dimension" settings: m, cm, mm, inch, feet.
constexpr double kLengthFactor[] = {1, 100, 1000, 1 / 0.0254, 1 / 0.3048};

double unit_factor(std::uint32_t unit, int power) {
  const double f = kLengthFactor[unit < 5 ? unit : 0];
  return power == 2 ? f * f : f * f * f;
}

void measure_line(std::string& s, double value, std::string_view unit_text) {
  if (!std::isfinite(value)) value = 0;
  if (std::fabs(value) < 0.005) value = 0;  // no "-0.00"
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  if (r.ec == std::errc()) s.assign(buf, r.ptr);
  else s = "0.00";
  s += ' ';
  s += unit_text;
}

}  // namespace

double signed_area(std::span<const Point2> p) {
  const std::size_t n = p.size();
  if (n < 3) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point2& next = p[(i + 1) % n];
    const Point2& prev = p[(i + n - 1) % n];
    sum += p[i].x * (next.y - prev.y);
  }
  return sum / 2;
}

double room_area(const Room& room) {
  if (!tail_intact(room)) return 0;
  const auto pts = outline_points(room);
  double area = 0;
  std::size_t from = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (!is_separator(pts[i])) continue;
    area += signed_area(pts.subspan(from, i - from));
    from = i + 1;
  }
  return area * room.factor;
}

double room_volume(const Room& room) { return room_area(room) * (room.top - room.base); }

std::vector<std::string> room_inscription(const Room& room, const RoomTextOptions& o) {
  std::vector<std::string> lines;
  room_inscription(room, o, lines);
  return lines;
}

void room_inscription(const Room& room, const RoomTextOptions& o, std::vector<std::string>& lines) {
  std::size_t n = 0;
  auto next = [&]() -> std::string& {
    if (lines.size() <= n) lines.emplace_back();
    return lines[n++];
  };
  if (room.show_description) next() = room.description.view();
  if (room.show_number) next() = room.number.view();
  if (room.show_area)
    measure_line(next(), room_area(room) * unit_factor(o.area_unit, 2), o.area_text.view());
  if (room.show_volume)
    measure_line(next(), room_volume(room) * unit_factor(o.volume_unit, 3), o.volume_text.view());
  lines.resize(n);
}

}  // namespace korav
