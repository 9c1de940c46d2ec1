#include "app/print_command.h"

#include <cstdio>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/export_commands.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/text_format.h"
#include "exchange/postscript.h"
#include "exchange/print_command.h"
#include "exchange/printcap.h"
#include "exchange/printed_page.h"
#include "files/settings_file.h"
#include "render/surface.h"

namespace korav {

namespace {

constexpr std::string_view kMsgCannotStart = "Could not start the command:\n%s";

PagePrinter::Paper host_paper(const PrintedPaper& p, bool landscape) {
  return {p.width, p.height, p.margin_top, p.margin_left, p.margin_right, p.margin_bottom,
          landscape};
}
PrintedPaper own_paper(const PagePrinter::Paper& p) {
  return {p.width, p.height, p.margin_top, p.margin_left, p.margin_right, p.margin_bottom};
}

// The page for the host's print dialog: the marked elements with the frame's corner where the
// user placed it.
class FramePage : public PagePrinter {
 public:
  FramePage(App& app, const PrintSetup& setup, double x, double y)
      : app_(app), setup_(setup), x_(x), y_(y) {}
  Paper paper() const override { return host_paper(paper_of(setup_), setup_.landscape); }
  std::string printer() const override {
    const std::string_view name = app_.drawing.settings.print.printer.view();
    return name == kDefaultPrinter || name == kCustomPrinter ? "" : std::string(name);
  }
  void draw(_cairo* cr, const Paper& paper) override {
    draw_printed_page(cr, app_.drawing, &app_.fonts, setup_, x_, y_, own_paper(paper));
  }
  void printed_on(const Paper& paper) override {
    keep_paper(app_.drawing.settings.print, own_paper(paper), paper.landscape);
    print_setup_changed(app_);
  }

 private:
  App& app_;
  PrintSetup setup_;
  double x_, y_;
};

}  // namespace

void draw_paper_frame(App& app, double x, double y, double w, double h) {
  Screen& s = app.screen();
  const View& v = s.view();
  xor_rectangle(s, world_to_pixel_x(v, x), world_to_pixel_y(v, y), world_to_pixel_x(v, x + w),
                world_to_pixel_y(v, y + h));
}

std::string handed_file(App& app, const char* name) {
  std::string error;
  const std::string& dir = app.private_dir.get(app.temp_dir, &error);
  if (dir.empty()) std::printf("%s\n", error.c_str());
  return dir.empty() ? std::string() : dir + name;
}

void hand_to_command(App& app, std::string command, const std::string& path) {
  if (command.find_first_not_of(" \t") == std::string::npos) command = default_print_command();
  const StartResult r = start_detached(print_arguments(command, path), "");
  if (!r.started) {
    std::printf("%s\n", r.error.c_str());
    app.ui->error_box_filled(fill_format(translate(kMsgCannotStart), {command}));
    return;
  }
  app.private_dir.keep_at_exit();
}

void print_command(App& app) {
  const PrintSetup setup = print_setup_of(app.drawing.settings.print);
  double w = 0, h = 0;
  print_frame_size(setup, w, h);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Set frame:", [w, h](App& a, const PointRequest&, double x, double y) {
    draw_paper_frame(a, x, y, w, h);
  });
  r.add_step(kStepConfirm, "Move/Confirm:", [w, h](App& a, const PointRequest& q, double, double) {
    draw_paper_frame(a, q.x[0], q.y[0], w, h);
  });
  if (point_input(app, r) != kInputDone) return;
  const std::string_view buttons[] = {"To Printer", "To File", "Cancel"};
  const int how = app.ui->question("Output method:", buttons);
  if (how != 1 && how != 2) return;
  Drawing& d = app.drawing;

  if (how == 1 && d.settings.print.printer.view() != kCustomPrinter) {
    for (Element& e : d.store.list) e.selected = 1;
    FramePage page(app, setup, r.x[0], r.y[0]);
    std::string message;
    const HostPrint done = app.ui->print_page(page, message);
    d.deselect_all();
    if (done == HostPrint::kFailed) app.ui->error_box_filled(message);
    if (done != HostPrint::kNotOffered) return;
  }

  std::string path;
  if (how == 2) {
    const std::optional<std::string> chosen =
        app.ui->choose_file("Print to file...", drawing_directory(app), true);
    if (!chosen) return;
    path = *chosen;
  } else {
    path = handed_file(app, "print.ps");
    if (path.empty()) return report_write_status(app, WriteStatus::kCannotOpen);
  }
  for (Element& e : d.store.list) e.selected = 1;
  const WriteStatus st = print_to_file(d, &app.fonts, setup, r.x[0], r.y[0], path);
  d.deselect_all();
  report_write_status(app, st);
  if (st != WriteStatus::kOk || how != 1) return;
  hand_to_command(app, print_command_of(app), path);
}

}  // namespace korav
