#include "app/tools/render.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/dispatch.h"
#include "app/export_commands.h"
#include "app/material_lookup.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/text_format.h"
#include "exchange/pov_export.h"
#include "exchange/radiance_export.h"
#include "files/safe_write.h"
#include "files/settings_file.h"
#include "three_d/wall_solid.h"

namespace korav {

namespace {

constexpr std::string_view kPovScene = "korav.pov";
constexpr std::string_view kPovPreview = "koravp.pov";
constexpr std::string_view kPovOptions = "povray.ini";

constexpr std::string_view kMsgPovScene = "Error on writing temporary korav.pov file!";
constexpr std::string_view kMsgPovPreview = "Error on writing temporary koravp.pov file!";
constexpr std::string_view kMsgPovOptions = "Error on writing temporary povray.ini file!";
constexpr std::string_view kMsgNoPovray =
    "POV-Ray is not installed: povray was not found on the PATH.\nInstall the povray package, or "
    "get POV-Ray from www.povray.org.";
constexpr std::string_view kMsgCannotRun = "ExecuteWinProgram - Could not run external command:\n%s.";
constexpr std::string_view kMsgNoPicture = "Choose the file for the picture first.";
constexpr std::string_view kMsgBadPicture = "POV-Ray cannot be given this file name:\n%s";
constexpr std::string_view kMsgNoRadiance =
    "Radiance is not installed: %s not found on the PATH.\nThe scene files are written to %s.";

// A tool that asks only questions releases its button when it ends.
struct ReleaseButton {
  App& app;
  ~ReleaseButton() { release_tool_button(app); }
};

bool write_text_file(const std::string& path, std::string_view text) {
  return write_file_safely(path, [&](Writer& w) { return w.bytes(text.data(), text.size()); }) ==
         WriteStatus::kOk;
}

// The program's own temporary directory; on failure `message` is shown and "" returned.
std::string render_directory(App& app, std::string_view message) {
  std::string error;
  const std::string dir = app.private_dir.get(app.temp_dir, &error);
  if (dir.empty()) {
    std::printf("%s\n", error.c_str());
    app.ui->error_box(message);
  }
  return dir;
}

// The elements on the current layer and on the layers shown.
void mark_visible(App& app) {
  Drawing& d = app.drawing;
  for (Element& e : d.store.list) e.selected = element_accessible(d, true, e) ? 1 : 0;
}

void end_render(App& app) {
  app.drawing.deselect_all();
  redraw(app);
}

std::optional<PovCamera> ask_camera_type(App& app) {
  const std::string_view buttons[] = {"Perspective", "Orthographic", "Cancel"};
  switch (app.ui->question("Camera type:", buttons)) {
    case 1: return PovCamera::kPerspective;
    case 2: return PovCamera::kOrthographic;
    default: return std::nullopt;
  }
}

// A picture path as the user gave it, relative ones taken from where the program was started.
std::string absolute_picture(const App& app, const std::string& path) {
  if (path.empty() || path.front() == '/' || app.start_dir.empty()) return path;
  std::string dir = app.start_dir;
  if (dir.back() != '/') dir += '/';
  return dir + path;
}

std::string joined(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

// Starts the program in the background in `dir`; says so when it cannot be started.
bool start_in(App& app, const std::vector<std::string>& argv, const std::string& dir) {
  const StartResult r = start_detached(argv, dir);
  if (!r.started) {
    std::printf("%s\n", r.error.c_str());
    app.ui->error_box_filled(fill_format(translate(kMsgCannotRun), {joined(argv)}));
    return false;
  }
  // It works in the directory after the program itself may have ended.
  app.private_dir.keep_at_exit();
  return true;
}

// The check of the three files the render writes: each is written once with "test".
bool prepare_pov_files(App& app, const std::string& dir) {
  const std::pair<std::string_view, std::string_view> files[] = {
      {kPovScene, kMsgPovScene}, {kPovPreview, kMsgPovPreview}, {kPovOptions, kMsgPovOptions}};
  for (const auto& [name, message] : files)
    if (!write_text_file(dir + std::string(name), "test")) {
      app.ui->error_box(message);
      return false;
    }
  return true;
}

std::string find_povray(App& app) {
  std::string povray = find_program("povray");
  if (povray.empty()) app.ui->message_box(kMsgNoPovray);
  return povray;
}

// The picture file of the settings, or false (with the reason shown) when it cannot be used.
bool check_picture(App& app, PovSettings& s) {
  if (!s.save_image) return true;
  if (s.output.empty()) {
    app.ui->error_box(kMsgNoPicture);
    return false;
  }
  if (!pov_output_name_usable(s.output)) {
    app.ui->error_box_filled(fill_format(translate(kMsgBadPicture), {s.output}));
    return false;
  }
  return true;
}

void radiance(App& app, RadianceBuild build) {
  ReleaseButton release{app};
  const std::string dir = render_directory(app, kMsgCannotOpen);
  if (dir.empty()) return;
  // The files of the last render go, and only those.
  for (const std::string& f : radiance_work_files()) app.private_dir.remove_file(f);

  const std::string_view buttons[] = {"Perspective", "Linear", "Cancel"};
  const int view = app.ui->question("Viewtype:", buttons);
  if (view != 1 && view != 2) return;
  mark_visible(app);
  Drawing& d = app.drawing;
  const std::optional<SceneMaterials> materials = ask_materials(app, scene_material_names(d));
  if (!materials) return end_render(app);

  std::vector<std::string> missing;
  std::string sky;
  if (std::vector<std::string> args = gensky_arguments(app.radiance); !args.empty()) {
    const std::string gensky = find_program("gensky");
    if (gensky.empty()) {
      missing.push_back("gensky");
    } else {
      args[0] = gensky;
      const RunResult r = run_to_end(args, dir);
      if (r.ran && r.exit_status == 0) sky = r.output;
      else std::printf("gensky failed: %s (status %d)\n", r.error.c_str(), r.exit_status);
    }
  }

  walls_to_solids(d.store);
  const std::string scene = radiance_scene(d, app.radiance, *materials, sky);
  remove_temp_solids(d.store);
  const RadianceView v = view == 2 ? RadianceView::kLinear : RadianceView::kPerspective;
  const std::string script = dir + std::string(kRadianceScript);
  if (!write_text_file(dir + std::string(kRadianceScene), scene) ||
      !write_text_file(dir + std::string(kRadianceControl),
                       radiance_control(d, app.radiance, v, build)) ||
      !write_text_file(script, radiance_octree_script(dir, build))) {
    app.ui->error_box(kMsgCannotOpen);
    return end_render(app);
  }
  end_render(app);

  for (const std::string& p : radiance_programs(build))
    if (find_program(p).empty()) missing.push_back(p);
  const std::string sh = find_program("sh");
  if (sh.empty()) missing.push_back("sh");
  if (!missing.empty()) {
    app.ui->message_box_filled(fill_format(translate(kMsgNoRadiance), {joined(missing), dir}));
    return;
  }

  // First the octree, waited for; then the render, in the background.
  const std::vector<std::string> octree = {sh, script};
  const RunResult r = run_to_end(octree, dir);
  if (!r.ran || r.exit_status != 0) {
    std::printf("%s status %d %s\n", joined(octree).c_str(), r.exit_status, r.error.c_str());
    app.ui->error_box_filled(fill_format(translate(kMsgCannotRun), {joined(octree)}));
    return;
  }
  if (!write_text_file(script, radiance_render_script(dir, build))) {
    app.ui->error_box(kMsgCannotOpen);
    return;
  }
  std::vector<std::string> render = {sh, script};
  const RadianceSettings& s = app.radiance;
  if (s.save_image && !s.output.empty()) render.push_back(absolute_picture(app, s.output));
  start_in(app, render, dir);
}

}  // namespace

void tool_3d_pov(App& app) {
  ReleaseButton release{app};
  const std::optional<PovCamera> camera = ask_camera_type(app);
  if (!camera) return;
  const std::string dir = render_directory(app, kMsgPovScene);
  if (dir.empty() || !prepare_pov_files(app, dir)) return;
  const std::string povray = find_povray(app);
  if (povray.empty()) return;
  PovSettings settings = app.pov;
  settings.output = absolute_picture(app, settings.output);
  if (!check_picture(app, settings)) return;

  mark_visible(app);
  const std::optional<SceneMaterials> materials =
      ask_materials(app, scene_material_names(app.drawing));
  if (!materials) return end_render(app);
  const std::string scene = pov_scene(app.drawing, settings, *camera, *materials);
  end_render(app);
  if (!write_text_file(dir + std::string(kPovScene), scene)) {
    app.ui->error_box(kMsgPovScene);
    return;
  }
  std::string line;
  const std::string options = pov_options(settings, &line);
  std::printf("options: %s\n", line.c_str());
  if (!write_text_file(dir + std::string(kPovOptions), options)) {
    app.ui->error_box(kMsgPovOptions);
    return;
  }
  // The files are named relative to the directory POV-Ray starts in: its command line would
  // split a path with a blank in it.
  start_in(app, {povray, std::string(kPovOptions), "+I" + std::string(kPovScene)}, dir);
}

void export_pov_command(App& app) {
  const std::optional<PovCamera> camera = ask_camera_type(app);
  if (!camera) return;
  if (!ask_export_scope(app, "POV")) return end_render(app);
  const std::optional<std::string> path = choose_export_file(app, "Export POV...");
  if (!path) return end_render(app);
  const std::optional<SceneMaterials> materials =
      ask_materials(app, scene_material_names(app.drawing));
  if (!materials) return end_render(app);
  const WriteStatus st = export_pov(app.drawing, app.pov, *camera, *materials, *path);
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
  end_render(app);
}

void render_material_preview(App& app) {
  const std::string dir = render_directory(app, kMsgPovPreview);
  if (dir.empty()) return;
  SceneMaterial m{app.material, app.material_values, ""};
  if (m.values.texture) {
    m.image_path = find_texture(material_dirs(app), m.values.image);
    if (m.image_path.empty()) {
      const std::string_view buttons[] = {"Cancel", "Use material without texture"};
      const std::string text =
          fill_format(translate("Image  > %s <  not found!"), {m.values.image});
      if (app.ui->question_filled(text, buttons) != 2) return;
      m.values.texture = 0;
    }
  }
  const std::string povray = find_povray(app);
  if (povray.empty()) return;
  if (!write_text_file(dir + std::string(kPovPreview), pov_material_preview(m))) {
    app.ui->error_box(kMsgPovPreview);
    return;
  }
  start_in(app, {povray, "+I" + std::string(kPovPreview), "+W320", "+H240", "+P", "+D0", "-F", "-V"},
           dir);
}

void tool_3d_ray(App& app) { radiance(app, RadianceBuild::kStandard); }
void tool_3d_raz(App& app) { radiance(app, RadianceBuild::kAlternative); }

}  // namespace korav
