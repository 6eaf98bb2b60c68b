// The XM row handler, key-off and the volume and panning envelopes.
#include <algorithm>

#include "sound/music_player.h"

namespace tarvolin::sound {

namespace {

bool isRealNote(int note) { return note >= 13 && note <= 108; }

// One step of an envelope; returns its value (0..64).
int stepEnvelope(const Envelope& env, int& tick, int& index, bool released) {
  const int n = std::clamp(env.count, 1, 12);
  const auto& pt = env.points;
  if (env.sustainOn() && !released && index >= env.sustain) {
    index = std::min(env.sustain, n - 1);
    tick = pt[index].x;
  }
  if (env.loopOn() && index == env.loopEnd) {
    index = std::min(env.loopStart, n - 1);
    tick = pt[index].x;
  }
  tick = std::clamp(tick, 0, pt[n - 1].x);
  int i = 0;
  while (i + 1 < n && pt[i + 1].x <= tick) ++i;
  index = i;
  int value = pt[n - 1].y;
  if (tick < pt[n - 1].x && i < n - 1) {
    const int x0 = pt[i].x, x1 = pt[i + 1].x, y0 = pt[i].y, y1 = pt[i + 1].y;
    if (tick == x0) {
      // On a point: the first of the points that share its x gives the value.
      int first = i;
      while (first > 0 && pt[first - 1].x == x0) --first;
      value = pt[first].y;
    } else {
      // Points sharing an x are not interpolated.
      value = x1 <= x0 ? y0 : y0 + (tick - x0) * (((y1 - y0) << 10) / (x1 - x0)) / 1024;
    }
  }
  ++tick;
  return std::clamp(value, 0, 64);
}

}  // namespace

void MusicPlayer::xmKeyOff(Channel& c, MixChannel& v) {
  if (c.instrument <= 0 || c.instrument > static_cast<int>(module_->instruments.size())) {
    v.noteVolume = 0;
    return;
  }
  const Instrument& ins = module_->instruments[c.instrument - 1];
  if (ins.volumeEnvelope.on())
    c.keyReleased = true;
  else
    v.noteVolume = 0;
  if (ins.panEnvelope.on()) c.envelopeActive = true;
}

void MusicPlayer::xmStartNote(Channel& c, MixChannel& v, const ModuleSample& s, int note) {
  if (c.vibratoWave < 4) c.vibratoPos = 0;
  if (c.tremoloWave < 4) c.tremoloPos = 0;
  c.note = std::clamp(note, 1, 119);
  c.finetune = s.finetune;
  c.period = periodOf(c.note, c.finetune);
  setBaseFromPeriod(c, v);
  if (s.length == 0) {
    silence(c, v);
    return;
  }
  c.noteSample = &s;
  attachNote(c, v, 0);
}

void MusicPlayer::xmRow(Channel& c, MixChannel& v, const PatternCell& cell, bool withEffect) {
  const int instruments = static_cast<int>(module_->instruments.size());
  const int i = cell.instrument;
  const int note = cell.note;
  bool ignore = false;
  if (i > instruments) {
    v.noteVolume = 0;
    ignore = true;
  } else if (i != 0) {
    c.pendingInstrument = i;
    if (isRealNote(note)) c.instrument = i;
  }
  if (withEffect) {
    const bool vibrato = cell.effect == kEffectVibrato || cell.effect == kEffectVibratoVolSlide ||
                         cell.volumeEffect == kEffectVibrato;
    if (!vibrato) v.slide = 0;
    if (cell.effect != kEffectTremolo) v.volumeOffset = 0;
  }
  if (!ignore && c.instrument > 0 && note != 0) {
    const Instrument& ins = module_->instruments[c.instrument - 1];
    if (note == kNoteKeyOff) {
      xmKeyOff(c, v);
    } else if (isRealNote(note)) {
      const int index = ins.keymap[note - 13];
      if (index < static_cast<int>(ins.samples.size())) {
        const ModuleSample& s = ins.samples[index];
        const bool tonePorta = withEffect && (cell.effect == kEffectTonePorta ||
                                              cell.effect == kEffectTonePortaVolSlide ||
                                              cell.volumeEffect == kEffectTonePorta);
        if (tonePorta && c.period > 0) {
          c.targetPeriod = periodOf(std::clamp(note + s.relativeNote, 1, 119), s.finetune);
        } else {
          c.xmSample = &s;
          xmStartNote(c, v, s, note + s.relativeNote);
        }
      }
    }
  }
  if (!ignore && i != 0) {
    if (c.xmSample != nullptr) {
      v.noteVolume = c.xmSample->volume;
      v.pan = c.xmSample->panning;
    }
    c.volumeEnvTick = c.volumeEnvIndex = c.panEnvTick = c.panEnvIndex = 0;
    v.fadeOut = kFullFadeOut;
    v.envelopeVolume = 64;
    v.envelopePan = 32;
    c.keyReleased = false;
    c.envelopeActive = false;
  }
  if (withEffect) {
    if (cell.volumeEffect != kNoEffect) effectTick0(c, v, cell.volumeEffect, cell.volumeParameter);
    effectTick0(c, v, cell.effect, cell.parameter);
  }
}

void MusicPlayer::StepEnvelopes(Mixer& mixer) {
  if (!isXm()) return;
  mixer_ = &mixer;
  const int count = std::min(module_->channelCount, kMixChannels);
  const int instruments = static_cast<int>(module_->instruments.size());
  for (int ch = 0; ch < count; ++ch) {
    Channel& c = channels_[ch];
    if (c.instrument <= 0 || c.instrument > instruments) continue;
    MixChannel* v = bound(mixer, ch);
    if (v == nullptr) continue;
    const Instrument& ins = module_->instruments[c.instrument - 1];
    if (ins.volumeEnvelope.on()) {
      if (c.keyReleased) v->fadeOut = std::max(0, v->fadeOut - ins.fadeout);
      v->envelopeVolume = stepEnvelope(ins.volumeEnvelope, c.volumeEnvTick, c.volumeEnvIndex, c.keyReleased);
    }
    if (ins.panEnvelope.on())
      v->envelopePan = stepEnvelope(ins.panEnvelope, c.panEnvTick, c.panEnvIndex, c.keyReleased);
  }
}

}  // namespace tarvolin::sound
