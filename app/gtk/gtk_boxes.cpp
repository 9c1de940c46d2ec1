// The small windows every command may open: the "Error" and "Message" boxes, the question box,
// the file chooser and the progress window.
#include "app/gtk/gtk_host.h"
#include "app/gtk/replay.h"

#include <string>

#include "app/app.h"
#include "app/script_host.h"
#include "base/messages.h"

namespace korav {

namespace {

// In catalogue texts "|" stands for a line break.
std::string with_line_breaks(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == '|') c = '\n';
  return s;
}

// A replayed answer to an open chooser (a positive id: GTK checks only its accept ids).
constexpr int kReplayAnswered = 1;

}  // namespace

void GtkHost::close_text_box() {
  if (text_box_) gtk_widget_destroy(text_box_);
  text_box_ = nullptr;
}

void GtkHost::show_text_box(std::string_view title, std::string_view shown) {
  close_text_box();  // only one such box exists at a time
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  text_box_ = win;
  gtk_window_set_title(GTK_WINDOW(win), std::string(translate(title)).c_str());
  if (window_) gtk_window_set_transient_for(GTK_WINDOW(win), GTK_WINDOW(window_));
  gtk_window_set_position(GTK_WINDOW(win), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_container_set_border_width(GTK_CONTAINER(win), 10);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
  gtk_container_add(GTK_CONTAINER(win), box);
  GtkWidget* label = gtk_label_new(with_line_breaks(shown).c_str());
  gtk_label_set_selectable(GTK_LABEL(label), TRUE);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  GtkWidget* close = gtk_button_new_with_label(std::string(translate("Close")).c_str());
  gtk_box_pack_start(GTK_BOX(box), close, FALSE, FALSE, 0);
  // "Close" is the dialog command, as every dialog's button: the dispatcher closes the box.
  g_signal_connect(close, "clicked", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                     static_cast<GtkHost*>(self)->command("z_c_error");
                   }),
                   this);
  g_signal_connect(win, "destroy", G_CALLBACK(+[](GtkWidget* w, gpointer self) {
                     auto* host = static_cast<GtkHost*>(self);
                     if (host->text_box_ != w) return;
                     host->text_box_ = nullptr;
                     host->app().set_dialog_open(kDialogError, false);
                   }),
                   this);
  app_.set_dialog_open(kDialogError, true);
  gtk_widget_show_all(win);
}

void GtkHost::error_box(std::string_view text) { error_box_filled(translate(text)); }

void GtkHost::message_box(std::string_view text) { message_box_filled(translate(text)); }

void GtkHost::error_box_filled(std::string_view text) {
  transcript("error", transcript_text(text));
  if (replay_) replay_->error_shown();  // as in a script, an error fails the run
  show_text_box("Error", text);
}

void GtkHost::message_box_filled(std::string_view text) {
  transcript("message", transcript_text(text));
  show_text_box("Message", text);
}

int GtkHost::question(std::string_view text, std::span<const std::string_view> buttons) {
  return question_filled(translate(text), buttons);
}

