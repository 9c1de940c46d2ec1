#include "arch/wall_index.h"

#include <algorithm>
#include <cmath>

namespace korav {

BoxGrid::BoxGrid(std::span<const PlanBox> boxes) : boxes_(boxes), seen_(boxes.size(), 0) {
  if (boxes.empty()) {
    cell_start_.assign(2, 0);
    return;
  }
  double x1 = boxes[0].x1, y1 = boxes[0].y1, extent = 0;
  x0_ = boxes[0].x0;
  y0_ = boxes[0].y0;
  for (const PlanBox& b : boxes) {
    x0_ = std::min(x0_, b.x0);
    y0_ = std::min(y0_, b.y0);
    x1 = std::max(x1, b.x1);
    y1 = std::max(y1, b.y1);
    extent += std::max(b.x1 - b.x0, b.y1 - b.y0);
  }
  const double n = static_cast<double>(boxes.size());
  const double w = x1 - x0_, h = y1 - y0_;
  // About one mean box per cell, but no finer than four cells per box over the whole area.
  cell_ = std::max({extent / n, std::sqrt(w * h / (4 * n)), 1e-6});
  if (!std::isfinite(cell_)) cell_ = std::max(w, h) + 1;
  nx_ = std::clamp(static_cast<int>(w / cell_) + 1, 1, 1 << 14);
  ny_ = std::clamp(static_cast<int>(h / cell_) + 1, 1, 1 << 14);
  const std::size_t cells = static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_);

  cell_start_.assign(cells + 1, 0);
  for (const PlanBox& b : boxes)
    for (int cy = cell_y(b.y0); cy <= cell_y(b.y1); ++cy)
      for (int cx = cell_x(b.x0); cx <= cell_x(b.x1); ++cx)
        ++cell_start_[static_cast<std::size_t>(cy) * nx_ + cx + 1];
  for (std::size_t c = 0; c < cells; ++c) cell_start_[c + 1] += cell_start_[c];
  items_.resize(cell_start_[cells]);
  std::vector<std::uint32_t> fill(cell_start_.begin(), cell_start_.end() - 1);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const PlanBox& b = boxes[i];
    for (int cy = cell_y(b.y0); cy <= cell_y(b.y1); ++cy)
      for (int cx = cell_x(b.x0); cx <= cell_x(b.x1); ++cx)
        items_[fill[static_cast<std::size_t>(cy) * nx_ + cx]++] = static_cast<std::uint32_t>(i);
  }
}

int BoxGrid::cell_x(double x) const {
  const double c = std::floor((x - x0_) / cell_);
  return c < 0 ? 0 : c >= nx_ ? nx_ - 1 : static_cast<int>(c);
}

int BoxGrid::cell_y(double y) const {
  const double c = std::floor((y - y0_) / cell_);
  return c < 0 ? 0 : c >= ny_ ? ny_ - 1 : static_cast<int>(c);
}

void BoxGrid::collect(std::size_t i) {
  found_.clear();
  if (i >= boxes_.size()) return;
  if (++query_ == 0) {  // the stamps wrapped: start them afresh
    std::fill(seen_.begin(), seen_.end(), 0);
    query_ = 1;
  }
  seen_[i] = query_;
  const PlanBox& b = boxes_[i];
  for (int cy = cell_y(b.y0); cy <= cell_y(b.y1); ++cy)
    for (int cx = cell_x(b.x0); cx <= cell_x(b.x1); ++cx) {
      const std::size_t c = static_cast<std::size_t>(cy) * nx_ + cx;
      for (std::uint32_t k = cell_start_[c]; k < cell_start_[c + 1]; ++k) {
        const std::uint32_t j = items_[k];
        if (seen_[j] == query_) continue;
        seen_[j] = query_;
        if (b.overlaps(boxes_[j])) found_.push_back(j);
      }
    }
  std::sort(found_.begin(), found_.end());
}

}  // namespace korav
