// Plays a MusicModule: the sequencer (speed, ticks, rows, orders, pattern
// delay) and the row and tick handlers of MOD and XM with every effect,
// waveform, envelope and fade-out. The player does not mix: on every tick it
// sets, per module channel, a MusicVoice that the mixer copies into the mixer
// channel bound to that module channel before it mixes the next slice.
#pragma once

#include <array>
#include <cstdint>

#include "sound/module.h"

namespace tarvolin::sound {

inline constexpr int kMaxModuleChannels = 32;
inline constexpr int kFullFadeout = 29128;

// What the mixer takes from the player for one bound channel.
struct MusicVoice {
  // Sample to play: exactly one data pointer is set while a note is attached.
  const std::int8_t* data8 = nullptr;
  const std::int16_t* data16 = nullptr;
  std::uint32_t end = 0;         // frame where playing stops or loops
  std::uint32_t loopLength = 0;  // how far a forward loop jumps back
  int loopType = 0;              // 0 forward, 1 ping-pong
  int loopCount = 0;             // 0 silent, -1 endless, 1 once
  // Pitch and loudness.
  int base = 0;                  // Hz
  int slide = 0;                 // Hz, vibrato and arpeggio
  int pan = 128;
  int channelVolume = 64;
  int noteVolume = 0;
  int volumeOffset = 0;          // tremolo
  int fadeout = kFullFadeout;
  int envelopeVolume = 64;
  int envelopePan = 32;
  // Requests, cleared by the mixer when it takes them: attach the sample
  // again at `startPosition` with a crossfade from what played before.
  bool restart = false;
  std::uint32_t startPosition = 0;
  // Silences the channel (note cut by an ended note or a missing sample).
  bool stop = false;
};

class ModulePlayer {
 public:
  // Binds the player to `module` (which must outlive the playing) and resets
  // the sequencer to order 0, row 0. False for a module without a kind or
  // with more channels than a mixer has.
  bool start(const MusicModule* module);
  void stop();
  bool playing() const { return playing_; }
  const MusicModule* module() const { return module_; }

  // Moves to an order position (below the module's order limit).
  void setOrder(int order);

  // One sequencer tick: the row handler on the first tick of a row, the tick
  // handler on the others, then the XM envelopes.
  void tick();

  // Output frames between ticks (882 at tempo 125).
  int samplesPerTick() const { return samplesPerTick_; }
  // Music volume of the mixer (0..255; the XM G and H effects change it).
  int musicVolume() const { return musicVolume_; }
  void setMusicVolume(int volume) { musicVolume_ = volume; }

  int channelCount() const { return channelCount_; }
  MusicVoice& voice(int channel) { return channels_[channel].voice; }
  const MusicVoice& voice(int channel) const { return channels_[channel].voice; }

  // Sequencer state, for the mixer and for tests.
  int speed() const { return speed_; }
  int order() const { return order_; }
  int row() const { return row_; }
  int playingOrder() const { return playingOrder_; }
  int playingRow() const { return playingRow_; }
  int tickCounter() const { return tick_; }
  int patternDelay() const { return patternDelay_; }
  // Rows played since the start (pattern-delay rows not counted).
  long rowsPlayed() const { return rowsPlayed_; }

  // Per-channel effect memory, exposed for tests.
  struct Channel {
    MusicVoice voice;
    int sample = 0;        // MOD: current sample index
    int instrument = 0;    // XM: current instrument, 1-based (0 none)
    int pendingInstrument = 0;
    const ModuleSample* xmSample = nullptr;
    int note = 0;
    int finetune = 0;      // 1/128 semitone
    int period = 0;
    int targetPeriod = 0;
    int portaMemory = 0;
    int tonePortaSpeed = 0;
    int volumeSlide = 0;
    int vibratoWave = 0, vibratoSpeed = 0, vibratoDepth = 0, vibratoPos = 0;
    int tremoloWave = 0, tremoloSpeed = 0, tremoloDepth = 0, tremoloPos = 0;
    int retriggerInterval = 0;
    bool glissando = false;
    int offsetMemory = 0;
    int loopRow = 0, loopCounter = 0;
    // XM
    bool keyReleased = false;
    bool envelopeActive = false;
    int volumeEnvTick = 0, volumeEnvIndex = 0;
    int panEnvTick = 0, panEnvIndex = 0;
    int retriggerMode = 0;
    int panSlide = 0;
  };
  const Channel& channel(int index) const { return channels_[index]; }

 private:
  bool isXm() const { return module_->kind == ModuleKind::Xm; }
  bool linear() const { return isXm() && module_->linearFrequencies; }
  int periodOf(int note, int finetune128) const;
  int frequencyOf(int period) const;
  void setBaseFromPeriod(Channel& c);

  void playRow();
  void tickEffects();

  // MOD
  void modRow(Channel& c, const PatternCell& cell, bool withEffect);
  void modStartNote(Channel& c, int note);
  // XM
  void xmRow(Channel& c, const PatternCell& cell, bool withEffect);
  void xmStartNote(Channel& c, const ModuleSample& s, int note);
  void xmKeyOff(Channel& c);
  void stepEnvelopes(Channel& c);

  // Effects shared by both formats.
  void effectTick0(Channel& c, int effect, int parameter);
  void effectTick(Channel& c, const PatternCell& cell, int effect, int parameter);
  void startVoice(Channel& c, std::uint32_t position);
  void retrigger(Channel& c);
  void tonePortaStep(Channel& c);

  const MusicModule* module_ = nullptr;
  bool playing_ = false;
  int channelCount_ = 0;
  int speed_ = 6;
  int tick_ = 6;
  int patternDelay_ = 0;
  int order_ = 0;
  int row_ = 0;
  int playingOrder_ = 0;
  int playingRow_ = 0;
  bool jumpThisRow_ = false;
  bool breakThisRow_ = false;
  int samplesPerTick_ = 882;
  int musicVolume_ = 50;
  int globalSlide_ = 0;
  long rowsPlayed_ = 0;
  std::array<Channel, kMaxModuleChannels> channels_{};
};

}  // namespace tarvolin::sound
