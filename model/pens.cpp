#include "model/pens.h"

namespace korav {

PenTable default_pens() {
  struct Row {
    const char* name;
    double t, r, g, b;
  };
  static constexpr Row rows[kPenCount] = {
      {"P1", 0.13, 0, 0, 0},         {"P2", 0.18, 0.9, 0.8, 0.1},  {"P3", 0.25, 0.53, 0.06, 0.06},
      {"P4", 0.35, 0.06, 0.06, 0.8}, {"P5", 0.5, 0, 0, 0},         {"P6", 0.7, 0.9, 0.8, 0.1},
      {"P7", 1.0, 0.53, 0.06, 0.06}, {"P8", 1.5, 0.06, 0.06, 0.8},
  };
  PenTable pens{};
  for (int i = 0; i < kPenCount; ++i) {
    pens[i].name.set(rows[i].name);
    pens[i].thickness = rows[i].t;
    pens[i].red = rows[i].r;
    pens[i].green = rows[i].g;
    pens[i].blue = rows[i].b;
  }
  return pens;
}

LineTypeTable default_line_types() {
  struct Row {
    const char* name;
    int sections;
    double l[3], s[3];
  };
  static constexpr Row rows[kLineTypeCount] = {
      {"CONTINUOUS", 0, {0, 0, 0}, {0, 0, 0}},
      {"SHORTDASH", 1, {2.5, 0, 0}, {1.5, 0, 0}},
      {"KRVLONGDASH", 1, {4.0, 0, 0}, {1.5, 0, 0}},
      {"DASHDOT", 2, {3.9, 0.1, 0}, {1.5, 1.5, 0}},
      {"DOT", 1, {0.1, 0, 0}, {1.0, 0, 0}},
      {"DASHDASHDOT", 3, {3.9, 0.1, 0.1}, {1.5, 1.5, 1.5}},
      {"CONTINUOUS", 0, {0, 0, 0}, {0, 0, 0}},
      {"CONTINUOUS", 0, {0, 0, 0}, {0, 0, 0}},
  };
  LineTypeTable types{};
  for (int i = 0; i < kLineTypeCount; ++i) {
    types[i].name.set(rows[i].name);
    types[i].sections = static_cast<std::uint8_t>(rows[i].sections);
    for (int k = 0; k < 3; ++k) {
      types[i].line[k] = rows[i].l[k];
      types[i].space[k] = rows[i].s[k];
    }
    types[i].pattern_length = pattern_length(types[i]);
  }
  return types;
}

double pattern_length(const LineType& lt) {
  double len = 0;
  for (int k = 0; k < lt.sections && k < 3; ++k) len += lt.line[k] + lt.space[k];
  return len;
}

}  // namespace korav
