// Fuzz target for the 3D Studio import. The first byte chooses what is fed: the bytes as a
// .3ds file through the whole import (lib3ds in its child process), or as the child's stream
// straight into the parent's decoder. Either way the result is a message or objects whose
// every corner names one of their points.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exchange/three_ds.h"

namespace {

void check(const korav::ThreeDsImport& r) {
  if (!r.ok) return;
  for (const korav::ThreeDsObject& o : r.objects) {
    if (o.material >= static_cast<int>(r.materials.size())) std::abort();
    for (const korav::Triangle& t : o.mesh.triangles)
      for (std::uint32_t c : t)
        if (c >= o.mesh.vertices.size()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) {
    korav::ThreeDsImport r;
    korav::decode_3ds_stream(bytes, r);
    check(r);
    return 0;
  }
  char path[] = "/tmp/korav-fuzz-3ds-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool whole = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  close(fd);
  // Inputs that make the reader loop fail after a second rather than the user's twenty.
  if (whole) check(korav::read_3ds_file(path, 1));
  unlink(path);
  return 0;
}
