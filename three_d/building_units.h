// Building units: ready-made parts placed with a few values, as 3D objects (and, for the
// stairway, its plan symbol as lines and an arc). The shapes are worked out here without any
// user interface; each `add_` function makes one unit as one undo step on the current layer
// with the new element pen and the current line type, named after the given material.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "model/drawing.h"
#include "three_d/mesh.h"

namespace korav {

// The rectangle of width 2w centred on s->e: s + w m, e + w m, e - w m, s - w m with m the
// right-hand normal (sin a, -cos a) of the direction a of s->e.
std::array<Point2, 4> band_rectangle(Point2 s, Point2 e, double half_width);

// A beam over the band rectangle of s->e, from base to base + height (cuboid order).
Mesh beam_mesh(Point2 s, Point2 e, double half_width, double base, double height);
// A rectangular pillar centred on p: width along x, thickness along y (half values).
Mesh pillar_mesh(Point2 p, double half_width, double half_thickness, double base, double height);
// A round pillar of 12 sides: vertices 0-11 on the lower circle at k x 30 degrees, 12-23 above
// them; 12 side quads, the bottom and the top 12-gon.
Mesh round_pillar_mesh(Point2 p, double radius, double base, double height);

struct StairSize {
  double half_width = 0.5;
  double step_thickness = 0.05;
  double nosing = 0.03;
  int steps = 10;
  double base = 0;
  double height = 2.75;
};
// Step i of n: the band rectangle between s + i d and s + (i + 1) d (d = (e - s) / n) reaching
// back by the nosing at its front, from base + (i + 1) h - thickness to base + (i + 1) h with
// h = height / n.
std::vector<Mesh> stair_meshes(Point2 s, Point2 e, const StairSize& size);

struct ProfileSize {
  int mullions = 0;
  int transoms = 0;
  double member = 0.08;  // width of the frame members and bars in the face of the window
  double depth = 0.08;   // their depth across the wall
  double glass = 0.02;   // thickness of the panes
};
struct ProfileParts {
  std::vector<Mesh> members;  // frame (jambs, head, sill), mullions and transom pieces
  std::vector<Mesh> panes;    // (mullions + 1) x (transoms + 1)
};
// The frame of a window whose width in plan is s->e, from zb to zt. Empty when the window is
// too small to hold its members.
ProfileParts profile_parts(Point2 s, Point2 e, double zb, double zt, const ProfileSize& size);

// The sizes the unit tools last used, offered again by their value prompts.
struct UnitSizes {
  double gable_base = 0, gable_height = 2.5, gable_ridge = 4.5;
  double ceiling_base = 2.5, ceiling_height = 0.2;
  double beam_half_width = 0.1, beam_base = 2.5, beam_height = 0.3;
  double pillar_half_width = 0.15, pillar_half_thickness = 0.15, pillar_base = 0,
         pillar_height = 2.5;
  double round_radius = 0.15, round_base = 0, round_height = 2.5;
  StairSize stair;
  ProfileSize profile;
};

// Each returns what it made; nothing is made (and nullptr or 0 returned) for a unit without
// extent.
Object3D* add_ceiling(Drawing& d, std::span<const Point2> outline, double base, double height,
                      std::string_view material);
Object3D* add_unit(Drawing& d, const Mesh& m, std::string_view material);
// The n steps and the plan symbol (the two sides, the first edge and the walking line, and a
// half circle round the walking line's start), n + 5 elements in one undo step.
int add_stairway(Drawing& d, Point2 s, Point2 e, const StairSize& size, std::string_view material);
// The members with `material` and the panes with `pane_material`, one undo step.
int add_profile(Drawing& d, const ProfileParts& parts, std::string_view material,
                std::string_view pane_material);

}  // namespace korav
