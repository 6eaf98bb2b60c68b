// Mixing speed: 32 looping channels (half 8-bit, half 16-bit, some ping-pong)
// at assorted rates, with pan and volume changing as the game would change
// them. The "x_realtime" counter is seconds of sound mixed per second of CPU.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/audio_output.h"
#include "sound/mixer.h"

namespace {

using tarvolin::sound::ChannelChanges;
using tarvolin::sound::Mixer;
using tarvolin::sound::SampleData;
using tarvolin::sound::SoundParams;

SampleData makeSample(int bits, std::uint32_t frames, std::uint32_t rate) {
  SampleData s = SampleData::Blank(frames * (bits / 8), bits, rate, 1);
  std::uint32_t seed = 12345u + frames;
  for (std::uint32_t i = 0; i < s.length(); ++i) {
    seed = seed * 1103515245u + 12345u;
    s.bytes()[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  return s;
}

void fillMixer(Mixer& mixer, std::vector<SampleData>& samples) {
  const std::uint32_t rates[] = {8000, 11025, 22050, 32000, 44100, 48000, 16000, 22050};
  samples.clear();
  samples.reserve(tarvolin::sound::kMixChannels);
  for (int i = 0; i < tarvolin::sound::kMixChannels; ++i)
    samples.push_back(makeSample(i % 2 ? 16 : 8, 5000 + 997 * i, rates[i % 8]));
  for (int i = 0; i < tarvolin::sound::kMixChannels; ++i) {
    SoundParams p;
    p.loopCount = -1;
    p.loopType = i % 3 == 0 ? 1 : 0;
    p.loopStart = 1000;
    p.pan = (i * 37) % 256;
    p.volume = 20 + i;
    int ch = -1;
    mixer.StartSound(samples[i], ch, p);
  }
}

void BM_Mix32Channels(benchmark::State& state) {
  Mixer mixer;
  std::vector<SampleData> samples;
  fillMixer(mixer, samples);
  std::vector<std::uint8_t> out(tarvolin::platform::kAudioBufferBytes);
  int turn = 0;
  for (auto _ : state) {
    // Every buffer, a few channels move in pan and volume (volume ramps).
    for (int k = 0; k < 4; ++k) {
      ChannelChanges c;
      c.pan = (turn * 13 + k * 60) % 256;
      c.volume = (turn * 7 + k * 11) % 65;
      mixer.SetSoundChannels((turn * 4 + k) % tarvolin::sound::kMixChannels, c);
    }
    ++turn;
    mixer.Render(out.data(), tarvolin::platform::kAudioBufferFrames);
    benchmark::DoNotOptimize(out.data());
  }
  const double secondsPerBuffer = double(tarvolin::platform::kAudioBufferFrames) / tarvolin::platform::kAudioRate;
  state.counters["x_realtime"] =
      benchmark::Counter(secondsPerBuffer * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix32Channels);

// The same without changes: the plain mixing loop.
void BM_Mix32ChannelsSteady(benchmark::State& state) {
  Mixer mixer;
  std::vector<SampleData> samples;
  fillMixer(mixer, samples);
  std::vector<std::uint8_t> out(tarvolin::platform::kAudioBufferBytes);
  for (auto _ : state) {
    mixer.Render(out.data(), tarvolin::platform::kAudioBufferFrames);
    benchmark::DoNotOptimize(out.data());
  }
  const double secondsPerBuffer = double(tarvolin::platform::kAudioBufferFrames) / tarvolin::platform::kAudioRate;
  state.counters["x_realtime"] =
      benchmark::Counter(secondsPerBuffer * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix32ChannelsSteady);

}  // namespace
