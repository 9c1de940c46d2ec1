// --replay: feeds a script's events into the real window one at a time, through the real GTK
// main loop, each when the program waits for it; --screenshot: writes the main window as a PNG
// once the script has run.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace korav {

class GtkHost;

// How long a question box or file chooser may stay open after the line that answers it; then
// the run fails. KORAV_REPLAY_DEADLINE (seconds) sets another deadline.
inline constexpr unsigned kDefaultBoxDeadlineMs = 30000;
unsigned box_deadline_ms();

class Replay {
 public:
  Replay() = default;
  Replay(const Replay&) = delete;
  Replay& operator=(const Replay&) = delete;
  ~Replay();

  // Reads the script; false with a message when it cannot be read.
  bool load(const std::string& path, std::string& error);
  void attach(GtkHost& host, const CommandLine& cl);

  // The host calls these when a command wait, a question box or a file chooser starts, and
  // when such a box has closed.
  void command_wait_started();
  void box_opened();
  void box_closed();
  // An "Error" box was shown while the script ran: the run fails (exit status 1).
  void error_shown() { failed_run_ = true; }

  // After the command loop: the exit status (0, or 1 after a script error or a failed
  // screenshot).
  int finish();

 private:
  struct Line {
    int number = 0;
    std::string text;
  };
  enum class Step { kDelivered, kLeft, kNotReady, kEnd };

  void schedule();
  static gboolean on_idle(gpointer self);
  void arm_deadline(const Line& line);
  static gboolean on_deadline(gpointer self);
  Step deliver();
  Step deliver_line(const Line& line);
  void fail(const Line& line, const std::string& message);
  void end_run();
  bool send_key(const std::string& name, bool ctrl, bool shift, std::string& error);

  GtkHost* host_ = nullptr;
  std::string script_path_;
  std::string screenshot_;
  std::string start_dir_;
  std::vector<Line> lines_;
  std::size_t next_ = 0;
  guint idle_ = 0;
  guint deadline_ = 0;  // the answered box must have closed by then
  unsigned deadline_ms_ = kDefaultBoxDeadlineMs;
  Line deadline_line_;
  bool waiting_for_wait_ = false;  // the last event left the main loop; wait for the next wait
  bool failed_ = false;            // a script error: the remaining lines are not run
  bool failed_run_ = false;        // an error box: the script goes on, the status is 1
  bool ended_ = false;
  unsigned long leaves_ = 0;
};

}  // namespace korav
