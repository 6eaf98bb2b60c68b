// Sprite pictures: every shape and size, both tile layouts, 16 and 256
// colours, flips, wrap at the edges, rotation, double size, mosaic and order.
#include <gtest/gtest.h>

#include <random>

#include "machine/renderer.h"
#include "scene.h"

namespace tarvolin::machine {
namespace {

using test::expectPicture;
using test::makeMachine;
using test::paletteColour;
using test::rgb;

void fillSpriteTiles(MachineState& m) {
  for (int i = 0; i < 0x8000; ++i) m.vram()[0x10000 + i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
}

// The texel of a sprite as the sprite tile layout describes it.
int texelOf(const MachineState& m, const SpriteEntry& s, int tx, int ty) {
  const int w = s.width();
  const bool layout1 = m.displayAttribute(DisplayAttribute::SpriteLayout) == 1;
  const bool wide = s.colourMode == 1;
  int off = s.tile * 32;
  if (wide) {
    off += layout1 ? (ty / 8) * (w / 8) * 64 : (ty / 8) * 1024;
    off += (tx / 8) * 64 + (ty % 8) * 8 + tx % 8;
    return m.vram()[0x10000 + (off & 0x7FFF)];
  }
  off += layout1 ? (ty / 8) * (w / 8) * 32 : (ty / 8) * 1024;
  off += (tx / 8) * 32 + (ty % 8) * 4 + (tx % 8) / 2;
  const int b = m.vram()[0x10000 + (off & 0x7FFF)];
  return tx % 2 ? b & 15 : b >> 4;
}

int mosaicOf(int v, int n) { return n > 1 ? v - v % n : v; }

// The texel value sprite s shows at screen (x, y), or 0.
int spriteValueAt(const MachineState& m, const SpriteEntry& s, int x, int y) {
  if (!s.shown() || s.displayMode == 2) return 0;
  const int w = s.width(), h = s.height();
  const int aw = s.rotScale && s.sdFold ? 2 * w : w, ah = s.rotScale && s.sdFold ? 2 * h : h;
  const int dy = ((y - s.y) % 256 + 256) % 256;
  if (dy >= ah) return 0;
  const int left = s.x + aw >= 512 ? s.x - 512 : s.x;
  if (x < left || x >= left + aw) return 0;
  int tx, ty;
  if (!s.rotScale) {
    tx = x - left;
    ty = dy;
    if (s.rotation & 8) tx = w - 1 - tx;
    if (s.rotation & 16) ty = h - 1 - ty;
  } else {
    const RotationBank& b = m.rotationBank(s.rotation);
    const int pa = static_cast<int>(b.xscale * 256), pb = static_cast<int>(b.xshear * 256);
    const int pc = static_cast<int>(b.yshear * 256), pd = static_cast<int>(b.yscale * 256);
    const int cx = x - left - aw / 2, cy = dy - ah / 2;
    tx = (pa * cx + pb * cy + w * 128) >> 8;
    ty = (pc * cx + pd * cy + h * 128) >> 8;
    if (tx < 0 || tx >= w || ty < 0 || ty >= h) return 0;
  }
  if (s.mosaic) {
    tx = mosaicOf(tx, m.mosaic(MosaicAttribute::SpriteX));
    ty = mosaicOf(ty, m.mosaic(MosaicAttribute::SpriteY));
  }
  return texelOf(m, s, tx, ty);
}

// Front-most sprite colour: lowest priority, then lowest index.
long long expectedSprites(const MachineState& m, int x, int y) {
  for (int p = 0; p < 4; ++p)
    for (int i = 0; i < 128; ++i) {
      const SpriteEntry& s = m.sprite(i);
      if (s.priority != p) continue;
      const int v = spriteValueAt(m, s, x, y);
      if (v) return rgb(paletteColour(1, s.colourMode ? v : s.palette * 16 + v));
    }
  return -1;
}

void set(MachineState& m, int i, SpriteAttribute a, int v) { ASSERT_TRUE(m.setSpriteAttribute(i, a, v)); }

void randomSprites(MachineState& m, std::mt19937& rng, bool rotating, bool mosaic) {
  auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int b = 0; b < 32; ++b) m.rotateAndScale(b, r(0, 255), r(160, 420) * (r(0, 1) ? 1 : -1));
  for (int i = 0; i < 128; ++i) {
    set(m, i, SpriteAttribute::Xpos, r(0, 511));
    set(m, i, SpriteAttribute::Ypos, r(0, 255));
    set(m, i, SpriteAttribute::SizeTop, r(0, 2));
    set(m, i, SpriteAttribute::SizeBottom, r(0, 3));
    set(m, i, SpriteAttribute::ColourMode, r(0, 1));
    set(m, i, SpriteAttribute::TileIndex, r(0, 1023));
    set(m, i, SpriteAttribute::PaletteIndex, r(0, 15));
    set(m, i, SpriteAttribute::RenderLayer, r(0, 3));
    const bool rot = rotating && r(0, 1);
    set(m, i, SpriteAttribute::RotScale, rot);
    set(m, i, SpriteAttribute::SdFold, rot ? r(0, 1) : 0);
    set(m, i, SpriteAttribute::RotationIndex, r(0, 31));
    set(m, i, SpriteAttribute::Mosaic, mosaic ? r(0, 1) : 0);
  }
}

TEST(RenderSprites, RandomScenesOfEveryShapeSizeLayoutAndColourMode) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 8; ++round) {
    auto m = makeMachine();
    fillSpriteTiles(*m);
    m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
    m->setDisplayAttribute(DisplayAttribute::SpriteLayout, round % 2);
    const bool rotating = round >= 2, mosaic = round >= 4;
    randomSprites(*m, rng, rotating, mosaic);
    if (mosaic) {
      m->setMosaic(MosaicAttribute::SpriteX, round == 7 ? 1 : round);
      m->setMosaic(MosaicAttribute::SpriteY, round == 7 ? 1 : 9 - round);
    }
    ASSERT_TRUE(renderFrame(*m, nullptr));
    const std::uint32_t backdrop = rgb(paletteColour(0, 0));
    expectPicture(*m, [&](int x, int y) {
      const long long c = expectedSprites(*m, x, y);
      return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
    }, "round " + std::to_string(round));
  }
}

