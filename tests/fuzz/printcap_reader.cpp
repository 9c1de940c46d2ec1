// Fuzz target for the printer capability file: any bytes give "Default", "Custom" and at most
// eighteen printers, none empty, none holding a control byte, a blank or a separator, none
// twice, and each a command can be made of.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/print_command.h"
#include "exchange/printcap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korav;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> choices = printer_choices(text);
  if (choices.size() < 2 || choices.size() > kMaxPrinterChoices) std::abort();
  if (choices[0] != kDefaultPrinter || choices[1] != kCustomPrinter) std::abort();
  for (std::size_t i = 2; i < choices.size(); ++i) {
    const std::string& n = choices[i];
    if (n.empty() || n.size() > kMaxPrinterName) std::abort();
    for (const char c : n)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == ' ' || c == '|' || c == ':')
        std::abort();
    if (std::count(choices.begin(), choices.end(), n) != 1) std::abort();
    const std::string command = printer_command(n, "", "lp");
    if (print_arguments(command, "f").size() != 4) std::abort();  // lp -d NAME f
  }
  return 0;
}
