// run_window_host: start-up, the main window, the command loop inside GTK, and exit. Also the
// host's side of the Ui seam that is not a box or a dialog: command wait, value entry, tool-bar
// state, keys, canvas events and timers.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/gtk/gtk_host.h"
#include "app/gtk/replay.h"
#include "app/hosts.h"
#include "app/script_host.h"
#include "base/messages.h"
#include "base/regular_file.h"
#include "render/surface.h"

namespace korav {

GtkHost::GtkHost(App& app) : app_(app) {}

GtkHost::~GtkHost() {
  remove_timers();
  destroy_window();
  for (GdkPixbuf*& p : markers_)
    if (p) {
      g_object_unref(p);
      p = nullptr;
    }
}

// Every non-modal dialog goes; each is built again when it is next shown.
void GtkHost::destroy_dialogs() {
  for (GtkWidget** w : {&layer_window_, &layer_name_window_, &gauge_window_, &about_window_})
    if (*w) {
      gtk_widget_destroy(*w);
      *w = nullptr;
    }
  for (auto& [key, w] : var_dialogs_) gtk_widget_destroy(w);
  var_dialogs_.clear();
  for (auto& [key, d] : row_dialogs_) gtk_widget_destroy(d.window);
  row_dialogs_.clear();
  layer_view_ = list_view_ = set_combo_ = layer_name_entry_ = nullptr;
  layer_store_ = list_store_ = nullptr;
  gauge_values_.clear();
  // The dialogs' bound widgets stay in the list with no widget (signals of the main window
  // hold the addresses of the others).
}

void GtkHost::language_changed() {
  std::vector<std::string> shown(app_.open_dialogs.begin(), app_.open_dialogs.end());
  destroy_dialogs();
  if (window_) retranslate(window_);
  // Option menus of the main window show their items in the new language.
  bool was = updating_;
  updating_ = true;
  for (BoundWidget& b : bound_widgets_) {
    if (!b.widget || b.kind != VarKind::kOption) continue;
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(b.widget));
    for (const std::string& item : b.items)
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(b.widget), label_text(item).c_str());
  }
  updating_ = was;
  refresh_bound();
  for (const std::string& key : shown)
    if (key != kDialogError) show_dialog(key);
}

void GtkHost::destroy_window() {
  progress_end();
  close_text_box();
  destroy_dialogs();
  app_.screen().surface[kMainSurface].on_present = nullptr;
  if (window_) {
    gtk_widget_destroy(window_);
    window_ = nullptr;
  }
  // Every widget went with the windows.
  canvas_ = prompt_ = value_entry_ = value_place_ = notebook_ = selection_place_ = nullptr;
  coord_x_ = coord_y_ = scale_label_ = undo_button_ = redo_button_ = nullptr;
  snap_buttons_.clear();
  command_buttons_.clear();
  bound_toggles_.clear();
  preset_combos_.clear();
  bound_widgets_.clear();
}

void GtkHost::transcript(std::string_view kind, std::string_view text) {
  if (!print_transcript) return;
  std::printf("%.*s: %.*s\n", static_cast<int>(kind.size()), kind.data(),
              static_cast<int>(text.size()), text.data());
  std::fflush(stdout);
}

void GtkHost::leave_main_loop() {
  ++leave_count_;
  if (gtk_main_level() > 0) gtk_main_quit();
}

void GtkHost::command(std::string_view name) {
  if (activate(app_, name)) leave_main_loop();
}

std::string GtkHost::wait_command() {
  if (app_.quit) return "p_nop";
  ++wait_depth_;
  if (replay_) replay_->command_wait_started();
  gtk_main();
  --wait_depth_;
  return app_.command;
}

// ---- value entry ----

