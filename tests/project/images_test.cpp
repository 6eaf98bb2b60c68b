#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/images/image.h"
#include "project/image_bytes.h"

namespace tarvolin::project {

using imagebytes::bmpFile;
using imagebytes::patternImage;
using imagebytes::pcxFile;

namespace {

void expectSameImage(const IndexedImage& a, const IndexedImage& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.bits, b.bits);
  EXPECT_EQ(a.pixels, b.pixels);
}

// Feeds every shorter prefix of a valid file to a reader: each must be
// refused with a message (or read, for prefixes that happen to be complete),
// and none may crash.
template <typename Reader>
void everyPrefixIsHandled(const Bytes& file, Reader read, std::size_t mustFailBelow) {
  for (std::size_t n = 0; n < file.size(); ++n) {
    IndexedImage image;
    std::string error;
    bool ok = read(ByteView(file.data(), n), image, error);
    if (n < mustFailBelow) {
      EXPECT_FALSE(ok) << "prefix " << n;
      EXPECT_FALSE(error.empty()) << "prefix " << n;
    }
  }
}

}  // namespace

TEST(BmpFiles, WriterAndReaderAgreeAtEveryDepth) {
  // Odd widths exercise the row padding; 13 wide at 1 bit fills two bytes.
  for (int bits : {1, 4, 8}) {
    for (int width : {1, 7, 13, 32}) {
      IndexedImage image = patternImage(width, 5, bits);
      Bytes file;
      std::string error;
      ASSERT_TRUE(writeBmp(image, file, error)) << error;
      IndexedImage back;
      ASSERT_TRUE(readBmp(file, back, error)) << error;
      expectSameImage(image, back);
      ASSERT_EQ(back.palette.size(), std::size_t{1} << bits);
      EXPECT_EQ(back.palette, image.palette);
    }
  }
}

TEST(BmpFiles, TopDownAndBottomUpRows) {
  // 2 x 2 at 8 bits, rows padded to 4 bytes: file rows are (1, 2) then (3, 4).
  Bytes rows = {1, 2, 0, 0, 3, 4, 0, 0};
  IndexedImage up, down;
  std::string error;
  ASSERT_TRUE(readBmp(bmpFile(2, 2, 8, 0, 8, rows), up, error)) << error;
  EXPECT_EQ(up.pixels, (Bytes{3, 4, 1, 2}));
  ASSERT_TRUE(readBmp(bmpFile(2, -2, 8, 0, 8, rows), down, error)) << error;
  EXPECT_EQ(down.height, 2);
  EXPECT_EQ(down.pixels, (Bytes{1, 2, 3, 4}));
  // The palette is BGR in the file: entry 5 is (5, 10, 15).
  EXPECT_EQ(up.palette.at(5), (Rgb{5, 10, 15}));
}

TEST(BmpFiles, Rle8RunsLiteralsAndDeltas) {
  // 4 x 3, bottom row first: a run and a single; then a literal of four;
  // then a delta skipping to x 2 of the top row, and a run of two.
  Bytes rle = {3, 5, 1, 7, 0, 0,              // bottom: 5 5 5 7
               0, 4, 1, 2, 3, 4, 0, 0,        // middle: 1 2 3 4
               0, 2, 2, 0, 2, 9, 0, 1};       // top: 0 0 9 9, then end of bitmap
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(readBmp(bmpFile(4, 3, 8, 1, 16, rle), image, error)) << error;
  EXPECT_EQ(image.bits, 8);
  EXPECT_EQ(image.pixels, (Bytes{0, 0, 9, 9, 1, 2, 3, 4, 5, 5, 5, 7}));
}

TEST(BmpFiles, Rle4RunsAndPaddedLiterals) {
  // 8 x 1: a run of three alternating nibbles, a literal of five (three
  // bytes, padded to four), end of bitmap.
  Bytes rle = {3, 0x12, 0, 5, 0x34, 0x56, 0x70, 0x00, 0, 1};
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(readBmp(bmpFile(8, 1, 4, 2, 16, rle), image, error)) << error;
  EXPECT_EQ(image.bits, 4);
  EXPECT_EQ(image.pixels, (Bytes{1, 2, 1, 3, 4, 5, 6, 7}));
}

