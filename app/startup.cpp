// Start-up, "New", "Quit" and the end of the program.
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/dialogs/material.h"
#include "app/dialogs/presets.h"
#include "app/dispatch.h"
#include "base/catalogue.h"
#include "base/messages.h"
#include "files/drawing_file.h"
#include "files/preset_file.h"
#include "files/settings_file.h"
#include "files/stroke_font.h"

namespace korav {

namespace {

bool is_directory(const std::string& p) {
  struct stat st {};
  return !p.empty() && stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0;
}

std::string with_slash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

std::string parent_of(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return "./";
  if (slash == 0) return "/";
  return path.substr(0, slash + 1);
}

bool looks_like_data_dir(const std::string& dir) {
  return exists(dir + "nls/krv.nls") || is_directory(dir + "graphics");
}

const char kEnglish[] = "english";

}  // namespace

std::string find_data_dir(const std::string& executable) {
  if (const char* env = std::getenv("KORAV_DATA_DIR"); env && *env) {
    std::string d = with_slash(env);
    if (is_directory(d)) return d;
  }
  std::string exe = executable;
  if (char* real = realpath(executable.c_str(), nullptr)) {
    exe = real;
    std::free(real);
  }
  const std::string dir = parent_of(exe);
  std::vector<std::string> candidates = {dir, dir + "../share/korav/"};
#ifdef KORAV_DATA_INSTALL_DIR
  candidates.push_back(with_slash(KORAV_DATA_INSTALL_DIR));
#endif
  candidates.push_back(dir + "../");
  for (const std::string& c : candidates) {
    if (!looks_like_data_dir(c)) continue;
    if (char* real = realpath(c.c_str(), nullptr)) {
      std::string r = with_slash(real);
      std::free(real);
      return r;
    }
    return c;
  }
  return {};
}

std::string system_temp_dir() {
  for (const char* var : {"TMPDIR", "TMP", "TEMP"}) {
    const char* v = std::getenv(var);
    if (v && *v && is_directory(v)) return with_slash(v);
  }
  if (is_directory("/tmp")) return "/tmp/";
  return {};
}

void load_catalogue(const std::string& data_dir) {
  std::vector<std::string> language_files;
  if (UserDirs user = user_dirs_for(data_dir); user.active())
    language_files.push_back(user.config + "language");
  language_files.push_back(data_dir + "language");
  language_files.push_back(data_dir + "nls/language");
  catalogue().load(data_dir + "nls/krv.nls", language_files);
  catalogue().set_read_only(data_dir_is_installed(data_dir));
}

void set_program_locale() {
  const Catalogue& c = catalogue();
  for (const Catalogue::Language& l : c.languages()) {
    if (l.name != c.chosen_language()) continue;
    if (std::setlocale(LC_ALL, l.locale.c_str()))
      std::printf("setting locale to %s\n", l.locale.c_str());
    else
      std::printf("failed to set locale to %s\nworkaround: export LANG to %s\n", l.locale.c_str(),
                  l.locale.c_str());
  }
  std::setlocale(LC_NUMERIC, "C");  // numbers in files and dialogs always use a decimal point
}

bool start_up_in(App& app, const CommandLine& cl, const std::string& data_dir) {
  app.program_dir = with_slash(data_dir);
  app.user = user_dirs_for(app.program_dir);
  clear_fonts(app.fonts);
  install_font_loader(app.fonts, app.program_dir + "dat/fonts/");
  app.start_dir = cl.start_dir;
  if (!catalogue().tried()) {  // loaded once per run, and complained about once
    load_catalogue(app.program_dir);
    set_program_locale();
  }
  // The default layer and list names may have been made before the catalogue was there.
  if (app.drawing.store.size() == 0) app.drawing.layers.reset_names_and_sets();

  // The user's own default settings come before the shipped ones.
  const std::string own_settings = user_settings_root(app);
  load_default_settings(
      app.drawing, *app.ui,
      exists(own_settings + std::string(kDefaultSettingsFile)) ? own_settings : app.program_dir);
  apply_settings(app.screen(), app.drawing.settings);
  app.screen().steps = &scale_steps_for_unit(static_cast<int>(app.drawing.settings.figure_input));
  // The current element presets, each from the file of its current name ("Default"); a
  // missing file keeps the built-in values.
  for (PresetKind k : kPresetLoadOrder) {
    PresetReadResult res = load_preset_of(app, k, app.presets.name(k));
    if (res.status == PresetRead::kDamaged)
      std::printf("preset %s/%s damaged after %d values\n",
                  std::string(preset_kind_info(k).directory).c_str(), app.presets.name(k).c_str(),
                  res.values);
  }

  refresh_preset_names(app);
  settings_refresh_languages(app);
  settings_revert_pen(app);
  settings_revert_line(app);
  print_setup_changed(app);
  // The current 3D material, and the names the material dialog offers.
  load_current_material(app);
  refresh_material_names(app);

  app.drawing.file_name = drawing_directory(app) + "Unnamed.krv";

  app.temp_dir = system_temp_dir();
  if (app.temp_dir.empty()) {
    app.ui->error_box("No TEMP path found... using own temp dir!");
    app.temp_dir = app.user.active() ? app.user.data + "dat/tmp/" : data_path(app, "dat/tmp/");
  }

  bool ok = true;
  if (!cl.drawing.empty()) {
    LoadStatus st = load_drawing(app.drawing, *app.ui, cl.drawing);
    if (st == LoadStatus::kFailed) {
      refresh_preset_names(app);
      settings_refresh_languages(app);
      settings_revert_pen(app);
      settings_revert_line(app);

      app.drawing.file_name = drawing_directory(app) + "Unnamed.krv";
      ok = false;
    } else {
      app.drawing.file_name = cl.drawing;
      if (st == LoadStatus::kDamaged) ok = false;  // read only up to the damage
    }
    count_per_layer(app.drawing.store, app.drawing.layers);
    print_setup_changed(app);
  }
  return ok;
}

std::string prepare_program(const std::string& executable) {
  std::string data_dir = find_data_dir(executable);
  if (data_dir.empty()) {
    std::fprintf(stderr,
                 "korav: no data directory (nls/, graphics/) found beside %s; "
                 "set KORAV_DATA_DIR\n",
                 executable.c_str());
    data_dir = parent_of(executable);
  }
  if (chdir(data_dir.c_str()) != 0)
    std::fprintf(stderr, "korav: cannot change to %s\n", data_dir.c_str());
  load_catalogue(data_dir);
  set_program_locale();
  return data_dir;
}

void shut_down(App& app) {
  hide_dialog(app, kDialogLayers);
  const std::string root = user_settings_root(app);
  if (catalogue().changed_language() && root != app.program_dir) make_directories(root);
  if (!catalogue().save_language(root + "language"))
    std::fprintf(stderr, "korav: cannot write %slanguage\n", root.c_str());
}

void file_new(App& app) {
  if (app.drawing.store.modified) {
    const std::string_view buttons[] = {"Yes", "Cancel"};
    if (app.ui->question(kMsgReallyDeleteAll, buttons) != 1) return;
  }
  hide_dialog(app, kDialogLayers);
  app.drawing.clear();
  app.drawing.file_name = drawing_directory(app);
  app.drawing.store.modified = false;
  app.drawing.undo.clear(app.drawing.store);
  drawing_replaced(app);
}

void file_quit(App& app) {
  if (!app.drawing.store.modified) {
    app.quit = true;
    return;
  }
  const std::string_view buttons[] = {"Quit", "Cancel", "Save"};
  switch (
      app.ui->question("Drawing is altered and not saved!\nReally quit without saving?", buttons)) {
    case 1: app.quit = true; break;
    case 3:
      save_drawing(app.drawing, *app.ui);
      update_title(app);
      break;
    default: break;
  }
}

}  // namespace korav
