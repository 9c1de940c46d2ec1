// The 3D projection drawer: walls with their openings, rooms, 3D lines, 3D objects, lights and
// cameras drawn as lines through the output driver, every point projected into the renderer's
// view (the plan view draws the 3D kinds from above). The renderer hands it these elements.
#pragma once

namespace korav {

struct Renderer;
struct Element;

void draw_projected(Renderer& r, const Element& e, int pen, int line_type, bool marks_visible);

}  // namespace korav
