// DXF export (ASCII, release AC1009). In the 2D modes the element renderer runs over the marked
// elements while its operations write entities: lines as LINE, circles and arcs as CIRCLE and
// ARC (ellipses and splines as chains of LINEs), texts as one TEXT a line, chains of
// dimensions as one DIMENSION a segment (the other kinds as their lines and texts), pattern
// boundaries as closed POLYLINEs and hatches as LINEs. The 3D modes write every marked 3D object
// and every marked wall (its body with the openings cut through) as triangles (3DFACE). Layers
// are named after the pens ("101" to "108"), colours pen + 7, line types by their names.
// Nothing drawn with the guide pen is written.
#pragma once

#include <string>

#include "files/safe_write.h"

namespace korav {

struct Drawing;
struct FontTable;

// The options of the dialog "Export DXF...".
struct DxfExportOptions {
  int objects = 0;  // "Objects": 0 selected, 1 visible, 2 all
  int mode = 0;     // "Mode": 0 "2D", 1 "2D Entities only", 2 "3D", 3 "3D Entities only"
  int scale = 0;    // "Scale": 0 m, 1 cm, 2 mm, 3 inch, 4 feet
};

// The unit multiplier of a "Scale" index (m when out of range).
double dxf_unit_multiplier(int scale);

// The file for the marked elements (selection flags), texts measured in the fonts of `fonts`.
std::string dxf_document(const Drawing& d, FontTable* fonts, const DxfExportOptions& options);

// Writes the document to `path` safely.
WriteStatus export_dxf(const Drawing& d, FontTable* fonts, const DxfExportOptions& options,
                       const std::string& path);

}  // namespace korav
