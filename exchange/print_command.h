// Handing a printed page or a plot to the user's print command: the command text is split at
// blanks into a program and its arguments and the file is appended as the last argument, for a
// program started without a shell (base/process.h), so that a file name never reaches a command
// line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korav {

// The print program when none is configured: "lp" when it is on the PATH, else "lpr".
std::string default_print_command();

// The command of a printer choice (exchange/printcap.h): "Default" is `program` alone ("lp" or
// "lpr"), "Custom" the command the user typed, a printer's name "lp -d NAME" or "lpr -PNAME"
// after the program.
std::string printer_command(std::string_view printer, std::string_view custom,
                            std::string_view program);

// The argument vector: the words of `command` (blanks and tabs separate them) and `file`.
// Empty when the command has no word.
std::vector<std::string> print_arguments(std::string_view command, const std::string& file);

}  // namespace korav
