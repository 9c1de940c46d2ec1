// The text tools as the command loop runs them ("b_text_..."): placing lines of text at 0 or
// 90 degrees or along two direction points, line after line, on the prompt line or in the text
// editor; replacing a text's string; and the format, size and style given to the selected
// texts. The drawing changes are draft/texts.h.
#pragma once

namespace korav {

struct App;

void tool_text_x(App& app);
void tool_text_y(App& app);
void tool_text_text(App& app);
void tool_text_alter_content(App& app);
void tool_text_alter_format(App& app);
void tool_text_alter_size(App& app);
void tool_text_alter_style(App& app);

}  // namespace korav
