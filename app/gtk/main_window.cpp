// The main window, top to bottom: menu bar, the two tool bars, the palette with its page
// buttons and notebook, the canvas, the prompt line with the place of the value entry. Every
// widget is built from the tables of app/commands.h and hands its command name to the host.
#include <string>

#include "app/app.h"
#include "app/commands.h"
#include "app/gtk/gtk_host.h"
#include "app/gtk/xpm_reader.h"
#include "base/messages.h"

namespace korav {

namespace {

void on_menu_activate(GtkMenuItem* item, gpointer self) {
  auto* name = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "korav-command"));
  if (name) static_cast<GtkHost*>(self)->command(name);
}

void on_button_clicked(GtkButton* button, gpointer self) {
  auto* name = static_cast<const char*>(g_object_get_data(G_OBJECT(button), "korav-command"));
  if (name) static_cast<GtkHost*>(self)->command(name);
}

void on_page_button(GtkButton* button, gpointer self) {
  auto* host = static_cast<GtkHost*>(self);
  int page = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "korav-page"));
  host->app().palette_page = page;
  host->show_palette_page(page);
}

}  // namespace

std::string label_text(std::string_view english) {
  for (char c : english)
    if (g_ascii_isalpha(c)) return std::string(translate(english));
  return std::string(english);
}

namespace {

constexpr const char* kEnglish = "korav-english";
constexpr const char* kEnglishTip = "korav-english-tip";

void show_translation(GtkWidget* w) {
  if (auto* english = static_cast<const char*>(g_object_get_data(G_OBJECT(w), kEnglish))) {
    const std::string text = label_text(english);
    if (GTK_IS_LABEL(w)) gtk_label_set_text(GTK_LABEL(w), text.c_str());
    else if (GTK_IS_MENU_ITEM(w)) gtk_menu_item_set_label(GTK_MENU_ITEM(w), text.c_str());
    else if (GTK_IS_FRAME(w)) gtk_frame_set_label(GTK_FRAME(w), text.c_str());
    else if (GTK_IS_BUTTON(w)) gtk_button_set_label(GTK_BUTTON(w), text.c_str());
    else if (GTK_IS_WINDOW(w)) gtk_window_set_title(GTK_WINDOW(w), text.c_str());
  }
  if (auto* tip = static_cast<const char*>(g_object_get_data(G_OBJECT(w), kEnglishTip)))
    gtk_widget_set_tooltip_text(w, label_text(tip).c_str());
}

void retranslate_tree(GtkWidget* w, gpointer) {
  show_translation(w);
  if (GTK_IS_MENU_ITEM(w))
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(w)))
      retranslate_tree(sub, nullptr);
  if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), retranslate_tree, nullptr);
}

}  // namespace

GtkWidget* translated(GtkWidget* w, std::string_view english) {
  g_object_set_data_full(G_OBJECT(w), kEnglish, g_strndup(english.data(), english.size()), g_free);
  show_translation(w);
  return w;
}

void translated_tip(GtkWidget* w, std::string_view english) {
  g_object_set_data_full(G_OBJECT(w), kEnglishTip, g_strndup(english.data(), english.size()),
                         g_free);
  show_translation(w);
}

void retranslate(GtkWidget* root) { retranslate_tree(root, nullptr); }

const char* GtkHost::keep(std::string_view s) {
  kept_strings_.emplace_back(s);
  return kept_strings_.back().c_str();
}

GdkPixbuf* load_picture(const App& app, std::string_view file) {
  if (file.empty()) return nullptr;
  std::string path = data_path(app, "graphics/" + std::string(file));
  XpmPicture pic;
  std::string error;
  if (!read_xpm_file(path, pic, error)) {
    std::printf("%s\n", error.c_str());  // the caller shows a text instead
    return nullptr;
  }
  GBytes* bytes = g_bytes_new(pic.rgba.data(), pic.rgba.size());  // a copy of the pixels
  GdkPixbuf* pb = gdk_pixbuf_new_from_bytes(bytes, GDK_COLORSPACE_RGB, TRUE, 8, pic.width,
                                            pic.height, pic.width * 4);
  g_bytes_unref(bytes);
  return pb;
}

GtkWidget* GtkHost::picture(std::string_view file) {
  GdkPixbuf* pb = load_picture(app_, file);
  if (!pb) return nullptr;
  GtkWidget* image = gtk_image_new_from_pixbuf(pb);
  g_object_unref(pb);
  return image;
}

