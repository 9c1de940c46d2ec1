#include "app/dialogs/layers.h"

#include "app/app.h"
#include "app/dispatch.h"

namespace korav {

namespace {

int row_layer(const App& app, int row) {
  if (row < 0 || row >= kLayersPerList) return -1;
  return app.drawing.layers.displayed_list * kLayersPerList + row;
}

}  // namespace

LayerDialogView layer_dialog_view(const App& app) {
  const Drawing& d = app.drawing;
  const Layers& L = d.layers;
  LayerDialogView v;
  const int list =
      L.displayed_list >= 0 && L.displayed_list < kLayerListCount ? L.displayed_list : 0;
  for (int row = 0; row < kLayersPerList; ++row) {
    const int n = list * kLayersPerList + row;
    LayerRow& r = v.rows[row];
    r.number = n;
    r.current = n == d.current_layer;
    r.shown = L.layer[n].state == 1;
    r.name = std::string(L.layer[n].name.view());
    r.used = L.layer[n].count != 0;
  }
  for (int l = 0; l < kLayerListCount; ++l) {
    ListRow& r = v.lists[l];
    r.holds_current = d.current_layer / kLayersPerList == l;
    r.name = std::string(L.list_names[l].view());
    for (int i = 0; i < kLayersPerList && !r.used; ++i)
      r.used = L.layer[l * kLayersPerList + i].count != 0;
    r.displayed = l == list;
  }
  for (const LayerSet& s : L.sets) v.sets.emplace_back(s.name.view());
  v.set_entry = app.layer_dialog.set_entry;
  return v;
}

void layers_changed(App& app) {
  // Counts, the layer and list displays, the title and the drawing (drawing_replaced does all).
  drawing_replaced(app);
}

void open_layer_dialog(App& app) {
  count_per_layer(app.drawing.store, app.drawing.layers);
  const int cur = app.drawing.current_layer;
  if (cur >= 0 && cur < kLayerCount && !app.dialog_open(kDialogLayers))
    app.drawing.layers.displayed_list = cur / kLayersPerList;
  if (app.dialog_open(kDialogLayers)) app.ui->refresh_dialog(kDialogLayers);
  show_dialog(app, kDialogLayers);
}

void layer_make_current(App& app, int row) {
  int n = row_layer(app, row);
  if (n < 0) return;
  app.drawing.current_layer = n;
  layers_changed(app);
}

void layer_toggle_state(App& app, int row) {
  int n = row_layer(app, row);
  if (n < 0) return;
  auto& st = app.drawing.layers.layer[n].state;
  st = st == 1 ? 0 : 1;
  layers_changed(app);
}

void layer_begin_rename(App& app, int row) {
  int n = row_layer(app, row);
  if (n < 0) return;
  app.layer_dialog.rename_layer = n;
  app.layer_dialog.rename_list = -1;
  app.layer_dialog.rename_text = std::string(app.drawing.layers.layer[n].name.view());
  show_dialog(app, kDialogLayerEntry);
  app.ui->refresh_dialog(kDialogLayerEntry);
}

void layer_list_begin_rename(App& app, int list) {
  if (list < 0 || list >= kLayerListCount) return;
  app.layer_dialog.rename_list = list;
  app.layer_dialog.rename_layer = -1;
  app.layer_dialog.rename_text = std::string(app.drawing.layers.list_names[list].view());
  show_dialog(app, kDialogLayerEntry);
  app.ui->refresh_dialog(kDialogLayerEntry);
}

void layer_rename(App& app, std::string_view name) {
  LayerDialog& ld = app.layer_dialog;
  Layers& L = app.drawing.layers;
  if (ld.rename_layer >= 0 && ld.rename_layer < kLayerCount) {
    L.layer[ld.rename_layer].name.set(name);
  } else if (ld.rename_list >= 0 && ld.rename_list < kLayerListCount) {
    L.list_names[ld.rename_list].set(name);
  } else {
    return;
  }
  ld.rename_text = std::string(name);
  app.drawing.store.modified = true;
  layers_changed(app);
}

void layer_show_list(App& app, int list) {
  if (list < 0 || list >= kLayerListCount) return;
  app.drawing.layers.displayed_list = list;
  layers_changed(app);
}

void layer_up(App& app) {
  if (move_layer_up(app.drawing)) {
    app.drawing.layers.displayed_list = app.drawing.current_layer / kLayersPerList;
    layers_changed(app);
  }
}

void layer_down(App& app) {
  if (move_layer_down(app.drawing)) {
    app.drawing.layers.displayed_list = app.drawing.current_layer / kLayersPerList;
    layers_changed(app);
  }
}

void layer_delete(App& app) {
  Drawing& d = app.drawing;
  if (d.current_layer < 0 || d.current_layer >= kLayerCount) return;
  if (current_layer_has_elements(d)) {
    const std::string_view buttons[] = {"Delete", "Cancel"};
    if (app.ui->question("This layer is containing drawing elements.", buttons) != 1) return;
  }
  delete_current_layer(d);
  d.store.modified = true;
  app.ui->set_undo_buttons(d.undo.undo_enabled(), d.undo.redo_enabled());
  layers_changed(app);
}

void layer_set_save(App& app) {
  const std::string& name = app.layer_dialog.set_entry;
  if (name.empty()) {
    app.ui->error_box("Please enter a name for the layer set.");
    return;
  }
  save_layer_set(app.drawing, name);
  app.drawing.store.modified = true;
  layers_changed(app);
}

void layer_set_delete(App& app) {
  std::string shown = delete_layer_set(app.drawing, app.layer_dialog.set_entry);
  if (shown.empty()) return;
  app.layer_dialog.set_entry = shown;
  app.drawing.store.modified = true;
  layers_changed(app);
}

void layer_set_choose(App& app, std::string_view name) {
  app.layer_dialog.set_entry = std::string(name);
  if (!recall_layer_set(app.drawing, name)) {
    if (app.dialog_open(kDialogLayers)) app.ui->refresh_dialog(kDialogLayers);
    return;
  }
  app.drawing.layers.displayed_list = app.drawing.current_layer / kLayersPerList;
  layers_changed(app);
}

}  // namespace korav
