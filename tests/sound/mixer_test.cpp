#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "sound/mixer.h"

namespace tarvolin::sound {
namespace {

// A rate whose step is exactly one sample per output frame.
constexpr int kOneToOne = 44101;

SampleData constant8(std::uint32_t frames, std::int8_t value) {
  SampleData s = SampleData::Blank(frames, 8, kOneToOne, 1);
  std::fill(s.bytes(), s.bytes() + frames, static_cast<std::uint8_t>(value));
  return s;
}

SampleData ramp16(std::uint32_t frames) {
  SampleData s = SampleData::Blank(frames * 2, 16, kOneToOne, 1);
  auto* d = reinterpret_cast<std::int16_t*>(s.bytes());
  for (std::uint32_t i = 0; i < frames; ++i) d[i] = static_cast<std::int16_t>(i);
  return s;
}

std::vector<std::uint8_t> render(Mixer& m, int frames) {
  std::vector<std::uint8_t> out(2 * static_cast<std::size_t>(frames));
  m.Render(out.data(), frames);
  return out;
}

bool allSilent(const std::vector<std::uint8_t>& out) {
  return std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 128; });
}

TEST(Mixer, SilenceIsConstant128) {
  Mixer m;
  EXPECT_TRUE(allSilent(render(m, 2205)));
  EXPECT_TRUE(allSilent(render(m, kMaxRenderFrames)));
  EXPECT_EQ(m.FreeChannelCount(), kMixChannels);
}

TEST(Mixer, SoftClipTablePoints) {
  const int points[][2] = {{0, 0},     {5, 5},     {18, 18},   {-18, -18}, {32, 29},   {64, 51},
                           {88, 64},   {128, 82},  {192, 100}, {256, 111}, {384, 122}, {512, 126},
                           {580, 127}, {6397, 127}, {9999, 127}, {-88, -65}, {-256, -112},
                           {-512, -127}, {-580, -127}, {-581, -128}, {-9999, -128}};
  for (const auto& p : points) EXPECT_EQ(Mixer::SoftClip(p[0]), p[1]) << "index " << p[0];
  // Monotone and never past the limits.
  for (int i = -700; i < 700; ++i) EXPECT_LE(Mixer::SoftClip(i), Mixer::SoftClip(i + 1)) << i;
}

TEST(Mixer, LoopCountsOnceThreeTimesAndEndless) {
  SampleData s = ramp16(1000);
  for (int loops : {1, 3}) {
    Mixer m;
    int ch = -1;
    SoundParams p;
    p.loopCount = loops;
    p.loopStart = 600;
    ASSERT_TRUE(m.StartSound(s, ch, p));
    EXPECT_EQ(ch, 0);
    EXPECT_EQ(s.useCount, 1);
    const int length = 1000 + (loops - 1) * 400;  // the loop section twice more
    render(m, length - 1);
    EXPECT_TRUE(m.IsChannelPlaying(0)) << loops;
    EXPECT_EQ(m.channels[0].position, 999u) << loops;  // the last sample is next
    render(m, 1);
    // The note has ended; its tail fades for 64 frames, then the channel frees.
    EXPECT_EQ(m.channels[0].loopCount, 0);
    render(m, 64);
    EXPECT_FALSE(m.IsChannelPlaying(0));
    EXPECT_EQ(s.useCount, 0);
    EXPECT_TRUE(allSilent(render(m, 100)));
  }
  // The same heard in one go: sound up to the end, silence after the tail.
  SampleData loud = constant8(1000, 100);
  for (int loops : {1, 3}) {
    Mixer m;
    int ch = -1;
    SoundParams p;
    p.loopCount = loops;
    p.loopStart = 600;
    ASSERT_TRUE(m.StartSound(loud, ch, p));
    const int length = 1000 + (loops - 1) * 400;
    auto out = render(m, length + 1000);
    EXPECT_NE(out[2 * (length - 1)], 128) << loops;
    EXPECT_NE(out[2 * (length + 10)], 128) << loops;  // the tail
    for (int i = length + 64; i < length + 1000; ++i) ASSERT_EQ(out[2 * i], 128) << loops << " at " << i;
  }
  Mixer m;
  int ch = 5;
  SoundParams p;
  p.loopCount = -1;
  p.loopStart = 100;
  ASSERT_TRUE(m.StartSound(s, ch, p));
  EXPECT_EQ(ch, 5);
  render(m, 50000);
  EXPECT_TRUE(m.IsChannelPlaying(5));
  EXPECT_GE(m.channels[5].position, 100u);
  EXPECT_LT(m.channels[5].position, 1000u);
  m.StopMusic();
  EXPECT_TRUE(m.IsChannelPlaying(5));
  m.StopMusicAndLoops();
  EXPECT_FALSE(m.IsChannelPlaying(5));
  EXPECT_EQ(s.useCount, 0);
}

