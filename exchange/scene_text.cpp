#include "exchange/scene_text.h"

#include <cstdarg>
#include <cstdio>

namespace korav {

namespace {

bool is_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_word_char(unsigned char c) { return is_letter(c) || (c >= '0' && c <= '9') || c == '_'; }

bool kept_as_it_is(std::string_view name) {
  if (name.empty() || !is_letter(static_cast<unsigned char>(name.front()))) return false;
  bool capital = false;
  for (unsigned char c : name) {
    if (!is_word_char(c)) return false;
    capital = capital || (c >= 'A' && c <= 'Z');
  }
  return capital;
}

}  // namespace

SceneText& SceneText::add(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) return *this;
  if (static_cast<std::size_t>(n) < sizeof buf) {
    text_.append(buf, static_cast<std::size_t>(n));
    return *this;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.resize(static_cast<std::size_t>(n));
  text_ += big;
  return *this;
}

const std::string& IdentifierTable::identifier(std::string_view name) {
  if (auto it = ids_.find(name); it != ids_.end()) return it->second;
  std::string id;
  if (kept_as_it_is(name)) {
    id = std::string(name);
  } else {
    id = "M_";
    for (unsigned char c : name) id += is_word_char(c) ? static_cast<char>(c) : '_';
  }
  if (taken_.contains(id)) {
    int k = 2;
    while (taken_.contains(id + "_" + std::to_string(k))) ++k;
    id += "_" + std::to_string(k);
  }
  taken_.insert(id);
  return ids_.emplace(std::string(name), std::move(id)).first->second;
}

std::string quoted_inside(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace korav
