#include "files/font_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "model/element_points.h"

namespace korav {

namespace {

constexpr int kFirst = 32, kLast = 255, kCodes = kLast - kFirst + 1;

// ISO Latin-1 glyph names for the codes 32 to 255 ("" where the encoding has none).
constexpr std::string_view kLatin1Names[kCodes] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quoteright",
    "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash", "zero",
    "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "colon", "semicolon",
    "less", "equal", "greater", "question", "at", "A", "B", "C", "D", "E", "F", "G", "H", "I",
    "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "bracketleft", "backslash", "bracketright", "asciicircum", "underscore", "quoteleft", "a",
    "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s",
    "t", "u", "v", "w", "x", "y", "z", "braceleft", "bar", "braceright", "asciitilde", "",
    // 128 to 159
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "dotlessi", "grave",
    "acute", "circumflex", "tilde", "macron", "breve", "dotaccent", "dieresis", "", "ring",
    "cedilla", "", "hungarumlaut", "ogonek", "caron",
    // 160 to 255
    "nbspace", "exclamdown", "cent", "sterling", "currency", "yen", "brokenbar", "section",
    "dieresis", "copyright", "ordfeminine", "guillemotleft", "logicalnot", "hyphen",
    "registered", "macron", "degree", "plusminus", "twosuperior", "threesuperior", "acute", "mu",
    "paragraph", "periodcentered", "cedilla", "onesuperior", "ordmasculine", "guillemotright",
    "onequarter", "onehalf", "threequarters", "questiondown", "Agrave", "Aacute", "Acircumflex",
    "Atilde", "Adieresis", "Aring", "AE", "Ccedilla", "Egrave", "Eacute", "Ecircumflex",
    "Edieresis", "Igrave", "Iacute", "Icircumflex", "Idieresis", "Eth", "Ntilde", "Ograve",
    "Oacute", "Ocircumflex", "Otilde", "Odieresis", "multiply", "Oslash", "Ugrave", "Uacute",
    "Ucircumflex", "Udieresis", "Yacute", "Thorn", "germandbls", "agrave", "aacute",
    "acircumflex", "atilde", "adieresis", "aring", "ae", "ccedilla", "egrave", "eacute",
    "ecircumflex", "edieresis", "igrave", "iacute", "icircumflex", "idieresis", "eth", "ntilde",
    "ograve", "oacute", "ocircumflex", "otilde", "odieresis", "divide", "oslash", "ugrave",
    "uacute", "ucircumflex", "udieresis", "yacute", "thorn", "ydieresis"};

// The largest glyph value a stroke font holds (x 100 within int16), in text heights.
constexpr double kMaxValue = 300;

// A length in text heights held within what a stroke font can store, so that every font
// written here reads back.
double held(double v) { return std::isfinite(v) ? std::clamp(v, -kMaxValue, kMaxValue) : 0; }

// Numbers as the C library's "%f" / "%.2f" write them in the C locale, whatever the locale.
void put_number(std::string& out, double v, int decimals) {
  if (!std::isfinite(v)) v = 0;
  if (v == 0) v = 0;  // no "-0.000000"
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) {
    out += '0';
    return;
  }
  out.append(buf, r.ptr);
}

// A command with lengths in text heights (held within range).
void put_command(std::string& out, char code, std::initializer_list<double> args, int decimals) {
  out += code;
  for (double a : args) {
    out += ' ';
    put_number(out, held(a), decimals);
  }
  out += '\n';
}

enum class Tok { kEnd, kNumber, kLiteral, kName, kOpenArray, kCloseArray, kOpenProc, kCloseProc };

struct Token {
  Tok kind = Tok::kEnd;
  std::string_view text;
  double number = 0;
};

