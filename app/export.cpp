// --export: load a drawing and write it in another format, with no window.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "app/material_lookup.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "base/messages.h"
#include "base/regular_file.h"
#include "base/text_format.h"
#include "base/ui.h"
#include "exchange/hpgl_export.h"
#include "exchange/pdf_export.h"
#include "exchange/pov_export.h"
#include "exchange/postscript.h"
#include "exchange/dxf_export.h"
#include "exchange/dxf_import.h"
#include "exchange/svg_export.h"
#include "app/mesh_commands.h"
#include "exchange/gts.h"
#include "exchange/lightwave.h"
#include "exchange/three_ds.h"
#include "three_d/wall_solid.h"
#include "files/settings_file.h"
#include "files/drawing_file.h"
#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/font_table.h"
#include "render/png_export.h"
#include "render/view.h"

namespace korav {

namespace {

// The user interface of a run without a window: boxes become one line each on standard error,
// naming the file being read or written, questions are answered "close", and no file chooser
// is offered.
class ExportUi : public Ui {
 public:
  // The file the next boxes are about.
  void set_file(const std::string& path) { file_ = path; }
  void error_box(std::string_view text) override { error_box_filled(translate(text)); }
  void message_box(std::string_view text) override { message_box_filled(translate(text)); }
  void error_box_filled(std::string_view text) override {
    std::fprintf(stderr, "korav: %s: %s\n", file_.c_str(), one_line(text).c_str());
  }
  void message_box_filled(std::string_view text) override {
    std::fprintf(stderr, "korav: %s: %s\n", file_.c_str(), one_line(text).c_str());
  }
  int question(std::string_view, std::span<const std::string_view>) override { return 0; }
  std::optional<std::string> choose_file(std::string_view, std::string_view, bool) override {
    return std::nullopt;
  }
  void set_title(std::string_view) override {}
  void set_prompt(std::string_view) override {}
  std::string wait_command() override { return "p_nop"; }

