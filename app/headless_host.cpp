// The program built without the GTK window (KORAV_BUILD_GUI=OFF): scripts and exports run as
// always; asking for the window says that it is not there.
#include <cstdio>

#include "app/hosts.h"

namespace korav {

int run_window_host(const CommandLine&) {
  std::fputs("korav: this build has no window; use --script or --export (see --help)\n", stderr);
  return 2;
}

}  // namespace korav
