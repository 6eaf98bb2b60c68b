// Rendering speed of the module players through the mixer: a 16-channel XM
// and an 8-channel MOD made here, every channel busy with notes and effects.
// The figure to read is x_realtime: seconds of music rendered per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "sound/mixer.h"
#include "sound/music_player.h"

using namespace tarvolin::sound;

namespace {

constexpr int kFramesPerTurn = 2205;

ModuleSample makeSample(bool sixteenBit, int length, int loopStart, int loopLength) {
  ModuleSample s;
  s.length = static_cast<std::uint32_t>(length);
  s.loopStart = static_cast<std::uint32_t>(loopStart);
  s.loopLength = static_cast<std::uint32_t>(loopLength);
  s.loopType = 1;
  s.volume = 50;
  s.sixteenBit = sixteenBit;
  for (int i = 0; i < length; ++i) {
    const double v = std::sin(i * 0.21) * 0.6 + std::sin(i * 0.057) * 0.3;
    if (sixteenBit)
      s.data16.push_back(static_cast<std::int16_t>(v * 32000));
    else
      s.data8.push_back(static_cast<std::int8_t>(v * 127));
  }
  return s;
}

void fillPatterns(MusicModule& m, int patterns, bool xm) {
  const std::uint8_t effects[][2] = {{0x4, 0x46}, {0xA, 0x02}, {0x0, 0x37}, {0x7, 0x34},
                                     {0x1, 0x01}, {0x2, 0x01}, {0x6, 0x01}, {0x3, 0x08}};
  m.patterns.resize(patterns);
  m.songLength = patterns;
  for (int p = 0; p < patterns; ++p) {
    m.orders[p] = static_cast<std::uint8_t>(p);
    Pattern& pat = m.patterns[p];
    pat.rows = 64;
    pat.cells.assign(64u * m.channelCount, PatternCell{});
    for (int r = 0; r < 64; ++r)
      for (int c = 0; c < m.channelCount; ++c) {
        PatternCell& cell = pat.cells[static_cast<std::size_t>(r) * m.channelCount + c];
        if ((r + c) % 4 == 0) {
          cell.note = static_cast<std::uint8_t>(49 + (r * 7 + c * 5) % 36);
          cell.instrument = static_cast<std::uint8_t>(1 + c % 2);
        }
        const auto& e = effects[(r + 3 * c) % 8];
        cell.effect = e[0];
        cell.parameter = e[1];
        if (xm && r % 8 == 5) {
          cell.volumeEffect = kEffectVolumeSlide;
          cell.volumeParameter = 0x10;
        }
      }
  }
}

std::shared_ptr<MusicModule> makeXm16() {
  auto m = std::make_shared<MusicModule>();
  m->kind = ModuleKind::Xm;
  m->channelCount = 16;
  m->linearFrequencies = true;
  m->orders.assign(256, 0);
  fillPatterns(*m, 4, true);
  for (int i = 0; i < 2; ++i) {
    Instrument ins;
    ins.samples.push_back(makeSample(i == 0, 20000, 2000, 16000));
    ins.volumeEnvelope.count = 4;
    ins.volumeEnvelope.points[0] = {0, 64};
    ins.volumeEnvelope.points[1] = {10, 40};
    ins.volumeEnvelope.points[2] = {40, 50};
    ins.volumeEnvelope.points[3] = {200, 0};
    ins.volumeEnvelope.sustain = 2;
    ins.volumeEnvelope.type = 3;
    ins.panEnvelope.count = 3;
    ins.panEnvelope.points[0] = {0, 0};
    ins.panEnvelope.points[1] = {20, 64};
    ins.panEnvelope.points[2] = {40, 0};
    ins.panEnvelope.loopEnd = 2;
    ins.panEnvelope.type = 5;
    ins.fadeout = 300;
    m->instruments.push_back(std::move(ins));
  }
  return m;
}

std::shared_ptr<MusicModule> makeMod8() {
  auto m = std::make_shared<MusicModule>();
  m->kind = ModuleKind::Mod;
  m->channelCount = 8;
  m->orders.assign(128, 0);
  fillPatterns(*m, 4, false);
  m->samples.resize(31);
  m->samples[0] = makeSample(false, 12000, 1000, 11000);
  m->samples[1] = makeSample(false, 4000, 0, 0);  // one-shot
  return m;
}

void renderModule(benchmark::State& state, std::shared_ptr<MusicModule> module) {
  Mixer mixer;
  if (!mixer.StartModule(std::make_unique<MusicPlayer>(module))) {
    state.SkipWithError("the module did not start");
    return;
  }
  std::vector<std::uint8_t> out(2 * kFramesPerTurn);
  std::int64_t frames = 0;
  for (auto _ : state) {
    for (int turn = 0; turn < 20; ++turn) {  // one second of music
      mixer.Render(out.data(), kFramesPerTurn);
      frames += kFramesPerTurn;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(frames) / 44100.0,
                                                    benchmark::Counter::kIsRate);
}

void BM_RenderXm16Channels(benchmark::State& state) { renderModule(state, makeXm16()); }
void BM_RenderMod8Channels(benchmark::State& state) { renderModule(state, makeMod8()); }

}  // namespace

BENCHMARK(BM_RenderXm16Channels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderMod8Channels)->Unit(benchmark::kMillisecond);