TEST(Mixer, PingPongTurnsAtBothEnds) {
  SampleData s = ramp16(100);
  Mixer m;
  int ch = -1;
  SoundParams p;
  p.loopCount = -1;
  p.loopType = 1;
  p.loopStart = 50;
  ASSERT_TRUE(m.StartSound(s, ch, p));
  render(m, 99);
  EXPECT_EQ(m.channels[0].direction, 0);
  render(m, 2);
  EXPECT_EQ(m.channels[0].direction, 1);
  std::uint32_t lowest = 1000, highest = 0;
  for (int i = 0; i < 300; ++i) {
    render(m, 1);
    lowest = std::min(lowest, m.channels[0].position);
    highest = std::max(highest, m.channels[0].position);
  }
  EXPECT_GE(lowest, 48u);
  EXPECT_LE(highest, 100u);
  EXPECT_LE(lowest, 52u);
  EXPECT_GE(highest, 97u);
}

TEST(Mixer, SilentRatesKeepTheChannelWithoutAdvancing) {
  SampleData s = ramp16(1000);
  for (int rate : {500, 1, 500000}) {
    Mixer m;
    int ch = -1;
    SoundParams p;
    p.baseFrequency = rate;
    ASSERT_TRUE(m.StartSound(s, ch, p));
    EXPECT_TRUE(allSilent(render(m, 3000))) << rate;
    EXPECT_TRUE(m.IsChannelPlaying(ch));
    EXPECT_EQ(m.channels[ch].position, 0u);
    // Bending it into the audible range makes it play.
    ChannelChanges k;
    k.bend = 44101 - rate;
    m.SetSoundChannels(ch, k);
    render(m, 10);
    EXPECT_EQ(m.channels[ch].position, 10u) << rate;
  }
  EXPECT_EQ(Mixer::StepForRate(501), (501LL * 398913536) >> 32);
  EXPECT_EQ(Mixer::StepForRate(kOneToOne), 4096);
}