void GtkHost::open_value_entry(std::string_view initial_text) {
  close_value_entry();
  if (!value_place_) return;
  value_entry_ = gtk_entry_new();
  gtk_entry_set_max_length(GTK_ENTRY(value_entry_), 256);
  gtk_widget_set_size_request(value_entry_, 100, -1);
  gtk_entry_set_text(GTK_ENTRY(value_entry_), std::string(initial_text).c_str());
  g_signal_connect(value_entry_, "activate", G_CALLBACK(+[](GtkEntry*, gpointer self) {
                     static_cast<GtkHost*>(self)->value_entered();
                   }),
                   this);
  gtk_box_pack_start(GTK_BOX(value_place_), value_entry_, FALSE, FALSE, 0);
  gtk_widget_show(value_entry_);
  gtk_widget_grab_focus(value_entry_);
}

void GtkHost::close_value_entry() {
  if (value_entry_) gtk_widget_destroy(value_entry_);
  value_entry_ = nullptr;
}

void GtkHost::value_entered() {
  if (!value_entry_) return;
  std::string text = gtk_entry_get_text(GTK_ENTRY(value_entry_));
  if (enter_value(app_, text)) leave_main_loop();
}

// ---- tool bars ----

void GtkHost::set_coordinates(std::string_view first, std::string_view second) {
  // Called on every tick of the input timer: touch the labels only when the text changes.
  if (first == shown_first_ && second == shown_second_) return;
  shown_first_ = first;
  shown_second_ = second;
  if (coord_x_) gtk_label_set_text(GTK_LABEL(coord_x_), (" " + shown_first_ + " ").c_str());
  if (coord_y_) gtk_label_set_text(GTK_LABEL(coord_y_), (" " + shown_second_ + " ").c_str());
}

void GtkHost::set_scale_text(std::string_view text) {
  if (scale_label_) gtk_label_set_text(GTK_LABEL(scale_label_), std::string(text).c_str());
}

void GtkHost::set_button_active(std::string_view name, bool active) {
  for (CommandButton& b : command_buttons_) {
    if (b.command != name || !GTK_IS_TOGGLE_BUTTON(b.widget)) continue;
    g_signal_handler_block(b.widget, b.handler);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b.widget), active ? TRUE : FALSE);
    g_signal_handler_unblock(b.widget, b.handler);
  }
}

void GtkHost::set_snap_buttons_sensitive(bool sensitive) {
  for (GtkWidget* b : snap_buttons_) gtk_widget_set_sensitive(b, sensitive ? TRUE : FALSE);
}

void GtkHost::set_undo_buttons(bool undo, bool redo) {
  if (undo_button_) gtk_widget_set_sensitive(undo_button_, undo ? TRUE : FALSE);
  if (redo_button_) gtk_widget_set_sensitive(redo_button_, redo ? TRUE : FALSE);
}

void GtkHost::refresh_toggles() {
  refresh_bound();
  // The "Name:" entry of the Layers dialog follows its variable (a script may set it); left
  // alone while it already shows it, so typing keeps its cursor.
  if (layer_name_entry_ &&
      app_.layer_dialog.rename_text != gtk_entry_get_text(GTK_ENTRY(layer_name_entry_))) {
    refreshing_layers_ = true;
    gtk_entry_set_text(GTK_ENTRY(layer_name_entry_), app_.layer_dialog.rename_text.c_str());
    refreshing_layers_ = false;
  }
  for (BoundToggle& t : bound_toggles_) {
    if (!app_.vars.find(t.variable)) continue;
    g_signal_handler_block(t.widget, t.handler);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(t.widget), app_.vars.flag(t.variable));
    g_signal_handler_unblock(t.widget, t.handler);
  }
}

void GtkHost::bound_toggle_changed(GtkWidget* w) {
  for (BoundToggle& t : bound_toggles_) {
    if (t.widget != w) continue;
    bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
    std::string error;
    DialogVars::Result r = app_.vars.set(app_, t.variable, on ? "on" : "off", error);
    if (r == DialogVars::Result::kLeave) leave_main_loop();
    if (r == DialogVars::Result::kError) {
      std::printf("%s: %s\n", t.variable.c_str(), error.c_str());
      refresh_toggles();  // show the value that is really stored
    }
  }
}

void GtkHost::focus_canvas() {
  if (canvas_) gtk_widget_grab_focus(canvas_);
}

