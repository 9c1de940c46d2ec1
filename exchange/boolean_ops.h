// Boolean operations on two closed 3D bodies (union, difference, intersection) through the
// helper program korav-bso: both bodies go to it as GTS files in a private temporary directory,
// it cuts each along the other and leaves the four parts (each body's part inside and outside
// the other), and two of them make the result. The program is started without a shell, with
// its arguments as they are, and waited for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/mesh_triangles.h"

namespace korav {

inline constexpr std::string_view kMsgBooleanFailed = "Boolean operation failed";
inline constexpr std::string_view kBooleanProgram = "korav-bso";

enum class BooleanOp { kUnion, kDifference, kIntersection };

// The helper program: beside `executable` first, then on the PATH. Empty when neither has it.
std::string find_boolean_program(const std::string& executable);

// Runs argv[0] (a path, or a name looked up on the PATH) with exactly these arguments in
// directory `dir` (none: the current one) and waits for it. Its exit status, or -1 when it
// could not be started or did not end normally.
int run_and_wait(const std::vector<std::string>& argv, const std::string& dir);

struct BooleanResult {
  bool ok = false;
  TriangleMesh mesh;  // closed, counter-clockwise seen from outside
  std::string log;    // the diagnostics for standard output
};

// a op b. `temp_root` is the directory the private one is made in (with or without a trailing
// '/'). Fails when the program is missing or fails, a part is missing or empty, or the result is
// not a closed surface.
BooleanResult boolean_meshes(const TriangleMesh& a, const TriangleMesh& b, BooleanOp op,
                             const std::string& program, const std::string& temp_root);

}  // namespace korav
