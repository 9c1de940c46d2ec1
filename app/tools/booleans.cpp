#include "app/tools/booleans.h"

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/pick.h"
#include "app/script_host.h"
#include "app/tools/tool_steps.h"
#include "exchange/boolean_ops.h"
#include "three_d/wall_solid.h"

namespace korav {

namespace {

TriangleMesh triangles_of(const Element& e) {
  TriangleMesh t;
  if (const auto* o = as<Object3D>(&e)) append_triangles(*o, t);
  else if (const auto* w = as<Wall>(&e)) append_triangles(wall_mesh(*w), t);
  return t;
}

// Which operands go: 0 none, 1 the first, 2 both; -1 when the user closed the question.
int operands_to_delete(App& app, BooleanOp op) {
  const std::string_view yes_no[] = {"Yes", "No"};
  switch (op) {
    case BooleanOp::kUnion: return 2;
    case BooleanOp::kDifference:
      switch (app.ui->question("Keep intersection element?", yes_no)) {
        case 1: return 1;
        case 2: return 2;
        default: return -1;
      }
    case BooleanOp::kIntersection:
      switch (app.ui->question("Keep original elements?", yes_no)) {
        case 1: return 0;
        case 2: return 2;
        default: return -1;
      }
  }
  return -1;
}

void boolean_tool(App& app, BooleanOp op) {
  Element* first = pick_with_prompt(app, "1st 3D Element:", kPickWallsObjects);
  if (!first) return;
  highlight(app, *first, true);
  Element* second = pick_with_prompt(app, "2nd 3D Element:", kPickWallsObjects);
  highlight(app, *first, false);
  if (!second || second == first) return changed(app);

  const std::string program = app.bso_program.empty()
                                  ? find_boolean_program(executable_path())
                                  : app.bso_program;
  BooleanResult r =
      boolean_meshes(triangles_of(*first), triangles_of(*second), op, program, app.temp_dir);
  std::fwrite(r.log.data(), 1, r.log.size(), stdout);
  std::fflush(stdout);
  if (!r.ok) {
    app.ui->error_box(kMsgBooleanFailed);
    return changed(app);
  }
  const int deletes = operands_to_delete(app, op);
  if (deletes < 0) return changed(app);

  Drawing& d = app.drawing;
  d.deselect_all();
  if (deletes >= 1) first->selected = 1;
  if (deletes >= 2) second->selected = 1;
  const Mesh m = to_mesh(r.mesh);
  if (deletes > 0) {
    // One step: the deleted operands come back and the result goes.
    d.undo.record(d.store, kUndoSnapshot);
    d.store.purge();
    if (Object3D* o = store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type,
                                 "Default"))
      d.undo.tag(*o);
  } else if (store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type,
                        "Default")) {
    d.undo.record(d.store, kUndoMarkLast, 1);
  }
  d.store.modified = true;
  changed(app);
}

}  // namespace

void tool_3d_union(App& app) { boolean_tool(app, BooleanOp::kUnion); }
void tool_3d_difference(App& app) { boolean_tool(app, BooleanOp::kDifference); }
void tool_3d_intersection(App& app) { boolean_tool(app, BooleanOp::kIntersection); }

}  // namespace korav
