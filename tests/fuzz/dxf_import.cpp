// Fuzz target for the DXF import: any bytes, with every option, must import without a fault,
// and what is added must be whole elements the store can walk.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/dxf_import.h"
#include "model/drawing.h"
#include "model/element_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  korav::DxfImportOptions o;
  o.scale = data[0] % 5;
  o.line_mode = (data[0] >> 3) & 1;
  o.layer_mode = (data[0] >> 4) & 1;
  std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  korav::Drawing d;
  const korav::DxfImportResult r = korav::import_dxf(d, file, o);
  std::size_t n = 0;
  for (const korav::Element& e : d.store.list) {
    if (!korav::tail_intact(e)) std::abort();
    ++n;
  }
  if (static_cast<std::size_t>(r.created) != n) std::abort();
  return 0;
}
