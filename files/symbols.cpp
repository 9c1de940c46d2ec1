#include "files/symbols.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/element_points.h"

namespace korav {

namespace fs = std::filesystem;

std::string clipboard_file(std::string_view temp_dir) {
  std::string dir(temp_dir);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir + "/" + std::string(kClipboardFileName);
}

bool write_symbol(Writer& w, const Drawing& d, double ox, double oy, double oz) {
  if (!write_header(w)) return false;
  // One buffer, grown to the largest record, holds each element while it is moved.
  std::vector<std::uint64_t> buffer;
  for (const Element& e : d.store.list) {
    if (e.selected != 1 || e.size < sizeof(Element)) continue;
    buffer.resize(std::max<std::size_t>(buffer.size(), (e.size + 7) / 8));
    std::memcpy(buffer.data(), &e, e.size);
    auto& copy = *reinterpret_cast<Element*>(buffer.data());
    for_each_point(copy, [&](const PointRef& p) {
      if (!p.is_place()) return;
      *p.x -= ox;
      *p.y -= oy;
      if (p.z) *p.z -= oz;
    });
    if (!write_element(w, copy)) return false;
  }
  return true;
}

WriteStatus write_symbol_file(const std::string& path, const Drawing& d, double ox, double oy,
                              double oz) {
  return write_file_safely(path, [&](Writer& w) { return write_symbol(w, d, ox, oy, oz); });
}

SymbolRead read_symbol(Reader& r, Drawing& d) {
  SymbolRead out;
  if (read_header(r) == 0) {
    out.status = SymbolRead::Status::kNotNative;
    return out;
  }
  // Read apart, so that settings and layers of the file do not reach the drawing; the records
  // then move over as they are.
  Drawing scratch;
  out.details = read_chunks(r, scratch, 1);
  out.details.active_camera = nullptr;  // an inserted camera does not take the view
  for (Element& e : scratch.store.list) {
    e.layer = static_cast<std::uint16_t>(kPlacingLayer);
    e.selected = 1;
    ++out.elements;
  }
  // Not part of the drawing yet: the drawing counts as changed once the symbol is placed.
  d.store.list.splice_back(scratch.store.list);
  return out;
}

SymbolRead read_symbol_file(const std::string& path, Drawing& d) {
  FileReader file(path);
  if (!file.is_open()) {
    SymbolRead out;
    out.status = SymbolRead::Status::kCannotOpen;
    return out;
  }
  return read_symbol(file.reader(), d);
}

// ---- The library ----

namespace {

// The path with every existing part's links resolved and the rest normalised.
fs::path resolved(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(fs::path(path), ec), ec);
  if (ec) return {};
  return p.lexically_normal();
}

// `p` as given (the last part unresolved), with the parent's links resolved.
fs::path resolved_parent(const std::string& path) {
  fs::path p = fs::path(path).lexically_normal();
  while (!p.empty() && !p.has_filename()) p = p.parent_path();
  if (p.empty() || p.filename() == ".." || p.filename() == ".") return {};
  const fs::path parent = resolved(p.parent_path().empty() ? "." : p.parent_path().string());
  if (parent.empty()) return {};
  return parent / p.filename();
}

bool below(const fs::path& root, const fs::path& p, bool strictly) {
  if (root.empty() || p.empty()) return false;
  auto r = root.begin(), q = p.begin();
  for (; r != root.end(); ++r, ++q) {
    if (r->empty()) continue;  // the empty name after a trailing '/'
    if (q == p.end() || *r != *q) return false;
  }
  while (q != p.end() && q->empty()) ++q;
  return !strictly || q != p.end();
}

}  // namespace

bool inside_symbol_path(const std::string& root, const std::string& path, bool strictly_below) {
  return below(resolved(root), resolved(path), strictly_below);
}

std::string_view library_message(LibraryStatus s) {
  switch (s) {
    case LibraryStatus::kOutside: return kMsgOutsideSymbolPath;
    case LibraryStatus::kNotEmpty: return kMsgDirectoryNotEmpty;
    case LibraryStatus::kFailed: return kMsgCannotRemove;
    default: return {};
  }
}

LibraryStatus remove_symbol_file(const std::string& root, const std::string& path) {
  // A link in the library is removed itself; what it points to stays.
  const fs::path p = resolved_parent(path);
  if (!below(resolved(root), p, true)) return LibraryStatus::kOutside;
  struct stat st;
  if (lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return LibraryStatus::kFailed;
  return ::unlink(p.c_str()) == 0 ? LibraryStatus::kDone : LibraryStatus::kFailed;
}

LibraryStatus create_library_directory(const std::string& root, const std::string& path) {
  const fs::path p = resolved_parent(path);
  if (!below(resolved(root), p, true)) return LibraryStatus::kOutside;
  return ::mkdir(p.c_str(), 0777) == 0 ? LibraryStatus::kDone : LibraryStatus::kFailed;
}

LibraryStatus remove_library_directory(const std::string& root, const std::string& path) {
  const fs::path p = resolved_parent(path);
  if (!below(resolved(root), p, true)) return LibraryStatus::kOutside;
  struct stat st;
  // Never through a link: rmdir would refuse one anyway, and nothing here follows it.
  if (lstat(p.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return LibraryStatus::kFailed;
  if (::rmdir(p.c_str()) == 0) return LibraryStatus::kDone;
  return errno == ENOTEMPTY || errno == EEXIST ? LibraryStatus::kNotEmpty : LibraryStatus::kFailed;
}

std::vector<LibraryEntry> list_library(const std::string& directory) {
  std::vector<LibraryEntry> out;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code e2;
    const bool dir = it->is_directory(e2);
    if (!dir && !it->is_regular_file(e2)) continue;
    out.push_back({name, dir});
  }
  std::sort(out.begin(), out.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
    return a.directory != b.directory ? a.directory : a.name < b.name;
  });
  return out;
}

}  // namespace korav
