// Windows, the sprite window and blending, on scenes of solid layers.
#include <gtest/gtest.h>

#include <algorithm>

#include "machine/renderer.h"
#include "scene.h"

namespace tarvolin::machine {
namespace {

using test::expectPicture;
using test::paletteColour;
using test::rgb;

// BG0 solid colour 1 at priority 0, BG1 solid colour 2 at priority 1, both
// 32x32 maps of tile 1 (BG0) and tile 2 (BG1).
std::unique_ptr<MachineState> twoLayers() {
  auto m = test::makeMachine();
  for (int i = 0; i < 32; ++i) {
    m->vram()[32 + i] = 0x11;
    m->vram()[64 + i] = 0x22;
  }
  m->setLayerAttribute(0, LayerAttribute::MapBank, 30);
  m->setLayerAttribute(1, LayerAttribute::MapBank, 31);
  m->setLayerAttribute(1, LayerAttribute::Priority, 1);
  for (int cy = 0; cy < 32; ++cy)
    for (int cx = 0; cx < 32; ++cx) {
      test::putTextCell(*m, 30, 32, cx, cy, 1);
      test::putTextCell(*m, 31, 32, cx, cy, 2);
    }
  test::enableLayer(*m, 0);
  test::enableLayer(*m, 1);
  return m;
}

const std::uint32_t kA = rgb(paletteColour(0, 1)), kB = rgb(paletteColour(0, 2)),
                    kBackdrop = rgb(paletteColour(0, 0));

std::uint32_t perChannel(std::uint32_t c, std::uint32_t u, int (*f)(int, int)) {
  std::uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) out |= static_cast<std::uint32_t>(f(c >> s & 255, u >> s & 255)) << s;
  return out;
}

void setContent(MachineState& m, int window, std::uint8_t bits) {
  for (int b = 0; b < 6; ++b) m.setWindowAttribute(window, static_cast<WindowAttribute>(b), bits >> b & 1);
}

TEST(RenderWindows, WrappingColumnsAndRowsAndTheOutsideArea) {
  auto m = twoLayers();
  m->setDisplayAttribute(DisplayAttribute::EnableWindowA, 1);
  setContent(*m, 0, 0x02);  // BG1 only
  setContent(*m, 2, 0x01);  // outside: BG0 only
  m->setWindowRegion(0, 200, 0, 40, 160);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int x, int) { return x < 40 || x >= 200 ? kB : kA; }, "columns 200..40");

  m->setWindowRegion(0, 30, 150, 60, 10);  // rows 150..159 and 0..9
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int x, int y) { return (y >= 150 || y < 10) && x >= 30 && x < 60 ? kB : kA; },
                "rows 150..10");

  m->setWindowRegion(0, 30, 170, 60, 200);  // enabled but on no visible line
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int, int) { return kA; }, "window off screen");

  m->setWindowRegion(0, 250, 0, 255, 160);  // right edge past the screen
  m->setWindowRegion(0, 220, -1, -1, -1);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int x, int) { return x >= 220 ? kB : kA; }, "window to the right edge");
}

TEST(RenderWindows, WindowZeroDecidesWhereBothOverlap) {
  auto m = twoLayers();
  m->setDisplayAttribute(DisplayAttribute::EnableWindowA, 1);
  m->setDisplayAttribute(DisplayAttribute::EnableWindowB, 1);
  m->setWindowRegion(0, 50, 20, 100, 120);
  m->setWindowRegion(1, 80, 0, 150, 160);
  setContent(*m, 0, 0x02 | kContentBlend);  // BG1, blending allowed
  setContent(*m, 1, 0x01 | kContentBlend);  // BG0, blending allowed
  setContent(*m, 2, 0x00);                  // outside: backdrop only
  // BG1 would blend over BG0; in the overlap only window 0's BG1 is drawn,
  // over the backdrop, which is not a target.
  m->setBlendMode(kBlendAlpha);
  m->setBlendAttribute(1, 1);  // BG1Source
  m->setBlendAttribute(6, 1);  // BG0Target
  m->setAlphaLevels(8, 8);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int x, int y) {
    const bool in0 = x >= 50 && x < 100 && y >= 20 && y < 120;
    const bool in1 = x >= 80 && x < 150;
    return in0 ? kB : in1 ? kA : kBackdrop;
  }, "two windows");
}

TEST(RenderWindows, SpriteWindowSelectsItsContentsUnderItsTexels) {
  auto m = twoLayers();
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m->setDisplayAttribute(DisplayAttribute::EnableSpriteWindow, 1);
  setContent(*m, 2, 0x01);  // outside: BG0
  setContent(*m, 3, 0x02);  // sprite window: BG1
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [](int, int) { return kA; }, "no window sprite");

  // A 16x16 window sprite with a checker of transparent texels.
  for (int i = 0; i < 4 * 32; ++i) m->vram()[0x10000 + 32 * 4 + i] = (i % 4 < 2) ? 0x10 : 0x01;
  m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  m->setSpriteAttribute(0, SpriteAttribute::SdFold, 0);
  m->setSpriteAttribute(0, SpriteAttribute::SizeBottom, 1);
  m->setSpriteAttribute(0, SpriteAttribute::TileIndex, 4);
  m->setSpriteAttribute(0, SpriteAttribute::DisplayMode, kSpriteObjWindow);
  m->setSpriteAttribute(0, SpriteAttribute::Xpos, 60);
  m->setSpriteAttribute(0, SpriteAttribute::Ypos, 30);
  // In 16-colour rows of 4 bytes, bytes 0 and 1 hold 0x10 (texels 1, 0, 1, 0)
  // and bytes 2 and 3 hold 0x01 (texels 0, 1, 0, 1).
  auto under = [](int x, int y) {
    if (x < 60 || x >= 76 || y < 30 || y >= 46) return false;
    const int c = (x - 60) % 8;
    return c < 4 ? c % 2 == 0 : c % 2 == 1;
  };
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) { return under(x, y) ? kB : kA; }, "sprite window");

  // With window 0 as well, the sprite window only acts outside it.
  m->setDisplayAttribute(DisplayAttribute::EnableWindowA, 1);
  m->setWindowRegion(0, 0, 0, 66, 160);
  setContent(*m, 0, 0x00);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) { return x < 66 ? kBackdrop : under(x, y) ? kB : kA; },
                "sprite window beside window 0");

  // Sprites disabled: no sprite window either.
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 0);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int) { return x < 66 ? kBackdrop : kA; }, "sprites off");
}

