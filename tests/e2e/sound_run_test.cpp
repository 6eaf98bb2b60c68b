// The sound commands end to end: projects with sound-effect and music
// resources the test writes, run through `tarvolin run --audio-out`, and the
// recorded file read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "sound/mixer.h"
#include "sound/mod_writer.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"

namespace tarvolin::test {

namespace {

constexpr const char* kResourceHeader =
    ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be "
    "lost\n\n\n";

std::string resourceEntry(const std::string& name, const std::string& file, const std::string& kind) {
  return "#" + name + "\n.\\" + file + "\n" + kind + "\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n";
}

// A constant sample: every frame holds `value` (signed, as samples are held
// in memory at either depth).
sound::SampleData constantSample(std::uint32_t frames, int bits, std::uint32_t rate, int channels, int value) {
  const std::uint32_t perFrame = std::uint32_t(bits / 8 * channels);
  sound::SampleData s = sound::SampleData::Blank(frames * perFrame, bits, rate, channels);
  for (std::uint32_t i = 0; i < frames * perFrame; i += bits / 8) {
    s.bytes()[i] = std::uint8_t(value);
    if (bits == 16) s.bytes()[i + 1] = std::uint8_t(value >> 8);
  }
  return s;
}

class SoundGame {
 public:
  SoundGame(const std::string& main, const std::string& resources) {
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt", main);
    dir_.write("game/resource.txt", std::string(kResourceHeader) + resources + "\n");
  }
  void wav(const std::string& name, const sound::SampleData& s) {
    const std::vector<std::uint8_t> bytes = sound::EncodeWav(s);
    dir_.write("game/Resources/" + name, std::string(bytes.begin(), bytes.end()));
  }
  void raw(const std::string& name, const std::string& bytes) { dir_.write(name, bytes); }
  std::string file(const std::string& name) const { return dir_.file(name); }
  ToolResult run(int frames, const std::string& out) const {
    return runTool({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames), "--audio-out", out});
  }

 private:
  TempDir dir_;
};

// Output frame (left, right) of a recording as the file holds it (unsigned,
// 128 silence; the reader holds 8-bit data signed).
struct Frame {
  int left, right;
};
Frame frameAt(const sound::SampleData& s, std::uint32_t i) {
  return {s.data8()[2 * i] + 128, s.data8()[2 * i + 1] + 128};
}

// The first recorded frame whose sound the commands of game frame `f`
// (1-based) reach. Each frame plays 16 ms (705.6 sound frames) after it has
// run; the engine renders a 2205-frame buffer whenever one has played, and
// two buffers of silence lead the recording.
std::uint32_t firstHeardFrame(int f) {
  const std::uint32_t playedBefore = std::uint32_t(f - 1) * 7056 / 10;
  return 2 * 2205 + 2205 * (playedBefore / 2205);
}

// Whether frames [from, to) all equal (left, right).
::testing::AssertionResult steady(const sound::SampleData& s, std::uint32_t from, std::uint32_t to, int left,
                                  int right) {
  for (std::uint32_t i = from; i < to; ++i) {
    const Frame f = frameAt(s, i);
    if (f.left != left || f.right != right)
      return ::testing::AssertionFailure() << "frame " << i << " is (" << f.left << ", " << f.right
                                           << "), expected (" << left << ", " << right << ")";
  }
  return ::testing::AssertionSuccess();
}

// The output byte of an accumulated sum of one sample value times a gain.
int outputOf(std::int64_t sum) {
  const std::int32_t index = std::int32_t(((32768 >> 8) * (sum >> 8)) >> 14);
  return 128 + sound::Mixer::SoftClip(index);
}

}  // namespace