TEST(BmpFiles, DamagedFilesAreRefusedWithAMessage) {
  IndexedImage image = patternImage(9, 4, 4);
  Bytes file;
  std::string error;
  ASSERT_TRUE(writeBmp(image, file, error));
  // The last row needs its pixels but not its three bytes of padding.
  everyPrefixIsHandled(file, readBmp, file.size() - 3);

  IndexedImage out;
  // A header that claims a huge image in a tiny file.
  Bytes huge = bmpFile(30000, 30000, 8, 0, 2, Bytes(16, 0));
  EXPECT_FALSE(readBmp(huge, out, error));
  EXPECT_NE(error.find("BMP"), std::string::npos);
  // Pixel data offset past the end of the file.
  Bytes far = file;
  far[10] = 0xFF;
  far[11] = 0xFF;
  EXPECT_FALSE(readBmp(far, out, error));
  // RLE that runs out of data before its end marker.
  EXPECT_FALSE(readBmp(bmpFile(4, 2, 8, 1, 2, Bytes{3, 5, 0}), out, error));
  // A literal longer than the data that follows it.
  EXPECT_FALSE(readBmp(bmpFile(4, 2, 8, 1, 2, Bytes{0, 200, 1, 2}), out, error));
  // Wrong compression for the depth, unknown depth, zero width.
  EXPECT_FALSE(readBmp(bmpFile(4, 1, 8, 2, 2, Bytes(8, 0)), out, error));
  EXPECT_FALSE(readBmp(bmpFile(4, 1, 16, 0, 0, Bytes(8, 0)), out, error));
  EXPECT_FALSE(readBmp(bmpFile(0, 1, 8, 0, 2, Bytes(8, 0)), out, error));
  // Runs and deltas that point outside the image are dropped, not written.
  ASSERT_TRUE(readBmp(bmpFile(2, 1, 8, 1, 2, Bytes{200, 1, 0, 2, 250, 250, 0, 1}), out, error));
  EXPECT_EQ(out.pixels, (Bytes{1, 1}));
}

TEST(BmpFiles, TruecolourIsReadAsTruecolour) {
  // 2 x 1 at 24 bits: BGR triples, row padded to 8 bytes.
  Bytes rows = {10, 20, 30, 40, 50, 60, 0, 0};
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(readBmp(bmpFile(2, 1, 24, 0, 0, rows), image, error)) << error;
  EXPECT_EQ(image.bits, kTruecolourBits);
  EXPECT_FALSE(image.isPalettised());
  EXPECT_EQ(image.pixels, (Bytes{30, 20, 10, 60, 50, 40}));
  Bytes out;
  EXPECT_FALSE(writeBmp(image, out, error));
}

TEST(PngFiles, PalettisedDepthsAndTruecolourRoundTrip) {
  for (int bits : {1, 2, 4, 8}) {
    IndexedImage image = patternImage(11, 6, bits);
    Bytes file;
    std::string error;
    ASSERT_TRUE(writePng(image, file, error)) << error;
    IndexedImage back;
    ASSERT_TRUE(readPng(file, back, error)) << error;
    expectSameImage(image, back);
    EXPECT_EQ(back.palette, image.palette);
  }
  IndexedImage rgb = IndexedImage::blank(3, 2, kTruecolourBits);
  for (std::size_t i = 0; i < rgb.pixels.size(); ++i) rgb.pixels[i] = static_cast<std::uint8_t>(i * 13);
  Bytes file;
  std::string error;
  ASSERT_TRUE(writePng(rgb, file, error)) << error;
  IndexedImage back;
  ASSERT_TRUE(readPng(file, back, error)) << error;
  expectSameImage(rgb, back);
  EXPECT_TRUE(back.palette.empty());
}

