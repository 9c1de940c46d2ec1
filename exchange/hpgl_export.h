// HPGL and HPGL/2 plotting: the marked elements inside a paper frame as a plotter file. Like the
// other vector outputs it is a renderer back end; lines, circles and circular arcs and (HPGL/2)
// solid fillings become plotter instructions, everything else arrives as lines. The output is
// sorted by pen: the renderer runs once for each pen 1 to 8 and writes only that pen's
// primitives, so that a plotter changes pens eight times at most. Nothing drawn with the guide
// pen is plotted.
//
// Coordinates: the frame's centre (cx, cy) is the reference; a point's offset from it is turned
// a quarter turn to the left in landscape (X = -dy, Y = dx), moved by half the paper for the
// origin "Bottom left", and counted in plotter units of `resolution` centimetres on paper at the
// plot scale, truncated towards zero.
//
// HPGL/2 carries a pen table of 256 entries (PC colour, PW width): entry 0 is white, 1 to 8 the
// drawing's pens (black for "HPGL/2 mono" and with "Show all colored black"), and from 9 on one
// entry for each distinct colour of a filling (pattern kind 3) on the current or a shown layer,
// 0.1 mm wide. Colours count as distinct by their values 0-255 as written. When more colours
// are used than entries are left (247), a filling of a colour without its own entry is filled
// with the entry of the nearest colour (least sum of squared differences of the three values,
// the lower entry on a tie); entries not used are black. "HPGL/2 mono" writes every entry's
// colour as its grey (r + g + b) / 3.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/safe_write.h"

namespace korav {

struct Drawing;
struct FontTable;
struct PlotOptions;

enum PlotterType : int { kPlotHpgl = 0, kPlotHpgl2Mono = 1, kPlotHpgl2Colour = 2 };

struct PlotSetup {
  int type = kPlotHpgl;
  double paper_width = 21.0;   // cm
  double paper_height = 29.7;  // cm
  double resolution = 0.0025;  // cm a plotter unit
  double scale = 100;          // plot scale denominator
  bool centre_origin = false;  // origin "Center"; else "Bottom left"
  bool landscape = false;
  std::string start, end;  // written before and after the drawing
};

// The settings' plot options; sizes, resolution and scale that are not positive and finite give
// the defaults, an unknown plotter type plain HPGL.
PlotSetup plot_setup_of(const PlotOptions& o);

// The paper frame on the drawing in metres: paper size x plot scale / 100, width and height
// exchanged in landscape.
void plot_frame_size(const PlotSetup& p, double& width, double& height);

// Plotter units are held within +-2^30 (the range of HPGL/2 coordinates).
inline constexpr std::int64_t kPlotterLimit = (std::int64_t{1} << 30) - 1;

struct PlotterPoint {
  std::int64_t x = 0, y = 0;
  bool operator==(const PlotterPoint&) const = default;
};
// A point of the drawing for the frame centred on (cx, cy).
PlotterPoint plotter_point(const PlotSetup& p, double cx, double cy, double x, double y);
// A length of the drawing (metres) in plotter units, truncated.
std::int64_t plotter_length(const PlotSetup& p, double metres);

inline constexpr int kHpglPenEntries = 256;
inline constexpr int kFirstFillEntry = 9;

struct HpglPen {
  double red = 0, green = 0, blue = 0;  // 0-1
  double width = 0;                     // mm on paper at the drawing scale
};

struct HpglPenTable {
  std::array<HpglPen, kHpglPenEntries> entry{};
  int used = kFirstFillEntry;  // entries 0 to used - 1 are in use
  // The entry a filling of this colour is filled with.
  int fill_entry(double red, double green, double blue) const;
};

HpglPenTable hpgl_pen_table(const Drawing& d, const PlotSetup& p);

// The plot of the marked elements for the frame centred on (cx, cy).
std::string plot_document(const Drawing& d, FontTable* fonts, const PlotSetup& p, double cx,
                          double cy);
WriteStatus plot_to_file(const Drawing& d, FontTable* fonts, const PlotSetup& p, double cx,
                         double cy, const std::string& path);

}  // namespace korav
