// The script host: korav with no window. It reads one event per line from a script, feeds the
// events into the same command loop, point input and dialog variables the window uses, answers
// question boxes and file choosers from the script, and prints the transcript (prompts,
// messages, errors, questions, file choosers, titles) on standard output. The canvas is an
// off-screen drawing surface of the requested size, so views change exactly as in the window.
//
// parse_script_line is shared with the window's --replay.
#pragma once

#include <cstdio>
#include <functional>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "base/ui.h"

namespace korav {

struct App;
class DialogVars;

struct ScriptEvent {
  enum class Kind {
    kNone,     // blank line or comment
    kCommand,  // a command name
    kClick,    // click / click2 / click3 X Y
    kMove,     // move X Y
    kWheel,    // wheel up / wheel down
    kType,     // type TEXT
    kKey,      // key [ctrl+][shift+]NAME
    kAnswer,   // answer LABEL
    kFile,     // file PATH | file cancel
    kEdit,     // edit TEXT | edit cancel: answers the text editor ("\n" in TEXT is a line feed)
    kSet,      // set NAME VALUE
    kError,    // not a script line; `error` says why
  };
  Kind kind = Kind::kNone;
  std::string text;   // command, typed text, key name, answer, file path, variable name
  std::string value;  // set: the value
  int button = 1;
  double x = 0, y = 0;
  bool up = false;
  bool ctrl = false, shift = false;
  bool cancel = false;  // file cancel
  std::string error;
};

// One script line. `vars` tells where a variable name (which may hold blanks) ends in a "set"
// line; without it the name ends at the last blank. A line holding a NUL byte or longer than
// kMaxScriptLine is an error, and so is a key name no key has.
ScriptEvent parse_script_line(std::string_view line, const DialogVars* vars);

// The longest script line; no event needs more.
inline constexpr std::size_t kMaxScriptLine = 4096;
// At most this many characters of a line are quoted in a message.
inline constexpr std::size_t kMaxQuotedLine = 200;

// Reads the next line of a script (up to a line feed or the end). Of a line longer than
// kMaxScriptLine only the first kMaxScriptLine + 1 bytes are kept, so that parse_script_line
// refuses it and a line of megabytes costs no memory. False at the end of the script.
bool read_script_line(std::istream& in, std::string& line);

// A script line as a message quotes it: control characters as "?", cut after kMaxQuotedLine
// characters with "..." after it.
std::string quoted_line(std::string_view line);

// "|" for the line breaks of a text, as the transcript shows it.
std::string transcript_text(std::string_view text);

class ScriptHost : public Ui {
 public:
  // `out` receives the transcript (nullptr: kept in transcript() only).
  ScriptHost(App& app, std::istream& script, std::string script_name, std::FILE* out);

  // Start-up with the data directory, the command loop until the script ends, and the exit.
  // Returns the exit status: 0, or 1 after a script error, an "Error" box while the script ran,
  // or a drawing named on the command line that could not be loaded.
  // `after_start` runs between start-up and the command loop (tests set up a drawing there).
  int run(const CommandLine& cl, const std::string& data_dir,
          const std::function<void(App&)>& after_start = {});

  void set_canvas_size(int width, int height) {
    width_ = width;
    height_ = height;
  }
  const std::vector<std::string>& transcript() const { return transcript_; }
  int status() const { return status_; }
  // Script errors as reported on standard error.
  const std::vector<std::string>& errors() const { return errors_; }

  // Ui
  void error_box(std::string_view text) override;
  void message_box(std::string_view text) override;
  void error_box_filled(std::string_view text) override;
  void message_box_filled(std::string_view text) override;
  int question(std::string_view text, std::span<const std::string_view> buttons) override;
  int question_filled(std::string_view text, std::span<const std::string_view> buttons) override;
  std::optional<std::string> edit_text(std::string_view title, std::string_view initial) override;
  std::optional<std::string> choose_file(std::string_view title, std::string_view start,
                                         bool save) override;
  void set_title(std::string_view title) override;
  void set_prompt(std::string_view text) override;
  std::string wait_command() override;

 private:
  struct Line {
    int number = 0;
    std::string text;
  };
  bool next_line(Line& line);
  // The next line that is not blank or a comment; false at the end of the script.
  bool next_event_line(Line& line, ScriptEvent& ev);
  void emit(std::string_view kind, std::string_view text);
  void script_error(int line, const std::string& message);

  App& app_;
  std::istream& script_;
  std::string script_name_;
  std::FILE* out_;
  std::vector<std::string> transcript_;
  std::vector<std::string> errors_;
  int line_number_ = 0;
  int width_ = 1000, height_ = 700;
  int status_ = 0;
  bool running_ = false;  // start-up is over
  bool ended_ = false;
  int waits_after_end_ = 0;
  std::string title_, prompt_;
  std::string last_error_;  // the text of the last "Error" box
  bool title_shown_ = false, prompt_shown_ = false;
};

// The program's own path (for the data directory).
std::string executable_path();

}  // namespace korav
