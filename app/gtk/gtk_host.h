// The GTK 3 window host: the main window, its boxes and dialogs, and the replay of scripts into
// the real window. This is the only code of the program that sees GTK.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "app/dialog_vars.h"
#include "app/dialogs/info.h"
#include "base/ui.h"

namespace korav {

struct App;
class Replay;

// A widget label as shown: translated, except labels made only of signs and figures (" + ",
// " 1:1 ", "..."), which read the same in every language.
std::string label_text(std::string_view english);
// Shows `english` translated on a label, menu item, frame, button or window (its tool tip) and
// remembers it, so that retranslate shows every such text again in a new language.
GtkWidget* translated(GtkWidget* w, std::string_view english);
void translated_tip(GtkWidget* w, std::string_view english);
void retranslate(GtkWidget* root);
// A picture of "./graphics/" as a pixbuf (the caller owns it); nullptr, with a diagnostic,
// when the file is missing or broken.
GdkPixbuf* load_picture(const App& app, std::string_view file);

// The smallest canvas the window can be shrunk to.
inline constexpr int kMinCanvasWidth = 200;
inline constexpr int kMinCanvasHeight = 150;

class GtkHost : public Ui {
 public:
  explicit GtkHost(App& app);
  GtkHost(const GtkHost&) = delete;
  GtkHost& operator=(const GtkHost&) = delete;
  ~GtkHost() override;

  // ---- Ui ----
  void error_box(std::string_view text) override;
  void message_box(std::string_view text) override;
  void error_box_filled(std::string_view text) override;
  void message_box_filled(std::string_view text) override;
  int question(std::string_view text, std::span<const std::string_view> buttons) override;
  int question_filled(std::string_view text, std::span<const std::string_view> buttons) override;
  std::optional<std::string> edit_text(std::string_view title, std::string_view initial) override;
  std::optional<std::string> choose_file(std::string_view title, std::string_view start,
                                         bool save) override;
  std::optional<std::string> choose_directory(std::string_view title,
                                              std::string_view start) override;
  void set_title(std::string_view title) override;
  void set_prompt(std::string_view text) override;
  std::string wait_command() override;
  void open_value_entry(std::string_view initial_text) override;
  void close_value_entry() override;
  void set_coordinates(std::string_view first, std::string_view second) override;
  void set_scale_text(std::string_view text) override;
  void set_button_active(std::string_view command, bool active) override;
  void set_snap_buttons_sensitive(bool sensitive) override;
  void set_undo_buttons(bool undo, bool redo) override;
  void refresh_toggles() override;
  void show_palette_page(int page) override;
  void focus_canvas() override;
  void canvas_changed() override;
  void show_dialog(std::string_view key) override;
  void hide_dialog(std::string_view key) override;
  void refresh_dialog(std::string_view key) override;
  void language_changed() override;
  void open_help(std::string_view path) override;
  void backup_timer_changed() override;
  // GTK's print dialog (gtk_print.cpp).
  HostPrint print_page(PagePrinter& page, std::string& message) override;

  // ---- the window ----
  // Builds and shows the main window with a canvas of the given size: exactly that size (a
  // replay's --size), or at first that size and shrinking with the window.
  GtkWidget* build_main_window(int canvas_width, int canvas_height, bool exact_size);
  // Waits until the canvas has its size and its drawing surface.
  void wait_for_canvas();
  void arm_timers();
  void remove_timers();
  void destroy_window();

  // A command name from a widget: the common activate handler, then leave the main loop.
  void command(std::string_view name);
  // Leaves the innermost main loop when one runs.
  void leave_main_loop();
  // Events as the window receives them (also used by the replay).
  bool key_press(GdkEventKey* ev);
  bool key_by_name(std::string_view name, bool ctrl, bool shift);
  void canvas_press(int button, double px, double py, int presses);
  void canvas_motion(double px, double py);
  void canvas_wheel(bool up);
  void value_entered();
  bool value_entry_open() const { return value_entry_ != nullptr; }
  GtkWidget* value_entry() const { return value_entry_; }
  // A bound toggle of a tool bar or the palette changed by the user.
  void bound_toggle_changed(GtkWidget* w);

  // ---- boxes ----
  void progress_begin(std::string_view title) override;
  void progress_update(double fraction) override;
  void progress_end() override;
  void close_text_box();
  void pump_events();
  // Replay answers to an open question box or file chooser.
  bool answer_question(std::string_view answer, std::string& error);
  bool answer_file_chooser(const std::optional<std::string>& path, std::string& error);
  // Ends whatever box is still open (and any box GTK opened over it), as cancelled.
  void abandon_boxes();
  bool question_open() const { return question_ != nullptr; }
  bool chooser_open() const { return chooser_ != nullptr; }
  // How deep the command waits are nested (0: no command wait runs).
  int wait_depth() const { return wait_depth_; }
  // How often leave_main_loop ran (the replay sees whether an event left the loop).
  unsigned long leave_count() const { return leave_count_; }

  // Transcript lines on standard output (the replay prints them as the script host does).
  bool print_transcript = false;
  void transcript(std::string_view kind, std::string_view text);

  // Writes the whole main window into a PNG; false with a message when it cannot.
  bool screenshot(const std::string& path, std::string& error);

  void set_replay(Replay* r) { replay_ = r; }
  App& app() { return app_; }
  GtkWidget* window() const { return window_; }
  GtkWidget* canvas() const { return canvas_; }

  GtkWidget* text_box_ = nullptr;  // the one "Error"/"Message" box

