// The command loop: waits at "Select function:" and hands every command name to the dispatcher
// of its first letter, until the quit flag is set.
#include "app/app.h"
#include "app/dispatch.h"
#include "base/messages.h"

namespace korav {

void command_loop(App& app) {
  app.pending = "nop";
  app.ui->set_scale_text(scale_text(app.view().scale));
  remember_view(app.screen().remembered, app.view());
  view_show_all(app);
  show_dialog(app, kDialogAbout);
  update_title(app);
  if (app.quit) return;
  while (!app.quit) {
    app.input.current = nullptr;
    std::string name;
    if (app.pending == "nop") {
      app.ui->set_prompt(translate("Select function:"));
      name = app.ui->wait_command();
    } else {
      name = std::move(app.pending);
      app.pending = "nop";
    }
    dispatch(app, name);
    // A command may have changed elements in place: the spatial index starts again.
    app.drawing.store.touch();
    app.drawing.store.editing = false;
    // Whatever the command recorded, the "Undo" and "Redo" buttons follow the history.
    app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
  }
}

}  // namespace korav