GtkWidget* GtkHost::command_button(ButtonKind kind, std::string_view label,
                                   std::string_view command_name, std::string_view tip,
                                   std::string_view picture_file, std::string_view variable) {
  GtkWidget* b = nullptr;
  bool toggle = kind == ButtonKind::kToggle || kind == ButtonKind::kBoundToggle;
  b = toggle ? gtk_toggle_button_new() : gtk_button_new();
  GtkWidget* image = picture(picture_file);
  if (image) {
    gtk_container_add(GTK_CONTAINER(b), image);
  } else {
    gtk_container_add(GTK_CONTAINER(b), translated(gtk_label_new(""), label));
  }
  // A picture button without a tip still tells its name.
  std::string_view shown_tip = !tip.empty() ? tip : image ? label : std::string_view();
  if (!shown_tip.empty()) translated_tip(b, shown_tip);
  gtk_widget_set_focus_on_click(b, FALSE);
  if (kind == ButtonKind::kBoundToggle) {
    BoundToggle t;
    t.widget = b;
    t.variable = std::string(variable);
    t.handler = g_signal_connect(b, "toggled", G_CALLBACK(+[](GtkToggleButton* w, gpointer self) {
                                   static_cast<GtkHost*>(self)->bound_toggle_changed(GTK_WIDGET(w));
                                 }),
                                 this);
    bound_toggles_.push_back(std::move(t));
    return b;
  }
  g_object_set_data(G_OBJECT(b), "korav-command", const_cast<char*>(keep(command_name)));
  CommandButton cb;
  cb.widget = b;
  cb.command = std::string(command_name);
  cb.handler =
      g_signal_connect(b, toggle ? "toggled" : "clicked", G_CALLBACK(on_button_clicked), this);
  command_buttons_.push_back(std::move(cb));
  return b;
}

GtkWidget* GtkHost::build_menu_bar() {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* current_menu = nullptr;
  std::string_view current_menu_name;
  GtkWidget* current_sub = nullptr;
  std::string_view current_sub_name;
  for (const MenuEntry& e : menu_entries()) {
    if (!current_menu || e.menu != current_menu_name) {
      GtkWidget* top = translated(gtk_menu_item_new_with_label(""), e.menu);
      current_menu = gtk_menu_new();
      gtk_menu_set_accel_group(GTK_MENU(current_menu), accel_group_);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), current_menu);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
      current_menu_name = e.menu;
      current_sub = nullptr;
      current_sub_name = {};
    }
    GtkWidget* parent = current_menu;
    if (!e.submenu.empty()) {
      if (!current_sub || e.submenu != current_sub_name) {
        GtkWidget* sub_item = translated(gtk_menu_item_new_with_label(""), e.submenu);
        current_sub = gtk_menu_new();
        gtk_menu_set_accel_group(GTK_MENU(current_sub), accel_group_);
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(sub_item), current_sub);
        gtk_menu_shell_append(GTK_MENU_SHELL(current_menu), sub_item);
        current_sub_name = e.submenu;
      }
      parent = current_sub;
    } else {
      current_sub = nullptr;
      current_sub_name = {};
    }
    if (e.label == "separator") {
      gtk_menu_shell_append(GTK_MENU_SHELL(parent), gtk_separator_menu_item_new());
      continue;
    }
    GtkWidget* item = translated(gtk_menu_item_new_with_label(""), e.label);
    g_object_set_data(G_OBJECT(item), "korav-command", const_cast<char*>(keep(e.command)));
    g_signal_connect(item, "activate", G_CALLBACK(on_menu_activate), this);
    if (e.key) {
      guint keyval = gdk_unicode_to_keyval(static_cast<guint32>(e.key));
      gtk_widget_add_accelerator(item, "activate", accel_group_, keyval, GDK_CONTROL_MASK,
                                 GTK_ACCEL_VISIBLE);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), item);
  }
  return bar;
}

GtkWidget* GtkHost::build_toolbar(int bar) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 1);
  gtk_widget_set_name(box, "korav-toolbar");
  int label_index = 0;
  for (const ToolbarEntry& e : toolbar_entries()) {
    if (e.bar != bar) continue;
    if (e.kind == ButtonKind::kLabel) {
      GtkWidget* label = gtk_label_new(std::string(e.label).c_str());
      gtk_label_set_width_chars(GTK_LABEL(label), 16);
      gtk_label_set_xalign(GTK_LABEL(label), 0);
      GtkWidget* frame = gtk_frame_new(nullptr);
      gtk_container_add(GTK_CONTAINER(frame), label);
      gtk_box_pack_start(GTK_BOX(box), frame, FALSE, FALSE, 2);
      if (label_index == kCoordinateLabelX) coord_x_ = label;
      if (label_index == kCoordinateLabelY) coord_y_ = label;
      ++label_index;
      continue;
    }
    GtkWidget* b = command_button(e.kind, e.label, e.command, e.tip, e.picture, e.variable);
    if (e.command == kScaleButtonCommand) {
      scale_label_ = gtk_bin_get_child(GTK_BIN(b));
      gtk_label_set_width_chars(GTK_LABEL(scale_label_), 10);
    }
    if (e.command.starts_with("z_snap_")) snap_buttons_.push_back(b);
    if (e.command == "p_undo") undo_button_ = b;
    if (e.command == "p_redo") redo_button_ = b;
    gtk_box_pack_start(GTK_BOX(box), b, FALSE, FALSE, 0);
  }
  return box;
}

