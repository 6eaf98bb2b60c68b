// The sound commands against a project on disk and a running audio engine:
// the checks and their order, the resources they accept, and what they do to
// the game mixer's channels.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "project/project.h"
#include "project/recording_host.h"
#include "commands/sound_commands.h"
#include "sound/audio_engine.h"
#include "sound/mod_writer.h"
#include "sound/music_player.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"
#include "workbench/game_audio.h"

namespace tarvolin::commands {

using namespace script;

namespace {

constexpr std::int32_t K = kSoundKeep;

std::string entry(const std::string& name, const std::string& file, const std::string& kind) {
  return "#" + name + "\n.\\" + file + "\n" + kind + "\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n";
}

class SoundRig {
 public:
  SoundRig() : project(host, working), audio(engine, 60) {
    dir.write("game.tvp", "");
    dir.write("game/resource.txt",
              ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be "
              "lost\n\n\n" +
                  entry("Beep", "beep.wav", "Sound effect") + entry("Song", "song.mod", "Music Track") +
                  entry("Picture", "pic.bmp", "Bitmap16") + entry("Gone", "gone.wav", "Sound effect") +
                  entry("Eight", "eight.mod", "Music Track") + entry("Junk", "junk.xm", "Music Track") + "\n");
    sound::SampleData beep = sound::SampleData::Blank(2000, 8, 22050, 1);
    for (std::uint32_t i = 0; i < 2000; ++i) beep.bytes()[i] = std::uint8_t(i % 2 ? 40 : -40);
    const std::vector<std::uint8_t> bytes = sound::EncodeWav(beep);
    dir.write("game/Resources/beep.wav", std::string(bytes.begin(), bytes.end()));
    dir.write("game/Resources/junk.xm", std::string(300, 'x'));
    sound::MusicModule four = sound::test::makeMod(4);
    sound::test::at(four, 0, 0, 0) = sound::test::cellOf(61, 1);
    EXPECT_TRUE(sound::saveMod(four, dir.file("game/Resources/song.mod")));
    EXPECT_TRUE(sound::saveMod(sound::test::makeMod(8), dir.file("game/Resources/eight.mod")));
    EXPECT_TRUE(project.open(dir.file("game.tvp"), false));
    engine.SetModuleLoader(sound::LoadModulePlayer);
    EXPECT_TRUE(audio.Open(""));
    commands.bind(&project, &engine, &host);
  }

  int resource(const char* name) const { return commands.FindAsset(AssetKind::Resource, name); }

  // Runs a command; the error code (0 on success).
  int run(std::int32_t command, std::initializer_list<std::int32_t> values) {
    std::vector<std::int32_t> p(values);
    out.assign(3, -99);
    err.Clear();
    const bool ok = commands.Execute(command, p.data(), int(p.size()), out.data(), outCount, err);
    EXPECT_EQ(ok, err.GetError() == 0);
    return err.GetError();
  }
  // SoundExPlay with the values in command order (channel last); the channel used in `out[0]`.
  int playEx(const char* name, std::int32_t freq, std::int32_t bal, std::int32_t vol, std::int32_t bend,
             std::int32_t type, std::int32_t count, std::int32_t start, std::int32_t end, std::int32_t channel) {
    return run(174, {resource(name), freq, bal, vol, bend, type, count, start, end, channel});
  }
  int setProps(std::int32_t channel, std::int32_t freq, std::int32_t bal, std::int32_t vol, std::int32_t bend,
               std::int32_t type, std::int32_t count, std::int32_t start, std::int32_t end) {
    return run(175, {channel, freq, bal, vol, bend, type, count, start, end});
  }
  sound::MixChannel channel(int i) {
    return engine.WithMixer([i](sound::Mixer& m) { return m.channels[std::size_t(i)]; });
  }
  bool playing(int i) { return engine.IsChannelPlaying(i); }

