#include "model/layers.h"

#include <cstdio>

#include "base/messages.h"
#include "model/drawing.h"

namespace korav {

namespace {

std::string numbered(std::string_view word, int n) {
  std::string s(translate(word));
  char buf[16];
  std::snprintf(buf, sizeof buf, " %d", n);
  return s + buf;
}

bool move_layer(Drawing& d, int from, int to) {
  if (to < 0 || to >= kLayerCount || from < 0 || from >= kLayerCount) return false;
  for (Element& e : d.store.list) {
    if (e.layer == from) e.layer = static_cast<std::uint16_t>(to);
    else if (e.layer == to) e.layer = static_cast<std::uint16_t>(from);
  }
  std::swap(d.layers.layer[from], d.layers.layer[to]);
  d.current_layer = to;
  d.store.modified = true;
  return true;
}

}  // namespace

std::string default_layer_name(int n) { return numbered("Layer", n); }
std::string default_list_name(int n) { return numbered("List", n); }

void Layers::reset_names_and_sets() {
  for (int i = 0; i < kLayerListCount; ++i) list_names[i].set(default_list_name(i));
  for (int i = 0; i < kLayerCount; ++i) layer[i].name.set(default_layer_name(i));
  sets.clear();
  LayerSet def;
  def.name.set("Default");
  sets.push_back(def);
}

LayerSet* Layers::find_set(std::string_view name) {
  for (auto& s : sets)
    if (s.name.view() == name) return &s;
  return nullptr;
}

void count_per_layer(const ElementStore& store, Layers& layers) {
  for (auto& l : layers.layer) l.count = 0;
  for (const Element& e : store.list)
    if (e.layer < kLayerCount) ++layers.layer[e.layer].count;
}

bool move_layer_up(Drawing& d) { return move_layer(d, d.current_layer, d.current_layer - 1); }
bool move_layer_down(Drawing& d) { return move_layer(d, d.current_layer, d.current_layer + 1); }

bool current_layer_has_elements(const Drawing& d) {
  for (const Element& e : d.store.list)
    if (e.layer == d.current_layer) return true;
  return false;
}

void delete_current_layer(Drawing& d) {
  for (Element& e : d.store.list) e.selected = e.layer == d.current_layer ? 1 : 0;
  d.undo.record(d.store, kUndoSnapshotAlt);
  d.store.purge();
  if (d.current_layer >= 0 && d.current_layer < kLayerCount) {
    d.layers.layer[d.current_layer].name.set("");
    d.layers.layer[d.current_layer].count = 0;
  }
}

void save_layer_set(Drawing& d, std::string_view name) {
  LayerSet* s = d.layers.find_set(name);
  if (!s) {
    d.layers.sets.emplace_back();
    s = &d.layers.sets.back();
    s->name.set(name);
  }
  for (int i = 0; i < kLayerCount; ++i) s->states[i] = d.layers.layer[i].state;
  s->layer = static_cast<std::uint32_t>(d.current_layer);
}

bool recall_layer_set(Drawing& d, std::string_view name) {
  LayerSet* s = d.layers.find_set(name);
  if (!s) return false;
  if (s->layer < kLayerCount) d.current_layer = static_cast<int>(s->layer);
  for (int i = 0; i < kLayerCount; ++i) d.layers.layer[i].state = s->states[i];
  return true;
}

std::string delete_layer_set(Drawing& d, std::string_view name) {
  if (name == "Default") return {};
  auto& sets = d.layers.sets;
  for (std::size_t i = 1; i < sets.size(); ++i) {
    if (sets[i].name.view() != name) continue;
    sets.erase(sets.begin() + static_cast<std::ptrdiff_t>(i));
    std::size_t shown = i < sets.size() ? i : i - 1;
    return std::string(sets[shown].name.view());
  }
  return {};
}

void merge_layer_set(Drawing& d, const LayerSet& set) {
  if (LayerSet* s = d.layers.find_set(set.name.view())) {
    s->states = set.states;
    s->layer = static_cast<std::uint32_t>(d.current_layer);
    return;
  }
  d.layers.sets.push_back(set);
}

}  // namespace korav
