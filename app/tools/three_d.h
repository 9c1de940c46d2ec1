// The 3D tools: 3D lines, cuboids, flat polygons, prisms, tubes, cones, cut cones, spheres,
// lights and cameras, each repeated until the user leaves; choosing the active camera,
// changing a light after the current preset, and giving selected solids the current material.
#pragma once

namespace korav {

struct App;

void tool_3d_line(App& app);
void tool_3d_cuboid(App& app);
void tool_3d_polygon(App& app);
void tool_3d_prism(App& app);
void tool_3d_tube(App& app);
void tool_3d_cone(App& app);
void tool_3d_cutcone(App& app);
void tool_3d_sphere(App& app);
void tool_3d_light(App& app);
void tool_3d_light_alter(App& app);
void tool_3d_camera(App& app);
void tool_3d_camera_change(App& app);
void tool_3d_material(App& app);

}  // namespace korav
