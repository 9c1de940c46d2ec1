// The main window's keyboard handler as a table: from a key (GDK key name and the Control and
// Shift modifiers) and a little state to the command it writes and the effects it has. Both
// hosts call press_key (app/app.h), which applies what key_effect decides.
#pragma once

#include <string>
#include <string_view>

namespace korav {

struct KeyState {
  bool value_entry_open = false;   // every key belongs to the entry
  bool point_asked = false;        // the snap buttons are enabled: i, m, d, t snap
  bool selection_running = false;  // Tab ends the selection
};

struct KeyEffect {
  std::string command;  // written through the common activate handler; "" for none
  int page = -1;        // palette page to show (then the command is "p_nop")
  int pen = -1;         // Control+F1..F8
  int line_type = -1;   // Shift+F1..F8
  int scroll_key = 0;   // numeric pad 1..9 (5: show all)
  bool focus_canvas = false;
  bool open_layers = false;  // open or raise the layer dialog, refresh its list
  bool refresh_coordinates = false;
  bool handled() const {
    return !command.empty() || page >= 0 || pen >= 0 || line_type >= 0 || scroll_key ||
           open_layers || focus_canvas || refresh_coordinates;
  }
};

KeyEffect key_effect(std::string_view key, bool ctrl, bool shift, const KeyState& state);

// The numeric-pad digit of a key name ("KP_7", "7", "KP_Home", ...), 0 for other keys.
int numpad_digit(std::string_view key);
// The digit 0-9 of a keypad key, with or without Num Lock (Ctrl + keypad digit picks a view);
// -1 for other keys.
int keypad_view(std::string_view key);

// The GDK name of a key as a script names it: a GDK key name of the keyboard ("Escape", "F9",
// "KP_Add", "x", "asterisk", ...) stays as it is, a single sign becomes its name ("+" is
// "plus", "*" is "asterisk"). Empty for a name no key has: both hosts refuse it alike.
std::string_view key_name(std::string_view written);

}  // namespace korav
