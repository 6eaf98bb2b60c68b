#include "sound/module.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarvolin::sound {

namespace {

constexpr std::array<int, 104> kFinePeriods = {
    907, 900, 894, 887, 881, 875, 868, 862, 856, 850, 844, 838, 832, 826, 820, 814,
    808, 802, 796, 791, 785, 779, 774, 768, 762, 757, 752, 746, 741, 736, 730, 725,
    720, 715, 709, 704, 699, 694, 689, 684, 678, 675, 670, 665, 660, 655, 651, 646,
    640, 636, 632, 628, 623, 619, 614, 610, 604, 601, 597, 592, 588, 584, 580, 575,
    570, 567, 563, 559, 555, 551, 547, 543, 538, 535, 532, 528, 524, 520, 516, 513,
    508, 505, 502, 498, 494, 491, 487, 484, 480, 477, 474, 470, 467, 463, 460, 457,
    453, 450, 447, 443, 440, 437, 434, 431};

// Stored notes that MOD cells can express: C-0 (Amiga period 1712) upwards.
constexpr int kFirstModNote = 37;
constexpr int kLastModNote = 108;

struct Tables {
  std::array<int, 768> linear{};  // 535232 * 2^(-i/768)
  std::array<std::array<int, 64>, 3> waves{};
  std::array<int, kLastModNote - kFirstModNote + 1> modPeriods{};
  std::array<std::uint8_t, 4096> noteOfPeriod{};  // MOD cells hold 12-bit periods

  Tables() {
    for (int i = 0; i < 768; ++i)
      linear[i] = static_cast<int>(std::lround(535232.0 * std::pow(2.0, -i / 768.0)));
    for (int p = 0; p < 64; ++p) {
      waves[0][p] = static_cast<int>(127.0 * std::sin(2.0 * M_PI * p / 64.0));  // truncates
      waves[1][p] = p <= 32 ? -4 * p : 256 - 4 * p;
      waves[2][p] = p < 32 ? -127 : 127;
    }
    for (int n = kFirstModNote; n <= kLastModNote; ++n)
      modPeriods[n - kFirstModNote] = amigaPeriod(n, 0) / 4;
    for (int p = 1; p < 4096; ++p) noteOfPeriod[p] = static_cast<std::uint8_t>(nearestNote(p));
  }

  // Walks the note periods for the first no greater than `period`; the note
  // before it when that one is nearer.
  int nearestNote(int period) const {
    for (std::size_t i = 1; i < modPeriods.size(); ++i) {
      if (modPeriods[i] <= period) {
        const bool previousNearer = modPeriods[i - 1] - period < period - modPeriods[i];
        return kFirstModNote + static_cast<int>(i) - (previousNearer ? 1 : 0);
      }
    }
    return kLastModNote;
  }
};

const Tables& tables() {
  static const Tables t;  // immutable once built
  return t;
}

const PatternCell kEmptyCell{};

}  // namespace

int MusicModule::patternAt(int order) const {
  if (order < 0 || order >= static_cast<int>(orders.size())) return 0;
  return orders[order];
}

int MusicModule::lastRow(int pattern) const {
  if (pattern < 0 || pattern >= static_cast<int>(patterns.size())) return 63;
  return patterns[pattern].rows - 1;
}

const PatternCell& MusicModule::cell(int pattern, int row, int channel) const {
  if (pattern < 0 || pattern >= static_cast<int>(patterns.size())) return kEmptyCell;
  const Pattern& p = patterns[pattern];
  if (row < 0 || row >= p.rows || channel < 0 || channel >= channelCount) return kEmptyCell;
  const std::size_t index = static_cast<std::size_t>(row) * channelCount + channel;
  return index < p.cells.size() ? p.cells[index] : kEmptyCell;
}

int MusicModule::orderLimit() const {
  if (kind == ModuleKind::Mod) return static_cast<int>(patterns.size());
  return songLength;
}

const std::array<int, 104>& finePeriodTable() { return kFinePeriods; }

int amigaPeriod(int note, int finetune128) {
  const int k = note < 13 ? 0 : note - 13;
  const int f = finetune128;
  const int i = std::clamp((k % 12) * 8 + 8 + f / 16, 0, 103);
  const int j = std::clamp((k % 12) * 8 + 9 + f / 16 - (f < 0 ? 2 : 0), 0, 103);
  const int w = std::abs(f) % 16;
  const int shift = std::min(k / 12, 30);
  return ((kFinePeriods[j] * w + kFinePeriods[i] * (16 - w)) * 2) >> shift;
}

int linearPeriod(int note, int finetune128) {
  return std::max(1, 8512 - 64 * std::max(note, 13) - finetune128 / 2);
}

int amigaFrequency(int period) { return period > 0 ? 14317456 / period : 0; }

int linearFrequency(int period) {
  if (period <= 0) return 0;
  const int octave = period / 768;
  return octave >= 31 ? 0 : tables().linear[period % 768] >> octave;
}

int noteOfModPeriod(int period) {
  if (period <= 0) return 0;
  if (period < 4096) return tables().noteOfPeriod[period];
  return tables().nearestNote(period);
}

int modPeriodOfNote(int note) {
  if (note <= 0) return 0;
  const int n = std::clamp(note, kFirstModNote, kLastModNote);
  return tables().modPeriods[n - kFirstModNote];
}

int waveformValue(int waveform, int position) {
  const int p = position & 63;
  switch (waveform) {
    case 0: case 4: return tables().waves[0][p];
    case 1: case 5: return tables().waves[1][p];
    case 2: case 6: return tables().waves[2][p];
    default: return 0;
  }
}

}  // namespace tarvolin::sound