TEST(RenderSprites, EdgesWrapAndLowerIndexIsInFront) {
  auto m = makeMachine();
  fillSpriteTiles(*m);
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  // Solid 16x16 sprite of colour 3 at x 500: its right 4 columns show at x 0..3.
  for (int i = 0; i < 4 * 32; ++i) m->vram()[0x10000 + 64 * 32 + i] = 0x33;
  m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  set(*m, 10, SpriteAttribute::SdFold, 0);
  set(*m, 10, SpriteAttribute::SizeBottom, 1);
  set(*m, 10, SpriteAttribute::TileIndex, 64);
  set(*m, 10, SpriteAttribute::Xpos, 500);
  set(*m, 10, SpriteAttribute::Ypos, 250);  // rows 6..15 show at y 0..9
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t solid = rgb(paletteColour(1, 3)), backdrop = rgb(paletteColour(0, 0));
  expectPicture(*m, [&](int x, int y) { return x < 4 && y < 10 ? solid : backdrop; }, "wrapped corner");

  // A second sprite over it: the lower index is in front.
  for (int i = 0; i < 4 * 32; ++i) m->vram()[0x10000 + 68 * 32 + i] = 0x55;
  set(*m, 3, SpriteAttribute::SdFold, 0);
  set(*m, 3, SpriteAttribute::SizeBottom, 1);
  set(*m, 3, SpriteAttribute::TileIndex, 68);
  set(*m, 3, SpriteAttribute::Xpos, 2);
  set(*m, 3, SpriteAttribute::Ypos, 5);
  set(*m, 20, SpriteAttribute::SdFold, 0);
  set(*m, 20, SpriteAttribute::SizeBottom, 1);
  set(*m, 20, SpriteAttribute::TileIndex, 64);
  set(*m, 20, SpriteAttribute::Xpos, 10);
  set(*m, 20, SpriteAttribute::Ypos, 10);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  EXPECT_EQ(test::pixelAt(*m, 3, 6), rgb(paletteColour(1, 5)));   // 3 over 10
  EXPECT_EQ(test::pixelAt(*m, 12, 12), rgb(paletteColour(1, 5))); // 3 over 20
  EXPECT_EQ(test::pixelAt(*m, 20, 20), solid);                    // 20 alone
  EXPECT_EQ(m->layerIds[0], 0);  // last line: nothing there

  // Sprites off: nothing drawn.
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 0);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int, int) { return backdrop; }, "sprites off");
}

