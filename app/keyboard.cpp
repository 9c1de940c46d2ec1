#include "app/keyboard.h"

#include <string>
#include <utility>

#include "app/app.h"
#include "app/commands.h"
#include "app/dialogs/layers.h"
#include "app/dispatch.h"

namespace korav {

namespace {

// F1 .. F8 -> 0 .. 7, else -1.
int function_key(std::string_view key) {
  if (key.size() == 2 && key[0] == 'F' && key[1] >= '1' && key[1] <= '8') return key[1] - '1';
  return -1;
}

char single_letter(std::string_view key) {
  if (key.size() != 1) return 0;
  char c = key[0];
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? c : 0;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The names of the printable signs from ' ' to '~' that are neither letters nor digits.
constexpr std::pair<char, std::string_view> kSignNames[] = {
    {' ', "space"},      {'!', "exclam"},       {'"', "quotedbl"},    {'#', "numbersign"},
    {'$', "dollar"},     {'%', "percent"},      {'&', "ampersand"},   {'\'', "apostrophe"},
    {'(', "parenleft"},  {')', "parenright"},   {'*', "asterisk"},    {'+', "plus"},
    {',', "comma"},      {'-', "minus"},        {'.', "period"},      {'/', "slash"},
    {':', "colon"},      {';', "semicolon"},    {'<', "less"},        {'=', "equal"},
    {'>', "greater"},    {'?', "question"},     {'@', "at"},          {'[', "bracketleft"},
    {'\\', "backslash"}, {']', "bracketright"}, {'^', "asciicircum"}, {'_', "underscore"},
    {'`', "grave"},      {'{', "braceleft"},    {'|', "bar"},         {'}', "braceright"},
    {'~', "asciitilde"},
};

// Keys without a sign of their own (function keys F1 to F35 are recognised by their form).
constexpr std::string_view kKeyNames[] = {
    "Escape",       "Return",      "Tab",         "ISO_Left_Tab", "BackSpace",  "Delete",
    "Insert",       "Home",        "End",         "Page_Up",      "Page_Down",  "Prior",
    "Next",         "Left",        "Right",       "Up",           "Down",       "Begin",
    "Menu",         "Pause",       "Print",       "Scroll_Lock",  "Num_Lock",   "Caps_Lock",
    "Shift_L",      "Shift_R",     "Control_L",   "Control_R",    "Alt_L",      "Alt_R",
    "Super_L",      "Super_R",     "KP_0",        "KP_1",         "KP_2",       "KP_3",
    "KP_4",         "KP_5",        "KP_6",        "KP_7",         "KP_8",       "KP_9",
    "KP_Add",       "KP_Subtract", "KP_Multiply", "KP_Divide",    "KP_Enter",   "KP_Decimal",
    "KP_Separator", "KP_Equal",    "KP_Space",    "KP_Tab",       "KP_Home",    "KP_Left",
    "KP_Up",        "KP_Right",    "KP_Down",     "KP_Prior",     "KP_Page_Up", "KP_Next",
    "KP_Page_Down", "KP_End",      "KP_Begin",    "KP_Insert",    "KP_Delete",
};

bool is_function_key_name(std::string_view k) {
  if (k.size() < 2 || k.size() > 3 || k[0] != 'F' || k[1] < '1' || k[1] > '9') return false;
  if (k.size() == 2) return true;
  if (k[2] < '0' || k[2] > '9') return false;
  return (k[1] - '0') * 10 + (k[2] - '0') <= 35;
}

}  // namespace

std::string_view key_name(std::string_view k) {
  if (k.size() == 1) {
    const char c = k[0];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return k;
    for (const auto& [sign, name] : kSignNames)
      if (sign == c) return name;
    return {};
  }
  if (is_function_key_name(k)) return k;
  for (const auto& [sign, name] : kSignNames)
    if (name == k) return name;
  for (std::string_view name : kKeyNames)
    if (name == k) return name;
  return {};
}

int numpad_digit(std::string_view key) {
  static constexpr std::string_view kNoNumLock[] = {
      "KP_Insert", "KP_End",   "KP_Down", "KP_Page_Down", "KP_Left",
      "KP_Begin",  "KP_Right", "KP_Home", "KP_Up",        "KP_Page_Up"};
  if (key.size() == 1 && key[0] >= '1' && key[0] <= '9') return key[0] - '0';
  if (key.size() == 4 && key.starts_with("KP_") && key[3] >= '1' && key[3] <= '9')
    return key[3] - '0';
  for (int i = 1; i <= 9; ++i)
    if (key == kNoNumLock[i]) return i;
  return 0;
}

int keypad_view(std::string_view key) {
  static constexpr std::string_view kNoNumLock[] = {
      "KP_Insert", "KP_End",   "KP_Down", "KP_Page_Down", "KP_Left",
      "KP_Begin",  "KP_Right", "KP_Home", "KP_Up",        "KP_Page_Up"};
  if (key.size() == 4 && key.starts_with("KP_") && key[3] >= '0' && key[3] <= '9')
    return key[3] - '0';
  for (int i = 0; i <= 9; ++i)
    if (key == kNoNumLock[i]) return i;
  return -1;
}

KeyEffect key_effect(std::string_view key, bool ctrl, bool shift, const KeyState& st) {
  KeyEffect fx;
  if (st.value_entry_open) return fx;

  const int fkey = function_key(key);
  if (ctrl && fkey >= 0) fx.pen = fkey;
  if (shift && fkey >= 0) fx.line_type = fkey;
  if (ctrl) {
    // Ctrl + keypad digit chooses the view laid out on that key.
    if (int view = keypad_view(key); view >= 0) {
      fx.command = "s_view_" + std::to_string(view);
      return fx;
    }
    // Otherwise only the function keys, and the menu accelerators.
    char c = key == "comma" ? ',' : single_letter(key);
    if (c && !shift)
      for (const MenuEntry& m : menu_entries())
        if (m.key && m.key == lower(c)) fx.command = std::string(m.command);
    return fx;
  }
  if (fx.line_type >= 0) return fx;

  const char letter = single_letter(key);
  auto is = [&](char lower_case) { return letter && lower(letter) == lower_case; };
  auto write = [&](std::string_view c) {
    fx.command = std::string(c);
    return fx;
  };

  if (letter == 'M') return write("z_def");
  if (letter == 'R') return write("s_back");
  if (st.point_asked) {
    if (letter == 'i') return write("z_snap_i");
    if (letter == 'm') return write("z_snap_m");
    if (letter == 'd') return write("z_snap_d");
    if (letter == 't') return write("z_snap_t");
  }
  if (key == "Return" || key == "KP_Enter" ||
      ((key == "Tab" || key == "ISO_Left_Tab") && !st.selection_running)) {
    fx.focus_canvas = true;
    return write("z_enter");
  }
  if (key == "Tab" || key == "ISO_Left_Tab") return write("s_deffi_ok");
  if (key == "Escape") {
    fx.focus_canvas = true;
    return write("p_nop");
  }
  if (key == "KP_Multiply" || key == "asterisk") {
    fx.open_layers = true;
    return fx;
  }
  if (is('x')) return write("z_cx");
  if (is('y')) return write("z_cy");
  if (is('z')) return write("z_cz");
  if (is('a')) return write("z_abs");
  if (int d = numpad_digit(key)) {
    fx.scroll_key = d;
    return fx;
  }
  if (key == "KP_Divide" || key == "slash") return write("b_gauge");
  if (key == "Up") return write("z_cup");
  if (key == "Down") return write("z_cdown");
  if (key == "Left") return write("z_cleft");
  if (key == "Right") return write("z_cright");
  if (key == "space") {
    fx.refresh_coordinates = true;
    return write("z_space");
  }
  if (letter == 'u') return write("p_undo");
  if (letter == 'U' || (key == "F1" && !shift)) return write("z_help_guide");
  if (key == "KP_Subtract" || key == "minus") return write("s_maminus");
  if (key == "KP_Add" || key == "plus") return write("s_maplus");
  if (key == "F9") return write("b_edit_delete");
  if (letter) {
    int page = palette_page_for_key(letter);
    if (page >= 0) {
      fx.page = page;
      return write("p_nop");
    }
  }
  return fx;
}

bool press_key(App& app, std::string_view key, bool ctrl, bool shift) {
  KeyState st;
  st.value_entry_open = app.input.value_entry_open;
  st.point_asked = app.input.snap_buttons;
  st.selection_running = app.selection_running;
  KeyEffect fx = key_effect(key, ctrl, shift, st);

  if (fx.pen >= 0) {
    app.drawing.current_pen = fx.pen;
    app.ui->refresh_toggles();
  }
  if (fx.line_type >= 0) {
    app.drawing.current_line_type = fx.line_type;
    app.ui->refresh_toggles();
  }
  if (fx.page >= 0) {
    app.palette_page = fx.page;
    app.ui->show_palette_page(fx.page);
  }
  if (fx.open_layers) open_layer_dialog(app);
  if (fx.scroll_key == 5) {
    view_show_all(app);
  } else if (fx.scroll_key) {
    if (numpad_scroll(app.view(), app.screen().aspect, fx.scroll_key)) view_changed(app);
  }
  if (fx.refresh_coordinates) refresh_coordinates(app);
  if (fx.focus_canvas) app.ui->focus_canvas();
  if (fx.command.empty()) return false;
  return activate(app, fx.command);
}

}  // namespace korav
