// The store side of the 3D tools: each new 3D line, object, light and camera is one undo step
// on the current layer with the new element pen and the current line type.
#pragma once

#include <string_view>

#include "model/drawing.h"
#include "model/presets.h"
#include "three_d/mesh.h"

namespace korav {

Line3D* add_line3d(Drawing& d, const Point3& a, const Point3& b);
// nullptr (nothing recorded) when the mesh does not fit a record.
Object3D* add_object(Drawing& d, const Mesh& m, std::string_view material);
// A point light's target is its position.
Light* add_light(Drawing& d, const LightPreset& preset, const Point3& pos, const Point3& target);
// The light takes the preset's kind, colour and values (its points stay).
void apply_light_preset(Light& l, const LightPreset& preset);
// The new camera becomes the active one.
Camera* add_camera(Drawing& d, const Point3& eye, const Point3& target, double lens);
// Makes the camera the active one: every other camera's flag is cleared and the camera view
// follows it.
void activate_camera(Drawing& d, Camera& c);
// After the active camera was moved or changed: the camera view follows it again.
void reapply_active_camera(Drawing& d);

}  // namespace korav
