#include "model/spatial_index.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace korav {

namespace {

// Float boxes rounded outwards, so that a box test on them never misses what the exact box has.
float to_float(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);  // NaN stays NaN
}
// The neighbouring float below (above) f, by its bits (f not NaN).
float step_down(float f) {
  if (f == -std::numeric_limits<float>::infinity()) return f;
  if (f == 0) return -std::numeric_limits<float>::denorm_min();
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  u = f > 0 ? u - 1 : u + 1;
  std::memcpy(&f, &u, sizeof u);
  return f;
}
float step_up(float f) { return -step_down(-f); }

float down(double v) {
  float f = to_float(v);
  if (static_cast<double>(f) > v) f = step_down(f);
  return f;
}
float up(double v) {
  float f = to_float(v);
  if (static_cast<double>(f) < v) f = step_up(f);
  return f;
}

bool same_scale(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

constexpr std::size_t kMaxCells = std::size_t{1} << 22;
constexpr int kMaxCellsPerEntry = 64;  // larger entries are tested on every search

}  // namespace

void index_mismatch(const char* search) {
  std::fprintf(stderr, "korav: the spatial index and the store disagree (%s)\n", search);
  std::abort();
}

void SpatialIndex::set_text_extent(TextExtentFn fn, const void* tag) {
  text_extent_ = std::move(fn);
  tag_ = tag;
  reset();
}

void SpatialIndex::reset() {
  built_ = false;
  store_ = nullptr;
  last_ = nullptr;
  entries_.clear();
  draw_always_.clear();
  cell_start_.clear();
  cell_items_.clear();
  loose_.clear();
  nx_ = ny_ = 0;
  drawn_union_ = {0, 0, 0, 0};
  drawn_any_ = false;
}

void SpatialIndex::widen(const Entry& x) {
  if (!(x.flags & kDrawnBounded)) return;
  if (!drawn_any_) {
    drawn_union_ = x.drawn;
    drawn_any_ = true;
    return;
  }
  drawn_union_.x1 = std::min(drawn_union_.x1, x.drawn.x1);
  drawn_union_.y1 = std::min(drawn_union_.y1, x.drawn.y1);
  drawn_union_.x2 = std::max(drawn_union_.x2, x.drawn.x2);
  drawn_union_.y2 = std::max(drawn_union_.y2, x.drawn.y2);
}

bool SpatialIndex::drawn_within(const Box& b) const {
  if (!drawn_any_) return true;
  return drawn_union_.x1 >= b.x1 && drawn_union_.x2 <= b.x2 && drawn_union_.y1 >= b.y1 &&
         drawn_union_.y2 <= b.y2;
}

SpatialIndex::Entry SpatialIndex::make_entry(Element* e) const {
  const ElementBox b = element_box(*e, text_extent_, scale_);
  Entry x{e, {0, 0, 0, 0}, {0, 0, 0, 0}, 0};
  if (b.bounded) {
    x.query = {down(b.query.x1), down(b.query.y1), up(b.query.x2), up(b.query.y2)};
    x.flags |= kBounded;
    if (b.drawn_bounded) {
      x.drawn = {down(b.drawn.x1), down(b.drawn.y1), up(b.drawn.x2), up(b.drawn.y2)};
      x.flags |= kDrawnBounded;
    }
  }
  return x;
}

void SpatialIndex::seen(const ElementStore& s) {
  revision_ = s.list.revision();
  removals_ = s.list.removals();
  edits_ = s.edits;
  last_ = s.tail();
}

void SpatialIndex::build(const ElementStore& s) {
  reset();
  ++builds_;
  built_ = true;
  store_ = &s;
  entries_.reserve(s.size());
  for (Element* e = s.head(); e; e = e->next) {
    e->index_slot = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back(make_entry(e));
    widen(entries_.back());
  }
  seen(s);
  bin_all();
}

