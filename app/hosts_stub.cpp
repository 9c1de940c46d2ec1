// Placeholder hosts until the command loop exists.
#include <cstdio>

#include "app/hosts.h"

namespace korav {

int run_script_host(const CommandLine&) {
  std::fputs("korav: scripts are not available yet\n", stderr);
  return 1;
}

}  // namespace korav
