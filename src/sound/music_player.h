// The player of a MusicModule (MOD or XM) on the mixer's sequencer: the row
// and tick handlers with every effect and waveform, and for XM the volume and
// panning envelopes with fade-out. Effect memory is kept here, one record per
// module channel; the sound itself is set on the MixChannel the mixer bound
// to that module channel.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "sound/mixer.h"
#include "sound/module.h"
#include "sound/module_player.h"

namespace tarvolin::sound {

class MusicPlayer : public ModulePlayer {
 public:
  // Plays `module`, which is shared with clones and never changed.
  explicit MusicPlayer(std::shared_ptr<const MusicModule> module);

  // Reads a music file by what it holds (an XM by its identification text,
  // else a MOD); `kind`, from the file name, only has to name one of the
  // two. Null when the file cannot be read or holds neither.
  static std::unique_ptr<MusicPlayer> Load(const std::string& path, ModuleKind kind);

  const MusicModule& song() const { return *module_; }

  std::unique_ptr<ModulePlayer> Clone() const override;
  ModuleKind Kind() const override { return module_->kind; }
  int ChannelCount() const override { return module_->channelCount; }
  int SongLength() const override { return module_->songLength; }
  int RestartPosition() const override { return module_->restartPosition; }
  int InitialSpeed() const override { return module_->initialSpeed; }
  int Tempo() const override { return module_->tempo; }
  int OrderLimit() const override { return module_->orderLimit(); }
  int LastRow(int orderPosition) const override { return module_->lastRow(module_->patternAt(orderPosition)); }

  void Restart(Mixer& mixer) override;
  void PlayRow(Mixer& mixer) override;
  void PlayTick(Mixer& mixer) override;
  void StepEnvelopes(Mixer& mixer) override;

  // Effect memory of one module channel.
  struct Channel {
    int sample = 0;        // MOD: current sample index
    int instrument = 0;    // XM: current instrument, 1-based (0 none)
    int pendingInstrument = 0;
    const ModuleSample* xmSample = nullptr;  // XM: sample of the last note
    const ModuleSample* noteSample = nullptr;  // what the playing note plays
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

  // How many times the song has gone back to an earlier place (its end
  // wrapping to the restart position, a jump backwards); pattern loops do not
  // count. Players that stop at the end of a song watch this.
  int timesLooped() const { return timesLooped_; }

 private:
  bool isXm() const { return module_->kind == ModuleKind::Xm; }
  bool linear() const { return isXm() && module_->linearFrequencies; }
  int periodOf(int note, int finetune128) const;
  int frequencyOf(int period) const;
  void setBaseFromPeriod(Channel& c, MixChannel& v);
  MixChannel* bound(Mixer& mixer, int channel);

  // MOD
  void modRow(Channel& c, MixChannel& v, const PatternCell& cell, bool withEffect);
  void modStartNote(Channel& c, MixChannel& v, int note);
  // XM
  void xmRow(Channel& c, MixChannel& v, const PatternCell& cell, bool withEffect);
  void xmStartNote(Channel& c, MixChannel& v, const ModuleSample& s, int note);
  void xmKeyOff(Channel& c, MixChannel& v);

  // Both formats.
  void effectTick0(Channel& c, MixChannel& v, int effect, int parameter);
  void effectTick(Channel& c, MixChannel& v, const PatternCell& cell, int effect, int parameter);
  // Attaches the channel's note sample at `position` with a crossfade.
  void attachNote(Channel& c, MixChannel& v, std::uint32_t position);
  void silence(Channel& c, MixChannel& v);
  void tonePortaStep(Channel& c, MixChannel& v);

  std::shared_ptr<const MusicModule> module_;
  Mixer* mixer_ = nullptr;  // the mixer of the handler call in progress
  int globalSlide_ = 0;     // XM H
  int timesLooped_ = 0;
  int lastOrder_ = -1, lastRow_ = -1;
  bool patternLooped_ = false;  // an E6 sent the song back in this pattern
  std::array<Channel, kMixChannels> channels_{};
};

// The loader for AudioEngine::SetModuleLoader.
std::unique_ptr<ModulePlayer> LoadModulePlayer(const std::string& path, ModuleKind kind);

}  // namespace tarvolin::sound
