#include "exchange/lightwave.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "three_d/triangulate.h"

namespace korav {

namespace {

struct Be {
  std::vector<std::uint8_t>& b;
  void u8(unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); }
  void u16(unsigned v) {
    u8(v >> 8 & 0xff);
    u8(v & 0xff);
  }
  void u32(std::uint32_t v) {
    u16(v >> 16);
    u16(v & 0xffff);
  }
  void f32(double v) { u32(std::bit_cast<std::uint32_t>(static_cast<float>(v))); }
  void id(const char* s) { b.insert(b.end(), s, s + 4); }
  // A NUL-terminated string padded to an even length.
  void s0(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    u8(0);
    if ((s.size() + 1) % 2) u8(0);
  }
  // Starts a chunk: its id and a length filled in by end().
  std::size_t begin(const char* name) {
    id(name);
    u32(0);
    return b.size();
  }
  void end(std::size_t start) {
    if ((b.size() - start) % 2) u8(0);
    const std::uint32_t n = static_cast<std::uint32_t>(b.size() - start);
    b[start - 4] = n >> 24, b[start - 3] = n >> 16 & 0xff, b[start - 2] = n >> 8 & 0xff,
              b[start - 1] = n & 0xff;
  }
  std::size_t begin_sub(const char* name) {
    id(name);
    u16(0);
    return b.size();
  }
  void end_sub(std::size_t start) {
    const unsigned n = static_cast<unsigned>(b.size() - start);
    b[start - 2] = n >> 8 & 0xff, b[start - 1] = n & 0xff;
  }
};

unsigned fixed256(double v) { return static_cast<unsigned>(std::clamp(v, 0.0, 1.0) * 256 + 0.5); }
unsigned byte255(double v) { return static_cast<unsigned>(std::clamp(v, 0.0, 1.0) * 255 + 0.5); }

}  // namespace

std::vector<std::uint8_t> lwob_bytes(const std::vector<LwobObject>& objects, const Point3& origin) {
  std::size_t points = 0;
  for (const LwobObject& o : objects) points += o.mesh.vertices.size();
  if (points > kLwobMaxPoints) return {};
  // Surfaces: one per material name, in the order met.
  std::vector<const LwobObject*> surfaces;
  std::vector<unsigned> surface_of;
  for (const LwobObject& o : objects) {
    auto it = std::find_if(surfaces.begin(), surfaces.end(),
                           [&](const LwobObject* s) { return s->material == o.material; });
    surface_of.push_back(static_cast<unsigned>(it - surfaces.begin()) + 1);
    if (it == surfaces.end()) surfaces.push_back(&o);
  }
  std::vector<std::uint8_t> bytes;
  Be w{bytes};
  const std::size_t form = w.begin("FORM");
  w.id("LWOB");
  const std::size_t pnts = w.begin("PNTS");
  for (const LwobObject& o : objects)
    for (const Point3& p : o.mesh.vertices) {
      w.f32(p.x - origin.x);
      w.f32(p.z - origin.z);
      w.f32(p.y - origin.y);
    }
  w.end(pnts);
  const std::size_t srfs = w.begin("SRFS");
  for (const LwobObject* s : surfaces) w.s0(s->material);
  w.end(srfs);
  const std::size_t pols = w.begin("POLS");
  std::uint32_t base = 0;
  std::vector<Triangle> tris;
  TriangulationScratch scratch;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    const Mesh& m = objects[k].mesh;
    std::size_t at = 0;
    for (std::uint32_t n : m.face_sizes) {
      if (n > m.indices.size() - at) break;
      const std::span<const std::uint32_t> face(m.indices.data() + at, n);
      at += n;
      if (n < 3 || std::any_of(face.begin(), face.end(),
                               [&](std::uint32_t i) { return i >= m.vertices.size(); }))
        continue;
      if (n <= kLwobMaxPolygonSize) {
        w.u16(n);
        for (std::uint32_t i : face) w.u16(base + i);
        w.u16(surface_of[k]);
        continue;
      }
      tris.clear();
      triangulate_face(m.vertices, face, tris, scratch);
      for (const Triangle& t : tris) {
        w.u16(3);
        for (std::uint32_t i : t) w.u16(base + i);
        w.u16(surface_of[k]);
      }
    }
    base += static_cast<std::uint32_t>(m.vertices.size());
  }
  w.end(pols);
  for (const LwobObject* s : surfaces) {
    const std::size_t surf = w.begin("SURF");
    w.s0(s->material);
    const MaterialValues& v = s->values;
    std::size_t sub = w.begin_sub("COLR");
    w.u8(byte255(v.red));
    w.u8(byte255(v.green));
    w.u8(byte255(v.blue));
    w.u8(0);
    w.end_sub(sub);
    sub = w.begin_sub("TRAN");
    w.u16(fixed256(v.transparency));
    w.end_sub(sub);
    sub = w.begin_sub("SPEC");
    w.u16(fixed256(v.highlight));
    w.end_sub(sub);
    sub = w.begin_sub("DIFF");
    w.u16(fixed256(1.0 - v.reflection));
    w.end_sub(sub);
    w.end(surf);
  }
  w.end(form);
  return bytes;
}

WriteStatus write_lwob(const std::vector<LwobObject>& objects, const Point3& origin,
                       const std::string& path) {
  const std::vector<std::uint8_t> bytes = lwob_bytes(objects, origin);
  if (bytes.empty()) return WriteStatus::kCannotWrite;
  return write_file_safely(path, [&](Writer& w) { return w.bytes(bytes.data(), bytes.size()); });
}

}  // namespace korav
