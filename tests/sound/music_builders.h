// Small modules made in code for the music tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/module.h"

namespace tarvolin::sound::test {

// A MOD with `channels` channels, `patterns` empty patterns played in order,
// and sample 1 a 1000-frame square wave at volume 64.
inline MusicModule makeMod(int channels, int patterns = 1) {
  MusicModule m;
  m.kind = ModuleKind::Mod;
  m.title = "prueba";
  m.channelCount = channels;
  m.songLength = patterns;
  m.orders.assign(128, 0);
  for (int i = 0; i < patterns; ++i) m.orders[i] = static_cast<std::uint8_t>(i);
  m.patterns.resize(patterns);
  for (Pattern& p : m.patterns) {
    p.rows = 64;
    p.cells.assign(64u * channels, PatternCell{});
  }
  m.samples.resize(31);
  ModuleSample& s = m.samples[0];
  s.name = "cuadrada";
  s.length = 1000;
  s.volume = 64;
  s.data8.resize(1000);
  for (int i = 0; i < 1000; ++i) s.data8[i] = static_cast<std::int8_t>((i / 25) % 2 ? 100 : -100);
  return m;
}

inline PatternCell& at(MusicModule& m, int pattern, int row, int channel) {
  return m.patterns[pattern].cells[static_cast<std::size_t>(row) * m.channelCount + channel];
}

inline PatternCell cellOf(int note, int instrument, int effect = 0, int parameter = 0) {
  PatternCell c;
  c.note = static_cast<std::uint8_t>(note);
  c.instrument = static_cast<std::uint8_t>(instrument);
  c.effect = static_cast<std::uint8_t>(effect);
  c.parameter = static_cast<std::uint8_t>(parameter);
  return c;
}

// An XM with one instrument whose only sample is a 2000-frame sine (16-bit
// when asked), `channels` channels and `patterns` patterns in order.
inline MusicModule makeXm(int channels, int patterns = 1, bool sixteenBit = false) {
  MusicModule m;
  m.kind = ModuleKind::Xm;
  m.title = "prueba xm";
  m.trackerName = "Tarvolin Studio";
  m.channelCount = channels;
  m.songLength = patterns;
  m.linearFrequencies = true;
  m.initialSpeed = 6;
  m.tempo = 125;
  m.orders.assign(256, 0);
  for (int i = 0; i < patterns; ++i) m.orders[i] = static_cast<std::uint8_t>(i);
  m.patterns.resize(patterns);
  for (Pattern& p : m.patterns) {
    p.rows = 64;
    p.cells.assign(64u * channels, PatternCell{});
  }
  Instrument ins;
  ins.name = "seno";
  ModuleSample s;
  s.name = "seno";
  s.length = 2000;
  s.volume = 48;
  s.panning = 128;
  s.sixteenBit = sixteenBit;
  s.loopType = 1;
  s.loopStart = 500;
  s.loopLength = 1000;
  for (int i = 0; i < 2000; ++i) {
    const double v = std::sin(i * 2 * M_PI / 50.0);
    if (sixteenBit)
      s.data16.push_back(static_cast<std::int16_t>(v * 30000));
    else
      s.data8.push_back(static_cast<std::int8_t>(v * 120));
  }
  ins.samples.push_back(std::move(s));
  m.instruments.push_back(std::move(ins));
  return m;
}

}  // namespace tarvolin::sound::test
