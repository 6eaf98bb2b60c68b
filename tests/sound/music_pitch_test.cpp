// Pitch arithmetic shared by the module players.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/module.h"

namespace tarvolin::sound {
namespace {

TEST(MusicPitch, PeriodTableAndMiddleC) {
  const auto& t = finePeriodTable();
  ASSERT_EQ(t.size(), 104u);
  EXPECT_EQ(t[0], 907);
  EXPECT_EQ(t[8], 856);  // C at finetune 0
  EXPECT_EQ(t[95], 457);
  EXPECT_EQ(t[103], 431);
  for (std::size_t i = 1; i < t.size(); ++i) EXPECT_LT(t[i], t[i - 1]) << i;

  // Stored note 61 is the C that plays a sample at its own 8363 Hz in both modes.
  EXPECT_EQ(amigaPeriod(61, 0), 1712);
  EXPECT_EQ(amigaFrequency(1712), 8363);
  EXPECT_EQ(linearPeriod(61, 0), 4608);
  EXPECT_EQ(linearFrequency(4608), 8363);
}

TEST(MusicPitch, OctavesAndFinetune) {
  for (int note = 13; note + 12 <= 108; note += 5) {
    // Linear mode: an octave is 768 period units and doubles the frequency.
    EXPECT_EQ(linearPeriod(note, 0) - linearPeriod(note + 12, 0), 768) << note;
    const double ratio = double(linearFrequency(linearPeriod(note + 12, 0))) /
                         linearFrequency(linearPeriod(note, 0));
    EXPECT_NEAR(ratio, 2.0, 0.01) << note;
    // Amiga mode: an octave halves the period.
    EXPECT_NEAR(double(amigaPeriod(note, 0)) / amigaPeriod(note + 12, 0), 2.0, 0.02) << note;
  }
  // A semitone is about 6% in both modes.
  EXPECT_NEAR(double(amigaFrequency(amigaPeriod(62, 0))) / amigaFrequency(amigaPeriod(61, 0)),
              std::pow(2.0, 1 / 12.0), 0.003);
  EXPECT_NEAR(double(linearFrequency(linearPeriod(62, 0))) / linearFrequency(linearPeriod(61, 0)),
              std::pow(2.0, 1 / 12.0), 0.003);
  // Finetune moves the pitch monotonically between the semitones around it.
  int previous = amigaPeriod(61, -128);
  for (int f = -120; f <= 127; f += 8) {
    const int p = amigaPeriod(61, f);
    EXPECT_LE(p, previous) << f;
    previous = p;
  }
  EXPECT_GT(amigaPeriod(61, -128), amigaPeriod(61, 0));
  EXPECT_LT(amigaPeriod(61, 127), amigaPeriod(61, 0));
  EXPECT_GE(amigaPeriod(61, 127), amigaPeriod(62, 0));
  EXPECT_LT(amigaPeriod(61, 127), amigaPeriod(61, 112));
  EXPECT_LT(linearPeriod(61, 64), linearPeriod(61, 0));
  // Extreme notes keep a usable period.
  EXPECT_GE(linearPeriod(119 + 60, 127), 1);
  EXPECT_EQ(linearFrequency(0), 0);
  EXPECT_EQ(amigaFrequency(0), 0);
}

TEST(MusicPitch, ModPeriodsMapToNotesAndBack) {
  EXPECT_EQ(noteOfModPeriod(0), 0);
  EXPECT_EQ(noteOfModPeriod(856), 49);
  EXPECT_EQ(noteOfModPeriod(428), 61);
  EXPECT_EQ(noteOfModPeriod(214), 73);
  EXPECT_EQ(noteOfModPeriod(4000), 37);  // below the lowest note
  EXPECT_EQ(noteOfModPeriod(1), 108);    // past the table
  // Periods a little off a note still find it.
  EXPECT_EQ(noteOfModPeriod(430), 61);
  EXPECT_EQ(noteOfModPeriod(426), 61);
  for (int note = 37; note <= 108; ++note) EXPECT_EQ(noteOfModPeriod(modPeriodOfNote(note)), note) << note;
  // The player's period of a read note is the period of the file, in quarters.
  EXPECT_EQ(amigaPeriod(noteOfModPeriod(856), 0), 856 * 4);
}

TEST(MusicPitch, Waveforms) {
  const int sine[] = {0, 12, 24, 36, 48, 59, 70};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(waveformValue(0, i), sine[i]) << i;
  EXPECT_EQ(waveformValue(0, 16), 127);
  EXPECT_EQ(waveformValue(0, 48), -127);
  EXPECT_EQ(waveformValue(4, 16), 127);
  EXPECT_EQ(waveformValue(1, 0), 0);
  EXPECT_EQ(waveformValue(1, 1), -4);
  EXPECT_EQ(waveformValue(1, 32), -128);
  EXPECT_EQ(waveformValue(1, 33), 124);
  EXPECT_EQ(waveformValue(5, 63), 4);
  EXPECT_EQ(waveformValue(2, 0), -127);
  EXPECT_EQ(waveformValue(2, 31), -127);
  EXPECT_EQ(waveformValue(6, 32), 127);
  EXPECT_EQ(waveformValue(3, 10), 0);
  EXPECT_EQ(waveformValue(9, 10), 0);
}

}  // namespace
}  // namespace tarvolin::sound