void SpatialIndex::append(Element* e) {
  e->index_slot = static_cast<std::uint32_t>(entries_.size());
  Entry x = make_entry(e);
  x.flags |= kLoose;
  widen(x);
  loose_.push_back(static_cast<std::uint32_t>(entries_.size()));
  entries_.push_back(x);
}

void SpatialIndex::revalidate(const ElementStore& s) {
  // The records that are still there kept their order and are found through their slots; a
  // slot counts only when its entry holds that very record and it comes after the last one
  // found, so that entry order stays store order. Everything else is added at the end.
  const std::size_t n = entries_.size();
  alive_.assign(n, 0);
  std::size_t last = 0;
  bool any = false;
  for (Element* e = s.head(); e; e = e->next) {
    __builtin_prefetch(e->next);
    const std::uint32_t k = e->index_slot;
    if (k < n && entries_[k].e == e && (!any || k > last)) {
      alive_[k] = 1;
      last = k;
      any = true;
      Entry x = make_entry(e);
      Entry& old = entries_[k];
      const bool same =
          (x.flags & (kBounded | kDrawnBounded)) == (old.flags & (kBounded | kDrawnBounded)) &&
          std::memcmp(&x.query, &old.query, sizeof x.query) == 0 &&
          std::memcmp(&x.drawn, &old.drawn, sizeof x.drawn) == 0;
      if (same) continue;
      // Moved: out of its cells (it may still be listed there; the box test drops it).
      x.flags |= kLoose;
      widen(x);
      if (!(old.flags & kLoose)) loose_.push_back(k);
      old = x;
    } else {
      append(e);
      last = entries_.size() - 1;
      any = true;
    }
  }
  for (std::size_t k = 0; k < n; ++k) {
    if (alive_[k] || (entries_[k].flags & kGone)) continue;
    entries_[k].flags = kGone;
    entries_[k].e = nullptr;
    ++gone_;
  }
  seen(s);
  maybe_rebin();
}

void SpatialIndex::maybe_rebin() {
  const std::size_t stale = loose_.size() + gone_;
  if (stale <= std::max<std::size_t>(256, entries_.size() / 8)) return;
  // Entries of removed records dropped, the others renumbered in order, the grid made anew.
  std::size_t to = 0;
  for (std::size_t k = 0; k < entries_.size(); ++k) {
    if (entries_[k].flags & kGone) continue;
    entries_[k].e->index_slot = static_cast<std::uint32_t>(to);
    entries_[to++] = entries_[k];
  }
  entries_.resize(to);
  gone_ = 0;
  bin_all();
}

void SpatialIndex::refresh(const ElementStore& s, double drawing_scale) {
  if (!built_ || store_ != &s || !same_scale(drawing_scale, scale_)) {
    scale_ = drawing_scale;
    build(s);
    return;
  }
  if (s.list.removals() != removals_ || s.edits != edits_) {
    revalidate(s);
    return;
  }
  if (s.list.revision() == revision_) return;
  // Only added at the end since: take the new records on, tested loosely until the next binning.
  for (Element* e = last_ ? last_->next : s.head(); e; e = e->next) append(e);
  seen(s);
  maybe_rebin();
}

void SpatialIndex::cell_range(const FBox& b, int& cx1, int& cy1, int& cx2, int& cy2) const {
  // Clamped first, so that the truncation is a floor; NaN goes to the first cell.
  auto cell = [](double v, double origin, double inv, int n) {
    const double c = (v - origin) * inv;
    return c >= n - 1 ? n - 1 : c > 0 ? static_cast<int>(c) : 0;
  };
  cx1 = cell(b.x1, gx_, inv_w_, nx_);
  cx2 = cell(b.x2, gx_, inv_w_, nx_);
  cy1 = cell(b.y1, gy_, inv_h_, ny_);
  cy2 = cell(b.y2, gy_, inv_h_, ny_);
}

