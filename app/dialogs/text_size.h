// The dialog "Textsize": the height and the format of new texts, and the switch that sends the
// text tools to the separate text editor instead of the prompt line; and the dialog "Font
// setting" with the font of new texts.
#pragma once

namespace korav {

struct App;

void register_text_size_variables(App& app);

}  // namespace korav