TEST(SoundRun, ScriptThatPlaysAndChangesSoundsIsRecorded) {
  // G_TICKS counts the frames after Initialise's: game frame f runs the main
  // script with G_TICKS f - 1.
  SoundGame g(
      "If G_TICKS == 9\n"
      " SoundSetProperties 0 #_SOUND_PARAM_CURR 0 32 #_SOUND_PARAM_CURR #_SOUND_PARAM_CURR "
      "#_SOUND_PARAM_CURR #_SOUND_PARAM_CURR #_SOUND_PARAM_CURR\n"
      "End\n"
      "If G_TICKS == 19\n"
      " SoundExPlay Hum 44100 255 64 0 0 -1 0 0 5 V_LV0\n"
      " Log \"canal %d\" V_LV0\n"
      "End\n"
      "If G_TICKS == 39\n"
      " SoundSetProperties #_SOUND_CHANNEL_SOUND #_SOUND_PARAM_CURR #_SOUND_PARAM_CURR #_SOUND_PARAM_CURR "
      "#_SOUND_PARAM_CURR #_SOUND_PARAM_CURR 0 #_SOUND_PARAM_CURR #_SOUND_PARAM_CURR\n"
      "End\n"
      "Return\n"
      "Function Initialise 0\n"
      "SoundPlay Beep\n"
      "Return\n",
      resourceEntry("Beep", "beep.wav", "Sound effect") + resourceEntry("Hum", "hum.wav", "Sound effect"));
  // Beep: half a second at 22050 Hz, 8-bit, constant +64 (192 in the file).
  g.wav("beep.wav", constantSample(11025, 8, 22050, 1, 64));
  // Hum: 16-bit stereo, both sides -8192: made mono on loading.
  g.wav("hum.wav", constantSample(44100, 16, 44100, 2, -8192));
  const std::string out = g.file("out.wav");
  const ToolResult r = g.run(50, out);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("canal 5\n"), std::string::npos) << r.out;

  sound::SampleData rec;
  ASSERT_TRUE(sound::LoadWav(rec, out));
  EXPECT_EQ(rec.rate, 44100u);
  EXPECT_EQ(rec.bits, 8);
  EXPECT_EQ(rec.channels(), 2);
  // 50 frames of 16 ms.
  ASSERT_EQ(rec.frameCount(), 50u * 7056 / 10);

  // The gains at full volume and centre: 64 x 64 x 64 x 150 x 64 >> 24 = 150
  // (sound-effect master 150); the beep's sample reads as 64 << 8.
  const int beepCentre = outputOf(16384 * 150);
  const int beepLeftHalf = outputOf(16384 * 75);  // pan 0, volume 32
  const int humRight = outputOf(-8192 * 150);     // pan 255
  const std::uint32_t start = firstHeardFrame(1);
  const std::uint32_t change = firstHeardFrame(10);
  const std::uint32_t humStart = firstHeardFrame(20);
  const std::uint32_t stop = firstHeardFrame(40);
  ASSERT_EQ(start, 4410u);
  // Silence, then the beep fades in over 64 frames and holds.
  EXPECT_TRUE(steady(rec, 0, start, 128, 128));
  EXPECT_NE(frameAt(rec, start).left, 128);
  EXPECT_TRUE(steady(rec, start + 64, change, beepCentre, beepCentre));
  // Panned left at half volume from the change (after a 64-frame ramp).
  EXPECT_TRUE(steady(rec, change + 64, humStart, beepLeftHalf, 128));
  // The hum joins on the right only.
  EXPECT_TRUE(steady(rec, humStart + 64, humStart + 2000, beepLeftHalf, humRight));
  // The beep (11025 samples read at its rate's step) ends, its tail fades
  // over 64 frames, while the hum loops on until every sound effect stops.
  const std::int64_t step = sound::Mixer::StepForRate(22050);
  const std::uint32_t beepEnd = start + std::uint32_t((11025 * 4096 + step - 1) / step);
  EXPECT_EQ(frameAt(rec, beepEnd - 1).left, beepLeftHalf);
  const int fading = frameAt(rec, beepEnd + 32).left;
  EXPECT_GT(fading, 128);
  EXPECT_LT(fading, beepLeftHalf);
  EXPECT_TRUE(steady(rec, beepEnd + 64, stop, 128, humRight));
  EXPECT_TRUE(steady(rec, stop + 64, rec.frameCount(), 128, 128));
}

