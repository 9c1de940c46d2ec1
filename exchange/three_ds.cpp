#include "exchange/three_ds.h"

#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/regular_file.h"

namespace korav {

namespace {

// ---- the child's stream: native byte order, it never leaves the machine ----

constexpr std::uint32_t kMagic = 0x4b334453;  // "K3DS"
constexpr std::uint32_t kNoMaterial = 0xffffffffu;
constexpr std::size_t kMaxStream = std::size_t{1} << 31;  // 2 GiB: more is not a 3DS file

struct Out {
  std::string s;
  void u32(std::uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }
  void f32(float v) { s.append(reinterpret_cast<const char*>(&v), 4); }
  void str(std::string_view v) {
    u32(static_cast<std::uint32_t>(v.size()));
    s.append(v);
  }
};

struct In {
  std::string_view s;
  bool u32(std::uint32_t& v) {
    if (s.size() < 4) return false;
    std::memcpy(&v, s.data(), 4);
    s.remove_prefix(4);
    return true;
  }
  bool f32(double& v) {
    if (s.size() < 4) return false;
    float f;
    std::memcpy(&f, s.data(), 4);
    s.remove_prefix(4);
    v = std::isfinite(f) ? f : 0.0;
    return true;
  }
  bool str(std::string& v, std::size_t max) {
    std::uint32_t n;
    if (!u32(n) || n > max || n > s.size()) return false;
    v.assign(s.data(), n);
    s.remove_prefix(n);
    return true;
  }
};

// What lib3ds loaded, as the plain records of the stream.
ThreeDsImport from_lib3ds(Lib3dsFile* f) {
  ThreeDsImport r;
  for (Lib3dsMaterial* m = f->materials; m; m = m->next) {
    ThreeDsMaterial t;
    t.name.assign(m->name, strnlen(m->name, sizeof m->name));
    t.values.red = m->diffuse[0];
    t.values.green = m->diffuse[1];
    t.values.blue = m->diffuse[2];
    t.values.transparency = m->transparency;
    t.values.highlight = m->shin_strength;
    r.materials.push_back(std::move(t));
  }
  for (Lib3dsMesh* m = f->meshes; m; m = m->next) {
    ThreeDsObject o;
    o.name.assign(m->name, strnlen(m->name, sizeof m->name));
    if (m->pointL)
      for (Lib3dsDword i = 0; i < m->points; ++i)
        o.mesh.vertices.push_back({m->pointL[i].pos[0], m->pointL[i].pos[1], m->pointL[i].pos[2], 0});
    if (m->faceL)
      for (Lib3dsDword i = 0; i < m->faces; ++i) {
        const Lib3dsFace& face = m->faceL[i];
        o.mesh.triangles.push_back({face.points[0], face.points[1], face.points[2]});
        if (o.material < 0 && face.material[0]) {
          const std::string name(face.material, strnlen(face.material, sizeof face.material));
          for (std::size_t k = 0; k < r.materials.size(); ++k)
            if (r.materials[k].name == name) o.material = static_cast<int>(k);
        }
      }
    r.objects.push_back(std::move(o));
  }
  r.ok = true;
  return r;
}

}  // namespace
}  // namespace korav

// Present only in sanitizer builds (the tests' and the fuzzers'): a fault of the child is the
// child's, and must not be reported as one of the program's.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace korav {
namespace {

[[noreturn]] void child_load(const std::string& path, int fd, int cpu_seconds) {
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
  // A damaged file may make the reader loop: limit its time.
  const auto limit = static_cast<rlim_t>(cpu_seconds);
  rlimit cpu{limit, limit};
  setrlimit(RLIMIT_CPU, &cpu);
  Lib3dsFile* f = lib3ds_file_load(path.c_str());
  if (!f) _exit(2);
  const std::string bytes = encode_3ds_stream(from_lib3ds(f));
  lib3ds_file_free(f);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) _exit(3);
    done += static_cast<std::size_t>(n);
  }
  _exit(0);
}

// ---- writing through lib3ds into memory ----

struct MemoryFile {
  std::vector<std::uint8_t> bytes;
  long pos = 0;
};

Lib3dsBool mem_error(void*) { return LIB3DS_FALSE; }
long mem_seek(void* self, long offset, Lib3dsIoSeek origin) {
  auto* m = static_cast<MemoryFile*>(self);
  long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? m->pos : long(m->bytes.size());
  if (base + offset < 0) return -1;
  m->pos = base + offset;
  return 0;
}
long mem_tell(void* self) { return static_cast<MemoryFile*>(self)->pos; }
size_t mem_read(void*, void*, size_t) { return 0; }
size_t mem_write(void* self, const void* buffer, size_t size) {
  auto* m = static_cast<MemoryFile*>(self);
  const std::size_t end = static_cast<std::size_t>(m->pos) + size;
  if (end > m->bytes.size()) m->bytes.resize(end);
  std::memcpy(m->bytes.data() + m->pos, buffer, size);
  m->pos = static_cast<long>(end);
  return size;
}

struct FileFree {
  void operator()(Lib3dsFile* f) const { lib3ds_file_free(f); }
};

