// Starting external programs (found on the PATH, exact arguments, no shell, no zombie, failures
// reported) and the program's own temporary directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/private_dir.h"
#include "base/process.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using files_test::TempDir;
using shell_test::read_text;
using shell_test::write_text;

// PATH with a directory of stand-in programs in front, restored afterwards.
class FakePrograms {
 public:
  FakePrograms() : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    fs::create_directories(dir_.file("bin"));
    setenv("PATH", (dir_.file("bin") + ":" + old_).c_str(), 1);
  }
  ~FakePrograms() { setenv("PATH", old_.c_str(), 1); }
  // A program that writes its working directory and then each argument on a line of its own
  // (NUL-separated, so that any character shows) into `record`.
  std::string recorder(const std::string& name, const std::string& record) {
    return add(name, "pwd > '" + record + ".where'\nprintf '%s\\0' \"$@\" > '" + record + "'\n");
  }
  std::string add(const std::string& name, const std::string& body, bool executable = true) {
    const std::string path = dir_.file("bin/" + name);
    write_text(path, "#!/bin/sh\n" + body);
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
    return path;
  }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  TempDir dir_;
  std::string old_;
};

std::vector<std::string> recorded_arguments(const std::string& record) {
  const std::string text = read_text(record);
  std::vector<std::string> out;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t nul = text.find('\0', from);
    out.push_back(text.substr(from, nul - from));
    from = nul + 1;
  }
  return out;
}

// Waits up to 10 s for a file a background program writes.
bool wait_for_file(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (fs::exists(path) && fs::file_size(path) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(FindProgram, SearchesThePathInOrderAndTakesOnlyExecutableFiles) {
  FakePrograms fake;
  const std::string first = fake.add("korav-tool", "exit 0\n");
  EXPECT_EQ(find_program("korav-tool"), first);
  fake.add("korav-readonly", "exit 0\n", false);
  EXPECT_EQ(find_program("korav-readonly"), "");
  fs::create_directories(fake.file("bin/korav-folder"));
  EXPECT_EQ(find_program("korav-folder"), "");
  EXPECT_EQ(find_program("no-such-program-anywhere"), "");
  EXPECT_EQ(find_program(first), first);  // a path is taken as it is
  EXPECT_EQ(find_program(""), "");
  EXPECT_FALSE(find_program("sh").empty());
}

TEST(StartDetached, ArgumentsArriveExactlyAndTheDirectoryIsTheOneAskedFor) {
  FakePrograms fake;
  const std::string record = fake.file("args");
  fake.recorder("korav-recorder", record);
  const std::string awkward = fake.file("it's a \"dir\"; rm -rf $HOME `x` | y");
  fs::create_directories(awkward);
  const std::vector<std::string> argv = {"korav-recorder", "plain", "two words",
                                         "it's \"quoted\"; ls", "$(date) `id` *", ""};
  const StartResult r = start_detached(argv, awkward);
  ASSERT_TRUE(r.started) << r.error;
  ASSERT_TRUE(wait_for_file(record));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(recorded_arguments(record), std::vector<std::string>(argv.begin() + 1, argv.end()));
  EXPECT_EQ(read_text(record + ".where"), awkward + "\n");
}

TEST(StartDetached, NoChildIsLeftToWaitFor) {
  FakePrograms fake;
  fake.add("korav-quick", "exit 3\n");
  ASSERT_TRUE(start_detached({"korav-quick"}, "").started);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // The program was the child of a child that has been waited for: this process has none.
  int status = 0;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(StartDetached, FailuresAreReportedAndNothingRuns) {
  FakePrograms fake;
  StartResult r = start_detached({"no-such-program-anywhere"}, "");
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.error.find("not found"), std::string::npos);
  // Found by its path, but not an executable that the kernel can start.
  const std::string bad = fake.file("bin/korav-garbage");
  write_text(bad, std::string("\x7f" "ELF garbage", 12));
  fs::permissions(bad, fs::perms::owner_all);
  r = start_detached({bad}, "");
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.error.find("cannot execute"), std::string::npos) << r.error;
  fake.add("korav-ok", "exit 0\n");
  r = start_detached({"korav-ok"}, fake.file("missing-directory"));
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.error.find("cannot change to"), std::string::npos) << r.error;
  EXPECT_FALSE(start_detached({}, "").started);
}

TEST(RunToEnd, CollectsStandardOutputAndTheExitStatus) {
  FakePrograms fake;
  fake.add("korav-talk", "printf 'line 1\\n%s\\n' \"$1\"\nexit 4\n");
  RunResult r = run_to_end({"korav-talk", "a; b"}, "/");
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(r.exit_status, 4);
  EXPECT_EQ(r.output, "line 1\na; b\n");
  // A long output does not stall either side.
  fake.add("korav-much", "i=0; while [ $i -lt 20000 ]; do echo 0123456789; i=$((i+1)); done\n");
  r = run_to_end({"korav-much"}, "");
  EXPECT_EQ(r.output.size(), 220000u);
  r = run_to_end({"no-such-program-anywhere"}, "");
  EXPECT_FALSE(r.ran);
  EXPECT_EQ(r.exit_status, -1);
}

TEST(PrivateDir, MadeOnFirstUseForTheUserAloneAndRemovedWithItsFiles) {
  TempDir parent;
  std::string path;
  {
    PrivateDir p;
    EXPECT_EQ(p.path(), "");
    path = p.get(parent.path());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(parent.path() + "/korav-", 0), 0u);
    EXPECT_EQ(path.back(), '/');
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(p.get(parent.path() + "/"), path);  // the same one while it lasts
    write_text(path + "korav.pov", "x");
    write_text(path + "other", "y");
    p.remove_file("korav.pov");
    p.remove_file("../escape");
    EXPECT_FALSE(fs::exists(path + "korav.pov"));
    EXPECT_TRUE(fs::exists(path + "other"));
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST(PrivateDir, KeptForABackgroundProgramAndRefusedWithoutAParent) {
  TempDir parent;
  std::string path;
  {
    PrivateDir p;
    path = p.get(parent.path());
    p.keep_at_exit();
  }
  EXPECT_TRUE(fs::exists(path));
  PrivateDir none;
  std::string error;
  EXPECT_EQ(none.get(parent.file("missing"), &error), "");
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(none.get("", &error), "");
}

}  // namespace
}  // namespace korav
