#include "model/units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>

namespace korav {

namespace {

// ---------------------------------------------------------------------------------------------
// Writing numbers

// Appends `value` with `decimals` digits after the point, rounded as printf's "%.*f" does but
// always with "." as the decimal point.
void append_fixed(std::string& out, double value, int decimals) {
  // The longest fixed text of a double: sign, 309 integer digits, point, at most 4 decimals here.
  std::array<char, 400> buf;
  const auto r =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  if (r.ec == std::errc()) out.append(buf.data(), r.ptr);
}

std::string fixed(double value, int decimals) {
  std::string s;
  append_fixed(s, value, decimals);
  return s;
}

std::string fixed(double value, int decimals, std::string_view suffix) {
  std::string s = fixed(value, decimals);
  s.append(suffix);
  return s;
}

// ---------------------------------------------------------------------------------------------
// Reading numbers

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

bool is_blank_text(std::string_view s) { return trim(s).empty(); }

// A leading decimal number: blanks, an optional sign, digits with at most one decimal point ("."
// or ","), an optional exponent. Everything after it is ignored. "inf", "nan", hexadecimal and
// lone signs or points are not numbers.
ParsedValue read_leading_number(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && is_blank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // Mantissa. Leading zeros of the integer part are skipped; they change neither the value nor
  // the magnitude and a text of a million zeros should not cost a million-byte copy.
  const std::size_t mantissa_start = i;
  while (i < n && text[i] == '0') ++i;
  const std::size_t int_start = i;
  while (i < n && is_digit(text[i])) ++i;
  const std::size_t int_digits = i - int_start;  // significant integer digits
  bool any_digit = i > mantissa_start;
  std::size_t frac_start = i, frac_end = i;
  if (i < n && (text[i] == '.' || text[i] == ',')) {
    frac_start = ++i;
    while (i < n && is_digit(text[i])) ++i;
    frac_end = i;
    any_digit = any_digit || frac_end > frac_start;
  }
  if (!any_digit) return {0, kMsgNotANumber};

  // Exponent, taken only when at least one digit follows the "e" and its sign.
  long long exponent = 0;
  std::size_t exp_start = i, exp_end = i;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool exp_negative = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) exp_negative = text[j++] == '-';
    if (j < n && is_digit(text[j])) {
      while (j < n && is_digit(text[j])) {
        if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - '0');
        ++j;
      }
      if (exp_negative) exponent = -exponent;
      exp_end = j;
    }
  }

  // The number in the form from_chars reads: "-", digits, ".", digits, exponent.
  std::string number;
  number.reserve(4 + int_digits + (frac_end - frac_start) + (exp_end - exp_start));
  if (negative) number += '-';
  if (int_digits == 0) number += '0';
  number.append(text.substr(int_start, int_digits));
  if (frac_end > frac_start) {
    number += '.';
    number.append(text.substr(frac_start, frac_end - frac_start));
  }
  number.append(text.substr(exp_start, exp_end - exp_start));

  double value = 0;
  const auto r = std::from_chars(number.data(), number.data() + number.size(), value,
                                 std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large or too small: the position of the first significant digit decides which.
    long long magnitude = static_cast<long long>(int_digits);
    if (int_digits == 0) {
      std::size_t k = frac_start;
      while (k < frac_end && text[k] == '0') ++k;
      if (k == frac_end) return {negative ? -0.0 : 0.0, {}};
      magnitude = -static_cast<long long>(k - frac_start);
    }
    if (magnitude + exponent > 0) return {0, kMsgOutOfRange};
    return {negative ? -0.0 : 0.0, {}};
  }
  if (r.ec != std::errc() || !std::isfinite(value)) return {0, kMsgOutOfRange};
  return {value, {}};
}

// A refused empty text says so; anything else that is not a number is "Not a number".
ParsedValue read_number(std::string_view text) {
  if (is_blank_text(text)) return {0, kMsgNoValue};
  return read_leading_number(text);
}

ParsedValue scaled(ParsedValue v, double factor) {
  if (!v.ok()) return v;
  v.value *= factor;
  if (!std::isfinite(v.value)) return {0, kMsgOutOfRange};
  return v;
}

ParsedValue divided(ParsedValue v, double divisor) {
  if (!v.ok()) return v;
  v.value /= divisor;
  if (!std::isfinite(v.value)) return {0, kMsgOutOfRange};
  return v;
}

