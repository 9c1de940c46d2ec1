// The user interface of the tests that call the program without a host: it records what the
// program shows, answers questions and file choosers from queues, and never waits.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/ui.h"

namespace korav {

class FakeUi : public Ui {
 public:
  // Everything shown, in order, as transcript lines ("error: Cannot open file").
  std::vector<std::string> events;
  // The same, by kind.
  std::vector<std::string> errors, messages, questions, chooser_titles, shown, hidden, help;
  std::map<std::string, bool, std::less<>> buttons;  // toggle buttons by command
  int page = -1;                                     // the palette page shown last
  std::deque<int> answers;                           // question results; then `closed`
  int closed = 0;                                    // 0: the box was closed
  std::deque<std::optional<std::string>> files;      // chooser results; then cancel

  void error_box(std::string_view t) override { note("error", t, errors); }
  void message_box(std::string_view t) override { note("message", t, messages); }
  int question(std::string_view t, std::span<const std::string_view>) override {
    note("question", t, questions);
    return next(answers, closed);
  }
  std::optional<std::string> choose_file(std::string_view title, std::string_view, bool) override {
    note("file", title, chooser_titles);
    return next(files, std::optional<std::string>());
  }
  void set_title(std::string_view t) override { events.push_back("title: " + std::string(t)); }
  void set_prompt(std::string_view t) override { events.push_back("prompt: " + std::string(t)); }
  std::string wait_command() override { return "p_nop"; }
  void set_button_active(std::string_view c, bool on) override { buttons[std::string(c)] = on; }
  void show_dialog(std::string_view k) override { shown.emplace_back(k); }
  void hide_dialog(std::string_view k) override { hidden.emplace_back(k); }
  void open_help(std::string_view p) override { help.emplace_back(p); }
  void show_palette_page(int p) override { page = p; }

 private:
  void note(const char* kind, std::string_view text, std::vector<std::string>& into) {
    events.push_back(kind + (": " + std::string(text)));
    into.emplace_back(text);
  }
  template <class T>
  static T next(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T v = queue.front();
    queue.pop_front();
    return v;
  }
};

}  // namespace korav
