// The seam between the mixer and the music players. A loaded MOD or XM song
// implements ModulePlayer; the mixer owns the timing (ticks, rows, orders,
// pattern delay) and calls the player's row and tick handlers, which drive the
// MixChannels bound to the song's channels (owner = module channel number).
#pragma once

#include <memory>

namespace tarvolin::sound {

class Mixer;

enum class ModuleKind { None, Mod, Xm };

class ModulePlayer {
 public:
  virtual ~ModulePlayer() = default;

  // A copy for another mixer (the music editor keeps its own).
  virtual std::unique_ptr<ModulePlayer> Clone() const = 0;

  virtual ModuleKind Kind() const = 0;
  virtual int ChannelCount() const = 0;
  virtual int SongLength() const = 0;
  virtual int RestartPosition() const = 0;
  virtual int InitialSpeed() const = 0;
  virtual int Tempo() const = 0;
  // Start orders below this are accepted by PlayModule (MOD: pattern count).
  virtual int OrderLimit() const = 0;
  // The last row index of the pattern at an order position (MOD: 63).
  virtual int LastRow(int orderPosition) const = 0;

  // Called when the song starts, before the first row: clear per-channel
  // effect memory.
  virtual void Restart(Mixer& /*mixer*/) {}
  // Plays the row the mixer recorded (Mixer::playingRow, playingOrder).
  virtual void PlayRow(Mixer& mixer) = 0;
  // Per-tick effects, on ticks 1..speed-1 of a row (Mixer::tickCounter).
  virtual void PlayTick(Mixer& mixer) = 0;
  // Volume and panning envelopes, after every tick (XM only).
  virtual void StepEnvelopes(Mixer& /*mixer*/) {}
};

}  // namespace tarvolin::sound
