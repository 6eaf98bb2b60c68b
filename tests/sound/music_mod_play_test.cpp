// The MOD row and tick handlers, seen through the voices the player sets.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "sound/music_builders.h"
#include "sound/music_harness.h"

namespace tarvolin::sound {
namespace {

using test::at;
using test::cellOf;
using test::makeMod;
using test::MusicHarness;

std::vector<std::pair<int, int>> rowsPlayed(const MusicModule& m, int count, int startOrder = 0) {
  MusicHarness h(m, startOrder);
  EXPECT_TRUE(h.started);
  return h.rows(count);
}

TEST(MusicModPlay, StartBindsChannelsWithDefaults) {
  MusicModule m = makeMod(8);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  EXPECT_EQ(p.mixer.samplesPerTick, 882);
  EXPECT_EQ(p.mixer.speed, 6);
  const int pans[] = {64, 128, 128, 64, 64, 128, 128, 64};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(p.voice(i).pan, pans[i]) << i;
    EXPECT_EQ(p.voice(i).volume, 64);
    EXPECT_EQ(p.voice(i).fadeOut, kFullFadeOut);
    EXPECT_EQ(p.voice(i).envelopeVolume, 64);
    EXPECT_EQ(p.voice(i).envelopePan, 32);
  }
  // More module channels than the mixer has free: the module does not start.
  MusicModule wide = makeMod(33);
  MusicHarness tooWide(wide);
  EXPECT_FALSE(tooWide.started);
  EXPECT_FALSE(tooWide.mixer.playing);
}

TEST(MusicModPlay, OneShotAndLoopingSamples) {
  MusicModule m = makeMod(4);
  m.samples[0].loopStart = 10;
  m.samples[0].loopLength = 2;  // 2 bytes: plays once
  m.samples[1] = m.samples[0];
  m.samples[1].loopStart = 100;
  m.samples[1].loopLength = 4;  // loops between 100 and 104
  m.samples[1].volume = 20;
  at(m, 0, 0, 0) = cellOf(61, 1);
  at(m, 0, 0, 1) = cellOf(49, 2);
  at(m, 0, 0, 2) = cellOf(61, 9);  // an empty sample silences the channel
  at(m, 0, 0, 3) = cellOf(61, 40);  // no such sample: the note keeps sample 1
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  EXPECT_TRUE(p.restarted(0));
  const MixChannel& once = p.voice(0);
  EXPECT_EQ(once.position, 0u);
  EXPECT_EQ(once.data8, p.player->song().samples[0].data8.data());
  EXPECT_EQ(once.loopCount, 1);
  EXPECT_EQ(once.end, 1000u);
  EXPECT_EQ(once.noteVolume, 64);
  EXPECT_EQ(once.base, 8363);
  const MixChannel& loop = p.voice(1);
  EXPECT_EQ(loop.loopCount, -1);
  EXPECT_EQ(loop.end, 104u);
  EXPECT_EQ(loop.loopLength, 4);
  EXPECT_EQ(loop.noteVolume, 20);
  EXPECT_NEAR(loop.base, 8363 / 2, 1);
  EXPECT_EQ(p.voice(2).loopCount, 0);
  EXPECT_FALSE(p.voice(2).attached());
  EXPECT_EQ(p.voice(3).data8, p.player->song().samples[0].data8.data());

  // Heard through the mixer: the one-shot sounds for its 1000 frames at
  // 8363 Hz (about 5273 output frames), the loop goes on.
  MusicModule heard = makeMod(4);
  heard.samples[1] = heard.samples[0];
  heard.samples[1].loopStart = 100;
  heard.samples[1].loopLength = 4;
  at(heard, 0, 0, 0) = cellOf(61, 1);
  MusicHarness once2(heard);
  at(heard, 0, 0, 0) = cellOf(61, 2);
  MusicHarness looped(heard);
  std::vector<std::uint8_t> out(2 * 22050);
  auto loudFrames = [&](Mixer& mixer) {
    mixer.Render(out.data(), 22050);
    int n = 0;
    for (int i = 0; i < 22050; ++i) n += out[2 * i] != 128;
    return n;
  };
  const int onceLoud = loudFrames(once2.mixer);
  EXPECT_GT(onceLoud, 5000);
  EXPECT_LT(onceLoud, 5273 + 200);
  EXPECT_GT(loudFrames(looped.mixer), 20000);
  EXPECT_EQ(loudFrames(once2.mixer), 0);
}

TEST(MusicModPlay, JumpsAndBreaksAtTheSongEdges) {
  MusicModule m = makeMod(2, 3);
  // Pattern break D00 on the last order goes back to order 0.
  at(m, 2, 0, 0) = cellOf(0, 0, 0xD, 0x00);
  auto rows = rowsPlayed(m, 2, 2);
  EXPECT_EQ(rows[0], std::make_pair(2, 0));
  EXPECT_EQ(rows[1], std::make_pair(0, 0));

  // A position jump beyond the song goes to the restart position.
  m = makeMod(2, 3);
  m.restartPosition = 1;
  at(m, 0, 3, 1) = cellOf(0, 0, 0xB, 0x09);
  rows = rowsPlayed(m, 5);
  EXPECT_EQ(rows[3], std::make_pair(0, 3));
  EXPECT_EQ(rows[4], std::make_pair(1, 0));

  // Jump then break in one row: the break's row in the jump's order.
  m = makeMod(2, 3);
  at(m, 0, 0, 0) = cellOf(0, 0, 0xB, 0x02);
  at(m, 0, 0, 1) = cellOf(0, 0, 0xD, 0x12);
  rows = rowsPlayed(m, 2);
  EXPECT_EQ(rows[1], std::make_pair(2, 12));
  // Break then jump: the same.
  std::swap(at(m, 0, 0, 0), at(m, 0, 0, 1));
  rows = rowsPlayed(m, 2);
  EXPECT_EQ(rows[1], std::make_pair(2, 12));

  // A break to a row past the pattern starts the next pattern at row 0;
  // the last row of the last order wraps to order 0.
  m = makeMod(2, 2);
  at(m, 0, 0, 0) = cellOf(0, 0, 0xD, 0x70);
  rows = rowsPlayed(m, 66);
  EXPECT_EQ(rows[1], std::make_pair(1, 0));
  EXPECT_EQ(rows[64], std::make_pair(1, 63));
  EXPECT_EQ(rows[65], std::make_pair(0, 0));
}

TEST(MusicModPlay, SpeedAndTempo) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(0, 0, 0xF, 0x1F);
  at(m, 0, 1, 0) = cellOf(0, 0, 0xF, 0x20);
  at(m, 0, 2, 0) = cellOf(0, 0, 0xF, 0x00);
  at(m, 0, 3, 0) = cellOf(0, 0, 0xF, 0xFF);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  EXPECT_EQ(p.mixer.speed, 31);
  EXPECT_EQ(p.mixer.samplesPerTick, 882);
  for (int i = 0; i < 30; ++i) {
    p.tick();
    EXPECT_EQ(p.mixer.playingRow, 0);
  }
  p.tick();
  EXPECT_EQ(p.mixer.playingRow, 1);
  EXPECT_EQ(p.mixer.samplesPerTick, 3445);
  EXPECT_EQ(p.mixer.speed, 31);
  for (int i = 0; i < 31; ++i) p.tick();
  EXPECT_EQ(p.mixer.playingRow, 2);
  EXPECT_EQ(p.mixer.samplesPerTick, 3445);  // F00 changes nothing
  for (int i = 0; i < 31; ++i) p.tick();
  EXPECT_EQ(p.mixer.samplesPerTick, 220500 / 510);
}