void SpatialIndex::bin_all() {
  ++bins_;
  loose_.clear();
  draw_always_.clear();
  cell_start_.clear();
  cell_items_.clear();
  stamp_.assign(entries_.size(), 0);
  stamp_now_ = 0;

  // The box a binned entry covers: its query box, and its drawn box when it has one.
  auto span_of = [](const Entry& x) {
    FBox b = x.query;
    if (x.flags & kDrawnBounded) {
      b.x1 = std::min(b.x1, x.drawn.x1);
      b.y1 = std::min(b.y1, x.drawn.y1);
      b.x2 = std::max(b.x2, x.drawn.x2);
      b.y2 = std::max(b.y2, x.drawn.y2);
    }
    return b;
  };
  auto binnable = [&](const Entry& x) {
    if (!(x.flags & kBounded)) return false;
    FBox b = span_of(x);
    return std::isfinite(b.x1) && std::isfinite(b.y1) && std::isfinite(b.x2) && std::isfinite(b.y2);
  };

  // The grid spans the middle of the drawing (by the elements' centres): outliers fall into
  // the border cells rather than stretching every cell.
  // A sample of some 65 000 centres gives the quantiles well enough.
  const std::size_t stride = std::max<std::size_t>(1, entries_.size() / 65536);
  std::vector<float> cx, cy;
  cx.reserve(entries_.size() / stride + 1);
  cy.reserve(entries_.size() / stride + 1);
  std::size_t n = 0;
  for (std::size_t k = 0; k < entries_.size(); ++k) {
    const Entry& x = entries_[k];
    if (!binnable(x)) continue;
    if (n++ % stride != 0) continue;
    FBox b = span_of(x);
    cx.push_back(0.5f * b.x1 + 0.5f * b.x2);
    cy.push_back(0.5f * b.y1 + 0.5f * b.y2);
  }
  if (n == 0) {
    nx_ = ny_ = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      entries_[i].flags |= kLoose;
      loose_.push_back(static_cast<std::uint32_t>(i));
    }
    return;
  }
  auto quantile = [](std::vector<float>& v, double q) {
    auto k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return static_cast<double>(v[k]);
  };
  const double x1 = quantile(cx, 0.001), x2 = quantile(cx, 0.999);
  const double y1 = quantile(cy, 0.001), y2 = quantile(cy, 0.999);
  const double w = std::max(x2 - x1, 0.0), h = std::max(y2 - y1, 0.0);
  const double cells = static_cast<double>(std::min(n, kMaxCells));
  double side = std::sqrt(w * h / cells);
  if (!(side > 0)) side = std::max(w, h) / cells;
  if (!(side > 0) || !std::isfinite(side)) side = 1;
  nx_ = static_cast<int>(std::clamp(std::ceil(w / side), 1.0, 4096.0));
  ny_ = static_cast<int>(std::clamp(std::ceil(h / side), 1.0, 4096.0));
  gx_ = x1;
  gy_ = y1;
  cell_w_ = w > 0 ? w / nx_ : 1;
  cell_h_ = h > 0 ? h / ny_ : 1;
  inv_w_ = 1 / cell_w_;
  inv_h_ = 1 / cell_h_;

  const std::size_t ncells = static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_);
  cell_start_.assign(ncells + 1, 0);
  // Two passes: count, then place; entries go into their cells in store order. The cell
  // ranges are worked out once, in the first.
  struct Range {
    std::uint16_t x1, y1, x2, y2;
  };
  static constexpr std::uint16_t kNoRange = 0xffff;
  std::vector<Range> ranges(entries_.size());
  for (std::size_t k = 0; k < entries_.size(); ++k) {
    const Entry& x = entries_[k];
    Range& rg = ranges[k];
    rg.x1 = kNoRange;
    if (binnable(x)) {
      int a, b, c, d;
      cell_range(span_of(x), a, b, c, d);
      if ((c - a + 1) * (d - b + 1) <= kMaxCellsPerEntry) {
        rg = {static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b),
              static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(d)};
        for (int j = b; j <= d; ++j)
          for (int i = a; i <= c; ++i) ++cell_start_[static_cast<std::size_t>(j) * nx_ + i + 1];
      }
    }
    entries_[k].flags = static_cast<std::uint8_t>(x.flags & ~kLoose);
    if (rg.x1 == kNoRange) {
      entries_[k].flags |= kLoose;
      loose_.push_back(static_cast<std::uint32_t>(k));
    } else if (!(x.flags & kDrawnBounded)) {
      draw_always_.push_back(static_cast<std::uint32_t>(k));
    }
  }
  for (std::size_t c = 0; c < ncells; ++c) cell_start_[c + 1] += cell_start_[c];
  cell_items_.resize(cell_start_[ncells]);
  std::vector<std::uint32_t> fill(cell_start_.begin(), cell_start_.end() - 1);
  for (std::size_t k = 0; k < entries_.size(); ++k) {
    const Range rg = ranges[k];
    if (rg.x1 == kNoRange) continue;
    for (int j = rg.y1; j <= rg.y2; ++j)
      for (int i = rg.x1; i <= rg.x2; ++i)
        cell_items_[fill[static_cast<std::size_t>(j) * nx_ + i]++] = static_cast<std::uint32_t>(k);
  }
}