int GtkHost::question_filled(std::string_view text, std::span<const std::string_view> buttons) {
  const std::size_t count = buttons.size() < 5 ? buttons.size() : 5;
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(win), std::string(translate("Option request")).c_str());
  if (window_) gtk_window_set_transient_for(GTK_WINDOW(win), GTK_WINDOW(window_));
  gtk_window_set_modal(GTK_WINDOW(win), TRUE);
  gtk_window_set_position(GTK_WINDOW(win), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_container_set_border_width(GTK_CONTAINER(win), 10);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
  gtk_container_add(GTK_CONTAINER(win), box);
  gtk_box_pack_start(GTK_BOX(box), gtk_label_new(with_line_breaks(text).c_str()), TRUE,
                     TRUE, 0);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_set_homogeneous(GTK_BOX(row), TRUE);
  gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);

  QuestionState state;
  state.text = std::string(text);
  for (std::size_t i = 0; i < count; ++i) {
    state.labels.emplace_back(buttons[i]);
    GtkWidget* b = gtk_button_new_with_label(std::string(translate(buttons[i])).c_str());
    state.buttons.push_back(b);
    g_object_set_data(G_OBJECT(b), "korav-answer", GINT_TO_POINTER(static_cast<int>(i) + 1));
    g_signal_connect(b, "clicked", G_CALLBACK(+[](GtkWidget* w, gpointer st) {
                       auto* q = static_cast<QuestionState*>(st);
                       if (q->answer < 0)
                         q->answer =
                             GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "korav-answer"));
                       if (q->running) {
                         q->running = false;
                         gtk_main_quit();
                       }
                     }),
                     &state);
    gtk_box_pack_start(GTK_BOX(row), b, TRUE, TRUE, 0);
  }
  state.window = win;
  g_signal_connect(win, "delete-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer st) -> gboolean {
                     auto* q = static_cast<QuestionState*>(st);
                     if (q->answer < 0) q->answer = 0;
                     if (q->running) {
                       q->running = false;
                       gtk_main_quit();
                     }
                     return TRUE;  // destroyed below
                   }),
                   &state);
  gtk_widget_show_all(win);

  QuestionState* outer = question_;
  question_ = &state;
  state.running = true;
  if (replay_) replay_->box_opened();
  gtk_main();
  question_ = outer;
  if (replay_) replay_->box_closed();
  gtk_widget_destroy(win);

  int answer = state.answer < 0 ? 0 : state.answer;
  std::string buttons_text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) buttons_text += '|';
    buttons_text += translate(buttons[i]);
  }
  std::string chosen = answer > 0 ? std::string(translate(buttons[answer - 1])) : "close";
  transcript("question", transcript_text(state.text) + " [" + buttons_text + "] -> " + chosen);
  return answer;
}

bool GtkHost::answer_question(std::string_view answer, std::string& error) {
  QuestionState* q = question_;
  if (!q) {
    error = "no question box is open";
    return false;
  }
  auto same_nocase = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (g_ascii_tolower(a[i]) != g_ascii_tolower(b[i])) return false;
    return true;
  };
  // The English label, then the label in any case, then the button's number.
  int chosen = -1;
  if (same_nocase(answer, "close")) chosen = 0;
  for (std::size_t i = 0; i < q->labels.size() && chosen < 0; ++i)
    if (q->labels[i] == answer) chosen = static_cast<int>(i) + 1;
  for (std::size_t i = 0; i < q->labels.size() && chosen < 0; ++i)
    if (same_nocase(q->labels[i], answer)) chosen = static_cast<int>(i) + 1;
  if (chosen < 0 && answer.size() == 1 && answer[0] >= '1' && answer[0] <= '5') {
    int n = answer[0] - '0';
    if (n <= static_cast<int>(q->labels.size())) chosen = n;
  }
  if (chosen < 0) {
    error = "the question box has no button \"" + std::string(answer) + "\"";
    return false;
  }
  if (chosen == 0) {
    // As the window's close box does.
    GdkEvent* ev = gdk_event_new(GDK_DELETE);
    ev->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(q->window)));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
    if (q->answer < 0) {  // the window manager ignored it
      q->answer = 0;
      if (q->running) {
        q->running = false;
        gtk_main_quit();
      }
    }
  } else {
    gtk_button_clicked(GTK_BUTTON(q->buttons[static_cast<std::size_t>(chosen - 1)]));
  }
  return true;
}

