#include "exchange/print_command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "exchange/printcap.h"

namespace korav {

namespace {

bool on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path && *path ? path : "/usr/bin:/bin";
  std::size_t from = 0;
  while (from <= dirs.size()) {
    std::size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    const std::string dir = to > from ? dirs.substr(from, to - from) : ".";
    if (access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    from = to + 1;
  }
  return false;
}

}  // namespace

std::string default_print_command() { return on_path("lp") ? "lp" : "lpr"; }

std::string printer_command(std::string_view printer, std::string_view custom,
                            std::string_view program) {
  if (printer == kCustomPrinter) return std::string(custom);
  if (printer.empty() || printer == kDefaultPrinter) return std::string(program);
  if (program == "lp") return "lp -d " + std::string(printer);
  return std::string(program) + " -P" + std::string(printer);
}

std::vector<std::string> print_arguments(std::string_view command, const std::string& file) {
  std::vector<std::string> argv;
  std::size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && (command[i] == ' ' || command[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < command.size() && command[i] != ' ' && command[i] != '\t') ++i;
    if (i > start) argv.emplace_back(command.substr(start, i - start));
  }
  if (argv.empty()) return argv;
  argv.push_back(file);
  return argv;
}

bool start_in_background(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // A child that starts the program in a grandchild and ends at once: the grandchild belongs to
  // init from then on, and nothing is left to wait for.
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      setsid();
      execvp(args[0], args.data());
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace korav
