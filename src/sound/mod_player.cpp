// The MOD row handler: samples by number, notes by Amiga period.
#include <algorithm>

#include "sound/music_player.h"

namespace tarvolin::sound {

void MusicPlayer::modStartNote(Channel& c, MixChannel& v, int note) {
  if (c.vibratoWave < 4) c.vibratoPos = 0;
  if (c.tremoloWave < 4) c.tremoloPos = 0;
  const bool known = c.sample >= 0 && c.sample < static_cast<int>(module_->samples.size());
  const ModuleSample* s = known ? &module_->samples[c.sample] : nullptr;
  c.finetune = s ? s->finetune128(ModuleKind::Mod) : 0;
  c.note = note;
  c.period = periodOf(note, c.finetune);
  setBaseFromPeriod(c, v);
  if (s == nullptr || s->length == 0) {
    silence(c, v);  // nothing to play: the note silences the channel
    return;
  }
  c.noteSample = s;
  attachNote(c, v, 0);
}

void MusicPlayer::modRow(Channel& c, MixChannel& v, const PatternCell& cell, bool withEffect) {
  const int effect = cell.effect;
  if (withEffect) {
    if (effect != kEffectVibrato && effect != kEffectVibratoVolSlide) v.slide = 0;
    if (effect != kEffectTremolo) v.volumeOffset = 0;
  }
  const int s = cell.instrument;
  if (s > 0 && s <= static_cast<int>(module_->samples.size())) {
    c.sample = s - 1;
    v.noteVolume = module_->samples[c.sample].volume;
  }
  if (cell.note > 0 && cell.note != kNoteKeyOff) {
    const bool tonePorta = withEffect && (effect == kEffectTonePorta || effect == kEffectTonePortaVolSlide);
    if (tonePorta && c.period > 0) {
      const bool known = c.sample < static_cast<int>(module_->samples.size());
      c.finetune = known ? module_->samples[c.sample].finetune128(ModuleKind::Mod) : 0;
      c.targetPeriod = periodOf(cell.note, c.finetune);
    } else {
      modStartNote(c, v, cell.note);
    }
  }
  if (withEffect) effectTick0(c, v, effect, cell.parameter);
}

}  // namespace tarvolin::sound
