// The printers the system knows, from its printer capability file ("/etc/printcap"), for the
// "Printer" choices of the print and plot setups: "Default" (the print program alone),
// "Custom" (a command the user types), then the printers' names, twenty entries at most.
//
// Each line of the file is taken with its blanks and tabs removed (and a carriage return of a
// line end); empty lines and lines starting with "#", "|" or ":" are skipped; a printer's name
// ends at the first "|" or ":". A name already in the list is not repeated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

inline constexpr std::size_t kMaxPrinterChoices = 20;
inline constexpr std::size_t kMaxPrinterName = 127;  // longer names are cut
inline constexpr std::string_view kDefaultPrinter = "Default";
inline constexpr std::string_view kCustomPrinter = "Custom";
inline constexpr const char* kSystemPrintcap = "/etc/printcap";

// "Default", "Custom" and the printers of the file's text.
std::vector<std::string> printer_choices(std::string_view printcap);
// The same for a file; a file that is missing or cannot be read gives "Default" and "Custom".
std::vector<std::string> printer_choices_of_file(const std::string& path);

}  // namespace korav