GtkWidget* GtkHost::build_palette() {
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_widget_set_name(column, "korav-palette");
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_homogeneous(GTK_GRID(grid), TRUE);
  int index = 0;
  for (const PalettePage& p : palette_pages()) {
    GtkWidget* b = translated(gtk_button_new_with_label(""), p.label);
    gtk_widget_set_focus_on_click(b, FALSE);
    g_object_set_data(G_OBJECT(b), "korav-page", GINT_TO_POINTER(index));
    g_signal_connect(b, "clicked", G_CALLBACK(on_page_button), this);
    gtk_grid_attach(GTK_GRID(grid), b, index % 2, index / 2, 1, 1);
    ++index;
  }
  gtk_box_pack_start(GTK_BOX(column), grid, FALSE, FALSE, 0);

  notebook_ = gtk_notebook_new();
  gtk_notebook_set_show_tabs(GTK_NOTEBOOK(notebook_), FALSE);
  gtk_notebook_set_show_border(GTK_NOTEBOOK(notebook_), TRUE);
  std::vector<GtkWidget*> pages;
  for (std::size_t i = 0; i < palette_pages().size(); ++i) {
    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 1);
    gtk_container_set_border_width(GTK_CONTAINER(page), 3);
    pages.push_back(page);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook_), page, nullptr);
  }
  GtkWidget* row = nullptr;
  int row_page = -1;
  std::string_view heading;
  // A tool's preset row (combo of preset names and the button of the preset dialog) follows
  // the tool's button and its variants.
  GtkWidget* preset_row = nullptr;
  GtkWidget* preset_page = nullptr;
  auto flush_preset = [&] {
    if (preset_row) gtk_box_pack_start(GTK_BOX(preset_page), preset_row, FALSE, FALSE, 0);
    preset_row = nullptr;
  };
  for (const PaletteEntry& e : palette_entries()) {
    if (e.page < 0 || e.page >= static_cast<int>(pages.size())) continue;
    GtkWidget* page = pages[static_cast<std::size_t>(e.page)];
    if (e.page != row_page) {
      flush_preset();
      row = nullptr;
      heading = {};
      row_page = e.page;
    }
    if (e.heading != heading) {
      flush_preset();
      heading = e.heading;
      if (!heading.empty()) {
        GtkWidget* label = translated(gtk_label_new(""), heading);
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_box_pack_start(GTK_BOX(page), label, FALSE, FALSE, 2);
      }
      row = nullptr;
    }
    // A variant ("-X") or an option toggle joins the row of the button above it.
    bool variant = (!e.label.empty() && e.label[0] == '-') || e.kind == ButtonKind::kBoundToggle;
    // The view keys stand in rows of three as on a numeric keypad: 7 8 9, 4 5 6, 1 2 3, 0.
    if (e.command.starts_with("s_view_"))
      variant = !(e.label == "7" || e.label == "4" || e.label == "1" || e.label == "0");
    if (!variant || !row) {
      flush_preset();
      row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 1);
      gtk_box_pack_start(GTK_BOX(page), row, FALSE, FALSE, 0);
    }
    GtkWidget* b = command_button(e.kind, e.label, e.command, e.tip, e.picture, e.variable);
    gtk_box_pack_start(GTK_BOX(row), b, TRUE, TRUE, 0);
    if (!e.preset.empty()) {
      flush_preset();
      preset_row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 1);
      preset_page = page;
      std::string dialog = "z_d_" + std::string(e.preset);
      for (const PresetFamily& f : preset_families())
        if (f.family == e.preset || f.dialog == e.preset) dialog = "z_d_" + std::string(f.dialog);
      // The family's "Name" combo, the same variable as in its preset dialog.
      const DialogVar* name = nullptr;
      for (const DialogNames& n : dialog_names())
        if ("z_d_" + std::string(n.key) == dialog)
          name = app_.vars.find(std::string(n.title) + "/Name");
      GtkWidget* combo = name ? bound_widget(*name) : gtk_combo_box_text_new();
      gtk_widget_set_size_request(combo, 90, -1);
      if (!name) gtk_widget_set_sensitive(combo, FALSE);  // a family still to come
      if (name) gtk_entry_set_width_chars(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo))), 6);
      preset_combos_.push_back(combo);
      gtk_box_pack_start(GTK_BOX(preset_row), combo, TRUE, TRUE, 0);
      GtkWidget* open = command_button(ButtonKind::kPush, "...", dialog, "", "", "");
      gtk_box_pack_start(GTK_BOX(preset_row), open, FALSE, FALSE, 0);
    }
  }
  flush_preset();
  // The pages scroll when the window is lower than they are, so the canvas alone decides the
  // window's height and the page buttons and the selection panel stay in view.
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroll), TRUE);
  gtk_container_add(GTK_CONTAINER(scroll), notebook_);
  gtk_box_pack_start(GTK_BOX(column), scroll, TRUE, TRUE, 0);

  // The place of the selection panel.
  selection_place_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 1);
  gtk_box_pack_start(GTK_BOX(column), selection_place_, FALSE, FALSE, 0);
  build_selection_panel();
  return column;
}

