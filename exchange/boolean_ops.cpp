#include "exchange/boolean_ops.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "exchange/gts.h"

namespace korav {

namespace {

bool executable_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

const char* const kResultFiles[] = {"1in2.gts", "1out2.gts", "2in1.gts", "2out1.gts"};

// The private directory and everything the operation put into it go when this does.
class PrivateDir {
 public:
  explicit PrivateDir(std::string root) {
    if (!root.empty() && root.back() != '/') root += '/';
    std::string tmpl = root + "korav-bso-XXXXXX";
    if (mkdtemp(tmpl.data())) path_ = tmpl;
  }
  ~PrivateDir() {
    if (path_.empty()) return;
    for (const char* f : {"krv1.gts", "krv2.gts"}) unlink(file(f).c_str());
    for (const char* f : kResultFiles) unlink(file(f).c_str());
    rmdir(path_.c_str());
  }
  PrivateDir(const PrivateDir&) = delete;
  PrivateDir& operator=(const PrivateDir&) = delete;
  bool made() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

BooleanResult failure(std::string log) {
  BooleanResult r;
  r.log = std::move(log);
  r.log += "***ERROR*** Boolean operation failed\n";
  return r;
}

}  // namespace

std::string find_boolean_program(const std::string& executable) {
  const std::size_t slash = executable.rfind('/');
  if (slash != std::string::npos) {
    const std::string beside = executable.substr(0, slash + 1) + std::string(kBooleanProgram);
    if (executable_file(beside)) return beside;
  }
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "";
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    std::string dir(dirs.substr(0, colon));
    dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
    if (dir.empty() || dir[0] != '/') continue;  // only absolute PATH entries
    const std::string candidate = dir + "/" + std::string(kBooleanProgram);
    if (executable_file(candidate)) return candidate;
  }
  return {};
}

int run_and_wait(const std::vector<std::string>& argv, const std::string& dir) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    if (argv[0].find('/') != std::string::npos) execv(args[0], args.data());
    else execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (!WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

BooleanResult boolean_meshes(const TriangleMesh& a, const TriangleMesh& b, BooleanOp op,
                             const std::string& program, const std::string& temp_root) {
  if (program.empty()) return failure("korav-bso not found beside the program or on the PATH\n");
  PrivateDir dir(temp_root);
  if (!dir.made()) return failure("cannot make a temporary directory in " + temp_root + "\n");
  const std::string f1 = dir.file("krv1.gts"), f2 = dir.file("krv2.gts");
  if (write_gts(a, f1) != WriteStatus::kOk || write_gts(b, f2) != WriteStatus::kOk)
    return failure("cannot write " + f1 + "\n");
  for (const char* f : kResultFiles) unlink(dir.file(f).c_str());

  const int status = run_and_wait({program, "inter", f1, f2, dir.path()}, dir.path());
  std::string log;
  if (status != 0) log += "korav-bso ended with status " + std::to_string(status) + "\n";
  for (const char* f : kResultFiles)
    if (access(dir.file(f).c_str(), R_OK) != 0) return failure(log);

  const char* first = op == BooleanOp::kIntersection ? "1in2.gts" : "1out2.gts";
  const char* second = op == BooleanOp::kUnion ? "2out1.gts" : "2in1.gts";
  // The part of the second body inside the first closes the hole of a difference: it must face
  // into the hole, the other way round.
  GtsImport p1 = read_gts_file(dir.file(first));
  GtsImport p2 = read_gts_file(dir.file(second), op == BooleanOp::kDifference);
  if (!p1.ok || !p2.ok || p1.mesh.triangles.empty() || p2.mesh.triangles.empty())
    return failure(log);

  BooleanResult r;
  TriangleMesh& m = r.mesh;
  m = std::move(p1.mesh);
  const auto base = static_cast<std::uint32_t>(m.vertices.size());
  m.vertices.insert(m.vertices.end(), p2.mesh.vertices.begin(), p2.mesh.vertices.end());
  for (Triangle t : p2.mesh.triangles) {
    for (std::uint32_t& c : t) c += base;
    m.triangles.push_back(t);
  }
  char line[160];
  const int merged = merge_duplicate_points(m);
  std::snprintf(line, sizeof line, "merge3d: removed %d duplicate points\n", merged);
  log += line;
  drop_degenerate_triangles(m);
  const int unused = remove_unused_points(m) - merged;
  std::snprintf(line, sizeof line, "clean3d: removed %d unused points\n", unused);
  log += line;
  // Points of one part lying inside an edge of the other: split those edges.
  double size = 0;
  for (const Point3& p : m.vertices)
    size = std::max({size, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
  // The counts in brackets are the triangles before and after.
  const std::size_t old_count = m.triangles.size();
  const int inserted = repair_open_edges(m, 1e-9 * std::max(size, 1.0));
  std::snprintf(line, sizeof line, "repair3d: inserted %d new vertices (old: %zu new: %zu)\n",
                inserted, old_count, m.triangles.size());
  log += line;
  if (open_edge_count(m) != 0) return failure(log + "the result is not a closed surface\n");
  if (signed_volume(m) < 0) reverse_orientation(m);
  r.log = std::move(log);
  r.ok = true;
  return r;
}

}  // namespace korav
