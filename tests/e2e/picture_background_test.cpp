// Background scenes built by game scripts and checked in the PNG that
// `tarvolin run` writes: text layers with scrolling, wrap, flips and both
// colour modes; an affine layer plain and tiled; the three bitmap modes with
// page flipping and back-page drawing; the background mosaic.
#include "e2e/picture_game.h"

namespace tarvolin::test {

namespace {

int mod(int a, int n) { return ((a % n) + n) % n; }

}  // namespace

TEST(PictureRun, TextLayersScrollWrapFlipAndMixColourModes) {
  // BG0 (16 colours, palette 2, front): 32x32 map scrolled by (37, -5); row
  // cy holds tiles (cy mod 4) + 1 + cx, vertically flipped when cy mod 3 is
  // 0, odd columns flipped horizontally. Tile t is filled with t mod 14 + 1
  // (transparent when t mod 5 is 0) with two markers of colour 15.
  // BG1 (256 colours, behind): a 64x32 map scrolled by 300, tile 1 with a
  // marker pixel, column 40 tile 2.
  PictureGame g(
      "V_LV0 = 0\n"
      "While V_LV0 < 40\n"
      " V_LV1 = V_LV0\n V_LV1 %= 14\n V_LV1 += 1\n"
      " V_LV2 = V_LV0\n V_LV2 %= 5\n"
      " If V_LV2 == 0\n  V_LV1 = 0\n End\n"
      " TileDataFillTiles [BG] 0 V_LV0 1 V_LV1\n"
      " TileDataPixelSet [BG] 0 V_LV0 1 0 15\n"
      " TileDataPixelSet [BG] 0 V_LV0 0 2 15\n"
      " V_LV0 += 1\n"
      "End\n"
      "TileDataFillTiles [BG] 1 257 1 200\n"
      "TileDataPixelSet [BG] 1 257 7 7 100\n"
      "TileDataFillTiles [BG] 1 258 1 50\n"
      "TileMapSetMapBank 0 30\nTileMapSetOffsetX 0 37\nTileMapSetOffsetY 0 -5\n"
      "TileMapSetPriority 1 1\nTileMapSetColourMode 1 1\nTileMapSetTileBank 1 1\n"
      "TileMapSetMapBank 1 28\nTileMapSetSize 1 1\nTileMapSetOffsetX 1 300\n"
      "V_LV0 = 0\n"
      "While V_LV0 < 32\n"
      " V_LV1 = V_LV0\n V_LV1 %= 4\n V_LV1 += 8193\n"  // palette 2 (0x2000) + tile
      " V_LV2 = V_LV0\n V_LV2 %= 3\n"
      " If V_LV2 == 0\n  V_LV1 |= #_TILEMAP_FLIPV\n End\n"
      " TileMapIncRect 0 [All] 0 V_LV0 32 1 V_LV1\n"
      " V_LV0 += 1\n"
      "End\n"
      "V_LV0 = 1\n"
      "While V_LV0 < 32\n"
      " TileMapFillRect 0 [FlipHorizontal] V_LV0 0 1 32 1\n"
      " V_LV0 += 2\n"
      "End\n"
      "TileMapFillRect 1 [Tile] 0 0 64 32 1\n"
      "TileMapFillRect 1 [Tile] 40 0 1 32 2\n"
      "DisplaySetAttribute [EnableBG0] 1\nDisplaySetAttribute [EnableBG1] 1\n");
  expectPicture(
      g.run(3),
      [](int x, int y) {
        const int mx = mod(x + 37, 256), my = mod(y - 5, 256);
        const int cx = mx / 8, cy = my / 8;
        const int tile = cy % 4 + 1 + cx;
        const int tx = (cx & 1) ? 7 - mx % 8 : mx % 8;
        const int ty = cy % 3 == 0 ? 7 - my % 8 : my % 8;
        int v = tile % 5 == 0 ? 0 : tile % 14 + 1;
        if ((tx == 1 && ty == 0) || (tx == 0 && ty == 2)) v = 15;
        if (v) return shown(bgColour(2 * 16 + v));
        const int bx = mod(x + 300, 512);
        if (bx / 8 == 40) return shown(bgColour(50));
        return shown(bgColour(bx % 8 == 7 && y % 8 == 7 ? 100 : 200));
      },
      "text layers");
}

TEST(PictureRun, AffineLayerPlainThenTiled) {
  // BG2 of mode 1: a 16x16 map of tile 1 (pixel 1 + x + 8y, 256 colours)
  // with a hole at cell (3, 2), zoomed by 2 with a shear; the main script
  // turns the repeat on from the second frame.
  PictureGame g(
      "DisplaySetAttribute [VideoMode] 1\nDisplaySetAttribute [EnableBG2] 1\n"
      "TileMapSetTileBank 2 2\nTileMapSetMapBank 2 31\n"
      "V_LV0 = 0\n"
      "While V_LV0 < 64\n"
      " V_LV1 = V_LV0\n V_LV1 &= 7\n V_LV2 = V_LV0\n V_LV2 >>= 3\n V_LV3 = V_LV0\n V_LV3 += 1\n"
      " TileDataPixelSet [BG] 1 513 V_LV1 V_LV2 V_LV3\n"
      " V_LV0 += 1\n"
      "End\n"
      "TileMapFillRect 2 [Tile] 0 0 16 16 1\n"
      "TileMapSetAttribute 2 3 2 [Tile] 0\n"
      "DisplaySetBGRotAttribute 0 [ScaleX] 128\nDisplaySetBGRotAttribute 0 [ShearX] 64\n"
      "DisplaySetBGRotAttribute 0 [ScaleY] 128\nDisplaySetBGRotAttribute 0 [OffsetX] 2048\n"
      "DisplaySetBGRotAttribute 0 [OffsetY] -768\n",
      "TileMapSetTiled 2 1\nReturn\n");
  const auto shots = g.runEach(2);
  ASSERT_EQ(shots.size(), 2u);
  for (int tiled = 0; tiled < 2; ++tiled) {
    expectPicture(
        shots[std::size_t(tiled)],
        [tiled](int x, int y) {
          int px = (2048 + x * 128 + y * 64) >> 8, py = (-768 + y * 128) >> 8;
          if (tiled) {
            px = mod(px, 128);
            py = mod(py, 128);
          } else if (px < 0 || px >= 128 || py < 0 || py >= 128) {
            return shown(bgColour(0));
          }
          if (px / 8 == 3 && py / 8 == 2) return shown(bgColour(0));
          return shown(bgColour(1 + px % 8 + 8 * (py % 8)));
        },
        tiled ? "affine tiled" : "affine plain");
  }
}

TEST(PictureRun, BitmapModesWithPagesAndDrawing) {
  // Mode 3: the page is shown at once; BG2's scroll moves it 3 to the right.
  PictureGame m3(
      "DisplaySetAttribute [VideoMode] 3\nDisplaySetAttribute [EnableBG2] 1\nTileMapSetOffsetX 2 3\n"
      "DrawSetColour 0 0 31 V_LV0\n"
      "DrawLine 10 20 100 20 V_LV0\nDrawLine 5 5 5 150 31\nDrawTriangle 50 50 90 50 50 90 992\n");
  expectPicture(
      m3.run(2),
      [](int x, int y) {
        const int c = x - 3;
        if (c < 0) return shown(bgColour(0));
        if (y >= 50 && y <= 89 && c >= 50 && c < 140 - y) return shown(992);
        if (c == 5 && y >= 5 && y <= 150) return shown(31);
        if (y == 20 && c >= 10 && c <= 100) return shown(0x7C00);
        return shown(0);
      },
      "mode 3");

  // Mode 4: drawing goes to the page not shown; after the flip the first
  // line shows and the second (drawn on the now hidden page) does not.
  PictureGame m4(
      "DisplaySetAttribute [VideoMode] 4\nDisplaySetAttribute [EnableBG2] 1\n"
      "DrawLine 0 80 239 80 7\nDisplaySetAttribute [PageFlip] 1\nDrawLine 120 0 120 159 9\n");
  expectPicture(
      m4.run(2), [](int, int y) { return shown(bgColour(y == 80 ? 7 : 0)); }, "mode 4");

  // Mode 5: 160x120 at the top left, the rest backdrop.
  PictureGame m5(
      "DisplaySetAttribute [VideoMode] 5\nDisplaySetAttribute [EnableBG2] 1\n"
      "DrawLine 0 119 200 119 32767\nDrawLine 159 0 159 200 992\nDisplaySetAttribute [PageFlip] 1\n");
  expectPicture(
      m5.run(2),
      [](int x, int y) {
        if (x >= 160 || y >= 120) return shown(bgColour(0));
        if (x == 159) return shown(992);
        return shown(y == 119 ? 0x7FFF : 0);
      },
      "mode 5");
}

TEST(PictureRun, BackgroundAndSpriteMosaic) {
  // BG0: every cell tile 1 whose pixel is (x + 2y) mod 15 + 1, mosaic 3 x 2.
  // Sprite 0: 16x16 at (100, 50) from tiles 0, 1, 32, 33 with the same
  // pattern, mosaic 4 x 4.
  PictureGame g(
      "V_LV0 = 0\n"
      "While V_LV0 < 64\n"
      " V_LV1 = V_LV0\n V_LV1 &= 7\n V_LV2 = V_LV0\n V_LV2 >>= 3\n"
      " V_LV3 = V_LV2\n V_LV3 *= 2\n V_LV3 += V_LV1\n V_LV3 %= 15\n V_LV3 += 1\n"
      " TileDataPixelSet [BG] 0 1 V_LV1 V_LV2 V_LV3\n"
      " TileDataPixelSet [SPRITE] 0 0 V_LV1 V_LV2 V_LV3\n"
      " V_LV0 += 1\n"
      "End\n"
      "TileDataCopyTiles [SPRITE] [SPRITE] 0 0 1 1\n"
      "TileDataCopyTiles [SPRITE] [SPRITE] 0 0 32 2\n"
      "TileMapSetMapBank 0 31\nTileMapFillRect 0 [Tile] 0 0 32 32 1\nTileMapSetMosaic 0 1\n"
      "DisplaySetMosaic [BackgroundX] 3\nDisplaySetMosaic [BackgroundY] 2\n"
      "DisplaySetMosaic [SpriteX] 4\nDisplaySetMosaic [SpriteY] 4\n"
      "SpriteSetAttribute 0 [SdFold] 0\nSpriteSetAttribute 0 [SizeBottom] 1\n"
      "SpriteSetAttribute 0 [Xpos] 100\nSpriteSetAttribute 0 [Ypos] 50\nSpriteSetAttribute 0 [Mosaic] 1\n"
      "DisplaySetAttribute [EnableBG0] 1\nDisplaySetAttribute [EnableSprite] 1\n");
  auto pattern = [](int x, int y) { return (x % 8 + 2 * (y % 8)) % 15 + 1; };
  expectPicture(
      g.run(2),
      [&](int x, int y) {
        if (x >= 100 && x < 116 && y >= 50 && y < 66) {
          const int tx = x - 100, ty = y - 50;
          return shown(spriteColour(pattern(tx - tx % 4, ty - ty % 4)));
        }
        return shown(bgColour(pattern(x - x % 3, y - y % 2)));
      },
      "mosaic");
}

TEST(PictureRun, ScreenshotOptionsAreChecked) {
  PictureGame g("");
  ToolResult r = runTool({"run", g.dir().file("game.tvp"), "--screenshot-every", "2"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--out"), std::string::npos) << r.err;
  r = runTool({"run", g.dir().file("game.tvp"), "--screenshot-every", "0", "--out", g.dir().file("o")});
  EXPECT_EQ(r.exitCode, 2);
  r = runTool({"run", g.dir().file("game.tvp"), "--screenshot"});
  EXPECT_EQ(r.exitCode, 2);
  // An unwritable picture is an error, not a silent success.
  r = runTool({"run", g.dir().file("game.tvp"), "--screenshot", g.dir().file("no/such/folder/x.png")});
  EXPECT_EQ(r.exitCode, 2);
  // Every second frame of five: frames 2 and 4.
  r = runTool({"run", g.dir().file("game.tvp"), "--frames", "5", "--screenshot-every", "2", "--out",
               g.dir().file("every")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readPicture(g.dir().file("every/frame00002.png")).size(), 240u * 160u);
  EXPECT_EQ(readPicture(g.dir().file("every/frame00004.png")).size(), 240u * 160u);
  EXPECT_TRUE(readPicture(g.dir().file("every/frame00001.png")).empty());
  EXPECT_TRUE(readPicture(g.dir().file("every/frame00005.png")).empty());
}

}  // namespace tarvolin::test
