#include "base/user_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace korav {

namespace {

std::string with_slash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

bool is_directory(const std::string& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string xdg_directory(const char* var, std::string_view home_fallback) {
  // XDG directories are absolute; a relative value counts as unset.
  if (const char* v = std::getenv(var); v && v[0] == '/') return with_slash(v) + "korav/";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return {};
  return with_slash(home) + std::string(home_fallback) + "/korav/";
}

bool data_dir_is_installed(const std::string& data_dir) {
  if (data_dir.empty()) return false;
  const std::string d = with_slash(data_dir);
  if (d.size() >= 13 && d.compare(d.size() - 13, 13, "/share/korav/") == 0) return true;
  return access(d.c_str(), W_OK) != 0;
}

UserDirs user_dirs_for(const std::string& data_dir) {
  if (!data_dir_is_installed(data_dir)) return {};
  UserDirs u{xdg_directory("XDG_CONFIG_HOME", ".config"),
             xdg_directory("XDG_DATA_HOME", ".local/share")};
  if (!u.active()) return {};
  return u;
}

bool make_directories(const std::string& dir) {
  if (dir.empty()) return false;
  std::string path;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    path = dir.substr(0, pos);
    if (path.empty() || is_directory(path)) continue;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return is_directory(dir);
}

}  // namespace korav
