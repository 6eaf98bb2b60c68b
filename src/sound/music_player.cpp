// The MOD and XM player: sequencer hooks and the effects both formats share.
#include "sound/music_player.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/mod_reader.h"
#include "sound/xm_reader.h"

namespace tarvolin::sound {

namespace {

int normaliseWaveform(int y) {
  if (y == 3) return 0;
  if (y >= 7) return 4;
  return y;
}

bool isDelayedNote(const PatternCell& cell) {
  // A delay of 0 plays the note at once.
  return cell.effect == kEffectExtended && (cell.parameter >> 4) == 0xD && (cell.parameter & 15) != 0;
}

}  // namespace

MusicPlayer::MusicPlayer(std::shared_ptr<const MusicModule> module) : module_(std::move(module)) {
  if (!module_) module_ = std::make_shared<const MusicModule>();
}

std::unique_ptr<MusicPlayer> MusicPlayer::Load(const std::string& path, ModuleKind kind) {
  if (kind != ModuleKind::Mod && kind != ModuleKind::Xm) return nullptr;
  const std::string file = platform::resolvePath("", path);  // names may differ in letter case
  std::string bytes;
  if (!platform::readWholeFile(file, bytes)) return nullptr;
  // The file is read by what it holds, whatever its name says: an XM
  // begins with its identification text, anything else must be a MOD.
  auto module = std::make_shared<MusicModule>();
  const bool ok = isXmData(bytes) ? readXm(bytes, *module) : readMod(bytes, *module);
  if (!ok) return nullptr;
  return std::make_unique<MusicPlayer>(std::move(module));
}

std::unique_ptr<ModulePlayer> LoadModulePlayer(const std::string& path, ModuleKind kind) {
  return MusicPlayer::Load(path, kind);
}

std::unique_ptr<ModulePlayer> MusicPlayer::Clone() const { return std::make_unique<MusicPlayer>(module_); }

void MusicPlayer::Restart(Mixer& mixer) {
  for (Channel& c : channels_) c = Channel{};
  globalSlide_ = 0;
  timesLooped_ = 0;
  lastOrder_ = lastRow_ = -1;
  patternLooped_ = false;
  // XM G and H change the mixer's music volume; a new song starts from the
  // reset value rather than from where the last one left it.
  mixer.musicVolume = 50;
}

MixChannel* MusicPlayer::bound(Mixer& mixer, int channel) {
  MixChannel& guess = mixer.channels[channel];  // the usual binding
  if (guess.owner == channel) return &guess;
  return mixer.BoundChannel(channel);
}

int MusicPlayer::periodOf(int note, int finetune128) const {
  return linear() ? linearPeriod(note, finetune128) : amigaPeriod(note, finetune128);
}

int MusicPlayer::frequencyOf(int period) const {
  return linear() ? linearFrequency(period) : amigaFrequency(period);
}

void MusicPlayer::setBaseFromPeriod(Channel& c, MixChannel& v) {
  c.period = std::clamp(c.period, 1, 1 << 20);
  v.base = frequencyOf(c.period);
}

void MusicPlayer::PlayRow(Mixer& mixer) {
  mixer_ = &mixer;
  const int order = mixer.playingOrder, row = mixer.playingRow;
  if (order < lastOrder_ || (order == lastOrder_ && row <= lastRow_ && !patternLooped_)) ++timesLooped_;
  lastOrder_ = order;
  lastRow_ = row;
  patternLooped_ = false;
  const int pattern = module_->patternAt(mixer.playingOrder);
  const int count = std::min(module_->channelCount, kMixChannels);
  for (int i = 0; i < count; ++i) {
    MixChannel* v = bound(mixer, i);
    if (v == nullptr) continue;
    const PatternCell& cell = module_->cell(pattern, mixer.playingRow, i);
    if (isDelayedNote(cell)) continue;  // the tick handler plays it
    if (isXm())
      xmRow(channels_[i], *v, cell, true);
    else
      modRow(channels_[i], *v, cell, true);
  }
}

void MusicPlayer::PlayTick(Mixer& mixer) {
  mixer_ = &mixer;
  const int pattern = module_->patternAt(mixer.playingOrder);
  const int count = std::min(module_->channelCount, kMixChannels);
  for (int i = 0; i < count; ++i) {
    MixChannel* v = bound(mixer, i);
    if (v == nullptr) continue;
    const PatternCell& cell = module_->cell(pattern, mixer.playingRow, i);
    if (isXm() && cell.volumeEffect != kNoEffect)
      effectTick(channels_[i], *v, cell, cell.volumeEffect, cell.volumeParameter);
    effectTick(channels_[i], *v, cell, cell.effect, cell.parameter);
  }
}

void MusicPlayer::attachNote(Channel& c, MixChannel& v, std::uint32_t position) {
  const ModuleSample* s = c.noteSample;
  if (s == nullptr || s->length == 0) return;
  v.BeginCrossfade(mixer_->rampLength);
  v.data8 = s->sixteenBit ? nullptr : s->data8.data();
  v.data16 = s->sixteenBit ? s->data16.data() : nullptr;
  v.frames = s->length;
  v.stereo = false;
  v.position = position;
  v.fraction = 0;
  v.direction = 0;
  bool loops = false;
  if (isXm()) {
    loops = s->loopType != 0 && s->loopLength > 0;
    v.loopType = s->loopType == 2 ? 1 : 0;
  } else {
    loops = s->loopLength > 2;
    v.loopType = 0;
  }
  if (loops) {
    v.end = s->loopEnd();
    v.loopLength = static_cast<std::int32_t>(s->loopLength);
    v.loopCount = -1;
  } else {
    v.end = s->length;
    v.loopLength = static_cast<std::int32_t>(s->length);
    v.loopCount = 1;
  }
}

void MusicPlayer::silence(Channel& c, MixChannel& v) {
  c.noteSample = nullptr;
  if (v.loopCount != 0) v.BeginCrossfade(mixer_->rampLength);
  v.loopCount = 0;
}

void MusicPlayer::tonePortaStep(Channel& c, MixChannel& v) {
  if (c.targetPeriod <= 0 || c.period <= 0) return;
  const int step = c.tonePortaSpeed * 4;
  if (c.period < c.targetPeriod)
    c.period = std::min(c.period + step, c.targetPeriod);
  else if (c.period > c.targetPeriod)
    c.period = std::max(c.period - step, c.targetPeriod);
  setBaseFromPeriod(c, v);
}

void MusicPlayer::effectTick0(Channel& c, MixChannel& v, int effect, int p) {
  Mixer& mx = *mixer_;
  const int x = p >> 4, y = p & 15;
  switch (effect) {
    case kEffectArpeggio:
      if (!isXm()) c.volumeSlide = x - y;
      break;
    case kEffectPortaUp:
    case kEffectPortaDown:
      if (p) c.portaMemory = p;
      break;
    case kEffectTonePorta:
      if (p) c.tonePortaSpeed = p;
      if (c.glissando)
        for (int i = 0; i < mx.speed; ++i) tonePortaStep(c, v);
      break;
    case kEffectVibrato:
      if (x) c.vibratoSpeed = x;
      if (y) c.vibratoDepth = y;
      break;
    case kEffectTonePortaVolSlide:
    case kEffectVibratoVolSlide:
    case kEffectVolumeSlide:
      if (p) c.volumeSlide = x - y;
      break;
    case kEffectTremolo:
      if (p) {
        c.tremoloSpeed = x;
        c.tremoloDepth = y;
      }
      break;
    case kEffectPan:
      v.pan = p;
      break;
    case kEffectSampleOffset:
      if (p) c.offsetMemory = p;
      if (c.offsetMemory) attachNote(c, v, static_cast<std::uint32_t>(c.offsetMemory) * 256u);
      break;
    case kEffectPositionJump:
      mx.orderPosition = p >= module_->songLength ? module_->restartPosition : p;
      if (!mx.patternBreakSeen) mx.row = -1;  // the next row played is row 0
      mx.positionJumpSeen = true;
      break;
    case kEffectSetVolume:
      v.noteVolume = std::min(p, 64);
      break;
    case kEffectPatternBreak: {
      if (!mx.positionJumpSeen) {
        ++mx.orderPosition;
        if (mx.orderPosition >= module_->songLength) mx.orderPosition = 0;
      }
      const int target = x * 10 + y;
      mx.row = target > LastRow(mx.orderPosition) ? -1 : target - 1;
      mx.patternBreakSeen = true;
      break;
    }
    case kEffectExtended:
      switch (x) {
        case 0x1:
          if (y) c.portaMemory = y;
          if (c.period > 0) {
            c.period -= y * 4;
            setBaseFromPeriod(c, v);
          }
          break;
        case 0x2:
          if (y) c.portaMemory = y;
          if (c.period > 0) {
            c.period += y * 4;
            setBaseFromPeriod(c, v);
          }
          break;
        case 0x3: c.glissando = y != 0; break;
        case 0x4: c.vibratoWave = normaliseWaveform(y); break;
        case 0x6:
          if (y == 0) {
            c.loopRow = mx.playingRow;
          } else {
            c.loopCounter = c.loopCounter == 0 ? y : c.loopCounter - 1;
            if (c.loopCounter != 0) {
              mx.row = c.loopRow - 1;
              patternLooped_ = true;
            }
          }
          break;
        case 0x7: c.tremoloWave = normaliseWaveform(y); break;
        case 0x8: v.pan = y * 17; break;
        case 0x9:
          if (y) c.retriggerInterval = y;
          break;
        case 0xA: v.noteVolume = std::min(v.noteVolume + y, 64); break;
        case 0xB: v.noteVolume = std::max(v.noteVolume - y, 0); break;
        case 0xE: mx.patternDelay = y; break;
        default: break;  // E5, EF and the rest do nothing
      }
      break;
    case kEffectSpeed:
      if (p >= 1 && p <= 31)
        mx.speed = p;
      else if (p >= 32)
        mx.SetTempo(p);
      break;
    case kEffectGlobalVolume:
      if (isXm()) mx.musicVolume = std::min(p, 64);
      break;
    case kEffectGlobalVolumeSlide:
      if (isXm()) globalSlide_ = x - y;
      break;
    case kEffectKeyOff:
      if (isXm()) xmKeyOff(c, v);
      break;
    case kEffectEnvelopePosition:
      if (isXm()) c.volumeEnvTick = p;
      break;
    case kEffectPanSlide:
      if (isXm() && p) c.panSlide = x - y;
      break;
    case kEffectMultiRetrigger:
      if (!isXm()) break;
      if (x) c.retriggerMode = x;
      if (y) c.retriggerInterval = y;
      break;
    default:
      break;
  }
}

void MusicPlayer::effectTick(Channel& c, MixChannel& v, const PatternCell& cell, int effect, int p) {
  Mixer& mx = *mixer_;
  const int x = p >> 4, y = p & 15;
  const int t = mx.tickCounter;
  switch (effect) {
    case kEffectArpeggio:
      // An empty cell (000) is no arpeggio: it must not disturb a slid pitch.
      if (p != 0 && c.period > 0) {
        if (t % 3 == 0)
          v.slide = 0;
        else
          v.slide = frequencyOf(periodOf(c.note + (t % 3 == 1 ? x : y), c.finetune)) - v.base;
      }
      break;
    case kEffectPortaUp:
      if (c.period > 0) {
        c.period -= c.portaMemory * 4;
        setBaseFromPeriod(c, v);
      }
      break;
    case kEffectPortaDown:
      if (c.period > 0) {
        c.period += c.portaMemory * 4;
        setBaseFromPeriod(c, v);
      }
      break;
    case kEffectTonePorta:
    case kEffectTonePortaVolSlide:
      tonePortaStep(c, v);
      break;
    case kEffectVibrato:
    case kEffectVibratoVolSlide:
      if (c.period > 0)
        v.slide = frequencyOf(c.period + ((c.vibratoDepth * waveformValue(c.vibratoWave, c.vibratoPos)) >> 4)) -
                  v.base;
      c.vibratoPos = (c.vibratoPos + c.vibratoSpeed) & 63;
      break;
    case kEffectTremolo:
      v.volumeOffset = (c.tremoloDepth * waveformValue(c.tremoloWave, c.tremoloPos)) >> 6;
      c.tremoloPos = (c.tremoloPos + c.tremoloSpeed) & 63;
      break;
    case kEffectExtended:
      if (x == 0x9) {
        if (c.retriggerInterval != 0 && t % c.retriggerInterval == 0) attachNote(c, v, 0);
      } else if (x == 0xC) {
        if (t >= y) v.noteVolume = 0;
      } else if (x == 0xD) {
        if (t == y) {
          if (isXm())
            xmRow(c, v, cell, false);
          else
            modRow(c, v, cell, false);
        }
      }
      break;
    case kEffectGlobalVolumeSlide:
      if (isXm()) mx.musicVolume = std::clamp(mx.musicVolume + globalSlide_, 0, 64);
      break;
    case kEffectPanSlide:
      if (isXm()) v.pan = std::clamp(v.pan + c.panSlide * 4, 0, 255);
      break;
    case kEffectMultiRetrigger:
      if (isXm() && c.retriggerInterval != 0 && t % c.retriggerInterval == 0) {
        int vol = v.noteVolume;
        switch (c.retriggerMode) {
          case 1: vol -= 1; break;
          case 2: vol -= 2; break;
          case 3: vol -= 4; break;
          case 4: vol -= 8; break;
          case 5: vol -= 16; break;
          case 6: vol = vol * 682 / 1024; break;
          case 7: vol /= 2; break;
          case 9: vol += 1; break;
          case 10: vol += 2; break;
          case 11: vol += 4; break;
          case 12: vol += 8; break;
          case 13: vol += 16; break;
          case 14: vol = (vol * 3) & ~1; break;
          default: break;
        }
        v.noteVolume = std::clamp(vol, 0, 64);
        attachNote(c, v, 0);
      }
      break;
    default:
      break;
  }
  if (effect == kEffectTonePortaVolSlide || effect == kEffectVibratoVolSlide || effect == kEffectVolumeSlide)
    v.noteVolume = std::clamp(v.noteVolume + c.volumeSlide, 0, 64);
}

}  // namespace tarvolin::sound
