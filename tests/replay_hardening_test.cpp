// The real window under a virtual X server (skipped without xvfb-run): replayed file choosers
// that start at a folder, the deadline of a box that does not close, the Error box closed by
// its dialog command, and a replay script that is no regular file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>

#include "shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::read_text;
using shell_test::write_text;

bool have_xvfb() {
  return KORAV_WITH_GUI && std::system("command -v xvfb-run >/dev/null 2>&1") == 0;
}

// A data directory the window can start in: the shell tests' one with the shipped pictures.
struct WindowData {
  shell_test::DataDir data;
  WindowData() {
    fs::create_directory_symlink(KORAV_SOURCE_DIR "/graphics", data.file("graphics"));
  }
  std::string dir() const { return data.path(); }  // ends with "/"
  std::string file(const std::string& name) const { return data.file(name); }
};

struct WindowRun {
  int status = -1;
  std::string out, err;
  double seconds = 0;
};

// `command` (a shell command line) inside a virtual X server, in the data directory, with
// KORAV and KORAV_DATA_DIR set. Two servers started at the same moment may pick the same
// display; xvfb-run then fails before anything ran, and another try gets another one.
WindowRun in_window(const WindowData& d, const std::string& command, const std::string& env = "") {
  const std::string out = d.file("stdout.txt"), err = d.file("stderr.txt");
  const std::string cmd = "cd '" + d.dir() + "' && KORAV_DATA_DIR='" + d.dir() + "' KORAV='" +
                          KORAV_BINARY + "' " + env +
                          " timeout 90 xvfb-run -a -s '-screen 0 1600x1200x24' sh -c '" + command +
                          "' >'" + out + "' 2>'" + err + "'";
  WindowRun r;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto start = std::chrono::steady_clock::now();
    const int st = std::system(cmd.c_str());
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = read_text(out);
    r.err = read_text(err);
    if (r.err.find("xvfb-run: error") == std::string::npos) break;
  }
  return r;
}

std::vector<std::string> transcript(const std::string& out, const std::string& dir) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string l;
  while (std::getline(in, l)) {
    for (const char* kind :
         {"prompt: ", "title: ", "message: ", "error: ", "question: ", "file: "}) {
      if (l.rfind(kind, 0) != 0) continue;
      for (auto p = l.find(dir); p != std::string::npos; p = l.find(dir))
        l.replace(p, dir.size(), "DIR/");
      lines.push_back(l);
    }
  }
  return lines;
}

// Save choosers that start at a folder (the drawing directory after "New", the settings
// directory) have an empty name field; open choosers accept only a file shown in their list.
// Each must take the script's answer, exactly as the script host does.
TEST(ReplayChoosers, FoldersAndOpenChoosersAnswerAsInTheScriptHost) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  const char* script =
      "p_file_new\n"
      "b_line_line\nclick 0 0\nclick 2 1\nclick 2 1\n"
      "p_file_save\nfile plan.krv\n"
      "z_save_settings\nfile sub/y.prefs\n"
      "p_file_new\n"
      "p_file_load\nfile plan.krv\n"
      "p_file_load\nfile missing.krv\n";
  WindowData s, w;
  for (const WindowData* d : {&s, &w}) {
    write_text(d->file("s.txt"), script);
    fs::create_directory(d->file("sub"));
  }
  const std::string binary = KORAV_BINARY;
  const std::string cmd = "cd '" + s.dir() + "' && KORAV_DATA_DIR='" + s.dir() + "' '" + binary +
                          "' --script s.txt >out.txt 2>err.txt";
  const int st = std::system(cmd.c_str());
  const int script_status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  WindowRun r = in_window(w, "\"$KORAV\" --replay s.txt", "KORAV_REPLAY_DEADLINE=10");

  EXPECT_EQ(script_status, 1);  // the missing drawing's error box
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err.find("did not close"), std::string::npos) << r.err;
  const std::vector<std::string> ts = transcript(read_text(s.file("out.txt")), s.dir());
  const std::vector<std::string> tw = transcript(r.out, w.dir());
  EXPECT_EQ(ts, tw);
  EXPECT_NE(std::find(tw.begin(), tw.end(), "file: Save Drawing... -> DIR/plan.krv"), tw.end());
  EXPECT_NE(std::find(tw.begin(), tw.end(), "file: Load Drawing... -> DIR/plan.krv"), tw.end());
  EXPECT_EQ(read_text(w.file("plan.krv")), read_text(s.file("plan.krv")));
  EXPECT_FALSE(read_text(w.file("plan.krv")).empty());
  EXPECT_EQ(read_text(w.file("sub/y.prefs")), read_text(s.file("sub/y.prefs")));
  EXPECT_FALSE(read_text(w.file("sub/y.prefs")).empty());
}

