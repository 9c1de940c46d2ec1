// A directory of the program's own below the system's temporary directory, made on first use
// with a name no one can guess beforehand and readable by the user alone ("korav-XXXXXX").
// Files handed to other programs (the page for the print command, the plot for the plotter)
// are written there rather than under fixed names in a directory everyone may write, where
// another user could have put a file or a link of that name first. The directory and the files
// in it go when the owner ends.
#pragma once

#include <string>

namespace korav {

class PrivateDir {
 public:
  PrivateDir() = default;
  PrivateDir(const PrivateDir&) = delete;
  PrivateDir& operator=(const PrivateDir&) = delete;
  ~PrivateDir();

  // The directory, with a trailing '/', made below `parent` (with or without its '/') when
  // there is none yet; empty when it cannot be made.
  const std::string& path(const std::string& parent);
  // The directory made so far, or empty.
  const std::string& made() const { return path_; }
  // Removes the files in it and the directory; the next path() makes a new one.
  void remove();

 private:
  std::string path_;
};

}  // namespace korav
