// Helpers of the renderer tests: small 3D drawings built in the store, the lines of a scene
// text, and POV-Ray run on a scene as its real consumer.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/process.h"
#include "model/drawing.h"
#include "model/store.h"
#include "three_d/mesh.h"

namespace korav::render_test {

// A marked 3D object of the mesh.
inline Object3D* add_marked(Drawing& d, const Mesh& m, std::string_view material = "Default") {
  Object3D* o = store_mesh(d.store, m, 0, 0, 0, material);
  if (o) o->selected = 1;
  return o;
}

// A marked white light at `pos` with the given shadow switch and intensity.
inline Light* add_light(Drawing& d, Point3 pos, int shadow, double intensity, double size = 0) {
  Light l = make_element<Light>(0, 0, 0);
  l.pos = pos;
  l.target = pos;
  l.red = l.green = l.blue = 1;
  l.shadow = static_cast<std::uint8_t>(shadow);
  l.shadow_intensity = intensity;
  l.size = size;
  Light* made = create(d.store, l);
  made->selected = 1;
  return made;
}

inline Camera* add_active_camera(Drawing& d, Point3 eye, Point3 target, double lens = 60) {
  Camera c = make_element<Camera>(0, 0, 0);
  c.eye = eye;
  c.target = target;
  c.lens_angle = lens;
  c.active = 1;
  return create(d.store, c);
}

// The lines of `text` that start with `prefix`.
inline std::vector<std::string> lines_starting(const std::string& text, std::string_view prefix) {
  std::vector<std::string> out;
  for (std::size_t from = 0; from < text.size();) {
    std::size_t to = text.find('\n', from);
    if (to == std::string::npos) to = text.size();
    const std::string line = text.substr(from, to - from);
    if (line.starts_with(prefix)) out.push_back(line);
    from = to + 1;
  }
  return out;
}

inline std::size_t count_of(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

// POV-Ray renders the scene file into a small PNG in the same directory; the exit status, or
// -2 when povray is not installed.
inline int render_with_povray(const std::string& dir, const std::string& scene_file,
                              const std::string& png_file, const std::string& size = "+W160 +H120") {
  if (find_program("povray").empty()) return -2;
  std::vector<std::string> argv = {"povray", "-D", "-V", "+FN8", "+I" + scene_file,
                                   "+O" + png_file};
  argv.push_back(size.substr(0, size.find(' ')));
  argv.push_back(size.substr(size.find(' ') + 1));
  const RunResult r = run_to_end(argv, dir);
  return r.ran ? r.exit_status : -1;
}

}  // namespace korav::render_test
