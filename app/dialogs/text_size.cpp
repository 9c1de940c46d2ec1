#include "app/dialogs/text_size.h"

#include <cmath>
#include <utility>

#include "app/app.h"

namespace korav {

void register_text_size_variables(App& app) {
  DialogVar size;
  size.name = "Textsize/Size";
  size.kind = VarKind::kPaper;  // millimetres on paper, like every text height
  size.ref = &app.text_size.size;
  size.changed = [](App& a) {
    double& s = a.text_size.size;
    if (!(s >= 0) || !std::isfinite(s)) s = 0;  // 0 places nothing; nothing stranger is kept
  };
  app.vars.add(std::move(size));

  DialogVar format;
  format.name = "Textsize/Format";
  format.kind = VarKind::kOption;
  format.ref = &app.text_size.format;
  format.items = {"Left", "Right", "Centered", "Justified"};
  app.vars.add(std::move(format));

  // One switch for the four tools that can take their text from the editor; the drawing keeps
  // each tool's switch.
  DialogVar editor;
  editor.name = "Textsize/Use a seperate text editor";
  editor.kind = VarKind::kCheck;
  editor.ref = &app.drawing.settings.text_editor[1];
  editor.changed = [](App& a) {
    auto& s = a.drawing.settings.text_editor;
    const std::uint32_t on = s[1] != 0 ? 1 : 0;
    for (std::uint32_t& x : s) x = on;
  };
  app.vars.add(std::move(editor));

  // "Font setting": the font of new texts (the text preset's), from the same list as there.
  DialogVar font;
  font.name = "Font setting/Font";
  font.kind = VarKind::kCombo;
  font.ref = &app.presets.text.font;
  font.max_length = 20;
  font.group = "text";
  app.vars.add(std::move(font));
}

}  // namespace korav
