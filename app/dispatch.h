// The dispatchers: every command name goes to the dispatcher of its first letter, which looks
// it up in its table and runs the action. The dialog dispatcher opens and closes dialogs by
// their "z_d_" and "z_c_" names; button synchronisation keeps the tool bar and palette toggles
// in line with the running command.
#pragma once

#include <span>
#include <string_view>

namespace korav {

struct App;

// What a command without a handler says.
inline constexpr std::string_view kMsgNotAvailable = "Not available yet";

using Action = void (*)(App& app);
struct DispatchEntry {
  std::string_view name;
  Action action;
};

// The tables (for tests and for the script host's view of what runs).
std::span<const DispatchEntry> dispatch_table(char prefix);

// Each runs the action of the name and returns true, or returns false when its table has no
// such name.
bool dispatch_p(App& app, std::string_view name);
bool dispatch_b(App& app, std::string_view name);
bool dispatch_f(App& app, std::string_view name);
bool dispatch_s(App& app, std::string_view name);
bool dispatch_z(App& app, std::string_view name);
// By the first letter; false for a name that no dispatcher has (other first letters included).
bool dispatch(App& app, std::string_view name);

// True when the program acts on the name: a dispatcher's table has it, the point input takes
// it in a waiting step, or it opens or closes a dialog that exists. A name of the command
// tables that is none of these has no handler yet.
bool command_available(std::string_view name);
// "Not available yet" for such a name, leaving every button as it was: the toggle button the
// user just pressed is released again.
void command_not_available(App& app, std::string_view name);

// Opens or closes a dialog for "z_d_" and "z_c_" names; any other name does nothing. A dialog
// that is not built yet opens nothing. Returns true when the name was a dialog name.
bool dispatch_dialog(App& app, std::string_view name);
// True when the dialog with this key exists in this program.
bool dialog_available(std::string_view key);
void show_dialog(App& app, std::string_view key);
void hide_dialog(App& app, std::string_view key);

// Button synchronisation for a name about to be written into the command buffer.
void sync_buttons(App& app, std::string_view name);
void release_tool_button(App& app);
void release_view_button(App& app);

// View steps shared by the dispatchers, the keyboard and the point input.
void view_scale_plus(App& app);
void view_scale_minus(App& app);
void view_show_all(App& app);
void view_centre_on_pointer(App& app);
void view_changed(App& app);  // recompute done: scale text, redraw

// Help pages below the data directory's "doc/".
void open_help_page(App& app, std::string_view page);

}  // namespace korav