// One part (feet or inches) of a feet-and-inches text: "3", "3 1/2", "1/2", "3.25". Minus signs
// and inch marks count as blanks. An empty part is 0 and sets `empty`.
ParsedValue read_fraction_part(std::string_view part, bool& empty) {
  std::string s(part);
  for (char& c : s)
    if (c == '-' || c == kInchMark) c = ' ';
  const std::string_view t = trim(s);
  empty = t.empty();
  if (empty) return {0, {}};

  auto read_fraction = [](std::string_view f) -> ParsedValue {
    const std::size_t slash = f.find('/');
    const ParsedValue a = read_leading_number(f.substr(0, slash));
    if (!a.ok()) return {0, a.error == kMsgOutOfRange ? kMsgOutOfRange : kMsgBadFraction};
    const ParsedValue b = read_leading_number(f.substr(slash + 1));
    if (!b.ok()) return {0, b.error == kMsgOutOfRange ? kMsgOutOfRange : kMsgBadFraction};
    if (b.value == 0) return {0, kMsgZeroDenominator};
    const double q = a.value / b.value;
    if (!std::isfinite(q)) return {0, kMsgOutOfRange};
    return {q, {}};
  };

  const std::size_t blank = std::find_if(t.begin(), t.end(), is_blank) - t.begin();
  if (blank == t.size()) {
    // A lone fraction such as 1/2 is half an inch, not 1.
    if (t.find('/') != std::string_view::npos) return read_fraction(t);
    return read_leading_number(t);
  }
  const ParsedValue whole = read_leading_number(t.substr(0, blank));
  if (!whole.ok()) return whole;
  const std::string_view rest = trim(t.substr(blank));
  if (rest.find('/') == std::string_view::npos) return read_leading_number(rest);  // replaces it
  const ParsedValue fraction = read_fraction(rest);
  if (!fraction.ok()) return fraction;
  const double sum = whole.value + fraction.value;
  if (!std::isfinite(sum)) return {0, kMsgOutOfRange};
  return {sum, {}};
}

ParsedValue parse_feet_inches(std::string_view text) {
  if (is_blank_text(text)) return {0, kMsgNoValue};
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  double sign = 1;
  if (i < text.size() && text[i] == '-') {
    sign = -1;
    ++i;
  }
  const std::string_view body = text.substr(i);
  const std::size_t foot_mark = body.find('\'');
  std::string_view feet_part, inch_part = body;
  if (foot_mark != std::string_view::npos) {
    feet_part = body.substr(0, foot_mark);
    inch_part = body.substr(foot_mark + 1);
  }
  bool feet_empty = true, inches_empty = true;
  const ParsedValue feet = read_fraction_part(feet_part, feet_empty);
  if (!feet.ok()) return feet;
  const ParsedValue inches = read_fraction_part(inch_part, inches_empty);
  if (!inches.ok()) return inches;
  if (feet_empty && inches_empty) return {0, kMsgNotANumber};
  const double metres = (inches.value * kMetresPerInch + feet.value * kMetresPerFoot) * sign;
  if (!std::isfinite(metres)) return {0, kMsgOutOfRange};
  return {metres, {}};
}

std::uint32_t length_unit(std::uint32_t u) { return u <= kLengthFeetInches ? u : kLengthMetre; }
std::uint32_t angle_unit(std::uint32_t u) { return u <= kAngleGon ? u : kAngleDegree; }
std::uint32_t paper_unit(std::uint32_t u) { return u <= kPaperPoint ? u : kPaperMillimetre; }
std::uint32_t size_unit(std::uint32_t u) { return u <= kSizeInch ? u : kSizeCentimetre; }

const std::string_view kInch{&kInchMark, 1};

DimensionFigure architectural_figure(double d, std::uint32_t accuracy) {
  DimensionFigure f;
  const bool metres = d >= 1;
  switch (std::min<std::uint32_t>(accuracy, 3)) {
    case 0: f.main = metres ? fixed(d, 2) : fixed(100 * d, 0); break;
    case 1: {  // half centimetres: a millimetre digit of 3 to 7 raises a 5
      const std::string t = metres ? fixed(d, 3) : fixed(100 * d, 1);
      const char mm = t.empty() ? '0' : t.back();
      if (mm >= '3' && mm <= '7') f.superscript.assign(1, '5');
      f.main = metres ? fixed(d - 0.0025, 2) : fixed((d - 0.0025) * 100, 0);
      break;
    }
    case 2: {  // millimetres raised
      // The text without its last one or two digits (erase, not resize: GCC 12 takes a resize
      // for a possible growth and warns of overlapping copies it then imagines).
      std::string t = metres ? fixed(d, 3) : fixed(100 * d, 1);
      if (t.size() >= 3) {
        if (t.back() != '0') f.superscript.assign(1, t.back());
        t.erase(t.size() - (metres ? 1 : 2));
      }
      f.main = std::move(t);
      break;
    }
    default: f.main = metres ? fixed(d, 4) : fixed(100 * d, 2); break;
  }
  return f;
}

}  // namespace

