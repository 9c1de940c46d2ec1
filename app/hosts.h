// The two hosts of the command loop.
#pragma once

#include "app/command_line.h"

namespace korav {

// --script: no window; returns the exit status.
int run_script_host(const CommandLine& cl);
// The GTK window (with --replay/--screenshot when given); returns the exit status.
int run_window_host(const CommandLine& cl);

}  // namespace korav
