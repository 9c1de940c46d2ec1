// The symbol and clipboard tools ("b_symbol_...", "p_symbol_..."): saving the selection as a
// symbol file or to the clipboard (moved so that the origin the user gives becomes (0, 0)),
// inserting a symbol file, the clipboard or the symbol chosen in the list at an origin and an
// angle, and the commands of the library directories. The files are files/symbols.h, the
// placing draft/symbol_placing.h.
#pragma once

namespace korav {

struct App;

void tool_symbol_save(App& app);
void tool_symbol_copy(App& app);
void tool_symbol_cut(App& app);
void tool_symbol_load(App& app);
void tool_symbol_paste(App& app);
// "Paste" of the symbol list dialog: the chosen symbol at the dialog's angle. The dialog closes;
// while another tool waits for input nothing is inserted.
void tool_symbol_list_paste(App& app);
void tool_symbol_remove(App& app);
void tool_symbol_library_new(App& app);
void tool_symbol_library_remove(App& app);

}  // namespace korav