void copy_name(char (&dst)[64], std::string_view s) {
  const std::size_t n = std::min(s.size(), sizeof dst - 1);
  std::memcpy(dst, s.data(), n);
  dst[n] = 0;
}

}  // namespace

std::string encode_3ds_stream(const ThreeDsImport& in) {
  Out o;
  o.u32(kMagic);
  o.u32(static_cast<std::uint32_t>(in.materials.size()));
  for (const ThreeDsMaterial& m : in.materials) {
    o.str(m.name);
    o.f32(float(m.values.red));
    o.f32(float(m.values.green));
    o.f32(float(m.values.blue));
    o.f32(float(m.values.transparency));
    o.f32(float(m.values.highlight));
  }
  o.u32(static_cast<std::uint32_t>(in.objects.size()));
  for (const ThreeDsObject& ob : in.objects) {
    o.str(ob.name);
    o.u32(ob.material < 0 ? kNoMaterial : static_cast<std::uint32_t>(ob.material));
    o.u32(static_cast<std::uint32_t>(ob.mesh.vertices.size()));
    for (const Point3& p : ob.mesh.vertices) {
      o.f32(float(p.x));
      o.f32(float(p.y));
      o.f32(float(p.z));
    }
    o.u32(static_cast<std::uint32_t>(ob.mesh.triangles.size()));
    for (const Triangle& t : ob.mesh.triangles)
      for (std::uint32_t c : t) o.u32(c);
  }
  o.u32(kMagic);
  return o.s;
}

bool decode_3ds_stream(std::string_view bytes, ThreeDsImport& out) {
  out = ThreeDsImport{};
  In in{bytes};
  std::uint32_t magic = 0, count = 0;
  if (!in.u32(magic) || magic != kMagic || !in.u32(count)) return false;
  // Each record takes bytes of the stream: counts beyond what is left cannot be right.
  if (count > in.s.size() / 24) return false;
  out.materials.resize(count);
  for (ThreeDsMaterial& m : out.materials) {
    MaterialValues& v = m.values;
    if (!in.str(m.name, 64) || !in.f32(v.red) || !in.f32(v.green) || !in.f32(v.blue) ||
        !in.f32(v.transparency) || !in.f32(v.highlight))
      return false;
    auto unit = [](double& x) { x = x < 0 ? 0 : x > 1 ? 1 : x; };
    unit(v.red), unit(v.green), unit(v.blue), unit(v.transparency), unit(v.highlight);
  }
  if (!in.u32(count) || count > in.s.size() / 16) return false;
  out.objects.reserve(count);
  for (std::uint32_t k = 0; k < count; ++k) {
    ThreeDsObject o;
    std::uint32_t material = 0, np = 0, nf = 0;
    if (!in.str(o.name, 64) || !in.u32(material) || !in.u32(np)) return false;
    if (material != kNoMaterial && material >= out.materials.size()) return false;
    o.material = material == kNoMaterial ? -1 : static_cast<int>(material);
    if (np > in.s.size() / 12) return false;
    o.mesh.vertices.resize(np);
    for (Point3& p : o.mesh.vertices)
      if (!in.f32(p.x) || !in.f32(p.y) || !in.f32(p.z)) return false;
    if (!in.u32(nf) || nf > in.s.size() / 12) return false;
    o.mesh.triangles.reserve(nf);
    for (std::uint32_t i = 0; i < nf; ++i) {
      Triangle t;
      if (!in.u32(t[0]) || !in.u32(t[1]) || !in.u32(t[2])) return false;
      if (t[0] >= np || t[1] >= np || t[2] >= np) continue;  // a face outside its mesh
      o.mesh.triangles.push_back(t);
    }
    out.objects.push_back(std::move(o));
  }
  if (!in.u32(magic) || magic != kMagic || !in.s.empty()) return false;
  out.ok = true;
  return true;
}

ThreeDsImport read_3ds_file(const std::string& path, int cpu_seconds) {
  ThreeDsImport none;
  cpu_seconds = std::clamp(cpu_seconds, 1, 3600);
  // lib3ds opens the file itself: refuse what is not a regular file before it blocks on one.
  // It must begin as a 3D Studio file does: the main chunk 4d4d, no longer than the file.
  const int probe = open_regular_file(path);
  if (probe < 0) return none;
  unsigned char head[6];
  struct stat st;
  const bool looks_right = read(probe, head, 6) == 6 && fstat(probe, &st) == 0 &&
                           head[0] == 0x4d && head[1] == 0x4d;
  close(probe);
  if (!looks_right) return none;
  const std::uint32_t length = std::uint32_t(head[2]) | std::uint32_t(head[3]) << 8 |
                               std::uint32_t(head[4]) << 16 | std::uint32_t(head[5]) << 24;
  if (length < 6 || length > static_cast<std::uint64_t>(st.st_size)) return none;
  int fds[2];
  if (pipe(fds) != 0) return none;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return none;
  }
  if (pid == 0) {
    close(fds[0]);
    child_load(path, fds[1], cpu_seconds);
  }
  close(fds[1]);
  std::string bytes;
  char buf[65536];
  bool too_long = false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(3 * cpu_seconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      too_long = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      too_long = true;
      break;
    }
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
    if (bytes.size() > kMaxStream) {
      too_long = true;
      break;
    }
  }
  close(fds[0]);
  if (too_long) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (too_long || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return none;
  ThreeDsImport r;
  if (!decode_3ds_stream(bytes, r)) return none;
  std::erase_if(r.objects, [](const ThreeDsObject& o) { return o.mesh.triangles.empty(); });
  return r;
}

