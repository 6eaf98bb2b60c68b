// A music module in memory (a MOD or an XM song) and the pitch arithmetic the
// module players share: the fine period table, note/period conversion, linear
// and Amiga frequencies, and the vibrato/tremolo waveforms.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/module_player.h"  // ModuleKind

namespace tarvolin::sound {

// Effect numbers as the players use them (XM numbering; 0..15 as MOD).
inline constexpr std::uint8_t kEffectArpeggio = 0x0;
inline constexpr std::uint8_t kEffectPortaUp = 0x1;
inline constexpr std::uint8_t kEffectPortaDown = 0x2;
inline constexpr std::uint8_t kEffectTonePorta = 0x3;
inline constexpr std::uint8_t kEffectVibrato = 0x4;
inline constexpr std::uint8_t kEffectTonePortaVolSlide = 0x5;
inline constexpr std::uint8_t kEffectVibratoVolSlide = 0x6;
inline constexpr std::uint8_t kEffectTremolo = 0x7;
inline constexpr std::uint8_t kEffectPan = 0x8;
inline constexpr std::uint8_t kEffectSampleOffset = 0x9;
inline constexpr std::uint8_t kEffectVolumeSlide = 0xA;
inline constexpr std::uint8_t kEffectPositionJump = 0xB;
inline constexpr std::uint8_t kEffectSetVolume = 0xC;
inline constexpr std::uint8_t kEffectPatternBreak = 0xD;
inline constexpr std::uint8_t kEffectExtended = 0xE;
inline constexpr std::uint8_t kEffectSpeed = 0xF;
inline constexpr std::uint8_t kEffectGlobalVolume = 16;       // G
inline constexpr std::uint8_t kEffectGlobalVolumeSlide = 17;  // H
inline constexpr std::uint8_t kEffectKeyOff = 20;             // K
inline constexpr std::uint8_t kEffectEnvelopePosition = 21;   // L
inline constexpr std::uint8_t kEffectPanSlide = 25;           // P
inline constexpr std::uint8_t kEffectMultiRetrigger = 27;     // R
// Marks "no effect" in the volume-effect slot of a cell.
inline constexpr std::uint8_t kNoEffect = 0xFF;

// Stored notes: 0 none; XM stores file notes + 12, so its key-off is 109.
inline constexpr std::uint8_t kNoteKeyOff = 109;

struct PatternCell {
  std::uint8_t note = 0;        // 0 none
  std::uint8_t instrument = 0;  // MOD: sample 1..31; XM: instrument 1..128; 0 none
  std::uint8_t volumeEffect = kNoEffect;  // XM volume column, converted
  std::uint8_t volumeParameter = 0;
  std::uint8_t effect = 0;
  std::uint8_t parameter = 0;

  bool operator==(const PatternCell&) const = default;
};

struct Pattern {
  int rows = 64;
  std::vector<PatternCell> cells;  // rows x channel count, row by row

  bool operator==(const Pattern&) const = default;
};

// One sample. Lengths and loop points are in sample frames; `data8` or
// `data16` (by `sixteenBit`) always holds exactly `length` frames, and the
// loop always lies inside the data.
struct ModuleSample {
  std::string name;
  std::uint32_t length = 0;
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;
  int volume = 64;          // 0..64
  int finetune = 0;         // MOD: -8..7 (1/8 semitone); XM: -128..127 (1/128 semitone)
  int loopType = 0;         // 0 none, 1 forward, 2 ping-pong (XM; MOD loops by length)
  bool sixteenBit = false;
  int panning = 128;        // XM 0..255
  int relativeNote = 0;     // XM, signed semitones
  std::vector<std::int8_t> data8;
  std::vector<std::int16_t> data16;

  std::uint32_t loopEnd() const { return loopStart + loopLength; }
  // Finetune in 1/128 semitone, whatever the format.
  int finetune128(ModuleKind kind) const { return kind == ModuleKind::Mod ? finetune * 16 : finetune; }
  bool operator==(const ModuleSample&) const = default;
};

struct Envelope {
  struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
  };
  std::array<Point, 12> points{};
  int count = 0;        // 0..12
  int sustain = 0;
  int loopStart = 0;
  int loopEnd = 0;
  int type = 0;         // bit 0 on, bit 1 sustain, bit 2 loop

  bool on() const { return (type & 1) != 0 && count > 0; }
  bool sustainOn() const { return (type & 2) != 0; }
  bool loopOn() const { return (type & 4) != 0; }
  bool operator==(const Envelope&) const = default;
};

struct Instrument {
  std::string name;
  std::array<std::uint8_t, 96> keymap{};  // note -> sample index in `samples`
  Envelope volumeEnvelope;
  Envelope panEnvelope;
  int fadeout = 0;
  int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;  // kept for saving
  std::vector<ModuleSample> samples;

  bool operator==(const Instrument&) const = default;
};

struct MusicModule {
  ModuleKind kind = ModuleKind::None;
  std::string title;
  std::string trackerName;         // XM
  int channelCount = 0;
  int songLength = 0;
  int restartPosition = 0;
  int initialSpeed = 6;
  int tempo = 125;
  bool linearFrequencies = false;  // XM flags bit 0
  std::vector<std::uint8_t> orders;   // 128 entries (MOD) or 256 (XM)
  std::vector<Pattern> patterns;
  std::vector<ModuleSample> samples;  // MOD: 31 samples
  std::vector<Instrument> instruments;  // XM

  // Pattern number at an order position (0 past the table).
  int patternAt(int order) const;
  // Last row index of a pattern (63 for a missing one).
  int lastRow(int pattern) const;
  // Cell of (pattern, row, channel); an empty cell when any is out of range.
  const PatternCell& cell(int pattern, int row, int channel) const;
  // How many order positions `PlayModule` accepts as a start (MOD: patterns).
  int orderLimit() const;
  bool empty() const { return kind == ModuleKind::None; }
  void clear() { *this = MusicModule(); }
};

// The 104-entry fine period table: eight fine steps per semitone.
const std::array<int, 104>& finePeriodTable();

// Period in quarter Amiga units of a stored note with a finetune in 1/128 semitone.
int amigaPeriod(int note, int finetune128);
// Linear-mode period (64 per semitone, at least 1).
int linearPeriod(int note, int finetune128);
// Frequency in Hz of a period in the given mode (0 for a period <= 0).
int amigaFrequency(int period);
int linearFrequency(int period);

// Amiga period (as stored in MOD cells) to stored note, and back (finetune 0).
int noteOfModPeriod(int period);
int modPeriodOfNote(int note);

// The 64-entry vibrato/tremolo waveforms; other waveform numbers give 0.
int waveformValue(int waveform, int position);

}  // namespace tarvolin::sound
