// The non-modal dialogs that exist so far: Layers (with its "Name:" entry), Gauge and the about
// box. Each is built on its first "z_d_" name, hidden by its close name or its close box, and
// shown and raised again later; the values come from the dialog records of App.
#include <string>

#include "app/app.h"
#include "app/gtk/gtk_host.h"
#include "base/messages.h"

namespace korav {

namespace {

// The row and column under a button-1 press in a tree view; false for other buttons and for
// presses beside the rows.
bool clicked_cell(GtkWidget* view, const GdkEventButton* ev, int& row, int& column) {
  if (ev->button != 1) return false;
  GtkTreePath* path = nullptr;
  GtkTreeViewColumn* col = nullptr;
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(view), static_cast<gint>(ev->x),
                                     static_cast<gint>(ev->y), &path, &col, nullptr, nullptr))
    return false;
  row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(view));
  column = g_list_index(columns, col);
  g_list_free(columns);
  return true;
}

enum LayerColumn {
  kColCurrent,
  kColShown,
  kColName,
  kColUsed,
  kColNumber,
  kColBackground,
  kColCount
};
enum ListColumn { kListMarker, kListName, kListUsed, kListBackground, kListCount };

constexpr const char* kHighlight = "#C8DCFF";

}  // namespace

// A toplevel for the dialog `key`, titled from the command tables; its close box issues the
// dialog's first close name, so the program's idea of what is open stays right.
GtkWidget* GtkHost::dialog_window(std::string_view key) {
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  std::string title(key);
  std::string close_name;
  for (const DialogNames& d : dialog_names())
    if (d.key == key) {
      title = std::string(d.title);
      if (!d.close.empty()) close_name = std::string(d.close[0]);
    }
  gtk_window_set_title(GTK_WINDOW(win), label_text(title).c_str());
  if (window_) gtk_window_set_transient_for(GTK_WINDOW(win), GTK_WINDOW(window_));
  gtk_container_set_border_width(GTK_CONTAINER(win), 6);
  g_object_set_data(G_OBJECT(win), "korav-command", const_cast<char*>(keep(close_name)));
  g_signal_connect(
      win, "delete-event", G_CALLBACK(+[](GtkWidget* w, GdkEvent*, gpointer self) -> gboolean {
        auto* name = static_cast<const char*>(g_object_get_data(G_OBJECT(w), "korav-command"));
        if (name && *name) {
          static_cast<GtkHost*>(self)->command(name);
        } else {
          gtk_widget_hide(w);
        }
        return TRUE;  // never destroyed by the close box
      }),
      this);
  // Keys typed in a dialog reach the main window's keyboard handler, except in entries.
  return win;
}

void GtkHost::show_dialog(std::string_view key) {
  GtkWidget* win = nullptr;
  if (key == kDialogLayers) {
    if (!layer_window_) build_layer_dialog();
    refresh_layer_dialog();
    win = layer_window_;
  } else if (key == kDialogLayerEntry) {
    if (!layer_name_window_) build_layer_name_dialog();
    // The entry shows the name being edited.
    const std::string& name = app_.layer_dialog.rename_text;
    refreshing_layers_ = true;
    gtk_entry_set_text(GTK_ENTRY(layer_name_entry_), name.c_str());
    refreshing_layers_ = false;
    win = layer_name_window_;
  } else if (key == kDialogGauge) {
    if (!gauge_window_) build_gauge_dialog();
    refresh_gauge_dialog();
    win = gauge_window_;
  } else if (key == kDialogAbout) {
    if (!about_window_) build_about_box();
    win = about_window_;
  } else if (const InfoRows* rows = info_rows(key)) {
    RowDialog& d = row_dialog(key);
    refresh_row_dialog(d, *rows);
    win = d.window;
  } else {
    for (auto& [k, w] : var_dialogs_)
      if (k == key) win = w;
    if (!win) win = build_var_dialog(key);
    if (win) refresh_bound();
  }
  if (!win) return;  // a dialog that is not built yet opens nothing
  gtk_widget_show_all(win);
  gtk_window_present(GTK_WINDOW(win));
}

