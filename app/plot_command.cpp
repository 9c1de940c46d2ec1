#include "app/plot_command.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "app/export_commands.h"
#include "app/print_command.h"
#include "exchange/hpgl_export.h"
#include "files/settings_file.h"

namespace korav {

void plot_command(App& app) {
  if (!ask_scope(app, "Plot HPGL:")) return end_export(app);
  const PlotSetup setup = plot_setup_of(app.drawing.settings.plot);
  double w = 0, h = 0;
  plot_frame_size(setup, w, h);
  // The frame follows the pointer by its centre.
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Set frame:", [w, h](App& a, const PointRequest&, double x, double y) {
    draw_paper_frame(a, x - w / 2, y - h / 2, w, h);
  });
  r.add_step(kStepConfirm, "Move/Confirm:", [w, h](App& a, const PointRequest& q, double, double) {
    draw_paper_frame(a, q.x[0] - w / 2, q.y[0] - h / 2, w, h);
  });
  if (point_input(app, r) != kInputDone) return end_export(app);
  const std::string_view buttons[] = {"To Plotter", "To File", "Cancel"};
  const int how = app.ui->question("Output method:", buttons);
  if (how != 1 && how != 2) return end_export(app);
  std::string path;
  if (how == 2) {
    const std::optional<std::string> chosen =
        app.ui->choose_file("Plot to file...", drawing_directory(app), true);
    if (!chosen) return end_export(app);
    path = *chosen;
  } else {
    path = handed_file(app, "plot.hpgl");
    if (path.empty()) {
      report_write_status(app, WriteStatus::kCannotOpen);
      return end_export(app);
    }
  }
  const WriteStatus st = plot_to_file(app.drawing, &app.fonts, setup, r.x[0], r.y[0], path);
  report_write_status(app, st);
  if (st == WriteStatus::kOk && how == 1) hand_to_command(app, plot_command_of(app), path);
  end_export(app);
}

}  // namespace korav
