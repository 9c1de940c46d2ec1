// A uniform grid over axis-parallel boxes, for finding the walls that may meet without testing
// every pair: each box is entered in every cell it covers, and the boxes near one box are
// those of its cells whose boxes overlap it. Built once over all boxes in three flat arrays
// (no per-cell allocation); the cell size follows the boxes' mean extent, and the grid never
// has more cells than about four per box.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korav {

struct PlanBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool overlaps(const PlanBox& o) const {
    return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1;
  }
};

class BoxGrid {
 public:
  explicit BoxGrid(std::span<const PlanBox> boxes);

  // Calls f(j) once for every box j != i that overlaps box i, in increasing j.
  template <class F>
  void for_each_overlapping(std::size_t i, F&& f) {
    collect(i);
    for (std::uint32_t j : found_) f(static_cast<std::size_t>(j));
  }

 private:
  void collect(std::size_t i);
  int cell_x(double x) const;
  int cell_y(double y) const;

  std::span<const PlanBox> boxes_;
  double x0_ = 0, y0_ = 0, cell_ = 1;
  int nx_ = 1, ny_ = 1;
  std::vector<std::uint32_t> cell_start_;  // nx * ny + 1 offsets into items_
  std::vector<std::uint32_t> items_;       // box numbers, cell by cell
  std::vector<std::uint32_t> seen_;        // per box: the query that last found it
  std::uint32_t query_ = 0;
  std::vector<std::uint32_t> found_;
};

}  // namespace korav