template <class Test>
std::span<Element* const> SpatialIndex::gather(const Box& q, std::uint8_t need, Test&& test,
                                               int pad) {
  int a = 0, b = 0, c = -1, d = -1;
  bool scan = nx_ == 0;
  if (!scan) {
    FBox f{down(q.x1), down(q.y1), up(q.x2), up(q.y2)};
    if (std::isnan(f.x1) || std::isnan(f.y1) || std::isnan(f.x2) || std::isnan(f.y2)) {
      scan = true;
    } else {
      cell_range(f, a, b, c, d);
      a = std::max(a - pad, 0);
      b = std::max(b - pad, 0);
      c = std::min(c + pad, nx_ - 1);
      d = std::min(d + pad, ny_ - 1);
      const std::size_t visited = static_cast<std::size_t>(c - a + 1) * (d - b + 1);
      // A search over most of the drawing reads the entries in order instead.
      scan = visited * 4 > static_cast<std::size_t>(nx_) * ny_;
    }
  }
  return collect(scan, need, test, [&](auto&& cell) {
    for (int j = b; j <= d; ++j)
      for (int i = a; i <= c; ++i) cell(static_cast<std::size_t>(j) * nx_ + i);
  });
}

template <class Test, class Cells>
std::span<Element* const> SpatialIndex::collect(bool scan, std::uint8_t need, Test&& test,
                                                Cells&& cells) {
  found_.clear();
  hits_.clear();
  if (stamp_.size() < entries_.size()) stamp_.resize(entries_.size(), 0);
  if (++stamp_now_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    stamp_now_ = 1;
  }
  const auto take = [&](std::uint32_t k) {
    if (stamp_[k] == stamp_now_) return;
    stamp_[k] = stamp_now_;
    const Entry& x = entries_[k];
    if (x.flags & kGone) return;
    if (!(x.flags & need) || test(x)) found_.push_back(k);
  };
  if (scan) {
    for (std::size_t k = 0; k < entries_.size(); ++k) {
      const Entry& x = entries_[k];
      if (x.flags & kGone) continue;
      if (!(x.flags & need) || test(x)) found_.push_back(static_cast<std::uint32_t>(k));
    }
  } else {
    cells([&](std::size_t cell) {
      for (std::uint32_t i = cell_start_[cell]; i < cell_start_[cell + 1]; ++i)
        take(cell_items_[i]);
    });
    for (std::uint32_t k : loose_) take(k);
    if (need == kDrawnBounded)
      for (std::uint32_t k : draw_always_) take(k);
    std::sort(found_.begin(), found_.end());
  }
  hits_.reserve(found_.size());
  for (std::uint32_t k : found_) hits_.push_back(entries_[k].e);
  return hits_;
}

