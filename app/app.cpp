#include "app/app.h"

#include <algorithm>
#include <cstdlib>

#include "app/commands.h"
#include "app/dispatch.h"
#include "base/messages.h"
#include "base/text_format.h"
#include "files/drawing_file.h"
#include "files/stroke_font.h"
#include "render/text_drawing.h"
#include "three_d/objects.h"

namespace korav {

App::App() {
  register_shell_variables(*this);
  install_font_loader(fonts, "./dat/fonts/");
  display.renderer.fonts = &fonts;
  FontTable* f = &fonts;
  drawing.index.set_text_extent(
      [f](const Text& t, double scale) { return text_extent(*f, scale, t); }, f);
  // For the tests: every indexed search checked against a walk of the whole store.
  if (const char* check = std::getenv("KORAV_INDEX_CHECK"); check && check[0] == '1')
    drawing.index.verify = true;
}

bool App::dialog_open(std::string_view key) const { return open_dialogs.contains(key); }

void App::set_dialog_open(std::string_view key, bool open) {
  if (open) open_dialogs.emplace(key);
  else if (auto it = open_dialogs.find(key); it != open_dialogs.end()) open_dialogs.erase(it);
}

bool activate(App& app, std::string_view name) {
  // A command without a handler says so and changes nothing: a waiting tool goes on waiting.
  if (!command_available(name)) {
    if (is_known_command(name)) command_not_available(app, name);
    return false;
  }
  dispatch_dialog(app, name);
  switch (name[0]) {
    case 'z': break;
    case 's':
    case 'f':
    case 'p':
    case 'b': sync_buttons(app, name); break;
    default: return false;
  }
  app.command = std::string(name);
  return true;
}

namespace {

bool button_command(App& app, int button) {
  switch (button) {
    case 1: return activate(app, "z_mb1");
    case 2: return activate(app, "z_space");
    case 3: return activate(app, "z_mb3");
    case 4: return activate(app, "z_scrollup");
    case 5: return activate(app, "z_scrolldown");
    default: return false;
  }
}

void move_pointer(App& app) {
  erase_cursor(app);
  app.pointer.inside = true;
  draw_cursor(app);
  refresh_coordinates(app);
}

}  // namespace

void pointer_motion(App& app, double px, double py) {
  erase_cursor(app);
  app.pointer.px = px;
  app.pointer.py = py;
  const View& v = app.view();
  if (v.units_x > 0 && v.units_y > 0) {
    app.pointer.x = pixel_to_world_x(v, px);
    app.pointer.y = pixel_to_world_y(v, py);
  }
  move_pointer(app);
}

void pointer_motion_world(App& app, double x, double y) {
  erase_cursor(app);
  const View& v = app.view();
  if (v.units_x > 0 && v.units_y > 0) {
    app.pointer.px = world_to_pixel_x(v, x);
    app.pointer.py = world_to_pixel_y(v, y);
  }
  app.pointer.x = x;
  app.pointer.y = y;
  move_pointer(app);
  // The display recomputes the position from the pixels; keep the exact one.
  app.pointer.x = x;
  app.pointer.y = y;
}

bool canvas_button(App& app, int button, double px, double py, int presses) {
  pointer_motion(app, px, py);
  if (presses > 1) {
    refresh_coordinates(app);
    return false;
  }
  app.input.click_px = px;
  app.input.click_py = py;
  app.input.click_x = app.pointer.x;
  app.input.click_y = app.pointer.y;
  return button_command(app, button);
}

bool canvas_button_world(App& app, int button, double x, double y) {
  pointer_motion_world(app, x, y);
  app.input.click_px = app.pointer.px;
  app.input.click_py = app.pointer.py;
  app.input.click_x = x;
  app.input.click_y = y;
  return button_command(app, button);
}

bool canvas_scroll(App& app, bool up) { return activate(app, up ? "s_maminus" : "s_maplus"); }

bool enter_value(App& app, std::string_view text) {
  // The entry holds at most 256 characters; cut at a character boundary.
  std::size_t n = std::min<std::size_t>(text.size(), 256);
  while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  app.input.text = std::string(text.substr(0, n));
  return activate(app, "z_eini");
}

bool outside_canvas_button3(App& app) { return activate(app, "p_nop"); }

void canvas_resized(App& app, int width, int height) {
  ConfigureResult c =
      configure_surface(app.screen(), kMainSurface, width, height, app.drawing.settings);
  if (!c.configured) return;
  app.canvas_width = app.screen().surface[kMainSurface].width;
  app.canvas_height = app.screen().surface[kMainSurface].height;
  app.ui->set_scale_text(scale_text(app.view().scale));
  redraw(app);
}

void redraw(App& app) {
  Screen& s = app.screen();
  set_current_surface(s, kMainSurface);
  if (!s.cur().image) return;
  app.display.renderer.view_number = app.view_number();
  korav::redraw(app.display.renderer, s, app.drawing);
  restore_overlays(app);
  app.ui->canvas_changed();
}

int backup_interval_ms(const App& app) {
  const std::uint32_t minutes =
      std::clamp<std::uint32_t>(app.drawing.settings.backup_minutes, 1, 24 * 60);
  return static_cast<int>(minutes * 60000);
}

void backup_tick(App& app) {
  if (!app.drawing.settings.backup_on || !app.drawing.store.modified) return;
  write_backup(app.drawing, *app.ui);
}

void input_tick(App& app) {
  if (app.pointer.inside) refresh_coordinates(app);
  // The snap preview: a walk over the elements, limited per tick, while a point is asked.
  if (app.pointer.inside && app.input.snap_buttons && app.drawing.settings.preview_snap &&
      snap_preview_tick(app.drawing, snap_query(app, app.pointer.x, app.pointer.y),
                        app.snap_preview)) {
    erase_cursor(app);
    draw_cursor(app);
  }
}

std::string title_text(const App& app) {
  const Drawing& d = app.drawing;
  std::string layer;
  if (d.current_layer >= 0 && d.current_layer < kLayerCount)
    layer = std::string(d.layers.layer[d.current_layer].name.view());
  return fill_format(translate("KORAV  File: %s  Layer: %s  Scale: 1:%.0f"),
                     {d.file_name, layer, format_fixed(d.settings.drawing_scale, 0)});
}

void update_title(App& app) { app.ui->set_title(title_text(app)); }

void drawing_replaced(App& app) {
  reapply_active_camera(app.drawing);  // undone or loaded: the camera view follows the camera
  count_per_layer(app.drawing.store, app.drawing.layers);
  if (app.dialog_open(kDialogLayers)) app.ui->refresh_dialog(kDialogLayers);
  app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
  app.ui->refresh_toggles();
  // The settings dialog shows the options the drawing brought.
  settings_revert_pen(app);
  settings_revert_line(app);
  print_setup_changed(app);
  update_title(app);
  redraw(app);
}

std::string data_path(const App& app, std::string_view relative) {
  std::string base = app.program_dir;
  if (!base.empty() && base.back() != '/') base += '/';
  while (relative.starts_with("./")) relative.remove_prefix(2);
  return base + std::string(relative);
}

std::string settings_path_directory(const App& app, std::string_view path,
                                    std::string_view fallback) {
  std::string dir = path.empty()     ? data_path(app, fallback)
                    : path[0] == '/' ? std::string(path)
                                     : data_path(app, path);
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string user_path_directory(const App& app, std::string_view path, std::string_view fallback) {
  if (!app.user.active() || (!path.empty() && path[0] == '/')) return {};
  std::string_view rel = path.empty() ? fallback : path;
  while (rel.starts_with("./")) rel.remove_prefix(2);
  std::string dir = app.user.data + std::string(rel);
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string user_settings_root(const App& app) {
  return app.user.active() ? app.user.config : app.program_dir;
}

std::string drawing_directory(const App& app) {
  std::string_view p = app.drawing.settings.paths[0].view();
  if (app.user.active() && !app.start_dir.empty() && (p.empty() || p[0] != '/'))
    return app.start_dir.back() == '/' ? app.start_dir : app.start_dir + "/";
  return settings_path_directory(app, p, "dat/draw/");
}

std::string dialog_directory(const App& app) {
  return settings_path_directory(app, app.drawing.settings.paths[4].view(), "dat/dia/");
}

}  // namespace korav
