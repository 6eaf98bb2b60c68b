// MOD reader, writer and player on arbitrary bytes: reading never fails on
// what follows the header, and whatever was read plays and saves.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sound/mixer.h"
#include "sound/mod_reader.h"
#include "sound/mod_writer.h"
#include "sound/music_player.h"

using namespace tarvolin::sound;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto module = std::make_shared<MusicModule>();
  if (!readMod(std::string_view(reinterpret_cast<const char*>(data), size), *module)) return 0;

  std::string written;
  if (writeMod(*module, written)) {
    MusicModule back;
    if (!readMod(written, back)) __builtin_trap();
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
