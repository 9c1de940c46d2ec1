#include <fcntl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "files/chunk.h"
#include "files_test_support.h"

namespace korav {
namespace {

using Buf = std::vector<std::uint8_t>;
using files_test::TempDir;

Buf written(auto&& fill) {
  Buf out;
  {
    Writer w(out);
    fill(w);
  }
  return out;
}

TEST(Chunk, PrimitivesAreBigEndianAndFixedWidth) {
  EXPECT_EQ(written([](Writer& w) { w.f64(1.0); }), (Buf{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(written([](Writer& w) { w.u32(300); }), (Buf{0, 0, 1, 0x2C}));
  EXPECT_EQ(written([](Writer& w) { w.u16(4); }), (Buf{0, 4}));
  EXPECT_EQ(written([](Writer& w) { w.i32(-2); }), (Buf{0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(written([](Writer& w) { w.key("LINE", 38); }), (Buf{'L', 'I', 'N', 'E', 0, 0, 0, 38}));
  EXPECT_EQ(written([](Writer& w) { w.string("ab"); }), (Buf{'a', 'b', 0}));

  // A short name in a char[21] is still 21 bytes, including what follows its NUL.
  FixedName<21> font;
  font.set("Simpel");
  font.s[15] = 'x';
  Buf b = written([&](Writer& w) { w.name(font); });
  ASSERT_EQ(b.size(), 21u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 7), std::string("Simpel\0", 7));
  EXPECT_EQ(b[15], 'x');
}

TEST(Chunk, ValuesSurviveTheRoundTrip) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0, -0.0, 1e-300, -123.456, kInf, std::numeric_limits<double>::max()};
  Buf b = written([&](Writer& w) {
    for (double v : values) w.f64(v);
    w.u32(0xDEADBEEF);
    w.u16(0xABCD);
    w.u8(0x7F);
    w.f64(std::nan("7"));
  });
  Reader r(b);
  for (double v : values) {
    double got = 42;
    ASSERT_TRUE(r.f64(got));
    EXPECT_EQ(std::memcmp(&got, &v, 8), 0) << v;
  }
  std::uint32_t a;
  std::uint16_t s;
  std::uint8_t c;
  double nan;
  ASSERT_TRUE(r.u32(a) && r.u16(s) && r.u8(c) && r.f64(nan));
  EXPECT_EQ(std::tuple(a, s, c), std::tuple(0xDEADBEEFu, 0xABCD, 0x7F));
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_TRUE(r.at_end());
}

TEST(Chunk, ShortReadsFailAndLeaveTheValue) {
  const Buf b{1, 2, 3, 4, 5, 6, 7};  // one byte short of each width, and nothing at all
  std::uint32_t v = 77;
  double d = 2.5;
  std::uint16_t s = 5;
  std::uint8_t c = 3;
  EXPECT_FALSE(Reader(std::span(b).first(3)).u32(v));
  EXPECT_FALSE(Reader(std::span(b).first(7)).f64(d));
  EXPECT_FALSE(Reader(std::span(b).first(1)).u16(s));
  Reader empty(std::span<const std::uint8_t>{});
  EXPECT_FALSE(empty.u8(c));
  EXPECT_TRUE(empty.at_end());
  EXPECT_EQ(std::tuple(v, d, s, c), std::tuple(77u, 2.5, 5, 3));
}

TEST(Chunk, OldFilesHaveTwoByteLengths) {
  Buf b{0, 4, 0, 0, 0, 4};
  Reader r(b);
  r.set_old_format(true);
  std::uint32_t n = 0;
  ASSERT_TRUE(r.length(n));
  EXPECT_EQ(n, 4u);
  r.set_old_format(false);
  ASSERT_TRUE(r.length(n));
  EXPECT_EQ(n, 4u);
}

TEST(Chunk, NamesAlwaysEndInsideTheirField) {
  Buf b(21, 'A');
  Reader r(b);
  FixedName<21> f;
  ASSERT_TRUE(r.name(f));
  EXPECT_EQ(f.view(), std::string(20, 'A'));
  EXPECT_EQ(f.s[20], 0);
}

TEST(Chunk, LimitConfinesReadsToTheChunk) {
  Buf b(16, 0x11);
  Reader r(b);
  r.set_limit(6);
  std::uint32_t v;
  ASSERT_TRUE(r.u32(v));
  EXPECT_EQ(r.left_in_limit(), 2u);
  EXPECT_FALSE(r.u32(v));  // would cross the chunk's end
  EXPECT_FALSE(r.skip(3));
  std::uint8_t c;
  EXPECT_TRUE(r.peek(c));
  EXPECT_TRUE(r.skip(2));
  EXPECT_FALSE(r.peek(c));
  EXPECT_FALSE(r.u8(c));
  r.clear_limit();
  EXPECT_TRUE(r.u32(v));
  EXPECT_EQ(r.position(), 10u);
}

TEST(Chunk, FileReaderAndWriterCrossTheirBuffers) {
  TempDir dir;
  std::string path = dir.file("big");
  // Odd offsets so that values straddle every buffer boundary; more than one buffer's worth.
  constexpr int kCount = 200000;
  {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    {
      Writer w(fd);
      w.u8(1);
      for (int i = 0; i < kCount; ++i) {
        w.f64(i * 0.5);
        w.u32(static_cast<std::uint32_t>(i));
        w.u16(static_cast<std::uint16_t>(i));
      }
      std::vector<std::uint8_t> block(600000, 0xAB);  // larger than the buffer
      w.bytes(block.data(), block.size());
      w.u8(2);
      EXPECT_TRUE(w.flush());
      EXPECT_EQ(w.written(), 1 + kCount * 14ull + 600000 + 1);
    }
    ::close(fd);
  }
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  Reader r(fd);
  std::uint8_t c;
  ASSERT_TRUE(r.u8(c));
  EXPECT_EQ(c, 1);
  bool all = true;
  for (int i = 0; i < kCount && all; ++i) {
    double d;
    std::uint32_t u;
    std::uint16_t s;
    all = r.f64(d) && r.u32(u) && r.u16(s) && d == i * 0.5 && u == static_cast<std::uint32_t>(i) &&
          s == static_cast<std::uint16_t>(i);
  }
  EXPECT_TRUE(all);
  std::vector<std::uint8_t> block(600000);
  ASSERT_TRUE(r.bytes(block.data(), block.size()));
  EXPECT_EQ(block.front(), 0xAB);
  EXPECT_EQ(block.back(), 0xAB);
  ASSERT_TRUE(r.u8(c));
  EXPECT_EQ(c, 2);
  EXPECT_TRUE(r.at_end());
  EXPECT_FALSE(r.io_error());
  ::close(fd);
}

TEST(Chunk, SkipsPositionsAndLimitsStayExactOverALongFile) {
  // Five megabytes of numbered words: the reader goes through many of its blocks.
  TempDir dir;
  const std::string path = dir.file("long");
  constexpr std::uint32_t kWords = 5 * 1024 * 1024 / 4 + 3;
  {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    Writer w(fd);
    for (std::uint32_t i = 0; i < kWords; ++i) w.u32(i);
    EXPECT_TRUE(w.flush());
    ::close(fd);
  }
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  {
    Reader r(fd);
    std::uint32_t v = 0, at = 0;
    bool all = true;
    // Steps of odd sizes, some past a whole block, each checked by the word it lands on.
    for (std::uint32_t step : {1u, 7u, 65535u, 262145u, 3u, 300001u, 1u, 100000u}) {
      for (int k = 0; k < 3 && at + step + 1 < kWords; ++k) {
        all = all && r.skip(std::uint64_t{step} * 4) && r.u32(v) && v == at + step;
        at += step + 1;
        all = all && r.position() == std::uint64_t{at} * 4;
      }
    }
    EXPECT_TRUE(all) << at;
    std::uint8_t b = 0;
    ASSERT_TRUE(r.peek(b));
    EXPECT_EQ(r.position(), std::uint64_t{at} * 4);
    r.set_limit(r.position() + 8);  // two words, then nothing
    EXPECT_TRUE(r.u32(v) && r.u32(v));
    EXPECT_EQ(v, at + 1);
    EXPECT_FALSE(r.u32(v));
    r.clear_limit();
    ASSERT_TRUE(r.skip(std::uint64_t{kWords - at - 3} * 4));
    ASSERT_TRUE(r.u32(v));
    EXPECT_EQ(v, kWords - 1);
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.skip(1));
    EXPECT_FALSE(r.io_error());
  }
  ::close(fd);
}

TEST(Chunk, WriterStopsAtTheFirstFailure) {
  int fd = ::open("/dev/full", O_WRONLY);
  if (fd < 0) GTEST_SKIP() << "no /dev/full";
  Writer w(fd);
  std::vector<std::uint8_t> block(1 << 20, 1);
  EXPECT_FALSE(w.bytes(block.data(), block.size()));
  EXPECT_FALSE(w.ok());
  EXPECT_FALSE(w.u8(1));
  EXPECT_FALSE(w.flush());
  ::close(fd);
}

TEST(Chunk, ReaderOnAnUnreadableDescriptorReportsAnError) {
  TempDir dir;
  int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  Reader r(fd);
  std::uint8_t c;
  EXPECT_FALSE(r.u8(c));
  EXPECT_TRUE(r.io_error());
  ::close(fd);
}

LineResult line_of(Reader& r, std::string& s, bool utf8 = false) { return read_line(r, s, utf8); }

TEST(Chunk, LineReaderEndsAndLengths) {
  std::string text = std::string("one\ntwo\r\n\nlone\rcr\n") + std::string(300, 'x') + "\nlast\r";
  Buf b(text.begin(), text.end());
  Reader r(b);
  // An empty line is a line, not an over-long one; a carriage return alone is no line end, and
  // nothing is lost; the unterminated last line is still there for the caller, without the
  // carriage return it ends in.
  const std::tuple<LineStatus, std::string, std::size_t> want[] = {
      {LineStatus::kLine, "one", 3},
      {LineStatus::kLine, "two", 3},
      {LineStatus::kLine, "", 0},
      {LineStatus::kLine, "lone\rcr", 7},
      {LineStatus::kTooLong, std::string(255, 'x'), 300},
      {LineStatus::kLine, std::string(45, 'x'), 45},
      {LineStatus::kEnd, "last", 4},
      {LineStatus::kEnd, "", 0}};
  for (const auto& [status, line, length] : want) {
    std::string s;
    const LineResult res = line_of(r, s);
    EXPECT_EQ(std::tuple(res.status, s), std::tuple(status, line)) << line;
    if (status == LineStatus::kLine) {
      EXPECT_EQ(res.length, length) << line;
    }
  }
}

TEST(Chunk, LineReaderConvertsLatin1) {
  Buf b{'M', 0xE4, 'r', 'z', 0xFF, '\r', '\n'};
  Reader r(b);
  std::string s;
  auto res = line_of(r, s, true);
  EXPECT_EQ(std::tuple(res.status, s, res.length),
            std::tuple(LineStatus::kLine, "M\xC3\xA4rz\xC3\xBF", 7u));

  Reader again(b);
  line_of(again, s, false);
  EXPECT_EQ(s, "M\xE4rz\xFF");
}

}  // namespace
}  // namespace korav