// -----------------------------------------------------------------------------------------------

ParsedValue parse_number(std::string_view text) { return read_number(text); }

ParsedValue parse_length(std::string_view text, std::uint32_t unit) {
  switch (length_unit(unit)) {
    case kLengthCentimetre: return divided(read_number(text), 100);
    case kLengthMillimetre: return divided(read_number(text), 1000);
    case kLengthInch: return scaled(read_number(text), kMetresPerInch);
    case kLengthFoot: return scaled(read_number(text), kMetresPerFoot);
    case kLengthFeetInches: return parse_feet_inches(text);
    default: return read_number(text);
  }
}

std::string format_length(double v, std::uint32_t unit) {
  switch (length_unit(unit)) {
    case kLengthCentimetre: return fixed(100 * v, 3, "cm");
    case kLengthMillimetre: return fixed(1000 * v, 2, "mm");
    case kLengthInch: return fixed(v / kMetresPerInch, 3, kInch);
    case kLengthFoot: return fixed(v / kMetresPerFoot, 4, "'");
    case kLengthFeetInches: return format_feet_inches(v, 64);
    default: return fixed(v, 4, "m");
  }
}

std::string format_feet_inches(double v, int denominator) {
  if (!std::isfinite(v)) return fixed(v, 0, kInch);  // "inf\"", "nan\"": shown, never computed
  const bool negative = v < 0;
  if (negative) v = -v;
  const double den_in = denominator >= 1 ? denominator : 1;

  const double f = v / kMetresPerFoot;
  if (!std::isfinite(f)) return fixed(negative ? -f : f, 0, kInch);  // metres near the double limit
  double feet = std::trunc(f);  // a double: far beyond the range of int for huge values
  const double r = (f - feet) * 12;
  int inches = static_cast<int>(std::trunc(r));  // 0 to 11
  long long num = static_cast<long long>(std::trunc(den_in * (r - inches) + 0.5));
  long long den = static_cast<long long>(den_in);
  while (num != 0 && num % 2 == 0 && den % 2 == 0) {
    num /= 2;
    den /= 2;
  }
  if (num != 0 && num == den) {  // the fraction rounded up to a whole inch (1/1)
    num = 0;
    den = 0;
    inches += 1;
  }
  if (inches >= 12) {
    feet += 1;
    inches -= 12;
  }

  std::string s;
  // A value that rounds to nothing is printed without its sign.
  if (negative && (feet != 0 || inches != 0 || num != 0)) s += '-';
  auto add_int = [&s](long long k) { s += std::to_string(k); };
  auto add_fraction = [&] {
    add_int(num);
    s += '/';
    add_int(den);
  };
  if (feet != 0) {
    append_fixed(s, feet, 0);
    s += "'-";
    if (inches != 0) {
      add_int(inches);
      if (num != 0) {
        s += ' ';
        add_fraction();
      }
    } else if (num != 0) {
      add_fraction();
    } else {
      s += '0';
    }
  } else if (inches != 0) {
    add_int(inches);
    if (num != 0) {
      s += ' ';
      add_fraction();
    }
  } else if (num != 0) {
    add_fraction();
  } else {
    s += '0';
  }
  s += kInchMark;
  return s;
}

ParsedCoordinates parse_coordinates(std::string_view text, std::uint32_t unit) {
  ParsedCoordinates c;
  if (is_blank_text(text)) {
    c.error = kMsgNoValue;
    c.bad_part = 0;
    return c;
  }
  std::string_view parts[3];
  std::string_view rest = text;
  for (int k = 0; k < 3; ++k) {
    const std::size_t semicolon = k < 2 ? rest.find(';') : std::string_view::npos;
    parts[k] = rest.substr(0, semicolon);
    if (semicolon == std::string_view::npos) break;
    rest = rest.substr(semicolon + 1);
  }
  double* out[3] = {&c.x, &c.y, &c.z};
  for (int k = 0; k < 3; ++k) {
    if (is_blank_text(parts[k])) continue;  // missing parts are 0
    const ParsedValue v = parse_length(parts[k], unit);
    if (!v.ok()) {
      c.x = c.y = c.z = 0;
      c.error = v.error;
      c.bad_part = k;
      return c;
    }
    *out[k] = v.value;
  }
  return c;
}

