// The user's own directories beside a data directory the user cannot (or should not) write:
// an installed program keeps its shipped data read-only and puts what the user saves (the chosen
// language, saved settings, presets, symbols) below $XDG_CONFIG_HOME/korav and
// $XDG_DATA_HOME/korav, in the same layout as the data directory, read before the shipped files.
// A writable data directory of one's own (a build, a copied tree) has no user directories and
// keeps everything inside itself.
#pragma once

#include <string>
#include <string_view>

namespace korav {

struct UserDirs {
  std::string config;  // "<XDG_CONFIG_HOME>/korav/", empty when not used
  std::string data;    // "<XDG_DATA_HOME>/korav/", empty when not used
  bool active() const { return !config.empty() && !data.empty(); }
};

// "$VAR/korav/" when VAR holds an absolute path, else "$HOME/<fallback>/korav/"; empty when
// neither is usable.
std::string xdg_directory(const char* var, std::string_view home_fallback);

// True for the data directory of an installed program: one that the process may not write, or
// one that lies in an installation's "share/korav/" (which even an administrator's process must
// leave alone).
bool data_dir_is_installed(const std::string& data_dir);

// The user directories for `data_dir`: empty ones (everything stays in the data directory)
// unless data_dir_is_installed.
UserDirs user_dirs_for(const std::string& data_dir);

// Creates `dir` and its missing parents (mode 0700 for new ones). True when it exists afterwards.
bool make_directories(const std::string& dir);

}  // namespace korav
