#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInchM = 0.0254;
constexpr double kFootM = 0.3048;

double inches(double feet, double in) { return feet * kFootM + in * kInchM; }

void expect_value(const ParsedValue& v, double expected, double tolerance = 1e-12) {
  EXPECT_TRUE(v.ok()) << v.error;
  EXPECT_NEAR(v.value, expected, tolerance);
}

// ---------------------------------------------------------------------------------------------
// Numbers

TEST(UnitsNumber, LeadingNumberWithCommaOrPoint) {
  const std::pair<std::string_view, double> rows[] = {
      {"2,5", 2.5},
      {"2.5", 2.5},
      {"  -3.25e2xyz", -325},
      {"+7", 7},
      {".5", 0.5},
      {",5", 0.5},
      {"5.", 5},
      {"2.5m", 2.5},  // the rest is ignored
      {"1e", 1},      // an "e" without digits is not an exponent
      {"1e+", 1},
      {"0x10", 0},         // no hexadecimal
      {"1,234.5", 1.234},  // every comma is a decimal point
      {"007.5", 7.5},
      // Only the characters inside the view are read.
      {std::string_view("12345", 2), 12},
      {std::string_view("7,5", 2), 7}};
  for (const auto& [text, value] : rows) expect_value(parse_number(text), value);
}

TEST(UnitsNumber, BadTextIsRefusedWithAReason) {
  EXPECT_EQ(parse_number("").error, kMsgNoValue);
  EXPECT_EQ(parse_number(" \t ").error, kMsgNoValue);
  for (const char* t : {"abc", "-", "+", ".", ",", "-.", "e5", "nan", "NaN", "inf", "-inf",
                        "infinity", "/2", "'", "\""}) {
    const ParsedValue v = parse_number(t);
    EXPECT_EQ(v.error, kMsgNotANumber) << t;
    EXPECT_FALSE(v.ok()) << t;
  }
}

TEST(UnitsNumber, OutOfRangeAndUnderflow) {
  EXPECT_EQ(parse_number("1e999").error, kMsgOutOfRange);
  EXPECT_EQ(parse_number("-1e999").error, kMsgOutOfRange);
  EXPECT_EQ(parse_number("1e99999999999999999999999").error, kMsgOutOfRange);
  EXPECT_EQ(parse_number(std::string(400, '9')).error, kMsgOutOfRange);
  EXPECT_EQ(parse_number("1" + std::string(400, '0') + "e-5").error, kMsgOutOfRange);
  // Too small to tell from zero is zero.
  expect_value(parse_number("1e-999"), 0);
  expect_value(parse_number("0.0000000001e-400"), 0);
  expect_value(parse_number("1e-99999999999999999999999"), 0);
  // Long but in range.
  expect_value(parse_number("1" + std::string(400, '0') + "e-400"), 1, 1e-15);
  expect_value(parse_number(std::string(100000, '0') + "3"), 3);
  expect_value(parse_number("0." + std::string(400, '0') + "1e401"), 1, 1e-15);
}

TEST(UnitsNumber, PlainNumberDecimals) {
  const std::pair<double, const char*> rows[] = {
      {2.5, "2.50"},      {1, "1.00"},      {0.5, "0.500"},        {0.1, "0.100"},
      {0.0999, "0.0999"}, {0.05, "0.0500"}, {1234.5678, "1234.57"}};
  for (const auto& [v, text] : rows) EXPECT_EQ(format_plain_number(v), text) << v;
}

// ---------------------------------------------------------------------------------------------
// Lengths in the decimal units

TEST(UnitsLength, FormatEveryDecimalUnit) {
  const std::tuple<double, std::uint32_t, const char*> rows[] = {
      {1.2345, kLengthMetre, "1.2345m"},
      {1.2345, kLengthCentimetre, "123.450cm"},
      {1.2345, kLengthMillimetre, "1234.50mm"},
      {12 * kInchM, kLengthInch, "12.000\""},
      {2.5 * kFootM, kLengthFoot, "2.5000'"},
      {-0.5, kLengthMetre, "-0.5000m"},
      {0, kLengthMillimetre, "0.00mm"},
      {1, 6, "1.0000m"},
      {1, 0xFFFFFFFFu, "1.0000m"}};  // unknown units are metres
  for (const auto& [v, unit, text] : rows) EXPECT_EQ(format_length(v, unit), text);
  expect_value(parse_length("2", 99), 2);
  // A comma reads as a point in every unit.
  const double one[] = {1, 0.01, 0.001, kInchM, kFootM, kInchM};
  for (std::uint32_t unit = kLengthMetre; unit <= kLengthFeetInches; ++unit)
    expect_value(parse_length("2,5", unit), 2.5 * one[unit]);
}

