#include "app/tools/texts.h"

#include <algorithm>
#include <numbers>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "base/text_file.h"
#include "draft/texts.h"
#include "model/element_points.h"

namespace korav {

namespace {

inline constexpr std::string_view kEditTextTitle = "Edit Text:";

// The separate-editor switches, in the order the settings keep them.
enum EditorSwitch : int { kEditorText = 0, kEditorX = 1, kEditorY = 2, kEditorContent = 3 };

bool uses_editor(const App& app, EditorSwitch which) {
  return app.drawing.settings.text_editor[static_cast<std::size_t>(which)] != 0;
}

struct StartPoint {
  Vec2 at;
  double width = 0;  // the fitted width of a justified text
};

// "Start point:", and for a justified text "Move/End point:"; then "Move/Confirm:".
std::optional<StartPoint> ask_start(App& app, bool justified) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Start point:");
  if (justified) {
    r.add_step(kStepNextPoint, "Move/End point:",
               [](App& a, const PointRequest& q, double x, double y) {
                 xor_segment(a, point(q, 0), {x, y});
               });
    r.add_step(kStepConfirm, "Move/Confirm:", [](App& a, const PointRequest& q, double, double) {
      xor_segment(a, point(q, 0), point(q, 1));
    });
  } else {
    r.add_step(kStepConfirm, "Move/Confirm:");
  }
  if (point_input(app, r) != kInputDone) return std::nullopt;
  StartPoint s{point(r, 0)};
  if (justified) s.width = distance(point(r, 0), point(r, 1));
  return s;
}

enum class LineAnswer { kText, kEmpty, kLeave };

// One line (or, from the editor, one block of lines) of text, ISO-8859-1.
LineAnswer ask_line(App& app, bool editor, std::string& latin1) {
  if (editor) {
    std::optional<std::string> s = app.ui->edit_text(kEditTextTitle, "");
    if (!s) return LineAnswer::kEmpty;  // "Cancel" drops the prepared text
    latin1 = utf8_to_latin1(*s);
    return latin1.empty() ? LineAnswer::kEmpty : LineAnswer::kText;
  }
  PointRequest r;
  app.input.text.clear();  // each line starts in an empty entry
  if (!ask_value(app, kStepText, "Text:", r)) return LineAnswer::kLeave;
  latin1 = utf8_to_latin1(r.text);
  return latin1.empty() ? LineAnswer::kEmpty : LineAnswer::kText;
}

int line_count(std::string_view s) {
  return 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// The three placing commands: `angle` is fixed, or asked for when none.
void place_texts(App& app, std::optional<double> fixed_angle, EditorSwitch which) {
  if (!(app.text_size.size > 0)) return;
  double angle = 0;
  if (fixed_angle) {
    angle = *fixed_angle;
  } else {
    std::optional<double> a = ask_direction(app);
    if (!a) return;
    angle = *a;
  }
  const bool editor = uses_editor(app, which);
  const double scale = app.drawing.settings.drawing_scale;
  for (;;) {
    std::optional<StartPoint> start = ask_start(app, app.text_size.format == kTextJustified);
    if (!start) return;
    Text fields;
    if (const Text* old = text_at(app.drawing, start->at)) {
      fields = continued_fields(*old, scale);
    } else {
      fields = new_text_fields(app.drawing, app.presets.text, app.text_size, start->at, angle,
                               start->width);
    }
    for (;;) {
      std::string line;
      const LineAnswer answer = ask_line(app, editor, line);
      if (answer == LineAnswer::kLeave) return;
      if (answer == LineAnswer::kEmpty) break;
      if (add_text(app.drawing, fields, line)) created(app, 1);
      // A block from the editor holds several lines: the next one goes below all of them.
      Vec2 at{fields.pos.x, fields.pos.y};
      for (int i = line_count(line); i > 0; --i) at = next_line_position(fields, at, scale);
      fields.pos = {at.x, at.y};
    }
  }
}

// Selects elements for one of the alter commands; false when the selection was cancelled.
bool select_for_alter(App& app) {
  if (select_elements(app, 0) == 1) return true;
  app.drawing.deselect_all();
  redraw(app);
  return false;
}

void finish_alter(App& app) {
  app.drawing.deselect_all();
  changed(app);
}

}  // namespace

void tool_text_x(App& app) { place_texts(app, 0.0, kEditorX); }
void tool_text_y(App& app) { place_texts(app, std::numbers::pi / 2, kEditorY); }
void tool_text_text(App& app) { place_texts(app, std::nullopt, kEditorText); }

void tool_text_alter_content(App& app) {
  for (;;) {
    Text* t = as<Text>(pick_with_prompt(app, "Select text line:", kPickTexts));
    if (!t) return;
    std::string old(text_of(*t));
    latin1_to_utf8(old);
    std::optional<std::string> edited;
    highlight(app, *t, true);
    if (old.find('\n') == std::string::npos && !uses_editor(app, kEditorContent)) {
      PointRequest r;
      app.input.text = old;
      if (ask_value(app, kStepText, "Text:", r)) edited = r.text;
      app.input.text.clear();
    } else {
      edited = app.ui->edit_text(kEditTextTitle, old);
    }
    highlight(app, *t, false);
    if (!edited) continue;
    if (replace_text_string(app.drawing, *t, utf8_to_latin1(*edited))) changed(app);
  }
}

void tool_text_alter_format(App& app) {
  if (!select_for_alter(app)) return;
  double width = 0;
  if (app.text_size.format == kTextJustified) {
    for (;;) {
      PointRequest r;
      if (!ask_value(app, kStepLength, "Width:", r)) {
        finish_alter(app);
        return;
      }
      if (r.number > 0) {
        width = r.number;
        break;
      }
    }
  }
  set_selected_text_format(app.drawing, app.text_size.format, width);
  finish_alter(app);
}

void tool_text_alter_size(App& app) {
  if (!select_for_alter(app)) return;
  set_selected_text_size(app.drawing, app.text_size.size);
  finish_alter(app);
}

void tool_text_alter_style(App& app) {
  if (!select_for_alter(app)) return;
  set_selected_text_style(app.drawing, app.presets.text);
  finish_alter(app);
}

}  // namespace korav