void GtkHost::hide_dialog(std::string_view key) {
  if (key == kDialogError) {
    close_text_box();
    return;
  }
  GtkWidget* win = key == kDialogLayers       ? layer_window_
                   : key == kDialogLayerEntry ? layer_name_window_
                   : key == kDialogGauge      ? gauge_window_
                   : key == kDialogAbout      ? about_window_
                                              : nullptr;
  for (auto& [k, w] : var_dialogs_)
    if (k == key) win = w;
  for (auto& [k, d] : row_dialogs_)
    if (k == key) win = d.window;
  if (win) gtk_widget_hide(win);
}

void GtkHost::refresh_dialog(std::string_view key) {
  if (key == kDialogLayers && layer_window_) refresh_layer_dialog();
  if (key == kDialogGauge && gauge_window_) refresh_gauge_dialog();
  if (const InfoRows* rows = info_rows(key))
    for (auto& [k, d] : row_dialogs_)
      if (k == key) refresh_row_dialog(d, *rows);
  refresh_bound();
}

// ---- Element and project information ----

const InfoRows* GtkHost::info_rows(std::string_view key) const {
  if (key == kDialogElementInfo) return &app_.element_info;
  if (key == kDialogProjectInfo) return &app_.project_info;
  return nullptr;
}

GtkHost::RowDialog& GtkHost::row_dialog(std::string_view key) {
  for (auto& [k, d] : row_dialogs_)
    if (k == key) return d;
  RowDialog d;
  d.window = dialog_window(key);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_container_add(GTK_CONTAINER(d.window), box);
  d.grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(d.grid), 16);
  gtk_grid_set_row_spacing(GTK_GRID(d.grid), 2);
  gtk_box_pack_start(GTK_BOX(box), d.grid, TRUE, TRUE, 0);
  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_box_set_homogeneous(GTK_BOX(buttons), TRUE);
  if (key == kDialogProjectInfo)
    gtk_box_pack_start(GTK_BOX(buttons),
                       command_button(ButtonKind::kPush, "Update", "z_info_update", "", "", ""),
                       TRUE, TRUE, 0);
  const char* close = key == kDialogProjectInfo ? "z_c_info" : "z_c_oinfo";
  gtk_box_pack_start(GTK_BOX(buttons),
                     command_button(ButtonKind::kPush, "Close", close, "", "", ""), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 0);
  row_dialogs_.emplace_back(std::string(key), d);
  return row_dialogs_.back().second;
}

void GtkHost::refresh_row_dialog(RowDialog& d, const InfoRows& rows) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(d.grid));
  for (GList* c = children; c; c = c->next) gtk_widget_destroy(GTK_WIDGET(c->data));
  g_list_free(children);
  int row = 0;
  for (const InfoRow& r : rows) {
    GtkWidget* l = gtk_label_new(label_text(r.label).c_str());
    gtk_label_set_xalign(GTK_LABEL(l), 0);
    GtkWidget* v = gtk_label_new(r.value.c_str());
    gtk_label_set_xalign(GTK_LABEL(v), 1);
    gtk_grid_attach(GTK_GRID(d.grid), l, 0, row, 1, 1);
    gtk_grid_attach(GTK_GRID(d.grid), v, 1, row, 1, 1);
    ++row;
  }
  gtk_widget_show_all(d.grid);
}

// ---- Layers ----

