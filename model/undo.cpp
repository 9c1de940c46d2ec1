#include "model/undo.h"

#include <cstdio>

namespace korav {

void UndoHistory::clear_bits(ElementStore& store, std::uint32_t bits) {
  if (!bits) return;
  for (Element& e : store.list) e.undo_mask &= ~bits;
  for (int i = 0; i < level_count_; ++i)
    for (Element& e : levels_[i].list) e.undo_mask &= ~bits;
}

void UndoHistory::discard_undone(ElementStore& store) {
  std::uint32_t bits = 0;
  for (int i = level_count_ - undone_count_; undone_count_ > 0; --undone_count_, --level_count_) {
    UndoLevel& l = levels_[i];
    l.list.clear();
    bits |= l.bit;
    l.bit = 0;
    ++i;
  }
  clear_bits(store, bits);
  redo_enabled_ = false;
}

void UndoHistory::drop_oldest(ElementStore& store) {
  std::uint32_t bit = levels_[0].bit;
  levels_[0].list.clear();
  for (int i = 1; i < kUndoDepth; ++i) {
    levels_[i - 1].bit = levels_[i].bit;
    levels_[i - 1].list = std::move(levels_[i].list);
  }
  levels_[kUndoDepth - 1].bit = 0;
  --level_count_;
  clear_bits(store, bit);
}

void UndoHistory::record(ElementStore& store, int kind, int n) {
  // The snapshot's elements are about to change in place.
  if (kind == kUndoSnapshot || kind == kUndoSnapshotAlt || kind == kUndoSnapshotStretch) {
    store.touch();
    store.editing = true;
  }
  if (kind == kUndoClear) {
    clear(store);
    return;
  }
  if (kind < kUndoMarkLast || kind > kUndoSnapshotStretch) return;
  if (undone_count_ != 0) discard_undone(store);
  if (level_count_ == kUndoDepth) drop_oldest(store);

  std::uint32_t used = 0;
  for (int i = 0; i < level_count_; ++i) used |= levels_[i].bit;
  std::uint32_t bit = 0;
  for (int b = 0; b < 32; ++b)
    if (!(used & (1u << b))) {
      bit = 1u << b;
      break;
    }
  if (!bit) {
    std::fputs("error: no bit found\n", stdout);
    bit = 1;
  }

  UndoLevel& level = levels_[level_count_];
  level.bit = bit;
  level.list.clear();

  if (kind == kUndoMarkLast) {
    Element* e = store.tail();
    for (int i = 0; i < n; ++i) {
      if (!e) {
        for (; i < n; ++i) std::fputs("error marking lastobj\n", stdout);
        break;
      }
      e->undo_mask |= bit;
      e = e->prev;
    }
  } else {
    for (Element& e : store.list) {
      bool take = e.selected != 0 || (kind == kUndoSnapshotStretch && has_marked_point(e));
      if (!take) continue;
      e.undo_mask |= bit;
      Element* copy = copy_record(e);
      copy->selected = 0;
      clear_point_marks(*copy);
      level.list.push_back(copy);
    }
  }
  ++level_count_;
  current_bit_ = bit;
  undo_enabled_ = true;
}

void UndoHistory::swap(ElementStore& store, int k) {
  store.touch();
  UndoLevel& level = levels_[k];
  ElementList saved = std::move(level.list);
  for (Element* e = store.head(); e;) {
    Element* n = e->next;
    if (e->undo_mask & level.bit) level.list.push_back(store.list.unlink(e));
    e = n;
  }
  store.list.splice_back(saved);
  store.modified = true;
}

void UndoHistory::undo(ElementStore& store) {
  if (level_count_ <= undone_count_) {
    std::fputs("No undo!\n", stdout);
    return;
  }
  ++undone_count_;
  redo_enabled_ = true;
  if (undone_count_ == level_count_) undo_enabled_ = false;
  swap(store, level_count_ - undone_count_);
}

void UndoHistory::redo(ElementStore& store) {
  if (undone_count_ == 0) {
    std::fputs("No redo!\n", stdout);
    return;
  }
  swap(store, level_count_ - undone_count_);
  --undone_count_;
  undo_enabled_ = true;
  if (undone_count_ == 0) redo_enabled_ = false;
}

void UndoHistory::clear(ElementStore& store) {
  for (auto& l : levels_) {
    l.list.clear();
    l.bit = 0;
  }
  for (Element& e : store.list) e.undo_mask = 0;
  level_count_ = undone_count_ = 0;
  current_bit_ = 0;
  undo_enabled_ = redo_enabled_ = false;
}

}  // namespace korav
