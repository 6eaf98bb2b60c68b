// The sequencer and the effects MOD and XM share.
#include "sound/module_player.h"

#include <algorithm>

namespace tarvolin::sound {

namespace {

int normaliseWaveform(int y) {
  if (y == 3) return 0;
  if (y >= 7) return 4;
  return y;
}

}  // namespace

bool ModulePlayer::start(const MusicModule* module) {
  playing_ = false;
  if (module == nullptr || module->kind == ModuleKind::None) return false;
  if (module->channelCount < 0 || module->channelCount > kMaxModuleChannels) return false;
  module_ = module;
  channelCount_ = module->channelCount;
  order_ = row_ = playingOrder_ = playingRow_ = patternDelay_ = 0;
  jumpThisRow_ = breakThisRow_ = false;
  const int tempo = std::clamp(module->tempo, 32, 255);
  samplesPerTick_ = 220500 / (2 * tempo);
  speed_ = std::clamp(module->initialSpeed, 1, 31);
  // The first tick plays row 0 whatever the initial speed.
  tick_ = std::max(speed_, 6);
  musicVolume_ = 50;
  globalSlide_ = 0;
  rowsPlayed_ = 0;
  for (int i = 0; i < kMaxModuleChannels; ++i) {
    Channel& c = channels_[i];
    c = Channel{};
    c.voice.channelVolume = 64;
    c.voice.envelopeVolume = 64;
    c.voice.envelopePan = 32;
    c.voice.fadeout = kFullFadeout;
    c.voice.pan = (i % 4 == 0 || i % 4 == 3) ? 64 : 128;
  }
  playing_ = true;
  return true;
}

void ModulePlayer::stop() {
  playing_ = false;
  for (Channel& c : channels_) {
    c.voice.loopCount = 0;
    c.voice.stop = true;
  }
}

void ModulePlayer::setOrder(int order) {
  if (module_ != nullptr && order >= 0 && order < module_->orderLimit()) order_ = order;
}

int ModulePlayer::periodOf(int note, int finetune128) const {
  return linear() ? linearPeriod(note, finetune128) : amigaPeriod(note, finetune128);
}

int ModulePlayer::frequencyOf(int period) const {
  return linear() ? linearFrequency(period) : amigaFrequency(period);
}

void ModulePlayer::setBaseFromPeriod(Channel& c) {
  c.period = std::clamp(c.period, 1, 1 << 20);
  c.voice.base = frequencyOf(c.period);
}

void ModulePlayer::tick() {
  if (!playing_ || module_ == nullptr) return;
  ++tick_;
  if (tick_ < speed_) {
    tickEffects();
  } else {
    tick_ = 0;
    jumpThisRow_ = breakThisRow_ = false;
    if (patternDelay_ > 0) {
      --patternDelay_;
    } else {
      if (row_ > module_->lastRow(module_->patternAt(order_))) {
        ++order_;
        if (order_ >= module_->songLength) order_ = module_->restartPosition;
        row_ = 0;
      }
      playingRow_ = row_;
      playingOrder_ = order_;
      playRow();
      ++row_;
    }
  }
  if (isXm())
    for (int i = 0; i < channelCount_; ++i) stepEnvelopes(channels_[i]);
}

void ModulePlayer::playRow() {
  ++rowsPlayed_;
  const int pattern = module_->patternAt(playingOrder_);
  for (int i = 0; i < channelCount_; ++i) {
    const PatternCell& cell = module_->cell(pattern, playingRow_, i);
    // A delayed note waits for its tick (a delay of 0 plays at once).
    const bool delayed = cell.effect == kEffectExtended && (cell.parameter >> 4) == 0xD &&
                         (cell.parameter & 15) != 0;
    if (delayed) continue;
    if (isXm())
      xmRow(channels_[i], cell, true);
    else
      modRow(channels_[i], cell, true);
  }
}

void ModulePlayer::tickEffects() {
  const int pattern = module_->patternAt(playingOrder_);
  for (int i = 0; i < channelCount_; ++i) {
    Channel& c = channels_[i];
    const PatternCell& cell = module_->cell(pattern, playingRow_, i);
    if (isXm() && cell.volumeEffect != kNoEffect)
      effectTick(c, cell, cell.volumeEffect, cell.volumeParameter);
    effectTick(c, cell, cell.effect, cell.parameter);
  }
}

void ModulePlayer::startVoice(Channel& c, std::uint32_t position) {
  if (c.voice.data8 == nullptr && c.voice.data16 == nullptr) return;
  c.voice.restart = true;
  c.voice.stop = false;
  c.voice.startPosition = position;
}

void ModulePlayer::retrigger(Channel& c) { startVoice(c, 0); }

void ModulePlayer::tonePortaStep(Channel& c) {
  if (c.targetPeriod <= 0 || c.period <= 0) return;
  const int step = c.tonePortaSpeed * 4;
  if (c.period < c.targetPeriod)
    c.period = std::min(c.period + step, c.targetPeriod);
  else if (c.period > c.targetPeriod)
    c.period = std::max(c.period - step, c.targetPeriod);
  setBaseFromPeriod(c);
}

void ModulePlayer::effectTick0(Channel& c, int effect, int p) {
  const int x = p >> 4, y = p & 15;
  MusicVoice& v = c.voice;
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
        for (int i = 0; i < speed_; ++i) tonePortaStep(c);
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
      if (c.offsetMemory) startVoice(c, static_cast<std::uint32_t>(c.offsetMemory) * 256u);
      break;
    case kEffectPositionJump:
      order_ = p >= module_->songLength ? module_->restartPosition : p;
      if (!breakThisRow_) row_ = -1;  // the next row played is row 0
      jumpThisRow_ = true;
      break;
    case kEffectSetVolume:
      v.noteVolume = std::min(p, 64);
      break;
    case kEffectPatternBreak: {
      if (!jumpThisRow_) {
        ++order_;
        if (order_ >= module_->songLength) order_ = 0;
      }
      const int target = x * 10 + y;
      row_ = target > module_->lastRow(module_->patternAt(order_)) ? -1 : target - 1;
      breakThisRow_ = true;
      break;
    }
    case kEffectExtended:
      switch (x) {
        case 0x1:
          if (y) c.portaMemory = y;
          c.period -= y * 4;
          setBaseFromPeriod(c);
          break;
        case 0x2:
          if (y) c.portaMemory = y;
          c.period += y * 4;
          setBaseFromPeriod(c);
          break;
        case 0x3: c.glissando = y != 0; break;
        case 0x4: c.vibratoWave = normaliseWaveform(y); break;
        case 0x6:
          if (y == 0) {
            c.loopRow = playingRow_;
          } else {
            c.loopCounter = c.loopCounter == 0 ? y : c.loopCounter - 1;
            if (c.loopCounter != 0) row_ = c.loopRow - 1;
          }
          break;
        case 0x7: c.tremoloWave = normaliseWaveform(y); break;
        case 0x8: v.pan = y * 17; break;
        case 0x9:
          if (y) c.retriggerInterval = y;
          break;
        case 0xA: v.noteVolume = std::min(v.noteVolume + y, 64); break;
        case 0xB: v.noteVolume = std::max(v.noteVolume - y, 0); break;
        case 0xE: patternDelay_ = y; break;
        default: break;  // E5, EF and the rest do nothing
      }
      break;
    case kEffectSpeed:
      if (p >= 1 && p <= 31)
        speed_ = p;
      else if (p >= 32)
        samplesPerTick_ = 220500 / (2 * p);
      break;
    case kEffectGlobalVolume:
      musicVolume_ = std::min(p, 64);
      break;
    case kEffectGlobalVolumeSlide:
      globalSlide_ = x - y;
      break;
    case kEffectKeyOff:
      xmKeyOff(c);
      break;
    case kEffectEnvelopePosition:
      c.volumeEnvTick = p;
      break;
    case kEffectPanSlide:
      if (p) c.panSlide = x - y;
      break;
    case kEffectMultiRetrigger:
      if (x) c.retriggerMode = x;
      if (y) c.retriggerInterval = y;
      break;
    default:
      break;
  }
}