void GtkHost::build_layer_dialog() {
  const std::string_view files[5] = {kMarkerCurrent, kMarkerShown, kMarkerHidden, kMarkerUsed,
                                     kMarkerList};
  for (int i = 0; i < 5; ++i)
    if (!markers_[i]) markers_[i] = load_picture(app_, files[i]);

  layer_window_ = dialog_window(kDialogLayers);
  gtk_window_set_default_size(GTK_WINDOW(layer_window_), 460, 520);
  GtkWidget* outer = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_container_add(GTK_CONTAINER(layer_window_), outer);

  // The layers of the displayed list.
  layer_store_ = gtk_list_store_new(kColCount, GDK_TYPE_PIXBUF, GDK_TYPE_PIXBUF, G_TYPE_STRING,
                                    GDK_TYPE_PIXBUF, G_TYPE_INT, G_TYPE_STRING);
  layer_view_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(layer_store_));
  g_object_unref(layer_store_);  // the view holds it
  struct Col {
    const char* title;
    int column;
    bool pixbuf;
  };
  const Col cols[] = {{"Ac.", kColCurrent, true},
                      {"Bk.", kColShown, true},
                      {"Name", kColName, false},
                      {"Use", kColUsed, true},
                      {"No.", kColNumber, false}};
  for (const Col& c : cols) {
    GtkCellRenderer* r = c.pixbuf ? gtk_cell_renderer_pixbuf_new() : gtk_cell_renderer_text_new();
    if (c.column == kColNumber) g_object_set(r, "xalign", 1.0, nullptr);
    GtkTreeViewColumn* col = gtk_tree_view_column_new_with_attributes(
        label_text(c.title).c_str(), r, c.pixbuf ? "pixbuf" : "text", c.column, "cell-background",
        kColBackground, nullptr);
    if (c.column == kColName) gtk_tree_view_column_set_expand(col, TRUE);
    gtk_tree_view_append_column(GTK_TREE_VIEW(layer_view_), col);
  }
  g_signal_connect(layer_view_, "button-press-event",
                   G_CALLBACK(+[](GtkWidget* w, GdkEventButton* ev, gpointer self) -> gboolean {
                     auto* host = static_cast<GtkHost*>(self);
                     int row = 0;
                     int index = 0;
                     if (!clicked_cell(w, ev, row, index)) return FALSE;
                     App& app = host->app();
                     if (ev->type == GDK_BUTTON_PRESS && index == kColCurrent) {
                       layer_make_current(app, row);
                     } else if (ev->type == GDK_BUTTON_PRESS && index == kColShown) {
                       layer_toggle_state(app, row);
                     } else if (ev->type == GDK_2BUTTON_PRESS && index == kColName) {
                       layer_begin_rename(app, row);
                     } else {
                       return FALSE;
                     }
                     return TRUE;
                   }),
                   this);
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_widget_set_size_request(scroll, 260, 400);
  gtk_container_add(GTK_CONTAINER(scroll), layer_view_);
  gtk_box_pack_start(GTK_BOX(outer), scroll, TRUE, TRUE, 0);

  GtkWidget* side = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_box_pack_start(GTK_BOX(outer), side, FALSE, FALSE, 0);

  // Lists.
  GtkWidget* lists_frame = gtk_frame_new(label_text("Lists").c_str());
  list_store_ = gtk_list_store_new(kListCount, GDK_TYPE_PIXBUF, G_TYPE_STRING, GDK_TYPE_PIXBUF,
                                   G_TYPE_STRING);
  list_view_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(list_store_));
  g_object_unref(list_store_);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list_view_), FALSE);
  const Col list_cols[] = {
      {"", kListMarker, true}, {"Name", kListName, false}, {"", kListUsed, true}};
  for (const Col& c : list_cols) {
    GtkCellRenderer* r = c.pixbuf ? gtk_cell_renderer_pixbuf_new() : gtk_cell_renderer_text_new();
    GtkTreeViewColumn* col = gtk_tree_view_column_new_with_attributes(
        "", r, c.pixbuf ? "pixbuf" : "text", c.column, "cell-background", kListBackground, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(list_view_), col);
  }
  g_signal_connect(list_view_, "button-press-event",
                   G_CALLBACK(+[](GtkWidget* w, GdkEventButton* ev, gpointer self) -> gboolean {
                     auto* host = static_cast<GtkHost*>(self);
                     int row = 0;
                     int index = 0;
                     if (!clicked_cell(w, ev, row, index)) return FALSE;
                     if (ev->type == GDK_2BUTTON_PRESS && index == kListName)
                       layer_list_begin_rename(host->app(), row);
                     else if (ev->type == GDK_BUTTON_PRESS) layer_show_list(host->app(), row);
                     return TRUE;
                   }),
                   this);
  gtk_container_add(GTK_CONTAINER(lists_frame), list_view_);
  gtk_box_pack_start(GTK_BOX(side), lists_frame, FALSE, FALSE, 0);

  // Layer state sets.
  GtkWidget* sets_frame = gtk_frame_new(label_text("Active/Back").c_str());
  GtkWidget* sets_box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  gtk_container_set_border_width(GTK_CONTAINER(sets_box), 3);
  set_combo_ = gtk_combo_box_text_new_with_entry();
  GtkWidget* set_entry = gtk_bin_get_child(GTK_BIN(set_combo_));
  gtk_entry_set_max_length(GTK_ENTRY(set_entry), 79);
  gtk_entry_set_width_chars(GTK_ENTRY(set_entry), 12);
  g_signal_connect(set_combo_, "changed", G_CALLBACK(+[](GtkComboBox* c, gpointer self) {
                     auto* host = static_cast<GtkHost*>(self);
                     if (host->refreshing_layers_) return;
                     GtkWidget* entry = gtk_bin_get_child(GTK_BIN(c));
                     std::string text = gtk_entry_get_text(GTK_ENTRY(entry));
                     if (gtk_combo_box_get_active(c) >= 0) {
                       layer_set_choose(host->app(), text);  // a name chosen from the list
                     } else {
                       host->app().layer_dialog.set_entry = text;
                     }
                   }),
                   this);
  gtk_box_pack_start(GTK_BOX(sets_box), set_combo_, TRUE, TRUE, 0);
  GtkWidget* save = command_button(ButtonKind::kPush, "Save", "p_layerstate_save", "", "", "");
  gtk_box_pack_start(GTK_BOX(sets_box), save, FALSE, FALSE, 0);
  GtkWidget* trash =
      command_button(ButtonKind::kPush, "Delete", "p_layerstate_delete", "", "trashcan.xpm", "");
  gtk_box_pack_start(GTK_BOX(sets_box), trash, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(sets_frame), sets_box);
  gtk_box_pack_start(GTK_BOX(side), sets_frame, FALSE, FALSE, 0);

  // Layer functions.
  GtkWidget* funcs = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  gtk_box_pack_start(GTK_BOX(funcs),
                     command_button(ButtonKind::kPush, "Delete", "p_layerfunc_delete", "", "", ""),
                     TRUE, TRUE, 0);
  gtk_box_pack_start(
      GTK_BOX(funcs),
      command_button(ButtonKind::kPush, "Up", "p_layerfunc_up", "", "uparrow.xpm", ""), FALSE,
      FALSE, 0);
  gtk_box_pack_start(
      GTK_BOX(funcs),
      command_button(ButtonKind::kPush, "Down", "p_layerfunc_down", "", "downarrow.xpm", ""), FALSE,
      FALSE, 0);
  gtk_box_pack_start(GTK_BOX(side), funcs, FALSE, FALSE, 0);
  gtk_box_pack_end(GTK_BOX(side),
                   command_button(ButtonKind::kPush, "Close", "z_c_layer", "", "", ""), FALSE,
                   FALSE, 0);
}

