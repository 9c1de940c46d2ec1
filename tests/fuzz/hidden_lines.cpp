// Fuzz target for the hidden-line drawing of whatever 3D objects a drawing file brings: any
// bytes that load must give finite lines in every view without a fault, and the grid search
// must give the same lines as the sorted walk.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/chunk.h"
#include "files/drawing_file.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "three_d/hidden_lines.h"

namespace {

bool same(const korav::HlrResult& a, const korav::HlrResult& b) {
  if (a.lines.size() != b.lines.size() || a.joins != b.joins) return false;
  for (std::size_t i = 0; i < a.lines.size(); ++i) {
    const korav::HlrLine& p = a.lines[i];
    const korav::HlrLine& q = b.lines[i];
    if (p.x1 != q.x1 || p.y1 != q.y1 || p.x2 != q.x2 || p.y2 != q.y2 || p.pen != q.pen ||
        p.line_type != q.line_type)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  korav::Drawing d;
  korav::Reader r(input);
  if (korav::read_header(r) == 0) return 0;
  korav::read_chunks(r, d, 0);

  // The sorted walk is quadratic: large meshes only go through the grid.
  std::size_t faces = 0;
  for (const korav::Element& e : d.store.list)
    if (const auto* o = korav::as<korav::Object3D>(&e)) faces += o->face_count;
  const bool compare = faces <= 3000;

  const std::uint8_t flags = size > 0 ? data[size - 1] : 0;
  korav::HlrOptions options;
  options.hidden_edges = flags & 1;
  options.smoothing = (flags >> 1) & 1;
  options.silhouettes = (flags >> 2) & 1;
  options.colors = (flags >> 3) & 1;
  for (int view = 0; view <= 9; ++view) {
    const korav::Projector projector{view, d.camera};
    const korav::HlrResult grid = korav::hidden_lines(d.store, d.layers, d.current_layer,
                                                      projector, options);
    for (const korav::HlrLine& l : grid.lines)
      if (!std::isfinite(l.x1) || !std::isfinite(l.y1) || !std::isfinite(l.x2) ||
          !std::isfinite(l.y2))
        std::abort();
    if (compare && !same(grid, korav::hidden_lines(d.store, d.layers, d.current_layer, projector,
                                                   options, {}, korav::HlrSearch::kSortedWalk)))
      std::abort();
  }
  return 0;
}