  test::TempDir dir;
  test::RecordingHost host;
  std::string working;
  project::Project project;
  sound::AudioEngine engine;
  GameAudio audio;
  SoundCommands commands;
  ErrorState err;
  std::vector<std::int32_t> out;
  int outCount = 0;
};

SoundValues values(std::int32_t channel, std::int32_t freq, std::int32_t bal, std::int32_t vol, std::int32_t bend,
                   std::int32_t type, std::int32_t count, std::int32_t start, std::int32_t end) {
  return SoundValues{channel, freq, bal, vol, bend, type, count, start, end};
}

int check(const SoundValues& v, bool changing) {
  ErrorState err;
  const bool ok = CheckSoundValues(v, changing, err);
  EXPECT_EQ(ok, err.GetError() == 0);
  return err.GetError();
}

}  // namespace

TEST(SoundValuesCheck, RangesAndTheOrderOfTheErrors) {
  EXPECT_EQ(check(values(-1, 22050, 128, 64, 0, 0, 1, 0, 0), false), 0);
  EXPECT_EQ(check(values(31, 1, 0, 0, -1, 1, 30000, 1048576, 1048576), false), 0);
  EXPECT_EQ(check(values(32, 22050, 128, 64, 0, 0, 1, 0, 0), false), 110);
  EXPECT_EQ(check(values(-2, 22050, 128, 64, 0, 0, 1, 0, 0), false), 110);
  EXPECT_EQ(check(values(-3, 22050, 128, 64, 0, 0, 1, 0, 0), true), 0);
  EXPECT_EQ(check(values(-4, 22050, 128, 64, 0, 0, 1, 0, 0), true), 110);
  EXPECT_EQ(check(values(0, 0, 128, 64, 0, 0, 1, 0, 0), false), 111);
  EXPECT_EQ(check(values(0, 460801, 128, 64, 0, 0, 1, 0, 0), false), 111);
  // Frequency plus bend must stay within 0..460800.
  EXPECT_EQ(check(values(0, 460800, 128, 64, 1, 0, 1, 0, 0), false), 112);
  EXPECT_EQ(check(values(0, 1000, 128, 64, -1000, 0, 1, 0, 0), false), 0);
  EXPECT_EQ(check(values(0, 1000, 128, 64, -1001, 0, 1, 0, 0), false), 112);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 2147483647, 0, 1, 0, 0), false), 112);  // no overflow
  EXPECT_EQ(check(values(0, 1000, 128, 65, 0, 0, 1, 0, 0), false), 113);
  EXPECT_EQ(check(values(0, 1000, 256, 64, 0, 0, 1, 0, 0), false), 114);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 2, 1, 0, 0), false), 115);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, -2, 0, 0), false), 116);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, 30001, 0, 0), false), 116);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, 1, -1, 0), false), 117);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, 1, 500, 400), false), 117);
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, 1, 500, 0), false), 0);  // 0: the sample's end
  EXPECT_EQ(check(values(0, 1000, 128, 64, 0, 0, 1, 0, 1048577), false), 118);
  // Only the first bad value is reported.
  EXPECT_EQ(check(values(40, 0, 300, 99, 0, 7, -5, -1, -1), false), 110);
  EXPECT_EQ(check(values(0, 0, 300, 99, 0, 7, -5, -1, -1), false), 111);
  EXPECT_EQ(check(values(0, 1, 300, 99, 0, 7, -5, -1, -1), false), 113);

  // Changing: a kept value skips its own test, and only its own.
  EXPECT_EQ(check(values(K, K, K, K, K, K, K, K, K), true), 0);
  EXPECT_EQ(check(values(K, K, K, K, K, K, K, K, K), false), 110);
  EXPECT_EQ(check(values(5, K, K, 20, K, K, K, K, K), true), 0);
  EXPECT_EQ(check(values(5, K, K, 65, K, K, K, K, K), true), 113);
  // With the frequency kept, a bend down to -460800 may still be made up for.
  EXPECT_EQ(check(values(5, K, K, K, -460800, K, K, K, K), true), 0);
  EXPECT_EQ(check(values(5, K, K, K, -460801, K, K, K, K), true), 112);
  EXPECT_EQ(check(values(5, K, K, K, K, K, K, 900, 800), true), 117);
  EXPECT_EQ(check(values(5, K, K, K, K, K, K, 900, K), true), 0);
}