TEST(MusicModPlay, PatternLoopAndPatternDelay) {
  MusicModule m = makeMod(1);
  at(m, 0, 1, 0) = cellOf(0, 0, 0xE, 0x60);
  at(m, 0, 3, 0) = cellOf(0, 0, 0xE, 0x62);
  const auto rows = rowsPlayed(m, 12);
  const int expected[] = {0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rows[i].second, expected[i]) << i;

  // EE2 holds the next row back by two rows' worth of ticks, while the
  // row's tick effects go on.
  m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0xE, 0xE2);
  at(m, 0, 1, 0) = cellOf(0, 0, 0xA, 0x01);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  int ticks = 0;
  while (p.mixer.playingRow == 0 && ticks < 100) {
    p.tick();
    ++ticks;
  }
  EXPECT_EQ(ticks, 18);
}

TEST(MusicModPlay, TonePortamentoSlidesToTheTargetAndStops) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1);
  at(m, 0, 1, 0) = cellOf(73, 0, 0x3, 0x40);
  for (int r = 2; r < 10; ++r) at(m, 0, r, 0) = cellOf(0, 0, 0x3, 0x00);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  for (int i = 0; i < 7; ++i) p.tick();  // row 1, tick 0
  EXPECT_EQ(p.channel(0).period, 1712);
  EXPECT_EQ(p.channel(0).targetPeriod, 856);
  EXPECT_EQ(p.voice(0).base, 8363);
  p.tick();
  EXPECT_EQ(p.channel(0).period, 1712 - 256);
  EXPECT_EQ(p.voice(0).base, 14317456 / (1712 - 256));
  for (int i = 0; i < 30; ++i) p.tick();
  EXPECT_EQ(p.channel(0).period, 856);  // reached, not passed
  EXPECT_EQ(p.voice(0).base, 16726);
  // The note of a tone portamento did not restart the sample.
  EXPECT_EQ(p.channel(0).note, 61);
}

