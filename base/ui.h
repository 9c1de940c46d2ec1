// The one seam between the program and whoever shows it: the GTK window or the script host.
// Tools, file commands and dialogs talk to the user only through this interface.
//
// How a host uses it:
//  - Make one App (app/app.h), implement Ui, and set app.ui to your Ui before start-up.
//  - Every menu item, button, key, canvas click and dialog button calls korav::activate(app, name)
//    (or press_key / canvas_button of app/app.h). When that returns true, the command name is in
//    app.command and the host leaves its innermost main loop (gtk_main_quit).
//  - wait_command() is the "command wait": it runs the host's main loop once (a nested gtk_main
//    in the window, the next script event in the script host) and returns app.command. The
//    command loop and the point input call it; they may nest, and the host must allow that.
//  - Everything else below is called by the program to show state; the methods with a body
//    may be left alone by a host that has nothing to show for them.
// All texts handed to the Ui are English unless the method says "already translated"; the host
// passes them through translate() (app/messages.h) just before it shows them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

struct _cairo;  // cairo's drawing context, cairo_t

namespace korav {

// A page that a host may print through a print dialog of its own (Ui::print_page).
class PagePrinter {
 public:
  virtual ~PagePrinter() = default;
  // A paper as it lies (landscape: wider than high) and its unprintable edges, in points.
  struct Paper {
    double width = 0, height = 0;
    double margin_top = 0, margin_left = 0, margin_right = 0, margin_bottom = 0;
    bool landscape = false;
  };
  // What the dialog starts with: the paper and the printer (empty: the system's default).
  virtual Paper paper() const = 0;
  virtual std::string printer() const = 0;
  // Draws the page on `cr`, whose origin is the paper's top-left corner and whose unit is the
  // point, for the paper the dialog's page setup gives.
  virtual void draw(_cairo* cr, const Paper& paper) = 0;
  // The page was printed on `paper`.
  virtual void printed_on(const Paper& paper) { (void)paper; }
};

enum class HostPrint {
  kNotOffered,  // the host has no print dialog: the caller prints another way
  kPrinted,
  kCancelled,
  kFailed,  // the message says why
};

class Ui {
 public:
  virtual ~Ui() = default;

  // "Error" and "Message" boxes with one "Close" button. Texts are English; the host translates.
  virtual void error_box(std::string_view text) = 0;
  virtual void message_box(std::string_view text) = 0;
  // The same boxes for a text that is already translated and filled in (figures, names): shown
  // as it is, so that it is not looked up (and collected) in the catalogue.
  virtual void error_box_filled(std::string_view text) { error_box(text); }
  virtual void message_box_filled(std::string_view text) { message_box(text); }
  // "Option request" box with up to five buttons (English labels); returns the number of the
  // pressed button, 1 to 5, or 0 when the box was closed.
  virtual int question(std::string_view text, std::span<const std::string_view> buttons) = 0;
  // The same box for a text that is already translated and filled in ("Export SVG:"); the
  // button labels are English as above. Hosts that translate in question() override it.
  virtual int question_filled(std::string_view text, std::span<const std::string_view> buttons) {
    return question(text, buttons);
  }
  // File chooser with an (English) title, starting at `start`; nullopt when cancelled.
  virtual std::optional<std::string> choose_file(std::string_view title, std::string_view start,
                                                 bool save) = 0;
  // Directory chooser (the settings' paths); scripts answer it as a file chooser.
  virtual std::optional<std::string> choose_directory(std::string_view title,
                                                      std::string_view start) {
    return choose_file(title, start, false);
  }
  // The text editor (title "Edit Text:", buttons "Apply" and "Cancel"), modal, starting with
  // `initial` (UTF-8, lines separated by '\n'): the edited text after "Apply", nullopt after
  // "Cancel". A host without one cancels.
  virtual std::optional<std::string> edit_text(std::string_view title, std::string_view initial) {
    (void)title;
    (void)initial;
    return std::nullopt;
  }
  // Window title, already filled in.
  virtual void set_title(std::string_view title) = 0;
  // Prompt line text, already translated.
  virtual void set_prompt(std::string_view text) = 0;

  // Command wait: run the main loop once, until activate() asked to leave it (or the host has
  // nothing more to give: the script host then sets app.quit and returns "p_nop").
  // Returns the command buffer.
  virtual std::string wait_command() = 0;

  // The value entry beside the prompt line (at most 256 characters, keyboard focus). Enter in it
  // stores the text in app.input.text and activates "z_eini" (see app/app.h enter_value).
  virtual void open_value_entry(std::string_view initial_text) { (void)initial_text; }
  virtual void close_value_entry() {}

  // The two coordinate labels of the tool bar, already formatted ("X: 1.00000").
  virtual void set_coordinates(std::string_view first, std::string_view second) {
    (void)first;
    (void)second;
  }
  // The scale button's text (" 1:500 ").
  virtual void set_scale_text(std::string_view text) { (void)text; }

  // Button synchronisation: set the toggle button of `command` pressed or released with its
  // "toggled" handler blocked, so that no command is written.
  virtual void set_button_active(std::string_view command, bool active) {
    (void)command;
    (void)active;
  }
  // The four snap buttons of the tool bar ("z_snap_i", "z_snap_m", "z_snap_d", "z_snap_t").
  virtual void set_snap_buttons_sensitive(bool sensitive) { (void)sensitive; }
  // The "Undo" and "Redo" buttons.
  virtual void set_undo_buttons(bool undo, bool redo) {
    (void)undo;
    (void)redo;
  }
  // A bound toggle of the tool bars (see app/commands.h kToolbar, `variable`) changed from
  // outside its widget; read the value again from the dialog variable registry.
  virtual void refresh_toggles() {}
  // Show palette page 0..11 (app/commands.h kPalettePages).
  virtual void show_palette_page(int page) { (void)page; }
  // Give the keyboard focus back to the canvas.
  virtual void focus_canvas() {}

  // The drawing surface (app.render) has changed; show it (queue a draw of the canvas).
  virtual void canvas_changed() {}

  // Non-modal dialogs, by key (app/app.h kDialog...). show: build on first use, show and raise;
  // hide: hide if shown; refresh: the values it shows have changed.
  virtual void show_dialog(std::string_view key) { (void)key; }
  virtual void hide_dialog(std::string_view key) { (void)key; }
  virtual void refresh_dialog(std::string_view key) { (void)key; }
  // The catalogue's language changed: show the menus, palette and dialogs in it at once.
  virtual void language_changed() {}

  // Open a help page (an absolute path) with the desktop's default browser.
  virtual void open_help(std::string_view path) { (void)path; }

  // The autobackup interval or switch changed: re-arm the "backup" timer (app/app.h backup_tick).
  virtual void backup_timer_changed() {}

  // The print command's "To Printer" where the host has a print dialog of its own: shows it,
  // starting with the page's paper and printer, and prints the page. On kFailed `message` holds
  // the reason, already translated. Hosts without one leave it to the caller.
  virtual HostPrint print_page(PagePrinter& page, std::string& message) {
    (void)page;
    (void)message;
    return HostPrint::kNotOffered;
  }

  // The progress window of long imports and renders: opened with an (English) title, advanced
  // with a fraction 0..1, closed at the end. Hosts without a window show nothing.
  virtual void progress_begin(std::string_view title) { (void)title; }
  virtual void progress_update(double fraction) { (void)fraction; }
  virtual void progress_end() {}
};

}  // namespace korav