TEST(SoundCommandsTest, ResourcesMustBeOfTheirKindAndLoad) {
  SoundRig s;
  ASSERT_GE(s.resource("beep"), 0);  // names ignore case
  EXPECT_EQ(s.run(173, {s.resource("Picture")}), 107);
  EXPECT_EQ(s.run(173, {s.resource("Song")}), 107);
  EXPECT_EQ(s.playEx("Song", 22050, 128, 64, 0, 0, 1, 0, 0, -1), 107);
  EXPECT_EQ(s.run(171, {s.resource("Beep")}), 105);
  EXPECT_EQ(s.run(171, {12345}), 105);  // no such resource
  // Files that are missing or cannot be read.
  EXPECT_EQ(s.run(173, {s.resource("Gone")}), 107);
  EXPECT_EQ(s.run(171, {s.resource("Junk")}), 106);
  for (int i = 0; i < 32; ++i) EXPECT_FALSE(s.playing(i));

  EXPECT_EQ(s.run(173, {s.resource("Beep")}), 0);
  EXPECT_TRUE(s.playing(0));
  EXPECT_EQ(s.channel(0).volume, 64);
  EXPECT_EQ(s.channel(0).pan, 128);
  EXPECT_EQ(s.channel(0).base, 22050);
  EXPECT_EQ(s.channel(0).loopCount, 1);
  EXPECT_EQ(s.run(171, {s.resource("Song")}), 0);
  // The four music channels take the lowest free channels after the beep.
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(s.channel(i).owner, i - 1);
  EXPECT_EQ(s.run(172, {}), 0);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(s.channel(i).owner, sound::kOwnerFree);
  EXPECT_TRUE(s.playing(0));  // stopping the music leaves the sound effects
}

TEST(SoundCommandsTest, ExtendedPlayChannelsAndChanges) {
  SoundRig s;
  // A given channel, with every setting.
  EXPECT_EQ(s.playEx("Beep", 11025, 0, 40, 100, 1, -1, 200, 1500, 7), 0);
  EXPECT_EQ(s.outCount, 1);
  EXPECT_EQ(s.out[0], 7);
  sound::MixChannel c = s.channel(7);
  EXPECT_EQ(c.base, 11025);
  EXPECT_EQ(c.bend, 100);
  EXPECT_EQ(c.pan, 0);
  EXPECT_EQ(c.volume, 40);
  EXPECT_EQ(c.loopType, 1);
  EXPECT_EQ(c.loopCount, -1);
  EXPECT_EQ(c.end, 1500u);
  EXPECT_EQ(c.loopLength, 1300);
  // Busy: 109, and the playing channel keeps its settings.
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 1, 0, 0, 7), 109);
  EXPECT_EQ(s.channel(7).volume, 40);
  // Any free channel is reported back.
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 3, 0, 0, -1), 0);
  EXPECT_EQ(s.out[0], 0);
  // A failing check changes nothing and stores nothing.
  EXPECT_EQ(s.playEx("Beep", 460800, 128, 64, 1, 0, 1, 0, 0, -1), 112);
  EXPECT_EQ(s.outCount, 0);
  EXPECT_FALSE(s.playing(1));

  // Only the volume changes when every other value is kept.
  const sound::MixChannel before = s.channel(7);
  EXPECT_EQ(s.setProps(7, K, K, 12, K, K, K, K, K), 0);
  const sound::MixChannel after = s.channel(7);
  EXPECT_EQ(after.volume, 12);
  EXPECT_EQ(after.base, before.base);
  EXPECT_EQ(after.bend, before.bend);
  EXPECT_EQ(after.pan, before.pan);
  EXPECT_EQ(after.loopType, before.loopType);
  EXPECT_EQ(after.loopCount, before.loopCount);
  EXPECT_EQ(after.end, before.end);
  EXPECT_EQ(after.loopLength, before.loopLength);
  // A refused value changes nothing.
  EXPECT_EQ(s.setProps(7, K, 300, 60, K, K, K, K, K), 114);
  EXPECT_EQ(s.channel(7).volume, 12);

  // Setting a loop count on a free channel does not hold it busy.
  EXPECT_EQ(s.setProps(20, K, K, K, K, K, 5, K, K), 0);
  EXPECT_FALSE(s.playing(20));
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 1, 0, 0, 20), 0);
  EXPECT_EQ(s.out[0], 20);
}

