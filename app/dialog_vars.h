// Dialog-bound variables: every widget of a dialog is bound to one program variable, named
// "Dialog title/Label" with the English texts. The registry parses a new value the way the
// widget would (unit conversion, normalisation), stores it, and runs the change handling: the
// preview group's redraw, "z_toggle" for radio groups, the variable's own reaction.
//
// How a host uses it: build a dialog's widgets from the entries whose name starts with its
// title; show value_text() (entries), index() (option menus, radio groups), flag() (toggles)
// or number() (spin buttons, sliders); on a change call set(app, name, text) with the widget's
// text ("on"/"off" for toggles, the item's label or number for option menus and radio groups)
// and, when it returns Leave, leave the innermost main loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/element.h"

namespace korav {

struct App;

enum class VarKind {
  kCheck,       // check button, 0/1
  kToggle,      // toggle button, 0/1
  kRadio,       // radio group, the number of the chosen button
  kOption,      // option menu, the index of the chosen item
  kSpinInt,     // integer spin button
  kSpinDouble,  // real spin button
  kSlider,      // horizontal scale
  kEntry,       // text entry
  kLength,      // length entry (metres)
  kPaper,       // paper-size entry (millimetres)
  kAngle,       // angle entry (radians)
  kNumber,      // plain number entry
  kSize,        // pen/line/text size entry (centimetres)
  kCombo,       // combo box of names
};

// A character field of a record: its first byte and its size (NUL included).
struct CharField {
  char* data = nullptr;
  std::size_t size = 0;
};
template <std::size_t N>
CharField char_field(FixedName<N>& f) {
  return {f.s, N};
}

using VarRef = std::variant<std::monostate, std::int32_t*, std::uint32_t*, bool*, double*,
                            std::string*, CharField>;

// Which values a unit or number entry takes; others are refused with "Number out of range"
// and the variable keeps its value.
enum class VarRange {
  kAny,
  kPositive,     // above 0
  kNonNegative,  // 0 or above
};

struct DialogVar {
  std::string name;  // "Dialog title/Label"
  VarKind kind = VarKind::kEntry;
  VarRef ref;
  VarRange range = VarRange::kAny;
  double lower = 0, upper = 0, step = 1;  // spin buttons and sliders
  std::vector<std::string> items;         // option menus and radio groups: English labels
  std::size_t max_length = 80;            // entries
  std::string group;                      // preview group: "main", "layerentry", "text", ...
  std::string page;                       // the notebook page of a dialog that has pages
  // The variable's own reaction after it was changed.
  std::function<void(App&)> changed;
};

// A push button of a dialog made from its variables: it issues `command` like every button.
struct DialogButton {
  std::string dialog;   // the dialog's title
  std::string label;    // English
  std::string command;  // "z_save_wall", ...
  std::string picture;  // an XPM file in graphics/ shown instead of the label, or empty
  std::string page;     // the notebook page it stands on; empty: the row above "Close"
};

class DialogVars {
 public:
  enum class Result {
    kDone,   // stored
    kLeave,  // stored, and the host must leave its innermost main loop (app.command is set)
    kError,  // nothing changed; `error` says why
  };

  // Adds a variable; one of the same name is replaced.
  DialogVar& add(DialogVar v);
  void remove(std::string_view name);
  const DialogVar* find(std::string_view name) const;
  const std::vector<DialogVar>& all() const { return vars_; }
  // New items of a combo or option menu (a name list that changed); the hosts show them at
  // their next refresh.
  void set_items(std::string_view name, std::vector<std::string> items);

  void add_button(DialogButton b) { buttons_.push_back(std::move(b)); }
  const std::vector<DialogButton>& buttons() const { return buttons_; }
  // While on, radio groups do not issue "z_toggle" (the program sets them itself).
  bool suppress_toggle = false;

  // "set NAME VALUE".
  Result set(App& app, std::string_view name, std::string_view value, std::string& error);

  // What the widget shows: the formatted value for entries, the item label for option menus
  // and radio groups, "on"/"off" for toggles, the number for spin buttons and sliders.
  std::string value_text(const App& app, std::string_view name) const;
  int index(std::string_view name) const;
  bool flag(std::string_view name) const;
  double number(std::string_view name) const;

 private:
  std::vector<DialogVar> vars_;
  std::vector<DialogButton> buttons_;
};

// The variables of the dialogs and bound toggles that exist (tool bars, Layers, gauge).
void register_shell_variables(App& app);

}  // namespace korav
