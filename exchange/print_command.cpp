#include "exchange/print_command.h"

#include "base/process.h"
#include "exchange/printcap.h"

namespace korav {

std::string default_print_command() { return find_program("lp").empty() ? "lpr" : "lp"; }

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

}  // namespace korav
