#include "app/dxf_commands.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/app.h"
#include "app/export_commands.h"
#include "app/selection.h"
#include "app/dispatch.h"
#include "base/regular_file.h"
#include "exchange/dxf_export.h"
#include "exchange/dxf_import.h"
#include "files/settings_file.h"
#include "model/layers.h"

namespace korav {

namespace {

constexpr std::string_view kTitle = "Export DXF...";
constexpr std::string_view kImportTitle = "Import DXF...";

std::string dxf_start(const App& app) {
  const std::string_view path_setting = app.drawing.settings.paths[3].view();  // "DXF path"
  return path_setting.empty() ? drawing_directory(app)
                              : settings_path_directory(app, path_setting, "");
}

// Marks the elements the "Objects" option names; false when a selection was not completed.
bool mark_elements(App& app) {
  Drawing& d = app.drawing;
  switch (app.dxf_export.objects) {
    case 0: return select_elements(app, 0) == 1;
    case 1:
      for (Element& e : d.store.list)
        e.selected = layer_visible(d.layers, d.current_layer, e.layer) ? 1 : 0;
      return true;
    default:
      for (Element& e : d.store.list) e.selected = 1;
      return true;
  }
}

}  // namespace

void register_dxf_variables(App& app) {
  auto option = [&](std::string_view label, int* ref, std::vector<std::string> items) {
    DialogVar v;
    v.name = std::string(kTitle) + "/" + std::string(label);
    v.kind = VarKind::kOption;
    v.ref = ref;
    v.items = std::move(items);
    app.vars.add(std::move(v));
  };
  option("Objects", &app.dxf_export.objects,
         {"Selected objects", "Visible objects", "All objects"});
  option("Mode", &app.dxf_export.mode, {"2D", "2D Entities only", "3D", "3D Entities only"});
  option("Scale", &app.dxf_export.scale, {"m", "cm", "mm", "inch", "feet"});
  app.vars.add_button({std::string(kTitle), "Export", "p_file_export_dxf", "", ""});

  auto import_option = [&](std::string_view label, int* ref, std::vector<std::string> items) {
    DialogVar v;
    v.name = std::string(kImportTitle) + "/" + std::string(label);
    v.kind = VarKind::kOption;
    v.ref = ref;
    v.items = std::move(items);
    app.vars.add(std::move(v));
  };
  import_option("Scale", &app.dxf_import.scale, {"m", "cm", "mm", "inch", "feet"});
  import_option("DXF Line mode", &app.dxf_import.line_mode,
                {"Import 2D lines", "Import 3D lines"});
  import_option("DXF Layer mode", &app.dxf_import.layer_mode,
                {"Join dxf layers", "Keep dxf layers"});
  app.vars.add_button({std::string(kImportTitle), "Import", "p_file_import_dxf", "", ""});
}

void import_dxf_command(App& app) {
  const std::optional<std::string> path = app.ui->choose_file(kImportTitle, dxf_start(app), false);
  if (!path) return;
  std::string file;
  if (!read_regular_file(*path, file)) return;  // a file that cannot be opened: nothing happens
  app.ui->progress_begin(kImportTitle);
  const DxfImportResult r = import_dxf(app.drawing, file, app.dxf_import,
                                       [&app](double f) { app.ui->progress_update(f); });
  app.ui->progress_end();
  std::fwrite(r.report.data(), 1, r.report.size(), stdout);
  std::fflush(stdout);
  if (!r.imported) {
    if (!r.error.empty()) app.ui->error_box(r.error);
    return;
  }
  app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
  update_title(app);
  const double w = r.xmax - r.xmin, h = r.ymax - r.ymin;
  if (r.have_extents && w > 0 && h > 0 &&
      zoom_window(app.view(), app.screen().aspect, r.xmin - w / 20, r.ymin - h / 20,
                  r.xmax + w / 20, r.ymax + h / 20)) {
    view_changed(app);
  } else {
    view_show_all(app);
  }
}

void export_dxf_command(App& app) {
  if (!mark_elements(app)) return end_export(app);
  const std::optional<std::string> path = app.ui->choose_file(kTitle, dxf_start(app), true);
  if (!path) return end_export(app);
  const WriteStatus st = export_dxf(app.drawing, &app.fonts, app.dxf_export, *path);
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
  end_export(app);
}

}  // namespace korav
