// The one seam between the program and whoever shows it: the GTK window or the script host.
// Tools, file commands and dialogs talk to the user only through this interface.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korav {

class Ui {
 public:
  virtual ~Ui() = default;

  // "Error" and "Message" boxes with one "Close" button. Texts are English; the host translates.
  virtual void error_box(std::string_view text) = 0;
  virtual void message_box(std::string_view text) = 0;
  // "Option request" box with up to five buttons (English labels); returns the number of the
  // pressed button, 1 to 5, or 0 when the box was closed.
  virtual int question(std::string_view text, std::span<const std::string_view> buttons) = 0;
  // File chooser with an (English) title, starting at `start`; nullopt when cancelled.
  virtual std::optional<std::string> choose_file(std::string_view title, std::string_view start,
                                                 bool save) = 0;
  // Window title, already filled in.
  virtual void set_title(std::string_view title) = 0;
  // Prompt line text, already translated.
  virtual void set_prompt(std::string_view text) = 0;
};

}  // namespace korav
