// The application state: one block holding the open drawing, the view, the command buffer and
// everything the command loop, the point input and the dialogs share. There is no global
// instance: the host makes one App, tests make their own.
//
// How a host uses it:
//  1. std::string data = prepare_program(executable_path);   (data directory, catalogue, locale;
//     before any App exists, so that the default layer names are translated; GTK: call
//     gtk_disable_setlocale() before gtk_init so that numbers keep their decimal point)
//     App app; app.ui = &my_ui; start_up_in(app, command_line, data);
//     (settings, file name, temp dir, the drawing named on the command line).
//  2. Build the window from app/commands.h; arm the timers: backup_tick every
//     backup_interval_ms(app) (re-arm on Ui::backup_timer_changed), input_tick every 10 ms.
//  3. command_loop(app) runs until app.quit; then shut_down(app).
//  Events: menu items and buttons -> activate(app, name); keys -> press_key; canvas button
//  presses -> canvas_button; wheel -> canvas_scroll; pointer motion -> pointer_motion;
//  Enter in the value entry -> enter_value. Each returns true when the host must leave its
//  innermost main loop (the command is then in app.command). The canvas size goes to
//  canvas_resized.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/dialog_vars.h"
#include "app/dialogs/gauge.h"
#include "app/dialogs/info.h"
#include "app/dialogs/layers.h"
#include "app/dialogs/print_setup.h"
#include "app/dialogs/settings.h"
#include "app/dialogs/symbols.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/snap.h"
#include "base/private_dir.h"
#include "base/ui.h"
#include "base/user_dirs.h"
#include "draft/texts.h"
#include "exchange/dxf_export.h"
#include "exchange/dxf_import.h"
#include "exchange/pov_export.h"
#include "exchange/printcap.h"
#include "exchange/radiance_export.h"
#include "model/drawing.h"
#include "model/font_table.h"
#include "model/presets.h"
#include "render/renderer.h"
#include "three_d/building_units.h"
#include "three_d/material.h"
#include "three_d/hidden_lines.h"

namespace korav {

// Dialog keys (app/commands.h dialog_names) of the dialogs that exist.
inline constexpr std::string_view kDialogLayers = "layer";
inline constexpr std::string_view kDialogLayerEntry = "layerentry";
inline constexpr std::string_view kDialogGauge = "gauge";
inline constexpr std::string_view kDialogAbout = "about";
// The "Error" and "Message" boxes: one at a time, closed by "z_c_error".
inline constexpr std::string_view kDialogError = "error";

// Pressed-button memory of the button synchronisation.
struct PressedButtons {
  std::string tool;           // the pressed "b_" button, "" for none
  std::string view_function;  // the pressed "f_" button, "" for none
};

// Where the pointer is on the canvas: pixels (as doubles, so a script's world position maps
// back exactly) and the world position they stand for.
struct Pointer {
  double px = 0, py = 0;
  double x = 0, y = 0;
  bool inside = false;
};

struct App {
  Drawing drawing;
  Ui* ui = nullptr;

  std::string command;          // the command buffer
  std::string pending = "nop";  // a command handed back to the command loop
  bool quit = false;

  std::string program_dir;  // the data directory: nls/, graphics/, dat/, doc/ live here
  UserDirs user;            // an installed program's per-user directories (base/user_dirs.h)
  std::string temp_dir;
  // The program's own temporary directory, below temp_dir: the renders' files and the files
  // handed to the print and plot commands.
  PrivateDir private_dir;
  std::string start_dir;  // the directory korav was started in

  // The drawing surfaces (surface 0 is the canvas, with its view record) and the renderer.
  Display display;
  // Canvas size in pixels, as last configured.
  int canvas_width = 1000, canvas_height = 700;

  PointInput input;
  Pointer pointer;
  PressedButtons pressed;
  int palette_page = 0;
  bool selection_running = false;  // a selection dialogue (Tab means "s_deffi_ok")
  bool snap_on = true;             // tool-bar toggle "Snap"
  SnapPreview snap_preview;        // the input timer's walk for the snap preview
  SelectionSettings selection;     // the selection panel (mode, layers, type)
  Filter filter;                   // dialog "Filter"

  // Dialog state: which of the built dialogs are shown.
  std::set<std::string, std::less<>> open_dialogs;  // keys
  GaugeDialog gauge;
  InfoRows element_info;  // "Element information:"
  InfoRows project_info;  // "Project information:"
  LayerDialog layer_dialog;
  DialogVars vars;
  SettingsDialog settings_dialog;
  Presets presets;  // the current element presets and their names
  TextSize text_size;  // dialog "Textsize": the height and format of new texts
  // The texts' fonts, loaded on first use from "<data>/dat/fonts/": a cache, filled also
  // through a const App (measuring a text for a pick).
  mutable FontTable fonts;
  SymbolDialog symbols;  // the symbol list and the last symbol file

