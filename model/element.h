// Drawing element records.
//
// Every drawn thing is one record: the element header followed by the fields of its kind and,
// for some kinds, a variable tail (points, openings, mesh data, text) kept inline in the same
// allocation. A record is trivially copyable and its total size is stored in it, so a byte copy
// of `size` bytes is a valid element; undo moves and copies records as one unit that way.
// Which points each kind stores, and its tails checked against the record size, are described
// once in model/element_points.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace korav {

enum ElementType : std::uint8_t {
  kLine = 1,
  kCircle = 2,
  kText = 3,
  kDimension = 4,
  kWall = 5,
  kPattern = 6,
  kSpline = 7,
  kLine3D = 8,
  kObject3D = 9,
  kCamera = 10,
  kRoom = 11,
  kLight = 12,
};

inline constexpr int kElementTypeCount = 12;
inline constexpr int kMaxOpenings = 15;
inline constexpr int kMaxOutlinePoints = 499;
inline constexpr int kGuidePen = 99;
inline constexpr int kLineTypePoints = 100;
inline constexpr int kLineTypeFilling = 101;
inline constexpr int kTempLayer = 1007;

// A 2D point as stored: x, y and the point mark flag (1 while marked for stretching).
struct Point2 {
  double x = 0, y = 0;
  std::uint8_t mark = 0;
};

struct Point3 {
  double x = 0, y = 0, z = 0;
  std::uint8_t mark = 0;
};

// The point (999, 999) ends each sub-polygon of a pattern or room outline.
inline constexpr double kSeparator = 999.0;
inline bool is_separator(double x, double y) {
  return (x - kSeparator) < 1e-6 && (kSeparator - x) < 1e-6 && (y - kSeparator) < 1e-6 &&
         (kSeparator - y) < 1e-6;
}
inline bool is_separator(const Point2& p) { return is_separator(p.x, p.y); }

// Fixed-size, NUL-terminated name fields as stored in the records and files.
template <std::size_t N>
struct FixedName {
  char s[N] = {};
  void set(std::string_view v) {
    std::size_t n = v.size() < N - 1 ? v.size() : N - 1;
    if (n) std::memcpy(s, v.data(), n);
    std::memset(s + n, 0, N - n);
  }
  std::string_view view() const { return std::string_view(s, strnlen(s, N)); }
  const char* c_str() const { return s; }  // callers must not rely on it past N bytes
  bool operator==(const FixedName&) const = default;
};

struct Element {
  Element* next = nullptr;
  Element* prev = nullptr;
  std::uint8_t type = 0;
  std::uint8_t selected = 0;
  std::uint32_t undo_mask = 0;
  std::uint16_t layer = 0;
  std::uint32_t size = 0;  // whole record in bytes, tail included
  std::uint16_t group = 0;
  std::uint8_t pen = 0;
  std::uint8_t line_type = 0;
  // Where the spatial index last put the record: a hint it checks against its own entries
  // (a copy of a record carries the original's), never trusted on its own.
  std::uint32_t index_slot = 0xffffffffu;
};
static_assert(sizeof(Element) == 40);

struct Line : Element {
  static constexpr ElementType kType = kLine;
  Point2 start, end;
};

// Circle, arc, ellipse and elliptic arc.
struct Circle : Element {
  static constexpr ElementType kType = kCircle;
  Point2 centre;
  double radius1 = 0;  // along the axis
  double radius2 = 0;  // across the axis
  double sweep = 0;    // 2*pi for a closed curve
  double start_angle = 0;
  double axis_angle = 0;
};

struct Text : Element {
  static constexpr ElementType kType = kText;
  Point2 pos;
  FixedName<21> font;
  std::uint8_t align = 0;  // 0 left, 1 right, 2 centred, 3 justified
  double angle = 0;
  double height = 0;  // mm on paper
  double width_factor = 0;
  double spacing = 0;
  double line_spacing = 0;
  double fitted_width = 0;
  // tail: NUL-terminated string
  const char* text() const { return reinterpret_cast<const char*>(this + 1); }
  char* text() { return reinterpret_cast<char*>(this + 1); }
};

struct DimPoint {
  Point2 foot;
  Point2 measured;
  double distance = 0;
  double override_value = 0;
  double height_figure = 0;
  double extra[3] = {0, 0, 0};  // the last two: figure offset along and across the line
};

// The kind byte of a Dimension.
enum DimensionKind : std::uint8_t {
  kDimChain = 0,
  kDimRadius = 1,
  kDimDiameter = 2,
  kDimHeights = 3,
  kDimAngle = 4,
};

struct Dimension : Element {
  static constexpr ElementType kType = kDimension;
  FixedName<21> font;
  std::uint8_t unit_style = 0;
  std::uint8_t mark_style = 0;
  double direction = 0;
  double figure_height = 0;
  double spacing[3] = {0, 0, 0};
  std::uint8_t display[2] = {0, 0};
  double extension = 0;
  std::uint32_t count = 0;
  std::uint8_t kind = 0;  // 0 chain, 1 radius, 2 diameter, 3 heights, 4 angle
  DimPoint* points() { return reinterpret_cast<DimPoint*>(this + 1); }
  const DimPoint* points() const { return reinterpret_cast<const DimPoint*>(this + 1); }
};

struct OutlineLine {
  Point2 start, end;
};

