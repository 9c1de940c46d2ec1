// Saves and loads a drawing of 1 000 000 mixed elements, in memory and through a file.
// Reported: bytes per second of the drawing file, and for the loads the heap the loaded
// drawing takes per byte of file ("heap_per_file_byte", from mallinfo2) and the process's peak
// resident size ("peak_rss_mb").
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/drawing_file.h"
#include "files/safe_write.h"
#include "model/drawing.h"

namespace korav {
namespace {

constexpr int kElements = 1000000;

// Twenty kinds of slot, repeated: mostly lines, as in real plans, and every other kind too.
void add_element(Drawing& d, int i) {
  ElementStore& s = d.store;
  const double x = i % 1000, y = i / 1000.0;
  const int layer = i % 37;
  switch (i % 20) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7: create_line(s, layer, i % 8, 0, x, y, x + 1, y + 0.5); break;
    case 8:
    case 9: {
      Circle c = make_element<Circle>(layer, 1, 0);
      c.centre = {x, y, 0};
      c.radius1 = c.radius2 = 0.5;
      c.sweep = 6.283185307179586;
      create(s, c);
      break;
    }
    case 10:
    case 11: {
      Text t = make_element<Text>(layer, 2, 0);
      t.pos = {x, y, 0};
      t.font.set("Simpel");
      t.height = 3.5;
      t.width_factor = 1;
      create_text(s, t, "Raum " + std::to_string(i));
      break;
    }
    case 12: {
      Dimension m = make_element<Dimension>(layer, 0, 0);
      m.font.set("Simpel");
      DimPoint p[3];
      for (int k = 0; k < 3; ++k) p[k].foot = {x + k, y, 0};
      create_dimension(s, m, p);
      break;
    }
    case 13: {
      Wall w = make_element<Wall>(layer, 4, 0);
      for (int k = 0; k < 8; ++k)
        w.corner[k] = {x + (k & 1), y + ((k >> 1) & 1) * 0.24, k < 4 ? 0.0 : 2.5, 0};
      w.material.set("Ziegel");
      OutlineLine lines[4];
      Opening o;
      o.kind = 3;
      create_wall(s, w, lines, {&o, 1});
      break;
    }
    case 14: {
      Pattern p = make_element<Pattern>(layer, 0, 0);
      Point2 pts[5] = {{x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0}, {999, 999, 0}};
      create_pattern(s, p, pts);
      break;
    }
    case 15: {
      Spline sp = make_element<Spline>(layer, 0, 0);
      for (int k = 0; k < 4; ++k) sp.p[k] = {x + k, y, 0};
      create(s, sp);
      break;
    }
    case 16: {
      Line3D l = make_element<Line3D>(layer, 0, 0);
      l.start = {x, y, 0, 0};
      l.end = {x, y, 3, 0};
      create(s, l);
      break;
    }
    case 17: {
      Room r = make_element<Room>(layer, 0, 0);
      r.description.set("Wohnen");
      Point2 pts[5] = {{x, y, 0}, {x + 4, y, 0}, {x + 4, y + 3, 0}, {x, y + 3, 0}, {999, 999, 0}};
      create_room(s, r, pts);
      break;
    }
    case 18: {
      Object3D o = make_element<Object3D>(layer, 0, 0);
      std::uint32_t faces[6] = {4, 4, 4, 4, 4, 4};
      Point3 v[8];
      for (int k = 0; k < 8; ++k) v[k] = {x + (k & 1), y + ((k >> 1) & 1), double(k >> 2), 0};
      std::uint32_t idx[24] = {0, 1, 3, 2, 4, 5, 7, 6, 0, 1, 5, 4,
                               2, 3, 7, 6, 0, 2, 6, 4, 1, 3, 7, 5};
      create_object3d(s, o, faces, v, idx);
      break;
    }
    default: {
      Light l = make_element<Light>(layer, 0, 0);
      l.pos = {x, y, 2.5, 0};
      l.red = l.green = l.blue = 1;
      create(s, l);
      break;
    }
  }
}

const Drawing& sample() {
  static const std::unique_ptr<Drawing> d = [] {
    auto p = std::make_unique<Drawing>();
    for (int i = 0; i < kElements; ++i) add_element(*p, i);
    return p;
  }();
  return *d;
}

const std::vector<std::uint8_t>& sample_bytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> out;
    Writer w(out);
    write_drawing(w, sample());
    w.flush();
    return out;
  }();
  return bytes;
}

std::string sample_file() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() /
                     ("korav-bench-" + std::to_string(::getpid()) + ".krv"))
                        .string();
    write_file_safely(p, [](Writer& w) { return write_drawing(w, sample()); });
    return p;
  }();
  return path;
}

std::size_t heap_in_use() {
  struct mallinfo2 mi = mallinfo2();
  return mi.uordblks + mi.hblkhd;
}

double peak_rss_mb() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

void BM_SaveToMemory(benchmark::State& state) {
  const Drawing& d = sample();
  std::vector<std::uint8_t> out;
  out.reserve(sample_bytes().size());
  for (auto _ : state) {
    out.clear();
    Writer w(out);
    if (!write_drawing(w, d) || !w.flush()) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
  state.counters["file_mb"] = static_cast<double>(out.size()) / 1e6;
}
BENCHMARK(BM_SaveToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// The real save: a temporary file beside the target, flushed to the disk and renamed.
void BM_SaveToFile(benchmark::State& state) {
  const Drawing& d = sample();
  const std::string path = sample_file();
  for (auto _ : state) {
    if (write_file_safely(path, [&](Writer& w) { return write_drawing(w, d); }) != WriteStatus::kOk)
      state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample_bytes().size()));
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void load_benchmark(benchmark::State& state, bool from_file) {
  const std::vector<std::uint8_t>& bytes = sample_bytes();
  const std::string path = from_file ? sample_file() : std::string();
  double per_byte = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<Drawing>();
    const std::size_t before = heap_in_use();
    state.ResumeTiming();
    ReadResult res;
    if (from_file) {
      FileReader f(path);
      if (!f.is_open() || read_header(f.reader()) == 0) state.SkipWithError("cannot open");
      else res = read_chunks(f.reader(), *d, 0);
    } else {
      Reader r(bytes);
      read_header(r);
      res = read_chunks(r, *d, 0);
    }
    state.PauseTiming();
    per_byte = static_cast<double>(heap_in_use() - before) / static_cast<double>(bytes.size());
    if (res.elements != static_cast<std::size_t>(kElements) || res.damaged)
      state.SkipWithError("load incomplete");
    d.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.counters["heap_per_file_byte"] = per_byte;
  state.counters["peak_rss_mb"] = peak_rss_mb();
}

void BM_LoadFromMemory(benchmark::State& state) { load_benchmark(state, false); }
void BM_LoadFromFile(benchmark::State& state) { load_benchmark(state, true); }
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Removes the temporary drawing file when the program ends.
struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::temp_directory_path() /
                                ("korav-bench-" + std::to_string(::getpid()) + ".krv"),
                            ec);
  }
} cleanup;

}  // namespace
}  // namespace korav
