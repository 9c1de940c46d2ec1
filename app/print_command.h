// "p_file_print": the paper frame placed on the drawing ("Set frame:", "Move/Confirm:"), then
// "Output method:" — to the printer or to a file the user names ("Print to file..."). The page
// holds everything that overlaps the frame, at the print setup's paper, orientation and scale.
//
// "To Printer": where the host has a print dialog of its own (the window), the page is printed
// through it, starting with the print setup's paper and printer; the paper and margins it
// printed on become the print setup's. Otherwise, and always for the printer "Custom", a
// PostScript "print.ps" in the program's private temporary directory is handed to the print
// setup's printer command.
#pragma once

#include <string>

namespace korav {

struct App;

void print_command(App& app);

// The paper frame of `w` x `h` metres with its lower-left corner at (x, y), in exclusive-or
// (drawn twice it is gone): the preview of the frame placements.
void draw_paper_frame(App& app, double x, double y, double w, double h);

// Where a file handed to another program goes: `name` in the program's private temporary
// directory; empty when that directory cannot be made.
std::string handed_file(App& app, const char* name);

// Hands the file at `path` to `command` (the default print program when it is blank): its
// words and the file are the argument vector of a program started in the background. A
// program that cannot be started says so; the private directory is then kept when the program
// ends, for the program still reading the file.
void hand_to_command(App& app, std::string command, const std::string& path);

}  // namespace korav
