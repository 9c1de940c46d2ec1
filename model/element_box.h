// The plan box of an element: where in the plan its points, curves and text base line lie (what
// snap, pick and selection look at), and where drawing it in the plan may put ink. The spatial
// index keeps these boxes; the searches then test only the elements whose box they touch.
#pragma once

#include <functional>
#include <limits>

#include "model/element.h"

namespace korav {

struct Box {
  double x1 = std::numeric_limits<double>::infinity();
  double y1 = std::numeric_limits<double>::infinity();
  double x2 = -std::numeric_limits<double>::infinity();
  double y2 = -std::numeric_limits<double>::infinity();

  bool empty() const { return !(x1 <= x2 && y1 <= y2); }
  void add(double x, double y) {
    if (x < x1) x1 = x;
    if (x > x2) x2 = x;
    if (y < y1) y1 = y;
    if (y > y2) y2 = y;
  }
  void add(const Box& b) {
    if (b.empty()) return;
    add(b.x1, b.y1);
    add(b.x2, b.y2);
  }
  Box grown(double m) const { return {x1 - m, y1 - m, x2 + m, y2 + m}; }
  bool touches(const Box& b) const { return x1 <= b.x2 && x2 >= b.x1 && y1 <= b.y2 && y2 >= b.y1; }
  bool contains(double x, double y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
};

// What the index needs to know of a text that only the fonts can tell: the length of its base
// line as picking measures it, and the box its strokes may cover.
struct TextExtent {
  double width = 0;
  Box drawn;  // empty: unknown, the text is drawn whatever the view
};
using TextExtentFn = std::function<TextExtent(const Text& t, double drawing_scale)>;

struct ElementBox {
  // Every point that is a place of the element (separators, relative vectors and points not in
  // use left out), a curve's reach round its centre, an angle dimension's arc, a text's base line.
  Box query;
  bool bounded = false;  // false: no finite box, the element is a candidate everywhere
  // The box its strokes stay inside in the plan (point marks aside, which reach two pixels).
  Box drawn;
  bool drawn_bounded = false;  // false: drawn whatever the view
};

ElementBox element_box(const Element& e, const TextExtentFn& text_extent, double drawing_scale);

}  // namespace korav
