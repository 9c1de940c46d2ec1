#include "exchange/printcap.h"

#include <algorithm>

#include "base/regular_file.h"

namespace korav {

namespace {

constexpr std::size_t kMaxPrintcapBytes = 1 << 20;  // a larger file is read this far

}  // namespace

std::vector<std::string> printer_choices(std::string_view printcap) {
  std::vector<std::string> out{std::string(kDefaultPrinter), std::string(kCustomPrinter)};
  std::string line;
  std::size_t at = 0;
  while (at < printcap.size() && out.size() < kMaxPrinterChoices) {
    std::size_t end = printcap.find('\n', at);
    if (end == std::string_view::npos) end = printcap.size();
    line.clear();
    for (std::size_t i = at; i < end; ++i) {
      const char c = printcap[i];
      if (c != ' ' && c != '\t' && c != '\r') line.push_back(c);
    }
    at = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == '|' || line[0] == ':') continue;
    std::string name = line.substr(0, line.find_first_of("|:"));
    // A name with bytes that are no text (a damaged file) would reach a command line.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
      continue;
    if (name.size() > kMaxPrinterName) name.resize(kMaxPrinterName);
    if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(std::move(name));
  }
  return out;
}

std::vector<std::string> printer_choices_of_file(const std::string& path) {
  std::string text;
  if (!read_regular_file(path, text)) text.clear();
  if (text.size() > kMaxPrintcapBytes) text.resize(kMaxPrintcapBytes);
  return printer_choices(text);
}

}  // namespace korav
