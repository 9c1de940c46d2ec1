// Fuzz target for the preset reader: any bytes, read as the file of every family, must read
// without a fault; what was read must write, read back whole and write again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "files/chunk.h"
#include "files/preset_file.h"
#include "model/presets.h"

namespace {

using korav::PresetKind;
using korav::PresetRead;
using korav::Presets;

// One writer for every save: its buffer is large, and the target runs many saves per input.
std::vector<std::uint8_t> save(PresetKind k, const Presets& p) {
  static std::vector<std::uint8_t> sink;
  static korav::Writer w(sink);
  sink.clear();
  // Everything the reader takes is writable.
  if (!korav::write_preset(w, k, p) || !w.flush()) std::abort();
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  for (const korav::PresetKindInfo& f : korav::kPresetKinds) {
    Presets p;
    korav::Reader r(input);
    korav::PresetReadResult res = korav::read_preset(r, f.kind, p);
    if (res.status == PresetRead::kMissing || res.values < 0) std::abort();

    std::vector<std::uint8_t> first = save(f.kind, p);
    Presets again;
    korav::Reader r2(first);
    if (korav::read_preset(r2, f.kind, again).status != PresetRead::kRead) std::abort();
    if (save(f.kind, again) != first) std::abort();
  }
  return 0;
}
