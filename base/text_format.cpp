#include "base/text_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace korav {

std::string fill_format(std::string_view f, std::initializer_list<std::string> args) {
  std::vector<const std::string*> list;
  for (const std::string& a : args) list.push_back(&a);
  std::size_t next = 0;
  std::string out;
  out.reserve(f.size() + 32);
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%' || i + 1 >= f.size()) {
      out.push_back(f[i]);
      continue;
    }
    if (f[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    // %s, %d, %f, %.Nf
    std::size_t j = i + 1;
    if (f[j] == '.') {
      ++j;
      while (j < f.size() && f[j] >= '0' && f[j] <= '9') ++j;
      if (j >= f.size() || f[j] != 'f') j = std::string_view::npos;
    } else if (f[j] != 's' && f[j] != 'd' && f[j] != 'f') {
      j = std::string_view::npos;
    }
    if (j == std::string_view::npos || next >= list.size()) {
      out.push_back('%');
      continue;
    }
    out += *list[next++];
    i = j;
  }
  return out;
}

std::string format_fixed(double value, int decimals) {
  if (!std::isfinite(value)) return value != value ? "nan" : value > 0 ? "inf" : "-inf";
  if (decimals < 0) decimals = 0;
  if (decimals > 12) decimals = 12;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

}  // namespace korav
