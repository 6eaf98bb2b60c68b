// tarvolin play with MOD and XM songs the test writes.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "sound/mod_writer.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"
#include "sound/xm_writer.h"

namespace tarvolin::test {
namespace {

using sound::test::at;
using sound::test::cellOf;

// Frames of the left channel that are not silence.
int loudFrames(const sound::SampleData& s) {
  int loud = 0;
  for (std::uint32_t i = 0; i < s.frameCount(); ++i) loud += s.data8()[2 * i] != 0;
  return loud;
}

TEST(MusicPlayCommand, RendersModAndXmSongs) {
  TempDir dir;
  // One pattern at one tick per row: 64 rows of 882 frames, then the song ends.
  sound::MusicModule mod = sound::test::makeMod(4);
  mod.samples[0].loopStart = 0;
  mod.samples[0].loopLength = 1000;
  at(mod, 0, 0, 0) = cellOf(61, 1, 0xF, 0x01);
  const std::string modPath = dir.file("Song.MOD");
  ASSERT_TRUE(sound::saveMod(mod, modPath));
  const std::string out = dir.file("out.wav");
  ToolResult r = runTool({"play", modPath, "--out", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  sound::SampleData got;
  ASSERT_TRUE(sound::LoadWav(got, out));
  EXPECT_GT(got.frameCount(), 64u * 882);
  EXPECT_LT(got.frameCount(), 64u * 882 + 44100 / 2);
  EXPECT_GT(loudFrames(got), 50000);

  sound::MusicModule xm = sound::test::makeXm(16, 1, true);
  at(xm, 0, 0, 0) = cellOf(61, 1);
  at(xm, 0, 0, 15) = cellOf(73, 1);
  const std::string xmPath = dir.file("song.xm");
  ASSERT_TRUE(sound::saveXm(xm, xmPath));
  r = runTool({"play", xmPath, "--out", out, "--seconds", "1.5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(sound::LoadWav(got, out));
  EXPECT_EQ(got.frameCount(), 66150u);
  EXPECT_GT(loudFrames(got), 50000);  // the sample loops all the time
}

TEST(MusicPlayCommand, BadSongsGetAClearError) {
  TempDir dir;
  const std::string out = dir.file("out.wav");
  ToolResult r = runTool({"play", dir.write("short.mod", std::string(500, 'x')), "--out", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("mal formato del MOD/XM"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
  r = runTool({"play", dir.write("not.xm", "Extended Modul"), "--out", out});
  EXPECT_EQ(r.exitCode, 1);
  // 33 channels cannot be bound on a 32-channel mixer.
  sound::MusicModule wide = sound::test::makeMod(33);
  const std::string widePath = dir.file("wide.mod");
  ASSERT_TRUE(sound::saveMod(wide, widePath));
  r = runTool({"play", widePath, "--out", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("No hay canales de sonido libres"), std::string::npos);
}

}  // namespace
}  // namespace tarvolin::test
