// GTS (GNU Triangulated Surface) text files: one surface of vertices, edges and triangles.
// The export writes the chosen 3D content as one surface; the import reads one into a 3D object
// of triangles, merging repeated points and dropping what does not form a triangle. The same
// files carry the operands and results of the boolean operations.
#pragma once

#include <string>
#include <string_view>

#include "exchange/mesh_triangles.h"
#include "files/safe_write.h"

namespace korav {

inline constexpr std::string_view kMsgGtsEmpty = "GTS file is empty";
inline constexpr std::string_view kMsgGtsFailed = "Loading .gts file failed";

// The file text: "<vertices> <edges> <triangles> GtsSurface GtsFace GtsEdge GtsVertex", the
// vertices ("%.15f" each), the edges (two 1-based vertex numbers, each undirected edge once)
// and the triangles (three 1-based edge numbers). A triangle (a, b, c) lists its edges as
// (c, b), (b, a), (a, c).
std::string gts_text(const TriangleMesh& t);
WriteStatus write_gts(const TriangleMesh& t, const std::string& path);

struct GtsImport {
  bool ok = false;
  std::string_view error;  // kMsgGtsEmpty or kMsgGtsFailed when not ok
  TriangleMesh mesh;
  int points_read = 0, edges_read = 0, triangles_read = 0;
  int duplicates = 0, degenerate = 0, unused = 0;
  std::string stats;  // the "STATS:" lines for standard output
};

// Reads a whole file's text. `reversed` turns every triangle round (for a part that must face
// the other way). A damaged file (a header that does not parse, counts beyond what the file can
// hold, a number that does not parse, an index out of range, a file cut short) is not read.
GtsImport read_gts(std::string_view text, bool reversed = false);

// The same for a file on disk; a file that cannot be opened is kMsgGtsFailed.
GtsImport read_gts_file(const std::string& path, bool reversed = false);

}  // namespace korav
