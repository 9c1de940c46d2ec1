#include "app/font_commands.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "base/regular_file.h"
#include "base/user_dirs.h"
#include "files/font_import.h"
#include "files/outline_font.h"
#include "files/safe_write.h"
#include "files/settings_file.h"

namespace korav {

namespace {

// Where new fonts go: the data directory's font directory, or the user's for an installed
// program, which never writes into its own tree.
std::string font_directory(const App& app) {
  std::string dir = user_path_directory(app, "", "dat/fonts/");
  if (dir.empty()) dir = data_path(app, "dat/fonts/");
  make_directories(dir);
  return dir;
}

bool write_font(App& app, const std::string& path, const std::string& text) {
  const WriteStatus st =
      write_file_safely(path, [&](Writer& w) { return w.bytes(text.data(), text.size()); });
  if (st != WriteStatus::kOk) {
    app.ui->error_box(kMsgCannotWrite);
    return false;
  }
  // The next text in this font reads the new file.
  clear_fonts(app.fonts);
  redraw(app);
  return true;
}

}  // namespace

void font_import_command(App& app) {
  const std::string dir = font_directory(app);
  std::optional<std::string> source = app.ui->choose_file("Quelle:", dir, false);
  if (!source) return;
  std::string description;
  if (!read_regular_file(*source, description)) {
    app.ui->error_box(kMsgFontFile);
    return;
  }
  const FontImportResult r = import_font_description(description);
  if (r.font.empty()) {
    app.ui->error_box(r.error);
    return;
  }
  std::optional<std::string> target = app.ui->choose_file("Ziel:", dir, true);
  if (!target) return;
  write_font(app, *target, r.font);
}

void font_from_drawing_command(App& app) {
  write_font(app, font_directory(app) + "newfont",
             font_from_drawing(app.drawing, app.drawing.current_layer));
}

}  // namespace korav
