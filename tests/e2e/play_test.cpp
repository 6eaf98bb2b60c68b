#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "sound/sample_data.h"

namespace tarvolin::test {
namespace {

std::string toneFile(const TempDir& dir, const std::string& name, std::uint32_t frames) {
  sound::SampleData s = sound::SampleData::Blank(frames, 8, 22050, 1);
  for (std::uint32_t i = 0; i < frames; ++i) s.bytes()[i] = static_cast<std::uint8_t>(i % 64 < 32 ? 90 : -90);
  std::vector<std::uint8_t> bytes = sound::EncodeWav(s);
  return dir.write(name, std::string(bytes.begin(), bytes.end()));
}

TEST(PlayCommand, RendersThroughTheRecorder) {
  TempDir dir;
  std::string wav = toneFile(dir, "Tone.wav", 11025);  // half a second
  std::string out = dir.file("out.wav");
  ToolResult r = runTool({"play", dir.path() + "/tone.WAV", "--out", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Grabado"), std::string::npos);
  sound::SampleData got;
  ASSERT_TRUE(sound::LoadWav(got, out));
  EXPECT_EQ(got.rate, 44100u);
  EXPECT_EQ(got.layout, sound::SampleLayout::Stereo);
  // Start-up silence, the half second, the drain: between 0.6 and 0.9 s.
  EXPECT_GT(got.frameCount(), 26460u);
  EXPECT_LT(got.frameCount(), 39690u);
  int loud = 0;
  for (std::uint32_t i = 0; i < got.frameCount(); ++i) loud += got.data8()[2 * i] != 0;
  EXPECT_GT(loud, 20000);

  r = runTool({"play", wav, "--out", out, "--seconds", "0.25"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(sound::LoadWav(got, out));
  EXPECT_EQ(got.frameCount(), 11025u);
}

// On SDL's silent "dummy" device, played in real time.
TEST(PlayCommand, PlaysOnTheDeviceInRealTime) {
  TempDir dir;
  std::string wav = toneFile(dir, "tone.wav", 6615);  // 0.3 s
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto begin = std::chrono::steady_clock::now();
  ToolResult r = runTool({"play", wav});
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  ::unsetenv("SDL_AUDIODRIVER");
  if (r.exitCode == 1 && r.err.find("motor de audio") != std::string::npos)
    GTEST_SKIP() << "no audio device here";
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GT(seconds, 0.3);
  EXPECT_LT(seconds, 5.0);
}

TEST(PlayCommand, BadInputGetsAClearError) {
  TempDir dir;
  std::string bad = dir.write("bad.wav", "not a wave file at all, not even close to one");
  std::string out = dir.file("out.wav");
  ToolResult r = runTool({"play", bad, "--out", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("El recurso no es de formato .WAV"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(runTool({"play", dir.file("missing.wav"), "--out", out}).exitCode, 2);
  EXPECT_EQ(runTool({"play", dir.write("a.txt", "x"), "--out", out}).exitCode, 2);
  EXPECT_EQ(runTool({"play"}).exitCode, 2);
  EXPECT_EQ(runTool({"play", bad, "--seconds", "-1"}).exitCode, 2);
}

}  // namespace
}  // namespace tarvolin::test