void GtkHost::refresh_layer_dialog() {
  if (!layer_window_) return;
  count_per_layer(app_.drawing.store, app_.drawing.layers);
  LayerDialogView v = layer_dialog_view(app_);
  refreshing_layers_ = true;
  gtk_list_store_clear(layer_store_);
  for (const LayerRow& r : v.rows) {
    GtkTreeIter it;
    gtk_list_store_append(layer_store_, &it);
    gtk_list_store_set(layer_store_, &it, kColCurrent, r.current ? markers_[0] : nullptr, kColShown,
                       r.shown ? markers_[1] : markers_[2], kColName, r.name.c_str(), kColUsed,
                       r.used ? markers_[3] : nullptr, kColNumber, r.number, kColBackground,
                       r.current ? kHighlight : nullptr, -1);
  }
  gtk_list_store_clear(list_store_);
  for (const ListRow& r : v.lists) {
    GtkTreeIter it;
    gtk_list_store_append(list_store_, &it);
    gtk_list_store_set(list_store_, &it, kListMarker, r.holds_current ? markers_[4] : nullptr,
                       kListName, r.name.c_str(), kListUsed, r.used ? markers_[3] : nullptr,
                       kListBackground, r.displayed ? kHighlight : nullptr, -1);
  }
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(set_combo_));
  for (const std::string& s : v.sets)
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(set_combo_), s.c_str());
  GtkWidget* entry = gtk_bin_get_child(GTK_BIN(set_combo_));
  gtk_entry_set_text(GTK_ENTRY(entry), v.set_entry.c_str());
  refreshing_layers_ = false;
}

