#include "app/tools/symbols.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/dialogs/symbols.h"
#include "app/dispatch.h"
#include "app/point_input.h"
#include "app/selection.h"
#include "app/tools/tool_steps.h"
#include "draft/symbol_placing.h"
#include "files/symbols.h"

namespace korav {

namespace {

enum class SaveTo { kSymbol, kClipboard, kClipboardCut };
enum class InsertFrom { kFile, kClipboard, kList };

void end_tool(App& app) {
  app.drawing.deselect_all();
  changed(app);
}

bool any_selected(const Drawing& d) {
  for (const Element& e : d.store.list)
    if (e.selected) return true;
  return false;
}

// A file chosen in the library, or none (cancelled, or outside the symbol path: then said).
std::optional<std::string> choose_in_library(App& app, std::string_view title, bool save,
                                             bool strictly_below = true) {
  const std::string root = symbol_directory(app);
  const std::string start = app.symbols.last_file.empty() ? root : app.symbols.last_file;
  std::optional<std::string> path = app.ui->choose_file(title, start, save);
  if (!path) return std::nullopt;
  if (!inside_symbol_path(root, *path, strictly_below)) {
    app.ui->error_box(kMsgOutsideSymbolPath);
    return std::nullopt;
  }
  return path;
}

void save_selection(App& app, SaveTo to) {
  Drawing& d = app.drawing;
  if (select_elements(app, 0) != 1 || !any_selected(d)) return end_tool(app);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Origin:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, r) != kInputDone) {
    app.ui->message_box(kMsgNoSymbolOrigin);
    return end_tool(app);
  }
  std::string path;
  if (to == SaveTo::kSymbol) {
    std::optional<std::string> chosen = choose_in_library(app, "Save Symbol...", true);
    if (!chosen) return end_tool(app);
    path = *chosen;
  } else {
    path = clipboard_file(app.temp_dir);
  }
  const WriteStatus st = write_symbol_file(path, d, r.x[0], r.y[0], r.z[0]);
  if (st != WriteStatus::kOk) {
    app.ui->error_box(st == WriteStatus::kCannotOpen ? kMsgCannotOpen : kMsgCannotWrite);
    return end_tool(app);  // nothing is cut when the clipboard could not be written
  }
  if (to == SaveTo::kSymbol) app.symbols.last_file = path;
  if (to == SaveTo::kClipboardCut) {
    d.undo.record(d.store, kUndoSnapshotAlt);
    d.store.purge();
  }
  end_tool(app);
}

