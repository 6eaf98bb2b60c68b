// Fuzzes the WAV reader, then plays what it accepted through the mixer and
// saves it again, so that any sample the reader lets in is safe downstream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/mixer.h"
#include "sound/sample_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvolin::sound::SampleData sample;
  if (!tarvolin::sound::ParseWav(sample, data, size)) return 0;
  std::vector<std::uint8_t> encoded = tarvolin::sound::EncodeWav(sample);
  tarvolin::sound::SampleData again;
  if (!tarvolin::sound::ParseWav(again, encoded.data(), encoded.size())) __builtin_trap();
  if (again.length() != sample.length()) __builtin_trap();

  static tarvolin::sound::Mixer mixer;  // built once: it holds a large accumulator
  mixer.Reset();
  tarvolin::sound::SoundParams params;
  params.loopCount = size % 3 == 0 ? -1 : 2;
  params.loopType = size % 2;
  params.loopStart = static_cast<int>(size % 97);
  int channel = -1;
  std::uint8_t out[2 * 512];
  if (mixer.StartSound(sample, channel, params)) mixer.Render(out, 512);
  tarvolin::sound::MakeMono(sample);
  mixer.Reset();
  return 0;
}
