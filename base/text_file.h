// The program's text files (catalogue, presets, materials, fonts): ISO-8859-1, lines of at most
// 255 bytes. The program itself works in UTF-8; these convert between the two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korav {

inline constexpr std::size_t kMaxLineBytes = 255;

// Converts ISO-8859-1 bytes to UTF-8 in place.
void latin1_to_utf8(std::string& s);

// UTF-8 to ISO-8859-1 for writing; characters outside Latin-1 become '?'.
std::string utf8_to_latin1(std::string_view text);

}  // namespace korav
