#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/temp_dir.h"
#include "platform/paths.h"
#include "platform/wav_recorder.h"
#include "sound/audio_engine.h"
#include "workbench/workbench.h"

namespace tarvolin::sound {
namespace {

class RecordingHost : public Host {
 public:
  void outputLine(std::string_view text) override { lines.emplace_back(text); }
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons,
                           MessageAnswer answer) override {
    boxes.push_back(std::string(caption) + ": " + std::string(text));
    boxOverProgress = boxOverProgress || progressOpen;
    return answer;
  }
  bool progress(int percent, std::string_view label) override {
    status.emplace_back(label);
    progressOpen = percent < 100;
    return true;
  }
  std::vector<std::string> lines, boxes, status;
  bool progressOpen = false;     // a progress window is up
  bool boxOverProgress = false;  // a box was shown while one was
};

// A device the test drives by hand: it keeps what was written and reports a
// buffer played when told.
class ManualOutput : public platform::AudioOutput {
 public:
  bool Open(BufferDone done) override {
    done_ = std::move(done);
    return true;
  }
  void Close() override { closed = true; }
  void Write(const std::uint8_t* bytes, std::size_t size) override {
    written.emplace_back(bytes, bytes + size);
    sources.push_back(bytes);
  }
  void Pause() override { devicePaused = true; }
  void Resume() override { devicePaused = false; }
  void finishOne() { done_(); }

  std::vector<std::vector<std::uint8_t>> written;
  std::vector<const std::uint8_t*> sources;  // which engine buffer each came from
  bool devicePaused = false;
  bool closed = false;

 private:
  BufferDone done_;
};

std::string wavFile(const test::TempDir& dir, const std::string& name, std::uint32_t frames, std::uint8_t value) {
  sound::SampleData s = sound::SampleData::Blank(frames, 8, 44101, 1);
  std::fill(s.bytes(), s.bytes() + frames, static_cast<std::uint8_t>(value - 128));
  std::vector<std::uint8_t> bytes = EncodeWav(s);
  return dir.write(name, std::string(bytes.begin(), bytes.end()));
}

bool silent(const std::vector<std::uint8_t>& b) {
  return std::all_of(b.begin(), b.end(), [](std::uint8_t x) { return x == 128; });
}

TEST(AudioEngine, WithoutDeviceEverythingSucceedsSilently) {
  RecordingHost host;
  platform::NullAudioOutput none;
  AudioEngine engine;
  EXPECT_FALSE(engine.InitAudio(none, &host));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0],
            "Tarvolin: ¡Fallo al inicializar el motor de audio! No habrá ni música ni sonido disponible.");
  EXPECT_EQ(host.status.at(0), "Inicializando el motor de audio...");
  // The failure box comes after the progress window has gone, and none is
  // left behind to hold up the frames.
  EXPECT_FALSE(host.boxOverProgress);
  EXPECT_FALSE(host.progressOpen);
  EXPECT_FALSE(engine.IsInitialised());
  int ch = -1;
  EXPECT_EQ(engine.PlaySound("/no/such.wav", ch, SoundParams{}), PlayStatus::Ok);
  EXPECT_EQ(engine.PlaySoundSimple("/no/such.wav"), PlayStatus::Ok);
  EXPECT_TRUE(engine.PlayMusicResource("/no/such.mod"));
  EXPECT_FALSE(engine.IsChannelPlaying(0));
  engine.PauseAudio();
  EXPECT_FALSE(engine.IsAudioPaused());
  engine.ShutdownAudio(&host);
}

