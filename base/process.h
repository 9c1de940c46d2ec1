// Starting the external programs the renderers hand their scenes to: found on the PATH by the
// program itself, started with an argument vector (never through a shell, so that no file name
// is ever read as a command line), in a working directory of the caller's choice.
//
// Two ways to run one: in the background (the program does not wait; the process is detached
// so that no zombie is left behind, and a program that cannot be executed is still reported),
// or to the end with its standard output collected.
#pragma once

#include <string>
#include <vector>

namespace korav {

// The executable file `name` in the first directory of $PATH that has one ("/usr/bin:/bin"
// when PATH is unset; an empty PATH entry is the current directory). A name holding a '/' is
// taken as it is when it is executable. Empty when there is none.
std::string find_program(const std::string& name);

struct StartResult {
  bool started = false;
  std::string error;  // why not: "cannot execute /usr/bin/povray: Permission denied"
};

// Starts argv[0] (a path, or a name looked up on the PATH) with `argv` in `directory` ("" keeps
// the current one) and returns once it runs. Standard input is /dev/null; the other
// descriptors are the program's own.
StartResult start_detached(const std::vector<std::string>& argv, const std::string& directory);

struct RunResult {
  bool ran = false;      // the program was executed
  int exit_status = -1;  // its exit status, -1 when it was killed by a signal
  std::string output;    // its standard output
  std::string error;     // why it did not run
};

// Runs the program to its end in `directory`, its standard output collected (standard error
// stays the program's own).
RunResult run_to_end(const std::vector<std::string>& argv, const std::string& directory);

}  // namespace korav
