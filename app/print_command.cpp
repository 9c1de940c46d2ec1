#include "app/print_command.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "exchange/postscript.h"
#include "exchange/print_command.h"
#include "files/settings_file.h"
#include "render/surface.h"

namespace korav {

namespace {

// The paper frame with its lower-left corner at (x, y), in exclusive-or.
void draw_frame(App& app, double x, double y, double w, double h) {
  Screen& s = app.screen();
  const View& v = s.view();
  xor_rectangle(s, world_to_pixel_x(v, x), world_to_pixel_y(v, y), world_to_pixel_x(v, x + w),
                world_to_pixel_y(v, y + h));
}

void report(App& app, WriteStatus st) {
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
}

}  // namespace

void print_command(App& app) {
  // The print setup dialog does not exist yet: its defaults, A4 upright at 1:100, in colour.
  const PrintSetup setup;
  double w = 0, h = 0;
  print_frame_size(setup, w, h);
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Set frame:", [w, h](App& a, const PointRequest&, double x, double y) {
    draw_frame(a, x, y, w, h);
  });
  r.add_step(kStepConfirm, "Move/Confirm:", [w, h](App& a, const PointRequest& q, double, double) {
    draw_frame(a, q.x[0], q.y[0], w, h);
  });
  if (point_input(app, r) != kInputDone) return;
  const std::string_view buttons[] = {"To Printer", "To File", "Cancel"};
  const int how = app.ui->question("Output method:", buttons);
  if (how != 1 && how != 2) return;
  std::string path;
  if (how == 2) {
    const std::optional<std::string> chosen =
        app.ui->choose_file("Print to file...", drawing_directory(app), true);
    if (!chosen) return;
    path = *chosen;
  } else {
    path = app.temp_dir + "print.ps";
  }
  Drawing& d = app.drawing;
  for (Element& e : d.store.list) e.selected = 1;
  const WriteStatus st = print_to_file(d, &app.fonts, setup, r.x[0], r.y[0], path);
  d.deselect_all();
  report(app, st);
  if (st != WriteStatus::kOk || how != 1) return;
  const std::string_view configured = d.settings.print.command.view();
  const std::string command =
      configured.find_first_not_of(" \t") == std::string_view::npos ? default_print_command()
                                                                      : std::string(configured);
  start_in_background(print_arguments(command, path));
}

}  // namespace korav