// The extent of the symbol being placed, at its own coordinates.
struct Extent {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

Extent placing_extent(const Drawing& d) {
  Extent b{1e300, 1e300, -1e300, -1e300};
  for (const Element& e : d.store.list) {
    if (e.layer != kPlacingLayer) continue;
    for_each_point(e, [&](const ConstPointRef& p) {
      if (!p.is_place()) return;
      b.x0 = std::min(b.x0, *p.x);
      b.y0 = std::min(b.y0, *p.y);
      b.x1 = std::max(b.x1, *p.x);
      b.y1 = std::max(b.y1, *p.y);
    });
  }
  if (b.x0 > b.x1) b = {};
  return b;
}

// The extent's outline turned by `angle` about (0, 0) and moved to `at`, in XOR.
void xor_extent(App& app, const Extent& b, Vec2 at, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const Vec2 corner[4] = {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {b.x0, b.y1}};
  auto place = [&](Vec2 p) { return Vec2(at.x + p.x * c - p.y * s, at.y + p.x * s + p.y * c); };
  for (int i = 0; i < 4; ++i) xor_segment(app, place(corner[i]), place(corner[(i + 1) % 4]));
  xor_segment(app, at, place({b.x1, b.y0}));  // the origin and the symbol's direction
}

void insert_symbol(App& app, InsertFrom from) {
  Drawing& d = app.drawing;
  d.deselect_all();
  std::string path;
  if (from == InsertFrom::kFile) {
    std::optional<std::string> chosen = choose_in_library(app, "Load Symbol...", false);
    if (!chosen) return;
    path = *chosen;
  } else if (from == InsertFrom::kClipboard) {
    path = clipboard_file(app.temp_dir);
  } else {
    path = chosen_symbol_path(app);
    if (path.empty()) return;
    if (!inside_symbol_path(symbol_directory(app), path, true)) {
      app.ui->error_box(kMsgOutsideSymbolPath);
      return;
    }
  }
  const SymbolRead read = read_symbol_file(path, d);
  if (read.status == SymbolRead::Status::kCannotOpen) return app.ui->error_box(kMsgCannotOpen);
  if (read.status == SymbolRead::Status::kNotNative) return app.ui->error_box(kMsgNotNative);
  if (read.details.damaged) report_damage(*app.ui, read.details);
  d.store.element_counter = static_cast<unsigned>(read.elements);
  if (read.elements == 0) return;
  if (from == InsertFrom::kFile) app.symbols.last_file = path;

  const Extent extent = placing_extent(d);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Origin:", [extent](App& a, const PointRequest&, double x, double y) {
    xor_extent(a, extent, {x, y}, 0);
  });
  r.add_step(kStepConfirm,
             "Move/Confirm:", [extent](App& a, const PointRequest& q, double, double) {
               xor_extent(a, extent, point(q, 0), 0);
             });
  if (point_input(app, r) != kInputDone) {
    drop_symbol(d);
    return changed(app);
  }
  const Vec3 origin(r.x[0], r.y[0], r.z[0]);
  double angle = app.symbols.angle;
  if (from != InsertFrom::kList) {
    const Vec2 o(origin.x, origin.y);
    PointRequest a;
    a.view_commands = true;
    a.add_step(kStepPointOrAngle, "Angle/Direction Point:",
               [extent, o](App& ap, const PointRequest&, double x, double y) {
                 xor_extent(ap, extent, o, direction_angle(o, {x, y}));
               });
    a.add_step(kStepConfirm,
               "Move/Confirm:", [extent, o](App& ap, const PointRequest& q, double, double) {
                 xor_extent(ap, extent, o, direction_angle(o, point(q, 0)));
               });
    const int result = point_input(app, a);
    if (result == kInputValue) {
      angle = a.angle;
    } else if (result == kInputDone) {
      angle = direction_angle(o, point(a, 0));
    } else {
      drop_symbol(d);
      return changed(app);
    }
  }
  place_symbol(d, read.elements, std::isfinite(angle) ? angle : 0, origin,
               from == InsertFrom::kClipboard ? SymbolGroups::kRenumber : SymbolGroups::kOneGroup,
               kPlacingLayer);
  changed(app);
}

void library_command(App& app, std::string_view title, bool save,
                     LibraryStatus (*command)(const std::string&, const std::string&),
                     std::string_view failed) {
  const std::string root = symbol_directory(app);
  std::optional<std::string> path = app.ui->choose_file(title, root, save);
  if (!path) return;
  const LibraryStatus st = command(root, *path);
  if (st == LibraryStatus::kFailed) app.ui->error_box(failed);
  else if (st != LibraryStatus::kDone) app.ui->error_box(library_message(st));
  refresh_symbol_list(app);
}

// A tool that ends by itself (a file chosen, an error shown) lets its button up; one ended by
// another command leaves the buttons to that command.
template <class F>
void run_tool(App& app, F body) {
  body();
  if (app.pending == "nop") release_tool_button(app);
}

}  // namespace

void tool_symbol_save(App& app) {
  run_tool(app, [&] { save_selection(app, SaveTo::kSymbol); });
}
void tool_symbol_copy(App& app) {
  run_tool(app, [&] { save_selection(app, SaveTo::kClipboard); });
}
void tool_symbol_cut(App& app) {
  run_tool(app, [&] { save_selection(app, SaveTo::kClipboardCut); });
}
void tool_symbol_load(App& app) {
  run_tool(app, [&] { insert_symbol(app, InsertFrom::kFile); });
}
void tool_symbol_paste(App& app) {
  run_tool(app, [&] { insert_symbol(app, InsertFrom::kClipboard); });
}
void tool_symbol_list_paste(App& app) {
  hide_dialog(app, kDialogSymbol);
  // Placing needs the command loop: a tool waiting now is not interrupted by a dialog button.
  if (app.input.nesting > 0) return;
  run_tool(app, [&] { insert_symbol(app, InsertFrom::kList); });
}

void tool_symbol_remove(App& app) {
  run_tool(app, [&] {
    library_command(app, "Remove Symbol...", false, remove_symbol_file, kMsgCannotRemove);
  });
}
void tool_symbol_library_new(App& app) {
  run_tool(app, [&] {
    library_command(app, "Create Directory...", true, create_library_directory,
                    kMsgCannotCreateDirectory);
  });
}
void tool_symbol_library_remove(App& app) {
  run_tool(app, [&] {
    library_command(app, "Delete Directory...", false, remove_library_directory, kMsgCannotRemove);
  });
}

}  // namespace korav
