// Helpers of the vector export tests: a drawing with every element kind the program has, the
// fonts it is drawn with, and the outputs' real consumers (rsvg-convert, Ghostscript, qpdf,
// pdftoppm) started with an argument vector, their pictures read back.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "arch/rooms.h"
#include "draft/dimensions.h"
#include "files/drawing_file.h"
#include "files/stroke_font.h"
#include "files/symbols.h"
#include "draft/symbol_placing.h"
#include "model/drawing.h"
#include "model/font_table.h"
#include "tests/png_test_support.h"

namespace korav::export_test {

// The fonts of the source tree.
inline void load_fonts(FontTable& fonts) {
  install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
}

inline Text text_fields(double x, double y, const char* font, double height, int align = 0,
                        double angle = 0, int pen = 0) {
  Text t = make_element<Text>(0, pen, 0);
  t.pos = {x, y};
  t.font.set(font);
  t.height = height;
  t.width_factor = 1;
  t.line_spacing = 1.5;
  t.align = static_cast<std::uint8_t>(align);
  t.angle = angle;
  return t;
}

inline Pattern pattern_fields(int kind, int pen) {
  Pattern p = make_element<Pattern>(0, pen, 0);
  p.kind = static_cast<std::uint8_t>(kind);
  p.pen2 = static_cast<std::uint8_t>((pen + 1) % 8);
  p.spacing1 = 0.4;
  p.angle1 = 0.6;
  p.spacing2 = 0.5;
  p.angle2 = -0.6;
  p.offset = {0.1, 0.1};
  p.red = 0.2;
  p.green = 0.6;
  p.blue = 0.3;
  return p;
}

// Every element kind that is drawn in the plan: lines of every pen and several line types, a
// point-like line, circles, arcs (also clockwise and of exactly half a turn), ellipses (one
// turned, one open), splines, texts in several fonts and alignments (one of several lines, one
// turned, one of filled glyphs, one with brackets and a backslash), patterns of all four kinds
// (a filling with a hole), a dimension chain, a room, a symbol from the library, and a line
// drawn with the guide pen
// (which no output shows; the screen does).
inline void make_gallery(Drawing& d, bool guide_line = true) {
  ElementStore& s = d.store;
  for (int pen = 0; pen < 8; ++pen)
    create_line(s, 0, pen, pen % 6, 0, pen * 0.5, 6, pen * 0.5 + 0.3);
  create_line(s, 0, 4, 0, 7, 0, 7, 0);
  if (guide_line) create_line(s, 0, kGuidePen, 0, -30, -30, 60, 60);
  auto circle = [&](double x, double y, double a, double b, double sweep, double start,
                    double rot, int pen) {
    Circle c = make_element<Circle>(0, pen, 0);
    c.centre = {x, y};
    c.radius1 = a;
    c.radius2 = b;
    c.sweep = sweep;
    c.start_angle = start;
    c.axis_angle = rot;
    create(s, c);
  };
  constexpr double kPi = 3.141592653589793;
  circle(10, 2, 1.5, 1.5, 2 * kPi, 0, 0, 3);
  circle(14, 2, 1.5, 1.5, kPi / 2, 0.3, 0, 4);
  circle(18, 2, 1.5, 1.5, kPi, 0, 0, 5);
  circle(22, 2, 1.5, 1.5, -kPi / 3, 0, 0, 6);
  circle(10, 7, 2, 1, 2 * kPi, 0, 0, 2);
  circle(15, 7, 2, 1, 2 * kPi, 0, 0.5, 7);
  circle(20, 7, 2, 1, 1.5 * kPi, 0.2, 0.3, 1);
  Spline sp = make_element<Spline>(0, 3, 1);
  sp.p[0] = {0, 10};
  sp.p[1] = {2, 14};
  sp.p[2] = {4, 6};
  sp.p[3] = {6, 10};
  create(s, sp);
  create_text(s, text_fields(0, 16, "Simpel", 5), "Simpel (1) \\ back");
  create_text(s, text_fields(0, 20, "Rund", 4, 0, 0, 3), "Rund\nzweite Zeile");
  create_text(s, text_fields(14, 16, "Filled_1", 6, 1, 0, 2), "Filled");
  create_text(s, text_fields(20, 20, "Outline", 4, 2, 0.4, 6), "Gedreht");
  create_text(s, text_fields(8, 24, "SimpelProp", 3, 0, 0, 7), "Gr\xF6\xDF" "e");
  const Point2 square[] = {{30, 0}, {36, 0}, {36, 6}, {30, 6}, {999, 999}};
  create_pattern(s, pattern_fields(0, 1), square);
  const Point2 square2[] = {{38, 0}, {44, 0}, {44, 6}, {38, 6}, {999, 999}};
  create_pattern(s, pattern_fields(1, 2), square2);
  const Point2 square3[] = {{30, 8}, {36, 8}, {36, 14}, {30, 14}, {999, 999}};
  Pattern points = pattern_fields(2, 4);
  points.spacing1 = 0.8;
  create_pattern(s, points, square3);
  const Point2 holed[] = {{38, 8}, {44, 8},  {44, 14}, {38, 14}, {999, 999},
                          {40, 10}, {42, 10}, {42, 12}, {40, 12}, {999, 999}};
  create_pattern(s, pattern_fields(3, 0), holed);
  // A dimension chain below the lines, and a room with its inscription.
  std::vector<DimPoint> chain;
  for (double x : {0.0, 2.5, 6.0}) chain.push_back(chain_point(d.settings, {x, 0}, {0, -3}, 0));
  normalise_chain(chain, 0);
  add_dimension(d, new_dimension_fields(d, DimPreset{}, 0, 0), chain);
  add_room(d, new_room_fields(d, RoomPreset{}, TextPreset{}, 3, {47, 3}),
           {{46, 0}, {52, 0}, {52, 6}, {46, 6}, {999, 999}});
  // A symbol of the library, placed as the symbol tools place it.
  const SymbolRead read =
      read_symbol_file(std::string(KORAV_SOURCE_DIR) + "/dat/sym/north_arrow.sym", d);
  if (read.status == SymbolRead::Status::kRead && read.elements > 0)
    place_symbol(d, read.elements, 0, Vec3{26, 12, 0}, SymbolGroups::kOneGroup, kPlacingLayer);
}

inline void mark_all(Drawing& d) {
  for (Element& e : d.store.list) e.selected = 1;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Whether `name` is a program on the PATH.
inline bool have_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t from = 0;
  while (from <= dirs.size()) {
    std::size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    const std::string file = dirs.substr(from, to - from) + "/" + name;
    if (access(file.c_str(), X_OK) == 0) return true;
    from = to + 1;
  }
  return false;
}

struct Run {
  int status = -1;
  std::string out, err;
};

// Runs argv[0] with the arguments (no shell), standard output and error collected in files of
// `dir`; `env` entries ("NAME=value") are added to the environment; standard input is the file
// `input` when given.
inline Run run_program(const std::vector<std::string>& argv, const std::string& dir,
                       const std::vector<std::string>& env = {}, const std::string& input = "") {
  const std::string out = dir + "/run.out", err = dir + "/run.err";
  Run r;
  const pid_t pid = fork();
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0) _exit(126);
    if (!input.empty()) {
      const int i = open(input.c_str(), O_RDONLY);
      if (i < 0) _exit(126);
      dup2(i, 0);
    }
    dup2(o, 1);
    dup2(e, 2);
    for (const std::string& v : env) putenv(const_cast<char*>(v.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int st = 0;
  if (pid > 0 && waitpid(pid, &st, 0) == pid && WIFEXITED(st)) r.status = WEXITSTATUS(st);
  r.out = read_file(out);
  r.err = read_file(err);
  return r;
}

// Which cells of a grid laid over the ink's box hold ink: where the ink lies, whatever the
// widths of the strokes.
struct InkGrid {
  static constexpr int kCells = 12;
  bool cell[kCells][kCells] = {};
};

// The share of cells in which two grids agree.
inline double agreement(const InkGrid& a, const InkGrid& b) {
  int same = 0;
  for (int i = 0; i < InkGrid::kCells; ++i)
    for (int j = 0; j < InkGrid::kCells; ++j) same += a.cell[i][j] == b.cell[i][j];
  return same / double(InkGrid::kCells * InkGrid::kCells);
}

// Where the ink of a picture lies: its box and the mean position of its pixels, both as
// fractions of the box (0 left/top, 1 right/bottom). Ink is every pixel that differs from the
// background colour given.
struct Ink {
  int pixels = 0;
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // the box, pixels
  double cx = 0, cy = 0;                 // the mean, as fractions of the box
  InkGrid grid;
  double aspect() const { return double(x1 - x0 + 1) / double(y1 - y0 + 1); }
};

inline Ink ink_of(const Png& png, std::uint32_t background) {
  Ink k;
  k.x0 = png.width;
  k.y0 = png.height;
  double sx = 0, sy = 0;
  for (int y = 0; y < png.height; ++y)
    for (int x = 0; x < png.width; ++x) {
      if (png.at(x, y) == background) continue;
      ++k.pixels;
      sx += x;
      sy += y;
      k.x0 = std::min(k.x0, x);
      k.x1 = std::max(k.x1, x);
      k.y0 = std::min(k.y0, y);
      k.y1 = std::max(k.y1, y);
    }
  if (k.pixels > 0) {
    const int w = k.x1 - k.x0 + 1, h = k.y1 - k.y0 + 1;
    for (int y = k.y0; y <= k.y1; ++y)
      for (int x = k.x0; x <= k.x1; ++x)
        if (png.at(x, y) != background)
          k.grid.cell[(y - k.y0) * InkGrid::kCells / h][(x - k.x0) * InkGrid::kCells / w] = true;
    k.cx = (sx / k.pixels - k.x0) / std::max(1, k.x1 - k.x0);
    k.cy = (sy / k.pixels - k.y0) / std::max(1, k.y1 - k.y0);
  }
  return k;
}

}  // namespace korav::export_test
