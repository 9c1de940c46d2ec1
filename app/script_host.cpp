#include "app/script_host.h"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "app/app.h"
#include "app/commands.h"
#include "app/dialog_vars.h"
#include "app/hosts.h"
#include "app/keyboard.h"
#include "base/messages.h"
#include "base/regular_file.h"

namespace korav {

namespace {

// A tool that keeps asking after the script ended would otherwise never stop.
constexpr int kMaxWaitsAfterEnd = 1000;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool parse_double(std::string_view s, double& v) {
  if (s.empty()) return false;
  if (s.front() == '+') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && v == v && v - v == 0;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

bool equal_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Splits "word rest" at the first blank.
std::pair<std::string_view, std::string_view> split_word(std::string_view s) {
  auto sp = s.find_first_of(" \t");
  if (sp == std::string_view::npos) return {s, {}};
  return {s.substr(0, sp), trim(s.substr(sp + 1))};
}

}  // namespace

bool read_script_line(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buf = in.rdbuf();
  if (!buf) return false;
  bool any = false;
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n') return true;
    if (line.size() <= kMaxScriptLine) line.push_back(static_cast<char>(c));
  }
}

std::string quoted_line(std::string_view line) {
  std::string out;
  std::size_t shown = 0, i = 0;
  for (; i < line.size() && shown < kMaxQuotedLine; ++shown) {
    const auto c = static_cast<unsigned char>(line[i]);
    std::size_t len = 1;  // whole UTF-8 characters are kept together
    if (c >= 0xC0)
      while (i + len < line.size() && (static_cast<unsigned char>(line[i + len]) & 0xC0) == 0x80)
        ++len;
    if (c < 0x20 || c == 0x7F) out += '?';
    else out.append(line.substr(i, len));
    i += len;
  }
  if (i < line.size()) out += "...";
  return out;
}

std::string transcript_text(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == '\n') c = '|';
  return s;
}