struct Opening {
  Point3 corner[8];
  std::uint8_t spare = 0;
  std::uint8_t kind = 0;  // 1 opening, 2 door, 3 window
  std::uint8_t subtype = 0;
  std::uint8_t leaf_side = 0;
  double base = 0;
  double height = 0;
  double stop_width = 0;
  double stop_depth = 0;
};

struct Wall : Element {
  static constexpr ElementType kType = kWall;
  Point3 corner[8];
  std::uint32_t line_count = 0;
  std::uint32_t opening_count = 0;
  FixedName<40> material;
  std::uint8_t gable = 0;
  Point3 gable_point[2];  // only the first point's mark is stored in files
  OutlineLine* lines() { return reinterpret_cast<OutlineLine*>(this + 1); }
  const OutlineLine* lines() const { return reinterpret_cast<const OutlineLine*>(this + 1); }
  Opening* openings() { return reinterpret_cast<Opening*>(lines() + line_count); }
  const Opening* openings() const { return reinterpret_cast<const Opening*>(lines() + line_count); }
};

struct Pattern : Element {
  static constexpr ElementType kType = kPattern;
  std::uint8_t pen2 = 0;
  std::uint8_t line_type2 = 0;
  Point2 origin;
  Point2 offset;
  double angle1 = 0;
  double spacing1 = 0;
  double angle2 = 0;
  double spacing2 = 0;
  double red = 0, green = 0, blue = 0;
  std::uint8_t kind = 0;  // 0 one family, 1 two families, 2 points, 3 filling
  std::uint32_t count = 0;
  Point2* points() { return reinterpret_cast<Point2*>(this + 1); }
  const Point2* points() const { return reinterpret_cast<const Point2*>(this + 1); }
};

struct Spline : Element {
  static constexpr ElementType kType = kSpline;
  Point2 p[4];
};

struct Line3D : Element {
  static constexpr ElementType kType = kLine3D;
  Point3 start, end;
};

// Mesh tail layout: face vertex counts (u32 × faces), padding to 8, vertices (Point3 × vertices),
// vertex indices (u32 × sum of face counts).
struct Object3D : Element {
  static constexpr ElementType kType = kObject3D;
  FixedName<40> material;
  std::uint32_t vertex_count = 0;
  std::uint32_t face_count = 0;
  std::uint32_t index_count = 0;  // sum of face counts, kept for the tail layout
  std::uint8_t option = 0;
  static std::size_t vertices_offset(std::uint32_t faces) {
    return (faces * sizeof(std::uint32_t) + 7) & ~std::size_t{7};
  }
  static std::size_t tail_size(std::uint32_t faces, std::uint32_t vertices, std::uint32_t indices) {
    return vertices_offset(faces) + vertices * sizeof(Point3) + indices * sizeof(std::uint32_t);
  }
  std::uint32_t* face_sizes() { return reinterpret_cast<std::uint32_t*>(this + 1); }
  const std::uint32_t* face_sizes() const {
    return reinterpret_cast<const std::uint32_t*>(this + 1);
  }
  Point3* vertices() {
    return reinterpret_cast<Point3*>(reinterpret_cast<char*>(this + 1) +
                                     vertices_offset(face_count));
  }
  const Point3* vertices() const {
    return reinterpret_cast<const Point3*>(reinterpret_cast<const char*>(this + 1) +
                                           vertices_offset(face_count));
  }
  std::uint32_t* indices() { return reinterpret_cast<std::uint32_t*>(vertices() + vertex_count); }
  const std::uint32_t* indices() const {
    return reinterpret_cast<const std::uint32_t*>(vertices() + vertex_count);
  }
};

struct Camera : Element {
  static constexpr ElementType kType = kCamera;
  Point3 eye;
  Point3 target;
  double lens_angle = 0;
  std::uint32_t active = 0;
};

struct Room : Element {
  static constexpr ElementType kType = kRoom;
  Point2 pos;
  FixedName<21> font;
  double angle = 0;
  double height = 0;  // inscription height, mm on paper
  double width_factor = 0;
  double spacing = 0;
  double line_spacing = 0;
  FixedName<128> description;
  FixedName<40> number;
  double factor = 0;
  double base = 0;
  double top = 0;
  std::uint8_t show_area = 0, show_volume = 0, show_description = 0, show_number = 0;
  std::uint32_t count = 0;
  Point2* points() { return reinterpret_cast<Point2*>(this + 1); }
  const Point2* points() const { return reinterpret_cast<const Point2*>(this + 1); }
};

struct Light : Element {
  static constexpr ElementType kType = kLight;
  Point3 pos;
  Point3 target;
  std::uint8_t spot = 0;
  double red = 0, green = 0, blue = 0;
  double size = 0;
  double spot_angle = 0;
  double shadow_intensity = 0;
  std::uint8_t shadow = 0;
};

// Checked downcast: nullptr when the element is of another kind.
template <class T>
T* as(Element* e) {
  return e && e->type == T::kType ? static_cast<T*>(e) : nullptr;
}
template <class T>
const T* as(const Element* e) {
  return e && e->type == T::kType ? static_cast<const T*>(e) : nullptr;
}

// The chunk key of a kind ("LINE", "CIRC", ...), or "" for an unknown code.
std::string_view element_key(int type);

static_assert(std::is_trivially_copyable_v<Wall> && std::is_trivially_copyable_v<Object3D>);
static_assert(alignof(Wall) == 8 && sizeof(Element) % 8 == 0);

}  // namespace korav
