#include "files/safe_write.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "files_test_support.h"

namespace korav {
namespace {

using files_test::read_all;
using files_test::TempDir;
using files_test::write_all;
using Buf = std::vector<std::uint8_t>;

auto writes(const Buf& bytes) {
  return [bytes](Writer& w) { return w.bytes(bytes.data(), bytes.size()); };
}

TEST(SafeWrite, ReplacesTheFileAndKeepsItsPermissions) {
  TempDir dir;
  std::string path = dir.file("plan.krv");
  write_all(path, {1, 2, 3});
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  EXPECT_EQ(write_file_safely(path, writes({9, 8})), WriteStatus::kOk);
  EXPECT_EQ(read_all(path), (Buf{9, 8}));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"plan.krv"});  // no temporary left

  std::string fresh = dir.file("new.krv");
  EXPECT_EQ(write_file_safely(fresh, writes({7})), WriteStatus::kOk);
  EXPECT_EQ(read_all(fresh), (Buf{7}));
}

TEST(SafeWrite, AFailedBodyLeavesTheOldFile) {
  TempDir dir;
  std::string path = dir.file("plan.krv");
  write_all(path, {1, 2, 3});
  auto fails = [](Writer& w) {
    w.u32(5);
    return false;
  };
  EXPECT_EQ(write_file_safely(path, fails), WriteStatus::kCannotWrite);
  EXPECT_EQ(read_all(path), (Buf{1, 2, 3}));
  EXPECT_EQ(dir.names(), std::vector<std::string>{"plan.krv"});
}

TEST(SafeWrite, UnwritableTargetsCannotBeOpened) {
  TempDir dir;
  EXPECT_EQ(write_file_safely(dir.file("missing/plan.krv"), writes({1})), WriteStatus::kCannotOpen);
  EXPECT_EQ(write_file_safely(dir.path(), writes({1})), WriteStatus::kCannotOpen);
  EXPECT_EQ(write_file_safely("", writes({1})), WriteStatus::kCannotOpen);
}

TEST(SafeWrite, FollowsASymbolicLink) {
  TempDir dir;
  std::string real = dir.file("real.krv"), link = dir.file("link.krv");
  write_all(real, {1});
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  EXPECT_EQ(write_file_safely(link, writes({4, 4})), WriteStatus::kOk);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_all(real), (Buf{4, 4}));
}

// A real short write: the file size limit stops the writer part way. Run in a child process so
// that the limit and the signal setting do not touch the test runner.
void write_past_size_limit(const std::string& path, const TempDir& dir) {
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = {4096, 4096};
  ::setrlimit(RLIMIT_FSIZE, &lim);
  WriteStatus st = write_file_safely(path, writes(Buf(1 << 20, 7)));
  bool old_kept = read_all(path) == Buf(100, 5);
  std::_Exit(st == WriteStatus::kCannotWrite && old_kept && dir.names().size() == 1 ? 0 : 1);
}

TEST(SafeWriteDeathTest, AShortWriteKeepsTheOldFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  std::string path = dir.file("plan.krv");
  write_all(path, Buf(100, 5));
  EXPECT_EXIT(write_past_size_limit(path, dir), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace korav