TEST(RenderBlending, AlphaLightenAndDarkenArithmetic) {
  auto m = twoLayers();
  // Solid layers, so a scroll changes nothing but splits the tile rows.
  m->setLayerAttribute(0, LayerAttribute::OffsetX, 3);
  m->setBlendAttribute(0, 1);  // BG0Source
  m->setBlendAttribute(7, 1);  // BG1Target

  m->setBlendMode(kBlendAlpha);
  m->setAlphaLevels(16, 16);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t sum = perChannel(kA, kB, [](int c, int u) { return std::min(255, c + u); });
  expectPicture(*m, [&](int, int) { return sum; }, "alpha 16/16");
  EXPECT_EQ(m->layerIds[5], 4);

  m->setAlphaLevels(5, 11);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t mix = perChannel(kA, kB, [](int c, int u) { return std::min(255, (u * 11 >> 4) + (c * 5 >> 4)); });
  expectPicture(*m, [&](int, int) { return mix; }, "alpha 5/11");

  // Nothing that is a target underneath: plain.
  m->setDisplayAttribute(DisplayAttribute::EnableBG1, 0);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int, int) { return kA; }, "alpha over a non-target");
  m->setBlendAttribute(11, 1);  // BackdropTarget
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t overBackdrop =
      perChannel(kA, kBackdrop, [](int c, int u) { return std::min(255, (u * 11 >> 4) + (c * 5 >> 4)); });
  expectPicture(*m, [&](int, int) { return overBackdrop; }, "alpha over the backdrop");

  m->setBlendMode(kBlendLighten);
  m->setTintLevel(31);  // as 16: white
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int, int) { return 0xFFFFFFu; }, "lighten 31");
  m->setTintLevel(6);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t light = perChannel(kA, 0, [](int c, int) { return c + ((255 - c) * 6 >> 4); });
  expectPicture(*m, [&](int, int) { return light; }, "lighten 6");

  m->setBlendMode(kBlendDarken);
  m->setTintLevel(5);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  const std::uint32_t dark = perChannel(kA, 0, [](int c, int) { return c - c * 5 / 16; });
  expectPicture(*m, [&](int, int) { return dark; }, "darken 5");

  // Blending not allowed in the window: plain.
  m->setDisplayAttribute(DisplayAttribute::EnableWindowA, 1);
  m->setWindowRegion(0, 0, 0, 100, 160);
  setContent(*m, 0, 0x01);
  setContent(*m, 2, 0x01 | kContentBlend);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int) { return x < 100 ? kA : dark; }, "blending only outside");
}

TEST(RenderBlending, SemiTransparentSpritesBlendOverTargetsInAnyMode) {
  auto m = twoLayers();
  m->setDisplayAttribute(DisplayAttribute::EnableBG0, 0);
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  for (int i = 0; i < 4 * 32; ++i) m->vram()[0x10000 + i] = 0x99;
  for (int s : {0, 1}) {
    m->setSpriteAttribute(s, SpriteAttribute::SdFold, 0);
    m->setSpriteAttribute(s, SpriteAttribute::SizeBottom, 1);
    m->setSpriteAttribute(s, SpriteAttribute::DisplayMode, kSpriteSemiAlpha);
    m->setSpriteAttribute(s, SpriteAttribute::Ypos, 40);
  }
  m->setSpriteAttribute(0, SpriteAttribute::Xpos, 20);
  m->setSpriteAttribute(1, SpriteAttribute::Xpos, 100);
  // Sprite 1 takes the per-pixel path: mosaic of size 1 changes nothing.
  m->setSpriteAttribute(1, SpriteAttribute::Mosaic, 1);
  m->setAlphaLevels(6, 12);
  m->setBlendAttribute(7, 1);  // BG1Target; blend mode stays 0
  const std::uint32_t spr = rgb(paletteColour(1, 9));
  const std::uint32_t mixed = perChannel(spr, kB, [](int c, int u) { return std::min(255, (u * 12 >> 4) + (c * 6 >> 4)); });
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    const bool in = y >= 40 && y < 56 && ((x >= 20 && x < 36) || (x >= 100 && x < 116));
    return in ? mixed : kB;
  }, "semi-transparent over a target");

  // Over a non-target it is drawn plainly; sprite source with lighten.
  m->setBlendAttribute(7, 0);
  m->setSpriteAttribute(1, SpriteAttribute::DisplayMode, kSpriteNormal);
  m->setBlendMode(kBlendLighten);
  m->setBlendAttribute(4, 1);  // SpriteSource
  m->setTintLevel(16);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    if (y < 40 || y >= 56) return kB;
    if (x >= 20 && x < 36) return spr;  // semi-transparent sprites always take alpha
    if (x >= 100 && x < 116) return 0xFFFFFFu;
    return kB;
  }, "plain and lightened sprites");
}

}  // namespace
}  // namespace tarvolin::machine
