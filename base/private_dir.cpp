#include "base/private_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace korav {

namespace {

bool is_own_directory(const std::string& p) {
  struct stat st {};
  return lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

}  // namespace

const std::string& PrivateDir::get(const std::string& parent, std::string* error) {
  if (!path_.empty() && is_own_directory(path_)) return path_;
  path_.clear();
  if (parent.empty()) {
    if (error) *error = "no temporary directory";
    return path_;
  }
  std::string base = parent;
  if (base.back() != '/') base += '/';
  std::string name = base + "korav-XXXXXX";
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  // mkdtemp makes the directory with mode 0700 and a name that did not exist before.
  if (!mkdtemp(buf.data())) {
    if (error) *error = "cannot make a directory in " + parent + ": " + std::strerror(errno);
    return path_;
  }
  path_ = std::string(buf.data()) + "/";
  keep_ = false;
  return path_;
}

void PrivateDir::remove_file(const std::string& name) const {
  if (path_.empty() || name.empty() || name.find('/') != std::string::npos) return;
  ::unlink((path_ + name).c_str());
}

void PrivateDir::remove() {
  if (path_.empty() || keep_) return;
  std::error_code ec;
  // remove_all does not follow symbolic links found inside.
  std::filesystem::remove_all(path_, ec);
  path_.clear();
}

}  // namespace korav
