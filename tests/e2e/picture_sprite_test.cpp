// Sprite, window and blending scenes built by game scripts and checked in
// the PNG that `tarvolin run` writes.
#include <algorithm>
#include <array>

#include "e2e/in_process.h"
#include "e2e/picture_game.h"

namespace tarvolin::test {

namespace {

// The sprite tile area as the scene's script fills it: 32-byte tile k is
// all colour k mod 15 + 1 but for its pixel (0, 0), which is 0.
int spriteByte(int offset) {
  offset &= 0x7FFF;
  const int v = (offset / 32) % 15 + 1;
  return offset % 32 == 0 ? v : v * 0x11;
}

struct Sprite {
  int x, y, w, h;
  int tile, palette = 0, colourMode = 0, priority = 0;
  bool flipH = false, flipV = false;
  bool rotating = false, doubleSize = false;
  int pa = 256, pb = 0, pc = 0, pd = 256;
};

// The texel value of a sprite by the tile layout (0: 2D, 1: 1D).
int texel(const Sprite& s, int tx, int ty, int layout) {
  if (s.colourMode == 0) {
    const int row = layout ? (s.w / 8) * 32 : 1024;
    const int at = s.tile * 32 + (ty / 8) * row + (tx / 8) * 32 + (ty % 8) * 4 + (tx % 8) / 2;
    const int b = spriteByte(at);
    return (tx & 1) ? (b & 15) : (b >> 4);
  }
  const int row = layout ? (s.w / 8) * 64 : 1024;
  return spriteByte(s.tile * 32 + (ty / 8) * row + (tx / 8) * 64 + (ty % 8) * 8 + tx % 8);
}

// The colour of one sprite at a screen pixel, or -1 where it shows nothing.
int spritePixel(const Sprite& s, int x, int y, int layout) {
  const int aw = s.w * (s.doubleSize ? 2 : 1), ah = s.h * (s.doubleSize ? 2 : 1);
  const int startX = s.x + aw >= 512 ? s.x - 512 : s.x;
  const int row = ((y - s.y) % 256 + 256) % 256;
  if (row >= ah || x < startX || x >= startX + aw) return -1;
  int tx = x - startX, ty = row;
  if (s.rotating) {
    const int dx = tx - aw / 2, dy = ty - ah / 2;
    tx = (s.pa * dx + s.pb * dy + s.w * 128) >> 8;
    ty = (s.pc * dx + s.pd * dy + s.h * 128) >> 8;
    if (tx < 0 || tx >= s.w || ty < 0 || ty >= s.h) return -1;
  } else {
    if (s.flipH) tx = s.w - 1 - tx;
    if (s.flipV) ty = s.h - 1 - ty;
  }
  const int v = texel(s, tx, ty, layout);
  if (v == 0) return -1;
  return s.colourMode ? spriteColour(v) : spriteColour(s.palette * 16 + v);
}

const char* kSpriteTiles =
    "V_LV0 = 0\n"
    "While V_LV0 < 1024\n"
    " V_LV1 = V_LV0\n V_LV1 %= 15\n V_LV1 += 1\n"
    " TileDataFillTiles [SPRITE] 0 V_LV0 1 V_LV1\n"
    " TileDataPixelSet [SPRITE] 0 V_LV0 0 0 0\n"
    " V_LV0 += 1\n"
    "End\n";

}  // namespace

TEST(PictureRun, SpritesOfEveryKindInBothTileLayouts) {
  PictureGame g(std::string(kSpriteTiles) +
                    "DisplaySetAttribute [EnableSprite] 1\n"
                    // 0: 16x16, palette 1, flipped, in front of sprite 4.
                    "SpriteSetAttribute 0 [SdFold] 0\nSpriteSetAttribute 0 [SizeBottom] 1\n"
                    "SpriteSetAttribute 0 [Xpos] 20\nSpriteSetAttribute 0 [Ypos] 10\n"
                    "SpriteSetAttribute 0 [TileIndex] 2\nSpriteSetAttribute 0 [PaletteIndex] 1\n"
                    "SpriteSetAttribute 0 [FlipHorizontal] 1\n"
                    // 1: 32x8, 256 colours, at x -12 (stored 500): wraps to the left edge.
                    "SpriteSetAttribute 1 [SdFold] 0\nSpriteSetAttribute 1 [SizeTop] 1\n"
                    "SpriteSetAttribute 1 [SizeBottom] 1\nSpriteSetAttribute 1 [Xpos] -12\n"
                    "SpriteSetAttribute 1 [Ypos] 40\nSpriteSetAttribute 1 [ColourMode] 1\n"
                    "SpriteSetAttribute 1 [TileIndex] 40\n"
                    // 2: 8x32 at y 250: its lower part shows at the top; flipped vertically.
                    "SpriteSetAttribute 2 [SdFold] 0\nSpriteSetAttribute 2 [SizeTop] 2\n"
                    "SpriteSetAttribute 2 [SizeBottom] 1\nSpriteSetAttribute 2 [Xpos] 60\n"
                    "SpriteSetAttribute 2 [Ypos] 250\nSpriteSetAttribute 2 [FlipVertical] 1\n"
                    "SpriteSetAttribute 2 [PaletteIndex] 3\nSpriteSetAttribute 2 [TileIndex] 100\n"
                    // 3: 64x64 rotating through the identity bank 5, double size, behind.
                    "RotateAndScale 5 0 256\n"
                    "SpriteSetAttribute 3 [RotScale] 1\nSpriteSetAttribute 3 [SizeBottom] 3\n"
                    "SpriteSetAttribute 3 [RotationIndex] 5\nSpriteSetAttribute 3 [Xpos] 100\n"
                    "SpriteSetAttribute 3 [Ypos] 60\nSpriteSetAttribute 3 [RenderLayer] 1\n"
                    "SpriteSetAttribute 3 [TileIndex] 200\n"
                    // 4: 16x16 under sprite 0.
                    "SpriteSetAttribute 4 [SdFold] 0\nSpriteSetAttribute 4 [SizeBottom] 1\n"
                    "SpriteSetAttribute 4 [Xpos] 30\nSpriteSetAttribute 4 [Ypos] 15\n"
                    "SpriteSetAttribute 4 [TileIndex] 7\n"
                    // 5: 16x16 shrunk by half through bank 6, over sprite 3.
                    "RotateAndScale 6 0 512\n"
                    "SpriteSetAttribute 5 [RotScale] 1\nSpriteSetAttribute 5 [SdFold] 0\n"
                    "SpriteSetAttribute 5 [SizeBottom] 1\nSpriteSetAttribute 5 [RotationIndex] 6\n"
                    "SpriteSetAttribute 5 [Xpos] 180\nSpriteSetAttribute 5 [Ypos] 100\n"
                    "SpriteSetAttribute 5 [TileIndex] 300\n"
                    // 6: 64x32 wide, 256 colours, partly below the picture.
                    "SpriteSetAttribute 6 [SdFold] 0\nSpriteSetAttribute 6 [SizeTop] 1\n"
                    "SpriteSetAttribute 6 [SizeBottom] 3\nSpriteSetAttribute 6 [ColourMode] 1\n"
                    "SpriteSetAttribute 6 [Xpos] 10\nSpriteSetAttribute 6 [Ypos] 140\n"
                    "SpriteSetAttribute 6 [TileIndex] 500\n"
                    // 7: 8x8 hidden (SdFold 1, not rotating).
                    "SpriteSetAttribute 7 [Xpos] 0\nSpriteSetAttribute 7 [Ypos] 0\n",
                "DisplaySetAttribute [SpriteLayout] 1\nReturn\n");
  std::array<Sprite, 7> sprites{};
  sprites[0] = Sprite{20, 10, 16, 16, 2, 1};
  sprites[0].flipH = true;
  sprites[1] = Sprite{500, 40, 32, 8, 40, 0, 1};
  sprites[2] = Sprite{60, 250, 8, 32, 100, 3};
  sprites[2].flipV = true;
  sprites[3] = Sprite{100, 60, 64, 64, 200, 0, 0, 1};
  sprites[3].rotating = sprites[3].doubleSize = true;
  sprites[4] = Sprite{30, 15, 16, 16, 7};
  sprites[5] = Sprite{180, 100, 16, 16, 300};
  sprites[5].rotating = true;
  sprites[5].pa = sprites[5].pd = 512;
  sprites[6] = Sprite{10, 140, 64, 32, 500, 0, 1};
  const auto shots = g.runEach(2);
  ASSERT_EQ(shots.size(), 2u);
  for (int layout = 0; layout < 2; ++layout) {
    expectPicture(
        shots[std::size_t(layout)],
        [&](int x, int y) {
          // Priority 3 down to 0, sprite 127 down to 0: the last drawn wins.
          int colour = -1;
          for (int pass = 3; pass >= 0; --pass)
            for (int i = int(sprites.size()) - 1; i >= 0; --i) {
              if (sprites[std::size_t(i)].priority != pass) continue;
              const int c = spritePixel(sprites[std::size_t(i)], x, y, layout);
              if (c >= 0) colour = c;
            }
          return shown(std::uint16_t(colour >= 0 ? colour : bgColour(0)));
        },
        layout ? "sprites 1D" : "sprites 2D");
  }
}

TEST(PictureRun, EveryShapeAndSizeInBothTileLayouts) {
  // The twelve (shape, size) pairs by their built-in names, side by side;
  // every third one in 256 colours, the others each with its own palette.
  struct Kind {
    int w, h, x, y;
  } kinds[12] = {{8, 8, 224, 0},   {16, 16, 34, 70}, {32, 32, 160, 0}, {64, 64, 0, 0},
                 {16, 8, 86, 72},  {32, 8, 52, 70},  {32, 16, 0, 70},  {64, 32, 96, 0},
                 {8, 16, 216, 0},  {8, 32, 208, 0},  {16, 32, 192, 0}, {32, 64, 64, 0}};
  std::string init = std::string(kSpriteTiles) + "DisplaySetAttribute [EnableSprite] 1\n";
  std::array<Sprite, 12> sprites{};
  for (int i = 0; i < 12; ++i) {
    const Kind& k = kinds[i];
    Sprite& s = sprites[std::size_t(i)];
    s = Sprite{k.x, k.y, k.w, k.h, 2 * (37 * i + 3), i % 3 == 2 ? 0 : i + 1, i % 3 == 2 ? 1 : 0};
    const std::string n = std::to_string(i), size = std::to_string(k.w) + "x" + std::to_string(k.h);
    init += "SpriteSetAttribute " + n + " [SdFold] 0\n" +
            "SpriteSetAttribute " + n + " [SizeTop] #_SPRITE_SIZE" + size + "_TOP\n" +
            "SpriteSetAttribute " + n + " [SizeBottom] #_SPRITE_SIZE" + size + "_BOTTOM\n" +
            "SpriteSetAttribute " + n + " [Xpos] " + std::to_string(k.x) + "\n" +
            "SpriteSetAttribute " + n + " [Ypos] " + std::to_string(k.y) + "\n" +
            "SpriteSetAttribute " + n + " [TileIndex] " + std::to_string(s.tile) + "\n" +
            "SpriteSetAttribute " + n + " [PaletteIndex] " + std::to_string(s.palette) + "\n" +
            "SpriteSetAttribute " + n + " [ColourMode] " + std::to_string(s.colourMode) + "\n";
  }
  PictureGame g(init, "DisplaySetAttribute [SpriteLayout] 1\nReturn\n");
  const auto shots = g.runEach(2);
  ASSERT_EQ(shots.size(), 2u);
  for (int layout = 0; layout < 2; ++layout) {
    expectPicture(
        shots[std::size_t(layout)],
        [&](int x, int y) {
          int colour = -1;
          for (int i = 11; i >= 0; --i)
            if (const int c = spritePixel(sprites[std::size_t(i)], x, y, layout); c >= 0) colour = c;
          return shown(std::uint16_t(colour >= 0 ? colour : bgColour(0)));
        },
        layout ? "sizes 1D" : "sizes 2D");
  }
}

TEST(PictureRun, WindowsSpriteWindowAndBlendEffects) {
  // BG1 (behind) all colour 2; BG0 colour 1 on the left 15 columns. Window 0
  // (columns 200..39, rows 20..59) shows BG1 with blending; window 1 (columns
  // 50..149, rows 100..159 and 0..9) both layers without; a sprite-window
  // sprite (32x32 at 100, 30) shows BG0 only; outside shows both, blended.
  // Frame 1 alpha (BG0 source over BG1 target, 10 / 6), frame 2 lighten at
  // tint 8, frame 3 darken at tint 31 (taken as 16).
  PictureGame g(
      "TileDataFillTiles [BG] 0 1 1 1\nTileDataFillTiles [BG] 0 2 1 2\n"
      "TileDataFillTiles [SPRITE] 0 0 128 1\n"
      "TileMapSetMapBank 0 30\nTileMapSetMapBank 1 31\nTileMapSetPriority 1 1\n"
      "TileMapFillRect 0 [Tile] 0 0 15 32 1\nTileMapFillRect 1 [Tile] 0 0 32 32 2\n"
      "DisplaySetAttribute [EnableBG0] 1\nDisplaySetAttribute [EnableBG1] 1\n"
      "DisplaySetBlendMode #_BLEND_ALPHA\n"
      "DisplaySetBlendAttribute [BG0Source] 1\nDisplaySetBlendAttribute [BG1Target] 1\n"
      "DisplaySetBlendAlphaLevel 10 6\nDisplaySetBlendTintLevel 8\n"
      "DisplaySetWindowRegion 0 200 20 40 60\nDisplaySetWindowRegion 1 50 100 150 10\n"
      "DisplaySetWindowAttribute 0 [WindowBG1] 1\nDisplaySetWindowAttribute 0 [WindowBlends] 1\n"
      "DisplaySetWindowAttribute 1 [WindowBG0] 1\nDisplaySetWindowAttribute 1 [WindowBG1] 1\n"
      "DisplaySetWindowAttribute 2 [WindowBG0] 1\nDisplaySetWindowAttribute 2 [WindowBG1] 1\n"
      "DisplaySetWindowAttribute 2 [WindowBlends] 1\nDisplaySetWindowAttribute 3 [WindowBG0] 1\n"
      "SpriteSetAttribute 0 [SdFold] 0\nSpriteSetAttribute 0 [SizeBottom] 2\n"
      "SpriteSetAttribute 0 [DisplayMode] #_SPRITE_DISPLAY_MODE_OBJWINDOW\n"
      "SpriteSetAttribute 0 [Xpos] 100\nSpriteSetAttribute 0 [Ypos] 30\n"
      "DisplaySetAttribute [EnableSprite] 1\nDisplaySetAttribute [EnableSpriteWindow] 1\n"
      "DisplaySetAttribute [EnableWindowA] 1\nDisplaySetAttribute [EnableWindowB] 1\n",
      "If G_TICKS == 1\n DisplaySetBlendMode 2\nEnd\n"
      "If G_TICKS == 2\n DisplaySetBlendMode 3\n DisplaySetBlendTintLevel 31\nEnd\nReturn\n");
  const auto shots = g.runEach(3);
  ASSERT_EQ(shots.size(), 3u);
  for (int mode = 1; mode <= 3; ++mode) {
    expectPicture(
        shots[std::size_t(mode - 1)],
        [mode](int x, int y) {
          const bool in0 = y >= 20 && y < 60 && (x < 40 || x >= 200);
          const bool in1 = (y >= 100 || y < 10) && x >= 50 && x < 150;
          const bool inSprite = x >= 100 && x < 132 && y >= 30 && y < 62;
          const int flags = in0 ? 0x22 : in1 ? 0x03 : inSprite ? 0x01 : 0x23;
          std::uint32_t colour = shown(bgColour(0));
          bool overBg1 = false;
          if (flags & 2) {
            colour = shown(bgColour(2));
            overBg1 = true;
          }
          if ((flags & 1) && x < 120) {
            const std::uint32_t c = shown(bgColour(1));
            std::uint32_t result = c;
            if (flags & 0x20) {
              result = 0;
              for (int shift = 0; shift < 24; shift += 8) {
                const int cc = c >> shift & 255, u = colour >> shift & 255;
                int v = cc;
                if (mode == 1 && overBg1) v = std::min(255, (u * 6 >> 4) + (cc * 10 >> 4));
                if (mode == 2) v = std::min(255, cc + ((255 - cc) * 8 >> 4));
                if (mode == 3) v = std::max(0, cc - cc * 16 / 16);
                result |= std::uint32_t(v) << shift;
              }
            }
            colour = result;
          }
          return colour;
        },
        mode == 1 ? "alpha" : mode == 2 ? "lighten" : "darken");
  }
}

TEST(PictureRun, HardwareErrorsStopTheGameWithTheirMessages) {
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"DisplaySetBlendMode -1", "Atributo de Transparencia fuera de los límites"},
      {"DisplaySetAttribute [VideoMode] 6", "Atributo de visualización fuera de los límites"},
      {"DisplaySetAttribute [Bogus] 1", "Atributo de visualización desconocido"},
      {"DisplaySetBGRotAttribute 2 [ScaleX] 256", "Capa Rotatoria Ilegal (0 = fondo2, 1 = fondo3)"},
      {"DisplaySetWindowRegion 0 0 256 0 0", "Atributo de Ventana fuera de los límites"},
      {"TileDataPixelSet [BG] 0 1 0 8 1", "Atributo de Tile fuera de los límites"},
      {"TileMapSetAttribute 0 32 0 [Tile] 1", "Coordenada X del Mapa de Pantalla fuera de los límites"},
      {"TileMapSetAttribute 0 0 0 [Palette] 16", "Atributo del Mapa de Pantalla fuera de los límites"},
      {"TileMapSetPriority 4 0", "Índice del Mapa de Pantalla fuera de los límites (debe ser entre 0..3)"},
      {"PaletteSetColour [BG] 256 0", "Índice de Paleta fuera de los límites (debe ser entre 0..15)"},
      {"SpriteSetAttribute 128 [Xpos] 0", "Índice de Sprite fuera de los límites (debe ser entre 0..127)"},
      {"RotateAndScale 0 0 0", "Parámetro de Rotar/Escalar fuera de los límites (¿cero ilegal?)"},
      {"CollideSetTileProperty 0 256", "Los arreglos de colisión solo pueden albergar bytes (valor 0..255)"},
  };
  for (const Case& c : cases) {
    PictureGame g(std::string(c.line) + "\nLog \"no\"\n");
    const ToolResult r = runInProcess({"run", g.dir().file("game.tvp"), "--frames", "2"});
    EXPECT_EQ(r.exitCode, 1) << c.line << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.line << "\n" << r.out;
    EXPECT_EQ(r.out.find("no\n"), std::string::npos) << c.line;
  }
}

