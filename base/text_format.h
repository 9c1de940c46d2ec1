// Filling the formats of shown texts ("Move to %s :", the window title). The formats come from
// the message catalogue, a file the user may edit, so they are never handed to printf: each
// "%s", "%d" or "%.Nf" takes the next of the already formatted arguments, "%%" is a percent
// sign, and anything else (a conversion without an argument left, say) stays as written.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korav {

std::string fill_format(std::string_view format, std::initializer_list<std::string> args);

// A number as "%.Nf" prints it, in the C locale.
std::string format_fixed(double value, int decimals);

}  // namespace korav
