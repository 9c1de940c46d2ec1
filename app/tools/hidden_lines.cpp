#include "app/tools/hidden_lines.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/dispatch.h"
#include "app/tools/tool_steps.h"
#include "model/layers.h"
#include "three_d/hidden_lines.h"
#include "three_d/wall_solid.h"

namespace korav {

namespace {

constexpr std::string_view kTitle = "HLR options:";
constexpr std::string_view kMsgProgress = "Hidden line rendering:";
constexpr std::string_view kMsgStoreResult = "Store result on:";
constexpr std::string_view kMsgLayer = "Layer:";

// The walls that take part become temporary solids while the scene is projected; their
// selection flags are lent for it and given back.
HlrScene project_scene(App& app, const Projector& view) {
  Drawing& d = app.drawing;
  std::vector<std::pair<Wall*, std::uint8_t>> walls;
  for (Element& e : d.store.list)
    if (Wall* w = as<Wall>(&e)) {
      walls.emplace_back(w, w->selected);
      w->selected = layer_visible(d.layers, d.current_layer, w->layer) ? 1 : 0;
    }
  walls_to_solids(d.store);
  for (auto& [w, flag] : walls) w->selected = flag;
  HlrScene scene = build_hlr_scene(d.store, d.layers, d.current_layer, view, app.hlr);
  remove_temp_solids(d.store);
  return scene;
}

// A group number above every one in use; 0 when none is left.
std::uint16_t new_group(const ElementStore& store) {
  unsigned highest = 0;
  for (const Element& e : store.list) highest = std::max<unsigned>(highest, e.group);
  return static_cast<std::uint16_t>(highest < 65535 ? highest + 1 : 0);
}

// The last n elements of the store, oldest first.
Element* last_elements(const ElementStore& store, int n) {
  Element* e = store.tail();
  for (int i = 1; i < n && e && e->prev; ++i) e = e->prev;
  return n > 0 ? e : nullptr;
}

// "Layer:" until a layer number is given (0 to 999); false when the user left.
bool ask_layer(App& app, int& layer) {
  for (;;) {
    PointRequest r;
    if (!ask_value(app, kStepInteger, kMsgLayer, r)) return false;
    if (r.integer >= 0 && r.integer < kLayerCount) {
      layer = static_cast<int>(r.integer);
      return true;
    }
  }
}

}  // namespace

void register_hlr_variables(App& app) {
  auto option = [&](std::string_view label, std::int32_t* ref, std::vector<std::string> items) {
    DialogVar v;
    v.name = std::string(kTitle) + "/" + std::string(label);
    v.kind = VarKind::kOption;
    v.ref = ref;
    v.items = std::move(items);
    app.vars.add(std::move(v));
  };
  option("Colors", &app.hlr.colors, {"Object colors", "Single color"});
  option("Silhouettes", &app.hlr.silhouettes, {"Off", "On"});
  option("Hidden edges", &app.hlr.hidden_edges, {"Off", "On"});
  option("Smoothing", &app.hlr.smoothing, {"Off", "On"});
  DialogVar angle;
  angle.name = std::string(kTitle) + "/Smoothing angle";
  angle.kind = VarKind::kAngle;
  angle.ref = &app.hlr.smoothing_angle;
  app.vars.add(std::move(angle));
  app.vars.add_button({std::string(kTitle), "Render", "b_3d_hlr", "", ""});
}

void tool_3d_hlr(App& app) {
  Drawing& d = app.drawing;
  const auto started = std::chrono::steady_clock::now();
  const int view_number = app.view_number();
  const HlrScene scene = project_scene(app, Projector{view_number, d.camera});

  // The result is shown in the plan view, fitted to the window the view saw.
  d.settings.view_number = kPlanView;
  app.display.renderer.view_number = kPlanView;
  bool window = false;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (view_number == kCameraView) {
    const double half = 0.1 * d.camera.lens;
    x1 = y1 = -half;
    x2 = y2 = half;
    window = true;
  } else if (scene.has_extent) {
    x1 = scene.min_x;
    y1 = scene.min_y;
    x2 = scene.max_x;
    y2 = scene.max_y;
    window = true;
  }
  if (window) {
    const double mx = (x2 - x1) / 20, my = (y2 - y1) / 20;
    zoom_window(app.view(), app.screen().aspect, x1 - mx, y1 - my, x2 + mx, y2 + my);
  }
  view_changed(app);

  const std::uint16_t group = new_group(d.store);
  app.ui->progress_begin(kMsgProgress);
  const HlrResult result =
      trace_hlr_lines(scene, app.hlr, [&](double fraction) { app.ui->progress_update(fraction); });
  app.ui->progress_end();

  const bool was_modified = d.store.modified;
  int count = 0;
  for (const HlrLine& l : result.lines) {
    Line* line = create_line(d.store, d.current_layer, l.pen, l.line_type, l.x1, l.y1, l.x2, l.y2);
    if (!line) break;
    line->group = group;
    ++count;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("hlr render time: %.2f sec  lines:%d joins:%d\n", seconds, count, result.joins);
  std::fflush(stdout);

  if (count > 0) {
    const std::string_view buttons[] = {"Current layer", "Other layer", "Cancel"};
    const int answer = app.ui->question(kMsgStoreResult, buttons);
    if (answer == 1 || answer == 2) {
      int layer = d.current_layer;
      if (answer == 2 && ask_layer(app, layer))
        for (Element* e = last_elements(d.store, count); e; e = e->next)
          e->layer = static_cast<std::uint16_t>(layer);
      d.undo.record(d.store, kUndoMarkLast, count);
    } else {
      // Cancelled (or the box closed): the result goes, and the drawing is as it was.
      for (int i = 0; i < count; ++i) d.store.remove_tail();
      d.store.modified = was_modified;
    }
  }
  count_per_layer(d.store, d.layers);
  if (app.dialog_open(kDialogLayers)) app.ui->refresh_dialog(kDialogLayers);
  app.ui->set_undo_buttons(d.undo.undo_enabled(), d.undo.redo_enabled());
  update_title(app);
  view_show_all(app);
  // A tool without a point to wait for lets its button up; a command the "Layer:" prompt
  // handed on keeps the button it pressed.
  if (app.pending == "nop") release_tool_button(app);
}

}  // namespace korav
