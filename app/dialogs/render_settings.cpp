#include "app/dialogs/render_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"

namespace korav {

namespace {

constexpr std::string_view kPovTitle = "Render settings";
constexpr std::string_view kRayTitle = "Radiance settings";
constexpr std::string_view kColourTitle = "Color selection";

struct Vars {
  App& app;
  std::string_view title;

  DialogVar& add(std::string_view label, VarKind kind, VarRef ref) {
    DialogVar v;
    v.name = std::string(title) + "/" + std::string(label);
    v.kind = kind;
    v.ref = ref;
    return app.vars.add(std::move(v));
  }
  void option(std::string_view label, std::int32_t* i, std::vector<std::string> items) {
    add(label, VarKind::kOption, i).items = std::move(items);
  }
  void check(std::string_view label, std::int32_t* i) { add(label, VarKind::kCheck, i); }
  void button(std::string_view label, std::string_view command) {
    app.vars.add_button({std::string(title), std::string(label), std::string(command), "", ""});
  }
};

// A slider of the colour selection; a change shows at once in the dialog of `group`.
void colour_slider(App& app, std::string_view label, double* d, std::string_view group) {
  DialogVar v;
  v.name = std::string(kColourTitle) + "/" + std::string(label);
  v.kind = VarKind::kSlider;
  v.ref = d;
  v.lower = 0;
  v.upper = 1;
  v.step = 0.01;
  v.group = std::string(group);
  app.vars.add(std::move(v));
}

std::optional<std::string> choose_picture(App& app, const std::string& current) {
  const std::string start = current.empty() ? drawing_directory(app) : current;
  return app.ui->choose_file("Output file...", start, true);
}

}  // namespace

void register_render_variables(App& app) {
  PovSettings& p = app.pov;
  Vars pov{app, kPovTitle};
  pov.check("Save Image", &p.save_image);
  pov.add("Image file", VarKind::kEntry, &p.output).max_length = 1023;
  pov.button("Select file", "p_pov_out");
  pov.option("Format", &p.format,
             {"TGA compressed", "TGA", "PPM", "PNG 16 bit", "PNG 8 bit", "TGA with alpha",
              "System"});
  pov.option("Resolution", &p.resolution,
             {"160x120", "320x240", "640x480", "800x600", "1024x768", "2048x1536", "4096x3072",
              "8192x6144"});
  pov.option("Quality", &p.quality, {"Low", "High", "Radiosity low", "Radiosity high"});
  pov.option("Antialias", &p.antialias, {"Off", "1", "2", "3"});
  pov.check("Sky", &p.sky);
  pov.check("Clouds", &p.clouds);
  DialogVar& ambient = pov.add("Ambient light", VarKind::kSpinInt, &p.ambient);
  ambient.lower = 0;
  ambient.upper = 10;
  pov.button("Background color", "z_d_colorsel_povbg");
  pov.button("Render", "b_3d_pov");

  RadianceSettings& r = app.radiance;
  Vars ray{app, kRayTitle};
  ray.check("Save Image", &r.save_image);
  ray.add("Image file", VarKind::kEntry, &r.output).max_length = 1023;
  ray.button("Select file", "p_ray_out");
  ray.option("Resolution", &r.resolution,
             {"160x120", "320x240", "640x480", "800x600", "1024x768", "2048x1536", "4096x3072"});
  ray.option("Quality", &r.quality, {"Low", "Medium", "High"});
  ray.option("Detail", &r.detail, {"Low", "Medium", "High"});
  ray.option("Variability", &r.variability, {"Low", "Medium", "High"});
  ray.option("Indirect light", &r.indirect, {"0", "1", "2"});
  ray.check("Shadows", &r.shadows);
  ray.option("Scene", &r.scene, {"Interior", "Exterior"});
  ray.option("Sky and Sun", &r.sky,
             {"None", "Sunny with sun", "Sunny without sun", "Intermediate with sun",
              "Intermediate without sun", "Cloudy", "Uniform"});
  DialogVar& latitude = ray.add("Latitude", VarKind::kSpinDouble, &r.latitude);
  latitude.lower = -90;
  latitude.upper = 90;
  DialogVar& time = ray.add("Time", VarKind::kSpinDouble, &r.time);
  time.lower = 0;
  time.upper = 24;
  ray.button("Radiance", "b_3d_ray");

  bind_colour_selection(app, "z_d_colorsel_povbg");
}

void bind_colour_selection(App& app, std::string_view open_name) {
  double *red = &app.pov.bg_red, *green = &app.pov.bg_green, *blue = &app.pov.bg_blue;
  std::string_view group = "pov";
  if (open_name == "z_d_colorsel_pattern") {
    red = &app.presets.pattern.red;
    green = &app.presets.pattern.green;
    blue = &app.presets.pattern.blue;
    group = "pattern";
  }
  colour_slider(app, "Red", red, group);
  colour_slider(app, "Green", green, group);
  colour_slider(app, "Blue", blue, group);
}

void choose_pov_output(App& app) {
  if (std::optional<std::string> f = choose_picture(app, app.pov.output)) {
    app.pov.output = *f;
    app.pov.save_image = 1;
    app.ui->refresh_dialog("pov");
  }
}

void choose_radiance_output(App& app) {
  if (std::optional<std::string> f = choose_picture(app, app.radiance.output)) {
    app.radiance.output = *f;
    app.radiance.save_image = 1;
    app.ui->refresh_dialog("ray");
  }
}

}  // namespace korav
