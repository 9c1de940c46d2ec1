// Fuzz target for the drawing reader: any bytes must load without a fault, and what was loaded
// must save, load again without damage and save again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "files/chunk.h"
#include "files/drawing_file.h"
#include "model/drawing.h"

namespace {

using korav::Drawing;
using korav::Reader;
using korav::Writer;

std::vector<std::uint8_t> save(const Drawing& d) {
  std::vector<std::uint8_t> out;
  {
    Writer w(out);
    if (!korav::write_drawing(w, d) || !w.flush()) std::abort();
  }
  return out;
}

// Loads a file this program wrote: it must be whole.
void load_own(const std::vector<std::uint8_t>& bytes, Drawing& d) {
  Reader r(bytes);
  if (korav::read_header(r) != korav::kFormatVersion) std::abort();
  korav::ReadResult res = korav::read_chunks(r, d, 0);
  if (res.damaged || res.refused != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);

  // The line reader of the text files, on the same bytes.
  {
    Reader r(input);
    std::string line;
    for (int i = 0; i < 10000; ++i) {
      korav::LineResult res = korav::read_line(r, line, (size & 1) != 0);
      if (res.length != line.size()) std::abort();
      if (res.status == korav::LineStatus::kEnd) break;
    }
  }

  Drawing d;
  Reader r(input);
  if (korav::read_header(r) == 0) return 0;
  korav::read_chunks(r, d, size > 0 ? data[size - 1] & 1 : 0);

  // Saving settles what a first load may still change (a layer set merged before the current
  // layer was read); from then on save and load must agree byte for byte.
  std::vector<std::uint8_t> first = save(d);
  Drawing d2;
  load_own(first, d2);
  std::vector<std::uint8_t> second = save(d2);
  Drawing d3;
  load_own(second, d3);
  if (save(d3) != second) std::abort();
  return 0;
}
