// The program's own temporary directory: made on first use below the system temporary
// directory with a name nobody can guess beforehand ("korav-XXXXXX") and mode 0700, so the
// renderers' scenes, option files and scripts never lie in a shared place under a fixed name
// where another user could plant or read them.
//
// It is removed with everything in it when the program ends, unless a program started in the
// background may still be working in it (keep_at_exit); it then stays for that program's
// results.
#pragma once

#include <string>

namespace korav {

class PrivateDir {
 public:
  PrivateDir() = default;
  PrivateDir(const PrivateDir&) = delete;
  PrivateDir& operator=(const PrivateDir&) = delete;
  ~PrivateDir() { remove(); }

  // The directory with a trailing '/', made below `parent` (the system temporary directory,
  // with or without a trailing '/') the first time; empty when it cannot be made (`error` says
  // why). Later calls return the same directory while it exists.
  const std::string& get(const std::string& parent, std::string* error = nullptr);
  const std::string& path() const { return path_; }

  // A background program was started in it: leave it in place at the end.
  void keep_at_exit() { keep_ = true; }
  bool kept() const { return keep_; }

  // Deletes the file `name` inside the directory, if it is there (a plain name, no '/').
  void remove_file(const std::string& name) const;

  // Removes the directory and its contents now, unless it is to be kept; the next get()
  // makes a new one.
  void remove();

 private:
  std::string path_;
  bool keep_ = false;
};

}  // namespace korav