TEST(Mixer, PanLawAndLevels) {
  SampleData s = constant8(20000, 64);
  auto steady = [&](int pan) {
    Mixer m;
    int ch = -1;
    SoundParams p;
    p.pan = pan;
    EXPECT_TRUE(m.StartSound(s, ch, p));
    auto out = render(m, 1000);
    return std::pair<int, int>(out[2 * 500], out[2 * 500 + 1]);
  };
  auto [l0, r0] = steady(0);
  auto [lc, rc] = steady(128);
  auto [l255, r255] = steady(255);
  EXPECT_GT(l0, 128);
  EXPECT_EQ(r0, 128);
  EXPECT_EQ(l255, 128);
  EXPECT_GT(r255, 128);
  EXPECT_EQ(lc, rc);
  EXPECT_EQ(lc, l0);  // centre is full on both sides
  EXPECT_EQ(r255, l0);

  // Gains at full values: an effect reaches index ~150 at full scale, music ~50.
  Mixer m;
  MixChannel c;
  c.pan = 128;
  c.volume = 64;
  c.noteVolume = 64;
  c.fadeOut = kFullFadeOut;
  c.envelopeVolume = 64;
  c.envelopePan = 32;
  int gl = 0, gr = 0;
  m.ChannelGains(c, gl, gr);
  EXPECT_EQ(gl, 150);
  EXPECT_EQ(gr, 150);
  c.pan = 64;
  m.ChannelGains(c, gl, gr);
  EXPECT_EQ(gl, 150);
  EXPECT_EQ(gr, 75);
  c.pan = 192;
  c.envelopePan = 0;  // an envelope at the far left pulls towards it
  m.ChannelGains(c, gl, gr);
  EXPECT_EQ(gl, 150);
  EXPECT_EQ(gr, 150);
  c.pan = 128;
  m.ChannelGains(c, gl, gr);
  EXPECT_EQ(gl, 150);
  EXPECT_EQ(gr, 0);
  c.pan = 128;
  c.envelopePan = 32;
  c.owner = 0;
  m.ChannelGains(c, gl, gr);
  EXPECT_EQ(gl, 50);
  // A full-scale 16-bit effect lands in the bent part of the table.
  SampleData loud = SampleData::Blank(4000, 16, kOneToOne, 1);
  for (std::uint32_t i = 0; i < 2000; ++i) reinterpret_cast<std::int16_t*>(loud.bytes())[i] = 32767;
  Mixer m2;
  int ch = -1;
  ASSERT_TRUE(m2.StartSound(loud, ch, SoundParams{}));
  auto out = render(m2, 500);
  EXPECT_EQ(out[800], Mixer::SoftClip(149) + 128);
}

TEST(Mixer, StartFadesInAndStopFadesOut) {
  SampleData s = constant8(20000, 100);
  Mixer m;
  int ch = -1;
  ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  auto out = render(m, 200);
  EXPECT_LT(out[0] - 128, 10);
  for (int i = 1; i < 64; ++i) EXPECT_GE(out[2 * i], out[2 * (i - 1)]) << i;
  const int full = out[2 * 100];
  EXPECT_GT(full - 128, 40);
  EXPECT_GT(out[2 * 32] - 128, (full - 128) / 4);  // half way through the fade
  EXPECT_LT(out[2 * 32], full);
  m.StopSound(ch);
  EXPECT_FALSE(m.IsChannelPlaying(ch));  // free at once for a new sound
  out = render(m, 100);
  EXPECT_GT(out[0], 128 + (full - 128) / 2);
  for (int i = 1; i < 64; ++i) EXPECT_LE(out[2 * i], out[2 * (i - 1)]) << i;
  EXPECT_EQ(out[2 * 70], 128);
  EXPECT_EQ(s.useCount, 0);

  // A volume change ramps instead of jumping.
  ch = -1;
  ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  render(m, 200);
  ChannelChanges k;
  k.volume = 0;
  m.SetSoundChannels(ch, k);
  out = render(m, 100);
  EXPECT_GT(out[0], 128 + 20);
  EXPECT_EQ(out[2 * 80], 128);
}