void GtkHost::build_layer_name_dialog() {
  layer_name_window_ = dialog_window(kDialogLayerEntry);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_container_add(GTK_CONTAINER(layer_name_window_), box);
  gtk_box_pack_start(GTK_BOX(box), gtk_label_new(label_text("Name:").c_str()), FALSE, FALSE, 0);
  layer_name_entry_ = gtk_entry_new();
  gtk_entry_set_max_length(GTK_ENTRY(layer_name_entry_), 79);
  gtk_widget_set_size_request(layer_name_entry_, 150, -1);
  g_signal_connect(layer_name_entry_, "changed", G_CALLBACK(+[](GtkEditable* e, gpointer self) {
                     auto* host = static_cast<GtkHost*>(self);
                     if (host->refreshing_layers_) return;
                     // Through the registry, as a script's "set Name:/Name: ..." does.
                     App& app = host->app();
                     std::string error;
                     if (app.vars.set(app, "Name:/Name:", gtk_entry_get_text(GTK_ENTRY(e)),
                                      error) == DialogVars::Result::kError)
                       std::printf("Name: %s\n", error.c_str());
                   }),
                   this);
  g_signal_connect(layer_name_entry_, "activate", G_CALLBACK(+[](GtkEntry*, gpointer self) {
                     static_cast<GtkHost*>(self)->command("z_c_layerentry");
                   }),
                   this);
  gtk_box_pack_start(GTK_BOX(box), layer_name_entry_, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box),
                     command_button(ButtonKind::kPush, "Close", "z_c_layerentry", "", "", ""),
                     FALSE, FALSE, 0);
}

// ---- Gauge ----

void GtkHost::build_gauge_dialog() {
  gauge_window_ = dialog_window(kDialogGauge);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_container_add(GTK_CONTAINER(gauge_window_), box);
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 10);
  gauge_values_.clear();
  int row = 0;
  for (std::string_view label : kGaugeRows) {
    GtkWidget* l = gtk_label_new(label_text(label).c_str());
    gtk_label_set_xalign(GTK_LABEL(l), 0);
    GtkWidget* v = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(v), 1);
    gtk_label_set_width_chars(GTK_LABEL(v), 14);
    gtk_grid_attach(GTK_GRID(grid), l, 0, row, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), v, 1, row, 1, 1);
    gauge_values_.push_back(v);
    ++row;
  }
  gtk_box_pack_start(GTK_BOX(box), grid, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box),
                     command_button(ButtonKind::kPush, "Close", "z_c_gauge", "", "", ""), FALSE,
                     FALSE, 0);
}

void GtkHost::refresh_gauge_dialog() {
  for (std::size_t i = 0; i < gauge_values_.size() && i < app_.gauge.values.size(); ++i)
    gtk_label_set_text(GTK_LABEL(gauge_values_[i]), app_.gauge.values[i].c_str());
}

// ---- About ----

void GtkHost::build_about_box() {
  about_window_ = dialog_window(kDialogAbout);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
  gtk_container_set_border_width(GTK_CONTAINER(box), 8);
  gtk_container_add(GTK_CONTAINER(about_window_), box);
  GtkWidget* name = gtk_label_new(nullptr);
  gtk_label_set_markup(GTK_LABEL(name), "<big><b>Korav 0.1.0</b></big>");
  gtk_box_pack_start(GTK_BOX(box), name, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), gtk_label_new(label_text("CAD for architects").c_str()), FALSE,
                     FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box),
                     command_button(ButtonKind::kPush, "Close", "z_c_about", "", "", ""), FALSE,
                     FALSE, 0);
}

}  // namespace korav
