// The boolean operation tools: union, difference and intersection of two picked 3D objects or
// walls, made by the helper program korav-bso (exchange/boolean_ops.h).
#pragma once

namespace korav {

struct App;

void tool_3d_union(App& app);         // "b_3d_union"
void tool_3d_difference(App& app);    // "b_3d_difference"
void tool_3d_intersection(App& app);  // "b_3d_intersection"

}  // namespace korav
