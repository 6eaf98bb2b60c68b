// The software mixer: 32 channels of 8- or 16-bit samples at 20.12 fixed-point
// steps, nearest-sample reading, 32-bit accumulation and a soft-clip table to
// the 8-bit unsigned stereo output (44100 Hz). It also keeps the sequencer of
// one music module and calls its player once per tick.
//
// A Mixer is not locked by itself: the AudioEngine holds the audio lock around
// every call. Nothing is allocated while rendering.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "sound/module_player.h"
#include "sound/sample_data.h"

namespace tarvolin::sound {

inline constexpr int kMixChannels = 32;
inline constexpr int kOwnerFree = 255;          // sound-effect channel or free
inline constexpr int kFullFadeOut = 29128;      // fade-out level at full volume
inline constexpr int kMaxRenderFrames = 99999;  // frames one Render call may ask for
inline constexpr int kOutputRate = 44100;
inline constexpr int kKeepUnchanged = -1000000; // SetSoundChannels: leave as it is
inline constexpr int kMaxRampLength = 256;

// Selectors of SetSoundChannels besides a channel number 0..31.
inline constexpr int kSelectBusy = -1;     // every busy channel
inline constexpr int kSelectMusic = -2;    // every music channel
inline constexpr int kSelectEffects = -3;  // every active sound-effect channel

// Where a note is in its sample. The snapshot of the previous note keeps the
// same fields.
struct NoteState {
  const std::int8_t* data8 = nullptr;    // exactly one of these is set while a
  const std::int16_t* data16 = nullptr;  // sample is attached
  std::uint32_t frames = 0;      // frames the attached data holds; no read goes past it
  bool stereo = false;           // interleaved data: left and right are averaged
  std::uint32_t position = 0;    // whole sample index
  std::uint32_t fraction = 0;    // 1/4096 of a sample
  std::uint32_t end = 0;         // where the note stops or loops
  std::int32_t loopLength = 0;   // how far a forward loop jumps back
  std::uint8_t loopType = 0;     // 0 forward, 1 ping-pong
  std::uint8_t direction = 0;    // 0 forwards, 1 backwards
  std::int16_t loopCount = 0;    // 0 stopped, -1 endless, n passes left

  bool attached() const { return data8 != nullptr || data16 != nullptr; }
};

// The previous note as it was at the end of the last slice that left no
// crossfade running; a crossfade plays it on from there.
struct NoteSnapshot : NoteState {
  int gainLeft = 0, gainRight = 0;
  std::int64_t step = 0;
  int tailCounter = 0;
  int lastLeft = 0, lastRight = 0;
};

struct MixChannel : NoteState {
  int owner = kOwnerFree;       // 255 sound effect or free; else the module channel
  SampleData* sample = nullptr; // the sound effect's sample, whose use count it holds

  // Playback rate = base + slide + bend, in Hz.
  std::int32_t base = 0;   // base frequency
  std::int32_t bend = 0;   // offset set by the script
  std::int32_t slide = 0;  // offset set by the music player

  int pan = 0;            // 0..255, 128 centre
  int volume = 0;         // channel volume 0..64
  int noteVolume = 0;     // 0..64 (sound effects: 64)
  int volumeOffset = 0;   // tremolo and the like
  int fadeOut = 0;        // kFullFadeOut at full
  int envelopeVolume = 0; // 0..64
  int envelopePan = 0;    // 0..64, 32 centre

  // De-click state.
  int crossfadeBudget = 0;  // frames left to crossfade from the snapshot
  int crossfadeStep = 0;    // k of the blend k / ramp length
  int prevGainLeft = 0, prevGainRight = 0;  // gains the ramp starts from
  int tailCounter = 0;      // frames of tail left once the note has ended
  int lastLeft = 0, lastRight = 0;          // last contribution of the note
  int rampTargetLeft = 0, rampTargetRight = 0;
  int rampPosition = 0;     // frames of the running volume ramp done
  NoteSnapshot snapshot;

