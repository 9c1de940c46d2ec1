// The zlib stream compressed piece by piece: whatever the cut, zlib's own inflater reads one
// stream with the right checksum and gets the text back; a failing sink stops it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>

#include "exchange/zlib_stream.h"

namespace korav {
namespace {

bool to_string(void* context, const char* data, std::size_t n) {
  static_cast<std::string*>(context)->append(data, n);
  return true;
}

// Inflates a whole zlib stream; "<damaged>" when zlib refuses it, its checksum included.
std::string inflated(const std::string& z) {
  z_stream s{};
  if (inflateInit(&s) != Z_OK) return "<damaged>";
  std::string out;
  char buf[65536];
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
  s.avail_in = static_cast<uInt>(z.size());
  int rc = Z_OK;
  do {
    s.next_out = reinterpret_cast<Bytef*>(buf);
    s.avail_out = sizeof buf;
    rc = inflate(&s, Z_NO_FLUSH);
    out.append(buf, sizeof buf - s.avail_out);
  } while (rc == Z_OK);
  const bool whole = rc == Z_STREAM_END && s.avail_in == 0;
  inflateEnd(&s);
  return whole ? out : "<damaged>";
}

// A text like a PDF page's content: coordinates, operators and some noise.
std::string content(std::size_t bytes) {
  std::string t;
  std::uint32_t seed = 7;
  while (t.size() < bytes) {
    seed = seed * 1664525u + 1013904223u;
    t += std::to_string(seed % 100000) + "." + std::to_string(seed % 97) + " " +
         std::to_string(seed >> 20) + ".50 " + ((seed & 1) ? "l\n" : "m\n");
  }
  t.resize(bytes);
  return t;
}

TEST(ZlibStream, AnyLengthInflatesToTheTextWritten) {
  const std::size_t k = kZlibPieceSize;
  for (std::size_t n :
       {std::size_t{0}, std::size_t{1}, std::size_t{1000}, k - 1, k, k + 1, 3 * k + 12345}) {
    for (unsigned in_flight : {1u, 3u}) {
      const std::string text = content(n);
      std::string out;
      ZlibStream z(to_string, &out, in_flight);
      // Handed over in slices of odd sizes, as a writer's buffer does.
      for (std::size_t at = 0; at < n; at += 8191)
        ASSERT_TRUE(z.write(text.data() + at, std::min<std::size_t>(8191, n - at)));
      ASSERT_TRUE(z.finish()) << n;
      EXPECT_EQ(z.compressed(), out.size());
      ASSERT_GE(out.size(), 2u);
      EXPECT_EQ(out.substr(0, 2), "\x78\x01");
      EXPECT_EQ(inflated(out), text) << n << " bytes, " << in_flight << " at once";
      if (n > 1000) {
        EXPECT_LT(out.size(), n / 2) << n;
      }
      EXPECT_FALSE(z.write("x", 1));  // nothing after finishing
      EXPECT_FALSE(z.finish());
    }
  }
}

TEST(ZlibStream, AFailingSinkStopsTheStream) {
  struct Budget {
    std::size_t left;
  } budget{100};
  auto limited = [](void* context, const char*, std::size_t n) {
    auto& b = *static_cast<Budget*>(context);
    if (n > b.left) return false;
    b.left -= n;
    return true;
  };
  const std::string text = content(3 * kZlibPieceSize);
  ZlibStream z(limited, &budget, 1);
  bool accepted = true;
  for (std::size_t at = 0; at < text.size() && accepted; at += 65536)
    accepted = z.write(text.data() + at, 65536);
  EXPECT_FALSE(accepted && z.finish());
  EXPECT_FALSE(z.finish());
  EXPECT_LE(z.compressed(), 100u);
}

TEST(ZlibStream, PiecesStillBeingCompressedAreDroppedSafely) {
  std::string out;
  {
    ZlibStream z(to_string, &out, 4);
    const std::string text = content(2 * kZlibPieceSize + 10);
    ASSERT_TRUE(z.write(text.data(), text.size()));
  }  // never finished
  EXPECT_TRUE(out.empty() || inflated(out) == "<damaged>");
}

}  // namespace
}  // namespace korav