std::string material_name_for_3ds(std::string_view name) {
  return material_file_name("3ds_" + std::string(name));
}

WriteStatus write_3ds(const std::vector<ThreeDsExportObject>& objects, const std::string& path,
                      std::string& log) {
  std::unique_ptr<Lib3dsFile, FileFree> file(lib3ds_file_new());
  if (!file) {
    log += "lib3ds error: Writing " + path + "\n";
    return WriteStatus::kCannotWrite;
  }
  // One material per name, with the first object's values.
  for (const ThreeDsExportObject& o : objects) {
    char name[64];
    copy_name(name, o.material);
    if (lib3ds_file_material_by_name(file.get(), name)) continue;
    Lib3dsMaterial* m = lib3ds_material_new();
    if (!m) continue;
    copy_name(m->name, o.material);
    const MaterialValues& v = o.values;
    const float rgb[3] = {float(v.red), float(v.green), float(v.blue)};
    for (int i = 0; i < 3; ++i) {
      m->diffuse[i] = rgb[i];
      m->ambient[i] = rgb[i] * float(v.ambience);
      m->specular[i] = float(v.highlight);
    }
    m->diffuse[3] = m->ambient[3] = m->specular[3] = 1.0f;
    m->transparency = float(v.transparency);
    m->shin_strength = float(v.highlight);
    m->shininess = 0.25f;
    lib3ds_file_insert_material(file.get(), m);
  }
  int number = 0;
  std::vector<std::uint32_t> local;
  for (const ThreeDsExportObject& o : objects) {
    const TriangleMesh& t = o.mesh;
    if (t.triangles.empty()) continue;
    // Triangles in runs that fit one mesh: at most 65535 faces and 65535 points.
    std::size_t first = 0;
    do {
      local.assign(t.vertices.size(), kNoMaterial);
      std::vector<std::uint32_t> used;
      std::size_t end = first;
      while (end < t.triangles.size() && end - first < k3dsMaxPerMesh) {
        std::size_t fresh = 0;
        for (std::uint32_t c : t.triangles[end]) fresh += local[c] == kNoMaterial;
        if (used.size() + fresh > k3dsMaxPerMesh) break;
        for (std::uint32_t c : t.triangles[end])
          if (local[c] == kNoMaterial) {
            local[c] = static_cast<std::uint32_t>(used.size());
            used.push_back(c);
          }
        ++end;
      }
      char name[64];
      std::snprintf(name, sizeof name, "KORAV_ob3_%d", ++number);
      Lib3dsMesh* mesh = lib3ds_mesh_new(name);
      if (!mesh) break;
      if (!lib3ds_mesh_new_point_list(mesh, static_cast<Lib3dsDword>(used.size()))) {
        log += "lib3ds error: new_point_list\n";
        lib3ds_mesh_free(mesh);
        break;
      }
      for (std::size_t i = 0; i < used.size(); ++i) {
        const Point3& p = t.vertices[used[i]];
        mesh->pointL[i].pos[0] = float(p.x);
        mesh->pointL[i].pos[1] = float(p.y);
        mesh->pointL[i].pos[2] = float(p.z);
      }
      if (!lib3ds_mesh_new_face_list(mesh, static_cast<Lib3dsDword>(end - first))) {
        log += "lib3ds error: new_face_list\n";
        lib3ds_mesh_free(mesh);
        break;
      }
      for (std::size_t i = first; i < end; ++i) {
        Lib3dsFace& f = mesh->faceL[i - first];
        for (int k = 0; k < 3; ++k) f.points[k] = static_cast<Lib3dsWord>(local[t.triangles[i][k]]);
        copy_name(f.material, o.material);
        f.flags = LIB3DS_FACE_FLAG_VIS_AB | LIB3DS_FACE_FLAG_VIS_BC | LIB3DS_FACE_FLAG_VIS_AC;
      }
      lib3ds_file_insert_mesh(file.get(), mesh);
      first = end;
    } while (first < t.triangles.size());
  }
  MemoryFile memory;
  Lib3dsIo* io = lib3ds_io_new(&memory, mem_error, mem_seek, mem_tell, mem_read, mem_write);
  const bool written = io && lib3ds_file_write(file.get(), io);
  if (io) lib3ds_io_free(io);
  if (!written) {
    log += "lib3ds error: Writing " + path + "\n";
    return WriteStatus::kCannotWrite;
  }
  return write_file_safely(path, [&](Writer& w) {
    return w.bytes(memory.bytes.data(), memory.bytes.size());
  });
}

}  // namespace korav
