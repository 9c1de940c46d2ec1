#include "base/text_file.h"

namespace korav {

void latin1_to_utf8(std::string& s) {
  std::size_t high = 0;
  for (unsigned char c : s) high += c >= 0x80;
  if (high == 0) return;
  std::size_t old = s.size();
  s.resize(old + high);
  // Walk backwards so that every byte is read before its place is overwritten.
  std::size_t out = s.size();
  for (std::size_t i = old; i-- > 0;) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      s[--out] = static_cast<char>(c);
    } else {
      s[--out] = static_cast<char>(0x80 | (c & 0x3F));
      s[--out] = static_cast<char>(0xC0 | (c >> 6));
    }
  }
}

std::string utf8_to_latin1(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      unsigned v = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      out.push_back(v < 0x100 ? static_cast<char>(v) : '?');
      i += 2;
    } else {
      out.push_back('?');
      ++i;
      while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
  }
  return out;
}

}  // namespace korav