TEST(UnitsLength, FormatThenParseRoundTrips) {
  // The formats keep 0.1 mm or better, so reading the text back lands within half a last digit.
  const double half_digit[] = {0.00005, 0.000005, 0.000005, 0.0005 * kInchM, 0.00005 * kFootM};
  for (std::uint32_t unit = kLengthMetre; unit <= kLengthFoot; ++unit) {
    for (double v : {0.0, 0.001, 0.3047, 1.0, 2.345, 17.77777, -3.21, 1234.5678}) {
      const std::string text = format_length(v, unit);
      const ParsedValue back = parse_length(text, unit);
      ASSERT_TRUE(back.ok()) << text;
      EXPECT_NEAR(back.value, v, half_digit[unit] * 1.0001) << "unit " << unit << " " << text;
    }
  }
}

TEST(UnitsLength, BadTextInEveryUnit) {
  for (std::uint32_t unit = kLengthMetre; unit <= kLengthFeetInches; ++unit) {
    EXPECT_EQ(parse_length("", unit).error, kMsgNoValue) << unit;
    EXPECT_EQ(parse_length("abc", unit).error, kMsgNotANumber) << unit;
    EXPECT_EQ(parse_length("nan", unit).error, kMsgNotANumber) << unit;
    EXPECT_EQ(parse_length("1e999", unit).error, kMsgOutOfRange) << unit;
  }
}

