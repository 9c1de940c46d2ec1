#include "model/font_table.h"

#include <cstdio>

namespace korav {

namespace {

int loaded_slot(const FontTable& t, std::string_view name) {
  for (int i = 0; i < kFontSlots; ++i)
    if (t.slots[i].loaded && t.slots[i].name.view() == name) return i;
  return -1;
}

// Loads into the first free slot; -1 when there is none or the load fails.
int load_into_free_slot(FontTable& t, std::string_view name) {
  if (!t.loader || name.empty() || name.size() > 23) return -1;
  for (const std::string& f : t.failed)
    if (f == name) return -1;
  for (int i = 0; i < kFontSlots; ++i) {
    if (t.slots[i].loaded) continue;
    t.slots[i] = Font{};
    if (!t.loader(t, i, name)) {
      t.slots[i] = Font{};
      t.failed.emplace_back(name);
      return -1;
    }
    t.slots[i].loaded = true;
    ++t.loads;
    return i;
  }
  return -1;
}

}  // namespace

int find_font(FontTable& t, std::string_view name) {
  int slot = loaded_slot(t, name);
  if (slot >= 0) return slot;
  slot = load_into_free_slot(t, name);
  if (slot >= 0) return slot;
  slot = loaded_slot(t, kFallbackFont);
  if (slot >= 0) return slot;
  if (name != kFallbackFont) slot = load_into_free_slot(t, kFallbackFont);
  if (slot >= 0) return slot;
  std::printf("Cant find Simpel-Font!\n");
  return kNoFont;
}

const Font* font_at(const FontTable& t, int slot) {
  if (slot < 0 || slot >= kFontSlots || !t.slots[slot].loaded) return nullptr;
  return &t.slots[slot];
}

void free_fonts(FontTable& t) {
  for (Font& f : t.slots) {
    f.commands.clear();
    f.commands.shrink_to_fit();
    f.loaded = false;
  }
}

void clear_fonts(FontTable& t) {
  for (Font& f : t.slots) f = Font{};
  t.failed.clear();
}

}  // namespace korav
