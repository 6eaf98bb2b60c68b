// The MOD row handler: samples by number, notes by Amiga period.
#include <algorithm>

#include "sound/module_player.h"

namespace tarvolin::sound {

void ModulePlayer::modStartNote(Channel& c, int note) {
  if (c.vibratoWave < 4) c.vibratoPos = 0;
  if (c.tremoloWave < 4) c.tremoloPos = 0;
  MusicVoice& v = c.voice;
  const bool known = c.sample >= 0 && c.sample < static_cast<int>(module_->samples.size());
  const ModuleSample* s = known ? &module_->samples[c.sample] : nullptr;
  c.finetune = s ? s->finetune128(ModuleKind::Mod) : 0;
  c.note = note;
  c.period = periodOf(note, c.finetune);
  setBaseFromPeriod(c);
  v.slide = 0;
  if (s == nullptr || s->length == 0 || s->sixteenBit) {
    // Nothing to play: the note silences the channel.
    v.data8 = nullptr;
    v.data16 = nullptr;
    v.end = v.loopLength = 0;
    v.loopCount = 0;
    v.stop = true;
    v.restart = false;
    return;
  }
  if (s->loopLength > 2) {
    v.end = s->loopEnd();
    v.loopLength = s->loopLength;
    v.loopCount = -1;
  } else {
    v.end = v.loopLength = s->length;
    v.loopCount = 1;
  }
  v.loopType = 0;
  v.data8 = s->data8.data();
  v.data16 = nullptr;
  startVoice(c, 0);
}

void ModulePlayer::modRow(Channel& c, const PatternCell& cell, bool withEffect) {
  const int effect = cell.effect;
  if (withEffect) {
    if (effect != kEffectVibrato && effect != kEffectVibratoVolSlide) c.voice.slide = 0;
    if (effect != kEffectTremolo) c.voice.volumeOffset = 0;
  }
  const int s = cell.instrument;
  if (s > 0 && s <= static_cast<int>(module_->samples.size())) {
    c.sample = s - 1;
    c.voice.noteVolume = module_->samples[c.sample].volume;
  }
  if (cell.note > 0 && cell.note != kNoteKeyOff) {
    const bool tonePorta = withEffect && (effect == kEffectTonePorta || effect == kEffectTonePortaVolSlide);
    if (tonePorta) {
      const bool known = c.sample < static_cast<int>(module_->samples.size());
      c.finetune = known ? module_->samples[c.sample].finetune128(ModuleKind::Mod) : 0;
      c.targetPeriod = periodOf(cell.note, c.finetune);
    } else {
      modStartNote(c, cell.note);
    }
  }
  if (withEffect) effectTick0(c, effect, cell.parameter);
}

}  // namespace tarvolin::sound
