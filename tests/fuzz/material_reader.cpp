// Fuzz target for the material reader: any bytes must read without a fault; what was read must
// write, read back whole and write again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "three_d/material.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  korav::Material m;
  const korav::MaterialReadResult r = korav::parse_material(input, m);
  if (r.status == korav::MaterialRead::kMissing) std::abort();
  if (r.status == korav::MaterialRead::kDamaged &&
      (r.line < 1 || r.line > korav::kMaterialLines))
    std::abort();

  // Everything the reader takes is writable, and reads back as it was written.
  std::string first;
  if (!korav::format_material(m, first)) std::abort();
  korav::Material again;
  if (korav::parse_material(first, again).status != korav::MaterialRead::kRead) std::abort();
  std::string second;
  if (!korav::format_material(again, second) || second != first) std::abort();
  return 0;
}
