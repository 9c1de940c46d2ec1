// "p_file_print": the paper frame placed on the drawing ("Set frame:", "Move/Confirm:"), then
// "Output method:" — to the print command (a temporary "print.ps" handed to it) or to a file
// the user names ("Print to file..."). The page holds everything that overlaps the frame, at the
// print setup's paper and scale.
#pragma once

namespace korav {

struct App;

void print_command(App& app);

}  // namespace korav