TEST(SoundRun, MusicPlayIsRecordedUntilMusicStop) {
  SoundGame g(
      "If G_TICKS == 29\n"
      " MusicStop\n"
      "End\n"
      "Return\n"
      "Function Initialise 0\n"
      "MusicPlay Song\n"
      "Return\n",
      resourceEntry("Song", "song.mod", "Music Track"));
  sound::MusicModule mod = sound::test::makeMod(4);
  mod.samples[0].loopStart = 0;
  mod.samples[0].loopLength = 1000;
  sound::test::at(mod, 0, 0, 0) = sound::test::cellOf(61, 1, 0xF, 0x01);
  // An octave lower at half volume, so the two never cancel out.
  sound::test::at(mod, 0, 0, 3) = sound::test::cellOf(49, 1, 0xC, 0x20);
  g.raw("game/Resources/.keep", "");
  ASSERT_TRUE(sound::saveMod(mod, g.file("game/Resources/song.mod")));
  const std::string out = g.file("out.wav");
  const ToolResult r = g.run(40, out);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  sound::SampleData rec;
  ASSERT_TRUE(sound::LoadWav(rec, out));
  ASSERT_EQ(rec.frameCount(), 40u * 7056 / 10);

  // The same song played alone through the mixer: the run records exactly
  // this until the music stops.
  const std::string alone = g.file("alone.wav");
  const ToolResult p = runTool({"play", g.file("game/Resources/song.mod"), "--out", alone, "--seconds", "1"});
  ASSERT_EQ(p.exitCode, 0) << p.err;
  sound::SampleData ref;
  ASSERT_TRUE(sound::LoadWav(ref, alone));
  const std::uint32_t stop = firstHeardFrame(30);
  ASSERT_LE(stop, ref.frameCount());
  int loud = 0, differing = 0;
  for (std::uint32_t i = 0; i < stop; ++i) {
    const Frame a = frameAt(rec, i), b = frameAt(ref, i);
    differing += a.left != b.left || a.right != b.right;
    loud += i >= 4410 && a.left != 128;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(loud, int(stop - 4410) * 9 / 10);  // the looping square wave
  EXPECT_TRUE(steady(rec, 0, 4410, 128, 128));
  // Module channels 0 and 3 sit at pan 64: the left side is louder.
  EXPECT_NE(frameAt(rec, 6000).left, frameAt(rec, 6000).right);
  // MusicStop: silent once the last notes' tails are spent.
  EXPECT_TRUE(steady(rec, stop + 64, rec.frameCount(), 128, 128));
}

TEST(SoundRun, SoundErrorsStopTheGameAndKeepTheRecording) {
  SoundGame g(
      "If G_TICKS == 9\n"
      " SoundPlay Broken\n"
      "End\n"
      "Return\n"
      "Function Initialise 0\n"
      "SoundPlay Beep\n"
      "Return\n",
      resourceEntry("Beep", "beep.wav", "Sound effect") + resourceEntry("Broken", "broken.wav", "Sound effect"));
  g.wav("beep.wav", constantSample(4410, 8, 44100, 1, 64));
  g.raw("game/Resources/broken.wav", std::string(43, 'R'));  // a 43-byte file is no sample
  const std::string out = g.file("out.wav");
  ToolResult r = g.run(20, out);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("El recurso no es de formato .WAV"), std::string::npos) << r.out;
  // The nine frames that ran before the error are in the file, beep included.
  sound::SampleData rec;
  ASSERT_TRUE(sound::LoadWav(rec, out));
  ASSERT_EQ(rec.frameCount(), 9u * 7056 / 10);
  EXPECT_TRUE(steady(rec, 0, 4410, 128, 128));
  const int beep = outputOf(16384 * 150);
  EXPECT_TRUE(steady(rec, 4410 + 64, rec.frameCount(), beep, beep));

  // A sound effect is no song.
  SoundGame h("Return\nFunction Initialise 0\nMusicPlay Beep\nReturn\n",
              resourceEntry("Beep", "beep.wav", "Sound effect"));
  h.wav("beep.wav", constantSample(4410, 8, 44100, 1, 64));
  r = h.run(2, h.file("h.wav"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("El recurso a reproducirse debe ser de tipo MOD o XM"), std::string::npos) << r.out;

  // A recording that cannot be created stops the run before it starts.
  r = g.run(1, g.file("no/such/folder/out.wav"));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(runTool({"run", g.file("game.tvp"), "--audio-out"}).exitCode, 2);
}

}  // namespace tarvolin::test
