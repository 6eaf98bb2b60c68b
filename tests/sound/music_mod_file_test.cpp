// MOD files written by the writer (or patched byte by byte) and read back.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/temp_dir.h"
#include "sound/mod_reader.h"
#include "sound/mod_writer.h"
#include "sound/music_builders.h"

namespace tarvolin::sound {
namespace {

using test::at;
using test::cellOf;
using test::makeMod;

void expectSameSong(const MusicModule& a, const MusicModule& b) {
  EXPECT_EQ(a.channelCount, b.channelCount);
  EXPECT_EQ(a.songLength, b.songLength);
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.orders, b.orders);
  ASSERT_EQ(a.patterns.size(), b.patterns.size());
  for (std::size_t p = 0; p < a.patterns.size(); ++p)
    for (int row = 0; row < 64; ++row)
      for (int ch = 0; ch < a.channelCount; ++ch)
        ASSERT_EQ(a.cell(int(p), row, ch), b.cell(int(p), row, ch)) << p << " " << row << " " << ch;
  ASSERT_EQ(a.samples.size(), b.samples.size());
  for (std::size_t s = 0; s < a.samples.size(); ++s) EXPECT_EQ(a.samples[s], b.samples[s]) << s;
}

TEST(MusicModFile, SignaturesNameTheChannelCount) {
  EXPECT_EQ(modChannelsFromSignature("M.K."), 4);
  EXPECT_EQ(modChannelsFromSignature("FLT4"), 4);
  EXPECT_EQ(modChannelsFromSignature("6CHN"), 6);
  EXPECT_EQ(modChannelsFromSignature("8CHN"), 8);
  EXPECT_EQ(modChannelsFromSignature("16CH"), 16);
  EXPECT_EQ(modChannelsFromSignature("99CH"), 99);
  EXPECT_EQ(modChannelsFromSignature("XCHN"), 4);  // a "C" without a number
  EXPECT_EQ(modChannelsFromSignature("0CHN"), 4);
  EXPECT_EQ(modChannelsFromSignature("\0\0\0\0"), 4);

  struct Case {
    int channels;
    const char* signature;
  } cases[] = {{4, "M.K."}, {1, "1CHN"}, {6, "6CHN"}, {8, "8CHN"}, {10, "10CH"}, {16, "16CH"}, {32, "32CH"}};
  for (const Case& c : cases) {
    MusicModule m = makeMod(c.channels);
    std::string bytes;
    ASSERT_TRUE(writeMod(m, bytes)) << c.channels;
    EXPECT_EQ(bytes.substr(1080, 4), std::string(c.signature, 4)) << c.channels;
    EXPECT_EQ(static_cast<unsigned char>(bytes[951]), 127);
    MusicModule back;
    ASSERT_TRUE(readMod(bytes, back));
    EXPECT_EQ(back.channelCount, c.channels);
    EXPECT_EQ(bytes.size(), 1084u + 64u * 4 * c.channels + 1000);
  }
  // No signature can name 0 or 100 channels: the writer refuses rather than
  // write a file that reads back as something else.
  std::string bytes;
  EXPECT_FALSE(writeMod(makeMod(100), bytes));
  EXPECT_FALSE(writeMod(makeMod(0), bytes));
}

TEST(MusicModFile, WrittenSongReadsBackTheSame) {
  MusicModule m = makeMod(8, 3);
  m.orders[3] = 1;
  m.songLength = 4;
  at(m, 0, 0, 0) = cellOf(61, 1, 0xC, 40);
  at(m, 0, 5, 7) = cellOf(37, 2, 0x3, 0x10);
  at(m, 1, 63, 3) = cellOf(108, 31, 0xE, 0x62);
  at(m, 2, 10, 4) = cellOf(0, 0, 0xF, 0x7D);
  m.samples[1].name = "bucle";
  m.samples[1].length = 64;
  m.samples[1].data8.assign(64, 5);
  m.samples[1].loopStart = 16;
  m.samples[1].loopLength = 32;
  m.samples[1].loopType = 1;
  m.samples[1].finetune = -3;
  m.samples[1].volume = 33;
  m.samples[30].length = 2;
  m.samples[30].data8 = {-128, 127};
  m.samples[30].finetune = 7;

  tarvolin::test::TempDir dir;
  const std::string path = dir.file("cancion.mod");
  ASSERT_TRUE(saveMod(m, path));
  MusicModule back;
  ASSERT_TRUE(loadMod(path, back));
  EXPECT_EQ(back.kind, ModuleKind::Mod);
  expectSameSong(m, back);
  // Cells hold the periods of the notes.
  const std::string bytes = tarvolin::test::TempDir::read(path);
  const std::size_t cell = 1084;
  EXPECT_EQ(((static_cast<unsigned char>(bytes[cell]) & 15) << 8) | static_cast<unsigned char>(bytes[cell + 1]), 428);
  EXPECT_FALSE(loadMod(dir.file("no_existe.mod"), back));

  // Saving the same song again leaves the file alone; a save that cannot be
  // written fails and keeps the old file.
  const auto stamp = std::filesystem::last_write_time(path);
  std::filesystem::last_write_time(path, stamp - std::chrono::hours(1));
  ASSERT_TRUE(saveMod(back, path));
  EXPECT_EQ(std::filesystem::last_write_time(path), stamp - std::chrono::hours(1));
  EXPECT_FALSE(saveMod(m, dir.file("no_such_folder/cancion.mod")));
  m.title = "otro";
  ASSERT_TRUE(saveMod(m, path));
  EXPECT_NE(std::filesystem::last_write_time(path), stamp - std::chrono::hours(1));
  EXPECT_EQ(tarvolin::test::TempDir::read(path).substr(0, 4), "otro");
}

TEST(MusicModFile, DamagedFilesLoadWhatIsThere) {
  MusicModule m = makeMod(4, 2);
  at(m, 1, 63, 3) = cellOf(61, 1, 0xA, 0x0F);
  m.samples[0].loopStart = 100;
  m.samples[0].loopLength = 200;
  std::string bytes;
  ASSERT_TRUE(writeMod(m, bytes));
  const std::size_t patternsEnd = 1084 + 2 * 64 * 4 * 4;

  // Too short for the header: refused.
  MusicModule back;
  EXPECT_FALSE(readMod(bytes.substr(0, 1083), back));
  EXPECT_FALSE(readMod("", back));

  // Only the header: empty patterns, empty samples.
  ASSERT_TRUE(readMod(bytes.substr(0, 1084), back));
  EXPECT_EQ(back.patterns.size(), 2u);
  EXPECT_EQ(back.cell(1, 63, 3), PatternCell{});
  EXPECT_EQ(back.samples[0].length, 0u);
  EXPECT_EQ(back.samples[0].loopLength, 0u);

  // Cut inside the sample: it keeps what the file holds and its loop stays inside.
  ASSERT_TRUE(readMod(bytes.substr(0, patternsEnd + 150), back));
  EXPECT_EQ(back.cell(1, 63, 3), cellOf(61, 1, 0xA, 0x0F));
  EXPECT_EQ(back.samples[0].length, 150u);
  EXPECT_EQ(back.samples[0].data8.size(), 150u);
  EXPECT_EQ(back.samples[0].loopStart, 100u);
  EXPECT_EQ(back.samples[0].loopLength, 50u);

  // A loop past the end of the sample in the header is cut to the sample.
  std::string patched = bytes;
  patched[20 + 26] = char(0x01);  // loop start 0x0100 words = 512 bytes
  patched[20 + 27] = char(0x00);
  patched[20 + 28] = char(0x10);  // loop length 0x1000 words
  ASSERT_TRUE(readMod(patched, back));
  EXPECT_EQ(back.samples[0].loopStart, 512u);
  EXPECT_EQ(back.samples[0].loopEnd(), 1000u);
  patched[20 + 26] = char(0x7F);  // loop start beyond the sample: no loop
  ASSERT_TRUE(readMod(patched, back));
  EXPECT_EQ(back.samples[0].loopLength, 0u);

  // Volume above 64 and a sample number above 31 in a cell.
  patched = bytes;
  patched[20 + 25] = char(200);
  patched[1084] = char(0xF0 | (bytes[1084] & 15));
  ASSERT_TRUE(readMod(patched, back));
  EXPECT_EQ(back.samples[0].volume, 64);
  EXPECT_EQ(back.cell(0, 0, 0).instrument, 0xF0 | (static_cast<unsigned char>(bytes[1086]) >> 4));

  // Order entries name patterns the file does not hold: they read as empty.
  patched = bytes.substr(0, 1084);
  patched[952 + 5] = char(200);
  ASSERT_TRUE(readMod(patched, back));
  EXPECT_EQ(back.patterns.size(), 201u);
  EXPECT_EQ(back.cell(200, 10, 2), PatternCell{});
}

}  // namespace
}  // namespace tarvolin::sound