ScriptEvent parse_script_line(std::string_view raw, const DialogVars* vars) {
  ScriptEvent ev;
  using K = ScriptEvent::Kind;
  auto fail = [&](std::string message) {
    ev.kind = K::kError;
    ev.error = std::move(message);
    return ev;
  };
  // Checked before anything else: a NUL would cut a path or a text short where it is used.
  if (raw.find('\0') != std::string_view::npos)
    return fail("the line holds a NUL byte: " + quoted_line(raw));
  if (raw.size() > kMaxScriptLine)
    return fail("the line is longer than " + std::to_string(kMaxScriptLine) +
                " characters: " + quoted_line(raw));
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  std::string_view line = trim(raw);
  if (line.empty() || line.front() == '#') return ev;

  auto [word, rest] = split_word(line);
  if (word == "type") {
    // The text exactly as written after "type ".
    std::string_view after = raw.substr(raw.find("type") + 4);
    if (after.empty()) return fail("type needs a text");
    ev.kind = K::kType;
    ev.text = std::string(after.substr(1));
    return ev;
  }
  if (word == "click" || word == "click2" || word == "click3" || word == "move") {
    auto [xs, ys] = split_word(rest);
    if (!parse_double(xs, ev.x) || !parse_double(trim(ys), ev.y))
      return fail(std::string(word) + " needs two numbers X Y, for example: " + std::string(word) +
                  " 1.5 -2");
    ev.kind = word == "move" ? K::kMove : K::kClick;
    ev.button = word == "click2" ? 2 : word == "click3" ? 3 : 1;
    return ev;
  }
  if (word == "wheel") {
    if (rest != "up" && rest != "down") return fail("wheel takes up or down");
    ev.kind = K::kWheel;
    ev.up = rest == "up";
    return ev;
  }
  if (word == "key") {
    std::string_view k = rest;
    for (bool more = true; more;) {
      more = false;
      if (starts_with_nocase(k, "ctrl+") && k.size() > 5) {
        ev.ctrl = true;
        k.remove_prefix(5);
        more = true;
      } else if (starts_with_nocase(k, "shift+") && k.size() > 6) {
        ev.shift = true;
        k.remove_prefix(6);
        more = true;
      }
    }
    if (k.empty() || k.find_first_of(" \t") != std::string_view::npos)
      return fail("key needs one key name, for example: key Escape");
    // Key names hold no "+" ("plus" is the name of the + key): "ctrl+" alone is a typo.
    if (k.size() > 1 && k.find('+') != std::string_view::npos)
      return fail("key needs one key name after ctrl+ or shift+, for example: key ctrl+s");
    if (key_name(k).empty()) return fail("key: unknown key name \"" + quoted_line(k) + "\"");
    ev.kind = K::kKey;
    ev.text = std::string(k);
    // Shift with a letter gives the capital letter, as the keyboard does.
    if (ev.shift && ev.text.size() == 1 && ev.text[0] >= 'a' && ev.text[0] <= 'z')
      ev.text[0] = static_cast<char>(ev.text[0] - 'a' + 'A');
    return ev;
  }
  if (word == "answer") {
    if (rest.empty()) return fail("answer needs a button label or number");
    ev.kind = K::kAnswer;
    ev.text = std::string(rest);
    return ev;
  }
  if (word == "file") {
    if (rest.empty()) return fail("file needs a path or cancel");
    ev.kind = K::kFile;
    ev.cancel = rest == "cancel";
    ev.text = std::string(rest);
    return ev;
  }
  if (word == "edit") {
    // The text exactly as written after "edit "; "\n" stands for a line feed, "\\" for "\".
    std::string_view after = raw.substr(raw.find("edit") + 4);
    if (after.empty()) return fail("edit needs a text or cancel");
    ev.kind = K::kEdit;
    ev.cancel = rest == "cancel";
    after.remove_prefix(1);
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] == '\\' && i + 1 < after.size() &&
          (after[i + 1] == 'n' || after[i + 1] == '\\')) {
        ev.text += after[i + 1] == 'n' ? '\n' : '\\';
        ++i;
      } else {
        ev.text += after[i];
      }
    }
    return ev;
  }
  if (word == "set") {
    // The longest known variable name that the rest starts with, followed by a blank.
    std::size_t best = 0;
    if (vars) {
      for (const DialogVar& v : vars->all()) {
        const std::string& n = v.name;
        if (n.size() > best && rest.size() > n.size() && rest.starts_with(n) &&
            (rest[n.size()] == ' ' || rest[n.size()] == '\t'))
          best = n.size();
      }
    }
    if (!best) {
      auto sp = rest.find_last_of(" \t");
      if (sp == std::string_view::npos) return fail("set needs a NAME and a VALUE");
      best = sp;
    }
    ev.kind = K::kSet;
    ev.text = std::string(trim(rest.substr(0, best)));
    ev.value = std::string(trim(rest.substr(best)));
    if (ev.text.find('/') == std::string::npos)
      return fail("set needs NAME as \"Dialog title/Label\"");
    return ev;
  }
  if (rest.empty() && is_known_command(word)) {
    ev.kind = K::kCommand;
    ev.text = std::string(word);
    return ev;
  }
  return fail("unknown line: " + quoted_line(line));
}

ScriptHost::ScriptHost(App& app, std::istream& script, std::string script_name, std::FILE* out)
    : app_(app), script_(script), script_name_(std::move(script_name)), out_(out) {}

void ScriptHost::emit(std::string_view kind, std::string_view text) {
  std::string line = std::string(kind) + ": " + std::string(text);
  if (out_) {
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
  }
  transcript_.push_back(std::move(line));
}

void ScriptHost::script_error(int line, const std::string& message) {
  std::string m = "script " + script_name_ + " line " + std::to_string(line) + ": " + message;
  std::fprintf(stderr, "korav: %s\n", m.c_str());
  errors_.push_back(std::move(m));
  status_ = 1;
  ended_ = true;
}

bool ScriptHost::next_line(Line& line) {
  std::string s;
  if (ended_ || !read_script_line(script_, s)) return false;
  line.number = ++line_number_;
  line.text = std::move(s);
  return true;
}

