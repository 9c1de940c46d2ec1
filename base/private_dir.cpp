#include "base/private_dir.h"

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace korav {

PrivateDir::~PrivateDir() { remove(); }

const std::string& PrivateDir::path(const std::string& parent) {
  if (!path_.empty() || parent.empty()) return path_;
  std::string pattern = parent;
  if (pattern.back() != '/') pattern += '/';
  pattern += "korav-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data())) path_ = std::string(name.data()) + "/";  // mode 0700
  return path_;
}

void PrivateDir::remove() {
  if (path_.empty()) return;
  if (DIR* dir = opendir(path_.c_str())) {
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(dir);
    for (const std::string& n : names) unlink((path_ + n).c_str());
  }
  rmdir(path_.c_str());
  path_.clear();
}

}  // namespace korav
