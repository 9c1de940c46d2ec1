#include "base/catalogue.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "base/regular_file.h"
#include "base/text_file.h"

namespace korav {

namespace {

inline constexpr std::size_t kNameSlot = 19;  // language and locale names: 20-byte slots

bool read_file(const std::string& path, std::string& out) { return read_regular_file(path, out); }

bool parse_count(const std::string& line, int& n) {
  std::size_t b = 0, e = line.size();
  while (b < e && (line[b] == ' ' || line[b] == '\t')) ++b;
  while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t')) --e;
  auto [p, ec] = std::from_chars(line.data() + b, line.data() + e, n);
  return ec == std::errc() && p == line.data() + e && n >= 0;
}

std::string to_program_text(std::string line) {
  latin1_to_utf8(line);
  return swap_line_breaks(line);
}

std::string first_line_of(const std::string& path, bool& found) {
  std::string data;
  found = read_file(path, data);
  if (!found) return {};
  auto lines = catalogue_lines(data);
  std::string s = lines.empty() ? std::string() : lines[0];
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  latin1_to_utf8(s);
  return s;
}

}  // namespace

std::vector<std::string> catalogue_lines(std::string_view data) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t start = i;
    while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
    std::size_t len = i - start;
    lines.emplace_back(data.substr(start, len < kMaxLineBytes ? len : kMaxLineBytes));
    if (i < data.size()) {
      if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
      ++i;
    }
  }
  return lines;
}

std::string swap_line_breaks(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c == '|') c = '\n';
    else if (c == '\n') c = '|';
  }
  return s;
}

void Catalogue::reset() {
  std::FILE* diag = diag_;
  *this = Catalogue();
  diag_ = diag;
}

bool Catalogue::load(const std::string& catalogue_path,
                     const std::vector<std::string>& language_files) {
  const bool warned = warned_inactive_;
  reset();
  warned_inactive_ = warned;
  tried_ = true;
  path_ = catalogue_path;
  for (const std::string& f : language_files) {
    bool found = false;
    std::string name = first_line_of(f, found);
    if (found) {
      if (!name.empty()) chosen_ = name;
      break;
    }
  }

  std::string data;
  if (!read_file(catalogue_path, data)) return false;
  std::vector<std::string> lines = catalogue_lines(data);
  auto complain = [&](const char* what, std::size_t line) {
    std::fprintf(stderr, "korav: message catalogue %s, line %zu: %s; texts stay English\n",
                 catalogue_path.c_str(), line + 1, what);
    return false;
  };
  std::size_t at = 0;
  int language_count = 0;
  if (lines.empty() || !parse_count(lines[0], language_count) || language_count < 1 ||
      language_count > 64)
    return complain("the number of languages is missing or not a small number", 0);
  at = 1;
  if (lines.size() < at + 2 * static_cast<std::size_t>(language_count) + 1)
    return complain("the file ends inside the language list", lines.size());
  for (int i = 0; i < language_count; ++i) {
    Language lang;
    lang.locale = lines[at++].substr(0, kNameSlot);
    lang.name = lines[at++].substr(0, kNameSlot);
    latin1_to_utf8(lang.locale);
    latin1_to_utf8(lang.name);
    languages_.push_back(std::move(lang));
  }
  current_ = 0;
  for (int i = 0; i < language_count; ++i)
    if (languages_[i].name == chosen_) current_ = i;
  chosen_index_ = current_;

  int entries = 0;
  if (!parse_count(lines[at], entries))
    return complain("the number of entries is not a number", at);
  ++at;
  const std::size_t record = 1 + static_cast<std::size_t>(language_count);
  std::size_t complete = (lines.size() - at) / record;
  if (static_cast<std::size_t>(entries) > complete) {
    std::fprintf(stderr, "korav: message catalogue %s: %d entries announced, %zu present\n",
                 catalogue_path.c_str(), entries, complete);
    entries = static_cast<int>(complete);
  }
  keys_.reserve(entries);
  texts_.assign(static_cast<std::size_t>(language_count), {});
  for (auto& t : texts_) t.reserve(entries);
  for (int e = 0; e < entries; ++e, at += record) {
    keys_.push_back(to_program_text(lines[at + 1]));
    for (int l = 0; l < language_count; ++l)
      texts_[static_cast<std::size_t>(l)].push_back(to_program_text(lines[at + 1 + l]));
  }
  index_.reserve(keys_.size());
  for (int e = 0; e < entries; ++e) index_.emplace(keys_[e], e);  // the first equal key wins
  active_ = true;
  return true;
}

void Catalogue::set_current_language(int index) {
  if (index >= 0 && index < static_cast<int>(languages_.size())) current_ = index;
}

bool Catalogue::appended_lines() {
  if (file_lines_read_) return true;
  std::string data;
  if (!read_file(path_, data)) return false;
  file_lines_read_ = true;
  for (std::string& l : catalogue_lines(data)) file_lines_.insert(to_program_text(std::move(l)));
  return true;
}

bool Catalogue::append(std::string_view english) {
  if (read_only_) return false;
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) return false;
  std::string line = utf8_to_latin1(swap_line_breaks(english));
  std::string rec = "\n" + line + "\n";
  for (std::size_t i = 1; i < languages_.size(); ++i) rec += "*" + line + "\n";
  bool ok = std::fwrite(rec.data(), 1, rec.size(), f) == rec.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

std::string_view Catalogue::translate(std::string_view english) {
  if (!active_) {
    // Said once per run rather than for every text: it is the same news each time.
    if (!warned_inactive_ && diag_) std::fputs("nls is not active!\n", diag_);
    warned_inactive_ = true;
    return english;
  }
  if (auto it = index_.find(english); it != index_.end())
    return texts_[static_cast<std::size_t>(current_)][it->second];

  if (!appended_lines()) return english;
  std::string key(english);
  if (file_lines_.count(key)) {
    if (diag_)
      std::fprintf(diag_, "nls entry *%s* _NOT_ added ... num = %d\n", key.c_str(),
                   added_ + entry_count());
    return english;
  }
  append(english);  // when the file cannot be appended to, only the count and the message
  ++added_;
  file_lines_.insert(key);
  if (diag_)
    std::fprintf(diag_, "nls entry *%s* added ... num = %d\n", key.c_str(), added_ + entry_count());
  return english;
}

bool Catalogue::save_language(const std::string& language_file) {
  bool ok = true;
  if (changed_language()) {
    std::FILE* f = std::fopen(language_file.c_str(), "wb");
    if (!f) return false;
    std::string name = utf8_to_latin1(languages_[current_].name) + "\n";
    ok = std::fwrite(name.data(), 1, name.size(), f) == name.size();
    ok = std::fclose(f) == 0 && ok;
  }
  // The run is ending: inactive from now on, but neither loaded nor warned about again.
  std::FILE* diag = diag_;
  const bool warned = warned_inactive_, tried = tried_;
  *this = Catalogue();
  diag_ = diag;
  warned_inactive_ = warned;
  tried_ = tried;
  return ok;
}

Catalogue& catalogue() {
  static Catalogue c;
  return c;
}

}  // namespace korav