TEST(UnitsLength, HugeAndNonFiniteValuesStillFormat) {
  const std::string big = format_length(1e300, kLengthMillimetre);
  EXPECT_EQ(big.substr(big.size() - 5), ".00mm");
  EXPECT_GT(big.size(), 300u);
  EXPECT_EQ(format_length(INFINITY, kLengthMetre), "infm");
  EXPECT_NE(format_length(NAN, kLengthCentimetre).find("nancm"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Feet and inches

TEST(UnitsFeetInches, EveryFormOfTheTextWithItsCarries) {
  const std::pair<double, const char*> rows[] = {
      {inches(5, 3.5), "5'-3 1/2\""},  // all three
      {inches(0, 3.5), "3 1/2\""},     // no feet
      {inches(5, 3), "5'-3\""},        // no fraction
      {inches(1, 0.5), "1'-1/2\""},    // no inches
      {inches(7, 0), "7'-0\""},        // feet only
      {inches(0, 0.25), "1/4\""},      // fraction only
      {inches(0, 11), "11\""},         // inches only
      {0, "0\""},
      // 3.28084 ft: 3 feet, 3.37 inches, 0.37 × 64 rounds to 24/64 = 3/8.
      {1.0, "3'-3 3/8\""},
      // 0.999672 ft: 11.996 inches, the fraction rounds to 64/64, 12 inches make a foot.
      {0.3047, "1'-0\""},
      {inches(0, 5.999), "6\""},
      {inches(2, 7.995), "2'-8\""},
      {inches(2, 11.9999), "3'-0\""},
      {inches(0, 0.999), "1\""},
      {inches(0, 11.98), "11 63/64\""},  // just short of the carry
      // Negative values keep one leading "-"; a value that rounds to nothing carries no sign.
      {-1.0, "-3'-3 3/8\""},
      {-inches(0, 0.5), "-1/2\""},
      {-1e-6, "0\""},
      {INFINITY, "inf\""},
      {-1.7e308, "-inf\""},  // beyond any number of feet
      {-INFINITY, "-inf\""}};
  for (const auto& [v, text] : rows) EXPECT_EQ(format_length(v, kLengthFeetInches), text) << v;
}

TEST(UnitsFeetInches, HugeAndNonFiniteValues) {
  const std::string big = format_length(1e30, kLengthFeetInches);
  EXPECT_EQ(big.substr(big.size() - 4), "'-0\"");
  const ParsedValue back = parse_length(big, kLengthFeetInches);
  ASSERT_TRUE(back.ok());
  EXPECT_NEAR(back.value / 1e30, 1, 1e-12);
  EXPECT_EQ(format_length(NAN, kLengthFeetInches).back(), '"');
}

TEST(UnitsFeetInches, ParseFeetInchesAndFractions) {
  const std::pair<const char*, double> rows[] = {
      {"5'-3 1/2\"", inches(5, 3.5)},
      {"5 1/2'", inches(5.5, 0)},
      {"  -  5'-3 1/2\"", -inches(5, 3.5)},
      {"5'", inches(5, 0)},
      {"5'3", inches(5, 3)},
      {"'3", inches(0, 3)},
      {"3 1/2", inches(0, 3.5)},
      {"3-1/2\"", inches(0, 3.5)},
      {"3.25", inches(0, 3.25)},
      {"1,5'", inches(1.5, 0)},
      {"3 4",
       inches(0, 4)},  // a text after the blank without a slash replaces the number before it
      // A lone fraction is a fraction: the texts the formatter writes for less than an inch
      // read back as written.
      {"1/2\"", inches(0, 0.5)},
      {"1'-1/2\"", inches(1, 0.5)},
      {"3/4'", inches(0.75, 0)},
      {"-1/4", -inches(0, 0.25)}};
  for (const auto& [text, v] : rows) expect_value(parse_length(text, kLengthFeetInches), v);
}

TEST(UnitsFeetInches, FormatThenParseRoundTrips) {
  // Within half of 1/64 inch (and a little for the binary arithmetic), signs included.
  const double tolerance = kInchM / 128 + 1e-12;
  for (int i = -400; i <= 400; ++i) {
    const double v = i * 0.0371 + (i % 7) * 1e-4;
    const std::string text = format_length(v, kLengthFeetInches);
    const ParsedValue back = parse_length(text, kLengthFeetInches);
    ASSERT_TRUE(back.ok()) << text;
    EXPECT_NEAR(back.value, v, tolerance) << text;
  }
}

TEST(UnitsFeetInches, BadText) {
  const std::pair<const char*, std::string_view> rows[] = {{"", kMsgNoValue},
                                                           {"'", kMsgNotANumber},
                                                           {"-", kMsgNotANumber},
                                                           {"-\"", kMsgNotANumber},
                                                           {"x'3", kMsgNotANumber},
                                                           {"5'x", kMsgNotANumber},
                                                           {"3 x", kMsgNotANumber},
                                                           {"3 1/0", kMsgZeroDenominator},
                                                           {"1/0\"", kMsgZeroDenominator},
                                                           {"3 1/", kMsgBadFraction},
                                                           {"3 /2", kMsgBadFraction},
                                                           {"/", kMsgBadFraction},
                                                           {"3 1/2/", ""},  // "2/" reads as 2
                                                           {"1e308 1e308/0.001", kMsgOutOfRange},
                                                           {"1e999'", kMsgOutOfRange}};
  for (const auto& [text, error] : rows)
    EXPECT_EQ(parse_length(text, kLengthFeetInches).error, error) << text;
}

// ---------------------------------------------------------------------------------------------
// Coordinates

TEST(UnitsCoordinates, UpToThreeLengthsInTheLengthUnit) {
  const std::tuple<const char*, std::uint32_t, double, double, double> rows[] = {
      {"1;2", kLengthMetre, 1, 2, 0},
      {"1,5 ; 2,5 ; 3", kLengthMetre, 1.5, 2.5, 3},
      {";;3", kLengthMetre, 0, 0, 3},
      {"7", kLengthMetre, 7, 0, 0},
      {"1;2;3;4", kLengthMetre, 1, 2, 3},  // the third part is "3;4"
      {";", kLengthMetre, 0, 0, 0},        // two blank parts: (0, 0, 0) as typed
      {"100;250", kLengthCentimetre, 1, 2.5, 0},
      {"1';6\";2'-1/2\"", kLengthFeetInches, kFootM, 6 * kInchM, inches(2, 0.5)}};
  for (const auto& [text, unit, x, y, z] : rows) {
    const ParsedCoordinates c = parse_coordinates(text, unit);
    ASSERT_TRUE(c.ok()) << text;
    EXPECT_DOUBLE_EQ(c.x, x) << text;
    EXPECT_DOUBLE_EQ(c.y, y) << text;
    EXPECT_DOUBLE_EQ(c.z, z) << text;
  }
}

TEST(UnitsCoordinates, BadPartIsNamed) {
  ParsedCoordinates c = parse_coordinates("1;x;3", kLengthMetre);
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.error, kMsgNotANumber);
  EXPECT_EQ(c.bad_part, 1);
  EXPECT_EQ(c.x, 0);  // nothing half-read is handed out
  c = parse_coordinates("1;2;1e999", kLengthMetre);
  EXPECT_EQ(c.error, kMsgOutOfRange);
  EXPECT_EQ(c.bad_part, 2);
  EXPECT_EQ(parse_coordinates("  ", kLengthMetre).error, kMsgNoValue);
}

// ---------------------------------------------------------------------------------------------
// Angles, paper sizes, pen/line/text sizes

TEST(UnitsAngleSizes, FormatAndParseEveryUnit) {
  // Unknown unit numbers mean the default: degrees, millimetres of paper, centimetres.
  const std::tuple<std::string, std::string> formats[] = {
      {format_angle(kPi, kAngleRadian), "3.142r"},
      {format_angle(kPi / 2, kAngleDegree), "90.000"},
      {format_angle(kPi / 2, kAngleGon), "100.000g"},
      {format_angle(-kPi / 4, kAngleDegree), "-45.000"},
      {format_angle(kPi, 3), "180.000"},
      {format_paper_size(210, kPaperMillimetre), "210.00mm"},
      {format_paper_size(210, kPaperCentimetre), "21.00cm"},
      {format_paper_size(210, kPaperInch), "8.27\""},
      {format_paper_size(210, kPaperPica), "49.61pi"},
      {format_paper_size(210, kPaperPoint), "595.28pt"},
      {format_paper_size(3, 17), "3.00mm"},
      {format_size(0.35, kSizeCentimetre), "0.35cm"},
      {format_size(2.54, kSizeInch), "1.00\""},
      {format_size(1, 4), "1.00cm"}};
  for (const auto& [got, want] : formats) EXPECT_EQ(got, want);
  const std::tuple<ParsedValue, double> parsed[] = {
      {parse_angle("1,5", kAngleRadian), 1.5},
      {parse_angle("90", kAngleDegree), kPi / 2},
      {parse_angle("100g", kAngleGon), kPi / 2},
      {parse_angle("-45", kAngleDegree), -kPi / 4},
      {parse_angle("180", 3), kPi},
      {parse_paper_size("2,5", kPaperMillimetre), 2.5},
      {parse_paper_size("2,5", kPaperCentimetre), 25},
      {parse_paper_size("1", kPaperInch), 25.4},
      {parse_paper_size("6", kPaperPica), 25.4},
      {parse_paper_size("72pt", kPaperPoint), 25.4},
      {parse_size("0,5", kSizeCentimetre), 0.5},
      {parse_size("1", kSizeInch), 2.54}};
  for (const auto& [v, want] : parsed) expect_value(v, want);
  const std::tuple<ParsedValue, std::string_view> bad[] = {
      {parse_angle("", kAngleDegree), kMsgNoValue},
      {parse_angle("north", kAngleGon), kMsgNotANumber},
      {parse_angle("1e999", kAngleRadian), kMsgOutOfRange},
      {parse_paper_size("1e308", kPaperInch), kMsgOutOfRange},  // 25.4e308
      {parse_paper_size(",", kPaperPoint), kMsgNotANumber},
      {parse_size("1e308", kSizeInch), kMsgOutOfRange},
      {parse_size("-", kSizeInch), kMsgNotANumber}};
  for (const auto& [v, error] : bad) EXPECT_EQ(v.error, error);
  for (std::uint32_t unit = kAngleRadian; unit <= kAngleGon; ++unit) {
    const ParsedValue back = parse_angle(format_angle(0.7123, unit), unit);
    ASSERT_TRUE(back.ok());
    EXPECT_NEAR(back.value, 0.7123, 0.0006);  // three decimals of the unit
  }
}

TEST(UnitsSettings, OverloadsReadTheDrawingsUnits) {
  Settings s;
  EXPECT_EQ(format_angle(kPi, s), "180.000");  // degrees by default
  std::tie(s.figure_input, s.angle_input, s.paper_unit, s.size_unit) =
      std::tuple(kLengthCentimetre, kAngleGon, kPaperCentimetre, kSizeInch);
  EXPECT_EQ(format_length(0.5, s), "50.000cm");
  expect_value(parse_length("50", s), 0.5);
  const ParsedCoordinates c = parse_coordinates("100;200;300", s);
  ASSERT_TRUE(c.ok());
  EXPECT_DOUBLE_EQ(c.z, 3);
  EXPECT_EQ(format_angle(kPi, s), "200.000g");
  expect_value(parse_angle("200", s), kPi);
  EXPECT_EQ(format_paper_size(297, s), "29.70cm");
  expect_value(parse_paper_size("29,7", s), 297, 1e-12);
  EXPECT_EQ(format_size(5.08, s), "2.00\"");
  expect_value(parse_size("2", s), 5.08);
  s.accuracy = 1;
  s.accuracy_arch = 0;
  EXPECT_EQ(format_dimension_figure(1.26, 2, s).main, "126.0");
  EXPECT_EQ(format_dimension_figure(1.26, 0, s).main, "1.26");
}

// ---------------------------------------------------------------------------------------------
// Dimension figures

TEST(UnitsDimension, FiguresByStyleAccuracyAndArchitecturalAccuracy) {
  const double v = inches(3, 5.3);
  struct Row {
    double value;
    std::uint32_t style, accuracy, arch;
    const char *main, *sup;
  };
  const Row rows[] = {
      // Architectural, millimetres raised; a 0 is not raised.
      {2.345, 0, 4, 2, "2.34", "5"},
      {2.34, 0, 4, 2, "2.34", ""},
      {12.007, 0, 4, 2, "12.00", "7"},
      {1.0, 0, 4, 2, "1.00", ""},
      // Below one metre in centimetres: the last two characters go (".5" of "34.5").
      {0.345, 0, 4, 2, "34", "5"},
      {0.25, 0, 4, 2, "25", ""},
      {0.0, 0, 4, 2, "0", ""},
      // Half centimetres.
      {2.345, 0, 4, 1, "2.34", "5"},
      {2.348, 0, 4, 1, "2.35", ""},
      {2.342, 0, 4, 1, "2.34", ""},
      {2.343, 0, 4, 1, "2.34", "5"},
      {2.347, 0, 4, 1, "2.34", "5"},
      {0.345, 0, 4, 1, "34", "5"},
      {0.348, 0, 4, 1, "35", ""},
      // Whole and four decimals; the architectural accuracy is limited to 3.
      {0.25, 0, 4, 0, "25", ""},
      {2.5, 0, 4, 0, "2.50", ""},
      {2.5, 0, 4, 3, "2.5000", ""},
      {0.25, 0, 4, 3, "25.00", ""},
      {0.25, 0, 4, 9, "25.00", ""},
      // Decimal styles by accuracy, limited to 4.
      {1.23456, 1, 0, 2, "1", ""},
      {1.23456, 1, 1, 2, "1.2", ""},
      {1.23456, 1, 3, 2, "1.235", ""},
      {1.23456, 1, 4, 2, "1.2346", ""},
      {1.23456, 2, 2, 2, "123.46", ""},
      {1.23456, 3, 0, 2, "1235", ""},
      {10 * kInchM, 4, 1, 2, "10.0", ""},
      {3 * kFootM, 5, 4, 2, "3.0000", ""},
      {1.23456, 1, 99, 2, "1.2346", ""},
      // Feet and inches by denominator; style 12 rounds to whole inches, with the carries.
      {v, 6, 4, 2, "3'-5 1/2\"", ""},
      {v, 7, 4, 2, "3'-5 1/4\"", ""},
      {v, 8, 4, 2, "3'-5 1/4\"", ""},
      {v, 9, 4, 2, "3'-5 5/16\"", ""},
      {v, 10, 4, 2, "3'-5 5/16\"", ""},
      {v, 11, 4, 2, "3'-5 19/64\"", ""},
      {v, 12, 4, 2, "3'-5\"", ""},
      {inches(3, 5.6), 12, 4, 2, "3'-6\"", ""},
      {inches(3, 11.6), 12, 4, 2, "4'-0\"", ""},
      {inches(0, 0.8), 6, 4, 2, "1\"", ""},
      // A negative override keeps its sign instead of garbling every part of the text.
      {-v, 6, 4, 2, "-3'-5 1/2\"", ""},
      // Damaged styles are architectural.
      {2.345, 13, 4, 2, "2.34", "5"},
      {2.345, 255, 4, 2, "2.34", "5"}};
  for (const Row& r : rows) {
    const DimensionFigure f = format_dimension_figure(r.value, r.style, r.accuracy, r.arch);
    EXPECT_EQ(f.main, r.main) << r.value << " style " << r.style;
    EXPECT_EQ(f.superscript, r.sup) << r.value << " style " << r.style;
  }
  for (std::uint32_t style = 0; style <= 13; ++style) {
    const DimensionFigure f = format_dimension_figure(NAN, style, 4, 2);
    EXPECT_NE(f.main.find("nan"), std::string::npos) << style;
    EXPECT_EQ(f.superscript, "") << style;
    EXPECT_EQ(format_dimension_figure(INFINITY, style, 4, 2).main, "inf") << style;
  }
}

}  // namespace
}  // namespace korav