void GtkHost::open_help(std::string_view path) {
  std::string p(path);
  if (replay_) {  // a replay never starts a browser
    std::printf("help page %s\n", p.c_str());
    return;
  }
  GError* err = nullptr;
  gchar* uri = g_filename_to_uri(p.c_str(), nullptr, &err);
  if (uri) {
    g_app_info_launch_default_for_uri(uri, nullptr, &err);
    g_free(uri);
  }
  if (err) {
    std::printf("cannot open %s: %s\n", p.c_str(), err->message);
    g_error_free(err);
    error_box("Cannot open file");
  }
}

// ---- keys ----

bool GtkHost::key_by_name(std::string_view name, bool ctrl, bool shift) {
  bool leave = press_key(app_, name, ctrl, shift);
  if (leave) leave_main_loop();
  return leave;
}

bool GtkHost::key_press(GdkEventKey* ev) {
  // While the value entry is open every key belongs to it.
  if (value_entry_) return false;
  const char* name = gdk_keyval_name(ev->keyval);
  if (!name) return false;
  bool ctrl = (ev->state & GDK_CONTROL_MASK) != 0;
  bool shift = (ev->state & GDK_SHIFT_MASK) != 0;
  key_by_name(name, ctrl, shift);
  // Control with a letter is left to the menu accelerators.
  if (ctrl && !(ev->keyval >= GDK_KEY_F1 && ev->keyval <= GDK_KEY_F12)) return false;
  return true;
}

// ---- timers ----

void GtkHost::arm_timers() {
  remove_timers();
  backup_timer_changed();
  input_timer_ = g_timeout_add(
      10,
      +[](gpointer self) -> gboolean {
        input_tick(static_cast<GtkHost*>(self)->app());
        return G_SOURCE_CONTINUE;
      },
      this);
}

void GtkHost::remove_timers() {
  if (backup_timer_) g_source_remove(backup_timer_);
  if (input_timer_) g_source_remove(input_timer_);
  backup_timer_ = input_timer_ = 0;
}

// Arms the "backup" timer with the interval of the settings (again, when they changed).
void GtkHost::backup_timer_changed() {
  if (backup_timer_) g_source_remove(backup_timer_);
  backup_timer_ = 0;
  int ms = backup_interval_ms(app_);
  if (ms > 0)
    backup_timer_ = g_timeout_add(
        static_cast<guint>(ms),
        +[](gpointer self) -> gboolean {
          backup_tick(static_cast<GtkHost*>(self)->app());
          return G_SOURCE_CONTINUE;
        },
        this);
}

namespace {

// Draws one toplevel into a PNG.
bool write_window_png(GtkWidget* win, const std::string& path, std::string& error) {
  gtk_container_check_resize(GTK_CONTAINER(win));
  GtkAllocation a;
  gtk_widget_get_allocation(win, &a);
  if (a.width <= 1 || a.height <= 1) {
    error = "the window has no size yet; nothing written to " + path;
    return false;
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, a.width, a.height);
  cairo_t* cr = cairo_create(s);
  gtk_widget_draw(win, cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  cairo_status_t st = cairo_surface_write_to_png(s, path.c_str());
  cairo_surface_destroy(s);
  if (st != CAIRO_STATUS_SUCCESS) {
    error = "cannot write " + path + ": " + cairo_status_to_string(st);
    return false;
  }
  return true;
}

}  // namespace

bool GtkHost::screenshot(const std::string& path, std::string& error) {
  if (!window_) {
    error = "no window to write to " + path;
    return false;
  }
  // Let pending size changes and redraws settle first.
  pump_events();
  if (!write_window_png(window_, path, error)) return false;
  // Every dialog that is shown goes beside it: "shot.png" gives "shot-layer.png", ...
  std::vector<std::pair<std::string, GtkWidget*>> shown;
  const std::pair<std::string_view, GtkWidget*> fixed[] = {{kDialogLayers, layer_window_},
                                                           {kDialogLayerEntry, layer_name_window_},
                                                           {kDialogGauge, gauge_window_},
                                                           {kDialogAbout, about_window_}};
  for (auto& [key, w] : fixed) shown.emplace_back(std::string(key), w);
  for (auto& [key, w] : var_dialogs_) shown.emplace_back(key, w);
  for (auto& [key, d] : row_dialogs_) shown.emplace_back(key, d.window);
  std::string stem = path.ends_with(".png") ? path.substr(0, path.size() - 4) : path;
  for (auto& [key, w] : shown)
    if (w && gtk_widget_get_visible(w) && !write_window_png(w, stem + "-" + key + ".png", error))
      return false;
  return true;
}

// The command loop starts by fitting the view to the drawing, which needs the canvas's real
// size: let the window be mapped and laid out first.
void GtkHost::wait_for_canvas() {
  for (int i = 0; i < 200 && gtk_widget_get_allocated_width(canvas_) <= 1; ++i) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    if (gtk_widget_get_allocated_width(canvas_) <= 1) g_usleep(5000);
  }
  const Surface& s = app_.screen().surface[kMainSurface];
  if (!s.created || !s.image) {
    int w = gtk_widget_get_allocated_width(canvas_);
    int h = gtk_widget_get_allocated_height(canvas_);
    canvas_resized(app_, w > 1 ? w : app_.canvas_width, h > 1 ? h : app_.canvas_height);
  }
}

