// Strings, a path, a level and a tile list end to end, checked in the
// picture: a project with every asset file written into a temporary folder,
// run through `tarvolin run` with a screenshot after every frame (and once
// with one at the end), each compared pixel by pixel with the scene the
// test computes.
#include <string>

#include "e2e/picture_game.h"
#include "project/images/image.h"
#include "project/level_body.h"

namespace tarvolin::test {

namespace {

// Pixel (x, y) of tile k of an image made by `tileImage`: colour 0 on the
// diagonal (so transparency and flips show), else a pattern of 1..15.
int tilePixel(int seed, int k, int x, int y) { return x == y ? 0 : 1 + (seed + k * 3 + x + 2 * y) % 15; }

project::IndexedImage tileImage(int seed, int across, int down) {
  project::IndexedImage image = project::IndexedImage::blank(across * 8, down * 8, 4);
  for (int y = 0; y < down * 8; ++y)
    for (int x = 0; x < across * 8; ++x)
      image.pixels[std::size_t(y * across * 8 + x)] =
          std::uint8_t(tilePixel(seed, (y / 8) * across + x / 8, x % 8, y % 8));
  return image;
}

constexpr int kFontSeed = 0, kGroundSeed = 7;

// Level cell (x, y): ground tile (x + y) mod 3 (number 8 + that in the tile
// list), palette 1 or 2 by the row's parity.
std::uint16_t levelCell(int x, int y) { return std::uint16_t((8 + (x + y) % 3) | (1 + y % 2) << 12); }

// Path "Walk": (20, 30) to (80, 110) at speed 4 is 100 pixels, 25 frames.
void walk(int t, int& x, int& y) {
  x = t >= 25 ? 80 : 20 + t * 60 / 25;
  y = t >= 25 ? 110 : 30 + t * 80 / 25;
}

// Each frame after the first moves the level 5 right and 3 down (LevelScroll
// takes the cells that came into view) and the sprite one step along the
// path; frame f shows step f - 1.
const char* kMain =
    "V_LV2 = G_TICKS\nV_LV2 *= 5\nV_LV3 = V_LV2\nV_LV3 -= 5\n"
    "V_LV4 = G_TICKS\nV_LV4 *= 3\nV_LV5 = V_LV4\nV_LV5 -= 3\n"
    "LevelScroll World 1 V_LV3 V_LV5 V_LV2 V_LV4 100\n"
    "PathGetPos Walk G_TICKS V_LV0 V_LV1\n"
    "SpriteSetAttribute 0 [Xpos] V_LV0\nSpriteSetAttribute 0 [Ypos] V_LV1\n"
    "Return\n";

// Group 0 (the font, tiles 0..7) goes to BG tiles 1..8, group 1 (ground,
// tiles 8 and 9) to BG tiles 108, 109 and to sprite tiles 8, 9; group 2
// (tiles 10..17) is never loaded, so the level's tile 110 stays empty.
// Text on BG0 (map bank 31, in front): English at (2, 1) as the cells
// keep it, Spanish at (3, 5) in palette 3 flipped horizontally. The level
// on BG1 (map bank 28) from (0, 0) with the tile offset 100; sprite 0 (8x8,
// tile 8, palette 2) at the path's start. The Spanish text once more with
// the proportional font, rendered into tiles 300.. (filled with colour 15
// first, cleared as the text enters them) 2 pixels in, 1 pixel apart, and
// shown from cell (4, 10) of BG2 (map bank 29).
const char* kInit =
    "TilelistGroupLoad Tiles [BG] 0 1\n"
    "TilelistGroupLoad Tiles [BG] 1 100\n"
    "TilelistGroupLoad Tiles [SPRITE] 1 0\n"
    "TileMapSetMapBank 0 31\nTileMapSetMapBank 1 28\nTileMapSetPriority 1 1\n"
    "StringDisplaySetTarget 0 Letters 1\n"
    "StringDisplay 2 1 greeting\n"
    "StringSetLanguage #_LANG_SP\n"
    "StringDisplaySetColour 1 3\n"
    "StringDisplaySetFlags 1 1 0 0\n"
    "StringDisplay 3 5 greeting\n"
    "TileDataFillTiles [BG] 0 300 4 15\n"
    "TileMapSetMapBank 2 29\n"
    "StringDisplaySetTarget 2 Slim 1\n"
    "StringRenderSetTarget 300 1 1 1 0 2 0 1\n"
    "StringDisplay 4 10 greeting\n"
    "LevelSetPos World 1 0 0 100\n"
    "SpriteSetAttribute 0 [SdFold] 0\nSpriteSetAttribute 0 [TileIndex] 8\n"
    "SpriteSetAttribute 0 [PaletteIndex] 2\n"
    "PathGetPos Walk 0 V_LV0 V_LV1\n"
    "SpriteSetAttribute 0 [Xpos] V_LV0\nSpriteSetAttribute 0 [Ypos] V_LV1\n"
    "DisplaySetAttribute [EnableBG0] 1\nDisplaySetAttribute [EnableBG1] 1\n"
    "DisplaySetAttribute [EnableSprite] 1\nDisplaySetAttribute [EnableBG2] 1\n";

std::string tileListEntry(const char* label, const char* resource, int group) {
  return std::string("]\n|") + label + "\n|" + resource + "\n|" + std::to_string(group) +
         "\n|1\n|0\n|0\n|0\n|0\n|0\n|0\n|0\n|0\n[\n";
}

void writeAssets(const TempDir& dir) {
  dir.write("game/string_table.txt",
            ";;; Tarvolin script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
            "#greeting\nEN : \"ABBA\"\nSP : \"D?CA\"\n\n");
  // "A".."D" from glyph tile 0, cells of 1 x 2 tiles: A 0, B 2, C 4, D 6.
  dir.write("game/fontmaps.txt",
            ";;; Tarvolin fontmap script file - automatically generated\n;;; any changes made by hand will be "
            "lost\n\n\n#Letters\nAscii\nfalse\n$65\n68\n0\n#\n1\n2\n#v1.40b\nfalse\nFontImg\n\n"
            // One tile a character, A to D 3, 5, 8 and 2 pixels wide.
            "#Slim\nAscii\nfalse\n$65\n68\n0\n#\n1\n1\n#v1.40b\ntrue\nFontImg\n3\n8\n5\n8\n8\n8\n2\n8\n\n");
  dir.write("game/paths.txt", "#Walk\n$20,30,1.000000\n$80,110,4.000000\n$80,110,1.000000\n\n");
  project::LevelBody body;
  body.resize(40, 30, 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) body.at(x, y, 0) = levelCell(x, y);
  dir.write("game/level_info.txt", "}LevelInfo\n]\n|World\n[\n{\n");
  dir.write("game/LevelData/LevBody_World.dat", project::writeLevelBody(body));
  dir.write("game/tilelists.txt", "}Tilelist\n]\n|Tiles\n|0\n|tiles.txt\n|T_\n|0\n}TilelistEntry\n" +
                                      tileListEntry("font", "FontImg", 0) +
                                      tileListEntry("ground", "GroundImg", 1) +
                                      tileListEntry("spare", "FontImg", 2) + "{\n}Attributes\n{\n[\n{\n");
  dir.write("game/resource.txt",
            ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be "
            "lost\n\n\n#FontImg\n.\\font.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n"
            "#GroundImg\n.\\ground.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n");
  std::string error;
  dir.write("game/Resources/.keep", "");
  EXPECT_TRUE(project::writeImageFile(dir.file("game/Resources/font.bmp"), tileImage(kFontSeed, 4, 2), error))
      << error;
  EXPECT_TRUE(project::writeImageFile(dir.file("game/Resources/ground.bmp"), tileImage(kGroundSeed, 2, 1), error))
      << error;
}

// The scene at step t (the level at (5t, 3t), the sprite at the path's
// frame t).
std::uint32_t expectedPixel(int t, int x, int y) {
  int sx = 0, sy = 0;
  walk(t, sx, sy);
  if (x >= sx && x < sx + 8 && y >= sy && y < sy + 8) {
    const int v = tilePixel(kGroundSeed, 0, x - sx, y - sy);
    if (v) return shown(spriteColour(2 * 16 + v));
  }
  const int cx = x / 8, cy = y / 8;
  const char* english = "ABBA";
  const char* spanish = "DCA";  // "?" has no glyph and takes no room
  if (cy >= 1 && cy <= 2 && cx >= 2 && cx <= 5) {
    const int tile = (english[cx - 2] - 'A') * 2 + cy - 1;
    const int v = tilePixel(kFontSeed, tile, x % 8, y % 8);
    if (v) return shown(bgColour(v));
  }
  if (cy >= 5 && cy <= 6 && cx >= 3 && cx <= 5) {
    const int tile = (spanish[cx - 3] - 'A') * 2 + cy - 5;
    const int v = tilePixel(kFontSeed, tile, 7 - x % 8, y % 8);
    if (v) return shown(bgColour(3 * 16 + v));
  }
  if (cy == 10 && cx >= 4 && cx <= 6) {
    // The strip: "D" from pixel 2, "C" from 2 + 2 + 1, "A" from 5 + 8 + 1.
    const struct { int left, width, glyph; } rendered[] = {{2, 2, 3}, {5, 8, 2}, {14, 3, 0}};
    const int dx = (cx - 4) * 8 + x % 8;
    for (const auto& c : rendered)
      if (dx >= c.left && dx < c.left + c.width) {
        const int v = tilePixel(kFontSeed, c.glyph, dx - c.left, y % 8);
        if (v) return shown(bgColour(v));
      }
  }
  const int lx = x + 5 * t, ly = y + 3 * t;
  const std::uint16_t cell = levelCell(lx / 8, ly / 8);
  const int ground = (cell & 0x3FF) - 8;
  if (ground < 2) {
    const int v = tilePixel(kGroundSeed, ground, lx % 8, ly % 8);
    if (v) return shown(bgColour((cell >> 12) * 16 + v));
  }
  return shown(bgColour(0));
}

}  // namespace

TEST(WorldPicture, TextInTwoLanguagesScrolledLevelAndWalkingSprite) {
  PictureGame g(kInit, kMain);
  writeAssets(g.dir());
  constexpr int kFrames = 7;
  const auto shots = g.runEach(kFrames);
  ASSERT_EQ(shots.size(), std::size_t(kFrames));
  for (int f = 1; f <= kFrames; ++f)
    expectPicture(
        shots[std::size_t(f - 1)], [f](int x, int y) { return expectedPixel(f - 1, x, y); },
        "frame " + std::to_string(f));
  // A run with one screenshot at its end shows the last frame.
  expectPicture(
      g.run(kFrames), [](int x, int y) { return expectedPixel(kFrames - 1, x, y); }, "last frame");
}

}  // namespace tarvolin::test
