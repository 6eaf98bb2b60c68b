// The game's sound in a headless run. The audio engine plays into an output
// clocked by game time instead of a device: after each game frame, one frame
// period of sound (1000 / DISPLAY_RATE ms, as the emulator's frame timer)
// plays, and the engine renders its 2205-frame buffers as they are used up.
// With a file, what plays is recorded there as a WAV file (44100 Hz, 8-bit,
// stereo); without one it is dropped, so the sound commands still meet the
// same engine (and the same errors) as with a device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio_output.h"

namespace tarvolin::platform { class WavRecorderOutput; }
namespace tarvolin::sound { class AudioEngine; }

namespace tarvolin {

// The emulator's frame period in ms: 1000 / rate (integer division) for rates
// 5..100, else 16.
int FramePeriodMilliseconds(int displayRate);

class GameAudio {
 public:
  GameAudio(sound::AudioEngine& engine, int displayRate);
  // Shuts the engine down (completing the file) if Close was not called.
  ~GameAudio();
  GameAudio(const GameAudio&) = delete;
  GameAudio& operator=(const GameAudio&) = delete;

  // Opens the engine on the game clock, recording to `wavPath` unless it is
  // empty. False when the file cannot be created or the engine already has
  // an output (nothing is opened then).
  bool Open(const std::string& wavPath);
  // A game frame has run: one frame period of sound plays.
  void FrameRan();
  // Shuts the engine down and puts the recorded file in place; false when
  // writing it failed.
  bool Close();

  // Sound frames played (and recorded) so far.
  std::uint64_t framesPlayed() const { return framesPlayed_; }

 private:
  class Discard;
  void Advance(std::uint32_t frames);

  sound::AudioEngine& engine_;
  int periodMs_;
  std::unique_ptr<platform::WavRecorderOutput> recorder_;
  std::unique_ptr<Discard> discard_;
  bool open_ = false;
  std::uint64_t framesPlayed_ = 0;
  std::uint32_t remainder_ = 0;  // thousandths of a frame carried over
};

}  // namespace tarvolin
