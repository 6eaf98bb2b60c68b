#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "sound/sample_cache.h"
#include "sound/sample_data.h"

namespace tarvolin::sound {
namespace {

using Bytes = std::string;

void put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put16(Bytes& b, std::uint16_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>(v >> 8);
}
Bytes chunk(const char* id, const Bytes& body) {
  Bytes b(id, 4);
  put32(b, static_cast<std::uint32_t>(body.size()));
  b += body;
  if (body.size() & 1) b += '\0';
  return b;
}
Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes f;
  put16(f, tag);
  put16(f, channels);
  put32(f, rate);
  put32(f, rate * channels * bits / 8);
  put16(f, static_cast<std::uint16_t>(channels * bits / 8));
  put16(f, bits);
  return f;
}
Bytes riff(const Bytes& chunks) {
  Bytes b("RIFF");
  put32(b, static_cast<std::uint32_t>(chunks.size() + 4));
  return b + "WAVE" + chunks;
}
// The canonical 44-byte-header file, as the writer makes it (no pad byte
// after odd data).
Bytes canonical(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data) {
  Bytes body = chunk("fmt ", fmtBody(1, channels, rate, bits)) + "data";
  put32(body, static_cast<std::uint32_t>(data.size()));
  return riff(body + data);
}

bool parse(SampleData& s, const Bytes& b) {
  return ParseWav(s, reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
}

TEST(Wav, HeaderSizeLimitsAndEmptySample) {
  Bytes empty = canonical(1, 22050, 8, "");
  ASSERT_EQ(empty.size(), 44u);
  SampleData s;
  ASSERT_TRUE(parse(s, empty));
  EXPECT_EQ(s.length(), 0u);
  EXPECT_EQ(s.bits, 8);
  EXPECT_FALSE(parse(s, empty.substr(0, 43)));
  EXPECT_FALSE(parse(s, ""));

  // Wrong tags fail.
  for (std::size_t at : {0u, 8u, 12u, 36u}) {
    Bytes bad = canonical(1, 22050, 8, "abcd");
    bad[at] = 'x';
    EXPECT_FALSE(parse(s, bad)) << "tag at " << at;
  }
  // A data length beyond the file is cut to what the file holds.
  Bytes cut = canonical(1, 8000, 8, "abcdef");
  cut[40] = 100;
  ASSERT_TRUE(parse(s, cut));
  EXPECT_EQ(s.length(), 6u);
  EXPECT_EQ(s.rate, 8000u);
}

TEST(Wav, ChunksBeforeDataAndLongFormatChunk) {
  Bytes data("\x80\x81\x7F", 3);
  Bytes longFmt = fmtBody(1, 1, 11025, 8) + Bytes("\0\0", 2);  // cbSize = 0
  Bytes file = riff(chunk("fmt ", longFmt) + chunk("fact", Bytes(4, '\0')) +
                    chunk("LIST", "INFOISFT\x05\0\0\0abcde") + chunk("data", data) +
                    chunk("LIST", "trailing"));
  SampleData s;
  ASSERT_TRUE(parse(s, file));
  ASSERT_EQ(s.length(), 3u);
  EXPECT_EQ(s.data8()[0], 0);
  EXPECT_EQ(s.data8()[1], 1);
  EXPECT_EQ(s.data8()[2], -1);
  EXPECT_EQ(s.rate, 11025u);

  // Extensible format with a PCM sub-format loads; other formats do not.
  Bytes ext = fmtBody(0xFFFE, 2, 44100, 16);
  put16(ext, 22);
  put16(ext, 16);
  put32(ext, 3);
  Bytes guid("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
  ASSERT_TRUE(parse(s, riff(chunk("fmt ", ext + guid) + chunk("data", Bytes(8, '\x01')))));
  EXPECT_EQ(s.layout, SampleLayout::Stereo);
  EXPECT_EQ(s.bits, 16);
  guid[0] = 3;  // float
  EXPECT_FALSE(parse(s, riff(chunk("fmt ", ext + guid) + chunk("data", Bytes(8, '\x01')))));
  EXPECT_FALSE(parse(s, riff(chunk("fmt ", fmtBody(3, 1, 44100, 16)) + chunk("data", "ab"))));
  EXPECT_FALSE(parse(s, canonical(1, 44100, 24, "abc")));
  EXPECT_FALSE(parse(s, canonical(3, 44100, 8, "abc")));
  // A format chunk shorter than 16 bytes, or a missing data chunk, fails.
  EXPECT_FALSE(parse(s, riff(chunk("fmt ", fmtBody(1, 1, 8000, 8).substr(0, 14)) + chunk("data", "ab"))));
  EXPECT_FALSE(parse(s, riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)))));
  // A chunk size that runs past the end does not loop or read outside.
  Bytes huge = riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + "JUNK\xFF\xFF\xFF\xFF" + "xx");
  EXPECT_FALSE(parse(s, huge));
}