std::optional<std::string> GtkHost::edit_text(std::string_view title, std::string_view initial) {
  const std::string shown_title(translate(title));
  // A replayed session has no line that types into the editor: it is cancelled.
  if (replay_) {
    transcript("edit", shown_title + " -> cancel");
    return std::nullopt;
  }
  GtkWidget* dlg = gtk_dialog_new_with_buttons(
      shown_title.c_str(), window_ ? GTK_WINDOW(window_) : nullptr, GTK_DIALOG_MODAL,
      std::string(translate("Cancel")).c_str(), GTK_RESPONSE_CANCEL,
      std::string(translate("Apply")).c_str(), GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_default_size(GTK_WINDOW(dlg), 420, 220);
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  GtkWidget* view = gtk_text_view_new();
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  const std::string start(initial);
  if (g_utf8_validate(start.c_str(), -1, nullptr))
    gtk_text_buffer_set_text(buffer, start.c_str(), -1);
  gtk_container_add(GTK_CONTAINER(scroll), view);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dlg))), scroll, TRUE, TRUE, 4);
  gtk_widget_show_all(dlg);
  gtk_widget_grab_focus(view);
  const int response = gtk_dialog_run(GTK_DIALOG(dlg));
  std::optional<std::string> result;
  if (response == GTK_RESPONSE_ACCEPT) {
    GtkTextIter a, b;
    gtk_text_buffer_get_bounds(buffer, &a, &b);
    if (char* text = gtk_text_buffer_get_text(buffer, &a, &b, FALSE)) {
      result = text;
      g_free(text);
    }
  }
  gtk_widget_destroy(dlg);
  transcript("edit", shown_title + " -> " + (result ? *result : std::string("cancel")));
  return result;
}

std::optional<std::string> GtkHost::choose_file(std::string_view title, std::string_view start,
                                                bool save) {
  return run_chooser(title, start,
                     save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN);
}

std::optional<std::string> GtkHost::choose_directory(std::string_view title,
                                                     std::string_view start) {
  return run_chooser(title, start, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
}

std::optional<std::string> GtkHost::run_chooser(std::string_view title, std::string_view start,
                                                GtkFileChooserAction action) {
  const bool save = action == GTK_FILE_CHOOSER_ACTION_SAVE;
  std::string shown_title(translate(title));
  GtkWidget* dlg = gtk_file_chooser_dialog_new(
      shown_title.c_str(), window_ ? GTK_WINDOW(window_) : nullptr, action,
      std::string(translate("Cancel")).c_str(), GTK_RESPONSE_CANCEL,
      std::string(translate(save ? "Save" : "Open")).c_str(), GTK_RESPONSE_ACCEPT, nullptr);
  if (save) gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dlg), TRUE);
  std::string start_path(start);
  if (!start_path.empty()) {
    if (g_file_test(start_path.c_str(), G_FILE_TEST_IS_DIR)) {
      gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dlg), start_path.c_str());
    } else {
      char* dir = g_path_get_dirname(start_path.c_str());
      char* base = g_path_get_basename(start_path.c_str());
      if (g_file_test(dir, G_FILE_TEST_IS_DIR))
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dlg), dir);
      if (save) gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dlg), base);
      g_free(dir);
      g_free(base);
    }
  }
  ChooserState state;
  state.dialog = dlg;
  ChooserState* outer = chooser_;
  chooser_ = &state;
  if (replay_) replay_->box_opened();
  int response = gtk_dialog_run(GTK_DIALOG(dlg));
  chooser_ = outer;
  if (replay_) replay_->box_closed();
  std::optional<std::string> result;
  if (state.replay_answer) {
    result = state.replay_answer;
  } else if (replay_) {
    // A replayed chooser answers only through "file" lines.
  } else if (response == GTK_RESPONSE_ACCEPT) {
    if (char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dlg))) {
      result = name;
      g_free(name);
    }
  }
  gtk_widget_destroy(dlg);
  transcript("file", shown_title + " -> " + (result ? *result : std::string("cancel")));
  return result;
}

