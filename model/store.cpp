#include "model/store.h"

#include <cstdlib>
#include <cstring>

namespace korav {

Element* allocate_record(std::size_t size) {
  void* p = std::calloc(1, size < sizeof(Element) ? sizeof(Element) : size);
  if (!p) std::abort();
  return static_cast<Element*>(p);
}

void free_record(Element* e) { std::free(e); }

Element* copy_record(const Element& e) {
  auto* c = static_cast<Element*>(std::malloc(e.size));
  if (!c) std::abort();
  std::memcpy(static_cast<void*>(c), &e, e.size);
  c->next = c->prev = nullptr;
  return c;
}

ElementList& ElementList::operator=(ElementList&& o) noexcept {
  if (this != &o) {
    clear();
    head_ = o.head_;
    tail_ = o.tail_;
    count_ = o.count_;
    o.head_ = o.tail_ = nullptr;
    o.count_ = 0;
    ++revision_;
    ++o.revision_;
    ++removals_;
    ++o.removals_;
  }
  return *this;
}

void ElementList::push_back(Element* e) {
  e->next = nullptr;
  e->prev = tail_;
  if (tail_) tail_->next = e;
  else head_ = e;
  tail_ = e;
  ++count_;
  ++revision_;
}

Element* ElementList::unlink(Element* e) {
  if (e->prev) e->prev->next = e->next;
  else head_ = e->next;
  if (e->next) e->next->prev = e->prev;
  else tail_ = e->prev;
  e->next = e->prev = nullptr;
  --count_;
  ++revision_;
  ++removals_;
  return e;
}

void ElementList::splice_back(ElementList& other) {
  if (!other.head_) return;
  if (tail_) {
    tail_->next = other.head_;
    other.head_->prev = tail_;
  } else {
    head_ = other.head_;
  }
  tail_ = other.tail_;
  count_ += other.count_;
  other.head_ = other.tail_ = nullptr;
  other.count_ = 0;
  ++revision_;
  ++other.revision_;
  ++other.removals_;
}

void ElementList::clear() {
  for (Element* e = head_; e;) {
    Element* n = e->next;
    free_record(e);
    e = n;
  }
  head_ = tail_ = nullptr;
  count_ = 0;
  ++revision_;
  ++removals_;
}

Element* ElementStore::append(const Element& fixed, std::size_t fixed_size, std::size_t size) {
  Element* e = allocate_record(size);
  std::memcpy(static_cast<void*>(e), &fixed, fixed_size);
  e->selected = 0;
  e->undo_mask = 0;
  e->group = 0;
  e->index_slot = 0xffffffffu;
  e->size = static_cast<std::uint32_t>(size);
  list.push_back(e);
  modified = true;
  return e;
}

void ElementStore::purge() {
  bool freed = false;
  for (Element* e = list.head(); e;) {
    Element* n = e->next;
    if (e->selected == 1) {
      free_record(list.unlink(e));
      freed = true;
    }
    e = n;
  }
  if (freed) modified = true;
}

void ElementStore::remove_tail() {
  if (Element* t = list.tail()) {
    free_record(list.unlink(t));
    modified = true;
  }
}

void ElementStore::clear() { list.clear(); }

Line* create_line(ElementStore& store, int layer, int pen, int line_type, double x1, double y1,
                  double x2, double y2) {
  Line l = make_element<Line>(layer, pen, line_type);
  l.start = {x1, y1, 0};
  l.end = {x2, y2, 0};
  return create(store, l);
}

namespace {

template <class T>
T* append_with_tail(ElementStore& store, const T& fields, std::size_t tail) {
  auto* e = static_cast<T*>(store.append(fields, sizeof(T), sizeof(T) + tail));
  e->type = T::kType;
  return e;
}

}  // namespace

Text* create_text(ElementStore& store, const Text& fields, std::string_view text) {
  Text* t = append_with_tail(store, fields, text.size() + 1);
  std::memcpy(t->text(), text.data(), text.size());
  t->text()[text.size()] = 0;
  clear_point_marks(*t);
  return t;
}

Dimension* create_dimension(ElementStore& store, const Dimension& fields,
                            std::span<const DimPoint> points) {
  Dimension* d = append_with_tail(store, fields, points.size_bytes());
  d->count = static_cast<std::uint32_t>(points.size());
  if (!points.empty()) std::memcpy(d->points(), points.data(), points.size_bytes());
  clear_point_marks(*d);
  return d;
}

Wall* create_wall(ElementStore& store, const Wall& fields, std::span<const OutlineLine> lines,
                  std::span<const Opening> openings) {
  if (openings.size() > static_cast<std::size_t>(kMaxOpenings)) return nullptr;
  Wall* w = append_with_tail(store, fields, lines.size_bytes() + openings.size_bytes());
  w->line_count = static_cast<std::uint32_t>(lines.size());
  w->opening_count = static_cast<std::uint32_t>(openings.size());
  if (!lines.empty()) std::memcpy(w->lines(), lines.data(), lines.size_bytes());
  if (!openings.empty()) std::memcpy(w->openings(), openings.data(), openings.size_bytes());
  clear_point_marks(*w);
  return w;
}

namespace {

template <class T>
T* create_outlined(ElementStore& store, const T& fields, std::span<const Point2> outline) {
  if (outline.size() > static_cast<std::size_t>(kMaxOutlinePoints)) return nullptr;
  T* e = append_with_tail(store, fields, outline.size_bytes());
  e->count = static_cast<std::uint32_t>(outline.size());
  if (!outline.empty()) std::memcpy(e->points(), outline.data(), outline.size_bytes());
  clear_point_marks(*e);
  return e;
}

}  // namespace

Pattern* create_pattern(ElementStore& store, const Pattern& fields,
                        std::span<const Point2> outline) {
  return create_outlined(store, fields, outline);
}

Room* create_room(ElementStore& store, const Room& fields, std::span<const Point2> outline) {
  return create_outlined(store, fields, outline);
}

Object3D* create_object3d(ElementStore& store, const Object3D& fields,
                          std::span<const std::uint32_t> face_sizes,
                          std::span<const Point3> vertices,
                          std::span<const std::uint32_t> indices) {
  std::uint64_t sum = 0;
  for (auto n : face_sizes) sum += n;
  if (sum != indices.size()) return nullptr;
  for (auto i : indices)
    if (i >= vertices.size()) return nullptr;
  auto faces = static_cast<std::uint32_t>(face_sizes.size());
  auto verts = static_cast<std::uint32_t>(vertices.size());
  auto idx = static_cast<std::uint32_t>(indices.size());
  Object3D* o = append_with_tail(store, fields, Object3D::tail_size(faces, verts, idx));
  o->face_count = faces;
  o->vertex_count = verts;
  o->index_count = idx;
  if (faces) std::memcpy(o->face_sizes(), face_sizes.data(), face_sizes.size_bytes());
  if (verts) std::memcpy(o->vertices(), vertices.data(), vertices.size_bytes());
  if (idx) std::memcpy(o->indices(), indices.data(), indices.size_bytes());
  clear_point_marks(*o);
  return o;
}

}  // namespace korav
