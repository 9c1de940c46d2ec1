// --export: load a drawing and write it in another format, with no window.
#include <cstdio>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "base/messages.h"
#include "base/ui.h"
#include "exchange/hpgl_export.h"
#include "exchange/pdf_export.h"
#include "exchange/postscript.h"
#include "exchange/dxf_export.h"
#include "exchange/svg_export.h"
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

// krv: load and save again. Exit status 1 when the input cannot be read or the output not
// written; a damaged input is still written as far as it could be read, and counts as failed.
int export_krv(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_drawing(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  ui.set_file(cl.export_out);
  if (!save_drawing_to(d, ui, cl.export_out)) return 1;
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// png: the plan view fitted to all elements, as the screen draws it.
int export_png_file(const CommandLine& cl, ExportUi& ui) {
  Drawing d;
  ui.set_file(cl.drawing);
  LoadStatus st = load_drawing(d, ui, cl.drawing);
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
  LoadStatus st = load_drawing(d, ui, cl.drawing);
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
  if (written != WriteStatus::kOk) {
    ui.set_file(cl.export_out);
    ui.error_box(written == WriteStatus::kCannotOpen ? kMsgCannotOpen : kMsgCannotWrite);
    return 1;
  }
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// The export formats known so far, lower case.
std::vector<std::string> export_formats() {
  return {"krv", "png", "svg", "eps", "ps", "pdf", "dxf", "hpgl"};
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
  if (cl.export_format == "svg" || cl.export_format == "eps" || cl.export_format == "ps" ||
      cl.export_format == "pdf" || cl.export_format == "dxf" || cl.export_format == "hpgl")
    return export_vector_file(cl, ui);
  std::string known;
  for (const std::string& f : export_formats()) known += (known.empty() ? "" : ", ") + f;
  std::fprintf(stderr, "korav: unknown export format %s (known: %s); see korav --help\n",
               cl.export_format.c_str(), known.c_str());
  return 2;
}

}  // namespace korav
