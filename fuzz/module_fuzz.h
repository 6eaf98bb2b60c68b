// What the MOD and XM fuzz targets share: a song that was read is written and
// must read back, then plays one buffer through a mixer with short ticks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sound/mixer.h"
#include "sound/module.h"
#include "sound/music_player.h"

namespace tarvolin::fuzz {

template <typename Write, typename Read>
void CheckAndPlayModule(std::shared_ptr<sound::MusicModule> module, Write write, Read read) {
  std::string written;
  if (write(*module, written)) {
    sound::MusicModule back;
    if (!read(written, back)) __builtin_trap();
  }
  // One mixer for every input: its 800 KB accumulator is not worth rebuilding.
  static sound::Mixer& mixer = *new sound::Mixer;
  mixer.Reset();
  if (mixer.StartModule(std::make_unique<sound::MusicPlayer>(module))) {
    // Short ticks: many rows and effects per rendered buffer.
    mixer.samplesPerTick = mixer.samplesUntilTick = 16;
    std::vector<std::uint8_t> out(2 * 2205);
    mixer.Render(out.data(), 2205);
  }
}

}  // namespace tarvolin::fuzz