TEST(MusicModPlay, PortamentoUpDownAndFineSlides) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0x1, 0x02);
  at(m, 0, 1, 0) = cellOf(0, 0, 0x2, 0x00);  // down with the remembered 2
  at(m, 0, 2, 0) = cellOf(0, 0, 0xE, 0x13);
  at(m, 0, 3, 0) = cellOf(0, 0, 0xE, 0x25);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  for (int i = 0; i < 6; ++i) p.tick();
  EXPECT_EQ(p.channel(0).period, 1712 - 5 * 8);
  for (int i = 0; i < 6; ++i) p.tick();
  EXPECT_EQ(p.channel(0).period, 1712);
  p.tick();
  EXPECT_EQ(p.channel(0).period, 1712 - 12);
  for (int i = 0; i < 6; ++i) p.tick();
  EXPECT_EQ(p.channel(0).period, 1712 + 8);
  EXPECT_EQ(p.voice(0).base, 14317456 / 1720);
}

TEST(MusicModPlay, VibratoTremoloAndWaveformPositions) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0x4, 0x48);
  at(m, 0, 1, 0) = cellOf(0, 0, 0x4, 0x00);
  at(m, 0, 2, 0) = cellOf(0, 0, 0x0, 0x00);
  at(m, 0, 3, 0) = cellOf(0, 0, 0x7, 0x4F);
  at(m, 0, 4, 0) = cellOf(61, 1, 0xE, 0x42);  // square vibrato from now on
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  p.tick();  // position 0: no bend
  EXPECT_EQ(p.voice(0).slide, 0);
  p.tick();  // position 4: sine 48, depth 8 -> period + 24
  EXPECT_EQ(p.voice(0).slide, 14317456 / (1712 + 24) - 8363);
  for (int i = 0; i < 4; ++i) p.tick();
  EXPECT_EQ(p.channel(0).vibratoPos, 20);
  for (int i = 0; i < 5; ++i) p.tick();  // row 1 keeps speed and depth
  EXPECT_EQ(p.channel(0).vibratoPos, 40);
  EXPECT_GT(p.voice(0).slide, 0);  // position 36: the sine is negative, the pitch higher
  p.tick();  // row 2 without vibrato: the bend is gone
  EXPECT_EQ(p.mixer.playingRow, 2);
  EXPECT_EQ(p.voice(0).slide, 0);
  for (int i = 0; i < 6; ++i) p.tick();  // row 3: tremolo, position 0 at tick 1
  EXPECT_EQ(p.mixer.playingRow, 3);
  p.tick();
  EXPECT_EQ(p.voice(0).volumeOffset, 0);
  p.tick();
  EXPECT_EQ(p.voice(0).volumeOffset, (15 * 48) >> 6);
  for (int i = 0; i < 4; ++i) p.tick();  // row 4: a new note clears the offset
  EXPECT_EQ(p.mixer.playingRow, 4);
  EXPECT_EQ(p.voice(0).volumeOffset, 0);
  EXPECT_EQ(p.channel(0).vibratoWave, 2);
}

