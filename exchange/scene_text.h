// The text of a renderer's scene file while it is written: printf-style appending with the
// C locale's decimal point, and the names of materials made fit for a scene language.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace korav {

class SceneText {
 public:
  // Appends the formatted text. The formats are the writers' own literals, never a user's text.
  SceneText& add(const char* format, ...) __attribute__((format(printf, 2, 3)));
  SceneText& operator<<(std::string_view s) {
    text_.append(s);
    return *this;
  }
  const std::string& str() const { return text_; }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

// Turns material names into identifiers a scene language accepts, each name always into the
// same one and no two names into one. A name that already is an identifier of letters, digits
// and '_', starts with a letter and holds a capital (the scene languages' own words are all
// small letters) is kept; any other gets "M_" before it and '_' for each character that may
// not stand in an identifier, and a number when that is taken.
class IdentifierTable {
 public:
  const std::string& identifier(std::string_view name);

 private:
  std::map<std::string, std::string, std::less<>> ids_;  // name -> identifier
  std::set<std::string, std::less<>> taken_;
};

// A string literal's inside for a scene file: '\' and '"' escaped.
std::string quoted_inside(std::string_view s);

}  // namespace korav