 private:
  std::string file_;
  static std::string one_line(std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c == '\n' || c == '|') c = ' ';
    return out;
  }
};

bool is_dxf_name(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".dxf";
}

// The drawing to export: a native drawing, or a DXF file imported into an empty drawing with
// the import dialog's first choices (its report is not shown: a conversion that goes well
// prints nothing).
LoadStatus load_input(Drawing& d, ExportUi& ui, const std::string& path) {
  if (!is_dxf_name(path)) return load_drawing(d, ui, path);
  std::string file;
  if (!read_regular_file(path, file)) {
    ui.error_box(kMsgCannotOpen);
    return LoadStatus::kFailed;
  }
  const DxfImportResult r = import_dxf(d, file, DxfImportOptions{});
  if (!r.imported) {
    if (!r.error.empty()) ui.error_box(r.error);
    return LoadStatus::kFailed;
  }
  return LoadStatus::kLoaded;
}

// The exit status of an export: 1 with a message naming the output when it could not be
// written, 1 for an input read only up to its damage, else 0.
int export_status(ExportUi& ui, const CommandLine& cl, LoadStatus st, WriteStatus written) {
  if (written != WriteStatus::kOk) {
    ui.set_file(cl.export_out);
    ui.error_box(written == WriteStatus::kCannotOpen ? kMsgCannotOpen : kMsgCannotWrite);
    return 1;
  }
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// krv: load and save again. Exit status 1 when the input cannot be read or the output not
// written; a damaged input is still written as far as it could be read, and counts as failed.
int export_krv(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_input(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  ui.set_file(cl.export_out);
  if (!save_drawing_to(d, ui, cl.export_out)) return 1;
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// png: the plan view fitted to all elements, as the screen draws it.
int export_png_file(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_input(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  std::string error;
  FontTable fonts;
  install_font_loader(fonts, find_data_dir(executable_path()) + "/dat/fonts/");
  if (!export_png(d, cl.export_out, cl.width > 0 ? cl.width : kPngDefaultWidth,
                  cl.height > 0 ? cl.height : kPngDefaultHeight, error, &fonts)) {
    std::fprintf(stderr, "korav: %s\n", error.c_str());
    return 1;
  }
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// The vector outputs: every element of the drawing (on the layers shown), at the drawing's
// paper scale; the ps page centres the drawing on the print setup's paper, the hpgl plot on the
// plot setup's, at the drawing scale.
int export_vector_file(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_input(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  FontTable fonts;
  install_font_loader(fonts, find_data_dir(executable_path()) + "/dat/fonts/");
  for (Element& e : d.store.list) e.selected = 1;
  WriteStatus written = WriteStatus::kOk;
  const std::string& f = cl.export_format;
  if (f == "svg") {
    written = export_svg(d, &fonts, cl.export_out);
  } else if (f == "dxf") {
    written = export_dxf(d, &fonts, DxfExportOptions{}, cl.export_out);
  } else if (f == "eps") {
    written = export_eps(d, &fonts, false, cl.export_out);
  } else if (f == "pdf") {
    written = export_pdf(d, &fonts, false, cl.export_out);
  } else if (f == "hpgl") {
    // The plot setup's plotter and paper, at the drawing scale, centred on the drawing.
    PlotSetup setup = plot_setup_of(d.settings.plot);
    if (d.settings.drawing_scale > 0) setup.scale = d.settings.drawing_scale;
    const Extent ext = drawing_extent(d, 0);
    const double cx = ext.empty ? 0 : (ext.xmin + ext.xmax) / 2;
    const double cy = ext.empty ? 0 : (ext.ymin + ext.ymax) / 2;
    written = plot_to_file(d, &fonts, setup, cx, cy, cl.export_out);
  } else {
    PrintSetup setup = print_setup_of(d.settings.print);
    if (d.settings.drawing_scale > 0) setup.scale = d.settings.drawing_scale;
    double w = 0, h = 0;
    print_frame_size(setup, w, h);
    const Extent ext = drawing_extent(d, 0);
    const double cx = ext.empty ? 0 : (ext.xmin + ext.xmax) / 2;
    const double cy = ext.empty ? 0 : (ext.ymin + ext.ymax) / 2;
    written = print_to_file(d, &fonts, setup, cx - w / 2, cy - h / 2, cl.export_out);
  }
  return export_status(ui, cl, st, written);
}

// pov: the POV-Ray scene of every 3D object, wall and light, seen through the active camera
// in perspective. A material that cannot be read is replaced by the default material and a
// missing texture picture left out; each is said on standard error.
int export_pov_file(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_input(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  for (Element& e : d.store.list) e.selected = 1;
  const std::optional<SceneMaterials> materials = resolve_materials(
      material_dirs_for(find_data_dir(executable_path())), scene_material_names(d),
      [&](Missing what, const std::string& name, int line) {
        std::string text;
        if (what == Missing::kMaterial)
          text = fill_format(translate("Material  > %s <  not found!"), {name}) + " " +
                 std::string(translate("Use default material"));
        else if (what == Missing::kImage)
          text = fill_format(translate("Image  > %s <  not found!"), {name}) + " " +
                 std::string(translate("Use material without texture"));
        else
          text = fill_format(translate("The material file %s is damaged in line %d."),
                             {name, std::to_string(line)});
        ui.message_box_filled(text);
        return true;
      });
  const WriteStatus written =
      export_pov(d, PovSettings{}, PovCamera::kPerspective, *materials, cl.export_out);
  return export_status(ui, cl, st, written);
}

// The mesh outputs: every 3D object and wall of the drawing, with the materials of the data
// directory; LightWave points relative to the drawing's origin.
int export_mesh_file(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_input(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  for (Element& e : d.store.list) e.selected = 1;
  const std::string data = find_data_dir(executable_path());
  const std::string_view dia = d.settings.paths[4].view();
  const std::string dialog_dir =
      dia.empty() ? data + "/dat/dia/" : dia[0] == '/' ? std::string(dia) + "/" : data + "/" + std::string(dia) + "/";
  WriteStatus written = WriteStatus::kOk;
  const std::string& f = cl.export_format;
  if (f == "gts") {
    written = write_gts(selected_triangles(d.store.head()), cl.export_out);
  } else {
    std::vector<ThreeDsExportObject> objects3ds;
    std::vector<LwobObject> objects_lwo;
    for (const Element& e : d.store.list) {
      Mesh m;
      std::string material;
      if (const auto* o = as<Object3D>(&e)) {
        m.vertices.assign(o->vertices(), o->vertices() + o->vertex_count);
        m.face_sizes.assign(o->face_sizes(), o->face_sizes() + o->face_count);
        m.indices.assign(o->indices(), o->indices() + o->index_count);
        material = std::string(o->material.view());
      } else if (const auto* w = as<Wall>(&e)) {
        m = wall_mesh(*w);
        material = std::string(w->material.view());
      } else {
        continue;
      }
      const MaterialValues v = material_values_in(dialog_dir, material);
      if (f == "3ds") {
        ThreeDsExportObject o;
        append_triangles(m, o.mesh);
        o.material = material;
        o.values = v;
        objects3ds.push_back(std::move(o));
      } else {
        objects_lwo.push_back({std::move(m), material, v});
      }
    }
    if (f == "3ds") {
      std::string log;
      written = write_3ds(objects3ds, cl.export_out, log);
      std::fputs(log.c_str(), stderr);
    } else if (lwob_bytes(objects_lwo, Point3{}).empty()) {
      ui.set_file(cl.export_out);
      ui.error_box(kMsgLwobTooManyPoints);
      return 1;
    } else {
      written = write_lwob(objects_lwo, Point3{}, cl.export_out);
    }
  }
  return export_status(ui, cl, st, written);
}

// The export formats known so far, lower case.
std::vector<std::string> export_formats() {
  return {"krv", "png", "svg", "eps", "ps", "pdf", "dxf", "hpgl", "pov", "gts", "3ds", "lwo"};
}

}  // namespace

int run_export(const CommandLine& cl) {
  ExportUi ui;
  // The catalogue translates the messages; its developer diagnostics stay quiet, so that a
  // conversion that goes well prints nothing on standard output.
  catalogue().set_diagnostics(nullptr);
  if (!catalogue().tried())
    if (const std::string dir = find_data_dir(executable_path()); !dir.empty()) load_catalogue(dir);
  if (cl.export_format == "krv") return export_krv(cl, ui);
  if (cl.export_format == "png") return export_png_file(cl, ui);
  if (cl.export_format == "pov") return export_pov_file(cl, ui);
  if (cl.export_format == "svg" || cl.export_format == "eps" || cl.export_format == "ps" ||
      cl.export_format == "pdf" || cl.export_format == "dxf" || cl.export_format == "hpgl")
    return export_vector_file(cl, ui);
  if (cl.export_format == "gts" || cl.export_format == "3ds" || cl.export_format == "lwo")
    return export_mesh_file(cl, ui);
  std::string known;
  for (const std::string& f : export_formats()) known += (known.empty() ? "" : ", ") + f;
  std::fprintf(stderr, "korav: unknown export format %s (known: %s); see korav --help\n",
               cl.export_format.c_str(), known.c_str());
  return 2;
}

}  // namespace korav
