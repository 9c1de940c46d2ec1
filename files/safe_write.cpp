#include "files/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace korav {

namespace {

std::string directory_of(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows a symbolic link so that the file it names is replaced rather than the link.
std::string real_target(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      std::string r = real;
      std::free(real);
      return r;
    }
  }
  return path;
}

// ".korav-PID-N.tmp": the process id of the writer, if the name is one of our temporary files.
bool temporary_file_pid(const char* name, long& pid) {
  static constexpr char kPrefix[] = ".korav-";
  if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0) return false;
  const char* p = name + sizeof kPrefix - 1;
  char* end = nullptr;
  if (*p < '1' || *p > '9') return false;
  pid = std::strtol(p, &end, 10);
  if (*end != '-' || pid <= 0 || end[1] < '0' || end[1] > '9') return false;
  std::strtoul(end + 1, &end, 10);
  return std::strcmp(end, ".tmp") == 0;
}

// Temporary files left in `dir` by a writer that was killed part way (the target itself is
// intact, but the leftover is as large as the file): removed when their process is gone. Only
// this user's regular files are touched, never one of a running process.
void remove_stale_temporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  const long self = static_cast<long>(::getpid());
  const uid_t uid = ::getuid();
  while (dirent* e = ::readdir(d)) {
    long pid = 0;
    if (!temporary_file_pid(e->d_name, pid) || pid == self) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != uid)
      continue;
    ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

void sync_directory(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself has already succeeded
  ::close(fd);
}

}  // namespace

WriteStatus write_file_safely(const std::string& path, const std::function<bool(Writer&)>& body) {
  if (path.empty()) return WriteStatus::kCannotOpen;
  const std::string target = real_target(path);
  const std::string dir = directory_of(target);

  struct stat st;
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0))
    return WriteStatus::kCannotOpen;
  remove_stale_temporaries(dir);

  static unsigned counter = 0;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dir + "/.korav-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return WriteStatus::kCannotOpen;
  }
  if (fd < 0) return WriteStatus::kCannotOpen;
  if (exists) ::fchmod(fd, st.st_mode & 07777);

  bool ok;
  {
    Writer w(fd);
    ok = body(w);
    ok = w.flush() && ok;
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return WriteStatus::kCannotWrite;
  }
  sync_directory(dir);
  return WriteStatus::kOk;
}

}  // namespace korav
