// Mixer control: channels for sound effects, the module sequencer, and the
// changes the script makes to playing channels. Rendering is in
// mixer_render.cpp.
#include "sound/mixer.h"

#include <algorithm>
#include <limits>

namespace tarvolin::sound {
namespace {

std::int16_t toLoopCount(int value) {
  return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

std::int32_t toHertz(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

Mixer::Mixer() : accumulator_(new std::int32_t[2 * kMaxRenderFrames]()) { Reset(); }

void Mixer::Reset() {
  for (MixChannel& c : channels) {
    stopChannel(c);
    c = MixChannel{};
  }
  playing = false;
  speed = 6;
  tickCounter = 6;
  patternDelay = 0;
  orderPosition = 0;
  row = 0;
  playingRow = 0;
  playingOrder = 0;
  patternBreakSeen = false;
  positionJumpSeen = false;
  samplesPerTick = 882;
  samplesUntilTick = 882;
  sliceLength = 0;
  musicVolume = 50;
  effectVolume = 150;
  rampLength = 64;
  declick = true;
  outputGainLeft = 32768;
  outputGainRight = 32768;
}

// Ends the note and lets go of the sample; the tail already running fades out.
void Mixer::stopChannel(MixChannel& c) {
  c.loopCount = 0;
  if (c.sample) {
    if (c.sample->useCount > 0) --c.sample->useCount;
    c.sample = nullptr;
  }
  c.data8 = nullptr;
  c.data16 = nullptr;
  c.frames = 0;
  // The previous note may point into the same data: it must not be played on.
  c.snapshot.data8 = nullptr;
  c.snapshot.data16 = nullptr;
  c.snapshot.frames = 0;
  c.snapshot.loopCount = 0;
}

bool Mixer::IsActive(int channel) const {
  if (channel < 0 || channel >= kMixChannels) return false;
  const MixChannel& c = channels[channel];
  return c.loopCount != 0 || (c.owner == kOwnerFree && c.attached());
}

bool Mixer::IsBusy(int channel) const {
  if (channel < 0 || channel >= kMixChannels) return false;
  return channels[channel].owner != kOwnerFree || IsActive(channel);
}

bool Mixer::IsChannelPlaying(int channel) const { return IsActive(channel); }

int Mixer::FreeChannelCount() const {
  int n = 0;
  for (int i = 0; i < kMixChannels; ++i) n += IsBusy(i) ? 0 : 1;
  return n;
}

int Mixer::LowestFreeChannel() const {
  for (int i = 0; i < kMixChannels; ++i)
    if (!IsBusy(i)) return i;
  return -1;
}

bool Mixer::StartSound(SampleData& sample, int& channel, const SoundParams& params) {
  if (params.loopCount == 0) {
    StopSound(channel == -1 ? -1 : channel);
    return true;
  }
  int ch = channel;
  if (ch == -1) {
    ch = LowestFreeChannel();
    if (ch < 0) return false;
  } else if (ch < 0 || ch >= kMixChannels || IsBusy(ch)) {
    return false;
  }
  if (sample.bits != 8 && sample.bits != 16) return false;
  channel = ch;
  const std::uint32_t frames = sample.frameCount();
  if (frames == 0) return true;  // nothing to hear: it has finished already

  MixChannel& c = channels[ch];
  c = MixChannel{};
  c.sample = &sample;
  ++sample.useCount;
  if (sample.bits == 8)
    c.data8 = sample.data8();
  else
    c.data16 = sample.data16();
  c.stereo = sample.layout == SampleLayout::Stereo;
  c.frames = frames;
  c.end = params.loopEnd > 0 && static_cast<std::uint32_t>(params.loopEnd) < frames
              ? static_cast<std::uint32_t>(params.loopEnd)
              : frames;
  c.loopLength = static_cast<std::int32_t>(static_cast<std::int64_t>(c.end) - params.loopStart);
  c.BeginCrossfade(rampLength);
  c.owner = kOwnerFree;
  c.loopType = static_cast<std::uint8_t>(std::clamp(params.loopType, 0, 255));
  c.loopCount = toLoopCount(params.loopCount);
  c.pan = params.pan;
  c.volume = params.volume;
  c.bend = params.bend;
  c.noteVolume = 64;
  c.base = params.baseFrequency != 0 ? params.baseFrequency : toHertz(sample.rate);
  c.fadeOut = kFullFadeOut;
  c.envelopeVolume = 64;
  c.envelopePan = 32;
  return true;
}

void Mixer::StopSound(int channel) {
  if (channel == -1) {
    for (MixChannel& c : channels)
      if (c.owner == kOwnerFree) stopChannel(c);
  } else if (channel >= 0 && channel < kMixChannels && channels[channel].owner == kOwnerFree) {
    stopChannel(channels[channel]);
  }
}

void Mixer::ReleaseSample(const SampleData* sample) {
  if (!sample) return;
  for (MixChannel& c : channels)
    if (c.sample == sample) stopChannel(c);
}

void Mixer::SetSoundChannels(int selector, const ChannelChanges& k) {
  for (int i = 0; i < kMixChannels; ++i) {
    MixChannel& c = channels[i];
    bool picked = false;
    if (selector >= 0)
      picked = selector == i && IsBusy(i);  // a free channel has nothing to change: a loop
                                            // count set there would hold it busy for good
    else if (selector == kSelectBusy)
      picked = IsBusy(i);
    else if (selector == kSelectMusic)
      picked = c.owner != kOwnerFree;
    else if (selector == kSelectEffects)
      picked = c.owner == kOwnerFree && IsActive(i);
    if (!picked) continue;

    if (k.bend != kKeepUnchanged) c.bend = k.bend;
    if (k.baseFrequency != kKeepUnchanged) c.base = k.baseFrequency;
    if (k.volume != kKeepUnchanged) c.volume = k.volume;
    if (k.pan != kKeepUnchanged) c.pan = k.pan;
    if (k.loopType != kKeepUnchanged) c.loopType = static_cast<std::uint8_t>(std::clamp(k.loopType, 0, 255));
    if (k.loopCount != kKeepUnchanged) {
      if (k.loopCount == 0) {
        if (c.owner == kOwnerFree)
          stopChannel(c);
        else
          c.loopCount = 0;  // a music channel stays bound to its song
        continue;
      }
      c.loopCount = toLoopCount(k.loopCount);
    }
    if (k.loopEnd != kKeepUnchanged) {
      if (k.loopEnd <= 0) return;  // refused: the walk ends here
      const std::int64_t loopStart = static_cast<std::int64_t>(c.end) - c.loopLength;
      c.end = std::min<std::uint32_t>(static_cast<std::uint32_t>(k.loopEnd), c.frames);
      c.loopLength = static_cast<std::int32_t>(c.end - loopStart);
    }
    if (k.loopStart != kKeepUnchanged)
      c.loopLength = static_cast<std::int32_t>(static_cast<std::int64_t>(c.end) - k.loopStart);
  }
}

// --- music -------------------------------------------------------------------

void Mixer::StopMusic() {
  playing = false;
  for (MixChannel& c : channels) {
    if (c.owner == kOwnerFree) continue;
    stopChannel(c);
    c.owner = kOwnerFree;
  }
}

void Mixer::StopMusicAndLoops() {
  StopMusic();
  for (MixChannel& c : channels)
    if (c.owner == kOwnerFree && c.loopCount < 0) stopChannel(c);
}

bool Mixer::StartModule(std::unique_ptr<ModulePlayer> module) {
  if (!module) return false;
  StopMusic();
  module_ = std::move(module);
  return RestartModule();
}

bool Mixer::RestartModule() {
  StopMusic();
  if (!module_) return false;
  const int count = module_->ChannelCount();
  if (count < 0 || count > FreeChannelCount()) return false;
  orderPosition = 0;
  row = 0;
  patternDelay = 0;
  patternBreakSeen = false;
  positionJumpSeen = false;
  SetTempo(module_->Tempo() > 0 ? module_->Tempo() : 125);
  samplesUntilTick = samplesPerTick;
  speed = std::max(1, module_->InitialSpeed());
  // The first tick plays row 0 whatever the initial speed.
  tickCounter = std::max(6, speed - 1);
  for (int i = 0; i < count; ++i) {
    MixChannel& c = channels[LowestFreeChannel()];
    c = MixChannel{};
    c.owner = i;
    c.volume = 64;
    c.envelopeVolume = 64;
    c.envelopePan = 32;
    c.fadeOut = kFullFadeOut;
    c.pan = (i % 4 == 0 || i % 4 == 3) ? 64 : 128;
  }
  module_->Restart(*this);
  playing = true;
  return true;
}

MixChannel* Mixer::BoundChannel(int moduleChannel) {
  if (moduleChannel < 0 || moduleChannel == kOwnerFree) return nullptr;
  for (MixChannel& c : channels)
    if (c.owner == moduleChannel) return &c;
  return nullptr;
}

void Mixer::SetTempo(int tempo) {
  if (tempo <= 0) return;
  samplesPerTick = std::max(1, 220500 / (2 * tempo));
}

void Mixer::SequencerTick() {
  if (!playing || !module_) return;
  ModulePlayer& m = *module_;
  if (m.SongLength() <= 0) {
    playing = false;
    return;
  }
  ++tickCounter;
  if (tickCounter < speed) {
    m.PlayTick(*this);
  } else {
    tickCounter = 0;
    patternBreakSeen = false;
    positionJumpSeen = false;
    if (patternDelay > 0) {
      --patternDelay;
    } else {
      if (row > m.LastRow(orderPosition)) {
        ++orderPosition;
        if (orderPosition >= m.SongLength()) orderPosition = m.RestartPosition();
        row = 0;
      }
      // A restart position or jump outside the song starts it again.
      if (orderPosition < 0 || orderPosition >= m.SongLength()) orderPosition = 0;
      if (row < 0) row = 0;
      playingRow = row;
      playingOrder = orderPosition;
      m.PlayRow(*this);
      ++row;
    }
  }
  m.StepEnvelopes(*this);
}

}  // namespace tarvolin::sound
