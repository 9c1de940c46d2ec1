// Widgets bound to dialog variables (app/dialog_vars.h): each shows its variable's value and
// hands every change by the user to the registry, which parses, stores, normalises and reacts.
// Dialogs made only of such widgets (Snap, Filter, ...) and the selection panel are built here
// from the registry, so a dialog appears as soon as its variables exist.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/dialogs/symbols.h"
#include "app/dispatch.h"
#include "app/gtk/gtk_host.h"
#include "base/messages.h"
#include "render/surface.h"

namespace korav {

namespace {

std::string label_of(const std::string& name) {
  std::size_t slash = name.find('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool is_entry_kind(VarKind k) {
  switch (k) {
    case VarKind::kEntry:
    case VarKind::kLength:
    case VarKind::kPaper:
    case VarKind::kAngle:
    case VarKind::kNumber:
    case VarKind::kSize: return true;
    default: return false;
  }
}

}  // namespace

// The user changed a bound widget: hand the widget's text to the registry.
void GtkHost::bound_changed(BoundWidget& b, const std::string& text) {
  if (updating_) return;
  std::string error;
  DialogVars::Result r = app_.vars.set(app_, b.name, text, error);
  if (r == DialogVars::Result::kError) error_box_filled(error);
  // Show what is stored now: the normalised text, or the old value after an error.
  refresh_bound(&b);
  if (r == DialogVars::Result::kLeave) leave_main_loop();
}

GtkWidget* GtkHost::bound_widget(const DialogVar& v) {
  bound_widgets_.emplace_back();
  BoundWidget& b = bound_widgets_.back();
  b.name = v.name;
  b.kind = v.kind;
  BoundWidget* bp = &b;  // deque elements stay where they are
  const std::string label = label_of(v.name);

  switch (v.kind) {
    case VarKind::kCheck:
    case VarKind::kToggle: {
      b.widget = translated(v.kind == VarKind::kCheck ? gtk_check_button_new_with_label("")
                                                      : gtk_toggle_button_new_with_label(""),
                            label);
      g_signal_connect(b.widget, "toggled", G_CALLBACK(+[](GtkToggleButton* w, gpointer p) {
                         auto* bw = static_cast<BoundWidget*>(p);
                         bw->host->bound_changed(*bw,
                                                 gtk_toggle_button_get_active(w) ? "on" : "off");
                       }),
                       bp);
      break;
    }
    case VarKind::kRadio: {
      GtkWidget* frame = translated(gtk_frame_new(""), label);
      GtkWidget* grid = gtk_grid_new();  // two buttons a row keeps the panel short
      gtk_grid_set_column_homogeneous(GTK_GRID(grid), TRUE);
      gtk_container_add(GTK_CONTAINER(frame), grid);
      GSList* group = nullptr;
      for (std::size_t i = 0; i < v.items.size(); ++i) {
        GtkWidget* r = translated(gtk_radio_button_new_with_label(group, ""), v.items[i]);
        group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(r));
        g_object_set_data(G_OBJECT(r), "korav-index", GINT_TO_POINTER(static_cast<int>(i)));
        g_signal_connect(r, "toggled", G_CALLBACK(+[](GtkToggleButton* w, gpointer p) {
                           if (!gtk_toggle_button_get_active(w)) return;
                           auto* bw = static_cast<BoundWidget*>(p);
                           int i = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "korav-index"));
                           bw->host->bound_changed(*bw, bw->items[static_cast<std::size_t>(i)]);
                         }),
                         bp);
        gtk_grid_attach(GTK_GRID(grid), r, static_cast<gint>(i % 2), static_cast<gint>(i / 2), 1,
                        1);
        b.parts.push_back(r);
      }
      b.items = v.items;
      b.widget = frame;
      break;
    }
    case VarKind::kOption:
    case VarKind::kCombo: {
      b.widget = v.kind == VarKind::kCombo ? gtk_combo_box_text_new_with_entry()
                                           : gtk_combo_box_text_new();
      for (const std::string& item : v.items)
        gtk_combo_box_text_append_text(
            GTK_COMBO_BOX_TEXT(b.widget),
            (v.kind == VarKind::kOption ? label_text(item) : item).c_str());
      b.items = v.items;
      g_signal_connect(b.widget, "changed", G_CALLBACK(+[](GtkComboBox* c, gpointer p) {
                         auto* bw = static_cast<BoundWidget*>(p);
                         int i = gtk_combo_box_get_active(c);
                         if (bw->kind == VarKind::kOption) {
                           if (i >= 0 && i < static_cast<int>(bw->items.size()))
                             bw->host->bound_changed(*bw, bw->items[static_cast<std::size_t>(i)]);
                         } else {
                           GtkWidget* e = gtk_bin_get_child(GTK_BIN(c));
                           bw->host->bound_changed(*bw, gtk_entry_get_text(GTK_ENTRY(e)));
                         }
                       }),
                       bp);
      break;
    }
    case VarKind::kSpinInt:
    case VarKind::kSpinDouble: {
      double step = v.step > 0 ? v.step : 1;
      b.widget = gtk_spin_button_new_with_range(v.lower, v.upper, step);
      gtk_spin_button_set_digits(GTK_SPIN_BUTTON(b.widget), 0);
      if (v.kind == VarKind::kSpinDouble) gtk_spin_button_set_digits(GTK_SPIN_BUTTON(b.widget), 3);
      gtk_widget_set_size_request(b.widget, 100, -1);
      g_signal_connect(b.widget, "value-changed", G_CALLBACK(+[](GtkSpinButton* s, gpointer p) {
                         auto* bw = static_cast<BoundWidget*>(p);
                         char buf[64];
                         if (bw->kind == VarKind::kSpinInt)
                           std::snprintf(buf, sizeof buf, "%d",
                                         gtk_spin_button_get_value_as_int(s));
                         else std::snprintf(buf, sizeof buf, "%.17g", gtk_spin_button_get_value(s));
                         bw->host->bound_changed(*bw, buf);
                       }),
                       bp);
      break;
    }
    case VarKind::kSlider: {
      b.widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, v.lower, v.upper,
                                          v.step > 0 ? v.step : 1);
      gtk_widget_set_size_request(b.widget, 120, -1);
      g_signal_connect(b.widget, "value-changed", G_CALLBACK(+[](GtkRange* r, gpointer p) {
                         auto* bw = static_cast<BoundWidget*>(p);
                         char buf[64];
                         std::snprintf(buf, sizeof buf, "%.17g", gtk_range_get_value(r));
                         bw->host->bound_changed(*bw, buf);
                       }),
                       bp);
      break;
    }
    default: {  // entries: text and the unit entries
      b.widget = gtk_entry_new();
      if (v.kind == VarKind::kEntry) {
        gtk_entry_set_max_length(GTK_ENTRY(b.widget), static_cast<gint>(v.max_length));
        gtk_widget_set_size_request(b.widget, 150, -1);
      } else {
        gtk_entry_set_max_length(GTK_ENTRY(b.widget), 40);
        gtk_widget_set_size_request(b.widget, 100, -1);
      }
      g_signal_connect(b.widget, "activate", G_CALLBACK(+[](GtkEntry* e, gpointer p) {
                         auto* bw = static_cast<BoundWidget*>(p);
                         bw->host->bound_changed(*bw, gtk_entry_get_text(e));
                       }),
                       bp);
      g_signal_connect(b.widget, "focus-out-event",
                       G_CALLBACK(+[](GtkWidget* e, GdkEvent*, gpointer p) -> gboolean {
                         auto* bw = static_cast<BoundWidget*>(p);
                         // Only a real edit is written back on leaving the field.
                         if (bw->host->app().vars.value_text(bw->host->app(), bw->name) !=
                             gtk_entry_get_text(GTK_ENTRY(e)))
                           bw->host->bound_changed(*bw, gtk_entry_get_text(GTK_ENTRY(e)));
                         return FALSE;
                       }),
                       bp);
      break;
    }
  }
  b.host = this;
  // A widget that goes with its window (a dialog rebuilt in another language) is forgotten.
  g_signal_connect(b.widget, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer p) {
                     static_cast<BoundWidget*>(p)->widget = nullptr;
                   }),
                   bp);
  refresh_bound(&b);
  return b.widget;
}

