// The command line: korav [OPTIONS] [DRAWING].
#pragma once

#include <string>
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
  std::string start_dir;  // the directory korav was started in
};

// Parses argv. On a usage error returns false with a one-line message in `error`.
bool parse_command_line(const std::vector<std::string>& args, const std::string& start_dir,
                        CommandLine& out, std::string& error);

// A path given on the command line or in a script, made absolute against the start directory.
std::string resolve_path(const std::string& start_dir, const std::string& path);

std::string usage_text();

// --export: load the drawing, write it in the format, return the exit status (0, 1 or 2).
int run_export(const CommandLine& cl);

}  // namespace korav