TEST(Mixer, StereoSamplesPlayAtTheirOwnLength) {
  // Left 100 and right -100 average to silence; 500 frames, not 1000.
  SampleData st = SampleData::Blank(1000, 8, kOneToOne, 2);
  for (int i = 0; i < 1000; ++i) st.bytes()[i] = static_cast<std::uint8_t>(i % 2 ? -100 : 100);
  SampleData st16 = SampleData::Blank(2000, 16, kOneToOne, 2);
  auto* d = reinterpret_cast<std::int16_t*>(st16.bytes());
  for (int i = 0; i < 1000; ++i) d[i] = static_cast<std::int16_t>(i % 2 ? 20000 : 10000);
  Mixer m;
  int a = -1, b = -1;
  SoundParams left;
  left.pan = 0;
  ASSERT_TRUE(m.StartSound(st, a, left));
  ASSERT_TRUE(m.StartSound(st16, b, SoundParams{}));
  auto out = render(m, 499);
  EXPECT_TRUE(m.IsChannelPlaying(a));
  const int heard16 = Mixer::SoftClip((128 * ((15000 * 150) >> 8)) >> 14) + 128;
  EXPECT_EQ(out[2 * 300 + 1], heard16);  // right: only the 16-bit sample
  EXPECT_EQ(out[2 * 300], heard16);      // left: the 8-bit one adds nothing
  render(m, 1 + 64);
  EXPECT_FALSE(m.IsChannelPlaying(a));
  EXPECT_FALSE(m.IsChannelPlaying(b));
}

TEST(Mixer, NewNoteCrossfadesFromThePreviousOne) {
  // A music channel changes from a high note to a low one without a jump.
  SampleData high = constant8(50000, 90), low = constant8(50000, -90);
  Mixer m;
  MixChannel& c = m.channels[0];
  c.owner = 0;
  c.volume = c.noteVolume = c.envelopeVolume = 64;
  c.envelopePan = 32;
  c.fadeOut = kFullFadeOut;
  c.pan = 128;
  auto play = [&](const SampleData& s) {
    c.data8 = s.data8();
    c.frames = c.end = s.frameCount();
    c.loopLength = 0;
    c.loopCount = 1;
    c.position = c.fraction = 0;
    c.base = kOneToOne;
    c.BeginCrossfade(m.rampLength);
  };
  play(high);
  render(m, 500);
  play(low);
  auto out = render(m, 200);
  const int from = Mixer::SoftClip((128 * ((90 * 256 * 50) >> 8)) >> 14) + 128;
  const int to = Mixer::SoftClip((128 * ((-90 * 256 * 50) >> 8)) >> 14) + 128;
  EXPECT_GE(out[0], from - 2);
  for (int i = 1; i < 64; ++i) {
    EXPECT_LE(out[2 * i], out[2 * (i - 1)]) << i;
    EXPECT_LE(out[2 * (i - 1)] - out[2 * i], 4) << i;  // no jump
  }
  EXPECT_EQ(out[2 * 100], to);
}

TEST(Mixer, ChannelChoiceAndRefusals) {
  SampleData s = constant8(1000, 10);
  Mixer m;
  int ch = 3;
  ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  ch = 3;
  EXPECT_FALSE(m.StartSound(s, ch, SoundParams{}));  // busy
  ch = 32;
  EXPECT_FALSE(m.StartSound(s, ch, SoundParams{}));
  ch = -1;
  ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  EXPECT_EQ(ch, 0);
  // Loop count 0 stops the given channel and succeeds.
  SoundParams stop;
  stop.loopCount = 0;
  ch = 3;
  EXPECT_TRUE(m.StartSound(s, ch, stop));
  EXPECT_FALSE(m.IsChannelPlaying(3));
  EXPECT_TRUE(m.IsChannelPlaying(0));
  // Other depths do not start.
  SampleData odd = SampleData::Blank(30, 24, 22050, 1);
  ch = -1;
  EXPECT_FALSE(m.StartSound(odd, ch, SoundParams{}));
  EXPECT_EQ(odd.useCount, 0);
  // An empty sample has finished at once and takes no channel.
  SampleData empty;
  ch = -1;
  EXPECT_TRUE(m.StartSound(empty, ch, SoundParams{}));
  EXPECT_FALSE(m.IsChannelPlaying(ch));
  // All 32 taken: no free channel.
  while (m.FreeChannelCount() > 0) {
    ch = -1;
    ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  }
  ch = -1;
  EXPECT_FALSE(m.StartSound(s, ch, SoundParams{}));
  m.StopSound(-1);
  EXPECT_EQ(m.FreeChannelCount(), kMixChannels);
  EXPECT_EQ(s.useCount, 0);
}

