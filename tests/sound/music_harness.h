// A mixer playing a module made by a test, ticked by hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "sound/mixer.h"
#include "sound/music_player.h"

namespace tarvolin::sound::test {

struct MusicHarness {
  Mixer mixer;
  MusicPlayer* player = nullptr;
  bool started = false;

  explicit MusicHarness(const MusicModule& m, int startOrder = 0) {
    auto p = std::make_unique<MusicPlayer>(std::make_shared<MusicModule>(m));
    player = p.get();
    started = mixer.StartModule(std::move(p));
    if (startOrder > 0) mixer.orderPosition = startOrder;
  }
  // One sequencer tick; true when it played a row.
  bool tick() {
    const int delayBefore = mixer.patternDelay;
    mixer.SequencerTick();
    return mixer.tickCounter == 0 && delayBefore == 0;
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) tick();
  }
  MixChannel& voice(int moduleChannel) { return *mixer.BoundChannel(moduleChannel); }
  const MusicPlayer::Channel& channel(int moduleChannel) const { return player->channel(moduleChannel); }
  // Whether a note (re)started on the channel since the last call.
  bool restarted(int moduleChannel) {
    MixChannel& v = voice(moduleChannel);
    const bool yes = v.crossfadeBudget > 0 && v.loopCount != 0;
    v.crossfadeBudget = 0;
    return yes;
  }
  // The (order, row) pairs of the next `count` rows played.
  std::vector<std::pair<int, int>> rows(int count) {
    std::vector<std::pair<int, int>> out;
    for (int guard = 0; static_cast<int>(out.size()) < count && guard < 100000; ++guard)
      if (tick()) out.emplace_back(mixer.playingOrder, mixer.playingRow);
    return out;
  }
};

}  // namespace tarvolin::sound::test
