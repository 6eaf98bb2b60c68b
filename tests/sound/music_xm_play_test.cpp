// The XM row handler, its own effects, envelopes, key-off and fade-out, and
// both frequency modes, seen on the mixer channels the player drives.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/music_builders.h"
#include "sound/music_harness.h"

namespace tarvolin::sound {
namespace {

using test::at;
using test::cellOf;
using test::makeXm;
using test::MusicHarness;

constexpr int kKeyOff = kNoteKeyOff;

PatternCell withColumn(PatternCell c, int effect, int parameter) {
  c.volumeEffect = static_cast<std::uint8_t>(effect);
  c.volumeParameter = static_cast<std::uint8_t>(parameter);
  return c;
}

TEST(MusicXmPlay, LinearAndAmigaOctaves) {
  for (bool linearMode : {true, false}) {
    MusicModule m = makeXm(2);
    m.linearFrequencies = linearMode;
    at(m, 0, 0, 0) = cellOf(61, 1);
    at(m, 0, 0, 1) = cellOf(73, 1);
    at(m, 0, 1, 0) = cellOf(49, 1);
    MusicHarness h(m);
    ASSERT_TRUE(h.started);
    h.tick();
    const int low = h.voice(0).base, high = h.voice(1).base;
    EXPECT_EQ(low, 8363) << linearMode;
    EXPECT_NEAR(double(high) / low, 2.0, 0.002) << linearMode;
    if (linearMode) {
      EXPECT_EQ(h.channel(0).period - h.channel(1).period, 768);
    }
    h.ticks(6);
    EXPECT_NEAR(double(low) / h.voice(0).base, 2.0, 0.002) << linearMode;
  }
}

TEST(MusicXmPlay, SampleFieldsReachTheChannel) {
  MusicModule m = makeXm(2, 1, true);
  ModuleSample& s = m.instruments[0].samples[0];
  s.relativeNote = -12;
  s.panning = 200;
  s.volume = 33;
  ModuleSample ping = s;
  ping.loopType = 2;
  ping.relativeNote = 12;
  ping.finetune = 64;  // half a semitone up
  m.instruments[0].samples.push_back(ping);
  for (int k = 60; k < 96; ++k) m.instruments[0].keymap[k] = 1;
  at(m, 0, 0, 0) = cellOf(61, 1);
  at(m, 0, 0, 1) = cellOf(61 + 36, 1);  // keymap -> the ping-pong sample
  MusicHarness h(m);
  h.tick();
  const MixChannel& a = h.voice(0);
  EXPECT_EQ(a.data16, h.player->song().instruments[0].samples[0].data16.data());
  EXPECT_EQ(a.data8, nullptr);
  EXPECT_EQ(a.base, 8363 / 2);
  EXPECT_EQ(a.pan, 200);
  EXPECT_EQ(a.noteVolume, 33);
  EXPECT_EQ(a.loopCount, -1);
  EXPECT_EQ(a.loopType, 0);
  EXPECT_EQ(a.end, 1500u);
  EXPECT_EQ(a.loopLength, 1000);
  const MixChannel& b = h.voice(1);
  EXPECT_EQ(b.loopType, 1);
  EXPECT_NEAR(double(b.base) / 8363, std::pow(2.0, 4 + 0.5 / 12), 0.05);
}

TEST(MusicXmPlay, VolumeEnvelopeSustainKeyOffAndFadeOut) {
  MusicModule m = makeXm(1);
  Instrument& ins = m.instruments[0];
  ins.volumeEnvelope.count = 3;
  ins.volumeEnvelope.points[0] = {0, 64};
  ins.volumeEnvelope.points[1] = {4, 32};
  ins.volumeEnvelope.points[2] = {8, 0};
  ins.volumeEnvelope.sustain = 1;
  ins.volumeEnvelope.type = 3;  // on, sustain
  ins.fadeout = 4000;
  at(m, 0, 0, 0) = cellOf(61, 1);
  at(m, 0, 4, 0) = cellOf(kKeyOff, 0);
  MusicHarness h(m);
  std::vector<int> values;
  for (int i = 0; i < 6; ++i) {
    h.tick();
    values.push_back(h.voice(0).envelopeVolume);
  }
  EXPECT_EQ(values, (std::vector<int>{64, 56, 48, 40, 32, 32}));
  h.ticks(18);  // held at the sustain point until the key-off row
  EXPECT_EQ(h.voice(0).envelopeVolume, 32);
  EXPECT_EQ(h.voice(0).fadeOut, kFullFadeOut);
  EXPECT_FALSE(h.channel(0).keyReleased);
  h.tick();  // row 4: key-off
  EXPECT_TRUE(h.channel(0).keyReleased);
  EXPECT_EQ(h.voice(0).fadeOut, kFullFadeOut - 4000);
  EXPECT_EQ(h.voice(0).noteVolume, 48);  // a key-off with an envelope keeps the volume
  EXPECT_EQ(h.voice(0).envelopeVolume, 24);  // released: the envelope goes on
  std::vector<int> after;
  for (int i = 0; i < 8; ++i) {
    h.tick();
    after.push_back(h.voice(0).envelopeVolume);
  }
  EXPECT_EQ(after.front(), 16);
  EXPECT_EQ(after.back(), 0);
  EXPECT_EQ(h.voice(0).fadeOut, 0);  // 29128 runs out after 8 ticks of 4000

  // A new instrument in a cell sets the envelope and fade-out back.
  at(m, 0, 6, 0) = cellOf(61, 1);
  MusicHarness again(m);
  again.ticks(6 * 6 + 1);
  EXPECT_EQ(again.voice(0).fadeOut, kFullFadeOut);
  EXPECT_EQ(again.voice(0).envelopeVolume, 64);
  EXPECT_FALSE(again.channel(0).keyReleased);
}

TEST(MusicXmPlay, EnvelopeLoopsAndPanning) {
  MusicModule m = makeXm(1);
  Instrument& ins = m.instruments[0];
  ins.volumeEnvelope.count = 3;
  ins.volumeEnvelope.points[0] = {0, 0};
  ins.volumeEnvelope.points[1] = {4, 64};
  ins.volumeEnvelope.points[2] = {8, 0};
  ins.volumeEnvelope.loopStart = 0;
  ins.volumeEnvelope.loopEnd = 2;
  ins.volumeEnvelope.type = 5;  // on, loop
  ins.panEnvelope.count = 2;
  ins.panEnvelope.points[0] = {0, 0};
  ins.panEnvelope.points[1] = {2, 64};
  ins.panEnvelope.type = 1;
  at(m, 0, 0, 0) = cellOf(61, 1);
  MusicHarness h(m);
  std::vector<int> values, pans;
  for (int i = 0; i < 20; ++i) {
    h.tick();
    values.push_back(h.voice(0).envelopeVolume);
    pans.push_back(h.voice(0).envelopePan);
  }
  EXPECT_EQ(std::vector<int>(values.begin(), values.begin() + 10),
            (std::vector<int>{0, 16, 32, 48, 64, 48, 32, 16, 0, 0}));
  for (int i = 0; i + 9 < 20; ++i) EXPECT_EQ(values[i + 9], values[i]) << i;  // still looping
  EXPECT_EQ(std::vector<int>(pans.begin(), pans.begin() + 4), (std::vector<int>{0, 32, 64, 64}));

  // Points that share an x: the first of them gives the value at that x;
  // past it the envelope goes on from the last of them.
  for (const bool atStart : {true, false}) {
    ins.volumeEnvelope.count = 4;
    if (atStart) {
      ins.volumeEnvelope.points[0] = {0, 10};
      ins.volumeEnvelope.points[1] = {0, 40};
      ins.volumeEnvelope.points[2] = {4, 0};
      ins.volumeEnvelope.count = 3;
    } else {
      ins.volumeEnvelope.points[0] = {0, 0};
      ins.volumeEnvelope.points[1] = {4, 64};
      ins.volumeEnvelope.points[2] = {4, 16};
      ins.volumeEnvelope.points[3] = {8, 48};
    }
    ins.volumeEnvelope.type = 1;
    MusicHarness shared(m);
    std::vector<int> got;
    for (int i = 0; i < 9; ++i) {
      shared.tick();
      got.push_back(shared.voice(0).envelopeVolume);
    }
    EXPECT_EQ(got, atStart ? (std::vector<int>{10, 30, 20, 10, 0, 0, 0, 0, 0})
                           : (std::vector<int>{0, 16, 32, 48, 64, 24, 32, 40, 48}));
  }

  // Points that share an x: no division by zero, no interpolation across them.
  ins.volumeEnvelope.count = 4;
  ins.volumeEnvelope.points[0] = {5, 10};
  ins.volumeEnvelope.points[1] = {5, 60};
  ins.volumeEnvelope.points[2] = {5, 20};
  ins.volumeEnvelope.points[3] = {3, 40};  // out of order
  ins.volumeEnvelope.type = 7;
  ins.volumeEnvelope.sustain = 9;
  ins.volumeEnvelope.loopStart = 3;
  ins.volumeEnvelope.loopEnd = 3;
  MusicHarness odd(m);
  for (int i = 0; i < 50; ++i) {
    odd.tick();
    EXPECT_GE(odd.voice(0).envelopeVolume, 0);
    EXPECT_LE(odd.voice(0).envelopeVolume, 64);
  }
}

TEST(MusicXmPlay, KeyOffWithoutEnvelopeAndBadInstruments) {
  MusicModule m = makeXm(3);
  m.instruments[0].panEnvelope.count = 1;
  m.instruments[0].panEnvelope.type = 1;
  at(m, 0, 0, 0) = cellOf(61, 1);
  at(m, 0, 0, 1) = cellOf(61, 1);
  at(m, 0, 0, 2) = cellOf(61, 1);
  at(m, 0, 1, 0) = cellOf(kKeyOff, 0);
  at(m, 0, 1, 1) = cellOf(0, 0, kEffectKeyOff, 0);
  at(m, 0, 1, 2) = cellOf(73, 9);  // no instrument 9: silenced, the note ignored
  MusicHarness h(m);
  h.tick();
  EXPECT_EQ(h.voice(0).noteVolume, 48);
  h.ticks(6);
  EXPECT_EQ(h.voice(0).noteVolume, 0);
  EXPECT_EQ(h.voice(1).noteVolume, 0);
  EXPECT_TRUE(h.channel(0).envelopeActive);
  EXPECT_EQ(h.voice(2).noteVolume, 0);
  EXPECT_EQ(h.voice(2).base, 8363);

  // An instrument with no samples, keymaps pointing nowhere, no instruments.
  MusicModule bare = makeXm(2);
  bare.instruments.push_back(Instrument{});
  bare.instruments[0].keymap.fill(7);
  at(bare, 0, 0, 0) = cellOf(61, 1);
  at(bare, 0, 0, 1) = cellOf(61, 2);
  MusicHarness b(bare);
  b.ticks(100);
  EXPECT_FALSE(b.voice(0).attached());
  bare.instruments.clear();
  MusicHarness none(bare);
  none.ticks(100);
  EXPECT_FALSE(none.voice(1).attached());
}

TEST(MusicXmPlay, VolumeColumnRunsBeforeTheEffect) {
  MusicModule m = makeXm(2);
  at(m, 0, 0, 0) = withColumn(cellOf(61, 1), kEffectSetVolume, 32);
  at(m, 0, 1, 0) = withColumn(cellOf(0, 0), kEffectVolumeSlide, 0x03);
  at(m, 0, 2, 0) = withColumn(cellOf(0, 0, kEffectSetVolume, 10), kEffectSetVolume, 60);
  at(m, 0, 0, 1) = cellOf(61, 1);
  at(m, 0, 1, 1) = withColumn(cellOf(73, 0), kEffectTonePorta, 0x10);
  MusicHarness h(m);
  h.tick();
  EXPECT_EQ(h.voice(0).noteVolume, 32);
  h.ticks(6);  // row 1, tick 0
  EXPECT_EQ(h.voice(0).noteVolume, 32);
  EXPECT_EQ(h.channel(1).targetPeriod, h.channel(1).period - 768);  // column portamento
  h.tick();
  EXPECT_EQ(h.voice(0).noteVolume, 29);
  EXPECT_EQ(h.channel(1).period, 4608 - 0x10 * 4);
  h.ticks(4);
  EXPECT_EQ(h.voice(0).noteVolume, 32 - 15);
  h.tick();  // row 2: the cell's effect comes last
  EXPECT_EQ(h.voice(0).noteVolume, 10);
}

TEST(MusicXmPlay, GlobalVolumePanSlideRetriggerAndEnvelopePosition) {
  MusicModule m = makeXm(2);
  at(m, 0, 0, 0) = cellOf(61, 1, kEffectGlobalVolume, 0x30);
  at(m, 0, 1, 0) = cellOf(0, 0, kEffectGlobalVolumeSlide, 0x20);
  at(m, 0, 2, 0) = cellOf(0, 0, kEffectGlobalVolume, 0xFF);
  at(m, 0, 0, 1) = cellOf(61, 1, kEffectPanSlide, 0x20);
  at(m, 0, 1, 1) = cellOf(0, 0, kEffectMultiRetrigger, 0x92);
  at(m, 0, 2, 1) = cellOf(0, 0, kEffectEnvelopePosition, 7);
  MusicHarness h(m);
  h.tick();
  EXPECT_EQ(h.mixer.musicVolume, 0x30);
  EXPECT_EQ(h.voice(1).pan, 128);
  h.tick();
  EXPECT_EQ(h.voice(1).pan, 128 + 8);
  h.ticks(4);
  EXPECT_EQ(h.voice(1).pan, 128 + 40);
  h.restarted(1);
  h.tick();  // row 1
  EXPECT_EQ(h.mixer.musicVolume, 0x30);
  h.tick();
  EXPECT_EQ(h.mixer.musicVolume, 0x32);
  EXPECT_FALSE(h.restarted(1));
  h.tick();  // tick 2: retrigger with volume + 1
  EXPECT_TRUE(h.restarted(1));
  EXPECT_EQ(h.voice(1).noteVolume, 49);
  h.ticks(3);
  EXPECT_EQ(h.mixer.musicVolume, 0x30 + 10);
  EXPECT_EQ(h.voice(1).noteVolume, 50);
  h.tick();  // row 2
  EXPECT_EQ(h.mixer.musicVolume, 64);
  EXPECT_EQ(h.channel(1).volumeEnvTick, 7);
  // The next song starts at the usual music volume.
  ASSERT_TRUE(h.mixer.RestartModule());
  EXPECT_EQ(h.mixer.musicVolume, 50);
}

TEST(MusicXmPlay, NoteDelayPlaysNoteAndInstrumentWithoutEffect) {
  MusicModule m = makeXm(1);
  at(m, 0, 0, 0) = withColumn(cellOf(73, 1, kEffectExtended, 0xD2), kEffectSetVolume, 5);
  MusicHarness h(m);
  h.tick();
  EXPECT_FALSE(h.restarted(0));
  h.tick();
  EXPECT_FALSE(h.restarted(0));
  h.tick();
  EXPECT_TRUE(h.restarted(0));
  EXPECT_EQ(h.voice(0).base, 8363 * 2);
  EXPECT_EQ(h.voice(0).noteVolume, 48);
}

}  // namespace
}  // namespace tarvolin::sound