TEST(PictureRun, ScriptReadsBackWhatItWrote) {
  PictureGame g(
      "DisplayGetScanLine V_LV0\n"
      "SpriteSetAttribute 9 [Xpos] -1\nSpriteGetAttribute 9 [Xpos] V_LV1\n"
      "TileMapIncRect 0 [Tile] 0 0 2 1 1023\nTileMapGetAttribute 0 1 0 [Tile] V_LV2\n"
      "PaletteCycle [BG] 1 4\nPaletteGetColour [BG] 1 V_LV3\n"
      "CollideSetTileProperty 0 6\nCollideTestRegionVrsTiles 0 8 0 8 8 4 V_LV4\n"
      "Log \"%d %d %d %d %d\" V_LV0 V_LV1 V_LV2 V_LV3 V_LV4\n");
  const ToolResult r = runTool({"run", g.dir().file("game.tvp"), "--frames", "1"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  // The scan line reads from the frame's estimated cycles, so it lies past
  // the first line once the palette loop has run.
  const std::size_t at = r.out.rfind('\n', r.out.size() - 2);
  const std::string last = r.out.substr(at == std::string::npos ? 0 : at + 1);
  int line = -1, x = 0, tile = 0, colour = 0, hit = 0;
  ASSERT_EQ(std::sscanf(last.c_str(), "%d %d %d %d %d", &line, &x, &tile, &colour, &hit), 5) << r.out;
  EXPECT_GE(line, 0);
  EXPECT_LT(line, 228);
  EXPECT_EQ(x, 511);
  EXPECT_EQ(tile, 0);
  EXPECT_EQ(colour, bgColour(4));
  EXPECT_EQ(hit, 4);
}

}  // namespace tarvolin::test
