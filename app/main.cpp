// korav: command line entry point.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/hosts.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string start_dir;
  if (char* cwd = getcwd(nullptr, 0)) {
    start_dir = cwd;
    free(cwd);
  }
  korav::CommandLine cl;
  std::string error;
  if (!korav::parse_command_line(args, start_dir, cl, error)) {
    std::fprintf(stderr, "korav: %s; see korav --help\n", error.c_str());
    return 2;
  }
  // A write beyond the file size limit fails with "Cannot write file" (and the file it would
  // have replaced stays) instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  if (cl.help) {
    std::fputs(korav::usage_text().c_str(), stdout);
    return 0;
  }
  if (cl.manpage) {
    std::fputs(korav::manual_page(KORAV_VERSION).c_str(), stdout);
    return 0;
  }
  if (cl.version) {
    std::puts("korav " KORAV_VERSION);
    return 0;
  }
  if (!cl.export_format.empty()) return korav::run_export(cl);
  if (!cl.script.empty()) return korav::run_script_host(cl);
  return korav::run_window_host(cl);
}
