// Layers: 1000 layers in ten lists of a hundred, their background/hidden states, and named
// layer state sets.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/element.h"

namespace korav {

inline constexpr int kLayerCount = 1000;
inline constexpr int kLayerListCount = 10;

struct Layer {
  FixedName<80> name;
  std::uint8_t state = 0;   // 1 shown as background, 0 hidden
  double value = 0;         // carried along, no other use
  std::uint32_t count = 0;  // elements on the layer, from count_per_layer
};

struct LayerSet {
  FixedName<80> name;
  std::array<std::uint8_t, kLayerCount> states{};
  std::uint32_t layer = 0;
};

struct Layers {
  std::array<Layer, kLayerCount> layer{};
  std::array<FixedName<80>, kLayerListCount> list_names{};
  std::vector<LayerSet> sets;  // the first is "Default"
  int displayed_list = 0;

  // The "Layer %d" / "List %d" names and a single "Default" set of zero states;
  // the layer states themselves are kept.
  void reset_names_and_sets();
  LayerSet* find_set(std::string_view name);
};

struct ElementStore;
struct Drawing;

std::string default_layer_name(int n);
std::string default_list_name(int n);

// True when an element on `layer` is drawn: the current layer always, others when shown.
inline bool layer_visible(const Layers& layers, int current_layer, int layer) {
  return layer == current_layer ||
         (layer >= 0 && layer < kLayerCount && layers.layer[layer].state == 1);
}

void count_per_layer(const ElementStore& store, Layers& layers);

// Moves the current layer one place up (number - 1) or down (number + 1), exchanging it with
// its neighbour; the neighbour becomes the current layer. False at the ends.
bool move_layer_up(Drawing& d);
bool move_layer_down(Drawing& d);
bool current_layer_has_elements(const Drawing& d);
// Deletes the current layer's elements through one undo step and clears its name. The caller
// asks "This layer is containing drawing elements." first when it holds elements.
void delete_current_layer(Drawing& d);

void save_layer_set(Drawing& d, std::string_view name);
bool recall_layer_set(Drawing& d, std::string_view name);
// Deletes the first set of that name after "Default"; returns the name the set entry shows
// afterwards, or an empty string when nothing was deleted.
std::string delete_layer_set(Drawing& d, std::string_view name);
// A set read from a file replaces the states of an existing set of that name (and makes its
// layer the current layer), or is appended.
void merge_layer_set(Drawing& d, const LayerSet& set);

}  // namespace korav
