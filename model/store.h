// The element store: all elements of the open drawing in creation order, and the lists of
// records an undo level keeps. Both are intrusive doubly linked lists through the records'
// own next/prev fields; a list owns its records and frees them when it goes.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "model/element.h"
#include "model/element_points.h"

namespace korav {

inline constexpr std::string_view kMsgTooManyPoints = "To many points in polygon!";
inline constexpr std::string_view kMsgTooManyOpenings = "To many openings in this wall!";

// Allocates `size` zeroed bytes for a record; released with free_record.
Element* allocate_record(std::size_t size);
void free_record(Element* e);
// A byte copy of the whole record, unlinked.
Element* copy_record(const Element& e);

class ElementList {
 public:
  ElementList() = default;
  ElementList(const ElementList&) = delete;
  ElementList& operator=(const ElementList&) = delete;
  ElementList(ElementList&& o) noexcept : head_(o.head_), tail_(o.tail_), count_(o.count_) {
    o.head_ = o.tail_ = nullptr;
    o.count_ = 0;
    ++o.revision_;
    ++o.removals_;
  }
  ElementList& operator=(ElementList&& o) noexcept;
  ~ElementList() { clear(); }

  Element* head() const { return head_; }
  Element* tail() const { return tail_; }
  std::size_t size() const { return count_; }
  // Changes with every link, unlink and clear, so that a walk which paused on a record can tell
  // whether the record may since have gone.
  std::uint64_t revision() const { return revision_; }
  // Changes whenever a record leaves the list (unlink, clear, move), not when one is added:
  // while it stands still, the list has only grown at its end.
  std::uint64_t removals() const { return removals_; }
  bool empty() const { return head_ == nullptr; }

  // Links an unlinked record (owned from now on) at the end.
  void push_back(Element* e);
  // Unlinks a record without freeing it; the caller owns it afterwards.
  Element* unlink(Element* e);
  // Moves every record of `other` to the end of this list, in order.
  void splice_back(ElementList& other);
  // Frees every record.
  void clear();

  struct iterator {
    Element* e;
    Element& operator*() const { return *e; }
    Element* operator->() const { return e; }
    iterator& operator++() {
      e = e->next;
      return *this;
    }
    bool operator==(const iterator& o) const { return e == o.e; }
  };
  iterator begin() const { return {head_}; }
  iterator end() const { return {nullptr}; }

 private:
  Element* head_ = nullptr;
  Element* tail_ = nullptr;
  std::size_t count_ = 0;
  std::uint64_t revision_ = 0;
  std::uint64_t removals_ = 0;
};

// The records of a list as a range of pointers, in order (what searches over candidates take).
struct ListPointers {
  const ElementList& list;
  struct iterator {
    Element* e;
    Element* operator*() const { return e; }
    iterator& operator++() {
      e = e->next;
      return *this;
    }
    bool operator==(const iterator& o) const { return e == o.e; }
  };
  iterator begin() const { return {list.head()}; }
  iterator end() const { return {nullptr}; }
};

struct ElementStore {
  ElementList list;
  bool modified = false;         // set by every create and free; cleared by load and save
  unsigned element_counter = 0;  // elements read from files
  // Counts the moments when records may have been changed in place (undo steps, each wait for
  // a point, the end of each command, and whoever changes records and searches again before
  // either). What keeps boxes of the records, such as the spatial index, starts again when it
  // changes.
  std::uint64_t edits = 0;
  void touch() { ++edits; }
  // Set from a snapshot for undo to the end of the command: the snapshot's elements may change
  // in place between any two waits for a point.
  bool editing = false;

  Element* head() const { return list.head(); }
  Element* tail() const { return list.tail(); }
  std::size_t size() const { return list.size(); }

  // Append: a new record of `size` bytes whose first `fixed_size` bytes come from `fixed`;
  // the header is reset (unselected, no undo bits, no group) and the record becomes the tail.
  Element* append(const Element& fixed, std::size_t fixed_size, std::size_t size);

  // Frees every selected element, keeping the others in order.
  void purge();
  void remove_tail();
  void clear();  // frees every element (the drawing-level clear lives in Drawing)
};

// Create operations. The header's layer, pen and line type come from `fields`; every other
// header field is reset, point marks are cleared, and the new element is the tail.
template <class T>
T* create(ElementStore& store, const T& fields) {
  static_assert(sizeof(T) > sizeof(Element));
  auto* e = static_cast<T*>(store.append(fields, sizeof(T), sizeof(T)));
  e->type = T::kType;
  clear_point_marks(*e);
  return e;
}

Line* create_line(ElementStore& store, int layer, int pen, int line_type, double x1, double y1,
                  double x2, double y2);
Text* create_text(ElementStore& store, const Text& fields, std::string_view text);
Dimension* create_dimension(ElementStore& store, const Dimension& fields,
                            std::span<const DimPoint> points);
// nullptr (nothing created) when there are more than 15 openings.
Wall* create_wall(ElementStore& store, const Wall& fields, std::span<const OutlineLine> lines,
                  std::span<const Opening> openings);
// nullptr (nothing created) when the outline has more than 499 points.
Pattern* create_pattern(ElementStore& store, const Pattern& fields,
                        std::span<const Point2> outline);
Room* create_room(ElementStore& store, const Room& fields, std::span<const Point2> outline);
// nullptr when an index count or vertex index does not fit the mesh.
Object3D* create_object3d(ElementStore& store, const Object3D& fields,
                          std::span<const std::uint32_t> face_sizes,
                          std::span<const Point3> vertices, std::span<const std::uint32_t> indices);

// Header fields for a new element of kind T on the given layer, pen and line type.
template <class T>
T make_element(int layer, int pen, int line_type) {
  T t{};
  t.type = T::kType;
  t.layer = static_cast<std::uint16_t>(layer);
  t.pen = static_cast<std::uint8_t>(pen);
  t.line_type = static_cast<std::uint8_t>(line_type);
  return t;
}

}  // namespace korav