void ModulePlayer::effectTick(Channel& c, const PatternCell& cell, int effect, int p) {
  const int x = p >> 4, y = p & 15;
  const int t = tick_;
  MusicVoice& v = c.voice;
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
        setBaseFromPeriod(c);
      }
      break;
    case kEffectPortaDown:
      if (c.period > 0) {
        c.period += c.portaMemory * 4;
        setBaseFromPeriod(c);
      }
      break;
    case kEffectTonePorta:
    case kEffectTonePortaVolSlide:
      tonePortaStep(c);
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
        if (c.retriggerInterval != 0 && t % c.retriggerInterval == 0) retrigger(c);
      } else if (x == 0xC) {
        if (t >= y) v.noteVolume = 0;
      } else if (x == 0xD) {
        if (t == y) {
          if (isXm())
            xmRow(c, cell, false);
          else
            modRow(c, cell, false);
        }
      }
      break;
    case kEffectGlobalVolumeSlide:
      musicVolume_ = std::clamp(musicVolume_ + globalSlide_, 0, 64);
      break;
    case kEffectPanSlide:
      v.pan = std::clamp(v.pan + c.panSlide * 4, 0, 255);
      break;
    case kEffectMultiRetrigger:
      if (c.retriggerInterval != 0 && t % c.retriggerInterval == 0) {
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
        retrigger(c);
      }
      break;
    default:
      break;
  }
  if (effect == kEffectTonePortaVolSlide || effect == kEffectVibratoVolSlide || effect == kEffectVolumeSlide)
    v.noteVolume = std::clamp(v.noteVolume + c.volumeSlide, 0, 64);
}

}  // namespace tarvolin::sound
