// PostScript: the printed page (a paper frame placed on the drawing, at the print scale) and the
// EPS export (the marked elements at the drawing's paper scale, bounding box fitted to them).
// Both share one prolog: short procedure names for the drawing operators, one procedure for
// each line type ("lt1" to "lt8") and each pen ("sp1" to "sp8"). Every stroked primitive is
// written with its pen and line type procedures before it; nothing drawn with the guide pen is
// written.
#pragma once

#include <string>

#include "exchange/print_setup.h"
#include "files/safe_write.h"

namespace korav {

struct Drawing;
struct FontTable;

// The paper size in points, rounded.
int paper_points(double centimetres);

// The printed page of the marked elements with the frame's lower-left corner at (x, y).
// Landscape turns the drawing by a quarter turn onto the upright paper.
std::string print_document(const Drawing& d, FontTable* fonts, const PrintSetup& setup, double x,
                           double y);
WriteStatus print_to_file(const Drawing& d, FontTable* fonts, const PrintSetup& setup, double x,
                          double y, const std::string& path);

// The EPS document of the marked elements; `texts_as_text` writes texts as PostScript text in
// Helvetica (editable later) instead of strokes; `title` is the %%Title line's text.
std::string eps_document(const Drawing& d, FontTable* fonts, bool texts_as_text,
                         const std::string& title);
WriteStatus export_eps(const Drawing& d, FontTable* fonts, bool texts_as_text,
                       const std::string& path);

}  // namespace korav
