#include "app/gtk/replay.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/app.h"
#include "app/commands.h"
#include "app/gtk/gtk_host.h"
#include "app/keyboard.h"
#include "app/script_host.h"
#include "base/regular_file.h"

namespace korav {

Replay::~Replay() {
  if (idle_) g_source_remove(idle_);
  if (deadline_) g_source_remove(deadline_);
}

unsigned box_deadline_ms() {
  if (const char* env = std::getenv("KORAV_REPLAY_DEADLINE"); env && *env) {
    char* end = nullptr;
    const double seconds = std::strtod(env, &end);
    if (end != env && *end == 0 && seconds > 0 && seconds <= 3600)
      return static_cast<unsigned>(seconds * 1000);
  }
  return kDefaultBoxDeadlineMs;
}

bool Replay::load(const std::string& path, std::string& error) {
  std::string text;
  if (!read_regular_file(path, text)) {
    error = "cannot read the script " + path;
    return false;
  }
  std::istringstream in(std::move(text));
  script_path_ = path;
  deadline_ms_ = box_deadline_ms();
  std::string raw;
  int number = 0;
  while (read_script_line(in, raw)) {
    ++number;
    // Blank lines and comments are left out, as the script host skips them (a line the
    // script host refuses, e.g. a comment with a NUL byte, stays and fails in its turn).
    if (parse_script_line(raw, nullptr).kind == ScriptEvent::Kind::kNone) continue;
    lines_.push_back({number, raw});
  }
  return true;
}

void Replay::attach(GtkHost& host, const CommandLine& cl) {
  host_ = &host;
  screenshot_ = cl.screenshot;
  start_dir_ = cl.start_dir;
}

void Replay::command_wait_started() {
  waiting_for_wait_ = false;
  schedule();
}

void Replay::box_opened() {
  waiting_for_wait_ = false;
  schedule();
}

void Replay::box_closed() {
  if (deadline_) g_source_remove(deadline_);
  deadline_ = 0;
}

// A line answered (or closed) the box that is open now: the box must be gone within the
// deadline, else the window would wait for ever.
void Replay::arm_deadline(const Line& line) {
  box_closed();
  deadline_line_ = line;
  deadline_ = g_timeout_add(deadline_ms_, &Replay::on_deadline, this);
}

gboolean Replay::on_deadline(gpointer self) {
  auto* r = static_cast<Replay*>(self);
  r->deadline_ = 0;
  const bool chooser = r->host_->chooser_open();
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", r->deadline_ms_ / 1000.0);
  r->fail(r->deadline_line_, std::string(chooser ? "the file chooser" : "the question box") +
                                 " did not close within " + seconds + " s");
  r->host_->abandon_boxes();
  return G_SOURCE_REMOVE;
}

void Replay::schedule() {
  if (!idle_ && host_) idle_ = g_idle_add(&Replay::on_idle, this);
}

gboolean Replay::on_idle(gpointer self) {
  auto* r = static_cast<Replay*>(self);
  r->idle_ = 0;
  Step s = r->deliver();
  if (s == Step::kDelivered) r->schedule();
  if (s == Step::kLeft) r->waiting_for_wait_ = true;
  return G_SOURCE_REMOVE;
}

void Replay::fail(const Line& line, const std::string& message) {
  std::fprintf(stderr, "korav: script %s line %d: %s\n", script_path_.c_str(), line.number,
               message.c_str());
  failed_ = true;
}

// The script is over (or failed): write the screenshot and end as if the user had quit and
// confirmed "Quit" without saving.
void Replay::end_run() {
  if (ended_) return;
  ended_ = true;
  if (!screenshot_.empty()) {
    std::string error;
    if (!host_->screenshot(resolve_path(start_dir_, screenshot_), error)) {
      std::fprintf(stderr, "korav: %s\n", error.c_str());
      failed_ = true;
    }
  }
  App& app = host_->app();
  app.quit = true;
  app.command = "p_nop";
  host_->leave_main_loop();
}

Replay::Step Replay::deliver() {
  if (!host_ || ended_ || waiting_for_wait_) return Step::kNotReady;
  const bool box = host_->question_open() || host_->chooser_open();
  if (!box && host_->wait_depth() == 0) return Step::kNotReady;

  if (next_ >= lines_.size() || failed_) {
    if (box) {
      // A box opened after the last line: nothing can answer it.
      Line last = lines_.empty() ? Line{} : lines_.back();
      if (!failed_) fail(last, "a question box or file chooser opened after the last line");
      std::string ignored;
      if (host_->question_open()) host_->answer_question("close", ignored);
      if (host_->chooser_open()) host_->answer_file_chooser(std::nullopt, ignored);
      if (host_->question_open() || host_->chooser_open()) arm_deadline(last);
      return Step::kLeft;
    }
    end_run();
    return Step::kEnd;
  }
  const Line& line = lines_[next_++];
  unsigned long before = host_->leave_count();
  Step s = deliver_line(line);
  if (s == Step::kDelivered && host_->leave_count() != before) s = Step::kLeft;
  if (box && (host_->question_open() || host_->chooser_open())) arm_deadline(line);
  return s;
}

Replay::Step Replay::deliver_line(const Line& line) {
  using K = ScriptEvent::Kind;
  App& app = host_->app();
  ScriptEvent ev = parse_script_line(line.text, &app.vars);
  std::string error;

  const bool question = host_->question_open();
  const bool chooser = host_->chooser_open();
  if ((question && ev.kind != K::kAnswer) || (chooser && ev.kind != K::kFile)) {
    fail(line, question ? "a question box is open but the next line is not an answer"
                        : "a file chooser is open but the next line is not a file line");
    if (question) host_->answer_question("close", error);
    if (chooser) host_->answer_file_chooser(std::nullopt, error);
    return Step::kLeft;
  }

  switch (ev.kind) {
    case K::kNone: return Step::kDelivered;
    case K::kError: fail(line, ev.error); return Step::kDelivered;
    case K::kCommand: host_->command(ev.text); return Step::kDelivered;
    case K::kMove: pointer_motion_world(app, ev.x, ev.y); return Step::kDelivered;
    case K::kClick:
      // The pointer moves there first, then the button goes down.
      pointer_motion_world(app, ev.x, ev.y);
      if (canvas_button_world(app, ev.button, ev.x, ev.y)) host_->leave_main_loop();
      return Step::kDelivered;
    case K::kWheel: host_->canvas_wheel(ev.up); return Step::kDelivered;
    case K::kType:
      if (!host_->value_entry_open()) {
        fail(line, "type: no value entry is open");
        return Step::kDelivered;
      }
      gtk_entry_set_text(GTK_ENTRY(host_->value_entry()), ev.text.c_str());
      gtk_widget_activate(host_->value_entry());  // Enter
      return Step::kDelivered;
    case K::kKey:
      if (!send_key(std::string(key_name(ev.text)), ev.ctrl, ev.shift, error)) fail(line, error);
      return Step::kDelivered;
    case K::kAnswer:
      if (!question) {
        fail(line, "answer: no question box is open");
        return Step::kDelivered;
      }
      if (!host_->answer_question(ev.text, error)) {
        fail(line, "answer: " + error);
        host_->answer_question("close", error);
      }
      return Step::kLeft;
    case K::kFile: {
      if (!chooser) {
        fail(line, "file: no file chooser is open");
        return Step::kDelivered;
      }
      std::optional<std::string> path;
      if (!ev.cancel) path = resolve_path(start_dir_, ev.text);
      host_->answer_file_chooser(path, error);
      return Step::kLeft;
    }
    case K::kEdit:
      // A replayed text editor is cancelled when it opens (GtkHost::edit_text).
      fail(line, "edit: no text editor is open");
      return Step::kDelivered;
    case K::kSet: {
      DialogVars::Result r = app.vars.set(app, ev.text, ev.value, error);
      if (r == DialogVars::Result::kError) {
        fail(line, "set: " + error);
        return Step::kDelivered;
      }
      host_->refresh_toggles();  // the widgets show the new value
      if (r == DialogVars::Result::kLeave) host_->leave_main_loop();
      return Step::kDelivered;
    }
  }
  return Step::kDelivered;
}

// A key press as the keyboard delivers it: an event sent to the main window, so that the
// window's keyboard handler, or the value entry when it has the focus, receives it.
bool Replay::send_key(const std::string& name, bool ctrl, bool shift, std::string& error) {
  guint state = (ctrl ? GDK_CONTROL_MASK : 0) | (shift ? GDK_SHIFT_MASK : 0);
  guint keyval = gdk_keyval_from_name(name.c_str());
  if (name.empty() || keyval == GDK_KEY_VoidSymbol || keyval == 0) {
    error = "key: unknown key name \"" + name + "\"";
    return false;
  }
  GtkWidget* win = host_->window();
  GdkWindow* gdk_win = win ? gtk_widget_get_window(win) : nullptr;
  if (!gdk_win) {
    host_->key_by_name(name, ctrl, shift);
    return true;
  }
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  ev->key.window = GDK_WINDOW(g_object_ref(gdk_win));
  ev->key.send_event = TRUE;
  ev->key.time = GDK_CURRENT_TIME;
  ev->key.state = state;
  ev->key.keyval = keyval;
  ev->key.string = g_strdup("");
  ev->key.length = 0;
  GdkKeymapKey* keys = nullptr;
  gint n = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(gdk_win)),
                                        keyval, &keys, &n) &&
      n > 0) {
    ev->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    ev->key.group = static_cast<guint8>(keys[0].group);
  }
  g_free(keys);
  if (GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdk_win)))
    if (GdkDevice* kb = gdk_seat_get_keyboard(seat)) gdk_event_set_device(ev, kb);
  gtk_widget_event(win, ev);
  gdk_event_free(ev);
  return true;
}

int Replay::finish() {
  if (idle_) {
    g_source_remove(idle_);
    idle_ = 0;
  }
  if (!ended_ && host_) {
    // The program quit before the script ended ("p_file_quit" in the script): the window
    // still stands, so the screenshot shows it as it was left.
    ended_ = true;
    if (!screenshot_.empty()) {
      std::string error;
      if (!host_->screenshot(resolve_path(start_dir_, screenshot_), error)) {
        std::fprintf(stderr, "korav: %s\n", error.c_str());
        failed_ = true;
      }
    }
  }
  return failed_ || failed_run_ ? 1 : 0;
}

}  // namespace korav
