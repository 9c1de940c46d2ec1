// Every text shown to the user passes through translate() just before it is shown.
#pragma once

#include <string>
#include <string_view>

namespace korav {

// The text in the current language; the English text itself when the catalogue has none.
// The result stays valid as long as the argument and the loaded catalogue do.
std::string_view translate(std::string_view english);

}  // namespace korav
