// Hardware commands at their largest allowed arguments: each must finish in
// well under 10 ms, since a script may run one in every frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "commands/hardware_commands.h"
#include "machine/machine_state.h"
#include "script/commands.h"

namespace {

using tarvolin::ErrorState;
using tarvolin::commands::HardwareCommands;
using tarvolin::machine::DisplayAttribute;
using tarvolin::machine::LayerAttribute;
using tarvolin::machine::MachineState;

struct Rig {
  MachineState m;
  HardwareCommands hw;
  ErrorState err;
  Rig() { hw.bind(&m, nullptr); }
  bool run(std::int32_t command, std::vector<std::int32_t> p) {
    const int count = static_cast<int>(p.size());
    p.resize(12, 0);
    std::int32_t out[3] = {};
    int outCount = 0;
    return hw.Execute(command, p.data(), count, out, outCount, err);
  }
};

// TileDataCycleRect over the most pixels a block may hold: the whole
// 16-colour background area (2048 tiles), as one row of 2047 tiles and as a
// square of 45 x 45. Arguments: width, height.
void BM_CycleRectLargest(benchmark::State& state) {
  Rig r;
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  for (auto _ : state) {
    if (!r.run(tarvolin::script::cmd::TileDataCycleRect, {0, 3, 0, 0, width, 0, height, 0, 0, 0, 0}))
      state.SkipWithError("refused");
  }
  state.SetItemsProcessed(state.iterations() * width * height * 64);
}
BENCHMARK(BM_CycleRectLargest)->Args({2047, 1})->Args({45, 45})->Args({1, 2047})->Unit(benchmark::kMicrosecond);

// The largest arguments the limits let through, 2047 x 2047 tiles: a block
// that overlaps itself, refused before any pixel moves.
void BM_CycleRectOverlappingBlock(benchmark::State& state) {
  Rig r;
  for (auto _ : state)
    benchmark::DoNotOptimize(r.run(tarvolin::script::cmd::TileDataCycleRect, {0, 0, 0, 0, 2047, 2047, 2047, 0, 0, 0, 0}));
}
BENCHMARK(BM_CycleRectOverlappingBlock)->Unit(benchmark::kMicrosecond);

// CollideTestRegionVrsTiles with the largest rectangle, on a 128 x 128
// rotation map that does not repeat (range 0) and on a 64 x 64 text map
// that does (range 1); no tile has a property, so every cell is visited.
void BM_CollideRegionLargest(benchmark::State& state) {
  Rig r;
  const bool text = state.range(0) == 1;
  const int layer = text ? 0 : 2;
  r.m.setDisplayAttribute(DisplayAttribute::VideoMode, text ? 0 : 2);
  r.m.setLayerAttribute(layer, LayerAttribute::Size, 3);
  for (auto _ : state) {
    if (!r.run(tarvolin::script::cmd::CollideTestRegionVrsTiles,
               {layer, -0x40000000, -0x40000000, 0x7FFFFFFF, 0x7FFFFFFF, 0xFF}))
      state.SkipWithError("failed");
  }
}
BENCHMARK(BM_CollideRegionLargest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