TEST(AudioEngine, BufferCycleRendersTheCurrentMixer) {
  test::TempDir dir;
  std::string path = wavFile(dir, "Beep.wav", 30000, 200);
  RecordingHost host;
  ManualOutput out;
  AudioEngine engine;
  ASSERT_TRUE(engine.InitAudio(out, &host));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_FALSE(host.progressOpen);
  // Two buffers of silence start the cycle.
  ASSERT_EQ(out.written.size(), 2u);
  for (auto& b : out.written) {
    EXPECT_EQ(b.size(), 4410u);
    EXPECT_TRUE(silent(b));
  }
  out.finishOne();
  ASSERT_EQ(out.written.size(), 3u);
  EXPECT_TRUE(silent(out.written[2]));
  // Two buffers take turns: the one that just played is filled again.
  out.finishOne();
  EXPECT_NE(out.sources[0], out.sources[1]);
  EXPECT_EQ(out.sources[2], out.sources[0]);
  EXPECT_EQ(out.sources[3], out.sources[1]);

  EXPECT_EQ(engine.PlaySoundSimple(dir.path() + "/BEEP.WAV"), PlayStatus::Ok);
  EXPECT_TRUE(engine.IsChannelPlaying(0));
  int ch = -1;
  EXPECT_EQ(engine.PlaySound(dir.file("missing.wav"), ch, SoundParams{}), PlayStatus::NotLoaded);
  out.finishOne();
  EXPECT_FALSE(silent(out.written.back()));

  // Paused: the device holds; a late notification writes silence.
  engine.PauseAudio();
  EXPECT_TRUE(engine.IsAudioPaused());
  EXPECT_TRUE(out.devicePaused);
  out.finishOne();
  EXPECT_TRUE(silent(out.written.back()));
  engine.ResumeAudio();
  EXPECT_FALSE(out.devicePaused);

  // The tool mixer plays alone, reset; the game mixer comes back as it was.
  engine.PauseAudio();
  engine.SelectMixer(false);
  EXPECT_FALSE(engine.IsAudioPaused());
  EXPECT_FALSE(engine.IsChannelPlaying(0));
  out.finishOne();
  EXPECT_TRUE(silent(out.written.back()));
  engine.SelectMixer(true);
  EXPECT_TRUE(engine.IsAudioPaused());
  EXPECT_TRUE(engine.IsChannelPlaying(0));
  engine.ResumeAudio();

  // Clearing the cache stops what plays from it.
  SampleData* cached = engine.GetSound(path);
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(cached->useCount, 1);
  engine.ClearCache();
  EXPECT_FALSE(engine.IsChannelPlaying(0));

  engine.ShutdownAudio(&host);
  EXPECT_TRUE(out.closed);
  EXPECT_FALSE(engine.IsInitialised());
  EXPECT_EQ(host.status.back(), "Apagando el motor de audio...");
}

TEST(AudioEngine, EachWorkbenchHasItsOwn) {
  RecordingHost host;
  Workbench first(host), second(host);
  ManualOutput out;
  ASSERT_TRUE(first.audio().InitAudio(out));
  EXPECT_TRUE(first.audio().IsInitialised());
  EXPECT_FALSE(second.audio().IsInitialised());
  first.audio().ShutdownAudio();
}

class TinySong : public ModulePlayer {
 public:
  explicit TinySong(int channels) : channels_(channels) {}
  std::unique_ptr<ModulePlayer> Clone() const override { return std::make_unique<TinySong>(*this); }
  ModuleKind Kind() const override { return ModuleKind::Mod; }
  int ChannelCount() const override { return channels_; }
  int SongLength() const override { return 4; }
  int RestartPosition() const override { return 0; }
  int InitialSpeed() const override { return 6; }
  int Tempo() const override { return 125; }
  int OrderLimit() const override { return 4; }
  int LastRow(int) const override { return 63; }
  void PlayRow(Mixer&) override {}
  void PlayTick(Mixer&) override {}

 private:
  int channels_;
};

