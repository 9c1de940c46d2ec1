// The five store-wide operations of the edit tools, symbol insertion and the importers:
// translate, rotate, mirror, scale and duplicate. Each walks the element store once and acts on
// every element by its kind through the one description of its points (model/element_points.h):
// separator points are never moved, relative vectors are turned but never moved, circles change
// their radii and angles only where the operation says so.
//
// They change the store only; recording undo steps is the caller's part (the tools record
// before they call). None allocates per element, except duplicate for the copies themselves.
#pragma once

#include <cstddef>

#include "draft/geometry.h"
#include "model/store.h"

namespace korav {

struct Vec3 {
  double x = 0, y = 0, z = 0;
  constexpr Vec3() = default;
  constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  constexpr Vec3 operator+(Vec3 o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr Vec3 operator-(Vec3 o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr Vec3 operator*(double k) const { return {x * k, y * k, z * k}; }
};

constexpr double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// An affine map of space: p' = m p + t. A 2D point is mapped as (x, y, 0) and keeps the plan
// part of its image.
struct Affine3 {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double t[3] = {0, 0, 0};

  Vec3 apply(Vec3 p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + t[0],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + t[1],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + t[2]};
  }
  // The plan part of the linear part, applied to a direction.
  Vec2 turn(Vec2 v) const { return {m[0][0] * v.x + m[0][1] * v.y, m[1][0] * v.x + m[1][1] * v.y}; }
  bool finite() const;
};

// About the vertical through `centre`, counter-clockwise seen from above for a positive angle.
Affine3 rotation_in_plan(Vec2 centre, double angle);
// About the axis from a to b (right-handed about a→b). The identity when a and b coincide.
Affine3 rotation_about_axis(Vec3 a, Vec3 b, double angle);
// Reflection in the vertical plane through the line a–b; when a and b coincide, the line is
// the horizontal through a.
Affine3 mirror_in_line(Vec2 a, Vec2 b);
// Reflection in the plane through three points; false (m untouched) when they are collinear.
bool mirror_in_plane(Vec3 a, Vec3 b, Vec3 c, Affine3& m);
// Scaling about the fixed point f by the factors per axis.
Affine3 scaling(Vec3 f, double fx, double fy, double fz);

// What a translate moves: selected elements wholly and the marked points of the others (move,
// stretching by range), or the selected elements only (copies).
enum class TranslateScope { kSelectedAndMarked, kSelectedOnly };

// Translates by (dx, dy, dz): every point of a selected element (2D points by dx, dy), and with
// kSelectedAndMarked every marked point of an unselected element. Circles move by their
// centre only. Dimension segment lengths follow their feet. Returns the number of elements
// changed; nothing changes for a non-finite vector.
std::size_t translate_elements(ElementStore& store, double dx, double dy, double dz,
                               TranslateScope scope = TranslateScope::kSelectedAndMarked);

// How a map treats the values that are not points.
struct MapOptions {
  bool turn_angles = true;  // text, room and hatch angles turn with the element
  double text_height_factor = 1;
};

struct MapResult {
  std::size_t changed = 0;
  bool active_camera = false;  // the camera of the camera view was among them
};

// Applies the map to every point of every selected element; circles get their centre and the
// ends of both half axes mapped, the new radii and axis from those, and when the map reverses
// the plane's orientation, their start turned so that the arc stays on its side. Dimensions
// turn their direction and recompute their segment lengths. Nothing changes for a map with a
// non-finite entry.
MapResult map_selected(ElementStore& store, const Affine3& map, const MapOptions& options);

MapResult rotate_selected(ElementStore& store, const Affine3& rotation);
MapResult mirror_selected(ElementStore& store, const Affine3& reflection);
// Texts scale their height by |fx| when `text_heights` is set, else keep it.
MapResult scale_selected(ElementStore& store, Vec3 fixed, double fx, double fy, double fz,
                         bool text_heights);

// Appends a copy of every selected element at the tail of the store; the copies are selected
// (and carry no undo bits and no point marks), their originals not any more. When copies carry
// group numbers, each distinct group among them gets a new number above every group in use, in
// the order of first appearance, so copies never join the groups they were copied from.
// Returns the number of copies.
std::size_t duplicate_selected(ElementStore& store);
// From `first` to the tail of its list: each distinct non-zero group number is replaced by a new
// one above `highest` (highest + 1, + 2, ... in the order of first appearance); group 0 stays.
void renumber_groups(Element* first, unsigned highest);

// True when the element is selected or has a marked point (what a translate changes).
bool selected_or_marked(const Element& e);

// The value of an alter that leaves its field as it is.
inline constexpr int kUnchanged = 255;
// Sets the pen and the line type of every selected element (kUnchanged leaves one as it is).
// Returns the number of elements changed.
std::size_t alter_selected(ElementStore& store, int pen, int line_type);

}  // namespace korav