std::span<Element* const> SpatialIndex::query(const Box& b, double slack) {
  if (slack > 0) {
    // The widened boxes reach past their cells by far less than a cell: one more round.
    return gather(
        b, kBounded,
        [&](const Entry& x) {
          const double m = slack * std::max(static_cast<double>(x.query.x2) - x.query.x1,
                                            static_cast<double>(x.query.y2) - x.query.y1);
          return x.query.x1 - m <= b.x2 && x.query.x2 + m >= b.x1 && x.query.y1 - m <= b.y2 &&
                 x.query.y2 + m >= b.y1;
        },
        1);
  }
  return gather(b, kBounded, [&](const Entry& x) {
    return x.query.x1 <= b.x2 && x.query.x2 >= b.x1 && x.query.y1 <= b.y2 && x.query.y2 >= b.y1;
  });
}

std::span<Element* const> SpatialIndex::query_drawn(const Box& b) {
  return gather(b, kDrawnBounded, [&](const Entry& x) {
    return x.drawn.x1 <= b.x2 && x.drawn.x2 >= b.x1 && x.drawn.y1 <= b.y2 && x.drawn.y2 >= b.y1;
  });
}

std::span<Element* const> SpatialIndex::query_line(double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  // The crossing searches accept crossings a little beyond a segment's ends: boxes are widened
  // by more than that before the side test.
  auto test = [&](const Entry& x) {
    const double w = static_cast<double>(x.query.x2) - x.query.x1;
    const double h = static_cast<double>(x.query.y2) - x.query.y1;
    const double big = std::max(
        {std::fabs(static_cast<double>(x.query.x1)), std::fabs(static_cast<double>(x.query.x2)),
         std::fabs(static_cast<double>(x.query.y1)), std::fabs(static_cast<double>(x.query.y2))});
    const double m = 1e-4 * std::max(w, h) + 1e-9 * big + 1e-12;
    const double xs[2] = {x.query.x1 - m, x.query.x2 + m}, ys[2] = {x.query.y1 - m, x.query.y2 + m};
    bool below = false, above = false;
    for (double px : xs)
      for (double py : ys) {
        const double s = dx * (py - ay) - dy * (px - ax);
        below |= s <= 0;
        above |= s >= 0;
      }
    return below && above;
  };
  const bool scan = nx_ == 0 || !(std::fabs(dx) + std::fabs(dy) > 0) || !std::isfinite(dx) ||
                    !std::isfinite(dy) || !std::isfinite(ax) || !std::isfinite(ay);
  const bool by_columns = std::fabs(dx) >= std::fabs(dy);
  return collect(scan, kBounded, test, [&](auto&& cell) {
    // Along the main direction cell by cell; the border cells hold what lies beyond the grid.
    const int n = by_columns ? nx_ : ny_, m = by_columns ? ny_ : nx_;
    const double g0 = by_columns ? gx_ : gy_, size = by_columns ? cell_w_ : cell_h_;
    const double h0 = by_columns ? gy_ : gx_, hsize = by_columns ? cell_h_ : cell_w_;
    const double slope = by_columns ? dy / dx : dx / dy;
    const double u0 = by_columns ? ax : ay, v0 = by_columns ? ay : ax;
    for (int i = 0; i < n; ++i) {
      int lo = 0, hi = m - 1;
      if (i > 0 && i < n - 1) {
        const double va = v0 + slope * (g0 + i * size - u0);
        const double vb = v0 + slope * (g0 + (i + 1) * size - u0);
        const double c1 = std::floor((std::min(va, vb) - h0) / hsize) - 1;
        const double c2 = std::floor((std::max(va, vb) - h0) / hsize) + 1;
        // beyond the grid: the border row holds what lies there
        lo = static_cast<int>(std::clamp(c1, 0.0, m - 1.0));
        hi = static_cast<int>(std::clamp(c2, 0.0, m - 1.0));
      }
      for (int j = lo; j <= hi; ++j)
        cell(by_columns ? static_cast<std::size_t>(j) * nx_ + i
                        : static_cast<std::size_t>(i) * nx_ + j);
    }
  });
}

}  // namespace korav
