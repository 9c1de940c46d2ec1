// Opening a file for reading without ever blocking on it: a FIFO, a device or a socket given
// where a file is expected would make open() or the first read wait for a writer that never
// comes. Every reader of the program's input files (drawings, settings, scripts, the catalogue,
// pictures) opens through here; anything that is not a regular file is refused before a byte
// is read.
#pragma once

#include <string>

namespace korav {

// A read-only descriptor on `path`, or -1 when it is missing, unreadable or not a regular file.
// The caller closes it.
int open_regular_file(const std::string& path);

// The whole file; false (and `out` empty) when it cannot be opened as above or reading failed.
bool read_regular_file(const std::string& path, std::string& out);

}  // namespace korav
