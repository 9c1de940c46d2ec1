// PDF export: the marked elements at the drawing's paper scale as a one-page PDF 1.3 file with
// one deflate-compressed content stream. The renderer's line, arc, Bezier and fill operations
// (and, when asked, its text operation) write PDF path and text operators into a text buffer
// that is compressed as it fills; the cross-reference table holds the exact byte offsets of the
// nine objects. Texts are either strokes (as drawn on the screen) or PDF text in Helvetica.
#pragma once

#include <string>

#include "files/safe_write.h"

namespace korav {

struct Drawing;
struct FontTable;

// The file's bytes for the marked elements.
std::string pdf_document(const Drawing& d, FontTable* fonts, bool texts_as_text);
WriteStatus export_pdf(const Drawing& d, FontTable* fonts, bool texts_as_text,
                       const std::string& path);

// The content stream of a file pdf_document made, inflated; empty when the file has none that
// inflates (for the tests and diagnostics).
std::string pdf_content(const std::string& file);

}  // namespace korav