TEST(Mixer, BadLoopPointsNeitherHangNorReadOutside) {
  SampleData s = ramp16(64);
  struct Case { int type, start, end, base; };
  const Case cases[] = {
      {0, 64, 0, 44101},      // zero-length loop
      {0, 5000, 0, 44101},    // loop start past the end
      {0, 0, 0, 499999},      // fast and looping
      {1, 63, 0, 499999},     // one-sample ping-pong at the top rate
      {1, 0, 1, 499999},
      {2, 10, 0, 300000},     // other loop type
  };
  for (const Case& c : cases) {
    Mixer m;
    int ch = -1;
    SoundParams p;
    p.loopCount = -1;
    p.loopType = c.type;
    p.loopStart = c.start;
    p.loopEnd = c.end;
    p.baseFrequency = c.base;
    ASSERT_TRUE(m.StartSound(s, ch, p));
    render(m, 20000);
    EXPECT_LE(m.channels[0].position, 64u);
  }
  // A player that sets an end past the data: reads stay inside it.
  Mixer m;
  int ch = -1;
  ASSERT_TRUE(m.StartSound(s, ch, SoundParams{}));
  m.channels[0].end = 100000;
  m.channels[0].loopCount = 2;
  render(m, 500);
  EXPECT_EQ(m.channels[0].loopCount, 0);
}

TEST(Mixer, SetSoundChannelsSelectors) {
  SampleData s = constant8(50000, 10);
  Mixer m;
  // Two music channels bound by hand (the first playing a note), two effects.
  m.channels[0].owner = 0;
  m.channels[1].owner = 1;
  m.channels[0].data8 = s.data8();
  m.channels[0].frames = m.channels[0].end = s.frameCount();
  m.channels[0].loopLength = 100;
  m.channels[0].loopCount = -1;
  m.channels[0].base = 22050;
  int a = -1, b = -1;
  ASSERT_TRUE(m.StartSound(s, a, SoundParams{}));
  ASSERT_TRUE(m.StartSound(s, b, SoundParams{}));
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 3);

  ChannelChanges vol;
  vol.volume = 7;
  m.SetSoundChannels(kSelectMusic, vol);
  EXPECT_EQ(m.channels[0].volume, 7);
  EXPECT_EQ(m.channels[2].volume, 64);
  vol.volume = 9;
  m.SetSoundChannels(kSelectBusy, vol);
  EXPECT_EQ(m.channels[1].volume, 9);
  EXPECT_EQ(m.channels[3].volume, 9);
  EXPECT_EQ(m.channels[4].volume, 0);

  ChannelChanges loop;
  loop.loopEnd = 999999;  // clamped to the sample
  loop.loopStart = 100;
  m.SetSoundChannels(a, loop);
  EXPECT_EQ(m.channels[a].end, 50000u);
  EXPECT_EQ(m.channels[a].loopLength, 49900);
  ChannelChanges refused;
  refused.loopEnd = 0;
  refused.volume = 1;
  m.SetSoundChannels(kSelectEffects, refused);
  EXPECT_EQ(m.channels[a].volume, 1);  // applied before the refused value
  EXPECT_EQ(m.channels[b].volume, 9);  // the walk ended at the first channel

  ChannelChanges stop;
  stop.loopCount = 0;
  m.SetSoundChannels(kSelectEffects, stop);
  EXPECT_FALSE(m.IsActive(a));
  EXPECT_FALSE(m.IsActive(b));
  EXPECT_EQ(s.useCount, 0);
  EXPECT_EQ(m.channels[0].owner, 0);
  EXPECT_EQ(m.channels[1].owner, 1);
  EXPECT_TRUE(m.IsActive(0));  // the music plays on
  render(m, 1000);
  EXPECT_TRUE(m.IsActive(0));
}

