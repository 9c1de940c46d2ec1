// Units: the text the user types and reads for lengths, angles, paper sizes, pen/line/text sizes
// and plain numbers, and the figures of dimensions.
//
// Inside the program lengths are metres, angles radians, paper sizes millimetres and pen, line and
// text sizes centimetres. Which unit the user works in is part of the drawing's settings
// (figure_input, angle_input, paper_unit, size_unit, accuracy, accuracy_arch); every function here
// takes the unit it needs as an argument, and the Settings overloads read it from there.
//
// Reading: a comma counts as a decimal point; the leading number of the text is read and the rest
// is ignored ("2.5m" is 2.5). Text without a leading number, numbers beyond the range of a double
// and incomplete or zero-denominator fractions are refused with an English message for
// translate(); nothing is read past the end of the text.
//
// Writing never depends on the C locale: the decimal point is always ".".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/settings.h"

namespace korav {

inline constexpr double kMetresPerInch = 0.0254;
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double kCentimetresPerInch = 2.54;
inline constexpr char kInchMark = '"';

// "Figure input": the length unit.
enum LengthUnit : std::uint32_t {
  kLengthMetre = 0,
  kLengthCentimetre = 1,
  kLengthMillimetre = 2,
  kLengthInch = 3,
  kLengthFoot = 4,
  kLengthFeetInches = 5,  // feet and inches with fractions: 5'-3 1/2"
};

// "Angle input".
enum AngleUnit : std::uint32_t { kAngleRadian = 0, kAngleDegree = 1, kAngleGon = 2 };

// "Paper size".
enum PaperUnit : std::uint32_t {
  kPaperMillimetre = 0,
  kPaperCentimetre = 1,
  kPaperInch = 2,
  kPaperPica = 3,
  kPaperPoint = 4,
};

// "Pen/Line/Text size".
enum SizeUnit : std::uint32_t { kSizeCentimetre = 0, kSizeInch = 1 };

// The unit style byte of a dimension: 0 architectural (metres, centimetres below 1 m, raised
// millimetres), 1 m, 2 cm, 3 mm, 4 inch, 5 feet, 6 to 12 feet and inches to 1/2, 1/4, 1/8, 1/16,
// 1/32, 1/64 and whole inches.
inline constexpr std::uint32_t kDimArchitectural = 0;
inline constexpr std::uint32_t kDimLastStyle = 12;

// A unit number outside its list (from a damaged file, say) is treated as the first unit of the
// list, except the angle unit, which falls back to degrees, its default. The accuracies are
// limited to 4 and 3 decimals.

// Messages of a refused text.
inline constexpr std::string_view kMsgNoValue = "No value entered";
inline constexpr std::string_view kMsgNotANumber = "Not a number";
inline constexpr std::string_view kMsgOutOfRange = "Number out of range";
inline constexpr std::string_view kMsgBadFraction = "Incomplete fraction";
inline constexpr std::string_view kMsgZeroDenominator = "Fraction with zero denominator";

struct ParsedValue {
  double value = 0;
  std::string_view error;  // empty when the text was read, else one of the messages above
  bool ok() const { return error.empty(); }
};

struct ParsedCoordinates {
  double x = 0, y = 0, z = 0;
  std::string_view error;  // as for ParsedValue
  int bad_part = -1;       // 0, 1 or 2: which of x, y, z could not be read
  bool ok() const { return error.empty(); }
};

// A dimension figure: the main text and the raised text after it (empty unless the architectural
// style raises the millimetres or the half centimetre).
struct DimensionFigure {
  std::string main;
  std::string superscript;
};

// parse number: the leading decimal number of the text.
ParsedValue parse_number(std::string_view text);

// parse length / format length: metres by the length unit.
ParsedValue parse_length(std::string_view text, std::uint32_t unit);
std::string format_length(double metres, std::uint32_t unit);

// parse coordinates: up to three lengths separated by ";" as x;y;z. A missing or blank part is 0
// ("1;2" is (1, 2, 0)); text after a third ";" belongs to the z part and is ignored like any text
// after a number. A text that is blank as a whole is refused.
ParsedCoordinates parse_coordinates(std::string_view text, std::uint32_t unit);

// parse angle / format angle: radians by the angle unit.
ParsedValue parse_angle(std::string_view text, std::uint32_t unit);
std::string format_angle(double radians, std::uint32_t unit);

// parse paper size / format paper size: millimetres by the paper unit.
ParsedValue parse_paper_size(std::string_view text, std::uint32_t unit);
std::string format_paper_size(double millimetres, std::uint32_t unit);

// parse size / format size: centimetres by the pen/line/text size unit.
ParsedValue parse_size(std::string_view text, std::uint32_t unit);
std::string format_size(double centimetres, std::uint32_t unit);

// format plain number: two decimals, three below 1, four below 0.1.
std::string format_plain_number(double value);

// Feet and inches with the fraction rounded to 1/denominator of an inch (a power of two up to 64,
// or 1 for whole inches): 3'-3 3/8", 3 1/2", 5'-0", 0". A fraction that rounds to a whole inch
// carries into the inches and 12 inches carry into the feet. Negative values get a leading "-"
// unless they round to zero.
std::string format_feet_inches(double metres, int denominator);

// format dimension figure: the distance in metres by the dimension's unit style, printed without
// a unit sign; `accuracy` (0 to 4 decimals) serves styles 1 to 5 and `accuracy_arch` (0 to 3)
// the architectural style. A style above 12 is taken as architectural.
DimensionFigure format_dimension_figure(double metres, std::uint32_t style, std::uint32_t accuracy,
                                        std::uint32_t accuracy_arch);

// The same with the units of a drawing's settings.
ParsedValue parse_length(std::string_view text, const Settings& s);
std::string format_length(double metres, const Settings& s);
ParsedCoordinates parse_coordinates(std::string_view text, const Settings& s);
ParsedValue parse_angle(std::string_view text, const Settings& s);
std::string format_angle(double radians, const Settings& s);
ParsedValue parse_paper_size(std::string_view text, const Settings& s);
std::string format_paper_size(double millimetres, const Settings& s);
ParsedValue parse_size(std::string_view text, const Settings& s);
std::string format_size(double centimetres, const Settings& s);
DimensionFigure format_dimension_figure(double metres, std::uint32_t style, const Settings& s);

}  // namespace korav