TEST(MusicModPlay, Arpeggio) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0x0, 0x47);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  EXPECT_EQ(p.voice(0).slide, 0);
  const double base = p.voice(0).base;
  p.tick();
  EXPECT_NEAR((base + p.voice(0).slide) / base, std::pow(2.0, 4 / 12.0), 0.003);
  p.tick();
  EXPECT_NEAR((base + p.voice(0).slide) / base, std::pow(2.0, 7 / 12.0), 0.005);
  p.tick();
  EXPECT_EQ(p.voice(0).slide, 0);
}

TEST(MusicModPlay, EmptyCellsDoNotUndoAPortamento) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0x1, 0x10);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  for (int i = 0; i < 6; ++i) p.tick();
  const int slid = p.voice(0).base;
  EXPECT_GT(slid, 8363);
  for (int i = 0; i < 6; ++i) {
    p.tick();  // row 1 is empty (effect 000)
    EXPECT_EQ(p.voice(0).slide, 0);
    EXPECT_EQ(p.voice(0).base, slid);
  }
}

TEST(MusicModPlay, VolumeEffects) {
  MusicModule m = makeMod(1);
  at(m, 0, 0, 0) = cellOf(61, 1, 0xA, 0x04);
  at(m, 0, 1, 0) = cellOf(0, 0, 0xA, 0x00);  // A00 keeps sliding with the last value
  at(m, 0, 2, 0) = cellOf(0, 0, 0xA, 0xF0);
  at(m, 0, 3, 0) = cellOf(0, 0, 0xC, 0x70);
  at(m, 0, 4, 0) = cellOf(0, 0, 0xE, 0xB9);
  at(m, 0, 5, 0) = cellOf(0, 0, 0xE, 0xA5);
  at(m, 0, 6, 0) = cellOf(0, 0, 0xE, 0xC2);
  at(m, 0, 7, 0) = cellOf(0, 1, 0x5, 0x02);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  auto row = [&] { for (int i = 0; i < 6; ++i) p.tick(); };
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 64 - 20);
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 64 - 40);
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 64);  // clamped
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 64);  // C70 is at most 64
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 55);
  row();
  EXPECT_EQ(p.voice(0).noteVolume, 60);
  p.tick();
  p.tick();
  EXPECT_EQ(p.voice(0).noteVolume, 60);
  p.tick();  // EC2: cut at tick 2
  EXPECT_EQ(p.voice(0).noteVolume, 0);
  for (int i = 0; i < 4; ++i) p.tick();  // row 7: sample number resets the volume
  EXPECT_EQ(p.voice(0).noteVolume, 64);
  for (int i = 0; i < 5; ++i) p.tick();
  EXPECT_EQ(p.voice(0).noteVolume, 64 - 10);
}

TEST(MusicModPlay, OffsetRetriggerDelayAndPan) {
  MusicModule m = makeMod(2);
  at(m, 0, 0, 0) = cellOf(61, 1, 0x9, 0x02);
  at(m, 0, 0, 1) = cellOf(61, 1, 0xE, 0xD3);
  at(m, 0, 1, 0) = cellOf(0, 0, 0xE, 0x92);
  at(m, 0, 1, 1) = cellOf(0, 0, 0x8, 0xC0);
  at(m, 0, 2, 1) = cellOf(0, 0, 0xE, 0x83);
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  p.tick();
  EXPECT_TRUE(p.restarted(0));
  EXPECT_EQ(p.voice(0).position, 512u);
  EXPECT_FALSE(p.restarted(1));  // delayed note
  p.tick();
  p.tick();
  EXPECT_FALSE(p.restarted(1));
  p.tick();
  EXPECT_TRUE(p.restarted(1));
  EXPECT_EQ(p.voice(1).base, 8363);
  p.tick();
  p.tick();
  p.voice(0).position = 700;
  p.tick();  // row 1: E92
  EXPECT_FALSE(p.restarted(0));
  EXPECT_EQ(p.voice(1).pan, 0xC0);
  p.tick();
  EXPECT_FALSE(p.restarted(0));
  p.tick();
  EXPECT_TRUE(p.restarted(0));
  EXPECT_EQ(p.voice(0).position, 0u);
  for (int i = 0; i < 4; ++i) p.tick();
  EXPECT_EQ(p.voice(1).pan, 3 * 17);
}