// A chooser that refuses the answer ("/" is no file name) fails the run at the deadline with
// the line named, instead of waiting for ever; a replay script that is a FIFO is refused.
TEST(ReplayChoosers, ABoxThatStaysOpenFailsTheRunAtItsDeadline) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  WindowData d;
  write_text(d.file("s.txt"), "b_gauge\nkey Escape\nz_save_settings\nfile /\nb_gauge\n");
  ASSERT_EQ(::mkfifo(d.file("pipe.txt").c_str(), 0600), 0);
  WindowRun r =
      in_window(d, "\"$KORAV\" --replay s.txt; echo status $?; \"$KORAV\" --replay pipe.txt",
                "KORAV_REPLAY_DEADLINE=2");
  EXPECT_NE(r.out.find("status 1\n"), std::string::npos) << r.out << r.err;
  EXPECT_NE(r.err.find("s.txt line 4: the file chooser did not close within 2 s"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("file: Save Settings... -> cancel"), std::string::npos) << r.out;
  // Nothing after the failed line ran: the gauge asked once.
  EXPECT_EQ(r.out.find("prompt: 1st Point:"), r.out.rfind("prompt: 1st Point:")) << r.out;
  EXPECT_EQ(r.status, 1);  // the FIFO
  EXPECT_NE(r.err.find("cannot read the script " + d.file("pipe.txt")), std::string::npos) << r.err;
  EXPECT_LT(r.seconds, 40);
}

// The Error box's "Close" is the dialog command "z_c_error": a script's z_c_error closes the
// box. The windows on the screen are listed while the program waits in a chooser that stays
// open; the program is then ended, so that a slow start under load cannot outrun the listing.
TEST(ReplayBoxes, TheErrorBoxClosesByItsDialogCommand) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  if (std::system("command -v xwininfo >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xwininfo is not installed";
  WindowData d;
  const std::string before = "p_file_load\nfile missing.krv\n", after = "z_save_settings\nfile /\n";
  write_text(d.file("open.txt"), before + after);
  write_text(d.file("closed.txt"), before + "z_c_error\n" + after);
  // Lists the windows once the chooser is up: the box is shown (or closed) before it opens.
  const std::string list =
      "\"$KORAV\" --replay $1.txt & p=$!; "
      "for i in $(seq 600); do xwininfo -root -tree | grep -q \"Save Settings\" && break; "
      "sleep 0.1; done; xwininfo -root -tree >$1.windows; kill $p; wait $p";
  WindowRun r = in_window(d, "f() { " + list + "; }; f open; f closed", "KORAV_REPLAY_DEADLINE=80");
  const std::string open = read_text(d.file("open.windows")),
                    closed = read_text(d.file("closed.windows"));
  ASSERT_NE(open.find("Save Settings"), std::string::npos) << open << r.out << r.err;
  ASSERT_NE(closed.find("Save Settings"), std::string::npos) << closed << r.out << r.err;
  EXPECT_NE(open.find("\"Error\""), std::string::npos) << open;
  EXPECT_EQ(closed.find("\"Error\""), std::string::npos) << closed;
  EXPECT_LT(r.seconds, 60);  // ended by the kill, not by the deadline
}

}  // namespace
}  // namespace korav
