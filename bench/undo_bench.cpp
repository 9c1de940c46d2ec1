// Records and undoes steps on a large drawing: the cost is one walk of the store per swap.
#include <benchmark/benchmark.h>

#include "model/drawing.h"

namespace korav {
namespace {

void BM_UndoRedoOnLargeDrawing(benchmark::State& state) {
  Drawing d;
  for (int i = 0; i < state.range(0); ++i) create_line(d.store, 0, 0, 0, i, 0, i, 1);
  d.undo.record(d.store, kUndoMarkLast, 1);
  for (auto _ : state) {
    d.undo.undo(d.store);
    d.undo.redo(d.store);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_UndoRedoOnLargeDrawing)->Arg(100000);

}  // namespace
}  // namespace korav