TEST(PngFiles, DamagedFilesAreRefusedWithAMessage) {
  IndexedImage image = patternImage(16, 16, 8);
  Bytes file;
  std::string error;
  ASSERT_TRUE(writePng(image, file, error));
  // Every prefix lacks at least the end chunk.
  everyPrefixIsHandled(file, readPng, file.size());
  // A flipped byte in the image data is caught by the checksums.
  Bytes bad = file;
  bad[bad.size() / 2] ^= 0x55;
  IndexedImage out;
  EXPECT_FALSE(readPng(bad, out, error));
  EXPECT_EQ(error.rfind("PNG: ", 0), 0u);
  EXPECT_FALSE(readPng(Bytes{'n', 'o', 't'}, out, error));
}

TEST(PcxFiles, EightBitWithEndPalette) {
  // 3 x 2, bytes per line 4 (even); runs and a byte that needs escaping.
  Bytes lines = {7, 7, 0xC5, 0, 1, 2, 3, 0};
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(readPcx(pcxFile(3, 2, 8, 1, 4, lines, true), image, error)) << error;
  EXPECT_EQ(image.bits, 8);
  EXPECT_EQ(image.pixels, (Bytes{7, 7, 0xC5, 1, 2, 3}));
  ASSERT_EQ(image.palette.size(), 256u);
  EXPECT_EQ(image.palette[200], (Rgb{200, 55, 7}));
}

TEST(PcxFiles, FourBitPlanarPackedAndOneBit) {
  // Four planes of one bit: pixel x takes bit p from plane p.
  // 8 x 1: planes 0xF0, 0xCC, 0xAA, 0x00 give 7 7 3 3 5 5 1 1 ... per bit.
  IndexedImage planar;
  std::string error;
  ASSERT_TRUE(readPcx(pcxFile(8, 1, 1, 4, 2, Bytes{0xF0, 0, 0xCC, 0, 0xAA, 0, 0x00, 0}, false),
                      planar, error)) << error;
  EXPECT_EQ(planar.bits, 4);
  EXPECT_EQ(planar.pixels, (Bytes{7, 3, 5, 1, 6, 2, 4, 0}));
  EXPECT_EQ(planar.palette.at(3), (Rgb{48, 0, 207}));

  IndexedImage packed;
  ASSERT_TRUE(readPcx(pcxFile(3, 1, 4, 1, 2, Bytes{0x12, 0x30}, false), packed, error)) << error;
  EXPECT_EQ(packed.bits, 4);
  EXPECT_EQ(packed.pixels, (Bytes{1, 2, 3}));

  IndexedImage mono;
  ASSERT_TRUE(readPcx(pcxFile(10, 1, 1, 1, 2, Bytes{0xA5, 0x80}, false), mono, error)) << error;
  EXPECT_EQ(mono.bits, 1);
  EXPECT_EQ(mono.pixels, (Bytes{1, 0, 1, 0, 0, 1, 0, 1, 1, 0}));
  EXPECT_EQ(mono.palette.size(), 2u);
}

TEST(PcxFiles, DamagedFilesAreRefusedWithAMessage) {
  Bytes file = pcxFile(5, 3, 8, 1, 6, Bytes(18, 9), true);
  everyPrefixIsHandled(file, readPcx, 128);
  IndexedImage out;
  std::string error;
  // Scan lines cut short.
  Bytes shortData = pcxFile(5, 3, 8, 1, 6, Bytes{1, 2, 3}, false);
  EXPECT_FALSE(readPcx(shortData, out, error));
  EXPECT_EQ(error.rfind("PCX: ", 0), 0u);
  // Fewer bytes per line than the width needs; 24-bit colour.
  EXPECT_FALSE(readPcx(pcxFile(9, 1, 8, 1, 4, Bytes(4, 0), false), out, error));
  EXPECT_FALSE(readPcx(pcxFile(2, 1, 8, 3, 2, Bytes(6, 0), false), out, error));
  // Coordinates that make a negative width.
  Bytes flipped = file;
  flipped[4] = 50;
  EXPECT_FALSE(readPcx(flipped, out, error));
}

