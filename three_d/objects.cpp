#include "three_d/objects.h"

namespace korav {

namespace {

template <class T>
T fields(const Drawing& d) {
  return make_element<T>(d.current_layer, d.new_pen(), d.current_line_type);
}

}  // namespace

Line3D* add_line3d(Drawing& d, const Point3& a, const Point3& b) {
  Line3D f = fields<Line3D>(d);
  f.start = a;
  f.end = b;
  Line3D* l = create(d.store, f);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return l;
}

Object3D* add_object(Drawing& d, const Mesh& m, std::string_view material) {
  Object3D* o = store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, material);
  if (o) d.undo.record(d.store, kUndoMarkLast, 1);
  return o;
}

void apply_light_preset(Light& l, const LightPreset& p) {
  l.spot = p.spot ? 1 : 0;
  l.shadow = p.shadow ? 1 : 0;
  l.red = p.red;
  l.green = p.green;
  l.blue = p.blue;
  l.size = p.size;
  l.spot_angle = p.angle;
  l.shadow_intensity = p.shadow_intensity;
}

Light* add_light(Drawing& d, const LightPreset& preset, const Point3& pos, const Point3& target) {
  Light f = fields<Light>(d);
  apply_light_preset(f, preset);
  f.pos = pos;
  f.target = preset.spot ? target : pos;
  Light* l = create(d.store, f);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return l;
}

void activate_camera(Drawing& d, Camera& c) {
  for (Element& e : d.store.list)
    if (auto* other = as<Camera>(&e); other && other != &c) other->active = 0;
  c.active = 1;
  d.camera = view_camera(c);
}

void reapply_active_camera(Drawing& d) {
  for (Element& e : d.store.list)
    if (auto* c = as<Camera>(&e); c && c->active == 1) {
      d.camera = view_camera(*c);
      return;
    }
}

Camera* add_camera(Drawing& d, const Point3& eye, const Point3& target, double lens) {
  Camera f = fields<Camera>(d);
  f.eye = eye;
  f.target = target;
  f.lens_angle = lens > 0 ? lens : 60;
  Camera* c = create(d.store, f);
  activate_camera(d, *c);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return c;
}

}  // namespace korav
