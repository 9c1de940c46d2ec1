#include "app/mesh_commands.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/dialogs/presets.h"
#include "app/export_commands.h"
#include "app/point_input.h"
#include "app/tools/tool_steps.h"
#include "base/messages.h"
#include "base/user_dirs.h"
#include "exchange/gts.h"
#include "exchange/lightwave.h"
#include "exchange/terrain.h"
#include "exchange/three_ds.h"
#include "files/settings_file.h"
#include "three_d/wall_solid.h"

namespace korav {

namespace {

void print(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// "***ERROR***" and the reason on standard output, and the reason in an error box.
void import_failed(App& app, std::string_view why) {
  print("***ERROR***\n" + std::string(why) + "\n");
  app.ui->error_box(why);
}

// The objects made by an import are one undo step.
void imported(App& app, int made) {
  if (made <= 0) return;
  app.drawing.undo.record(app.drawing.store, kUndoMarkLast, made);
  created(app, made);
  update_title(app);
}

Object3D* store(App& app, const Mesh& m, std::string_view material) {
  Drawing& d = app.drawing;
  return store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, material);
}

// The chosen 3D objects and walls, each with its polygon faces and material.
struct Chosen {
  Mesh mesh;
  std::string material;
};
std::vector<Chosen> chosen_solids(const Drawing& d) {
  std::vector<Chosen> out;
  for (const Element& e : d.store.list) {
    if (!e.selected) continue;
    if (const auto* o = as<Object3D>(&e)) {
      Chosen c;
      c.mesh.vertices.assign(o->vertices(), o->vertices() + o->vertex_count);
      c.mesh.face_sizes.assign(o->face_sizes(), o->face_sizes() + o->face_count);
      c.mesh.indices.assign(o->indices(), o->indices() + o->index_count);
      c.material = std::string(o->material.view());
      out.push_back(std::move(c));
    } else if (const auto* w = as<Wall>(&e)) {
      out.push_back({wall_mesh(*w), std::string(w->material.view())});
    }
  }
  return out;
}

}  // namespace

MaterialValues material_values_in(const std::string& dialog_dir, std::string_view name) {
  MaterialValues v;
  read_material_values(dialog_dir + "mat/" + material_file_name(name), v);
  return v;
}

MaterialValues material_values(const App& app, std::string_view name) {
  MaterialValues v;
  const std::string file = "mat/" + material_file_name(name);
  if (!read_material_values(preset_save_directory(app) + file, v))
    read_material_values(dialog_directory(app) + file, v);
  return v;
}

void export_gts_command(App& app) {
  if (!ask_export_scope(app, "GTS")) return end_export(app);
  const std::optional<std::string> path = choose_export_file(app, "Export GTS...", true);
  if (!path) return end_export(app);
  report_write_status(app, write_gts(selected_triangles(app.drawing.store.head()), *path));
  end_export(app);
}

void export_3ds_command(App& app) {
  if (!ask_export_scope(app, "3DS")) return end_export(app);
  const std::optional<std::string> path = choose_export_file(app, "Export 3DS...", true);
  if (!path) return end_export(app);
  std::vector<ThreeDsExportObject> objects;
  for (Chosen& c : chosen_solids(app.drawing)) {
    ThreeDsExportObject o;
    append_triangles(c.mesh, o.mesh);
    o.values = material_values(app, c.material);
    o.material = std::move(c.material);
    objects.push_back(std::move(o));
  }
  std::string log;
  const WriteStatus st = write_3ds(objects, *path, log);
  print(log);
  report_write_status(app, st);
  end_export(app);
}

void export_lwo_command(App& app) {
  if (!ask_export_scope(app, "LWO")) return end_export(app);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Point:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, r) != kInputDone) return end_export(app);
  const Point3 origin{r.x[0], r.y[0], r.z[0], 0};
  const std::optional<std::string> path = choose_export_file(app, "Export LWOB...", true);
  if (!path) return end_export(app);
  std::vector<LwobObject> objects;
  for (Chosen& c : chosen_solids(app.drawing)) {
    LwobObject o;
    o.values = material_values(app, c.material);
    o.mesh = std::move(c.mesh);
    o.material = std::move(c.material);
    objects.push_back(std::move(o));
  }
  if (lwob_bytes(objects, origin).empty()) {
    app.ui->error_box(kMsgLwobTooManyPoints);
  } else {
    report_write_status(app, write_lwob(objects, origin, *path));
  }
  end_export(app);
}

void import_gts_command(App& app) {
  const std::optional<std::string> path = choose_export_file(app, "Import GTS...", false);
  if (!path) return;
  GtsImport g = read_gts_file(*path);
  if (!g.ok) return import_failed(app, g.error);
  print(g.stats);
  if (g.mesh.triangles.empty()) return;
  imported(app, store(app, to_mesh(g.mesh), "Default") ? 1 : 0);
}

void import_3ds_command(App& app) {
  const std::optional<std::string> path = choose_export_file(app, "Import 3DS...", false);
  if (!path) return;
  const ThreeDsImport t = read_3ds_file(*path);
  // A file without a single mesh is no 3D Studio file the user meant: say so as well.
  if (!t.ok || t.objects.empty()) return import_failed(app, kMsg3dsFailed);
  // Each material an object uses becomes a material file "3ds_<name>" among the user's.
  const std::string dir = preset_save_directory(app) + "mat/";
  std::vector<bool> saved(t.materials.size(), false);
  int made = 0;
  for (const ThreeDsObject& o : t.objects) {
    std::string material = "Default";
    if (o.material >= 0) {
      const ThreeDsMaterial& m = t.materials[static_cast<std::size_t>(o.material)];
      material = material_name_for_3ds(m.name);
      if (!saved[static_cast<std::size_t>(o.material)]) {
        saved[static_cast<std::size_t>(o.material)] = true;
        const std::string text = material_file_text(m.values);
        make_directories(dir);
        const WriteStatus st = write_file_safely(
            dir + material, [&](Writer& w) { return w.bytes(text.data(), text.size()); });
        if (st != WriteStatus::kOk) std::printf("cannot write material file %s%s\n", dir.c_str(),
                                                material.c_str());
      }
    }
    std::printf("name = %s np=%ld nf=%ld\n", o.name.c_str(), long(o.mesh.vertices.size()),
                long(o.mesh.triangles.size()));
    if (store(app, to_mesh(o.mesh), material)) ++made;
  }
  std::fflush(stdout);
  imported(app, made);
}

void import_dgm_command(App& app) {
  const std::optional<std::string> path = choose_export_file(app, "Import DGM...", false);
  if (!path) return;
  const TerrainImport t = read_terrain_file(*path);
  if (!t.ok) return import_failed(app, t.error);
  print(t.report);
  imported(app, store(app, t.mesh, app.material) ? 1 : 0);
}

}  // namespace korav