TEST(SoundCommandsTest, SelectorsStopEffectsOrMusic) {
  SoundRig s;
  ASSERT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, -1, 0, 0, -1), 0);
  ASSERT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, -1, 0, 0, -1), 0);
  ASSERT_EQ(s.run(171, {s.resource("Song")}), 0);
  // -2: the music channels only.
  EXPECT_EQ(s.setProps(-2, K, K, 10, K, K, K, K, K), 0);
  EXPECT_EQ(s.channel(0).volume, 64);
  EXPECT_EQ(s.channel(2).volume, 10);
  // -3 with loop count 0 stops every sound effect and leaves the music.
  EXPECT_EQ(s.setProps(-3, K, K, K, K, K, 0, K, K), 0);
  EXPECT_FALSE(s.playing(0));
  EXPECT_FALSE(s.playing(1));
  EXPECT_EQ(s.channel(2).owner, 0);
  EXPECT_TRUE(s.engine.WithMixer([](sound::Mixer& m) { return m.playing; }));

  // 25 busy channels leave too few for an 8-channel song: 106, sounds go on.
  ASSERT_EQ(s.run(172, {}), 0);
  for (int i = 0; i < 25; ++i) ASSERT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, -1, 0, 0, -1), 0);
  EXPECT_EQ(s.run(171, {s.resource("Eight")}), 106);
  EXPECT_TRUE(s.playing(24));
  for (int i = 25; i < 32; ++i) ASSERT_EQ(s.run(173, {s.resource("Beep")}), 0);
  EXPECT_EQ(s.run(173, {s.resource("Beep")}), 109);
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 1, 0, 0, -1), 109);
  // Loop count 0 with any channel stops the sound effects and succeeds.
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 0, 0, 0, -1), 0);
  EXPECT_EQ(s.out[0], -1);
  for (int i = 0; i < 32; ++i) EXPECT_FALSE(s.playing(i));
}

TEST(SoundCommandsTest, WithoutAnOutputOnlyTheOperandsAreChecked) {
  SoundRig s;
  s.audio.Close();
  EXPECT_EQ(s.run(173, {s.resource("Gone")}), 0);
  EXPECT_EQ(s.run(171, {s.resource("Junk")}), 0);
  EXPECT_EQ(s.run(173, {s.resource("Picture")}), 107);
  EXPECT_EQ(s.run(171, {s.resource("Beep")}), 105);
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 1, 0, 0, 33), 110);
  EXPECT_EQ(s.playEx("Beep", 22050, 128, 64, 0, 0, 1, 0, 0, 3), 0);
  EXPECT_EQ(s.out[0], 3);
  // Without an engine at all, as a family that only checks.
  SoundCommands bare;
  bare.bind(&s.project, nullptr);
  ErrorState err;
  std::int32_t p[1] = {s.resource("Beep")};
  std::int32_t out[3] = {};
  int outCount = 0;
  EXPECT_TRUE(bare.Execute(173, p, 1, out, outCount, err));
  EXPECT_FALSE(bare.Execute(173, p, 0, out, outCount, err));  // missing operand
  EXPECT_FALSE(bare.Execute(176, p, 1, out, outCount, err));  // not a sound command
}

TEST(GameAudioTest, FramePeriodsAndRecordedLength) {
  EXPECT_EQ(FramePeriodMilliseconds(60), 16);
  EXPECT_EQ(FramePeriodMilliseconds(5), 200);
  EXPECT_EQ(FramePeriodMilliseconds(100), 10);
  EXPECT_EQ(FramePeriodMilliseconds(4), 16);
  EXPECT_EQ(FramePeriodMilliseconds(101), 16);
  EXPECT_EQ(FramePeriodMilliseconds(0), 16);

  test::TempDir dir;
  sound::AudioEngine engine;
  const std::string path = dir.file("out.wav");
  {
    GameAudio audio(engine, 30);  // 33 ms a frame
    ASSERT_TRUE(audio.Open(path));
    EXPECT_FALSE(audio.Open(path));  // already open
    for (int f = 0; f < 7; ++f) audio.FrameRan();
    EXPECT_EQ(audio.framesPlayed(), 7u * 33 * 441 / 10);
    EXPECT_TRUE(audio.Close());
    EXPECT_FALSE(engine.IsInitialised());
  }
  sound::SampleData rec;
  ASSERT_TRUE(sound::LoadWav(rec, path));
  EXPECT_EQ(rec.frameCount(), 7u * 33 * 441 / 10);
  // A second run may open the engine again.
  GameAudio again(engine, 60);
  EXPECT_TRUE(again.Open(""));
  EXPECT_TRUE(engine.IsInitialised());
  GameAudio second(engine, 60);
  EXPECT_FALSE(second.Open(""));  // the engine has its output already
  sound::AudioEngine other;
  GameAudio blocked(other, 60);
  EXPECT_FALSE(blocked.Open(dir.file("missing/folder/x.wav")));
  EXPECT_FALSE(other.IsInitialised());
}

}  // namespace tarvolin::commands