// Shows the registry's values in one bound widget, or in all of them.
void GtkHost::refresh_bound(BoundWidget* only) {
  bool was = updating_;
  updating_ = true;
  for (BoundWidget& b : bound_widgets_) {
    if (only && &b != only) continue;
    if (!b.widget || !app_.vars.find(b.name)) continue;
    switch (b.kind) {
      case VarKind::kCheck:
      case VarKind::kToggle:
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b.widget), app_.vars.flag(b.name));
        break;
      case VarKind::kRadio: {
        int i = app_.vars.index(b.name);
        if (i >= 0 && i < static_cast<int>(b.parts.size()))
          gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b.parts[static_cast<std::size_t>(i)]),
                                       TRUE);
        break;
      }
      case VarKind::kOption:
        gtk_combo_box_set_active(GTK_COMBO_BOX(b.widget), app_.vars.index(b.name));
        break;
      case VarKind::kCombo: {
        const DialogVar* v = app_.vars.find(b.name);
        if (v->items != b.items) {  // the name list changed
          gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(b.widget));
          for (const std::string& item : v->items)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(b.widget), item.c_str());
          b.items = v->items;
        }
        GtkWidget* e = gtk_bin_get_child(GTK_BIN(b.widget));
        gtk_entry_set_text(GTK_ENTRY(e), app_.vars.value_text(app_, b.name).c_str());
        break;
      }
      case VarKind::kSpinInt:
      case VarKind::kSpinDouble:
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(b.widget), app_.vars.number(b.name));
        break;
      case VarKind::kSlider:
        gtk_range_set_value(GTK_RANGE(b.widget), app_.vars.number(b.name));
        break;
      default:
        if (is_entry_kind(b.kind))
          gtk_entry_set_text(GTK_ENTRY(b.widget), app_.vars.value_text(app_, b.name).c_str());
        break;
    }
  }
  updating_ = was;
}

