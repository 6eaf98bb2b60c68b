// A game project on disk whose resources scripts load into the machine: a
// 16 x 16 tile image, a 16-colour palette, a tile map, a 20 x 17 8-bit
// image, a ranged image series, raw data, and one broken file of each kind
// for the failures. Files are made with the project's own writers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "project/images/image.h"
#include "project/images/tilemap_file.h"
#include "project/images/tiles.h"
#include "project/tilelists.h"

namespace tarvolin::test {

class ResourceGame {
 public:
  // Resource numbers in "resource.txt".
  enum : int { kTiles, kColours, kScreen, kBig, kData, kFrame, kGone, kTruecolour, kBroken, kBadMap,
               kTilesAs256, kAllColours, kNarrow, kAsked, kSlot, kCount };
  static constexpr int kFirstTile = 100;  // where the scripts load the tile image
  static constexpr int kStride = 4;       // tiles between its rows
  static constexpr int kMapX = 1, kMapY = 1;

  // Tile (c, r) of the image holds its own pattern of colours 0..15, with
  // colour 0 (transparent) on its diagonal.
  static project::IndexedImage TileImage() {
    project::IndexedImage image = project::IndexedImage::blank(16, 16, 4);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const int c = x / 8, r = y / 8, px = x % 8, py = y % 8;
        image.pixels[std::size_t(y * 16 + x)] =
            std::uint8_t(px == py ? 0 : 1 + (c * 5 + r * 7 + px + 2 * py) % 15);
      }
    return image;
  }
  static std::vector<project::Rgb> Colours() {
    std::vector<project::Rgb> colours;
    for (int i = 0; i < 16; ++i)
      colours.push_back({std::uint8_t(i * 16), std::uint8_t(255 - i * 8), std::uint8_t((i * 40) % 256)});
    return colours;
  }
  // 4 x 3 cells: the image's four tiles in turn, palette 2; the first row
  // shows the tiles flipped horizontally.
  static project::TileMapFile ScreenMap() {
    project::TileMapFile map;
    map.version = project::kTileMapVersionWide;
    map.width = 4;
    map.height = 3;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const int which = (x + y) % 4;  // tile (which % 2, which / 2) of the image
        const int tile = kFirstTile + which % 2 + kStride * (which / 2);
        map.entries.push_back(std::uint16_t(tile | (y == 0 ? 0x400 : 0) | 2 << 12));
      }
    return map;
  }
  static project::IndexedImage BigImage() {
    project::IndexedImage image = project::IndexedImage::blank(20, 17, 8);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 20; ++x) image.pixels[std::size_t(y * 20 + x)] = std::uint8_t(x * 17 + y * 3 + 1);
    return image;
  }
  // frame0a.bmp: 16 x 8 pixels, two tiles of colours 3 and 9.
  static project::IndexedImage FrameImage() {
    project::IndexedImage image = project::IndexedImage::blank(16, 8, 4);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) image.pixels[std::size_t(y * 16 + x)] = std::uint8_t(x < 8 ? 3 : 9);
    return image;
  }
  // The colour (0xRRGGBB) of a screen pixel once the tiles (at kFirstTile,
  // stride kStride), the palette (as palette 2) and the map (at kMapX,
  // kMapY) are loaded and shown on layer 0 over a black backdrop.
  static std::uint32_t ExpectedPixel(int x, int y) {
    static const project::IndexedImage image = TileImage();
    static const std::vector<project::Rgb> colours = Colours();
    const int mx = x / 8 - kMapX, my = y / 8 - kMapY;
    if (mx < 0 || my < 0 || mx >= 4 || my >= 3) return 0;
    const int which = (mx + my) % 4;
    const int tx = my == 0 ? 7 - x % 8 : x % 8;  // the first row is flipped
    const int value = image.at((which % 2) * 8 + tx, (which / 2) * 8 + y % 8);
    if (value == 0) return 0;
    const std::uint16_t c = project::toGbaColour(colours[std::size_t(value)]);
    return ((c & 31u) << 3) << 16 | ((c >> 5 & 31u) << 3) << 8 | ((c >> 10 & 31u) << 3);
  }
  static std::string DataBytes() { return std::string("\x01\xFF\x34\x12\xFE\xFF", 6); }

  // Writes the project with `main` as its main script.
  explicit ResourceGame(const std::string& main) {
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt", main);
    std::string entries;
    auto entry = [&](const char* name, const char* file, const char* kind, const char* range = "#Decimal0\n0\nfalse\nfalse",
                     const char* ask = nullptr) {
      entries += std::string("#") + name + "\n.\\" + file + "\n" + kind + "\nNone\ntrue\n" +
                 (ask ? ask : range) + "\n\n";
    };
    entry("Tiles", "tiles.bmp", "Bitmap16");
    entry("Colours", "colours.pal", "PaletteRaw16");
    entry("Screen", "screen.tvm", "Tilemap");
    entry("Big", "big.bmp", "Bitmap256");
    entry("Data", "data.bin", "Binary");
    entry("Frame", "frame.bmp", "Bitmap16", "#Hex00\n16\nfalse\ntrue");
    entry("Gone", "gone.bin", "Binary");
    entry("Truecolour", "true.png", "Bitmap16");
    entry("Broken", "broken.bmp", "Bitmap16");
    entry("BadMap", "bad.tvm", "Tilemap");
    entry("TilesAs256", "tiles.bmp", "Bitmap256");
    entry("AllColours", "colours.pal", "PaletteRaw256");
    entry("Narrow", "narrow.tvm", "Tilemap");
    entry("Asked", "data.bin", "Binary", nullptr, "#Decimal0\n0\ntrue\nfalse");
    entry("Slot", "slot.sav", "Binary", "#Decimal0\n4\nfalse\ntrue");
    dir_.write("game/resource.txt",
               ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be "
               "lost\n\n\n" + entries);
    // A two-byte array whose data the scripts save into the ranged "Slot".
    dir_.write("game/arrays.txt",
               ";;; Tarvolin array script file - automatically generated\n;;; any changes made by hand will be "
               "lost\n\n\n#Nums\nOne dimensional\n2\n0\n$v\n$8 bit unsigned\n\n*false\nRO\n#\nWorkRAM\nAnyAdd\n"
               "Array\n0\n0\n\n");
    // A tile list whose one image is the ranged resource.
    std::vector<std::uint8_t> attributes(8, 0);
    dir_.write("game/tilelists.txt",
               "}Tilelist\n]\n|Frames\n|0\n|frames.txt\n|F_\n|0\n}TilelistEntry\n]\n|frame\n|Frame\n|0\n|1\n"
               "|0\n|0\n|0\n|0\n|0\n|0\n|0\n|8\n|" +
                   project::encodeTileAttributes(attributes) + "\n[\n{\n}Attributes\n{\n[\n{\n");

    std::string error;
    dir_.write("game/Resources/.keep", "");
    EXPECT_TRUE(project::writeImageFile(Resource("tiles.bmp"), TileImage(), error)) << error;
    EXPECT_TRUE(project::writeImageFile(Resource("big.bmp"), BigImage(), error)) << error;
    EXPECT_TRUE(project::writeImageFile(Resource("frame0a.bmp"), FrameImage(), error)) << error;
    project::IndexedImage truecolour;
    truecolour.width = 8;
    truecolour.height = 8;
    truecolour.bits = project::kTruecolourBits;
    truecolour.pixels.assign(8 * 8 * 3, 200);
    EXPECT_TRUE(project::writeImageFile(Resource("true.png"), truecolour, error)) << error;
    std::string pal = "JASC-PAL\r\n0100\r\n16\r\n";
    for (const project::Rgb& c : Colours())
      pal += std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + "\r\n";
    dir_.write("game/Resources/colours.pal", pal);
    dir_.write("game/Resources/screen.tvm", MapBytes(ScreenMap()));
    project::TileMapFile narrow;
    narrow.version = project::kTileMapVersionNarrow;
    narrow.width = 2;
    narrow.height = 1;
    narrow.entries = {7, 200};
    dir_.write("game/Resources/narrow.tvm", MapBytes(narrow));
    dir_.write("game/Resources/data.bin", DataBytes());
    dir_.write("game/Resources/broken.bmp", "BM this is no bitmap");
    dir_.write("game/Resources/bad.tvm", std::string("TM\x02\x01\x00\x00\x01\x00", 8));
  }

  std::string ProjectFile() const { return dir_.file("game.tvp"); }
  std::string Resource(const std::string& name) const { return dir_.file("game/Resources/" + name); }
  const TempDir& dir() const { return dir_; }

 private:
  static std::string MapBytes(const project::TileMapFile& map) {
    project::Bytes bytes;
    std::string error;
    EXPECT_TRUE(project::writeTileMap(map, bytes, error)) << error;
    return std::string(bytes.begin(), bytes.end());
  }

  TempDir dir_;
};

}  // namespace tarvolin::test