  // Starts a crossfade from the snapshot to a new note (music players call
  // this when a note starts or restarts): step counter 1, crossfade and tail
  // budgets = the ramp length, previous gains 0.
  void BeginCrossfade(int rampLength);
};

// Arguments of starting a sound.
struct SoundParams {
  int baseFrequency = 0;  // 0 = the sample's own rate
  int bend = 0;
  int volume = 64;
  int pan = 128;
  int loopType = 0;
  int loopCount = 1;
  int loopStart = 0;
  int loopEnd = 0;        // 0 = the sample's end
};

// Arguments of SetSoundChannels; kKeepUnchanged leaves a value alone.
struct ChannelChanges {
  int bend = kKeepUnchanged;
  int baseFrequency = kKeepUnchanged;
  int volume = kKeepUnchanged;
  int pan = kKeepUnchanged;
  int loopType = kKeepUnchanged;
  int loopCount = kKeepUnchanged;
  int loopEnd = kKeepUnchanged;
  int loopStart = kKeepUnchanged;
};

class Mixer {
 public:
  Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // The reset values: sequencer stopped, volumes 50 / 150, ramp 64, all
  // channels zeroed with owner 255 (samples they held are released).
  void Reset();

  // Renders `frames` (at most kMaxRenderFrames) interleaved 8-bit unsigned
  // stereo frames into `out` (2 bytes per frame), running sequencer ticks.
  void Render(std::uint8_t* out, int frames);

  // --- channels ----------------------------------------------------------
  // Starts `sample` (loop count 0 stops `channel`, or every sound effect for
  // -1, and succeeds). `channel` -1 takes the lowest free channel and reports
  // it. false when no channel is free, the given one is busy or out of range,
  // or the sample's depth is neither 8 nor 16 bits.
  bool StartSound(SampleData& sample, int& channel, const SoundParams& params);
  // A channel stops only when it is a sound-effect channel; -1 stops them all.
  void StopSound(int channel);
  // Stops the channels that play `sample` (before it is changed or deleted).
  void ReleaseSample(const SampleData* sample);
  void SetSoundChannels(int selector, const ChannelChanges& changes);

  bool IsChannelPlaying(int channel) const;
  bool IsActive(int channel) const;
  bool IsBusy(int channel) const;
  int FreeChannelCount() const;
  int LowestFreeChannel() const;  // -1 when none

  // --- music -------------------------------------------------------------
  // Stops music and starts `module` (taken over by the mixer) at order 0.
  // false, leaving music stopped, when it has more channels than are free.
  bool StartModule(std::unique_ptr<ModulePlayer> module);
  // Starts the mixer's own module again (PlayModule with the same module).
  bool RestartModule();
  void StopMusic();
  void StopMusicAndLoops();
  ModulePlayer* module() const { return module_.get(); }
  // The mixer channel bound to a module channel; null when none is.
  MixChannel* BoundChannel(int moduleChannel);
  // Samples per tick for a tempo in beats per minute (220500 / (2 x tempo)).
  void SetTempo(int tempo);
  // One sequencer tick (Render runs it; public for players' tests).
  void SequencerTick();

  // --- helpers -------------------------------------------------------------
  // The left and right gains of a channel for the next slice.
  void ChannelGains(const MixChannel& c, int& left, int& right) const;
  // 1/4096 sample per output frame for a rate in Hz; 0 when the rate is
  // outside 501..499999 (silent).
  static std::int64_t StepForRate(std::int64_t rate);
  // The soft-clip table: accumulated sum index to signed 8-bit output.
  static int SoftClip(int index);

  // --- state (read and written by the players, under the audio lock) ---------
  std::array<MixChannel, kMixChannels> channels{};

  bool playing = false;
  int speed = 6;
  int tickCounter = 6;
  int patternDelay = 0;
  int orderPosition = 0;
  int row = 0;
  int playingRow = 0;     // the row being played (read by the effect handlers)
  int playingOrder = 0;
  bool patternBreakSeen = false;  // per-row flags, cleared at every new row
  bool positionJumpSeen = false;
  int samplesPerTick = 882;
  int samplesUntilTick = 882;
  int sliceLength = 0;

  int musicVolume = 50;
  int effectVolume = 150;
  int rampLength = 64;
  bool declick = true;
  int outputGainLeft = 32768;
  int outputGainRight = 32768;

 private:
  void stopChannel(MixChannel& c);
  void mixChannel(MixChannel& c, int offset, int frames);

  std::unique_ptr<std::int32_t[]> accumulator_;  // kMaxRenderFrames stereo frames
  std::unique_ptr<ModulePlayer> module_;
};

}  // namespace tarvolin::sound
