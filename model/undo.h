// Undo and redo by element membership: each recorded step owns one bit of the records' undo
// mask and a list of saved records. Undoing or redoing a step is the same swap: every element
// of the drawing carrying the step's bit goes into the step's list, and what the list held
// comes back at the end of the drawing.
#pragma once

#include <array>
#include <cstdint>

#include "model/store.h"

namespace korav {

enum UndoKind : int {
  kUndoClear = 0,
  kUndoMarkLast = 1,        // the last n elements of the store, just created
  kUndoSnapshot = 2,        // copies of every selected element
  kUndoSnapshotAlt = 3,     // the same, used by the layer and delete functions
  kUndoSnapshotStretch = 4  // selected elements and those with a marked point
};

inline constexpr int kUndoDepth = 32;

struct UndoLevel {
  std::uint32_t bit = 0;
  ElementList list;
};

class UndoHistory {
 public:
  // Records a step of `kind`; `n` is the number of created elements for kind 1.
  void record(ElementStore& store, int kind, int n = 0);
  void undo(ElementStore& store);
  void redo(ElementStore& store);
  void clear(ElementStore& store);

  // Adds an element created after a snapshot to the last recorded step.
  void tag(Element& e) const { e.undo_mask |= current_bit_; }
  bool is_in_last_step(const Element& e) const { return (e.undo_mask & current_bit_) != 0; }

  int level_count() const { return level_count_; }
  std::uint32_t current_bit() const { return current_bit_; }
  const UndoLevel& level(int i) const { return levels_[i]; }

  // Button states as the window shows them ("Undo", "Redo").
  bool undo_enabled() const { return undo_enabled_; }
  bool redo_enabled() const { return redo_enabled_; }

 private:
  void discard_undone(ElementStore& store);
  void drop_oldest(ElementStore& store);
  void clear_bits(ElementStore& store, std::uint32_t bits);
  void swap(ElementStore& store, int k);

  std::array<UndoLevel, kUndoDepth> levels_{};
  int level_count_ = 0;
  int undone_count_ = 0;
  std::uint32_t current_bit_ = 0;
  bool undo_enabled_ = false;
  bool redo_enabled_ = false;
};

}  // namespace korav