bool ScriptHost::next_event_line(Line& line, ScriptEvent& ev) {
  while (next_line(line)) {
    ev = parse_script_line(line.text, &app_.vars);
    if (ev.kind != ScriptEvent::Kind::kNone) return true;
  }
  return false;
}

std::string ScriptHost::wait_command() {
  using K = ScriptEvent::Kind;
  for (;;) {
    if (ended_) {
      // The script is over: end as if the user had quit without saving.
      app_.quit = true;
      if (++waits_after_end_ > kMaxWaitsAfterEnd) {
        std::fprintf(stderr, "korav: the script ended but the program keeps waiting; stopping\n");
        std::fflush(nullptr);
        std::exit(1);
      }
      app_.command = "p_nop";
      return app_.command;
    }
    Line line;
    ScriptEvent ev;
    if (!next_event_line(line, ev)) {
      ended_ = true;
      continue;
    }
    switch (ev.kind) {
      case K::kError: script_error(line.number, ev.error); break;
      case K::kCommand:
        if (activate(app_, ev.text)) return app_.command;
        break;
      case K::kClick:
        if (canvas_button_world(app_, ev.button, ev.x, ev.y)) return app_.command;
        break;
      case K::kMove: pointer_motion_world(app_, ev.x, ev.y); break;
      case K::kWheel:
        if (canvas_scroll(app_, ev.up)) return app_.command;
        break;
      case K::kType:
        if (!app_.input.value_entry_open) {
          script_error(line.number, "type: no value entry is open");
          break;
        }
        if (enter_value(app_, ev.text)) return app_.command;
        break;
      case K::kKey:
        if (press_key(app_, key_name(ev.text), ev.ctrl, ev.shift)) return app_.command;
        break;
      case K::kAnswer: script_error(line.number, "answer: no question box is open"); break;
      case K::kFile: script_error(line.number, "file: no file chooser is open"); break;
      case K::kEdit: script_error(line.number, "edit: no text editor is open"); break;
      case K::kSet: {
        std::string error;
        switch (app_.vars.set(app_, ev.text, ev.value, error)) {
          case DialogVars::Result::kError: script_error(line.number, "set: " + error); break;
          case DialogVars::Result::kLeave: return app_.command;
          case DialogVars::Result::kDone: break;
        }
        break;
      }
      case K::kNone: break;
    }
  }
}

void ScriptHost::error_box(std::string_view text) { error_box_filled(translate(text)); }

void ScriptHost::message_box(std::string_view text) { message_box_filled(translate(text)); }

void ScriptHost::error_box_filled(std::string_view text) {
  emit("error", transcript_text(text));
  last_error_ = transcript_text(text);
  app_.set_dialog_open(kDialogError, true);  // as the window's box, until "z_c_error"
  if (running_) status_ = 1;
}

void ScriptHost::message_box_filled(std::string_view text) {
  emit("message", transcript_text(text));
  app_.set_dialog_open(kDialogError, true);
}

int ScriptHost::question(std::string_view text, std::span<const std::string_view> buttons) {
  return question_filled(translate(text), buttons);
}

int ScriptHost::question_filled(std::string_view text, std::span<const std::string_view> buttons) {
  std::string shown = "";
  shown += transcript_text(text);
  shown += " [";
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (i) shown += "|";
    shown += transcript_text(translate(buttons[i]));
  }
  shown += "] -> ";

  Line line;
  ScriptEvent ev;
  int chosen = 0;
  std::string problem;
  const bool have = next_event_line(line, ev);
  if (!have || ev.kind != ScriptEvent::Kind::kAnswer) {
    problem = "a question box is open (\"" + transcript_text(text) +
              "\") but the next line is not an answer";
  } else if (equal_nocase(ev.text, "close")) {
    chosen = 0;
  } else {
    for (std::size_t i = 0; i < buttons.size() && !chosen; ++i)
      if (ev.text == buttons[i]) chosen = static_cast<int>(i) + 1;
    for (std::size_t i = 0; i < buttons.size() && !chosen; ++i)
      if (equal_nocase(ev.text, buttons[i])) chosen = static_cast<int>(i) + 1;
    long n = 0;
    if (!chosen) {
      auto [p, ec] = std::from_chars(ev.text.data(), ev.text.data() + ev.text.size(), n);
      if (ec == std::errc() && p == ev.text.data() + ev.text.size() && n >= 1 &&
          n <= static_cast<long>(buttons.size()))
        chosen = static_cast<int>(n);
      else problem = "answer: the question box has no button \"" + quoted_line(ev.text) + "\"";
    }
  }
  emit("question", shown + (chosen ? transcript_text(translate(buttons[chosen - 1])) : "close"));
  if (!problem.empty()) script_error(have ? line.number : line_number_, problem);
  return chosen;
}