bool GtkHost::answer_file_chooser(const std::optional<std::string>& path, std::string& error) {
  if (!chooser_) {
    error = "no file chooser is open";
    return false;
  }
  chooser_->replay_answer = path;
  GtkFileChooser* fc = GTK_FILE_CHOOSER(chooser_->dialog);
  if (!path) {
    gtk_dialog_response(GTK_DIALOG(chooser_->dialog), GTK_RESPONSE_CANCEL);
  } else if (gtk_file_chooser_get_action(fc) == GTK_FILE_CHOOSER_ACTION_SAVE) {
    // As a person would: the chooser names the file before it is accepted, since GTK ignores
    // an accept while its name field is empty. The script has answered for any overwrite.
    gtk_file_chooser_set_do_overwrite_confirmation(fc, FALSE);
    char* dir = g_path_get_dirname(path->c_str());
    char* base = g_path_get_basename(path->c_str());
    if (g_file_test(dir, G_FILE_TEST_IS_DIR)) gtk_file_chooser_set_current_folder(fc, dir);
    gtk_file_chooser_set_current_name(fc, base);
    g_free(dir);
    g_free(base);
    gtk_dialog_response(GTK_DIALOG(chooser_->dialog), GTK_RESPONSE_ACCEPT);
  } else {
    // An open chooser accepts only a file selected in its list, which it shows only once it
    // has read the folder (and never a file that does not exist, which the script may name to
    // see the error): the script's answer ends it with a response of the replay's own.
    gtk_dialog_response(GTK_DIALOG(chooser_->dialog), kReplayAnswered);
  }
  return true;
}

void GtkHost::abandon_boxes() {
  // First the boxes GTK put over the chooser (an overwrite or error message): their own loops
  // must end before the chooser's can.
  if (chooser_) {
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next) {
      auto* w = static_cast<GtkWindow*>(l->data);
      if (GTK_IS_DIALOG(w) && gtk_window_get_transient_for(w) == GTK_WINDOW(chooser_->dialog))
        gtk_dialog_response(GTK_DIALOG(w), GTK_RESPONSE_DELETE_EVENT);
    }
    g_list_free(all);
    chooser_->replay_answer.reset();
    gtk_dialog_response(GTK_DIALOG(chooser_->dialog), GTK_RESPONSE_CANCEL);
  }
  if (question_) {
    if (question_->answer < 0) question_->answer = 0;
    if (question_->running) {
      question_->running = false;
      gtk_main_quit();
    }
  }
}

void GtkHost::set_title(std::string_view title) {
  if (title == last_title_) return;
  last_title_ = std::string(title);
  if (window_) gtk_window_set_title(GTK_WINDOW(window_), last_title_.c_str());
  transcript("title", last_title_);
}

void GtkHost::set_prompt(std::string_view text) {
  if (text == last_prompt_) return;
  last_prompt_ = std::string(text);
  if (prompt_) gtk_entry_set_text(GTK_ENTRY(prompt_), last_prompt_.c_str());
  transcript("prompt", last_prompt_);
}

// Progress window: a small window with a label and a bar, shown while a long import or render
// runs synchronously. The main loop is given a chance to paint it on every update.
void GtkHost::progress_begin(std::string_view title) {
  progress_end();
  progress_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(progress_), std::string(translate(title)).c_str());
  if (window_) gtk_window_set_transient_for(GTK_WINDOW(progress_), GTK_WINDOW(window_));
  gtk_window_set_position(GTK_WINDOW(progress_), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_window_set_modal(GTK_WINDOW(progress_), TRUE);  // no clicks reach the window meanwhile
  gtk_container_set_border_width(GTK_CONTAINER(progress_), 10);
  progress_bar_ = gtk_progress_bar_new();
  gtk_widget_set_size_request(progress_bar_, 250, -1);
  gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(progress_bar_), TRUE);
  gtk_container_add(GTK_CONTAINER(progress_), progress_bar_);
  gtk_widget_show_all(progress_);
  pump_events();
}

void GtkHost::progress_update(double fraction) {
  if (!progress_bar_) return;
  if (fraction < 0) fraction = 0;
  if (fraction > 1) fraction = 1;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(progress_bar_), fraction);
  pump_events();
}

void GtkHost::progress_end() {
  if (progress_) gtk_widget_destroy(progress_);
  progress_ = nullptr;
  progress_bar_ = nullptr;
}

void GtkHost::pump_events() {
  // Paint what is pending without running commands: the command buffer protocol is untouched
  // since no handler runs a tool.
  int guard = 100;
  while (gtk_events_pending() && guard-- > 0) gtk_main_iteration_do(FALSE);
}

}  // namespace korav
