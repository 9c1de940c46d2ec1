// The symbol list dialog ("Symbol"): a "List" of the current library directory (directories
// first, ".." to go up, never above the symbol path), the chosen "Symbol", the "Angle" it is
// inserted at, its "Preview" on the symbol preview surface, and "Paste" ("z_c_symbol_paste"),
// which closes the dialog and inserts the chosen symbol (app/tools/symbols.h).
#pragma once

#include <string>
#include <vector>

namespace korav {

struct App;

inline constexpr std::string_view kDialogSymbol = "symbol";
inline constexpr std::string_view kParentEntry = "..";

struct SymbolDialog {
  std::string last_file;  // the symbol file last saved or loaded
  std::string folder;     // the listed directory, below (or at) the symbol path, with '/'
  std::string list;       // the entry chosen in "List" (a directory ends with '/')
  std::string symbol;     // the chosen symbol's file name in `folder`
  double angle = 0;       // radians
};

// The symbol path of the settings, absolute, with a trailing '/'; for an installed program the
// same place below the user's data directory (created when missing).
std::string symbol_directory(const App& app);

void register_symbol_variables(App& app);
// Lists `folder` again (the symbol path when it is empty or has left it).
void refresh_symbol_list(App& app);
// "List" chose an entry: a directory is entered, a file becomes the symbol.
void symbol_list_choose(App& app, const std::string& entry);
// The chosen symbol's path, or "" when none is chosen.
std::string chosen_symbol_path(const App& app);
// Draws the chosen symbol fitted into the symbol preview surface (when the dialog has one).
void draw_symbol_preview(App& app);

}  // namespace korav
