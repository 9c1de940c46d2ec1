// Damaged and hostile input, and runs that go wrong: readers given a FIFO or a device, a save
// killed part way, script lines with a NUL byte or of megabytes, unknown key names, and the
// exit statuses and messages of --script and --export.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <thread>

#include "app/gtk/xpm_reader.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "files/drawing_file.h"
#include "files/safe_write.h"
#include "files/settings_file.h"
#include "files_test_support.h"
#include "shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::read_text;
using shell_test::write_text;

// ---- Readers and non-regular files ----

// Runs `read` on a FIFO nobody writes to. It must return at once; if it blocks, the FIFO is
// opened for writing and closed so that the reader sees its end and the test can go on.
bool returns_without_a_writer(const std::string& fifo, const std::function<void()>& read) {
  auto done = std::async(std::launch::async, read);
  if (done.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return true;
  for (int i = 0;
       i < 100 && done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready; ++i) {
    int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  done.wait();
  return false;
}

TEST(NonRegularFiles, EveryReaderRefusesThemWithoutBlocking) {
  files_test::TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Reader {
    const char* what;
    std::function<bool(const std::string&)> read;  // true when the reader took the file
  };
  const Reader readers[] = {
      {"drawing",
       [](const std::string& p) {
         files_test::ScriptedUi ui;
         Drawing d;
         LoadStatus st = load_drawing(d, ui, p);
         EXPECT_EQ(ui.errors, std::vector<std::string>{"Cannot open file"}) << p;
         return st != LoadStatus::kFailed;
       }},
      {"settings",
       [](const std::string& p) {
         files_test::ScriptedUi ui;
         Drawing d;
         bool ok = load_settings_from(d, ui, p, kMsgCannotOpen);
         EXPECT_EQ(ui.errors, std::vector<std::string>{"Cannot open file"}) << p;
         return ok;
       }},
      {"catalogue",
       [](const std::string& p) {
         Catalogue c;
         c.set_diagnostics(nullptr);
         return c.load(p, {p});  // the language file too
       }},
      {"picture",
       [](const std::string& p) {
         XpmPicture pic;
         std::string error;
         return read_xpm_file(p, pic, error);
       }},
  };
  for (const Reader& r : readers) {
    for (const std::string& path : {fifo, std::string("/dev/null"), dir.path()}) {
      bool took = true;
      EXPECT_TRUE(returns_without_a_writer(fifo, [&] { took = r.read(path); }))
          << r.what << " reader blocked on " << path;
      EXPECT_FALSE(took) << r.what << " reader took " << path;
    }
  }
}

// ---- Saves killed part way ----

TEST(KilledSave, LeavesTheTargetAndItsTemporaryIsRemovedAtTheNextSave) {
  files_test::TempDir dir;
  const std::string target = dir.file("plan.krv");
  write_text(target, "the drawing as it was");
  auto temporaries = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.path().extension() == ".tmp") names.push_back(e.path().filename().string());
    return names;
  };

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    write_file_safely(target, [](Writer& w) {
      std::vector<std::uint8_t> block(100000, 'x');
      w.bytes(block.data(), block.size());
      w.flush();
      ::raise(SIGKILL);  // as kill -9 in the middle of the save
      return true;
    });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(temporaries().size(), 1u);
  EXPECT_EQ(read_text(target), "the drawing as it was");

  // Files that only look alike, and the temporary of a process that still runs, stay.
  const std::string running = ".korav-" + std::to_string(::getppid()) + "-3.tmp";
  for (const std::string& name :
       {running, std::string(".korav-notes.tmp"), std::string(".korav-12x-1.tmp")})
    write_text(dir.file(name), "keep");

  ASSERT_EQ(write_file_safely(target, [](Writer& w) { return w.bytes("new", 3); }),
            WriteStatus::kOk);
  EXPECT_EQ(read_text(target), "new");
  std::vector<std::string> left = temporaries(),
                           kept = {".korav-12x-1.tmp", running, ".korav-notes.tmp"};
  std::sort(left.begin(), left.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(left, kept);
}

// ---- Script lines ----

TEST(HostileScriptLines, NulBytesAndHugeLinesAreErrorsQuotedShort) {
  struct Case {
    std::string line;
    const char* reason;
  };
  const Case cases[] = {
      {std::string("file plan\0.krv", 14), "NUL byte"},
      {std::string("# a comment\0 with a NUL", 23), "NUL byte"},
      {"type " + std::string(3'000'000, '7'), "longer than"},
      {std::string(5000, 'b'), "longer than"},
      {"frobnicate " + std::string(1000, 'q'), "unknown line"},
  };
  for (const Case& c : cases) {
    shell_test::ScriptRun run("b_gauge\n" + c.line + "\nkey Escape\n");
    EXPECT_EQ(run.status, 1) << c.reason;
    ASSERT_EQ(run.host->errors().size(), 1u) << c.reason;
    const std::string& e = run.host->errors()[0];
    EXPECT_NE(e.find("line 2"), std::string::npos) << e;
    EXPECT_NE(e.find(c.reason), std::string::npos) << e.substr(0, 300);
    EXPECT_LT(e.size(), 300u) << c.reason;
    EXPECT_EQ(e.find('\0'), std::string::npos) << c.reason;
  }
}

TEST(HostileScriptLines, KeyNamesAreCheckedAsTheWindowChecksThem) {
  using K = ScriptEvent::Kind;
  for (const char* ok :
       {"key x", "key X", "key 7", "key Escape", "key F9", "key F35", "key KP_Add", "key asterisk",
        "key +", "key ctrl+s", "key shift+Tab", "key ISO_Left_Tab", "key space"})
    EXPECT_EQ(parse_script_line(ok, nullptr).kind, K::kKey) << ok;
  for (const char* bad : {"key NoSuchKey", "key escape", "key F0", "key F36", "key KP_Pluss",
                          "key \xc3\xa4", "key xx"})
    EXPECT_EQ(parse_script_line(bad, nullptr).kind, K::kError) << bad;

  // A sign is the key of its name: "/" starts the gauge as "slash" does.
  shell_test::ScriptRun sign("key /\nkey Escape\n");
  EXPECT_EQ(sign.status, 0);
  EXPECT_EQ(sign.lines("prompt"),
            (std::vector<std::string>{"Select function:", "1st Point:", "Select function:"}));
  shell_test::ScriptRun unknown("b_gauge\nkey NoSuchKey\nkey Escape\n");
  EXPECT_EQ(unknown.status, 1);
  ASSERT_EQ(unknown.host->errors().size(), 1u);
  EXPECT_NE(unknown.host->errors()[0].find("line 2: key: unknown key name"), std::string::npos)
      << unknown.host->errors()[0];
}

TEST(ErrorBox, TheDialogCommandClosesIt) {
  shell_test::ScriptRun open("p_file_load\nfile no-such-drawing.krv\n");
  EXPECT_EQ(open.lines("error").size(), 1u);
  EXPECT_TRUE(open.app->dialog_open(kDialogError));
  shell_test::ScriptRun closed("p_file_load\nfile no-such-drawing.krv\nz_c_error\n");
  EXPECT_FALSE(closed.app->dialog_open(kDialogError));
}

// ---- The program: exit statuses and messages ----

using ProgramRun = shell_test::KoravRun;

// korav with `args` in `cwd`, after the shell words in `before`.
ProgramRun korav(const shell_test::DataDir& data, const std::string& cwd, const std::string& args,
                 const std::string& before = "") {
  return shell_test::run_korav(data.path(), args, cwd, false, before);
}

// Saves a drawing of one line as plan.krv in `work`.
void save_a_plan(const shell_test::DataDir& data, const shell_test::TempDir& work) {
  write_text(work.file("s.txt"),
             "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\np_file_save\nfile plan.krv\n");
  ASSERT_EQ(korav(data, work.path(), "--script s.txt").status, 0);
}

std::size_t count_lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(ProgramStatus, UsageErrorsAreOneLineWithAHint) {
  shell_test::DataDir data;
  for (const char* args : {"--bogus", "--size", "--size 3x", "--export krv", "a.krv b.krv",
                           "--script s.txt --replay s.txt"}) {
    ProgramRun r = korav(data, data.path(), args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(count_lines(r.err), 1u) << args << "\n" << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << args << "\n" << r.err;
    EXPECT_EQ(r.out, "") << args;
  }
}

TEST(ProgramStatus, DrawingsThatCannotBeLoadedAreNamedOnOneLine) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  save_a_plan(data, work);
  ASSERT_EQ(::mkfifo(work.file("pipe.krv").c_str(), 0600), 0);
  write_text(work.file("text.krv"), "not a drawing at all");
  write_text(work.file("empty.txt"), "");

  struct Case {
    const char* drawing;
    const char* reason;
  };
  for (const Case& c :
       {Case{"missing.krv", "Cannot open file"}, Case{"pipe.krv", "Cannot open file"},
        Case{"text.krv", "This is not a Korav file!"}}) {
    const std::string path = work.file(c.drawing);
    for (const std::string& args :
         {"--export krv " + path + " out.krv", "--script empty.txt " + path}) {
      ProgramRun r = korav(data, work.path(), args);
      EXPECT_EQ(r.status, 1) << args;
      EXPECT_EQ(count_lines(r.err), 1u) << args << "\n" << r.err;
      EXPECT_NE(r.err.find(path), std::string::npos) << args << "\n" << r.err;
      EXPECT_NE(r.err.find(c.reason), std::string::npos) << args << "\n" << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(work.file("out.krv")));

  // A conversion that goes well says nothing at all.
  ProgramRun ok = korav(data, work.path(), "--export krv plan.krv out.krv");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "");
  EXPECT_EQ(ok.err, "");
  EXPECT_EQ(read_text(work.file("out.krv")), read_text(work.file("plan.krv")));
}

TEST(ProgramStatus, ASaveThatCannotBeWrittenFailsTheRun) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  save_a_plan(data, work);
  ASSERT_GT(fs::file_size(work.file("plan.krv")), 5000u);
  write_text(work.file("small.krv"), "the old file");
  write_text(work.file("save.txt"), "p_file_load\nfile plan.krv\np_file_save\nfile small.krv\n");

  // Writes stop at the file size limit (4 KiB) part way through the drawing.
  for (const std::string& args :
       {std::string("--script save.txt"), std::string("--export krv plan.krv small.krv")}) {
    ProgramRun r = korav(data, work.path(), args, "ulimit -f 4;");
    EXPECT_EQ(r.status, 1) << args << "\n" << r.err;
    EXPECT_NE((r.out + r.err).find("Cannot write file"), std::string::npos) << args;
    EXPECT_EQ(read_text(work.file("small.krv")), "the old file") << args;
  }
  for (const auto& e : fs::directory_iterator(work.path()))
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST(ProgramStatus, CatalogueTroubleIsToldOncePerRun) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  write_text(work.file("s.txt"), "b_gauge\nclick 0 0\nkey Escape\np_file_load\nfile none.krv\n");
  for (const char* broken : {"many\n", ""}) {
    write_text(data.file("nls/krv.nls"), broken);
    if (!*broken) fs::remove(data.file("nls/krv.nls"));
    ProgramRun r = korav(data, work.path(), "--script s.txt");
    EXPECT_EQ(r.status, 1);  // the missing drawing
    EXPECT_EQ(count_of(r.out, "nls is not active!"), 1u) << r.out;
    EXPECT_LE(count_of(r.err, "message catalogue"), 1u) << r.err;
    if (*broken) {
      EXPECT_EQ(count_of(r.err, "message catalogue"), 1u) << r.err;
    }
  }
}

TEST(ProgramStatus, ScriptsThatAreNoRegularFilesAreRefused) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  ASSERT_EQ(::mkfifo(work.file("pipe.txt").c_str(), 0600), 0);
  for (const char* script : {"pipe.txt", "/dev/null", "."}) {
    ProgramRun r = korav(data, work.path(), std::string("--script ") + script);
    EXPECT_EQ(r.status, 1) << script;
    EXPECT_NE(r.err.find("cannot read script"), std::string::npos) << script << "\n" << r.err;
  }
}

}  // namespace
}  // namespace korav
