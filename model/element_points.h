// The points of an element, described once for every kind.
//
// `for_each_point` visits every point a record stores, in record order, fixed part first and
// then its tail, each as a small reference: where its x, y (and z for a 3D point) and its mark
// flag are, which point of its element it is (its role and number), and whether it is an
// outline separator, a vector rather than a place, or stored but not in use. Whatever works on
// "every point of an element" (marks, stretching, moving, range selection, snap candidates,
// extents, exporters) goes through it, so a new kind is described here and nowhere else.
//
// The tails are bounds-checked against the record size: an item that would run past the end of
// the record (a damaged record) is not there, so such a record gives fewer points, never a read
// beyond its end. The checked tails are also available on their own, for the walks that need
// the items themselves (outline lines, openings, dimension points, mesh faces).
//
// Everything here is inline and allocates nothing: the redraw, snap and load loops use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "model/element.h"

namespace korav {

// Which point of its element a point is. Kinds share roles where their points mean the same.
enum class PointRole : std::uint8_t {
  kEnd,            // Line, Line3D: start (0) and end (1)
  kCentre,         // Circle
  kInsertion,      // Text
  kLabel,          // Room: the inscription point
  kControl,        // Spline: the four control points, 0 and 3 its ends
  kFoot,           // Dimension: foot point of dimension point i
  kMeasured,       // Dimension: measured point of dimension point i
  kCorner,         // Wall: corners 0 to 3 at the base, 4 to 7 above them
  kGable,          // Wall: the two gable points
  kOutlineEnd,     // Wall: outline line i has ends 2i (start) and 2i + 1 (end)
  kOpeningCorner,  // Wall: corner c of opening i is 8i + c
  kOrigin,         // Pattern: origin of the line families
  kSpacing,        // Pattern: the point the second line family passes through
  kOutline,        // Pattern, Room: outline point i, separators included
  kVertex,         // Object3D
  kEye,            // Camera
  kTarget,         // Camera, Light
  kPosition,       // Light
};

// One stored point of an element. PointRef can change the point, ConstPointRef only reads it.
template <bool Const>
struct BasicPointRef {
  using Coord = std::conditional_t<Const, const double, double>;
  using Flag = std::conditional_t<Const, const std::uint8_t, std::uint8_t>;

  Coord* x = nullptr;
  Coord* y = nullptr;
  Coord* z = nullptr;  // none for a 2D point
  Flag* mark = nullptr;
  PointRole role = PointRole::kEnd;
  std::uint32_t index = 0;  // number of the point within its role, see PointRole
  bool separator = false;   // (999, 999) ending a sub-polygon of an outline: no place
  bool relative = false;    // a vector relative to the element: turned with the element,
                            // never moved, never marked (no kind stores one at present)
  bool unused = false;      // stored but not part of the element (gable points without gable)

