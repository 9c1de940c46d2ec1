#include "app/dxf_commands.h"

#include <optional>
#include <string>
#include <utility>

#include "app/app.h"
#include "app/selection.h"
#include "exchange/dxf_export.h"
#include "files/settings_file.h"
#include "model/layers.h"

namespace korav {

namespace {

constexpr std::string_view kTitle = "Export DXF...";

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

void end_export(App& app) {
  app.drawing.deselect_all();
  redraw(app);
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
}

void export_dxf_command(App& app) {
  if (!mark_elements(app)) return end_export(app);
  const std::string_view path_setting = app.drawing.settings.paths[3].view();  // "DXF path"
  const std::string start = path_setting.empty() ? drawing_directory(app)
                                                 : settings_path_directory(app, path_setting, "");
  const std::optional<std::string> path = app.ui->choose_file(kTitle, start, true);
  if (!path) return end_export(app);
  const WriteStatus st = export_dxf(app.drawing, &app.fonts, app.dxf_export, *path);
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
  end_export(app);
}

}  // namespace korav
