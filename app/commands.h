// The command names of the program and the tables that issue them: the menu bar, the two tool
// bars, the palette pages and their tool buttons, the dialog open/close pairs.
//
// How a host uses it: build the widgets from these tables in table order. Labels and tips are
// English; pass them through translate() when showing them. A button whose command starts with
// "b_" or "f_" is a toggle button (button synchronisation keeps it pressed while its command
// runs); every other command button is a push button. Every widget hands its command name to
// korav::activate (app/app.h). Bound toggles have no command: they show and change a dialog
// variable (app/dialog_vars.h) named by `variable`.
#pragma once

#include <span>
#include <string_view>

namespace korav {

// ---- Menu bar ------------------------------------------------------------------------------

struct MenuEntry {
  std::string_view menu;     // "Project", "Clip", "Help"
  std::string_view submenu;  // "" or the label of the submenu the item sits in ("Import", ...)
  std::string_view label;    // "separator" makes a separator line
  std::string_view command;
  char key = 0;  // accelerator with Control (lower case or ','), 0 for none
};

std::span<const MenuEntry> menu_entries();

// ---- Tool bars -----------------------------------------------------------------------------

enum class ButtonKind {
  kPush,         // push button with a command
  kToggle,       // toggle button with a command ("b_" and "f_" names)
  kBoundToggle,  // toggle button bound to a dialog variable, no command
  kLabel,        // a label (the coordinate display)
};

struct ToolbarEntry {
  int bar;  // 0 upper, 1 second
  ButtonKind kind;
  std::string_view label;     // text shown when there is no picture
  std::string_view command;   // "" for bound toggles and labels
  std::string_view tip;       // tooltip ("" for none)
  std::string_view picture;   // file in "./graphics/", "" for a text button
  std::string_view variable;  // bound toggles: the dialog variable ("Toolbar/Snap")
};

std::span<const ToolbarEntry> toolbar_entries();

// The scale button and the coordinate labels are refreshed at run time.
inline constexpr std::string_view kScaleButtonCommand = "f_mamid";
inline constexpr int kCoordinateLabelX = 0;  // index among the kLabel entries
inline constexpr int kCoordinateLabelY = 1;

// ---- Palette -------------------------------------------------------------------------------

struct PalettePage {
  std::string_view name;   // "line", "circle", ... (the key of the page)
  std::string_view label;  // page button label
  char key;                // keyboard key that shows the page
};

inline constexpr int kPalettePageCount = 12;
// In the order of the page buttons: two columns, six rows, row by row.
std::span<const PalettePage> palette_pages();
// The page index of a page name, -1 when unknown.
int palette_page_index(std::string_view name);
// The page shown by a keyboard key (either case), -1 for other keys.
int palette_page_for_key(char key);

struct PaletteEntry {
  int page;                  // index into palette_pages()
  ButtonKind kind;           // kToggle for tools, kBoundToggle for option toggles
  std::string_view label;    // a leading "-" marks a variant of the button above it
  std::string_view command;  // "" for bound toggles
  std::string_view tip;
  std::string_view picture;   // file in "./graphics/" or ""
  std::string_view heading;   // group label the button sits under ("Alter", "Group", ...) or ""
  std::string_view preset;    // element preset family of the tool ("wall", ...) or ""
  std::string_view variable;  // bound toggles: the dialog variable
};

// Every palette button, page by page, in table order. "b_edit_delete" appears on every page.
std::span<const PaletteEntry> palette_entries();

// Preset families: the dialog that edits a family's preset opens with "z_d_" + dialog.
struct PresetFamily {
  std::string_view family;  // "wall", "room", ...
  std::string_view dialog;  // "wall", "mat", ...
};
std::span<const PresetFamily> preset_families();

// ---- Commands ------------------------------------------------------------------------------

// Every tool name ("b_"), with the button label it has on the palette or tool bar ("" when no
// button issues it).
struct ToolName {
  std::string_view command;
  std::string_view label;
};
std::span<const ToolName> tool_names();

// True for every command name the program knows (any prefix, dialog names included).
bool is_known_command(std::string_view name);

// Dialog open/close names: `key` names the dialog for the Ui (app/ui.h show_dialog).
struct DialogNames {
  std::string_view key;
  std::string_view title;  // English window title
  std::span<const std::string_view> open;
  std::span<const std::string_view> close;
};
std::span<const DialogNames> dialog_names();
// The dialog a "z_d_" or "z_c_" name opens or closes; nullptr for other names.
const DialogNames* dialog_for_open(std::string_view name);
const DialogNames* dialog_for_close(std::string_view name);

}  // namespace korav