TEST(PaletteFiles, JascRiffAndRaw) {
  std::vector<Rgb> colours;
  std::string error;
  std::string jasc = "JASC-PAL\r\n0100\r\n3\r\n255 0 0\r\n0 128 0\r\n1 2 3\r\n";
  ASSERT_TRUE(readPaletteFile(ByteView(reinterpret_cast<const std::uint8_t*>(jasc.data()), jasc.size()),
                              colours, error)) << error;
  EXPECT_EQ(colours, (std::vector<Rgb>{{255, 0, 0}, {0, 128, 0}, {1, 2, 3}}));

  Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a', 12, 0, 0, 0,
                0, 3, 2, 0, 10, 20, 30, 0, 40, 50, 60, 0};
  ASSERT_TRUE(readPaletteFile(riff, colours, error)) << error;
  EXPECT_EQ(colours, (std::vector<Rgb>{{10, 20, 30}, {40, 50, 60}}));

  Bytes raw(768);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(readPaletteFile(raw, colours, error));
  ASSERT_EQ(colours.size(), 256u);
  EXPECT_EQ(colours[1], (Rgb{3, 4, 5}));

  // Damaged forms: too few colours, a value above 255, a chunk past the end.
  for (std::string bad : {std::string("JASC-PAL\n0100\n4\n1 2 3\n"), std::string("JASC-PAL\n0100\n1\n1 2 300\n"),
                          std::string("JASC-PAL\n0100\n"), std::string("something else")}) {
    EXPECT_FALSE(readPaletteFile(ByteView(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()),
                                 colours, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  Bytes cut(riff.begin(), riff.end() - 5);
  EXPECT_FALSE(readPaletteFile(cut, colours, error));
  Bytes lying = riff;
  lying[16] = 0xFF;
  lying[19] = 0x7F;
  EXPECT_FALSE(readPaletteFile(lying, colours, error));
}

TEST(ImageFiles, ChosenByExtensionIgnoringCase) {
  tarvolin::test::TempDir dir;
  IndexedImage image = patternImage(8, 8, 4);
  std::string error;
  ASSERT_TRUE(writeImageFile(dir.file("a.BMP"), image, error)) << error;
  ASSERT_TRUE(writeImageFile(dir.file("b.Png"), image, error)) << error;
  Bytes pcx = pcxFile(2, 1, 8, 1, 2, Bytes{4, 5}, true);
  dir.write("c.pcg", std::string(pcx.begin(), pcx.end()));
  dir.write("d.PAL", "JASC-PAL\n0100\n1\n8 16 24\n");

  IndexedImage back;
  ASSERT_TRUE(readImageFile(dir.file("a.BMP"), back, error)) << error;
  expectSameImage(image, back);
  ASSERT_TRUE(readImageFile(dir.file("b.Png"), back, error)) << error;
  expectSameImage(image, back);
  ASSERT_TRUE(readImageFile(dir.file("c.pcg"), back, error)) << error;
  EXPECT_EQ(back.pixels, (Bytes{4, 5}));

  std::vector<Rgb> colours;
  ASSERT_TRUE(readPaletteOf(dir.file("d.PAL"), colours, error)) << error;
  EXPECT_EQ(colours, (std::vector<Rgb>{{8, 16, 24}}));
  ASSERT_TRUE(readPaletteOf(dir.file("a.BMP"), colours, error)) << error;
  EXPECT_EQ(colours.size(), 16u);

  // A palette file is no image; other extensions and missing files fail.
  EXPECT_FALSE(readImageFile(dir.file("d.PAL"), back, error));
  dir.write("e.gif", "GIF89a");
  EXPECT_FALSE(readImageFile(dir.file("e.gif"), back, error));
  EXPECT_FALSE(readImageFile(dir.file("missing.bmp"), back, error));
  EXPECT_NE(error.find("missing.bmp"), std::string::npos);
  // A failed write leaves the existing file as it was.
  IndexedImage empty;
  EXPECT_FALSE(writeImageFile(dir.file("a.BMP"), empty, error));
  ASSERT_TRUE(readImageFile(dir.file("a.BMP"), back, error));
  expectSameImage(image, back);
}

}  // namespace tarvolin::project