  // Palette option toggles (" + " beside Rotate and Mirror).
  std::int32_t rotate_copy = 0;
  std::int32_t mirror_copy = 0;
  // Room palette toggle "Add the area instead of substraction": polygons added to a room add
  // to its area (on) or are taken away from it (off).
  std::int32_t room_add = 0;
  std::string material = "Default";  // the current 3D material: new solids are named after it
  Material material_values;           // dialog "Material": the current material's values
  PovSettings pov;                    // dialog "Render settings"
  RadianceSettings radiance;          // dialog "Radiance settings"
  // The boolean operations' helper program; empty: looked up beside the program, then on the
  // PATH.
  std::string bso_program;
  double camera_lens = 60;            // the lens value of new cameras
  std::string pane_material = "Glass";  // the panes of window profiles are named after it
  UnitSizes unit_sizes;               // the building units' last sizes
  DxfExportOptions dxf_export;  // dialog "Export DXF..."
  DxfImportOptions dxf_import;  // dialog "Import DXF..."
  HlrOptions hlr;               // dialog "HLR options:"
  PrintSetupDialog print_setup;  // dialogs "Print Setup", "Plot Setup"
  std::string printcap = kSystemPrintcap;  // where the system's printers are listed

  App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  Screen& screen() { return display.screen; }
  // The view of the canvas.
  View& view() { return display.screen.surface[kMainSurface].view; }
  const View& view() const { return display.screen.surface[kMainSurface].view; }
  // The current view number: 0 plan, 1 to 9 the 3D views.
  int view_number() const { return static_cast<int>(drawing.settings.view_number); }

  bool dialog_open(std::string_view key) const;
  void set_dialog_open(std::string_view key, bool open);
};

// ---- Host events (each returns true when the host must leave its innermost main loop) ----

// The common activate handler: dialog dispatcher, button synchronisation, command buffer. A name
// of the command tables that has no handler yet only says so (app/dispatch.h command_available)
// and returns false, so that a waiting tool goes on waiting.
bool activate(App& app, std::string_view name);
// A key press in the main window (GDK key name, "x", "Escape", "KP_5", ...).
bool press_key(App& app, std::string_view key, bool ctrl, bool shift);
// A press of mouse button 1 to 5 on the canvas at pixel (px, py); `presses` is 1 for a single
// press, 2 or 3 for a double or triple press (which only refresh the coordinate display).
bool canvas_button(App& app, int button, double px, double py, int presses = 1);
// The same at a world position (scripts: "click X Y").
bool canvas_button_world(App& app, int button, double x, double y);
// Wheel on the canvas.
bool canvas_scroll(App& app, bool up);
// Pointer motion on the canvas, in pixels or (scripts) at a world position.
void pointer_motion(App& app, double px, double py);
void pointer_motion_world(App& app, double x, double y);
// Enter in the value entry with its text.
bool enter_value(App& app, std::string_view text);
// Right button on the main window outside the canvas.
bool outside_canvas_button3(App& app);

// The canvas got a new pixel size (configure).
void canvas_resized(App& app, int width, int height);

// ---- Timers ----
int backup_interval_ms(const App& app);
// The "backup" timeout: writes "<file>.bak" when enabled and the drawing is modified.
void backup_tick(App& app);
// The 10 ms input timer: refreshes the coordinate display.
void input_tick(App& app);

// ---- Start-up, command loop, exit (app/startup.cpp, app/command_loop.cpp) ----

// Start-up steps 1 to 3, before any App exists: finds the data directory beside `executable`
// (the program's own path) and makes it the current directory, loads the message catalogue
// and sets the locale. Returns the data directory.
std::string prepare_program(const std::string& executable);
// The rest of start-up up to the command loop, with that data directory (no directory change):
// default settings, file name, temp dir, the drawing named on the command line. False only
// when that drawing could not be loaded (the program goes on with an empty drawing) or was
// read only up to a damage (the program goes on with what was read).
bool start_up_in(App& app, const CommandLine& cl, const std::string& data_dir);
// The catalogue "nls/krv.nls" with the language files "language" and "nls/language" of the
// data directory.
void load_catalogue(const std::string& data_dir);
void command_loop(App& app);
void shut_down(App& app);

// The data directory: $KORAV_DATA_DIR, the executable's directory, <exe>/../share/korav, or the
// directory above the executable's (a build directory inside the source tree) — the first that
// holds "nls/krv.nls" or "graphics". Empty when none does.
std::string find_data_dir(const std::string& executable);
// The system temporary directory ($TMPDIR, else /tmp), with a trailing '/'; empty when none.
std::string system_temp_dir();

// "KORAV  File: %s  Layer: %s  Scale: 1:%.0f" filled in and shown.
void update_title(App& app);
std::string title_text(const App& app);
// "New" and "Quit" with their questions.
void file_new(App& app);
void file_quit(App& app);
// The drawing changed as a whole (load, new, undo, layer functions): recount layers, refresh
// the layer dialog and the title, redraw.
void drawing_replaced(App& app);
// Redraw the whole drawing onto the canvas.
void redraw(App& app);

// The directory part of the current file name, with a trailing '/'. An installed program's
// default is the directory the user started it in.
std::string drawing_directory(const App& app);
// The dialog path of the settings (the element presets' root, shipped), with a trailing '/'.
std::string dialog_directory(const App& app);
// The directory a settings path names, with a trailing '/': an absolute path itself, a relative
// one (empty: `fallback`, "dat/sym/") below the data directory.
std::string settings_path_directory(const App& app, std::string_view path,
                                    std::string_view fallback);
// Where the user's own files for that settings path go: for an installed program and a relative
// path, the same place below the user's data directory; else "" (the directory itself).
std::string user_path_directory(const App& app, std::string_view path, std::string_view fallback);
// The directory whose "dat/prefs/" holds the settings the user saves and "language" the chosen
// language: the user's configuration directory of an installed program, else the data directory.
std::string user_settings_root(const App& app);
// A data path ("nls/krv.nls") below the data directory.
std::string data_path(const App& app, std::string_view relative);

}  // namespace korav