// A grid of labelled bound widgets.
GtkWidget* GtkHost::var_grid(const std::vector<const DialogVar*>& vars) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
  gtk_grid_set_row_spacing(GTK_GRID(grid), 2);
  int row = 0;
  for (const DialogVar* v : vars) {
    GtkWidget* w = bound_widget(*v);
    const bool own_label =
        v->kind == VarKind::kCheck || v->kind == VarKind::kToggle || v->kind == VarKind::kRadio;
    if (own_label) {
      gtk_grid_attach(GTK_GRID(grid), w, 0, row, 2, 1);
    } else {
      GtkWidget* l = translated(gtk_label_new(""), label_of(v->name));
      gtk_label_set_xalign(GTK_LABEL(l), 0);
      gtk_grid_attach(GTK_GRID(grid), l, 0, row, 1, 1);
      gtk_grid_attach(GTK_GRID(grid), w, 1, row, 1, 1);
    }
    ++row;
  }
  return grid;
}

// A row of the dialog buttons of `title` on `page`, or null when there are none.
GtkWidget* GtkHost::var_buttons(std::string_view title, std::string_view page) {
  GtkWidget* row = nullptr;
  for (const DialogButton& b : app_.vars.buttons()) {
    if (b.dialog != title || b.page != page) continue;
    if (!row) row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    gtk_box_pack_start(GTK_BOX(row),
                       command_button(ButtonKind::kPush, b.label, b.command,
                                      b.picture.empty() ? "" : b.label, b.picture, ""),
                       FALSE, FALSE, 0);
  }
  return row;
}

