// The way the script's music commands reach the sound: the workbench's audio
// engine loads a song file, plays it into the (recorded) output and stops it.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "platform/wav_recorder.h"
#include "sound/mod_writer.h"
#include "sound/music_player.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"
#include "sound/xm_writer.h"
#include "workbench/workbench.h"

namespace tarvolin::sound {
namespace {

using test::at;
using test::cellOf;

class SilentHost : public Host {
 public:
  void outputLine(std::string_view) override {}
  MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons, MessageAnswer a) override {
    return a;
  }
};

// Left-channel frames of a recording that are not silence, in [from, to).
int loud(const SampleData& s, std::uint32_t from, std::uint32_t to) {
  int n = 0;
  for (std::uint32_t i = from; i < to && i < s.frameCount(); ++i) n += s.data8()[2 * i] != 0;
  return n;
}

TEST(MusicEngine, PlayMusicResourceRecordsTheSongAndStopMusicEndsIt) {
  tarvolin::test::TempDir dir;
  MusicModule mod = test::makeMod(4);
  mod.samples[0].loopLength = 1000;
  at(mod, 0, 0, 0) = cellOf(61, 1);
  ASSERT_TRUE(saveMod(mod, dir.file("tema.mod")));
  MusicModule xm = test::makeXm(2);
  at(xm, 0, 0, 1) = cellOf(61, 1);
  ASSERT_TRUE(saveXm(xm, dir.file("tema.xm")));

  SilentHost host;
  platform::WavRecorderOutput recorder(dir.file("grabado.wav"));  // outlives the engine
  Workbench bench(host);
  AudioEngine& audio = bench.audio();
  ASSERT_TRUE(audio.InitAudio(recorder));
  ASSERT_TRUE(audio.PlayMusicResource(dir.file("tema.mod")));
  recorder.AdvanceMilliseconds(1000);
  audio.StopMusic();
  recorder.AdvanceMilliseconds(500);
  // Stored names may differ from the file's in letter case.
  ASSERT_TRUE(audio.PlayMusicResource(dir.file("TEMA.XM")));
  recorder.AdvanceMilliseconds(500);
  // Not a song: the kind comes from the extension, the bytes must match it.
  EXPECT_FALSE(audio.PlayMusicResource(dir.write("falso.mod", "corto")));
  EXPECT_FALSE(audio.PlayMusicResource(dir.file("tema.wav")));
  EXPECT_FALSE(audio.PlayMusicResource(dir.file("no_existe.xm")));
  audio.ShutdownAudio();
  ASSERT_TRUE(recorder.Finish());

  SampleData got;
  ASSERT_TRUE(LoadWav(got, dir.file("grabado.wav")));
  // 100 ms of start-up silence, then the song; after StopMusic (and the 100 ms
  // already queued) silence again, then the XM on its right-hand channel.
  EXPECT_GT(loud(got, 44100 / 5, 44100), 30000);
  EXPECT_EQ(loud(got, 44100 + 44100 / 4, 44100 + 44100 / 2), 0);
  int right = 0;
  for (std::uint32_t i = 44100 * 3 / 2 + 8820; i < got.frameCount(); ++i) right += got.data8()[2 * i + 1] != 0;
  EXPECT_GT(right, 5000);
}

TEST(MusicEngine, SongsAreReadByWhatTheyHold) {
  tarvolin::test::TempDir dir;
  std::string modBytes, xmBytes;
  ASSERT_TRUE(writeMod(test::makeMod(4), modBytes));
  ASSERT_TRUE(writeXm(test::makeXm(2), xmBytes));
  // The name says one kind, the bytes the other: the bytes decide.
  std::unique_ptr<ModulePlayer> p = LoadModulePlayer(dir.write("xm_llamado.mod", xmBytes), ModuleKind::Mod);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Kind(), ModuleKind::Xm);
  p = LoadModulePlayer(dir.write("mod_llamado.xm", modBytes), ModuleKind::Xm);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Kind(), ModuleKind::Mod);

  // Neither: a text, zeros, a header with a song position past pattern 127,
  // an XM cut inside its header.
  std::string text;
  while (text.size() < 4000) text += "Esto no es una canción, es un texto cualquiera.\r\n";
  std::string badOrder = modBytes;
  badOrder[952] = char(200);
  const std::string notSongs[] = {text, std::string(1084, '\0'), badOrder, xmBytes.substr(0, 40)};
  for (const std::string& bytes : notSongs)
    EXPECT_FALSE(LoadModulePlayer(dir.write("falso.mod", bytes), ModuleKind::Mod)) << bytes.size();

  // With an output open, such a file fails to play instead of playing silence.
  SilentHost host;
  platform::WavRecorderOutput recorder(dir.file("grabado.wav"));
  Workbench bench(host);
  ASSERT_TRUE(bench.audio().InitAudio(recorder));
  EXPECT_FALSE(bench.audio().PlayMusicResource(dir.write("texto.mod", text)));
  EXPECT_TRUE(bench.audio().PlayMusicResource(dir.file("xm_llamado.mod")));
  bench.audio().ShutdownAudio();
}

}  // namespace
}  // namespace tarvolin::sound