// PostScript tokens: white space and % comments between them; (strings) and <hex> are
// skipped whole.
class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  Token next() {
    for (;;) {
      while (i_ < s_.size() && is_space(s_[i_])) ++i_;
      if (i_ >= s_.size()) return {};
      const char c = s_[i_];
      if (c == '%') {
        while (i_ < s_.size() && s_[i_] != '\n' && s_[i_] != '\r') ++i_;
        continue;
      }
      if (c == '(') {
        skip_string();
        continue;
      }
      if (c == '<' || c == '>') {
        while (i_ < s_.size() && (s_[i_] == '<' || s_[i_] == '>')) ++i_;  // << >> and <hex>
        continue;
      }
      ++i_;
      switch (c) {
        case '[': return {Tok::kOpenArray, s_.substr(i_ - 1, 1)};
        case ']': return {Tok::kCloseArray, s_.substr(i_ - 1, 1)};
        case '{': return {Tok::kOpenProc, s_.substr(i_ - 1, 1)};
        case '}': return {Tok::kCloseProc, s_.substr(i_ - 1, 1)};
        default: break;
      }
      const std::size_t from = c == '/' ? i_ : i_ - 1;
      while (i_ < s_.size() && !is_space(s_[i_]) && !is_delimiter(s_[i_])) ++i_;
      const std::string_view word = s_.substr(from, i_ - from);
      if (c == '/') return {Tok::kLiteral, word};
      double v = 0;
      auto r = std::from_chars(word.data(), word.data() + word.size(), v);
      if (r.ec == std::errc() && r.ptr == word.data() + word.size() && std::isfinite(v))
        return {Tok::kNumber, word, v};
      return {Tok::kName, word};
    }
  }

 private:
  static bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\0';
  }
  static bool is_delimiter(char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
  }
  void skip_string() {
    int depth = 0;
    while (i_ < s_.size()) {
      const char c = s_[i_++];
      if (c == '\\') {
        ++i_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return;
      }
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

struct Glyphs {
  std::array<double, kCodes> width{};
  std::array<std::string, kCodes> path;
  std::array<bool, kCodes> has_path{};
  double sx = 0.001, sy = 0.001;  // text heights per font unit
};

// The numbers of an array, after its "[": all of them up to the "]".
std::vector<double> array_numbers(Lexer& lex) {
  std::vector<double> v;
  for (Token t = lex.next(); t.kind != Tok::kEnd && t.kind != Tok::kCloseArray; t = lex.next())
    if (t.kind == Tok::kNumber && v.size() < 64) v.push_back(t.number);
  return v;
}

// Interprets one procedure, after its "{", up to the matching "}".
void read_procedure(Lexer& lex, Glyphs& g, int code) {
  std::string& out = g.path[static_cast<std::size_t>(code - kFirst)];
  std::vector<double> stack;
  double cx = 0, cy = 0, sx = 0, sy = 0;  // current point and contour start, font units
  bool open = false;                      // a contour has been started
  bool damaged = false;
  int depth = 1;
  for (Token t = lex.next(); t.kind != Tok::kEnd; t = lex.next()) {
    if (t.kind == Tok::kOpenProc) ++depth;
    if (t.kind == Tok::kCloseProc && --depth == 0) break;
    if (damaged || depth > 1) continue;
    if (t.kind == Tok::kNumber) {
      if (stack.size() < 64) stack.push_back(t.number);
      continue;
    }
    if (t.kind != Tok::kName) {
      stack.clear();
      continue;
    }
    const std::string_view op = t.text;
    auto take = [&](std::size_t n, double* v) {
      if (stack.size() < n) return false;
      for (std::size_t k = 0; k < n; ++k) v[k] = stack[stack.size() - n + k];
      stack.resize(stack.size() - n);
      return true;
    };
    double v[6];
    const bool relative = op[0] == 'r';  // rmoveto, rlineto, rcurveto
    if (op == "moveto" || op == "rmoveto") {
      if (!take(2, v)) {
        damaged = true;
        continue;
      }
      if (relative) v[0] += cx, v[1] += cy;
      cx = sx = v[0];
      cy = sy = v[1];
      open = true;
      put_command(out, '1', {v[0] * g.sx, v[1] * g.sy}, 6);
    } else if (op == "lineto" || op == "rlineto") {
      if (!take(2, v) || !open) {
        damaged = true;
        continue;
      }
      if (relative) v[0] += cx, v[1] += cy;
      cx = v[0];
      cy = v[1];
      put_command(out, '2', {v[0] * g.sx, v[1] * g.sy}, 6);
    } else if (op == "curveto" || op == "rcurveto") {
      if (!take(6, v) || !open) {
        damaged = true;
        continue;
      }
      if (relative)
        for (int k = 0; k < 6; k += 2) v[k] += cx, v[k + 1] += cy;
      cx = v[4];
      cy = v[5];
      put_command(out, '4',
                  {v[0] * g.sx, v[1] * g.sy, v[2] * g.sx, v[3] * g.sy, v[4] * g.sx, v[5] * g.sy},
                  6);
    } else if (op == "closepath") {
      if (open) out += "6\n";
      cx = sx;
      cy = sy;
    } else if (op == "fill" || op == "eofill") {
      out += "5\n";
      open = false;
      stack.clear();
    } else {
      stack.clear();  // newpath, stroke, setlinewidth, def, ...: no path of their own
    }
  }
  g.has_path[static_cast<std::size_t>(code - kFirst)] = !out.empty();
}

}  // namespace

int latin1_code_of_glyph(std::string_view name) {
  if (name.empty()) return 0;
  if (name == "space") return 32;  // "nbspace" stands for 160 only
  for (int i = 0; i < kCodes; ++i)
    if (kLatin1Names[i] == name) return kFirst + i;
  return 0;
}

FontImportResult import_font_description(std::string_view description) {
  FontImportResult result;
  Glyphs g;
  enum class Section { kNone, kMetrics, kCharDefs } section = Section::kNone;
  bool have_chardefs = false;
  Lexer lex(description);
  for (Token t = lex.next(); t.kind != Tok::kEnd; t = lex.next()) {
    if (t.kind == Tok::kLiteral && t.text == "FontMatrix") {
      if (lex.next().kind != Tok::kOpenArray) continue;
      const std::vector<double> m = array_numbers(lex);
      if (m.size() >= 4 && m[0] != 0 && m[3] != 0 && std::fabs(m[0]) < 1e6 &&
          std::fabs(m[3]) < 1e6) {
        g.sx = m[0];
        g.sy = m[3];
      }
      continue;
    }
    if (t.kind == Tok::kLiteral && t.text == "Metrics") {
      section = Section::kMetrics;
      continue;
    }
    if (t.kind == Tok::kLiteral && t.text == "CharDefs") {
      section = Section::kCharDefs;
      have_chardefs = true;
      continue;
    }
    if (t.kind == Tok::kName && t.text == "end") {
      section = Section::kNone;
      continue;
    }
    if (t.kind != Tok::kLiteral || section == Section::kNone) continue;
    const int code = latin1_code_of_glyph(t.text);
    Token value = lex.next();
    if (section == Section::kMetrics) {
      double w = 0;
      bool have = false;
      if (value.kind == Tok::kNumber) {
        w = value.number;
        have = true;
      } else if (value.kind == Tok::kOpenArray) {
        const std::vector<double> a = array_numbers(lex);
        have = !a.empty();
        if (have) w = a.back();
      }
      if (have && code != 0) g.width[static_cast<std::size_t>(code - kFirst)] = w;
    } else if (value.kind == Tok::kOpenProc) {
      if (code != 0) {
        g.path[static_cast<std::size_t>(code - kFirst)].clear();
        read_procedure(lex, g, code);
      } else {
        Glyphs skipped;  // a glyph this encoding has no code for: read past it
        read_procedure(lex, skipped, kFirst);
      }
    }
  }
  if (!have_chardefs) {
    result.error = "no /CharDefs in the font description";
    return result;
  }
  std::string& out = result.font;
  for (int c = kFirst; c <= kLast; ++c) {
    const std::size_t i = static_cast<std::size_t>(c - kFirst);
    if (c == 127) {
      out += "1.00\n0\n";
      continue;
    }
    put_number(out, held(g.width[i] * g.sx), 6);
    out += '\n';
    out += g.path[i];
    out += "0\n";
    result.glyphs += g.has_path[i];
  }
  if (result.glyphs == 0) {
    result.font.clear();
    result.error = "no glyph paths in the font description";
  }
  return result;
}

std::string font_from_drawing(const Drawing& d, int layer) {
  struct Cell {
    std::string path;
    double width = -1;
    bool line_end = false;  // the last piece was a line ending at (ex, ey)
    double ex = 0, ey = 0;
  };
  std::array<Cell, kCodes> cells;
  auto locate = [&](double x, double y, double& ox, double& oy) -> int {
    if (!std::isfinite(x) || !std::isfinite(y)) return -1;
    const double col = std::floor(x / kFontCellSize), row = -std::floor(y / kFontCellSize);
    if (col < 0 || col >= kFontCellsPerRow || row < 0 || row >= 14) return -1;
    const int i = static_cast<int>(row) * kFontCellsPerRow + static_cast<int>(col);
    if (i >= kCodes) return -1;
    ox = col * kFontCellSize;
    oy = -row * kFontCellSize;
    return i;
  };
  for (const Element& e : d.store.list) {
    if (e.layer != layer) continue;
    double ox = 0, oy = 0;
    if (const Line* l = as<Line>(&e)) {
      const int i = locate(l->start.x, l->start.y, ox, oy);
      if (i < 0) continue;
      Cell& c = cells[static_cast<std::size_t>(i)];
      const double x1 = (l->start.x - ox) / kFontCellSize, y1 = (l->start.y - oy) / kFontCellSize;
      const double x2 = (l->end.x - ox) / kFontCellSize, y2 = (l->end.y - oy) / kFontCellSize;
      if (!std::isfinite(x2) || !std::isfinite(y2)) continue;
      if (!(c.line_end && c.ex == x1 && c.ey == y1)) put_command(c.path, '1', {x1, y1}, 2);
      put_command(c.path, '2', {x2, y2}, 2);
      c.line_end = true;
      c.ex = x2;
      c.ey = y2;
      c.width = std::max({c.width, x1, x2});
    } else if (const Circle* k = as<Circle>(&e)) {
      if (std::fabs(k->radius1 - k->radius2) > 1e-9 * std::fabs(k->radius1)) continue;
      const int i = locate(k->centre.x, k->centre.y, ox, oy);
      if (i < 0 || !std::isfinite(k->radius1) || !std::isfinite(k->sweep)) continue;
      Cell& c = cells[static_cast<std::size_t>(i)];
      const double x = (k->centre.x - ox) / kFontCellSize, y = (k->centre.y - oy) / kFontCellSize;
      const double r = k->radius1 / kFontCellSize;
      constexpr double kDeg = 180 / 3.141592653589793;
      double start = std::fmod((k->start_angle + k->axis_angle) * kDeg, 360.0);
      if (start < 0) start += 360;
      put_command(c.path, '3', {x, y, r}, 2);
      c.path.pop_back();  // the angles follow on the same line, in degrees
      c.path += ' ';
      put_number(c.path, start, 2);
      c.path += ' ';
      put_number(c.path, std::clamp(k->sweep * kDeg, -360.0, 360.0), 2);
      c.path += '\n';
      c.line_end = false;
      c.width = std::max(c.width, x + r);
    }
  }
  std::string out;
  for (const Cell& c : cells) {
    put_number(out, c.width < 0 ? 0.5 : held(c.width), 2);
    out += '\n';
    out += c.path;
    out += "0\n";
  }
  return out;
}

}  // namespace korav
