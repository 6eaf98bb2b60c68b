// XM files written by the writer, and hand-made ones for what the writer
// never produces (unpacked cells, odd header sizes, truncation).
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "sound/module_bytes.h"
#include "sound/music_builders.h"
#include "sound/xm_reader.h"
#include "sound/xm_writer.h"

namespace tarvolin::sound {
namespace {

using test::at;
using test::cellOf;
using test::makeXm;

void expectSameSong(const MusicModule& a, const MusicModule& b) {
  EXPECT_EQ(a.channelCount, b.channelCount);
  EXPECT_EQ(a.songLength, b.songLength);
  EXPECT_EQ(a.restartPosition, b.restartPosition);
  EXPECT_EQ(a.initialSpeed, b.initialSpeed);
  EXPECT_EQ(a.tempo, b.tempo);
  EXPECT_EQ(a.linearFrequencies, b.linearFrequencies);
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.orders, b.orders);
  ASSERT_EQ(a.patterns.size(), b.patterns.size());
  for (std::size_t p = 0; p < a.patterns.size(); ++p) {
    EXPECT_EQ(a.patterns[p].rows, b.patterns[p].rows);
    for (int row = 0; row < a.patterns[p].rows; ++row)
      for (int ch = 0; ch < a.channelCount; ++ch)
        ASSERT_EQ(a.cell(int(p), row, ch), b.cell(int(p), row, ch)) << p << " " << row << " " << ch;
  }
  EXPECT_EQ(a.instruments, b.instruments);
}

// The fixed part of an XM header with a given header size; the order table
// and anything after are appended by the caller.
std::string xmHeader(std::uint32_t headerSize, int songLength, int channels, int patterns,
                     int instruments) {
  detail::ByteSink o;
  o.text("Extended Module: ", 17);
  o.text("hecho a mano", 20);
  o.u8(0x1A);
  o.text("prueba", 20);
  o.le16(0x104);
  o.le32(headerSize);
  o.le16(songLength);
  o.le16(0);
  o.le16(channels);
  o.le16(patterns);
  o.le16(instruments);
  o.le16(1);
  o.le16(5);
  o.le16(140);
  return o.bytes();
}

TEST(MusicXmFile, WrittenSongReadsBackTheSame) {
  for (bool sixteen : {false, true}) {
    MusicModule m = makeXm(6, 2, sixteen);
    m.orders[2] = 1;
    m.songLength = 3;
    m.restartPosition = 1;
    m.initialSpeed = 4;
    m.tempo = 150;
    m.patterns[1].rows = 17;
    m.patterns[1].cells.resize(17 * 6);
    at(m, 0, 0, 0) = cellOf(61, 1, 0xC, 40);
    at(m, 0, 1, 5) = cellOf(kNoteKeyOff, 0);
    at(m, 0, 2, 2) = cellOf(13, 1, 27, 0x31);
    at(m, 0, 2, 2).volumeEffect = kEffectVolumeSlide;
    at(m, 0, 2, 2).volumeParameter = 0x30;
    at(m, 1, 16, 3) = cellOf(108, 2, 25, 0x0F);
    at(m, 1, 16, 3).volumeEffect = kEffectSetVolume;
    at(m, 1, 16, 3).volumeParameter = 64;
    Pattern empty;
    empty.rows = 32;
    empty.cells.assign(32 * 6, PatternCell{});
    m.patterns.push_back(empty);
    Instrument& ins = m.instruments[0];
    ins.keymap[40] = 1;
    ins.fadeout = 1234;
    ins.volumeEnvelope.count = 3;
    ins.volumeEnvelope.points[0] = {0, 64};
    ins.volumeEnvelope.points[1] = {10, 32};
    ins.volumeEnvelope.points[2] = {300, 0};
    ins.volumeEnvelope.sustain = 1;
    ins.volumeEnvelope.type = 3;
    ins.panEnvelope.count = 2;
    ins.panEnvelope.points[1] = {4, 60};
    ins.panEnvelope.loopEnd = 1;
    ins.panEnvelope.type = 5;
    ins.vibratoDepth = 3;
    ModuleSample second = ins.samples[0];
    second.name = "ida y vuelta";
    second.loopType = 2;
    second.relativeNote = -12;
    second.finetune = -100;
    second.panning = 17;
    second.volume = 5;
    ins.samples.push_back(second);
    Instrument noSamples;
    noSamples.name = "vacio";
    m.instruments.push_back(noSamples);

    tarvolin::test::TempDir dir;
    const std::string path = dir.file("cancion.xm");
    ASSERT_TRUE(saveXm(m, path));
    const std::string bytes = tarvolin::test::TempDir::read(path);
    EXPECT_EQ(bytes.substr(0, 17), "Extended Module: ");
    MusicModule back;
    ASSERT_TRUE(loadXm(path, back));
    EXPECT_EQ(back.kind, ModuleKind::Xm);
    expectSameSong(m, back);
    // The empty third pattern is stored without data.
    const std::size_t third = bytes.find(std::string("\x09\0\0\0\0\x20\0", 7));
    ASSERT_NE(third, std::string::npos);
    EXPECT_EQ(bytes.substr(third + 7, 2), std::string("\0\0", 2));
    // Writing what was read gives the same bytes.
    std::string again;
    ASSERT_TRUE(writeXm(back, again));
    EXPECT_EQ(again, bytes);
  }
}

TEST(MusicXmFile, PackedAndUnpackedCellsAndTheVolumeColumn) {
  std::string f = xmHeader(20 + 4, 1, 2, 1, 0);
  f += std::string("\0\0\0\0", 4);  // four order entries
  detail::ByteSink body;
  // Row 0: channel 0 unpacked (note 49, instrument 1, column 0x6F, effect F, 0x03);
  // channel 1 packed with only note 97 (key-off).
  for (int b : {49, 1, 0x6F, 0x0F, 0x03, 0x81, 97}) body.u8(b);
  // Row 1: channel 0 packed with column 0x30 and effect 0x0A 0x12; channel 1 empty.
  for (int b : {0x80 | 0x1C, 0x30, 0x0A, 0x12, 0x80}) body.u8(b);
  // Row 2: a note byte out of range (98) and volume column bytes that do nothing.
  for (int b : {0x85, 98, 0x05, 0x85, 0, 0x55}) body.u8(b);
  detail::ByteSink pat;
  pat.le32(9);
  pat.u8(0);
  pat.le16(3);
  pat.le16(static_cast<unsigned>(body.size()));
  f += pat.bytes() + body.bytes();
  MusicModule m;
  ASSERT_TRUE(readXm(f, m));
  EXPECT_EQ(m.channelCount, 2);
  EXPECT_EQ(m.initialSpeed, 5);
  EXPECT_EQ(m.tempo, 140);
  EXPECT_TRUE(m.linearFrequencies);
  ASSERT_EQ(m.patterns.size(), 1u);
  EXPECT_EQ(m.patterns[0].rows, 3);
  PatternCell c = m.cell(0, 0, 0);
  EXPECT_EQ(c.note, 61);
  EXPECT_EQ(c.instrument, 1);
  EXPECT_EQ(c.volumeEffect, kEffectVolumeSlide);
  EXPECT_EQ(c.volumeParameter, 0x0F);
  EXPECT_EQ(c.effect, 0x0F);
  EXPECT_EQ(c.parameter, 3);
  EXPECT_EQ(m.cell(0, 0, 1).note, kNoteKeyOff);
  c = m.cell(0, 1, 0);
  EXPECT_EQ(c.volumeEffect, kEffectSetVolume);
  EXPECT_EQ(c.volumeParameter, 0x20);
  EXPECT_EQ(c.effect, 0x0A);
  EXPECT_EQ(m.cell(0, 1, 1), PatternCell{});
  EXPECT_EQ(m.cell(0, 2, 0).note, 0);
  EXPECT_EQ(m.cell(0, 2, 0).volumeEffect, kNoEffect);
  EXPECT_EQ(m.cell(0, 2, 1).volumeEffect, kNoEffect);
  // Only four order entries were in the header; the rest read as 0.
  EXPECT_EQ(m.orders.size(), 256u);

  struct Column {
    int byte, effect, parameter;
  } columns[] = {{0x10, 0xC, 0},     {0x50, 0xC, 64},    {0x63, 0xA, 0x03},  {0x7A, 0xA, 0xA0},
                 {0x84, 0xE, 0xB4},  {0x92, 0xE, 0xA2},  {0xA5, 0x4, 0x50},  {0xB6, 0x4, 0x06},
                 {0xC3, 0xE, 0x83},  {0xD7, 25, 0x07},   {0xE2, 25, 0x20},   {0xF4, 0x3, 0x40}};
  for (const Column& col : columns) {
    std::uint8_t e = 0, p = 0;
    ASSERT_TRUE(volumeColumnEffect(static_cast<std::uint8_t>(col.byte), e, p)) << col.byte;
    EXPECT_EQ(e, col.effect) << col.byte;
    EXPECT_EQ(p, col.parameter) << col.byte;
    EXPECT_EQ(volumeColumnByte(e, p), col.byte) << col.byte;
  }
  std::uint8_t e = 0, p = 0;
  EXPECT_FALSE(volumeColumnEffect(0x00, e, p));
  EXPECT_FALSE(volumeColumnEffect(0x0F, e, p));
  EXPECT_FALSE(volumeColumnEffect(0x51, e, p));
}

// One instrument with one sample, from raw parts.
std::string instrumentBytes(std::uint32_t size, std::uint32_t sampleHeaderSize, std::uint32_t length,
                            std::uint32_t loopStart, std::uint32_t loopLength, int type,
                            const std::string& data) {
  detail::ByteSink o;
  o.le32(size);
  o.text("instrumento", 22);
  o.u8(0);
  o.le16(1);
  o.le32(sampleHeaderSize);
  o.zeros(size - 33);
  o.le32(length);
  o.le32(loopStart);
  o.le32(loopLength);
  o.u8(40);
  o.u8(0xF0);  // finetune -16
  o.u8(static_cast<unsigned>(type));
  o.u8(99);
  o.u8(0xFE);  // relative note -2
  o.u8(0);
  o.text("muestra", 22);
  o.zeros(sampleHeaderSize - 40);
  return o.bytes() + data;
}

TEST(MusicXmFile, DeltaCodedSamplesAndOddSizes) {
  // 8-bit deltas 10, 5, -3 give 10, 15, 12; 16-bit deltas likewise.
  std::string f = xmHeader(20 + 256 + 100, 1, 1, 0, 2);  // a header 100 bytes longer than usual
  f += std::string(256 + 100, '\0');
  f += instrumentBytes(300, 48, 3, 1, 1, 1, std::string("\x0A\x05\xFD", 3));
  f += instrumentBytes(263, 40, 6, 2, 100, 0x12, std::string("\x00\x01\x10\x00\xFF\xFF", 6));
  MusicModule m;
  ASSERT_TRUE(readXm(f, m));
  ASSERT_EQ(m.instruments.size(), 2u);
  const ModuleSample& a = m.instruments[0].samples.at(0);
  EXPECT_EQ(a.data8, (std::vector<std::int8_t>{10, 15, 12}));
  EXPECT_EQ(a.finetune, -16);
  EXPECT_EQ(a.relativeNote, -2);
  EXPECT_EQ(a.panning, 99);
  EXPECT_EQ(a.volume, 40);
  EXPECT_EQ(a.loopType, 1);
  EXPECT_EQ(a.name, "muestra");
  const ModuleSample& b = m.instruments[1].samples.at(0);
  EXPECT_TRUE(b.sixteenBit);
  EXPECT_EQ(b.loopType, 2);
  EXPECT_EQ(b.data16, (std::vector<std::int16_t>{256, 256 + 16, 256 + 15}));
  // The loop, 100 bytes long in the header, is cut to the sample.
  EXPECT_EQ(b.loopStart, 1u);
  EXPECT_EQ(b.loopLength, 2u);

  // The same file cut in the middle of the second sample's data.
  MusicModule cut;
  ASSERT_TRUE(readXm(f.substr(0, f.size() - 3), cut));
  EXPECT_EQ(cut.instruments[1].samples.at(0).length, 1u);
  EXPECT_EQ(cut.instruments[1].samples.at(0).data16.size(), 1u);
  EXPECT_EQ(cut.instruments[1].samples.at(0).loopLength, 0u);
  EXPECT_EQ(cut.instruments[1].samples.at(0).loopType, 0);
  // Cut inside the first instrument's header: what is there is read, the
  // instrument after it stays empty.
  ASSERT_TRUE(readXm(f.substr(0, 60 + 376 + 100), cut));
  EXPECT_EQ(cut.instruments.size(), 2u);
  EXPECT_TRUE(cut.instruments[0].samples.empty());
  EXPECT_TRUE(cut.instruments[1].samples.empty());
}

TEST(MusicXmFile, DamagedHeadersAndCounts) {
  MusicModule m;
  EXPECT_FALSE(readXm("", m));
  EXPECT_FALSE(readXm("Extended Module: ", m));
  std::string wrongId = xmHeader(276, 1, 4, 0, 0) + std::string(256, '\0');
  wrongId[0] = 'e';
  EXPECT_FALSE(readXm(wrongId, m));
  EXPECT_FALSE(readXm(xmHeader(276, 1, 65, 0, 0) + std::string(256, '\0'), m));

  // Zero instruments and an empty pattern (no packed data) still load and play.
  std::string f = xmHeader(276, 2, 4, 2, 0) + std::string(256, '\0');
  detail::ByteSink pat;
  pat.le32(9);
  pat.u8(0);
  pat.le16(32);
  pat.le16(0);
  f += pat.bytes();
  ASSERT_TRUE(readXm(f, m));  // the second pattern is past the end of the file
  EXPECT_EQ(m.patterns.size(), 2u);
  EXPECT_EQ(m.patterns[0].rows, 32);
  EXPECT_EQ(m.cell(0, 31, 3), PatternCell{});
  EXPECT_EQ(m.patterns[1].rows, 64);
  EXPECT_TRUE(m.instruments.empty());

  // A header size below the order table, huge counts, a header size past the file.
  ASSERT_TRUE(readXm(xmHeader(4, 300, 32, 9999, 9999), m));
  EXPECT_EQ(m.songLength, 256);
  EXPECT_EQ(m.patterns.size(), 256u);
  EXPECT_EQ(m.instruments.size(), 128u);
  ASSERT_TRUE(readXm(xmHeader(0xFFFFFFFF, 1, 4, 3, 3), m));
  EXPECT_EQ(m.patterns.size(), 3u);

  // An instrument with a header size too small for its fields, sample count 2
  // but only one header in the file.
  f = xmHeader(276, 1, 1, 0, 1) + std::string(256, '\0');
  detail::ByteSink ins;
  ins.le32(10);
  ins.text("x", 22);
  ins.u8(0);
  ins.le16(2);
  f += ins.bytes();
  ASSERT_TRUE(readXm(f, m));
  ASSERT_EQ(m.instruments.size(), 1u);
}

}  // namespace
}  // namespace tarvolin::sound
