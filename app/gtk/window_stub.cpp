// Placeholder window host until the main window exists.
#include <cstdio>

#include "app/hosts.h"

namespace korav {

int run_window_host(const CommandLine&) {
  std::fputs("korav: the window is not available yet\n", stderr);
  return 1;
}

}  // namespace korav