void GtkHost::show_palette_page(int page) {
  if (!notebook_ || page < 0 || page >= kPalettePageCount) return;
  gtk_notebook_set_current_page(GTK_NOTEBOOK(notebook_), page);
}

// Compact buttons: the palette holds many of them. A style file given by the user comes later
// and wins.
static void install_compact_style() {
  static const char css[] =
      "#korav-palette button, #korav-toolbar button { padding: 1px 4px; min-height: 18px; "
      "min-width: 0; }\n"
      "#korav-palette label { font-size: 90%; }\n";
  GtkCssProvider* p = gtk_css_provider_new();
  if (gtk_css_provider_load_from_data(p, css, -1, nullptr))
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(p),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION - 1);
  g_object_unref(p);
}

GtkWidget* GtkHost::build_main_window(int canvas_width, int canvas_height, bool exact_size) {
  install_compact_style();
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), "Korav");
  accel_group_ = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window_), accel_group_);

  GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window_), vbox);
  gtk_box_pack_start(GTK_BOX(vbox), build_menu_bar(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(vbox), build_toolbar(0), FALSE, FALSE, 1);
  gtk_box_pack_start(GTK_BOX(vbox), build_toolbar(1), FALSE, FALSE, 1);

  GtkWidget* middle = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  gtk_box_pack_start(GTK_BOX(vbox), middle, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(middle), build_palette(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(middle), build_canvas(canvas_width, canvas_height, exact_size), TRUE,
                     TRUE, 0);

  GtkWidget* bottom = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  prompt_ = gtk_entry_new();
  gtk_editable_set_editable(GTK_EDITABLE(prompt_), FALSE);
  gtk_widget_set_can_focus(prompt_, FALSE);
  gtk_box_pack_start(GTK_BOX(bottom), prompt_, TRUE, TRUE, 0);
  value_place_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_box_pack_start(GTK_BOX(bottom), value_place_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(vbox), bottom, FALSE, FALSE, 1);

  g_signal_connect(window_, "key-press-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventKey* ev, gpointer self) -> gboolean {
                     return static_cast<GtkHost*>(self)->key_press(ev) ? TRUE : FALSE;
                   }),
                   this);
  g_signal_connect(window_, "button-press-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventButton* ev, gpointer self) -> gboolean {
                     // Button 3 anywhere outside the canvas ends the running tool.
                     auto* host = static_cast<GtkHost*>(self);
                     if (ev->type == GDK_BUTTON_PRESS && ev->button == 3) {
                       if (outside_canvas_button3(host->app())) host->leave_main_loop();
                       return TRUE;
                     }
                     return FALSE;
                   }),
                   this);
  g_signal_connect(window_, "delete-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     // The close box behaves as "Quit"; not while a question box or file
                     // chooser waits for its answer (it would be closed as cancelled).
                     auto* host = static_cast<GtkHost*>(self);
                     if (!host->question_open() && !host->chooser_open())
                       host->command("p_file_quit");
                     return TRUE;
                   }),
                   this);
  show_palette_page(app_.palette_page);
  if (!exact_size) {
    // The canvas may shrink with the window; it starts at the size asked for.
    GtkRequisition natural;
    gtk_widget_get_preferred_size(vbox, nullptr, &natural);
    gtk_window_set_default_size(GTK_WINDOW(window_), natural.width + canvas_width - kMinCanvasWidth,
                                natural.height + canvas_height - kMinCanvasHeight);
  }
  gtk_widget_show_all(window_);
  refresh_toggles();
  set_snap_buttons_sensitive(app_.input.snap_buttons);
  set_undo_buttons(app_.drawing.undo.undo_enabled(), app_.drawing.undo.redo_enabled());
  return window_;
}

}  // namespace korav
