// The print and plot setups: the dialogs "Print Setup" (paper, margins, orientation, print
// scale, printer type, and the printer with its command), "Plot Setup" (plotter type, paper,
// start and end sequences, origin, resolution, orientation, plot scale, and the plotter's
// printer and command) and the one-value dialog "Print scale". Their values live in the
// settings (the PPR3 and PHP3 chunks), so they travel with drawings and settings files.
//
// "Printer" names a choice of the system's printer list (exchange/printcap.h), read again each
// time a setup dialog opens; a name typed there is taken as it is. "Printer command" shows the
// command of that choice; typing into it makes the printer "Custom", whose command is the text
// typed (kept while another printer is chosen).
#pragma once

#include <string>
#include <vector>

namespace korav {

struct App;

struct PrintSetupDialog {
  std::vector<std::string> printers;  // the choices offered
  std::string print_command;          // what the print setup's "Printer command" shows
  std::string plot_command;           // the same for the plotter
};

void register_print_setup_variables(App& app);

// A setup dialog opens: the printer list is read again and everything shown refreshed.
void print_setup_opened(App& app);
// The settings changed as a whole (a drawing or settings file loaded): the dialogs show them.
void print_setup_changed(App& app);

// The commands the printed page and the plot go to.
std::string print_command_of(const App& app);
std::string plot_command_of(const App& app);

// "inc" and "dec" of the print scale ("z_prscale_inc", ...) and of the plot scale
// ("z_plscale_inc", ...): the next step of the scale table.
void print_scale_step(App& app, bool up);
void plot_scale_step(App& app, bool up);

}  // namespace korav
