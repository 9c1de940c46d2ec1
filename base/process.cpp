#include "base/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace korav {

namespace {

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// What a child that failed before or at exec tells its parent through the status pipe.
struct ChildFailure {
  char stage = 0;  // 'd' changing to the directory, 'i' standard input, 'e' exec
  int error = 0;
};

// The argument vector as exec wants it; made before fork, so that the child allocates nothing.
struct Argv {
  std::vector<char*> pointers;
  explicit Argv(const std::vector<std::string>& argv) {
    pointers.reserve(argv.size() + 1);
    for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
  }
};

// In a child after fork: only async-signal-safe calls from here on.
[[noreturn]] void exec_child(const char* program, char* const* argv, const char* directory,
                             int status_fd, int stdout_fd) {
  ChildFailure f;
  if (directory && *directory && chdir(directory) != 0) {
    f = {'d', errno};
  } else {
    const int null = open("/dev/null", O_RDONLY);
    if (null < 0 || dup2(null, 0) < 0) {
      f = {'i', errno};
    } else {
      if (null != 0) close(null);
      if (stdout_fd >= 0) {
        dup2(stdout_fd, 1);
        if (stdout_fd != 1) close(stdout_fd);
      }
      execv(program, argv);
      f = {'e', errno};
    }
  }
  ssize_t ignored = write(status_fd, &f, sizeof f);
  (void)ignored;
  _exit(127);
}

// Reads the status pipe until the child executed its program (end of file) or said why not.
std::string read_failure(int fd, const std::string& program, const std::string& directory) {
  ChildFailure f;
  std::size_t got = 0;
  while (got < sizeof f) {
    const ssize_t n = read(fd, reinterpret_cast<char*>(&f) + got, sizeof f - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got < sizeof f) return {};
  switch (f.stage) {
    case 'd': return "cannot change to " + directory + ": " + std::strerror(f.error);
    case 'i': return std::string("cannot open /dev/null: ") + std::strerror(f.error);
    default: return "cannot execute " + program + ": " + std::strerror(f.error);
  }
}

void wait_for(pid_t pid, int* status) {
  int st = 0;
  while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
  }
  if (status) *status = st;
}

// The program's path, or an empty string with the reason.
std::string resolve(const std::vector<std::string>& argv, std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program to start";
    return {};
  }
  std::string path = find_program(argv[0]);
  if (path.empty()) error = argv[0] + " not found";
  return path;
}

}  // namespace

std::string find_program(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return is_executable_file(name) ? name : std::string();
  const char* env = std::getenv("PATH");
  const std::string dirs = env ? env : "/usr/bin:/bin";
  std::size_t from = 0;
  while (from <= dirs.size()) {
    std::size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    std::string dir = to > from ? dirs.substr(from, to - from) : ".";
    if (dir.back() != '/') dir += '/';
    if (is_executable_file(dir + name)) return dir + name;
    from = to + 1;
  }
  return {};
}

StartResult start_detached(const std::vector<std::string>& argv, const std::string& directory) {
  StartResult r;
  const std::string program = resolve(argv, r.error);
  if (program.empty()) return r;
  Argv args(argv);
  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) {
    r.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    return r;
  }
  // A child that starts the program in a grandchild and ends at once: the grandchild belongs to
  // init from then on, and nothing is left to wait for.
  const pid_t child = fork();
  if (child < 0) {
    r.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    close(status[0]);
    close(status[1]);
    return r;
  }
  if (child == 0) {
    close(status[0]);
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      setsid();
      exec_child(program.c_str(), args.pointers.data(), directory.c_str(), status[1], -1);
    }
    if (grandchild < 0) {
      const ChildFailure f{'e', errno};
      ssize_t ignored = write(status[1], &f, sizeof f);
      (void)ignored;
    }
    _exit(0);
  }
  close(status[1]);
  wait_for(child, nullptr);
  r.error = read_failure(status[0], program, directory);
  close(status[0]);
  r.started = r.error.empty();
  return r;
}

RunResult run_to_end(const std::vector<std::string>& argv, const std::string& directory) {
  RunResult r;
  const std::string program = resolve(argv, r.error);
  if (program.empty()) return r;
  Argv args(argv);
  int status[2], out[2];
  if (pipe2(status, O_CLOEXEC) != 0) {
    r.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    return r;
  }
  if (pipe2(out, O_CLOEXEC) != 0) {
    r.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    close(status[0]);
    close(status[1]);
    return r;
  }
  const pid_t child = fork();
  if (child < 0) {
    r.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    for (int fd : {status[0], status[1], out[0], out[1]}) close(fd);
    return r;
  }
  if (child == 0) {
    close(status[0]);
    close(out[0]);
    // dup2 clears close-on-exec on the copy, so the program keeps its standard output.
    exec_child(program.c_str(), args.pointers.data(), directory.c_str(), status[1], out[1]);
  }
  close(status[1]);
  close(out[1]);
  r.error = read_failure(status[0], program, directory);
  close(status[0]);
  char buf[4096];
  for (;;) {
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    r.output.append(buf, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int st = 0;
  wait_for(child, &st);
  r.ran = r.error.empty();
  if (r.ran) r.exit_status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace korav
