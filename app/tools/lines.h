// The line tools as the command loop runs them ("b_line_..." and "p_tools_remdup"): each asks
// for its points and picks through point input, and hands them to the drawing operations of
// draft/line_tools.h.
#pragma once

namespace korav {

struct App;

void tool_line_line(App& app);
void tool_line_x(App& app);
void tool_line_y(App& app);
void tool_line_a(App& app);
void tool_line_parallel(App& app);
void tool_line_pparallel(App& app);
void tool_line_orthogonal(App& app);
void tool_line_frame(App& app);
void tool_line_oframe(App& app);
void tool_line_polygon(App& app);
void tool_line_join(App& app);
void tool_line_join_line(App& app);
void tool_line_join_arc(App& app);
void tool_line_attach(App& app);
void tool_line_extend(App& app);
void tool_line_erase(App& app);
void tool_line_dpart(App& app);
void tool_line_cut(App& app);
// "p_tools_remdup": removes duplicate lines and arcs of the current layer and says how many.
void remove_duplicates_command(App& app);

}  // namespace korav
