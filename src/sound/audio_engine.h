// The audio engine: one output device kept fed, 2205 frames (50 ms) per turn
// from two alternating buffers, by one of two mixers: the game mixer (script
// commands) and the tool mixer (music and sound editors while they are open).
// Every operation and every render take the audio lock. While the engine is
// not initialised (no device), every operation does nothing and succeeds.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio_output.h"
#include "sound/mixer.h"
#include "sound/module_player.h"
#include "sound/sample_cache.h"

namespace tarvolin {
class Host;
}

namespace tarvolin::sound {

// Why starting a sound failed (the script turns these into errors 107, 109).
enum class PlayStatus { Ok, NotLoaded, NoChannel };

// Reads a music file of the given kind; null when it cannot be read.
using ModuleLoader = std::function<std::unique_ptr<ModulePlayer>(const std::string& path, ModuleKind kind)>;

class AudioEngine {
 public:
  AudioEngine();
  // Shuts the audio down; the output given to InitAudio must still exist
  // (or ShutdownAudio must have been called before it goes).
  ~AudioEngine();
  AudioEngine(const AudioEngine&) = delete;
  AudioEngine& operator=(const AudioEngine&) = delete;

  // Opens `output` (which must outlive the engine's use of it), writes two
  // buffers of silence and selects the game mixer. On failure `host` shows
  // the failure message and the engine stays uninitialised.
  bool InitAudio(platform::AudioOutput& output, Host* host = nullptr);
  // Resumes, closes the device and marks the engine uninitialised.
  void ShutdownAudio(Host* host = nullptr);
  bool IsInitialised() const;

  // true: the game mixer; false: the tool mixer, reset, with the output
  // resumed (the pause state is restored when the game mixer comes back).
  void SelectMixer(bool useGameMixer);

  // Music. The kind comes from the extension ("mod", "xm", any case).
  bool PlayMusicResource(const std::string& path);
  // Copies `module` into the current mixer unless it is that mixer's own,
  // starts it, then moves to `startOrder` when it is 0..OrderLimit()-1.
  bool PlayModule(const ModulePlayer& module, int startOrder = -1);
  void StopMusic();
  // StopMusic, then stops the endlessly looping sound effects.
  void StopMusicAndLoops();
  void SetModuleLoader(ModuleLoader loader) { loader_ = std::move(loader); }

  // Sound effects. `channel` is -1 (any free) or 0..31 and receives the
  // channel used.
  PlayStatus PlaySound(const std::string& path, int& channel, const SoundParams& params);
  // Any free channel, the sample's own rate, volume 64, pan 128, once.
  PlayStatus PlaySoundSimple(const std::string& path);
  // The same defaults for a sample in memory; it must stay alive (and
  // unchanged) while it plays: call StopSample before changing it.
  bool PlaySample(SampleData& sample, int* channel = nullptr);
  void StopSound(int channel);
  // Stops the channels of both mixers that play `sample`.
  void StopSample(const SampleData* sample);
  void SetSoundChannels(int selector, const ChannelChanges& changes);

  void PauseAudio();
  void ResumeAudio();
  bool IsAudioPaused() const;
  bool IsChannelPlaying(int channel) const;

  // The sound-effect cache: loads once per path (ignoring case).
  SampleData* GetSound(const std::string& path, bool wantMono = true);
  // Stops every sound effect that plays a cached sample, then empties it.
  void ClearCache();

  // Runs `fn(Mixer&)` on the current mixer under the audio lock (players,
  // editors and tests that need more than the operations above).
  template <class Fn>
  auto WithMixer(Fn&& fn) {
    std::lock_guard<std::mutex> lock(lock_);
    return fn(*current_);
  }
  Mixer& gameMixer() { return *mixers_[0]; }
  Mixer& toolMixer() { return *mixers_[1]; }

  // The device's buffer-done notification: renders the next 2205 frames into
  // the buffer whose turn it is and writes it.
  void OnBufferDone();

 private:
  void writeNextBuffer(bool render);

  mutable std::mutex lock_;  // the audio lock
  std::mutex writeLock_;     // one buffer rendered and handed over at a time
  platform::AudioOutput* output_ = nullptr;
  bool initialised_ = false;
  bool paused_ = false;
  bool pausedBeforeTool_ = false;
  std::array<std::array<std::uint8_t, platform::kAudioBufferBytes>, 2> buffers_{};
  int turn_ = 0;
  std::array<std::unique_ptr<Mixer>, 2> mixers_;
  Mixer* current_ = nullptr;
  SampleCache cache_;
  ModuleLoader loader_;
};

}  // namespace tarvolin::sound
