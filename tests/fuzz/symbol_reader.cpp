// Fuzz target for the symbol reader: any bytes inserted into a drawing that already holds
// elements must leave those elements alone, bring in only selected elements on the placing
// layer, vanish without a trace when the insert is cancelled, and, once placed, sit on the
// current layer in groups of their own and go again with one undo.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "draft/symbol_placing.h"
#include "files/chunk.h"
#include "files/drawing_file.h"
#include "files/symbols.h"
#include "model/drawing.h"

namespace {

using korav::Drawing;
using korav::Element;

std::vector<std::uint8_t> save(const Drawing& d) {
  std::vector<std::uint8_t> out;
  {
    korav::Writer w(out);
    if (!korav::write_drawing(w, d) || !w.flush()) std::abort();
  }
  return out;
}

// A drawing with two grouped lines on layer 2 and an ungrouped one on layer 0.
void existing(Drawing& d) {
  d.current_layer = 2;
  korav::create_line(d.store, 2, 1, 0, 0, 0, 1, 0)->group = 4;
  korav::create_line(d.store, 2, 1, 0, 1, 0, 1, 1)->group = 4;
  korav::create_line(d.store, 0, 3, 1, 0, 0, 2, 2);
  d.store.modified = false;
}

korav::SymbolRead insert(std::span<const std::uint8_t> input, Drawing& d) {
  korav::Reader r(input);
  korav::SymbolRead got = korav::read_symbol(r, d);
  if (got.status != korav::SymbolRead::Status::kRead && got.elements != 0) std::abort();
  if (d.store.size() != 3 + got.elements) std::abort();
  // The drawing's own elements come first and are as they were; the rest are being placed.
  std::size_t i = 0;
  for (const Element& e : d.store.list) {
    const bool inserted = i++ >= 3;
    if (inserted && (e.selected != 1 || e.layer != korav::kPlacingLayer)) std::abort();
    if (!inserted && (e.selected != 0 || e.layer == korav::kPlacingLayer)) std::abort();
  }
  if (d.store.modified) std::abort();
  return got;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  Drawing d;
  existing(d);
  const std::vector<std::uint8_t> before = save(d);

  // Cancelled: the drawing is byte for byte what it was.
  korav::SymbolRead got = insert(input, d);
  korav::drop_symbol(d);
  if (d.store.size() != 3 || d.store.modified || save(d) != before) std::abort();
  if (got.elements == 0) return 0;

  // Placed at an angle and an origin taken from the input's last bytes.
  got = insert(input, d);
  double angle = 0;
  if (size >= sizeof(double)) std::memcpy(&angle, data + size - sizeof(double), sizeof(double));
  const bool paste = (data[0] & 1) != 0;
  korav::place_symbol(d, got.elements, angle, {3.5, -2, 0.25},
                      paste ? korav::SymbolGroups::kRenumber : korav::SymbolGroups::kOneGroup,
                      korav::kPlacingLayer);
  std::size_t i = 0;
  unsigned one_group = 0;
  for (const Element& e : d.store.list) {
    if (i++ < 3) continue;
    if (e.selected != 0 || e.layer != 2) std::abort();
    // New groups lie above the drawing's highest (4); only a paste keeps group 0.
    if (e.group != 0 && e.group <= 4) std::abort();
    if (!paste) {
      if (e.group == 0) std::abort();
      if (one_group != 0 && e.group != one_group) std::abort();
      one_group = e.group;
    }
  }
  // What was placed saves, and one undo takes it out again.
  save(d);
  d.undo.undo(d.store);
  if (d.store.size() != 3 || save(d) != before) std::abort();
  return 0;
}