  bool is_3d() const { return z != nullptr; }
  bool marked() const { return *mark != 0; }
  double z_or(double fallback) const { return z ? *z : fallback; }
  // A place of the element: neither a separator nor a relative vector.
  bool is_place() const { return !separator && !relative; }
  // Reading through a PointRef as through a ConstPointRef.
  operator BasicPointRef<true>() const requires(!Const) {
    return {x, y, z, mark, role, index, separator, relative, unused};
  }
};

using PointRef = BasicPointRef<false>;
using ConstPointRef = BasicPointRef<true>;

// The kinds that store 3D points (and so have a place in the 3D views of their own).
constexpr bool has_3d_points(int type) {
  return type == kWall || type == kLine3D || type == kObject3D || type == kCamera || type == kLight;
}

namespace element_points_detail {

template <class T, class E>
using Like = std::conditional_t<std::is_const_v<E>, const T, T>;

// `count` items of T from byte `offset` of the record on, or none when they would run past the
// record's end.
template <class T, class E>
std::span<Like<T, E>> tail_items(E& e, std::uint64_t offset, std::uint64_t count) {
  const std::uint64_t size = e.size;
  if (size < offset || count > (size - offset) / sizeof(T)) return {};
  auto* bytes = reinterpret_cast<Like<char, E>*>(&e) + offset;
  return {reinterpret_cast<Like<T, E>*>(bytes), static_cast<std::size_t>(count)};
}

template <class E>
std::uint64_t openings_offset(E& w) {
  return sizeof(Wall) + std::uint64_t{w.line_count} * sizeof(OutlineLine);
}

template <class E>
std::uint64_t vertices_offset(E& o) {
  return sizeof(Object3D) + Object3D::vertices_offset(o.face_count);
}

template <class E>
std::uint64_t indices_offset(E& o) {
  return vertices_offset(o) + std::uint64_t{o.vertex_count} * sizeof(Point3);
}

}  // namespace element_points_detail

// ---- The tails, bounds-checked ----

inline std::span<DimPoint> dimension_points(Dimension& d) {
  return element_points_detail::tail_items<DimPoint>(d, sizeof(Dimension), d.count);
}
inline std::span<const DimPoint> dimension_points(const Dimension& d) {
  return element_points_detail::tail_items<DimPoint>(d, sizeof(Dimension), d.count);
}

inline std::span<OutlineLine> wall_lines(Wall& w) {
  return element_points_detail::tail_items<OutlineLine>(w, sizeof(Wall), w.line_count);
}
inline std::span<const OutlineLine> wall_lines(const Wall& w) {
  return element_points_detail::tail_items<OutlineLine>(w, sizeof(Wall), w.line_count);
}

// None when the outline lines before them do not fit either.
inline std::span<Opening> wall_openings(Wall& w) {
  return element_points_detail::tail_items<Opening>(w, element_points_detail::openings_offset(w),
                                                    w.opening_count);
}
inline std::span<const Opening> wall_openings(const Wall& w) {
  return element_points_detail::tail_items<Opening>(w, element_points_detail::openings_offset(w),
                                                    w.opening_count);
}

inline std::span<Point2> outline_points(Pattern& p) {
  return element_points_detail::tail_items<Point2>(p, sizeof(Pattern), p.count);
}
inline std::span<const Point2> outline_points(const Pattern& p) {
  return element_points_detail::tail_items<Point2>(p, sizeof(Pattern), p.count);
}
inline std::span<Point2> outline_points(Room& r) {
  return element_points_detail::tail_items<Point2>(r, sizeof(Room), r.count);
}
inline std::span<const Point2> outline_points(const Room& r) {
  return element_points_detail::tail_items<Point2>(r, sizeof(Room), r.count);
}

inline std::span<const std::uint32_t> mesh_face_sizes(const Object3D& o) {
  return element_points_detail::tail_items<std::uint32_t>(o, sizeof(Object3D), o.face_count);
}
inline std::span<Point3> mesh_vertices(Object3D& o) {
  return element_points_detail::tail_items<Point3>(o, element_points_detail::vertices_offset(o),
                                                   o.vertex_count);
}
inline std::span<const Point3> mesh_vertices(const Object3D& o) {
  return element_points_detail::tail_items<Point3>(o, element_points_detail::vertices_offset(o),
                                                   o.vertex_count);
}
inline std::span<const std::uint32_t> mesh_indices(const Object3D& o) {
  return element_points_detail::tail_items<std::uint32_t>(
      o, element_points_detail::indices_offset(o), o.index_count);
}

// The text of a Text, up to its NUL or the record's end.
inline std::string_view text_of(const Text& t) {
  if (t.size <= sizeof(Text)) return {};
  return {t.text(), strnlen(t.text(), t.size - sizeof(Text))};
}

// True when every tail item the record's counts claim lies inside the record. Output drivers
// and file writers that take the counts as they are read only records for which this holds.
inline bool tail_intact(const Element& e) {
  switch (e.type) {
    case kDimension: {
      auto& d = static_cast<const Dimension&>(e);
      return dimension_points(d).size() == d.count;
    }
    case kWall: {
      auto& w = static_cast<const Wall&>(e);
      return wall_lines(w).size() == w.line_count && wall_openings(w).size() == w.opening_count;
    }
    case kPattern: {
      auto& p = static_cast<const Pattern&>(e);
      return outline_points(p).size() == p.count;
    }
    case kRoom: {
      auto& r = static_cast<const Room&>(e);
      return outline_points(r).size() == r.count;
    }
    case kObject3D: {
      auto& o = static_cast<const Object3D&>(e);
      return mesh_face_sizes(o).size() == o.face_count &&
             mesh_vertices(o).size() == o.vertex_count && mesh_indices(o).size() == o.index_count;
    }
    default: return true;
  }
}

namespace element_points_detail {

// f's result, or false for a function that returns nothing: true stops a walk.
template <class F, class... A>
bool stops(F& f, A&&... a) {
  if constexpr (std::is_void_v<std::invoke_result_t<F&, A...>>) {
    f(static_cast<A&&>(a)...);
    return false;
  } else {
    return static_cast<bool>(f(static_cast<A&&>(a)...));
  }
}

template <class Ref, class P>
Ref ref2(P& p, PointRole role, std::uint32_t index) {
  Ref r;
  r.x = &p.x;
  r.y = &p.y;
  r.mark = &p.mark;
  r.role = role;
  r.index = index;
  return r;
}

template <class Ref, class P>
Ref ref3(P& p, PointRole role, std::uint32_t index) {
  Ref r = ref2<Ref>(p, role, index);
  r.z = &p.z;
  return r;
}

template <class Ref, class Points, class F>
bool outline(Points pts, F& f) {
  for (std::uint32_t i = 0; i < pts.size(); ++i) {
    Ref r = ref2<Ref>(pts[i], PointRole::kOutline, i);
    r.separator = is_separator(pts[i]);
    if (stops(f, r)) return true;
  }
  return false;
}

template <class T>
constexpr bool kIsKind =
    std::is_base_of_v<Element, T> && !std::is_same_v<std::remove_const_t<T>, Element>;

// The one description of the points of each kind; T is the kind's record, const or not.
template <class T, class F>
bool kind_points(T& e, F& f) {
  using K = std::remove_const_t<T>;
  using Ref = BasicPointRef<std::is_const_v<T>>;
  if constexpr (std::is_same_v<K, Line>) {
    return stops(f, ref2<Ref>(e.start, PointRole::kEnd, 0)) ||
           stops(f, ref2<Ref>(e.end, PointRole::kEnd, 1));
  } else if constexpr (std::is_same_v<K, Line3D>) {
    return stops(f, ref3<Ref>(e.start, PointRole::kEnd, 0)) ||
           stops(f, ref3<Ref>(e.end, PointRole::kEnd, 1));
  } else if constexpr (std::is_same_v<K, Circle>) {
    return stops(f, ref2<Ref>(e.centre, PointRole::kCentre, 0));
  } else if constexpr (std::is_same_v<K, Text>) {
    return stops(f, ref2<Ref>(e.pos, PointRole::kInsertion, 0));
  } else if constexpr (std::is_same_v<K, Dimension>) {
    auto pts = dimension_points(e);
    for (std::uint32_t i = 0; i < pts.size(); ++i)
      if (stops(f, ref2<Ref>(pts[i].foot, PointRole::kFoot, i)) ||
          stops(f, ref2<Ref>(pts[i].measured, PointRole::kMeasured, i)))
        return true;
    return false;
  } else if constexpr (std::is_same_v<K, Wall>) {
    for (std::uint32_t i = 0; i < 8; ++i)
      if (stops(f, ref3<Ref>(e.corner[i], PointRole::kCorner, i))) return true;
    for (std::uint32_t i = 0; i < 2; ++i) {
      Ref g = ref3<Ref>(e.gable_point[i], PointRole::kGable, i);
      g.unused = e.gable != 1;
      if (stops(f, g)) return true;
    }
    auto lines = wall_lines(e);
    for (std::uint32_t i = 0; i < lines.size(); ++i)
      if (stops(f, ref2<Ref>(lines[i].start, PointRole::kOutlineEnd, 2 * i)) ||
          stops(f, ref2<Ref>(lines[i].end, PointRole::kOutlineEnd, 2 * i + 1)))
        return true;
    auto openings = wall_openings(e);
    for (std::uint32_t i = 0; i < openings.size(); ++i)
      for (std::uint32_t c = 0; c < 8; ++c)
        if (stops(f, ref3<Ref>(openings[i].corner[c], PointRole::kOpeningCorner, 8 * i + c)))
          return true;
    return false;
  } else if constexpr (std::is_same_v<K, Pattern>) {
    if (stops(f, ref2<Ref>(e.origin, PointRole::kOrigin, 0))) return true;
    if (stops(f, ref2<Ref>(e.offset, PointRole::kSpacing, 0))) return true;
    return outline<Ref>(outline_points(e), f);
  } else if constexpr (std::is_same_v<K, Spline>) {
    for (std::uint32_t i = 0; i < 4; ++i)
      if (stops(f, ref2<Ref>(e.p[i], PointRole::kControl, i))) return true;
    return false;
  } else if constexpr (std::is_same_v<K, Object3D>) {
    auto v = mesh_vertices(e);
    for (std::uint32_t i = 0; i < v.size(); ++i)
      if (stops(f, ref3<Ref>(v[i], PointRole::kVertex, i))) return true;
    return false;
  } else if constexpr (std::is_same_v<K, Camera>) {
    return stops(f, ref3<Ref>(e.eye, PointRole::kEye, 0)) ||
           stops(f, ref3<Ref>(e.target, PointRole::kTarget, 0));
  } else if constexpr (std::is_same_v<K, Room>) {
    if (stops(f, ref2<Ref>(e.pos, PointRole::kLabel, 0))) return true;
    return outline<Ref>(outline_points(e), f);
  } else {
    static_assert(std::is_same_v<K, Light>, "a kind without a description of its points");
    return stops(f, ref3<Ref>(e.pos, PointRole::kPosition, 0)) ||
           stops(f, ref3<Ref>(e.target, PointRole::kTarget, 0));
  }
}

// By the type code; E is Element or const Element.
template <class E, class F>
bool walk(E& e, F& f) {
  switch (e.type) {
    case kLine: return kind_points(static_cast<Like<Line, E>&>(e), f);
    case kCircle: return kind_points(static_cast<Like<Circle, E>&>(e), f);
    case kText: return kind_points(static_cast<Like<Text, E>&>(e), f);
    case kDimension: return kind_points(static_cast<Like<Dimension, E>&>(e), f);
    case kWall: return kind_points(static_cast<Like<Wall, E>&>(e), f);
    case kPattern: return kind_points(static_cast<Like<Pattern, E>&>(e), f);
    case kSpline: return kind_points(static_cast<Like<Spline, E>&>(e), f);
    case kLine3D: return kind_points(static_cast<Like<Line3D, E>&>(e), f);
    case kObject3D: return kind_points(static_cast<Like<Object3D, E>&>(e), f);
    case kCamera: return kind_points(static_cast<Like<Camera, E>&>(e), f);
    case kRoom: return kind_points(static_cast<Like<Room, E>&>(e), f);
    case kLight: return kind_points(static_cast<Like<Light, E>&>(e), f);
    default: return false;
  }
}

}  // namespace element_points_detail

// Calls f(PointRef) for every stored point of the element in record order (f(ConstPointRef)
// for a const element). f may return bool: true stops the walk, and for_each_point then
// returns true. Elements of unknown kinds have no points.
template <class F>
bool for_each_point(Element& e, F&& f) {
  return element_points_detail::walk(e, f);
}
template <class F>
bool for_each_point(const Element& e, F&& f) {
  return element_points_detail::walk(e, f);
}
// The same for a record whose kind is known, without the dispatch on its type code.
template <class T, class F>
requires element_points_detail::kIsKind<T>
bool for_each_point(T& e, F&& f) { return element_points_detail::kind_points(e, f); }

// Calls f(a, b) with the two vertices of every edge of every face of a mesh, each face closed
// from its last vertex back to its first, in face order. A face that runs past the index list
// ends the walk; an edge with an index past the vertices is left out. f may return bool as
// for for_each_point.
template <class F>
bool for_each_face_edge(const Object3D& o, F&& f) {
  const auto sizes = mesh_face_sizes(o);
  const auto v = mesh_vertices(o);
  const auto idx = mesh_indices(o);
  std::size_t k = 0;
  for (std::uint32_t n : sizes) {
    if (n > idx.size() - k) break;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t ia = idx[k + i], ib = idx[k + (i + 1) % n];
      if (ia >= v.size() || ib >= v.size()) continue;
      if (element_points_detail::stops(f, v[ia], v[ib])) return true;
    }
    k += n;
  }
  return false;
}

// Clears every point mark of the element (loads, pastes and undo copies start unmarked).
void clear_point_marks(Element& e);
bool has_marked_point(const Element& e);
// The same for a record whose kind is known (the create operations).
template <class T>
requires element_points_detail::kIsKind<T>
void clear_point_marks(T& e) {
  for_each_point(e, [](const PointRef& p) { *p.mark = 0; });
}

}  // namespace korav