TEST(RenderSprites, RotatingIdentityMatchesPlainAndDoubleSizeCentres) {
  auto m = makeMachine();
  fillSpriteTiles(*m);
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m->rotateAndScale(0, 0, 256);
  for (int i : {0, 1}) {
    set(*m, i, SpriteAttribute::SdFold, 0);
    set(*m, i, SpriteAttribute::SizeTop, 1);
    set(*m, i, SpriteAttribute::SizeBottom, 2);  // 32x16
    set(*m, i, SpriteAttribute::TileIndex, 40);
    set(*m, i, SpriteAttribute::Ypos, 20);
  }
  set(*m, 0, SpriteAttribute::Xpos, 10);
  set(*m, 1, SpriteAttribute::Xpos, 100);
  set(*m, 1, SpriteAttribute::RotScale, 1);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  for (int y = 20; y < 36; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(test::pixelAt(*m, 10 + x, y), test::pixelAt(*m, 100 + x, y)) << x << "," << y;

  // Double size: the same texels, centred in a 64x32 area.
  set(*m, 1, SpriteAttribute::SdFold, 1);
  set(*m, 1, SpriteAttribute::Xpos, 100 - 16);
  set(*m, 1, SpriteAttribute::Ypos, 20 - 8);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t backdrop = rgb(paletteColour(0, 0));
  for (int y = 12; y < 44; ++y)
    for (int x = 84; x < 148; ++x) {
      const bool inside = x >= 100 && x < 132 && y >= 20 && y < 36;
      if (inside)
        ASSERT_EQ(test::pixelAt(*m, x, y), test::pixelAt(*m, 10 + x - 100, y)) << x << "," << y;
      else
        ASSERT_EQ(test::pixelAt(*m, x, y), backdrop) << x << "," << y;
    }
}

TEST(RenderSprites, SpritesAndLayersShareThePriorityPasses) {
  auto m = makeMachine();
  // BG0 solid colour 1 on the left half, BG1 solid colour 2 everywhere.
  for (int i = 0; i < 32; ++i) {
    m->vram()[32 + i] = 0x11;
    m->vram()[64 + i] = 0x22;
  }
  m->setLayerAttribute(0, LayerAttribute::MapBank, 30);
  m->setLayerAttribute(1, LayerAttribute::MapBank, 31);
  for (int cy = 0; cy < 32; ++cy)
    for (int cx = 0; cx < 32; ++cx) {
      if (cx < 15) test::putTextCell(*m, 30, 32, cx, cy, 1);
      test::putTextCell(*m, 31, 32, cx, cy, 2);
    }
  test::enableLayer(*m, 0);
  test::enableLayer(*m, 1);
  // A sprite with a transparent left half, across the BG0 edge.
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 32; ++i) m->vram()[0x10000 + t * 32 + i] = (t % 2) ? 0x00 : 0x77;
  set(*m, 0, SpriteAttribute::SdFold, 0);
  set(*m, 0, SpriteAttribute::SizeBottom, 1);
  set(*m, 0, SpriteAttribute::Xpos, 112);
  set(*m, 0, SpriteAttribute::Ypos, 50);
  const std::uint32_t bg0 = rgb(paletteColour(0, 1)), bg1 = rgb(paletteColour(0, 2)),
                      spr = rgb(paletteColour(1, 7));
  auto sprite = [](int x, int y) { return x >= 112 && x < 120 && y >= 50 && y < 66; };
  auto moved = [](int x, int y) { return x >= 116 && x < 124 && y >= 50 && y < 66; };
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) { return sprite(x, y) ? spr : x < 120 ? bg0 : bg1; }, "all priority 0");
  // Behind BG0 but in front of BG1.
  set(*m, 0, SpriteAttribute::RenderLayer, 1);
  set(*m, 0, SpriteAttribute::Xpos, 116);
  m->setLayerAttribute(1, LayerAttribute::Priority, 2);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) { return x < 120 ? bg0 : moved(x, y) ? spr : bg1; }, "between layers");
}

}  // namespace
}  // namespace tarvolin::machine
