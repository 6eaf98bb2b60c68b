// Frames per second of the renderer on busy scenes.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "machine/machine_state.h"
#include "machine/renderer.h"

using namespace tarvolin::machine;

namespace {

void fillCommon(MachineState& m, std::mt19937& rng) {
  m.setDisplayAttribute(DisplayAttribute::BlankDisplay, 0);
  for (int b = 0; b < 2; ++b)
    for (int i = 0; i < 256; ++i) m.palette(b).setColour(i, static_cast<std::uint16_t>(rng() & 0x7FFF));
  // Tile data with some transparent pixels everywhere.
  for (int i = 0; i < 0x18000; ++i) {
    const unsigned v = rng();
    m.vram()[i] = static_cast<std::uint8_t>((v & 3) == 0 ? 0 : v >> 8);
  }
}

void addSprites(MachineState& m, std::mt19937& rng) {
  m.setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m.setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  for (int i = 0; i < 128; ++i) {
    m.setSpriteAttribute(i, SpriteAttribute::SdFold, 0);
    m.setSpriteAttribute(i, SpriteAttribute::SizeBottom, 2);  // 32x32
    m.setSpriteAttribute(i, SpriteAttribute::Xpos, static_cast<int>(rng() % 208));
    m.setSpriteAttribute(i, SpriteAttribute::Ypos, static_cast<int>(rng() % 128));
    m.setSpriteAttribute(i, SpriteAttribute::TileIndex, static_cast<int>(rng() % 1000));
    m.setSpriteAttribute(i, SpriteAttribute::PaletteIndex, static_cast<int>(rng() % 16));
    m.setSpriteAttribute(i, SpriteAttribute::RenderLayer, static_cast<int>(rng() % 4));
    m.setSpriteAttribute(i, SpriteAttribute::FlipHorizontal, static_cast<int>(rng() % 2));
  }
}

std::unique_ptr<MachineState> busyMode0() {
  auto m = std::make_unique<MachineState>();
  std::mt19937 rng(1);
  fillCommon(*m, rng);
  for (int bg = 0; bg < 4; ++bg) {
    m->setLayerAttribute(bg, LayerAttribute::Size, 3);  // 64x64
    m->setLayerAttribute(bg, LayerAttribute::MapBank, 16 + bg * 4);
    m->setLayerAttribute(bg, LayerAttribute::TileBank, bg % 2);
    m->setLayerAttribute(bg, LayerAttribute::Priority, bg);
    m->setLayerAttribute(bg, LayerAttribute::OffsetX, 37 * bg - 100);
    m->setLayerAttribute(bg, LayerAttribute::OffsetY, 11 * bg + 5);
    m->setDisplayAttribute(static_cast<DisplayAttribute>(static_cast<int>(DisplayAttribute::EnableBG0) + bg), 1);
  }
  m->setLayerAttribute(3, LayerAttribute::ColourMode, 1);
  addSprites(*m, rng);
  m->setDisplayAttribute(DisplayAttribute::EnableWindowA, 1);
  m->setDisplayAttribute(DisplayAttribute::EnableWindowB, 1);
  m->setWindowRegion(0, 20, 10, 180, 120);
  m->setWindowRegion(1, 100, 60, 230, 150);
  for (int attr = 0; attr < 6; ++attr) {
    m->setWindowAttribute(0, static_cast<WindowAttribute>(attr), 1);
    m->setWindowAttribute(1, static_cast<WindowAttribute>(attr), attr != 2);
    m->setWindowAttribute(2, static_cast<WindowAttribute>(attr), attr != 3);
  }
  m->setBlendMode(kBlendAlpha);
  m->setBlendAttribute(0, 1);  // BG0Source
  m->setBlendAttribute(4, 1);  // SpriteSource
  m->setBlendAttribute(7, 1);  // BG1Target
  m->setBlendAttribute(8, 1);  // BG2Target
  m->setAlphaLevels(10, 6);
  return m;
}

std::unique_ptr<MachineState> affineMode1() {
  auto m = std::make_unique<MachineState>();
  std::mt19937 rng(2);
  fillCommon(*m, rng);
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 1);
  for (int bg = 0; bg < 3; ++bg) {
    m->setLayerAttribute(bg, LayerAttribute::MapBank, 20 + bg * 4);
    m->setLayerAttribute(bg, LayerAttribute::Priority, bg);
    m->setDisplayAttribute(static_cast<DisplayAttribute>(static_cast<int>(DisplayAttribute::EnableBG0) + bg), 1);
  }
  m->setLayerAttribute(2, LayerAttribute::Size, 2);  // 64x64 rotational
  m->setLayerAttribute(2, LayerAttribute::Tiled, 1);
  m->setLayerAttribute(2, LayerAttribute::TileBank, 2);
  m->bgRotateAndScale(0, 300, 300, 256, 256, 120, 80, 40);
  addSprites(*m, rng);
  return m;
}

void BM_BusyMode0Frame(benchmark::State& st) {
  auto m = busyMode0();
  for (auto _ : st) {
    renderFrame(*m, nullptr);
    benchmark::DoNotOptimize(m->picture.data());
  }
  st.counters["fps"] = benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BusyMode0Frame)->Unit(benchmark::kMicrosecond);

void BM_AffineMode1Frame(benchmark::State& st) {
  auto m = affineMode1();
  for (auto _ : st) {
    renderFrame(*m, nullptr);
    benchmark::DoNotOptimize(m->picture.data());
  }
  st.counters["fps"] = benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AffineMode1Frame)->Unit(benchmark::kMicrosecond);

}  // namespace