// ---- start-up and exit ----

namespace {

// The optional style file: GTK 3 reads its styles as CSS.
void load_style_file(const std::string& dir) {
  std::string path = dir + "/korav.gtkrc";
  std::string text;
  if (!read_regular_file(path, text)) return;  // none (or no regular file): the default look
  GtkCssProvider* css = gtk_css_provider_new();
  GError* err = nullptr;
  if (gtk_css_provider_load_from_data(css, text.data(), static_cast<gssize>(text.size()), &err)) {
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  } else {
    std::printf("%s: %s\n", path.c_str(), err ? err->message : "cannot be read");
    if (err) g_error_free(err);
  }
  g_object_unref(css);
}

}  // namespace

int run_window_host(const CommandLine& cl) {
  // The locale is set by start-up from the language file; GTK must not reset it.
  gtk_disable_setlocale();
  // A replayed run leaves the user's desktop settings (the file chooser's among them) alone.
  if (!cl.replay.empty()) g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fputs("korav: cannot open the display\n", stderr);
    return 1;
  }
  std::unique_ptr<Replay> replay;
  if (!cl.replay.empty()) {
    // Events follow each other faster than a person's; without style transitions every
    // widget shows its new state at once, and a screenshot shows what was done.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    replay = std::make_unique<Replay>();
    std::string error;
    if (!replay->load(cl.replay, error)) {
      std::fprintf(stderr, "korav: %s\n", error.c_str());
      return 1;
    }
  }

  // The catalogue is loaded before the App exists, so that its default layer names are
  // already translated.
  const std::string data_dir = prepare_program(executable_path());
  App app;
  GtkHost host(app);
  app.ui = &host;
  host.print_transcript = replay != nullptr;
  if (cl.width > 0 && cl.height > 0) {
    app.canvas_width = cl.width;
    app.canvas_height = cl.height;
  }
  // A drawing named on the command line that cannot be loaded leaves an empty drawing; a
  // replay then ends with status 1, as a script does.
  const bool loaded = start_up_in(app, cl, data_dir);
  load_style_file(app.program_dir);
  host.build_main_window(app.canvas_width, app.canvas_height, replay != nullptr);
  host.wait_for_canvas();
  host.arm_timers();
  if (replay) {
    replay->attach(host, cl);
    host.set_replay(replay.get());
    if (!loaded) replay->error_shown();
  }
  command_loop(app);
  int status = replay ? replay->finish() : 0;
  host.remove_timers();
  host.set_replay(nullptr);
  host.destroy_window();
  shut_down(app);
  app.ui = nullptr;
  return status;
}

}  // namespace korav
