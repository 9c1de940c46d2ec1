// The numbers and strings of the vector outputs: "%.2f" exactly as the C library writes it in
// the C locale (ties, negatives, large values), the other integer forms, and PostScript/PDF
// string bodies with their escapes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "exchange/output_text.h"

namespace korav {
namespace {

bool to_string(void* context, const char* data, std::size_t n) {
  static_cast<std::string*>(context)->append(data, n);
  return true;
}

std::string fixed(double v) {
  std::string s;
  OutputText out(1024, 64, to_string, &s);
  out.fixed(v);
  out.flush();
  return s;
}

std::string printf_fixed(double v) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

TEST(OutputText, FixedIsWhatPrintfWrites) {
  const double cases[] = {0,      -0.0,   0.004,  -0.004,   0.005,  0.015,  0.125,   1.005,
                          2.675,  -2.675, 35.43,  1e10,     -1e10,  123456789.125, 1e17,
                          -3.5e20, 1e300, 0.994999, 0.995, 9.995, 99.995, 1e15 / 100};
  for (double v : cases) EXPECT_EQ(fixed(v), printf_fixed(v)) << v;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(-20000, 20000);
  for (int i = 0; i < 200000; ++i) {
    const double v = dist(rng);
    ASSERT_EQ(fixed(v), printf_fixed(v)) << v;
  }
  // Values made of hundredths and halves of them, where the ties lie.
  for (int i = -100000; i < 100000; ++i) {
    const double v = i / 200.0;
    ASSERT_EQ(fixed(v), printf_fixed(v)) << v;
  }
}

TEST(OutputText, IntegersAndColours) {
  std::string s;
  OutputText out(1024, 64, to_string, &s);
  out.integer(-42) << ' ';
  out.padded10(1234) << ' ';
  out.hex2(0).hex2(255).hex2(300).hex2(-3) << ' ';
  out.flush();
  EXPECT_EQ(s, "-42 0000001234 00ffff00 ");
}

TEST(OutputText, TheBufferIsHandedOnWhenNearlyFull) {
  std::string s;
  OutputText out(100, 30, to_string, &s);
  for (int i = 0; i < 10; ++i) {
    out << "0123456789";
    out.bound();
  }
  EXPECT_LE(out.buffered().size(), 70u);
  EXPECT_EQ(out.total(), 100u);
  out.flush();
  EXPECT_EQ(s.size(), 100u);
}

TEST(OutputText, AFailingSinkStopsTheWriter) {
  OutputText out(10, 5, [](void*, const char*, std::size_t) { return false; }, nullptr);
  out << "0123456789";
  EXPECT_FALSE(out.flush());
  EXPECT_FALSE(out.ok());
}

TEST(OutputText, StringLiteralsAreEscaped) {
  std::string s;
  OutputText out(1024, 64, to_string, &s);
  append_string_literal(out, "a(b)\\c\n\t\xE4\x7F~ ");
  out.flush();
  EXPECT_EQ(s, "a\\(b\\)\\\\c\\012\\011\\344\\177~ ");
}

}  // namespace
}  // namespace korav
