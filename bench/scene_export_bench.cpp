// Writing the renderers' scenes of a large drawing: 400 spheres (266 points, 288 faces each) in
// 40 materials, 200 walls with two openings each and 20 lights, as the POV-Ray scene and as the
// Radiance scene (with the walls as the solids the command makes of them).
#include <benchmark/benchmark.h>

#include <string>

#include "arch/openings.h"
#include "arch/walls.h"
#include "exchange/pov_export.h"
#include "exchange/radiance_export.h"
#include "model/drawing.h"
#include "three_d/mesh.h"
#include "three_d/wall_solid.h"

namespace korav {
namespace {

void fill(Drawing& d) {
  for (int i = 0; i < 400; ++i) {
    store_mesh(d.store, sphere_mesh(i % 20 * 3.0, i / 20 * 3.0, 1, 1), 0, 0, 0,
               "Material " + std::to_string(i % 40));
  }
  WallPreset p;
  p.thickness = 0.3;
  OpeningPreset window;
  for (int i = 0; i < 200; ++i) {
    const double y = 70 + i * 2.0;
    Wall* w = add_wall(d, p, axis_footprint({0, y}, {8, y}, 0.3));
    for (double x : {1.0, 5.0})
      if (auto o = place_opening(*w, {x, y}, {x + 1.5, y}, {0, y - 1}, window, 3))
        if (Wall* n = insert_opening(d, *w, *o)) w = n;
  }
  for (int i = 0; i < 20; ++i) {
    Light l = make_element<Light>(0, 0, 0);
    l.pos = {i * 3.0, 30, 5};
    l.red = l.green = l.blue = 1;
    l.shadow = 1;
    l.shadow_intensity = 0.5;
    create(d.store, l);
  }
  // The tools' undo steps leave nothing marked: the command marks what the scene takes.
  for (Element& e : d.store.list) e.selected = 1;
}

void BM_PovScene(benchmark::State& state) {
  Drawing d;
  fill(d);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string s = pov_scene(d, PovSettings{}, PovCamera::kPerspective, {});
    bytes = s.size();
    benchmark::DoNotOptimize(s.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PovScene)->Unit(benchmark::kMillisecond);

void BM_RadianceScene(benchmark::State& state) {
  Drawing d;
  fill(d);
  walls_to_solids(d.store);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string s = radiance_scene(d, RadianceSettings{}, {}, "");
    bytes = s.size();
    benchmark::DoNotOptimize(s.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_RadianceScene)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korav
