// XM reader, writer and player on arbitrary bytes (after the identification
// text, which the fuzzer is given so it can reach the rest).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/mixer.h"
#include "sound/music_player.h"
#include "sound/xm_reader.h"
#include "sound/xm_writer.h"

using namespace tarvolin::sound;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes = "Extended Module: ";
  bytes.append(reinterpret_cast<const char*>(data), size);
  auto module = std::make_shared<MusicModule>();
  if (!readXm(bytes, *module)) return 0;

  std::string written;
  if (writeXm(*module, written)) {
    MusicModule back;
    if (!readXm(written, back)) __builtin_trap();
  }

  // One mixer for every input: its 800 KB accumulator is not worth rebuilding.
  static Mixer& mixer = *new Mixer;
  mixer.Reset();
  if (mixer.StartModule(std::make_unique<MusicPlayer>(module))) {
    // Short ticks: many rows and effects per rendered buffer.
    mixer.samplesPerTick = mixer.samplesUntilTick = 16;
    std::vector<std::uint8_t> out(2 * 2205);
    mixer.Render(out.data(), 2205);
  }
  return 0;
}