std::optional<std::string> ScriptHost::edit_text(std::string_view title, std::string_view) {
  Line line;
  ScriptEvent ev;
  const bool have = next_event_line(line, ev);
  std::optional<std::string> text;
  if (have && ev.kind == ScriptEvent::Kind::kEdit && !ev.cancel) text = ev.text;
  emit("edit",
       transcript_text(translate(title)) + " -> " + (text ? transcript_text(*text) : "cancel"));
  if (!have || ev.kind != ScriptEvent::Kind::kEdit)
    script_error(have ? line.number : line_number_,
                 "a text editor is open (\"" + std::string(title) +
                     "\") but the next line is not an edit line");
  return text;
}

std::optional<std::string> ScriptHost::choose_file(std::string_view title, std::string_view, bool) {
  Line line;
  ScriptEvent ev;
  const bool have = next_event_line(line, ev);
  std::optional<std::string> path;
  if (have && ev.kind == ScriptEvent::Kind::kFile && !ev.cancel)
    path = resolve_path(app_.start_dir, ev.text);
  emit("file", transcript_text(translate(title)) + " -> " + (path ? *path : "cancel"));
  if (!have || ev.kind != ScriptEvent::Kind::kFile)
    script_error(have ? line.number : line_number_, "a file chooser is open (\"" +
                                                        std::string(title) +
                                                        "\") but the next line is not a file line");
  return path;
}

void ScriptHost::set_title(std::string_view title) {
  if (title_shown_ && title == title_) return;
  title_ = std::string(title);
  title_shown_ = true;
  emit("title", transcript_text(title_));
}

void ScriptHost::set_prompt(std::string_view text) {
  if (prompt_shown_ && text == prompt_) return;
  prompt_ = std::string(text);
  prompt_shown_ = true;
  emit("prompt", transcript_text(prompt_));
}

int ScriptHost::run(const CommandLine& cl, const std::string& data_dir,
                    const std::function<void(App&)>& after_start) {
  app_.ui = this;
  if (!start_up_in(app_, cl, data_dir)) {
    // The drawing named on the command line: the transcript has the box, standard error one
    // line naming the file.
    status_ = 1;
    std::fprintf(stderr, "korav: %s: %s\n", cl.drawing.c_str(), last_error_.c_str());
  }
  canvas_resized(app_, width_, height_);
  if (after_start) after_start(app_);
  running_ = true;
  command_loop(app_);
  shut_down(app_);
  return status_;
}

std::string executable_path() {
  std::string buf(PATH_MAX, '\0');
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  buf.resize(static_cast<std::size_t>(n));
  return buf;
}

int run_script_host(const CommandLine& cl) {
  std::istringstream file;
  std::istream* in = &std::cin;
  if (cl.script != "-") {
    // A directory, a FIFO or a device is refused like any file that cannot be read.
    std::string text;
    if (!read_regular_file(cl.script, text)) {
      std::fprintf(stderr, "korav: cannot read script %s\n", cl.script.c_str());
      return 1;
    }
    file.str(std::move(text));
    in = &file;
  }
  const std::string data_dir = prepare_program(executable_path());
  App app;
  ScriptHost host(app, *in, cl.script == "-" ? "(standard input)" : cl.script, stdout);
  host.set_canvas_size(cl.width ? cl.width : 1000, cl.height ? cl.height : 700);
  return host.run(cl, data_dir);
}

}  // namespace korav
