// The Layers dialog as data: its layer rows, list rows, markers, set list and entry, and the
// functions its widgets call. The window shows what layer_dialog_view() returns and calls the
// functions below; each refreshes the dialog, the title and the drawing itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/layers.h"

namespace korav {

struct App;

inline constexpr int kLayersPerList = 100;

// Marker pictures in "./graphics/".
inline constexpr std::string_view kMarkerCurrent = "lact.xpm";
inline constexpr std::string_view kMarkerShown = "lon.xpm";
inline constexpr std::string_view kMarkerHidden = "loff.xpm";
inline constexpr std::string_view kMarkerUsed = "luse.xpm";
inline constexpr std::string_view kMarkerList = "larr.xpm";

struct LayerRow {
  int number = 0;        // right-aligned in the last column
  bool current = false;  // marker in the first column, highlighted background
  bool shown = false;    // state 1: marker in the second column
  std::string name;
  bool used = false;  // marker: the layer holds elements
};

struct ListRow {
  bool holds_current = false;  // marker: the list contains the current layer
  std::string name;
  bool used = false;       // marker: any layer of the list holds elements
  bool displayed = false;  // highlighted
};

struct LayerDialogView {
  std::array<LayerRow, kLayersPerList> rows;
  std::array<ListRow, kLayerListCount> lists;
  std::vector<std::string> sets;  // set names in list order
  std::string set_entry;
};

// State of the dialog kept between refreshes.
struct LayerDialog {
  std::string set_entry = "Default";
  int rename_layer = -1;           // the layer whose name the "Name:" entry edits, -1 for none
  int rename_list = -1;            // or the list
  std::string rename_text;         // what the "Name:" entry shows
  std::int32_t clicked_layer = 0;  // the last layer row clicked (dialog variables)
  std::int32_t clicked_list = 0;   // the last list row clicked
};

// Rows of the displayed list. Element counts must be current (count_per_layer).
LayerDialogView layer_dialog_view(const App& app);

// Column clicks on row 0..99 of the displayed list.
void layer_make_current(App& app, int row);
void layer_toggle_state(App& app, int row);
// Double click on a layer's or list's name opens the "Name:" entry for it.
void layer_begin_rename(App& app, int row);
void layer_list_begin_rename(App& app, int list);
// The text of the "Name:" entry changed.
void layer_rename(App& app, std::string_view name);
void layer_show_list(App& app, int list);
// "p_layerfunc_up", "p_layerfunc_down", "p_layerfunc_delete".
void layer_up(App& app);
void layer_down(App& app);
void layer_delete(App& app);
// "p_layerstate_save", "p_layerstate_delete"; choosing a name in the set list.
void layer_set_save(App& app);
void layer_set_delete(App& app);
void layer_set_choose(App& app, std::string_view name);
// Open (or raise) the dialog and refresh its list.
void open_layer_dialog(App& app);
// After any change: counts, dialog, title, drawing.
void layers_changed(App& app);

}  // namespace korav