TEST(AudioEngine, PlayModuleCopiesStartsAndSeeks) {
  ManualOutput out;
  AudioEngine engine;
  ASSERT_TRUE(engine.InitAudio(out));
  TinySong song(4);
  ASSERT_TRUE(engine.PlayModule(song, 2));
  const ModulePlayer* copy = engine.WithMixer([](Mixer& m) { return m.module(); });
  EXPECT_NE(copy, &song);
  EXPECT_EQ(engine.WithMixer([](Mixer& m) { return m.orderPosition; }), 2);
  // The mixer's own module restarts without a copy; an order past the song
  // is ignored.
  ASSERT_TRUE(engine.PlayModule(*copy, 9));
  EXPECT_EQ(engine.WithMixer([](Mixer& m) { return m.module(); }), copy);
  EXPECT_EQ(engine.WithMixer([](Mixer& m) { return m.orderPosition; }), 0);
  EXPECT_EQ(engine.WithMixer([](Mixer& m) { return m.FreeChannelCount(); }), 28);
  EXPECT_FALSE(engine.PlayModule(TinySong(33)));
  engine.StopMusic();
  EXPECT_EQ(engine.WithMixer([](Mixer& m) { return m.FreeChannelCount(); }), 32);
  engine.ShutdownAudio();
}

TEST(AudioEngine, MusicNeedsALoaderAndAKnownExtension) {
  ManualOutput out;
  AudioEngine engine;
  ASSERT_TRUE(engine.InitAudio(out));
  EXPECT_FALSE(engine.PlayMusicResource("song.mod"));  // no loader yet
  std::vector<ModuleKind> asked;
  engine.SetModuleLoader([&](const std::string&, ModuleKind kind) -> std::unique_ptr<ModulePlayer> {
    asked.push_back(kind);
    return nullptr;
  });
  EXPECT_FALSE(engine.PlayMusicResource("a/Song.XM"));
  EXPECT_FALSE(engine.PlayMusicResource("song.Mod"));
  EXPECT_FALSE(engine.PlayMusicResource("song.wav"));
  EXPECT_FALSE(engine.PlayMusicResource("song"));
  EXPECT_EQ(asked, std::vector<ModuleKind>({ModuleKind::Xm, ModuleKind::Mod}));
  engine.ShutdownAudio();
}

TEST(WavRecorder, RecordsWhatWouldPlayInGameTime) {
  test::TempDir dir;
  std::string path = wavFile(dir, "tone.wav", 4410, 160);
  std::string outPath = dir.file("rec.wav");
  {
    platform::WavRecorderOutput rec(outPath);
    AudioEngine engine;
    ASSERT_TRUE(engine.InitAudio(rec));
    ASSERT_EQ(engine.PlaySoundSimple(path), PlayStatus::Ok);
    for (int frame = 0; frame < 12; ++frame) rec.AdvanceMilliseconds(50);  // 600 ms
    engine.PauseAudio();
    rec.AdvanceMilliseconds(1000);  // nothing while paused
    engine.ResumeAudio();
    rec.AdvanceFrames(441);
    EXPECT_EQ(rec.framesRecorded(), 12u * 2205 + 441);
    engine.ShutdownAudio();
    EXPECT_FALSE(rec.failed());
  }
  SampleData got;
  ASSERT_TRUE(LoadWav(got, outPath));
  EXPECT_EQ(got.rate, 44100u);
  EXPECT_EQ(got.bits, 8);
  EXPECT_EQ(got.layout, SampleLayout::Stereo);
  ASSERT_EQ(got.frameCount(), 12u * 2205 + 441);
  const std::int8_t* d = got.data8();
  // 100 ms of start-up silence, then the tone, then silence again.
  EXPECT_EQ(d[0], 0);
  EXPECT_EQ(d[2 * 4409], 0);
  EXPECT_GT(d[2 * 6000], 0);
  EXPECT_EQ(d[2 * 6000], d[2 * 6000 + 1]);
  EXPECT_EQ(d[2 * 11000], 0);
  EXPECT_FALSE(platform::fileExists(outPath + ".~rec"));
}

}  // namespace
}  // namespace tarvolin::sound