// A dialog made of the variables named "<title>/...", in registry order: on notebook pages when
// the variables name pages, then the dialog's buttons and a "Close" button that issues the
// dialog's close name. Null when no variable belongs to it.
GtkWidget* GtkHost::build_var_dialog(std::string_view key) {
  const DialogNames* names = nullptr;
  for (const DialogNames& d : dialog_names())
    if (d.key == key) names = &d;
  if (!names) return nullptr;
  const std::string title(names->title);
  const std::string prefix = title + "/";
  std::vector<std::string> pages;  // in the order of their first variable
  std::vector<const DialogVar*> vars;
  for (const DialogVar& v : app_.vars.all())
    if (v.name.starts_with(prefix)) {
      vars.push_back(&v);
      if (std::find(pages.begin(), pages.end(), v.page) == pages.end()) pages.push_back(v.page);
    }
  if (vars.empty()) return nullptr;

  GtkWidget* win = dialog_window(key);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_container_add(GTK_CONTAINER(win), box);
  GtkWidget* notebook = pages.size() > 1 ? gtk_notebook_new() : nullptr;
  for (const std::string& page : pages) {
    std::vector<const DialogVar*> on_page;
    for (const DialogVar* v : vars)
      if (v->page == page) on_page.push_back(v);
    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_container_set_border_width(GTK_CONTAINER(content), notebook ? 6 : 0);
    gtk_box_pack_start(GTK_BOX(content), var_grid(on_page), FALSE, FALSE, 0);
    if (GtkWidget* row = page.empty() ? nullptr : var_buttons(title, page))
      gtk_box_pack_start(GTK_BOX(content), row, FALSE, FALSE, 0);
    if (notebook)
      gtk_notebook_append_page(GTK_NOTEBOOK(notebook), content,
                               translated(gtk_label_new(""), page));
    else gtk_box_pack_start(GTK_BOX(box), content, TRUE, TRUE, 0);
  }
  if (notebook) gtk_box_pack_start(GTK_BOX(box), notebook, TRUE, TRUE, 0);
  if (key == kDialogSymbol) {
    GtkWidget* frame = translated(gtk_frame_new(""), "Preview");
    gtk_container_add(GTK_CONTAINER(frame),
                      build_preview(kSymbolPreview, 240, 180, draw_symbol_preview));
    gtk_box_pack_start(GTK_BOX(box), frame, TRUE, TRUE, 0);
  }
  if (GtkWidget* row = var_buttons(title, ""))
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
  if (!names->close.empty())
    gtk_box_pack_start(GTK_BOX(box),
                       command_button(ButtonKind::kPush, "Close", names->close[0], "", "", ""),
                       FALSE, FALSE, 0);
  var_dialogs_.emplace_back(std::string(key), win);
  return win;
}

// The selection panel below the palette: the "Selection/..." variables.
void GtkHost::build_selection_panel() {
  if (!selection_place_) return;
  for (const DialogVar& v : app_.vars.all())
    if (v.name.starts_with("Selection/"))
      gtk_box_pack_start(GTK_BOX(selection_place_), bound_widget(v), FALSE, FALSE, 0);
  // The buttons that end a selection step: finish, everything, the last step, cancel.
  struct Row {
    const char* label;
    const char* command;
    const char* tip;
  };
  static constexpr Row rows[] = {
      {"OK", "s_deffi_ok", "Finish the selection"},
      {"All", "s_deffi_all", "Select all accessible elements"},
      {"Last", "s_deffi_last", "Select the elements of the last step"},
      {"Cancel", "s_deffi_cancel", "Cancel the selection"},
  };
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 1);
  gtk_box_set_homogeneous(GTK_BOX(row), TRUE);
  for (const Row& r : rows)
    gtk_box_pack_start(GTK_BOX(row),
                       command_button(ButtonKind::kPush, r.label, r.command, r.tip, "", ""), TRUE,
                       TRUE, 0);
  gtk_box_pack_start(GTK_BOX(selection_place_), row, FALSE, FALSE, 0);
}

}  // namespace korav
