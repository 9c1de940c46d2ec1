// Symbol files and the clipboard: a symbol is a native file holding only the header chunk and
// the element chunks of the elements that were selected, with its origin moved to (0, 0); the
// clipboard is the same file under a fixed name in the temporary directory. The symbol library
// is the directory tree below the symbol path; every name a symbol command is given must lie
// in it (links followed), and removing a library directory never follows a link.
//
// Placing an inserted symbol (turning, moving, groups) is draft/symbol_placing.h; this file
// only moves bytes between files and the store.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/chunk.h"
#include "files/drawing_file.h"
#include "files/safe_write.h"
#include "model/drawing.h"

namespace korav {

inline constexpr std::string_view kClipboardFileName = "sym.tmp";
inline constexpr std::string_view kMsgNoSymbolOrigin =
    "Could not save the symbol because the origin point is missing!";
inline constexpr std::string_view kMsgDirectoryNotEmpty = "Directory is not empty!";
inline constexpr std::string_view kMsgOutsideSymbolPath = "The name lies outside the symbol path!";
inline constexpr std::string_view kMsgCannotCreateDirectory = "Cannot create directory";
inline constexpr std::string_view kMsgCannotRemove = "Cannot remove";

// The clipboard file "%s/sym.tmp" of a temporary directory.
std::string clipboard_file(std::string_view temp_dir);

// Writes the header and every selected element moved by −(ox, oy, oz) to `w`. The elements of
// the store are not touched: each is moved in a copy on its way out.
bool write_symbol(Writer& w, const Drawing& d, double ox, double oy, double oz);
// The same into the file at `path`, written safely (an old file survives a failed write).
WriteStatus write_symbol_file(const std::string& path, const Drawing& d, double ox, double oy,
                              double oz);

struct SymbolRead {
  enum class Status { kRead, kCannotOpen, kNotNative };
  Status status = Status::kRead;
  std::size_t elements = 0;  // inserted, selected, on kPlacingLayer at the end of the store
  ReadResult details;        // damage of the file (the elements before it are inserted)
};

// Reads the element chunks of a symbol (or any native) file and appends the elements to the
// store, selected and on kPlacingLayer; settings, layers and layer sets in the file are not
// taken. Nothing else of the drawing changes.
SymbolRead read_symbol(Reader& r, Drawing& d);
SymbolRead read_symbol_file(const std::string& path, Drawing& d);

// ---- The library ----

// `path` (absolute, or relative to the working directory) lies in the library below `root`:
// the same directory or below it, symbolic links resolved as far as they exist. With
// `strictly_below` the root itself does not count.
bool inside_symbol_path(const std::string& root, const std::string& path,
                        bool strictly_below = false);

enum class LibraryStatus { kDone, kOutside, kNotEmpty, kFailed };
// The message of a status ("" for kDone).
std::string_view library_message(LibraryStatus s);

LibraryStatus remove_symbol_file(const std::string& root, const std::string& path);
LibraryStatus create_library_directory(const std::string& root, const std::string& path);
// rmdir of the directory itself: a link is refused, a directory that still holds anything is
// kNotEmpty.
LibraryStatus remove_library_directory(const std::string& root, const std::string& path);

// One level of the library for the symbol list: directories first, then files, each sorted by
// name; hidden names (leading '.') are left out.
struct LibraryEntry {
  std::string name;
  bool directory = false;
  bool operator==(const LibraryEntry&) const = default;
};
std::vector<LibraryEntry> list_library(const std::string& directory);

}  // namespace korav
