// The spatial index of the element store: a uniform grid over the elements' plan boxes. It only
// narrows whom a search asks: every search still tests each element it is given exactly as it
// would on a walk of the whole store, and gets them in store order, so results are the same.
//
// The index is a cache of the store. It notices by the store's counters when records were added
// (it takes them on) and when records were removed or may have been changed in place: then the
// next search walks the store once, recomputes each record's boxes and keeps the grid, taking
// what moved or came back out of the cells (tested on every search) until the grid is worth
// building again.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/element_box.h"
#include "model/store.h"

namespace korav {

// Verification found an indexed search that differs from the walk of the store: says which on
// standard error and stops the program (only ever on when `verify` is).
[[noreturn]] void index_mismatch(const char* search);

class SpatialIndex {
 public:
  // Off: every search walks the store (the tests compare both ways).
  bool enabled = true;
  // On: each indexed search also walks the store and stops the program when the two differ.
  bool verify = false;

  // The fonts' measure of texts; `tag` names it, so that a search that measures texts with
  // another one (or none) can tell that the boxes do not fit it.
  void set_text_extent(TextExtentFn fn, const void* tag);
  const void* text_extent_tag() const { return tag_; }

  // Brings the index up to date with the store.
  void refresh(const ElementStore& s, double drawing_scale);
  // Forgets everything (the next refresh builds anew).
  void reset();

  // The elements whose query box touches `b` and those without a finite box, in store order.
  // `slack` widens each element's box by that share of its size first (for searches that
  // accept crossings a little beyond a segment's ends; well under 1e-3). The span lives until
  // the next search of this index.
  std::span<Element* const> query(const Box& b, double slack = 0);
  // The elements whose drawn box touches `b` and those drawn whatever the view, in store order.
  std::span<Element* const> query_drawn(const Box& b);
  // True when every drawn box lies within `b`: query_drawn(b) would be the whole store (a view
  // of all of it reads the store directly). Removals do not narrow what is checked.
  bool drawn_within(const Box& b) const;
  // The elements whose query box the infinite line through a and b may cross, in store order.
  std::span<Element* const> query_line(double ax, double ay, double bx, double by);

  std::size_t size() const { return entries_.size(); }
  std::size_t builds() const { return builds_; }  // full builds so far
  std::size_t bins() const { return bins_; }      // grids made so far

 private:
  struct FBox {
    float x1, y1, x2, y2;
  };
  struct Entry {
    Element* e;
    FBox query;
    FBox drawn;
    std::uint8_t flags;
  };
  static constexpr std::uint8_t kBounded = 1, kDrawnBounded = 2, kLoose = 4, kGone = 8;

  void build(const ElementStore& s);
  void revalidate(const ElementStore& s);
  void append(Element* e);
  void seen(const ElementStore& s);
  void maybe_rebin();
  Entry make_entry(Element* e) const;
  void bin_all();
  void widen(const Entry& x);
  template <class Test>
  std::span<Element* const> gather(const Box& b, std::uint8_t need, Test&& test, int pad = 0);
  template <class Test, class Cells>
  std::span<Element* const> collect(bool scan, std::uint8_t need, Test&& test, Cells&& cells);
  void cell_range(const FBox& b, int& cx1, int& cy1, int& cx2, int& cy2) const;

  TextExtentFn text_extent_;
  const void* tag_ = nullptr;
  double scale_ = 0;

  // what the index was made from
  bool built_ = false;
  const ElementStore* store_ = nullptr;
  std::uint64_t revision_ = 0, removals_ = 0, edits_ = 0;
  const Element* last_ = nullptr;  // the store's tail when last seen

  std::vector<Entry> entries_;  // in store order
  // The grid: cells of the binned entries (compressed rows), whole-store extents.
  double gx_ = 0, gy_ = 0, cell_w_ = 1, cell_h_ = 1, inv_w_ = 1, inv_h_ = 1;
  int nx_ = 0, ny_ = 0;
  std::vector<std::uint32_t> cell_start_, cell_items_;
  // In no cell, tested on every search: too large, unbounded, added or moved since binning.
  std::vector<std::uint32_t> loose_;
  std::vector<std::uint32_t> draw_always_;  // binned, but drawn whatever the view
  std::size_t gone_ = 0;                    // entries of removed records
  std::size_t builds_ = 0, bins_ = 0;
  FBox drawn_union_{0, 0, 0, 0};  // of every drawn box entered since the last build
  bool drawn_any_ = false;
  std::vector<std::uint8_t> alive_;

  // search scratch
  std::vector<std::uint32_t> stamp_;
  std::uint32_t stamp_now_ = 0;
  std::vector<std::uint32_t> found_;
  std::vector<Element*> hits_;
};

}  // namespace korav
