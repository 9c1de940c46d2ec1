#include "exchange/pov_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <vector>

#include "exchange/scene_camera.h"
#include "exchange/scene_text.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "three_d/triangulate.h"

namespace korav {

namespace {

// How far an opening's cutter reaches beyond the wall's faces, so that no sliver of the face
// stays where the cutter and the face would coincide.
constexpr double kCutterReach = 0.01;

constexpr const char* kResolutions[kPovResolutionCount] = {
    "+W160 +H120",   "+W320 +H240",   "+W640 +H480",   "+W800 +H600",
    "+W1024 +H768",  "+W2048 +H1536", "+W4096 +H3072", "+W8192 +H6144"};
constexpr const char* kFormats[kPovFormatCount] = {"+FC", "+FT", "+FP", "+FN16",
                                                   "+FN8", "+FC +UA", "+FS"};
constexpr const char* kAntialias[kPovAntialiasCount] = {"", "+R1 +AM2 +A0.3 -J", "+R2 +AM2 +A0.1",
                                                        "+R4 +AM2 +A0.1"};

int clamp_index(int i, int count) { return i < 0 ? 0 : i >= count ? count - 1 : i; }
double clamp01(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

bool finite3(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// A plain picture name can stand in the options line as it is.
bool plain_name(std::string_view name) {
  for (unsigned char c : name)
    if (c <= ' ' || c == '"' || c == '\'' || c == ';' || c == 0x7f) return false;
  return !name.empty();
}

// ---- Materials ----

// The declared materials: those resolved by the command, and a default for any name that the
// command did not resolve, so that every texture a solid names is declared.
struct Declared {
  explicit Declared(const SceneMaterials& given) : list(given.begin(), given.end()) {
    for (std::size_t i = 0; i < list.size(); ++i) index.emplace(list[i].name, i);
  }
  std::deque<SceneMaterial> list;  // stays in place as it grows
  std::map<std::string, std::size_t, std::less<>> index;
  IdentifierTable ids;
  const SceneMaterial& of(std::string_view name) {
    if (auto it = index.find(name); it != index.end()) return list[it->second];
    list.push_back({std::string(name), Material{}, ""});
    index.emplace(std::string(name), list.size() - 1);
    return list.back();
  }
};

void write_texture(SceneText& t, const std::string& id, const SceneMaterial& sm) {
  const Material& m = sm.values;
  t.add("\n#declare %s =\n", id.c_str());
  t << "texture {\n";
  t.add("pigment { color rgbt <%f,%f,%f,%f> }\n", clamp01(m.red), clamp01(m.green),
        clamp01(m.blue), clamp01(m.transparency));
  if (!sm.image_path.empty() && m.texture) {
    const std::string type = image_type(sm.image_path);
    const int map_type = m.mapping == kMapSphere || m.mapping == kMapSphereAtObject       ? 1
                         : m.mapping == kMapCylinder || m.mapping == kMapCylinderAtObject ? 2
                                                                                          : 0;
    const char* rotation = m.mapping == kMapGround ? "rotate 90*x"
                           : m.mapping == kMapSide ? "rotate 90*y"
                                                   : "";
    t.add("pigment { image_map { %s \"%s\" map_type %d %s %s} scale <%.2f, %.2f> translate "
          "<%.2f, %.2f> %s}\n",
          type.c_str(), quoted_inside(sm.image_path).c_str(), map_type, m.repeat ? "" : "once",
          "interpolate 2", m.size_x, m.size_y, m.offset_x, m.offset_y, rotation);
  }
  t << "finish {\n";
  t.add("diffuse %f\n", m.diffuse);
  t.add("specular %f\n", clamp01(m.highlight));
  t.add("reflection %f\n", clamp01(m.reflection));
  t.add("ambient %f\n", clamp01(m.ambience));
  if (m.refraction) t << "refraction 1 ior 1.40\n";
  if (m.metallic) t << "brilliance 4\n" << "metallic\n";
  if (!m.special.empty()) t << m.special << "\n";
  t << "}\n}\n";
}

// ---- 3D objects ----

struct Box3 {
  double xmin = 1e300, ymin = 1e300, zmin = 1e300;
  double xmax = -1e300, ymax = -1e300, zmax = -1e300;
  void add(const Point3& p) {
    xmin = std::min(xmin, p.x);
    ymin = std::min(ymin, p.y);
    zmin = std::min(zmin, p.z);
    xmax = std::max(xmax, p.x);
    ymax = std::max(ymax, p.y);
    zmax = std::max(zmax, p.z);
  }
};

bool same_point(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9 && std::fabs(a.z - b.z) < 1e-9;
}

// The object's triangles as the scene lists them: triangles as they are, quads (a, b, c, d) as
// (a, b, c) and (c, d, a), and every face cut by the face triangulation as soon as one face
// has more than four points.
void object_triangles(const Object3D& o, std::vector<Triangle>& out) {
  out.clear();
  const auto sizes = mesh_face_sizes(o);
  const auto idx = mesh_indices(o);
  const std::uint32_t nv = o.vertex_count;
  bool big = false;
  for (std::uint32_t n : sizes) big = big || n > 4;
  if (big) {
    out = triangulate(o);
    return;
  }
  std::size_t k = 0;
  for (std::uint32_t n : sizes) {
    if (k + n > idx.size()) break;
    const std::uint32_t* f = idx.data() + k;
    k += n;
    bool inside = true;
    for (std::uint32_t i = 0; i < n; ++i) inside = inside && f[i] < nv;
    if (!inside) continue;
    if (n == 3) out.push_back({f[0], f[1], f[2]});
    if (n == 4) {
      out.push_back({f[0], f[1], f[2]});
      out.push_back({f[2], f[3], f[0]});
    }
  }
}

void write_object(SceneText& t, const Object3D& o, Declared& declared,
                  std::vector<Triangle>& triangles) {
  if (!tail_intact(o)) return;
  const auto verts = mesh_vertices(o);
  for (const Point3& p : verts)
    if (!finite3(p)) return;
  object_triangles(o, triangles);
  // Triangles whose points coincide are left out.
  std::size_t kept = 0;
  for (const Triangle& tr : triangles) {
    const Point3 &a = verts[tr[0]], &b = verts[tr[1]], &c = verts[tr[2]];
    if (same_point(a, b) || same_point(b, c) || same_point(c, a)) {
      std::printf("identical points in polygon... polygon ignored\n");
      continue;
    }
    triangles[kept++] = tr;
  }
  triangles.resize(kept);
  if (triangles.empty()) return;

  t << "mesh2\n{\n" << " vertex_vectors\n {\n";
  t.add("  %u", o.vertex_count);
  for (const Point3& p : verts) t.add("  ,\n<%.12f,%.12f,%.12f>", p.x, p.z, p.y);
  t << " }\n" << " face_indices\n {\n";
  t.add("  %zu", triangles.size());
  for (const Triangle& tr : triangles) t.add("  ,\n< %u , %u , %u >", tr[0], tr[1], tr[2]);
  t << " }\n";
  const SceneMaterial& sm = declared.of(o.material.view());
  t.add("texture {%s\n", declared.ids.identifier(sm.name).c_str());
  const int mapping = sm.values.mapping;
  if (sm.values.texture && !sm.image_path.empty() &&
      (mapping == kMapGround || mapping == kMapSphereAtObject ||
       mapping == kMapCylinderAtObject)) {
    Box3 box;
    for (const Point3& p : verts) box.add(p);
    if (mapping == kMapGround) {
      t.add("translate <%.12f,0.0,%.12f>\n", box.xmin, box.ymin);
    } else {
      t.add("translate <%.12f,%.12f,%.12f>\n", (box.xmin + box.xmax) / 2,
            (box.zmin + box.zmax) / 2, (box.ymin + box.ymax) / 2);
    }
  }
  t << "}\n}\n";
}

// ---- Walls ----

struct V2 {
  double x = 0, y = 0;
};
V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
V2 operator+(V2 a, V2 b) { return {a.x + b.x, a.y + b.y}; }
V2 operator*(double k, V2 a) { return {k * a.x, k * a.y}; }
double dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
V2 unit(V2 a) {
  const double l = std::hypot(a.x, a.y);
  return l > 0 ? V2{a.x / l, a.y / l} : V2{};
}
V2 plan(const Point3& p) { return {p.x, p.y}; }

// A half-space "plane {<n>,d}" in drawing coordinates (inside where n.p < d), written in
// POV-Ray's.
void write_plane(SceneText& t, double nx, double ny, double nz, double d) {
  t.add("plane {<%.12f,%.12f,%.12f>,%.12f}\n", nx, nz, ny, d);
}

// The vertical half-space through the plan side a-b that holds `inside`, moved `reach` outward.
void write_side(SceneText& t, V2 a, V2 b, V2 inside, double reach) {
  V2 n = unit(V2{b.y - a.y, a.x - b.x});
  if (dot(n, inside - a) > 0) n = -1.0 * n;
  write_plane(t, n.x, n.y, 0, dot(n, a) + reach);
}

// The cutter of one opening: the box between its faces (each passed by a little), sill and
// head, and with a stop the wider inner part behind the rebate as well.
void write_cutter(SceneText& t, const Opening& o) {
  if (o.kind == 0 || o.kind > 3) return;
  for (const Point3& c : o.corner)
    if (!finite3(c)) return;
  const V2 p0 = plan(o.corner[0]), p1 = plan(o.corner[1]), p2 = plan(o.corner[2]),
           p3 = plan(o.corner[3]);
  const double zb = std::min({o.corner[0].z, o.corner[1].z, o.corner[2].z, o.corner[3].z});
  const double zt = std::max({o.corner[4].z, o.corner[5].z, o.corner[6].z, o.corner[7].z});
  const V2 u = unit(p1 - p0);
  V2 in = (p3 - p0) - dot(p3 - p0, u) * u;  // across the wall, from the outer face inward
  const double depth = std::hypot(in.x, in.y);
  in = unit(in);
  if (zt <= zb || depth <= 0 || (u.x == 0 && u.y == 0)) return;

  auto box = [&](V2 a0, V2 a1, V2 a2, V2 a3, double outer_reach) {
    t << "\nintersection {\n";
    write_plane(t, 0, 0, -1, -zb);
    write_plane(t, 0, 0, 1, zt);
    const V2 mid = 0.25 * (a0 + a1 + a2 + a3);
    write_side(t, a0, a1, mid, outer_reach);   // outer face
    write_side(t, a1, a2, mid, 0);             // end reveal
    write_side(t, a2, a3, mid, kCutterReach);  // inner face
    write_side(t, a3, a0, mid, 0);             // start reveal
    t << "}\n";
  };
  box(p0, p1, p2, p3, kCutterReach);
  const double w = o.stop_width, d = o.stop_depth;
  if (std::isfinite(w) && std::isfinite(d) && w > 0 && d >= 0 && d < depth) {
    const V2 r0 = p0 + d * in - w * u, r1 = p1 + d * in + w * u;
    box(r0, r1, p2 + w * u, p3 - w * u, 0);
  }
}

bool flat_wall(const Wall& w) {
  for (int i = 1; i < 4; ++i)
    if (w.corner[i].z != w.corner[0].z || w.corner[i + 4].z != w.corner[4].z) return false;
  return w.gable == 0 && w.corner[4].z > w.corner[0].z;
}

void write_wall(SceneText& t, const Wall& w, Declared& declared) {
  if (!tail_intact(w)) return;
  for (const Point3& c : w.corner)
    if (!finite3(c)) return;
  t << "\ndifference {\n";
  if (flat_wall(w)) {
    t.add("\nprism { linear_sweep linear_spline %.12f, %.12f, 5,\n", w.corner[0].z,
          w.corner[4].z);
    const Point3* c = w.corner;
    t.add("<%.12f,%.12f>,<%.12f,%.12f>,<%.12f,%.12f>,<%.12f,%.12f>,<%.12f,%.12f>\n", c[0].x,
          c[0].y, c[1].x, c[1].y, c[2].x, c[2].y, c[3].x, c[3].y, c[0].x, c[0].y);
    t << "}\n";
  } else {
    // A top that slopes (a wall attached to a plane) or a gable: the body between the eight
    // corners as a closed mesh.
    static constexpr std::array<std::array<int, 3>, 12> kFaces{{{0, 1, 2},
                                                                {2, 3, 0},
                                                                {4, 7, 6},
                                                                {6, 5, 4},
                                                                {0, 4, 5},
                                                                {5, 1, 0},
                                                                {1, 5, 6},
                                                                {6, 2, 1},
                                                                {2, 6, 7},
                                                                {7, 3, 2},
                                                                {3, 7, 4},
                                                                {4, 0, 3}}};
    t << "\nmesh2\n{\n vertex_vectors\n {\n  8";
    for (const Point3& p : w.corner) t.add("  ,\n<%.12f,%.12f,%.12f>", p.x, p.z, p.y);
    t << " }\n face_indices\n {\n  12";
    for (const auto& f : kFaces) t.add("  ,\n< %d , %d , %d >", f[0], f[1], f[2]);
    t << " }\n inside_vector <0, 1, 0>\n}\n";
  }
  for (const Opening& o : wall_openings(w)) write_cutter(t, o);
  const SceneMaterial& sm = declared.of(w.material.view());
  t.add("texture {%s}\n}\n", declared.ids.identifier(sm.name).c_str());
}

// ---- Lights ----

void write_light(SceneText& t, const Light& l, double r, double g, double b, bool shadowless) {
  t.add("light_source { <%.12f,%.12f,%.12f> color rgb <%.12f, %.12f, %.12f>", l.pos.x, l.pos.z,
        l.pos.y, r, g, b);
  if (l.spot) {
    const double angle = std::isfinite(l.spot_angle) ? l.spot_angle : 0;
    t.add(" spotlight radius %.12f falloff %.12f tightness 10 point_at <%.12f,%.12f,%.12f>", angle,
          1.5 * angle, l.target.x, l.target.z, l.target.y);
  }
  if (std::isfinite(l.size) && l.size > 0) t.add(" fade_distance %.12f fade_power 1", l.size);
  if (shadowless) t << " shadowless";
  t << " }\n";
}

void write_lights(SceneText& t, const Light& l) {
  if (!finite3(l.pos) || (l.spot && !finite3(l.target))) return;
  const double r = clamp01(l.red), g = clamp01(l.green), b = clamp01(l.blue);
  if (!l.shadow) return write_light(t, l, r, g, b, true);
  const double s = clamp01(l.shadow_intensity);
  if (s == 1) return write_light(t, l, r, g, b, false);
  // Part of the light casts shadows, the rest lights the shadows up.
  write_light(t, l, r * s, g * s, b * s, false);
  write_light(t, l, r * (1 - s), g * (1 - s), b * (1 - s), true);
}

void write_globals(SceneText& t, const PovSettings& s) {
  t << "global_settings {\n" << " max_trace_level 12\n";
  if (s.quality >= 2) {
    const int count = s.quality == 2 ? 50 : s.quality == 3 ? 200 : 100;
    t.add(" radiosity { count %d brightness %.2f gray_threshold 0.65 }\n", count,
          s.ambient * 0.125 + 1.0);
  }
  t.add(" ambient_light %d\n", s.ambient);
  t << "}\n";
}

void write_sky(SceneText& t, const PovSettings& s) {
  if (!s.sky && !s.clouds) return;
  t << "\nsky_sphere { pigment { gradient y\n";
  t.add("color_map { [0 color rgb <1,1,1>] [1 color rgb <%f,%f,%f>] }\n", clamp01(s.bg_red),
        clamp01(s.bg_green), clamp01(s.bg_blue));
  t << "scale 2 translate -1 }\n";
  if (s.clouds) {
    t << "pigment { bozo turbulence 0.65 octaves 6 omega 0.7 lambda 2\n"
      << "color_map { [0.0 0.1 color rgb <0.85, 0.85, 0.85> color rgb <0.75, 0.75, 0.75>] "
         "[0.1 0.5 color rgb <0.75, 0.75, 0.75> color rgbt <1, 1, 1, 1>] "
         "[0.5 1.0 color rgbt <1, 1, 1, 1> color rgbt <1, 1, 1, 1>] }\n"
      << "scale <0.2, 0.5, 0.2> }\n";
    t << "pigment { gradient y\n"
      << "color_map { [0 color rgbt <1,1,1,0>] [0.50 color rgbt <0.8,0.8,0.8,0.3>] [1 color "
         "rgbt <0,0,.2,1>] }\n"
      << "scale 2 translate -1 }\n";
  }
  t << "}\n";
}

}  // namespace

std::string pov_scene(const Drawing& d, const PovSettings& s, PovCamera camera,
                      const SceneMaterials& materials) {
  SceneText t;
  write_globals(t, s);

  const ViewCamera c = scene_camera(d);
  t << "\ncamera\n{\n" << (camera == PovCamera::kOrthographic ? " orthographic\n" : " perspective\n");
  t.add(" location <%f,%f,%f>\n", c.eye_x, c.eye_z, c.eye_y);
  t.add(" look_at <%f,%f,%f>\n", c.target_x, c.target_z, c.target_y);
  t.add(" angle %f\n}\n", c.lens);

  t.add("\nbackground { color rgb <%f,%f,%f> }\n", clamp01(s.bg_red), clamp01(s.bg_green),
        clamp01(s.bg_blue));
  write_sky(t, s);

  // Every material the marked solids and walls use, declared once in the order they appear.
  Declared declared(materials);
  for (const std::string& name : scene_material_names(d)) {
    const SceneMaterial& sm = declared.of(name);
    write_texture(t, declared.ids.identifier(sm.name), sm);
  }

  std::vector<Triangle> triangles;
  for (const Element& e : d.store.list) {
    if (e.selected != 1) continue;
    if (const auto* o = as<Object3D>(&e)) write_object(t, *o, declared, triangles);
    else if (const auto* w = as<Wall>(&e)) write_wall(t, *w, declared);
  }
  for (const Element& e : d.store.list)
    if (const auto* l = as<Light>(&e); l && l->selected == 1) write_lights(t, *l);
  return t.take();
}

WriteStatus export_pov(const Drawing& d, const PovSettings& s, PovCamera camera,
                       const SceneMaterials& materials, const std::string& path) {
  const std::string text = pov_scene(d, s, camera, materials);
  return write_file_safely(path, [&](Writer& w) { return w.bytes(text.data(), text.size()); });
}

std::string pov_resolution_option(int index) {
  return kResolutions[clamp_index(index, kPovResolutionCount)];
}

std::string pov_quality_option(int quality) { return quality <= 0 ? "+Q2" : "+Q9"; }

std::string pov_antialias_option(int index) {
  return kAntialias[clamp_index(index, kPovAntialiasCount)];
}

bool pov_output_name_usable(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7f) return false;
  return !(name.find('"') != std::string_view::npos && name.find(';') != std::string_view::npos);
}

std::string pov_options(const PovSettings& s, std::string* options_line) {
  std::string output = "-F";
  std::string name_line;
  if (s.save_image && pov_output_name_usable(s.output)) {
    output = kFormats[clamp_index(s.format, kPovFormatCount)];
    if (plain_name(s.output)) {
      output += " +O" + s.output;
    } else if (s.output.find('"') == std::string::npos) {
      name_line = "Output_File_Name=\"" + s.output + "\"\n";
    } else {
      // Unquoted, the name runs to the end of the line (a ';' would start a comment there).
      name_line = "Output_File_Name=" + s.output + "\n";
    }
  }
  std::string line = "+P +D0 +X100 -V +SP32 +EP4 " + pov_resolution_option(s.resolution) + " " +
                     output + " " + pov_quality_option(s.quality) + " " +
                     pov_antialias_option(s.antialias);
  if (options_line) *options_line = line;
  return line + "\n" + name_line;
}

std::string pov_material_preview(const SceneMaterial& m) {
  SceneText t;
  t << "global_settings {\n max_trace_level 12\n ambient_light 1\n}\n";
  t << "\ncamera\n{\n perspective\n location <0,1.1,-2.6>\n look_at <0,0.45,0>\n angle 40\n}\n";
  t << "\nbackground { color rgb <0.3,0.3,0.35> }\n";
  t << "light_source { <3,5,-4> color rgb <1, 1, 1> }\n";
  t << "\nplane { y, 0 pigment { checker color rgb <0.9,0.9,0.9> color rgb <0.25,0.25,0.25> "
       "scale 0.25 } }\n";
  IdentifierTable ids;
  const std::string& id = ids.identifier(m.name);
  write_texture(t, id, m);
  t.add("\nsphere { <0,0.5,0>, 0.5 texture {%s} }\n", id.c_str());
  return t.take();
}

}  // namespace korav
