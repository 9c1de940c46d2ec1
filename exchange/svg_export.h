// SVG export: the marked elements drawn at the drawing's paper scale as an SVG 1.0 document,
// one user unit a pixel at 90 an inch. The element renderer runs over the marked elements while
// its line, Bezier, arc and fill operations write SVG elements; texts, hatches and dimensions
// arrive as lines. Nothing drawn with the guide pen is written.
#pragma once

#include <string>

#include "files/safe_write.h"

namespace korav {

struct Drawing;
struct FontTable;

// The document for the marked elements, texts in the fonts of `fonts`.
std::string svg_document(const Drawing& d, FontTable* fonts);

// Writes the document to `path` safely (a failure leaves an existing file as it was).
WriteStatus export_svg(const Drawing& d, FontTable* fonts, const std::string& path);

}  // namespace korav
