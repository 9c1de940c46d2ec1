#include "app/dialogs/symbols.h"

#include <filesystem>

#include "app/app.h"
#include "app/dialog_vars.h"
#include "files/symbols.h"
#include "render/renderer.h"

namespace korav {

namespace {

constexpr std::string_view kListVar = "Symbol/List";

std::string with_slash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

}  // namespace

std::string symbol_directory(const App& app) {
  std::string_view p = app.drawing.settings.paths[2].view();
  const std::string shipped = settings_path_directory(app, p, "dat/sym/");
  // An installed program's library is the user's own, made on first use and started with a
  // copy of the shipped symbols, so that the user can add, rename and remove in one place.
  std::string user = user_path_directory(app, p, "dat/sym/");
  if (user.empty()) return shipped;
  std::error_code ec;
  if (!std::filesystem::exists(user, ec) && make_directories(user) && shipped != user) {
    std::filesystem::copy(shipped, user,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::skip_existing |
                              std::filesystem::copy_options::copy_symlinks,
                          ec);  // a partial copy still leaves a usable library
  }
  return user;
}

void refresh_symbol_list(App& app) {
  SymbolDialog& s = app.symbols;
  const std::string root = symbol_directory(app);
  if (s.folder.empty() || !inside_symbol_path(root, s.folder)) s.folder = root;
  std::vector<std::string> items;
  if (inside_symbol_path(root, s.folder, true)) items.emplace_back(kParentEntry);
  for (const LibraryEntry& e : list_library(s.folder))
    items.push_back(e.directory ? e.name + "/" : e.name);
  app.vars.set_items(kListVar, std::move(items));
  if (app.ui) app.ui->refresh_dialog(kDialogSymbol);
}

void symbol_list_choose(App& app, const std::string& entry) {
  SymbolDialog& s = app.symbols;
  const std::string root = symbol_directory(app);
  if (entry == kParentEntry || (!entry.empty() && entry.back() == '/')) {
    std::string next = entry == kParentEntry ? s.folder + "../" : s.folder + entry;
    if (!inside_symbol_path(root, next)) {
      if (app.ui) app.ui->error_box(kMsgOutsideSymbolPath);
      return;
    }
    // Kept lexically tidy, so that ".." never piles up in the shown path.
    s.folder = with_slash(std::filesystem::path(next).lexically_normal().string());
    s.symbol.clear();
    refresh_symbol_list(app);
  } else if (!entry.empty()) {
    s.symbol = entry;
  }
  draw_symbol_preview(app);
}

std::string chosen_symbol_path(const App& app) {
  if (app.symbols.symbol.empty()) return {};
  return with_slash(app.symbols.folder) + app.symbols.symbol;
}

void draw_symbol_preview(App& app) {
  Screen& screen = app.screen();
  Surface& sf = screen.surface[kSymbolPreview];
  if (!sf.created) return;
  const int saved = screen.current;
  set_current_surface(screen, kSymbolPreview);
  clear_surface(screen);
  const std::string path = chosen_symbol_path(app);
  Drawing symbol;
  if (!path.empty() && inside_symbol_path(symbol_directory(app), path) &&
      read_symbol_file(path, symbol).elements > 0) {
    for (Element& e : symbol.store.list) {
      e.layer = 0;
      e.selected = 0;
    }
    show_all(sf.view, screen.aspect, symbol, 0);
    Renderer r = app.display.renderer;
    install_screen_driver(r, screen);
    for (const Element& e : symbol.store.list) draw_element(r, symbol, e, kDrawNormal);
  }
  present(screen);
  set_current_surface(screen, saved);
}

void register_symbol_variables(App& app) {
  DialogVar list;
  list.name = std::string(kListVar);
  list.kind = VarKind::kCombo;
  list.ref = &app.symbols.list;
  list.max_length = 255;
  list.changed = [](App& a) { symbol_list_choose(a, a.symbols.list); };
  app.vars.add(std::move(list));
  DialogVar symbol;
  symbol.name = "Symbol/Symbol";
  symbol.kind = VarKind::kEntry;
  symbol.ref = &app.symbols.symbol;
  symbol.max_length = 255;
  symbol.changed = [](App& a) { draw_symbol_preview(a); };
  app.vars.add(std::move(symbol));
  DialogVar angle;
  angle.name = "Symbol/Angle";
  angle.kind = VarKind::kAngle;
  angle.ref = &app.symbols.angle;
  app.vars.add(std::move(angle));
  app.vars.add_button({"Symbol", "Paste", "z_c_symbol_paste", "", ""});
}

}  // namespace korav
