// The circle tools as the command loop runs them ("b_circle_..."): each asks for its points,
// values and picks through point input and hands them to the drawing operations of
// draft/circles.h. "b_circle_extend" is the line tools' extension, which extends arcs too.
#pragma once

namespace korav {

struct App;

void tool_circle_circle(App& app);
void tool_circle_3point(App& app);
void tool_circle_arc(App& app);
void tool_circle_arc3point(App& app);
void tool_circle_ellipse(App& app);
void tool_circle_ellipse_frame(App& app);
void tool_circle_parallel(App& app);
void tool_circle_pparallel(App& app);
void tool_circle_erase(App& app);
void tool_circle_dpart(App& app);
void tool_circle_spline(App& app);
void tool_circle_spline_dissolve(App& app);

}  // namespace korav
