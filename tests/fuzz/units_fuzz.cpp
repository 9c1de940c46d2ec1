// Every parser of typed values on arbitrary bytes, in every unit; every formatter on the values
// read and on raw doubles taken from the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/units.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korav;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)parse_number(text);
  for (std::uint32_t unit = 0; unit <= 6; ++unit) {
    const ParsedValue v = parse_length(text, unit);
    if (v.ok()) (void)format_length(v.value, unit);
    (void)parse_coordinates(text, unit);
    (void)parse_angle(text, unit);
    (void)parse_paper_size(text, unit);
    (void)parse_size(text, unit);
  }
  if (size >= sizeof(double) + 3) {
    double d;
    std::memcpy(&d, data, sizeof d);
    const std::uint32_t style = data[sizeof d], acc = data[sizeof d + 1] % 8,
                        arch = data[sizeof d + 2] % 8;
    (void)format_dimension_figure(d, style, acc, arch);
    (void)format_length(d, style % 7);
    (void)format_angle(d, style % 4);
    (void)format_paper_size(d, style % 6);
    (void)format_size(d, style % 3);
    (void)format_plain_number(d);
    (void)format_feet_inches(d, 1 << (style % 7));
  }
  return 0;
}
