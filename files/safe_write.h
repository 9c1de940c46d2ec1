// Writing a file so that a failure never damages what was there: the bytes go to a temporary
// file beside the target, which replaces the target only when every byte was written and
// flushed to the disk. On any failure the target is left untouched and the temporary removed.
// A temporary left behind by a writer that was killed is removed at the next write into the
// same folder, once its process is gone.
#pragma once

#include <functional>
#include <string>

#include "files/chunk.h"

namespace korav {

enum class WriteStatus {
  kOk,
  kCannotOpen,   // the target cannot be written at all (missing directory, read-only file, ...)
  kCannotWrite,  // writing, flushing or replacing failed part way; the target is unchanged
};

// Calls `body` with a writer on the temporary file; `body` returns false when it gave up.
// A symbolic link as target is followed: the file it points to is replaced, the link stays.
// An existing target keeps its permission bits.
WriteStatus write_file_safely(const std::string& path, const std::function<bool(Writer&)>& body);

}  // namespace korav
