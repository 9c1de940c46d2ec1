// The command line: korav [OPTIONS] [DRAWING].
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

struct CommandLine {
  std::string drawing;     // DRAWING, absolute (resolved against the start directory)
  std::string script;      // --script FILE ("-" = standard input)
  std::string replay;      // --replay FILE
  std::string screenshot;  // --screenshot PNG
  std::string export_format;
  std::string export_out;
  int width = 0, height = 0;  // --size WxH; 0 = the mode's default
  bool help = false, version = false;
  bool manpage = false;   // --manpage (not listed): the manual page korav.1 on standard output
  std::string start_dir;  // the directory korav was started in
};

// Parses argv. On a usage error returns false with a one-line message in `error`.
bool parse_command_line(const std::vector<std::string>& args, const std::string& start_dir,
                        CommandLine& out, std::string& error);

// A path given on the command line or in a script, made absolute against the start directory.
std::string resolve_path(const std::string& start_dir, const std::string& path);

// One option of the command line, as --help and the manual page show it.
struct OptionInfo {
  std::string_view name;      // "--script"
  std::string_view argument;  // "FILE", "" for none
  std::string_view summary;   // the --help line
  std::string_view details;   // more for the manual page ("" for none)
};
// Every option, in the order --help lists them.
std::span<const OptionInfo> command_line_options();

std::string usage_text();
// The manual page korav.1 (roff, man macros), made from the same option table as usage_text.
std::string manual_page(std::string_view version);

// --export: load the drawing, write it in the format, return the exit status (0, 1 or 2).
int run_export(const CommandLine& cl);

}  // namespace korav