TEST(Wav, MakeMonoAveragesSignedValues) {
  SampleData s;
  ASSERT_TRUE(parse(s, canonical(2, 22050, 8, Bytes("\x81\x7F\xFF\xFF\x00\x02", 6))));
  MakeMono(s);
  EXPECT_EQ(s.layout, SampleLayout::Mono);
  ASSERT_EQ(s.length(), 3u);
  EXPECT_EQ(s.data8()[0], 0);     // 1 and -1
  EXPECT_EQ(s.data8()[1], 127);   // 127 and 127
  EXPECT_EQ(s.data8()[2], -127);  // -128 and -126

  Bytes d16;
  put16(d16, 1000);
  put16(d16, static_cast<std::uint16_t>(-3000));
  put16(d16, 32767);
  put16(d16, 32767);
  ASSERT_TRUE(parse(s, canonical(2, 22050, 16, d16)));
  MakeMono(s);
  ASSERT_EQ(s.frameCount(), 2u);
  EXPECT_EQ(s.data16()[0], -1000);
  EXPECT_EQ(s.data16()[1], 32767);
}

TEST(Wav, RoundTripIsByteForByte) {
  test::TempDir dir;
  Bytes d8;
  for (int i = 0; i < 256; ++i) d8 += static_cast<char>(i);
  Bytes d16;
  for (int i = 0; i < 300; ++i) put16(d16, static_cast<std::uint16_t>(i * 977));
  for (const Bytes& original : {canonical(1, 22050, 8, d8), canonical(2, 44100, 16, d16),
                                canonical(2, 8000, 8, d8), canonical(1, 11025, 8, "")}) {
    std::string in = dir.write("in.wav", original);
    SampleData s;
    ASSERT_TRUE(LoadWav(s, in));
    ASSERT_TRUE(SaveWav(s, dir.file("out.wav")));
    EXPECT_EQ(test::TempDir::read(dir.file("out.wav")), original);
  }
  // A file with other chunks saves as the canonical form of the same sound.
  std::string extra = dir.write("x.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) +
                                              chunk("LIST", "abc") + chunk("data", "hello")));
  SampleData s;
  ASSERT_TRUE(LoadWav(s, extra));
  ASSERT_TRUE(SaveWav(s, dir.file("x2.wav")));
  EXPECT_EQ(test::TempDir::read(dir.file("x2.wav")), canonical(1, 8000, 8, "hello"));
  // Saving the same bytes again leaves the file (and its time stamp) alone.
  std::filesystem::last_write_time(dir.file("x2.wav"), std::filesystem::file_time_type{});
  ASSERT_TRUE(SaveWav(s, dir.file("x2.wav")));
  EXPECT_EQ(std::filesystem::last_write_time(dir.file("x2.wav")), std::filesystem::file_time_type{});
  s.rate = 8001;
  ASSERT_TRUE(SaveWav(s, dir.file("x2.wav")));
  EXPECT_NE(std::filesystem::last_write_time(dir.file("x2.wav")), std::filesystem::file_time_type{});
  // Saving into a folder that does not exist fails and leaves nothing.
  EXPECT_FALSE(SaveWav(s, dir.file("missing/out.wav")));
  EXPECT_FALSE(LoadWav(s, dir.file("missing.wav")));
  EXPECT_TRUE(s.empty());
}

TEST(SampleData, CopiesAndBlank) {
  SampleData s = SampleData::Blank(10, 16, 32000, 2);
  EXPECT_EQ(s.layout, SampleLayout::Stereo);
  EXPECT_EQ(s.length(), 10u);
  EXPECT_EQ(s.frameCount(), 2u);
  for (std::uint32_t i = 0; i < 10; ++i) s.bytes()[i] = static_cast<std::uint8_t>(i);
  s.useCount = 3;
  SampleData copy(s);
  EXPECT_EQ(copy.useCount, 0);
  EXPECT_EQ(std::memcmp(copy.bytes(), s.bytes(), 10), 0);
  SampleData part = SampleData::CopyRange(s, 3, 7);
  ASSERT_EQ(part.length(), 4u);
  EXPECT_EQ(part.bytes()[0], 3);
  EXPECT_EQ(part.rate, 32000u);
  EXPECT_EQ(SampleData::CopyRange(s, 8, 100).length(), 2u);
  EXPECT_EQ(SampleData::CopyRange(s, 9, 2).length(), 0u);
  SampleData blank;
  EXPECT_EQ(blank.rate, 22050u);
  EXPECT_EQ(blank.bits, 8);
}

TEST(SampleCache, LoadsOnceIgnoringCase) {
  test::TempDir dir;
  std::string path = dir.write("Boom.wav", canonical(2, 22050, 8, Bytes("\x81\x7F", 2)));
  SampleCache cache;
  SampleData* first = cache.Get(path, true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->layout, SampleLayout::Mono);
  // Replace the file: the second request in other case must not read it.
  dir.write("Boom.wav", "garbage");
  std::string upper = dir.path() + "/BOOM.WAV";
  EXPECT_EQ(cache.Get(upper, true), first);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.Get(dir.file("nothing.wav"), true), nullptr);
  EXPECT_EQ(cache.size(), 1u);
  cache.Clear();
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.Get(path, true), nullptr);  // now reads the garbage
}

}  // namespace
}  // namespace tarvolin::sound
