// "p_file_plot": which elements ("Plot HPGL:"), the paper frame placed by its centre ("Set
// frame:", "Move/Confirm:"), then "Output method:" — to the plotter (a "plot.hpgl" in the
// program's private temporary directory handed to the plot setup's plotter command, started
// with an argument vector in the background) or to a file the user names ("Plot to file...").
// The plot is HPGL or HPGL/2 as the plot setup says (exchange/hpgl_export.h). The marks are
// cleared and the drawing redrawn afterwards, whatever happened.
#pragma once

namespace korav {

struct App;

void plot_command(App& app);

}  // namespace korav
