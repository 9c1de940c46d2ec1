// The building unit tools: gable wall, ceiling, beam, pillar, round pillar, stairway and window
// profile. Each asks its sizes once, offering the last ones, then places units until the user
// leaves.
#pragma once

namespace korav {

struct App;

void tool_unit_gablewall(App& app);
void tool_unit_ceiling(App& app);
void tool_unit_beam(App& app);
void tool_unit_pillar(App& app);
void tool_unit_rpillar(App& app);
void tool_unit_stairway(App& app);
void tool_unit_profile(App& app);

}  // namespace korav
