// The print setup as the printed page uses it: the paper, its margins, the print scale, the
// orientation and whether pens print in colour, taken from the settings and made safe to compute
// with. The PostScript page and the page printed through the window's print dialog share it.
#pragma once

namespace korav {

struct PrintOptions;

struct PrintSetup {
  double paper_width = 21.0;   // cm
  double paper_height = 29.7;  // cm
  double scale = 100;          // print scale denominator
  bool landscape = false;
  bool colour = true;  // off: every pen prints black
  // The paper's unprintable edges, cm.
  double margin_top = 0, margin_left = 0, margin_right = 0, margin_bottom = 0;
};

// The settings' print options; sizes and a scale that are not positive and finite give the
// defaults, margins that are not give none.
PrintSetup print_setup_of(const PrintOptions& o);

// The paper frame on the drawing in metres: paper size x print scale / 100, width and height
// exchanged in landscape.
void print_frame_size(const PrintSetup& p, double& width, double& height);

}  // namespace korav