TEST(MusicModPlay, BadCellsAndOrdersDoNotBreakPlaying) {
  MusicModule m = makeMod(3, 2);
  m.orders[1] = 250;  // no such pattern
  m.songLength = 128;
  at(m, 0, 0, 0) = cellOf(200, 255, 0xE, 0x6F);
  at(m, 0, 0, 1) = cellOf(1, 31, 0x9, 0xFF);  // empty sample, offset past the end
  at(m, 0, 1, 2) = cellOf(0, 0, 0xB, 0xFF);
  at(m, 0, 2, 2) = cellOf(0, 0, 0xD, 0x99);
  m.patterns[0].cells.resize(10);  // a pattern shorter than it claims
  MusicHarness p(m);
  ASSERT_TRUE(p.started);
  for (int i = 0; i < 20000; ++i) p.tick();
  SUCCEED();
}

}  // namespace
}  // namespace tarvolin::sound

namespace tarvolin::sound {
namespace {

TEST(MusicModPlay, GlissandoAndPortamentoEdgeCases) {
  MusicModule m = makeMod(3);
  // E31 then 3xx: the whole row's slide happens at tick 0.
  at(m, 0, 0, 0) = cellOf(61, 1, 0xE, 0x31);
  at(m, 0, 1, 0) = cellOf(73, 0, 0x3, 0x10);
  // 5xy with a note slides to it too, sliding the volume as it goes.
  at(m, 0, 0, 1) = cellOf(61, 1, 0x3, 0x04);  // nothing playing: starts the note, speed 4
  at(m, 0, 1, 1) = cellOf(73, 0, 0x5, 0x01);
  // A tone portamento with nothing playing starts the note.
  at(m, 0, 1, 2) = cellOf(61, 1, 0x3, 0x10);
  MusicHarness p(m);
  p.ticks(7);
  EXPECT_EQ(p.channel(0).period, 1712 - 6 * 64);
  EXPECT_EQ(p.channel(1).period, 1712);
  EXPECT_EQ(p.channel(1).targetPeriod, 856);
  EXPECT_EQ(p.channel(2).period, 1712);
  EXPECT_EQ(p.voice(2).base, 8363);
  p.ticks(5);
  EXPECT_EQ(p.channel(1).period, 1712 - 5 * 16);
  EXPECT_EQ(p.voice(1).noteVolume, 64 - 5);
}

TEST(MusicModPlay, NoteDelayOfZeroAndSongLoops) {
  MusicModule m = makeMod(1, 2);
  at(m, 0, 0, 0) = cellOf(61, 1, 0xE, 0xD0);
  at(m, 0, 2, 0) = cellOf(0, 0, 0xE, 0x60);
  at(m, 0, 3, 0) = cellOf(0, 0, 0xE, 0x61);  // a pattern loop is not a song loop
  at(m, 1, 0, 0) = cellOf(0, 0, 0xD, 0x00);  // back to order 0
  MusicHarness p(m);
  p.tick();
  EXPECT_TRUE(p.restarted(0));  // ED0 plays at once
  p.rows(4);
  EXPECT_EQ(p.player->timesLooped(), 0);
  const auto rows = p.rows(62);
  EXPECT_EQ(rows.back(), std::make_pair(1, 0));
  EXPECT_EQ(p.player->timesLooped(), 0);
  p.rows(1);
  EXPECT_EQ(p.player->timesLooped(), 1);
}

}  // namespace
}  // namespace tarvolin::sound
