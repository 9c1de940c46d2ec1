#include "exchange/radiance_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "exchange/scene_camera.h"
#include "exchange/scene_text.h"
#include "model/drawing.h"
#include "model/element_points.h"

namespace korav {

namespace {

constexpr const char* kResolutions[kRadianceResolutionCount] = {
    "RESOLUTION= 160 120 0",   "RESOLUTION= 320 240 0",   "RESOLUTION= 640 480 0",
    "RESOLUTION= 800 600 0",   "RESOLUTION= 1024 768 0",  "RESOLUTION= 2048 1536 0",
    "RESOLUTION= 4096 3072 0"};
constexpr const char* kLevels[3] = {"LOW", "MEDIUM", "HIGH"};
constexpr const char* kSkyOptions[kRadianceSkyCount] = {"", "+s", "-s", "+i", "-i", "-c", "-u"};

int clamp_index(int i, int count) { return i < 0 ? 0 : i >= count ? count - 1 : i; }
double clamp01(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }
bool finite3(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Whether a solid takes part: marked, or one of the temporary wall solids.
bool taken(const Element& e) { return e.selected == 1 || e.layer == kTempLayer; }

// A word Radiance reads as one: no blank, no quote.
bool one_word(std::string_view s) {
  for (unsigned char c : s)
    if (c <= ' ' || c == '"' || c == '\'' || c == 0x7f) return false;
  return !s.empty();
}

struct Extent3 {
  bool empty = true;
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 0;
  void add(double x, double y, double z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    if (empty) {
      x0 = x1 = x;
      y0 = y1 = y;
      z0 = z1 = z;
      empty = false;
      return;
    }
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
    z0 = std::min(z0, z);
    z1 = std::max(z1, z);
  }
};

void write_material(SceneText& t, const std::string& id, const SceneMaterial& sm) {
  const Material& m = sm.values;
  std::string modifier = "void";
  if (m.texture && !sm.image_path.empty()) {
    if (one_word(sm.image_path)) {
      const char* plane = m.mapping == kMapFront ? " -rx 90"
                          : m.mapping == kMapSide ? " -rx 90 -rz 90"
                                                  : "";
      t.add("void colorpict %s_pattern\n", id.c_str());
      t.add("7 red green blue %s picture.cal pic_u pic_v -s %.2f%s\n", sm.image_path.c_str(),
            std::fabs(m.size_x) > 0 ? std::fabs(m.size_x) : 1.0, plane);
      t << "0\n" << "1 1\n\n";
      modifier = id + "_pattern";
    } else {
      std::printf("texture picture %s has a blank in its name... material without texture\n",
                  sm.image_path.c_str());
    }
  }
  const double r = clamp01(m.red), g = clamp01(m.green), b = clamp01(m.blue);
  const double specularity = clamp01(m.reflection);
  const double rough = 0.2 * (1 - clamp01(m.highlight));
  const double trans = clamp01(m.transparency);
  if (trans > 0 && m.refraction) {
    t.add("%s glass %s\n0\n0\n3 %.2f %.2f %.2f\n\n", modifier.c_str(), id.c_str(), r, g, b);
  } else if (trans > 0) {
    t.add("%s trans %s\n0\n0\n7 %.2f %.2f %.2f %.2f %.2f %.2f %.2f\n\n", modifier.c_str(),
          id.c_str(), r, g, b, specularity, rough, trans, 1.0);
  } else if (m.metallic) {
    t.add("%s metal %s\n0\n0\n5 %.2f %.2f %.2f %.2f %.2f\n\n", modifier.c_str(), id.c_str(), r, g,
          b, specularity, rough);
  } else {
    t.add("%s plastic %s\n0\n0\n5 %.2f %.2f %.2f %.2f %.2f\n\n", modifier.c_str(), id.c_str(), r,
          g, b, specularity, rough);
  }
}

void write_faces(SceneText& t, const Object3D& o, const std::string& id, int& polygon) {
  if (!tail_intact(o)) return;
  const auto verts = mesh_vertices(o);
  const auto idx = mesh_indices(o);
  for (const Point3& p : verts)
    if (!finite3(p)) return;
  std::size_t k = 0;
  for (std::uint32_t n : mesh_face_sizes(o)) {
    if (k + n > idx.size()) break;
    const std::uint32_t* f = idx.data() + k;
    k += n;
    bool inside = n >= 3;
    for (std::uint32_t i = 0; i < n && inside; ++i) inside = f[i] < verts.size();
    if (!inside) continue;
    t.add("%s polygon poly.%d\n0\n0\n%u\n", id.c_str(), polygon++, 3 * n);
    for (std::uint32_t i = 0; i < n; ++i) {
      const Point3& p = verts[f[i]];
      t.add("%.8f %.8f %.8f\n", p.x, p.y, p.z);
    }
    t << "\n";
  }
}

}  // namespace

std::vector<std::string> radiance_work_files() {
  return {std::string(kRadianceScene), std::string(kRadianceControl), std::string(kRadianceScript),
          "korav.oct", "korav.amb", "korav_a.hdr", "korav_a.pic", "korav_a.ppm"};
}

std::vector<std::string> gensky_arguments(const RadianceSettings& s) {
  if (s.sky <= 0 || s.sky >= kRadianceSkyCount) return {};
  char hour[32], latitude[32];
  std::snprintf(hour, sizeof hour, "%.0f:00", std::isfinite(s.time) ? s.time : 12.0);
  std::snprintf(latitude, sizeof latitude, "%.0f", std::isfinite(s.latitude) ? s.latitude : 0.0);
  return {"gensky", "7", "1", hour, "-a", latitude, kSkyOptions[s.sky]};
}

std::string radiance_scene(const Drawing& d, const RadianceSettings& s,
                           const SceneMaterials& materials, std::string_view sky) {
  SceneText t;
  t << "#Radiance file written by Korav\n\n";
  if (!gensky_arguments(s).empty()) {
    t << sky;
    if (!sky.empty() && sky.back() != '\n') t << "\n";
    t << "skyfunc glow skyglow\n0\n0\n4 .986 .986 1.205 0\n"
      << "skyfunc glow groundglow\n0\n0\n4 .2 .2 .2 0\n"
      << "skyglow source sky\n0\n0\n4 0 0 1 180\n"
      << "groundglow source ground\n0\n0\n4 0 0 -1 180\n\n";
  }

  IdentifierTable ids;
  for (const std::string& name : scene_material_names(d)) {
    const SceneMaterial* sm = find_material(materials, name);
    const SceneMaterial fallback{name, Material{}, ""};
    write_material(t, ids.identifier(name), sm ? *sm : fallback);
  }

  int light = 0;
  for (const Element& e : d.store.list) {
    const auto* l = as<Light>(&e);
    if (!l || l->selected != 1 || !finite3(l->pos)) continue;
    const double size = std::isfinite(l->size) ? l->size : 0;
    const double k = 30 * size * size;
    t.add("void light bright.%d\n0\n0\n3 %f %f %f\n\n", light, clamp01(l->red) * k,
          clamp01(l->green) * k, clamp01(l->blue) * k);
    t.add("bright.%d sphere lamp.%d\n0\n0\n4 %.4f %.4f %.4f 0.1\n\n", light, light, l->pos.x,
          l->pos.y, l->pos.z);
    ++light;
  }

  int polygon = 0;
  for (const Element& e : d.store.list)
    if (const auto* o = as<Object3D>(&e); o && taken(e))
      write_faces(t, *o, ids.identifier(o->material.view()), polygon);
  return t.take();
}

std::string radiance_control(const Drawing& d, const RadianceSettings& s, RadianceView view,
                             RadianceBuild build) {
  const ViewCamera c = scene_camera(d);
  SceneText t;
  t << "OCTREE= korav.oct\n";
  t.add("view= a%s -vp %.2f %.2f %.2f -vd %.2f %.2f %.2f -vh %.2f -vv %.2f\n",
        view == RadianceView::kLinear ? " -vtl" : "", c.eye_x, c.eye_y, c.eye_z,
        c.target_x - c.eye_x, c.target_y - c.eye_y, c.target_z - c.eye_z, c.lens, c.lens * 0.75);

  // The zone: the last marked room, else everything the scene holds.
  Extent3 zone;
  const Room* room = nullptr;
  for (const Element& e : d.store.list)
    if (const auto* r = as<Room>(&e); r && r->selected == 1 && tail_intact(*r)) room = r;
  if (room) {
    for (const Point2& p : outline_points(*room))
      if (!is_separator(p)) {
        zone.add(p.x, p.y, room->base);
        zone.add(p.x, p.y, room->top);
      }
  }
  if (zone.empty) {
    for (const Element& e : d.store.list) {
      if (const auto* o = as<Object3D>(&e); o && taken(e) && tail_intact(*o)) {
        for (const Point3& p : mesh_vertices(*o)) zone.add(p.x, p.y, p.z);
      } else if (const auto* l = as<Light>(&e); l && l->selected == 1) {
        zone.add(l->pos.x, l->pos.y, l->pos.z);
      }
    }
    zone.add(c.eye_x, c.eye_y, c.eye_z);
  }
  // A zone needs some depth in every direction.
  auto widen = [](double& a, double& b) {
    if (b - a < 1e-3) {
      a -= 0.5;
      b += 0.5;
    }
  };
  widen(zone.x0, zone.x1);
  widen(zone.y0, zone.y1);
  widen(zone.z0, zone.z1);
  t.add("ZONE= %c %.2f %.2f %.2f %.2f %.2f %.2f\n", s.scene == 1 ? 'E' : 'I', zone.x0, zone.x1,
        zone.y0, zone.y1, zone.z0, zone.z1);

  t << "AMBFILE=korav.amb\n" << "REPORT= 0.1666\n";
  t << kResolutions[clamp_index(s.resolution, kRadianceResolutionCount)] << "\n";
  t.add("QUALITY= %s\n", kLevels[clamp_index(s.quality, 3)]);
  if (s.shadows) t << "PENUMBRAS= TRUE\n";
  t.add("INDIRECT= %d\n", clamp_index(s.indirect, 3));
  t.add("DETAIL= %s\n", kLevels[clamp_index(s.detail, 3)]);
  t.add("VARIABILITY= %s\n", kLevels[clamp_index(s.variability, 3)]);
  if (build == RadianceBuild::kAlternative)
    t << "PICTURE= korav\n"
      << "render= -ab 2 -ad 4 -Dc on\n"
      << "pfilt= -1 -b -x /2 -y /2\n";
  return t.take();
}

std::string radiance_octree_script(std::string_view directory, RadianceBuild build) {
  const char* oconv = build == RadianceBuild::kAlternative ? "rzoconv" : "oconv";
  return "cd " + shell_quoted(directory) + " || exit 1\n" + oconv + " korav.rad > korav.oct\n";
}

std::string radiance_render_script(std::string_view directory, RadianceBuild build) {
  const char* rad = build == RadianceBuild::kAlternative ? "radz" : "rad";
  return "cd " + shell_quoted(directory) + " || exit 1\n" + rad +
         " korav.rif\n"
         "pic=korav_a.hdr\n"
         "[ -f \"$pic\" ] || pic=korav_a.pic\n"
         "ra_ppm \"$pic\" > korav_a.ppm\n"
         "if [ -n \"$1\" ]; then cp \"$pic\" \"$1\"; fi\n"
         "xdg-open korav_a.ppm\n";
}

std::vector<std::string> radiance_programs(RadianceBuild build) {
  if (build == RadianceBuild::kAlternative) return {"rzoconv", "radz"};
  return {"oconv", "rad"};
}

std::string shell_quoted(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

}  // namespace korav
