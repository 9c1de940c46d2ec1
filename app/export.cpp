// --export: load a drawing and write it in another format, with no window.
#include <cstdio>

#include "app/command_line.h"

namespace korav {

std::vector<std::string> export_formats() { return {}; }

int run_export(const CommandLine& cl) {
  std::fprintf(stderr, "korav: unknown export format %s\n", cl.export_format.c_str());
  return 2;
}

}  // namespace korav
