// The message catalogue: every text the user sees is written in English in the program and
// translated through one catalogue file that holds every text in every language. A text the
// catalogue does not know is shown in English and appended to the file, so the file collects
// the texts that still need translating.
//
// File layout (ISO-8859-1, lines end with LF, CR or CR LF, at most 255 characters): the number
// of languages L; L pairs of lines (locale name, language name); the number of entries N; N
// records of one ignored header line and L texts, the first being the English key. In a text
// "|" stands for a line break.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace korav {

class Catalogue {
 public:
  struct Language {
    std::string locale;
    std::string name;
  };

  // Reads the chosen language from the first of `language_files` that exists ("english"
  // without one), then the catalogue file. False when the catalogue file cannot be read; the
  // catalogue is then inactive and every text stays English.
  bool load(const std::string& catalogue_path, const std::vector<std::string>& language_files);
  // Back to the state before load (inactive, nothing added, never loaded, not yet warned).
  void reset();
  // Whether load was called since the last reset, whatever it found: a run loads once and
  // complains once.
  bool tried() const { return tried_; }

  // The text in the current language, or `english` itself.
  std::string_view translate(std::string_view english);

  bool active() const { return active_; }
  const std::vector<Language>& languages() const { return languages_; }
  int current_language() const { return current_; }
  // The settings dialog's language choice: every text translated from now on is in it (the
  // hosts show the new texts at once); the choice is kept for the next start by save_language.
  void set_current_language(int index);
  const std::string& chosen_language() const { return chosen_; }
  int entry_count() const { return static_cast<int>(keys_.size()); }
  int added_count() const { return added_; }

  // Whether the current language differs from the one chosen at start-up (save_language writes).
  bool changed_language() const {
    return active_ && current_ != chosen_index_ && current_ < static_cast<int>(languages_.size());
  }
  // A read-only catalogue (an installed program's) never appends a missing text to its file;
  // the text stays English and the count and diagnostic are as when the append fails. Until
  // the next load.
  void set_read_only(bool read_only) { read_only_ = read_only; }

  // At exit: when the current language differs from the one chosen at start-up, writes its
  // name to `language_file`, and becomes inactive. False only when that write failed.
  bool save_language(const std::string& language_file);

  // Where the developer diagnostics go ("nls entry ... added"); nullptr for nowhere.
  void set_diagnostics(std::FILE* out) { diag_ = out; }

 private:
  bool appended_lines();
  bool append(std::string_view english);

  bool active_ = false;
  std::string path_;
  std::string chosen_ = "english";
  int chosen_index_ = 0;
  int current_ = 0;
  std::vector<Language> languages_;
  std::vector<std::string> keys_;
  // Every language's texts, by language and entry: switching the language keeps the texts
  // handed out before valid.
  std::vector<std::vector<std::string>> texts_;
  std::unordered_map<std::string_view, int> index_;  // first entry of each key
  // Every line of the file (after the "|" swap), read once when a text is missing.
  std::unordered_set<std::string> file_lines_;
  bool file_lines_read_ = false;
  int added_ = 0;
  bool warned_inactive_ = false;  // "nls is not active!" was said (once per run)
  bool tried_ = false;
  bool read_only_ = false;
  std::FILE* diag_ = stdout;
};

// The program's catalogue, used by translate() (app/messages.h).
Catalogue& catalogue();

// Splits catalogue text into lines the way the catalogue reads them: LF, CR or CR LF end a
// line; a line is cut after 255 bytes and the rest of it up to its line end is dropped.
std::vector<std::string> catalogue_lines(std::string_view data);

// "|" and newline swapped, as texts travel between the file and the program.
std::string swap_line_breaks(std::string_view text);

}  // namespace korav
