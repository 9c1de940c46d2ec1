// DXF import: an ASCII DXF file's geometry added to the drawing as ordinary elements. Lines
// (2D or 3D), points, circles, arcs, ellipses, texts and multi-line texts, 3D faces and
// polyface and polygon meshes (as 3D objects), solids and hatches (as patterns), light-weight
// and old-style polylines (lines and arcs from their bulges), splines (chains of lines) and
// linear and angular dimensions; blocks are expanded where they are inserted and leave nothing
// of their own. The layers of the file go onto the current layer or onto layers of their own.
//
// The file is read pair by pair, a group code line and a value line each; a line ends at LF,
// at CR (which takes the character after it along), at the end of the file or after 255 bytes.
// Damage never stops the program: what was read before it stays, problems are reported in the
// import's report (the lines the program prints on standard output).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "model/drawing.h"

namespace korav {

inline constexpr std::string_view kMsgNoEntities =
    "The ENTITIES section is missing.. file is corrupt!";

struct DxfImportOptions {
  int scale = 0;       // "Scale": 0 m, 1 cm, 2 mm, 3 inch, 4 feet (the DXF unit)
  int line_mode = 0;   // "DXF Line mode": 0 "Import 2D lines", 1 "Import 3D lines"
  int layer_mode = 0;  // "DXF Layer mode": 0 "Join dxf layers", 1 "Keep dxf layers"
};

// The counters of the report, in its order.
enum DxfCounter : int {
  kDxfLine, kDxfPoint, kDxf3DLine, kDxfCircle, kDxfEllipse, kDxfArc, kDxfText, kDxfMText,
  kDxf3DFace, kDxfSolid, kDxfDimension, kDxfLwPolyline, kDxf2DPolyline, kDxf3DPolyline,
  kDxf3DPolyface, kDxf3DPolymesh, kDxfBlock, kDxfInsert, kDxfVertex, kDxfFitVertex, kDxfHatch,
  kDxfCounterCount
};

struct DxfImportResult {
  bool imported = false;  // false: nothing was added (`error` says why, when there is a reason)
  std::string error;
  int created = 0;  // elements added
  std::array<int, kDxfCounterCount> counts{};
  bool have_extents = false;  // the header's $EXTMIN and $EXTMAX, in metres
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  std::string report;  // the lines for standard output, counters last
};

// Called now and then during an import with the part of the file read so far (0..1).
using DxfProgress = std::function<void(double fraction)>;

// Adds the file's elements to the drawing, recorded as one undo step (created).
DxfImportResult import_dxf(Drawing& d, std::string_view file, const DxfImportOptions& options,
                           const DxfProgress& progress = {});

}  // namespace korav
