// Pens and line types: elements store only a pen number and a line type number that index
// these tables. The tables travel with every drawing and settings file.
#pragma once

#include <array>

#include "model/element.h"

namespace korav {

struct Pen {
  FixedName<80> name;
  double thickness = 0;  // mm on paper
  double red = 0, green = 0, blue = 0;
};

struct LineType {
  FixedName<80> name;
  double pattern_length = 0;  // mm on paper; sum of the used sections
  std::uint8_t sections = 0;  // 0 (continuous) to 3
  double line[3] = {0, 0, 0};
  double space[3] = {0, 0, 0};
};

struct Rgb {
  double red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr int kPenCount = 8;
inline constexpr int kLineTypeCount = 8;

using PenTable = std::array<Pen, kPenCount>;
using LineTypeTable = std::array<LineType, kLineTypeCount>;

struct DisplayColours {
  Rgb background{0.55, 0.6, 0.65};
  Rgb active{1, 1, 1};
  Rgb guide{1, 0, 1};
};

PenTable default_pens();
LineTypeTable default_line_types();

// Pattern length from the used sections only.
double pattern_length(const LineType& lt);

}  // namespace korav