  // A widget bound to a dialog variable (bound_widgets.cpp).
  struct BoundWidget {
    GtkHost* host = nullptr;
    GtkWidget* widget = nullptr;
    std::vector<GtkWidget*> parts;   // the buttons of a radio group
    std::vector<std::string> items;  // English item labels
    std::string name;
    VarKind kind = VarKind::kEntry;
  };
  void bound_changed(BoundWidget& b, const std::string& text);
  // Shows the registry's values in one bound widget, or (nullptr) in all of them.
  void refresh_bound(BoundWidget* only = nullptr);

 private:
  struct CommandButton {
    GtkWidget* widget = nullptr;
    std::string command;
    gulong handler = 0;
  };
  struct BoundToggle {
    GtkWidget* widget = nullptr;
    std::string variable;
    gulong handler = 0;
  };
  struct QuestionState {
    GtkWidget* window = nullptr;
    std::string text;                 // translated
    std::vector<std::string> labels;  // English
    std::vector<GtkWidget*> buttons;
    int answer = -1;
    bool running = false;
  };
  struct ChooserState {
    GtkWidget* dialog = nullptr;
    std::optional<std::string> replay_answer;
  };

  const char* keep(std::string_view s);
  GtkWidget* picture(std::string_view file);
  GtkWidget* command_button(ButtonKind kind, std::string_view label, std::string_view command,
                            std::string_view tip, std::string_view picture_file,
                            std::string_view variable);
  GtkWidget* build_menu_bar();
  GtkWidget* build_toolbar(int bar);
  GtkWidget* build_palette();
  GtkWidget* build_canvas(int width, int height, bool exact_size);
  // A dialog's preview: a drawing area of its own size showing surface `number`, which gets a
  // back buffer of that size and is drawn by `redraw` whenever it is (re)configured.
  GtkWidget* build_preview(int number, int width, int height, void (*redraw)(App&));
  void show_text_box(std::string_view title, std::string_view text);
  std::optional<std::string> run_chooser(std::string_view title, std::string_view start,
                                         GtkFileChooserAction action);
  GtkWidget* bound_widget(const DialogVar& v);
  GtkWidget* build_var_dialog(std::string_view key);
  GtkWidget* var_grid(const std::vector<const DialogVar*>& vars);
  GtkWidget* var_buttons(std::string_view title, std::string_view page);
  void build_selection_panel();

  // Dialogs (gtk_dialogs.cpp).
  void build_layer_dialog();
  void refresh_layer_dialog();
  void build_layer_name_dialog();
  void build_gauge_dialog();
  void refresh_gauge_dialog();
  void build_about_box();
  GtkWidget* dialog_window(std::string_view key);
  void destroy_dialogs();
  // The information dialogs: rows of a label and a value (app/dialogs/info.h).
  struct RowDialog {
    GtkWidget* window = nullptr;
    GtkWidget* grid = nullptr;
  };
  const InfoRows* info_rows(std::string_view key) const;
  RowDialog& row_dialog(std::string_view key);
  void refresh_row_dialog(RowDialog& d, const InfoRows& rows);

  App& app_;
  Replay* replay_ = nullptr;
  std::deque<std::string> kept_strings_;  // command names handed to signals as user data

  GtkWidget* window_ = nullptr;
  GtkAccelGroup* accel_group_ = nullptr;
  GtkWidget* prompt_ = nullptr;
  GtkWidget* value_place_ = nullptr;
  GtkWidget* value_entry_ = nullptr;
  GtkWidget* canvas_ = nullptr;
  GtkWidget* notebook_ = nullptr;
  GtkWidget* selection_place_ = nullptr;
  GtkWidget* coord_x_ = nullptr;
  GtkWidget* coord_y_ = nullptr;
  GtkWidget* scale_label_ = nullptr;
  GtkWidget* undo_button_ = nullptr;
  GtkWidget* redo_button_ = nullptr;
  std::vector<GtkWidget*> snap_buttons_;
  std::vector<CommandButton> command_buttons_;
  std::vector<BoundToggle> bound_toggles_;
  std::vector<GtkWidget*> preset_combos_;
  std::deque<BoundWidget> bound_widgets_;  // stable addresses: signals hold them
  struct PreviewArea {
    GtkHost* host;
    int number;  // the surface shown
    void (*redraw)(App&);
  };
  std::deque<PreviewArea> previews_;  // stable addresses: signals hold them
  bool updating_ = false;             // widgets are being set from their variables
  std::vector<std::pair<std::string, GtkWidget*>> var_dialogs_;  // key, window
  std::vector<std::pair<std::string, RowDialog>> row_dialogs_;

  // Non-modal dialogs, built on first use.
  GtkWidget* layer_window_ = nullptr;
  GtkListStore* layer_store_ = nullptr;
  GtkListStore* list_store_ = nullptr;
  GtkWidget* layer_view_ = nullptr;
  GtkWidget* list_view_ = nullptr;
  GtkWidget* set_combo_ = nullptr;
  bool refreshing_layers_ = false;
  GtkWidget* layer_name_window_ = nullptr;
  GtkWidget* layer_name_entry_ = nullptr;
  GtkWidget* gauge_window_ = nullptr;
  std::vector<GtkWidget*> gauge_values_;
  GtkWidget* about_window_ = nullptr;
  GdkPixbuf* markers_[5] = {};

  QuestionState* question_ = nullptr;
  ChooserState* chooser_ = nullptr;
  GtkWidget* progress_ = nullptr;
  GtkWidget* progress_bar_ = nullptr;
  std::string last_title_, last_prompt_;
  std::string shown_first_, shown_second_;  // the coordinate labels' texts
  int wait_depth_ = 0;
  unsigned long leave_count_ = 0;
  guint backup_timer_ = 0, input_timer_ = 0;
};

}  // namespace korav