// A song that records what the sequencer asks of it.
class FakeSong : public ModulePlayer {
 public:
  explicit FakeSong(int channels, int lastRow = 3) : channels_(channels), lastRow_(lastRow) {}
  std::unique_ptr<ModulePlayer> Clone() const override { return std::make_unique<FakeSong>(*this); }
  ModuleKind Kind() const override { return ModuleKind::Mod; }
  int ChannelCount() const override { return channels_; }
  int SongLength() const override { return 3; }
  int RestartPosition() const override { return 1; }
  int InitialSpeed() const override { return 6; }
  int Tempo() const override { return 125; }
  int OrderLimit() const override { return 3; }
  int LastRow(int) const override { return lastRow_; }
  void PlayRow(Mixer& m) override { rows.push_back(m.playingOrder * 100 + m.playingRow); }
  void PlayTick(Mixer& m) override { ticks.push_back(m.tickCounter); }
  void StepEnvelopes(Mixer&) override { ++envelopeSteps; }

  std::vector<int> rows;
  std::vector<int> ticks;
  int envelopeSteps = 0;

 private:
  int channels_;
  int lastRow_;
};

TEST(Mixer, ModuleNeedsEnoughFreeChannels) {
  SampleData s = constant8(1000, 10);
  Mixer m;
  SoundParams loop;
  loop.loopCount = -1;
  for (int i = 0; i < 25; ++i) {
    int ch = -1;
    ASSERT_TRUE(m.StartSound(s, ch, loop));
  }
  EXPECT_FALSE(m.StartModule(std::make_unique<FakeSong>(8)));
  EXPECT_FALSE(m.playing);
  EXPECT_EQ(m.FreeChannelCount(), 7);
  render(m, 2205);
  for (int i = 0; i < 25; ++i) EXPECT_TRUE(m.IsChannelPlaying(i));

  m.StopSound(24);
  ASSERT_TRUE(m.RestartModule());
  EXPECT_TRUE(m.playing);
  const int pans[] = {64, 128, 128, 64, 64, 128, 128, 64};
  for (int i = 0; i < 8; ++i) {
    MixChannel* c = m.BoundChannel(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c - m.channels.data(), 24 + i);
    EXPECT_EQ(c->pan, pans[i]);
    EXPECT_EQ(c->volume, 64);
  }
  EXPECT_EQ(m.FreeChannelCount(), 0);
  m.StopMusic();
  EXPECT_EQ(m.FreeChannelCount(), 8);
  EXPECT_EQ(m.BoundChannel(0), nullptr);
}

TEST(Mixer, SequencerRowsTicksOrdersAndDelay) {
  Mixer m;
  auto song = std::make_unique<FakeSong>(4, 1);  // two rows per pattern
  FakeSong* f = song.get();
  ASSERT_TRUE(m.StartModule(std::move(song)));
  EXPECT_EQ(m.samplesPerTick, 882);
  render(m, 882);  // the first tick plays row 0 of order 0
  EXPECT_EQ(f->rows, std::vector<int>({0}));
  render(m, 882 * 5);
  EXPECT_EQ(f->ticks, std::vector<int>({1, 2, 3, 4, 5}));
  render(m, 882 * 6 * 6);  // six more rows: orders 0,1,2 then wrap to restart 1
  EXPECT_EQ(f->rows, std::vector<int>({0, 1, 100, 101, 200, 201, 100}));
  EXPECT_EQ(f->envelopeSteps, 42);
  m.patternDelay = 2;
  f->rows.clear();
  render(m, 882 * 6 * 3);
  EXPECT_EQ(f->rows, std::vector<int>({101}));
  // A tempo change takes effect at the next tick.
  m.SetTempo(32);
  EXPECT_EQ(m.samplesPerTick, 3445);
  m.SetTempo(0);
  EXPECT_EQ(m.samplesPerTick, 3445);
}

}  // namespace
}  // namespace tarvolin::sound
