#include "app/tools/gauge.h"

#include "app/app.h"
#include "app/dialogs/gauge.h"
#include "app/dispatch.h"
#include "app/point_input.h"

namespace korav {

void tool_gauge(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "1st Point:");
  r.add_step(kStepNextPoint, "2nd Point:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  while (point_input(app, r) == kInputDone) {
    fill_gauge(app.gauge, measure(r.x[0], r.y[0], r.z[0], r.x[1], r.y[1], r.z[1]),
               app.drawing.settings);
    if (app.dialog_open(kDialogGauge)) app.ui->refresh_dialog(kDialogGauge);
    else show_dialog(app, kDialogGauge);
    r.restart();
  }
}

}  // namespace korav