ParsedValue parse_angle(std::string_view text, std::uint32_t unit) {
  switch (angle_unit(unit)) {
    case kAngleRadian: return read_number(text);
    case kAngleGon: return scaled(divided(read_number(text), 200), std::numbers::pi);
    default: return scaled(divided(read_number(text), 180), std::numbers::pi);
  }
}

std::string format_angle(double radians, std::uint32_t unit) {
  switch (angle_unit(unit)) {
    case kAngleRadian: return fixed(radians, 3, "r");
    case kAngleGon: return fixed(radians * 200 / std::numbers::pi, 3, "g");
    default: return fixed(radians * 180 / std::numbers::pi, 3);
  }
}

ParsedValue parse_paper_size(std::string_view text, std::uint32_t unit) {
  switch (paper_unit(unit)) {
    case kPaperCentimetre: return scaled(read_number(text), 10);
    case kPaperInch: return scaled(read_number(text), kMillimetresPerInch);
    case kPaperPica: return scaled(read_number(text), kMillimetresPerInch / 6);
    case kPaperPoint: return scaled(read_number(text), kMillimetresPerInch / 72);
    default: return read_number(text);
  }
}

std::string format_paper_size(double mm, std::uint32_t unit) {
  switch (paper_unit(unit)) {
    case kPaperCentimetre: return fixed(mm / 10, 2, "cm");
    case kPaperInch: return fixed(mm / kMillimetresPerInch, 2, kInch);
    case kPaperPica: return fixed(mm / kMillimetresPerInch * 6, 2, "pi");
    case kPaperPoint: return fixed(mm / kMillimetresPerInch * 72, 2, "pt");
    default: return fixed(mm, 2, "mm");
  }
}

ParsedValue parse_size(std::string_view text, std::uint32_t unit) {
  if (size_unit(unit) == kSizeInch) return scaled(read_number(text), kCentimetresPerInch);
  return read_number(text);
}

std::string format_size(double cm, std::uint32_t unit) {
  if (size_unit(unit) == kSizeInch) return fixed(cm / kCentimetresPerInch, 2, kInch);
  return fixed(cm, 2, "cm");
}

std::string format_plain_number(double value) {
  if (value < 0.1) return fixed(value, 4);
  if (value < 1) return fixed(value, 3);
  return fixed(value, 2);
}

DimensionFigure format_dimension_figure(double d, std::uint32_t style, std::uint32_t accuracy,
                                        std::uint32_t accuracy_arch) {
  if (!std::isfinite(d)) return {fixed(d, 0), {}};
  if (style > kDimLastStyle) style = kDimArchitectural;
  if (style == kDimArchitectural) return architectural_figure(d, accuracy_arch);
  if (style <= 5) {
    const int decimals = static_cast<int>(std::min<std::uint32_t>(accuracy, 4));
    switch (style) {
      case 1: return {fixed(d, decimals), {}};
      case 2: return {fixed(100 * d, decimals), {}};
      case 3: return {fixed(1000 * d, decimals), {}};
      case 4: return {fixed(d / kMetresPerInch, decimals), {}};
      default: return {fixed(d / kMetresPerFoot, decimals), {}};
    }
  }
  static constexpr int kDenominators[] = {2, 4, 8, 16, 32, 64, 1};
  return {format_feet_inches(d, kDenominators[style - 6]), {}};
}

// -----------------------------------------------------------------------------------------------

ParsedValue parse_length(std::string_view text, const Settings& s) {
  return parse_length(text, s.figure_input);
}
std::string format_length(double metres, const Settings& s) {
  return format_length(metres, s.figure_input);
}
ParsedCoordinates parse_coordinates(std::string_view text, const Settings& s) {
  return parse_coordinates(text, s.figure_input);
}
ParsedValue parse_angle(std::string_view text, const Settings& s) {
  return parse_angle(text, s.angle_input);
}
std::string format_angle(double radians, const Settings& s) {
  return format_angle(radians, s.angle_input);
}
ParsedValue parse_paper_size(std::string_view text, const Settings& s) {
  return parse_paper_size(text, s.paper_unit);
}
std::string format_paper_size(double millimetres, const Settings& s) {
  return format_paper_size(millimetres, s.paper_unit);
}
ParsedValue parse_size(std::string_view text, const Settings& s) {
  return parse_size(text, s.size_unit);
}
std::string format_size(double centimetres, const Settings& s) {
  return format_size(centimetres, s.size_unit);
}
DimensionFigure format_dimension_figure(double metres, std::uint32_t style, const Settings& s) {
  return format_dimension_figure(metres, style, s.accuracy, s.accuracy_arch);
}

}  // namespace korav
