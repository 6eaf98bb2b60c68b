// Whole pictures of background scenes set up directly in the machine,
// compared with pictures the tests work out pixel by pixel.
#include <gtest/gtest.h>

#include "machine/renderer.h"
#include "scene.h"

namespace tarvolin::machine {
namespace {

using test::enableLayer;
using test::expectPicture;
using test::makeMachine;
using test::paletteColour;
using test::rgb;

int posMod(int a, int n) { return ((a % n) + n) % n; }

int pattern16(int tile, int px, int py) { return (tile * 3 + px + 2 * py) % 16; }
int pattern256(int tile, int px, int py) { return (tile * 5 + px * 3 + py * 11) % 256; }

std::uint16_t cellFor(int cx, int cy) {
  std::uint16_t cell = static_cast<std::uint16_t>((cx * 7 + cy * 13) % 50 + 1);
  if ((cx + cy) % 3 == 0) cell |= 0x400;
  if ((cx * cy) % 4 == 1) cell |= 0x800;
  cell |= static_cast<std::uint16_t>(((cx + cy) % 16) << 12);
  return cell;
}

// Fills tiles 0..63 of a tile bank and a whole 64x64 map of `bank`.
void buildTextScene(MachineState& m, int bg, int tileBank, int mapBank, bool wide, int size) {
  const int w = (size & 1) ? 64 : 32, h = (size & 2) ? 64 : 32;
  for (int t = 0; t < 64; ++t)
    for (int py = 0; py < 8; ++py)
      for (int px = 0; px < 8; ++px) {
        if (wide)
          test::setPixel256(m, tileBank * 0x4000, t, px, py, pattern256(t, px, py));
        else
          test::setPixel16(m, tileBank * 0x4000, t, px, py, pattern16(t, px, py));
      }
  for (int cy = 0; cy < h; ++cy)
    for (int cx = 0; cx < w; ++cx) test::putTextCell(m, mapBank, w, cx, cy, cellFor(cx, cy));
  m.setLayerAttribute(bg, LayerAttribute::TileBank, tileBank);
  m.setLayerAttribute(bg, LayerAttribute::MapBank, mapBank);
  m.setLayerAttribute(bg, LayerAttribute::ColourMode, wide ? 1 : 0);
  m.setLayerAttribute(bg, LayerAttribute::Size, size);
  enableLayer(m, bg);
}

// The colour a text layer shows at a screen point, or -1 when transparent.
long long expectedText(const MachineState& m, int bg, int x, int y, bool wide, int mosaicX = 0, int mosaicY = 0) {
  const BackgroundLayer& l = m.layer(bg);
  const int w = m.mapWidth(bg), h = m.mapHeight(bg);
  int mx = x + l.scrollX, my = y + l.scrollY;
  if (l.mosaic) {
    mx = posMod(mx, 1024);
    my = posMod(my, 1024);
    if (mosaicX > 1) mx -= mx % mosaicX;
    if (mosaicY > 1) my -= my % mosaicY;
  }
  const int cx = posMod(mx >> 3, w), cy = posMod(my >> 3, h);
  int px = posMod(mx, 8), py = posMod(my, 8);
  const std::uint16_t cell = cellFor(cx, cy);
  if (cell & 0x400) px = 7 - px;
  if (cell & 0x800) py = 7 - py;
  const int tile = cell & 0x3FF;
  const int v = wide ? pattern256(tile, px, py) : pattern16(tile, px, py);
  if (v == 0) return -1;
  return rgb(paletteColour(0, wide ? v : (cell >> 12) * 16 + v));
}

TEST(RenderText, SixteenColourMapsScrollAndWrapInEverySize) {
  for (int size = 0; size < 4; ++size) {
    auto m = makeMachine();
    buildTextScene(*m, 1, 2, 24, false, size);
    const std::uint32_t backdrop = rgb(paletteColour(0, 0));
    for (auto [sx, sy] : {std::pair{0, 0}, {-512, 0}, {137, -300}, {511, 511}, {-1, -1}, {-512, -512}}) {
      m->setLayerAttribute(1, LayerAttribute::OffsetX, sx);
      m->setLayerAttribute(1, LayerAttribute::OffsetY, sy);
      ASSERT_TRUE(renderFrame(*m, nullptr));
      expectPicture(*m, [&](int x, int y) {
        const long long c = expectedText(*m, 1, x, y, false);
        return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
      }, "size " + std::to_string(size) + " scroll " + std::to_string(sx) + "," + std::to_string(sy));
    }
  }
}

TEST(RenderText, TwoHundredFiftySixColourTilesAndMosaic) {
  auto m = makeMachine();
  buildTextScene(*m, 0, 1, 20, true, 3);
  m->setLayerAttribute(0, LayerAttribute::OffsetX, -77);
  m->setLayerAttribute(0, LayerAttribute::OffsetY, 45);
  const std::uint32_t backdrop = rgb(paletteColour(0, 0));
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    const long long c = expectedText(*m, 0, x, y, true);
    return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
  }, "256 colours");

  // Mosaic size 1 changes nothing; other sizes repeat the block's first pixel.
  m->setLayerAttribute(0, LayerAttribute::Mosaic, 1);
  m->setMosaic(MosaicAttribute::BackgroundX, 1);
  m->setMosaic(MosaicAttribute::BackgroundY, 1);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    const long long c = expectedText(*m, 0, x, y, true);
    return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
  }, "mosaic 1");
  m->setMosaic(MosaicAttribute::BackgroundX, 3);
  m->setMosaic(MosaicAttribute::BackgroundY, 5);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    const long long c = expectedText(*m, 0, x, y, true, 3, 5);
    return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
  }, "mosaic 3x5");

  // 16 colours with mosaic 2: pixels come in pairs.
  auto n = makeMachine();
  buildTextScene(*n, 2, 0, 30, false, 0);
  n->setLayerAttribute(2, LayerAttribute::Mosaic, 1);
  n->setMosaic(MosaicAttribute::BackgroundX, 2);
  ASSERT_TRUE(renderFrame(*n, nullptr));
  expectPicture(*n, [&](int x, int y) {
    const long long c = expectedText(*n, 2, x, y, false, 2, 0);
    return c < 0 ? rgb(paletteColour(0, 0)) : static_cast<std::uint32_t>(c);
  }, "mosaic 2 (16 colours)");
  for (int x = 0; x < 240; x += 2) ASSERT_EQ(test::pixelAt(*n, x, 7), test::pixelAt(*n, x + 1, 7)) << x;
}

TEST(RenderText, PrioritiesAndLayerOrder) {
  // Three layers of solid tiles in different colours: the front-most wins by
  // priority, then by lower layer number.
  auto m = makeMachine();
  for (int bg = 0; bg < 4; ++bg) {
    for (int i = 0; i < 32; ++i) m->vram()[bg * 0x4000 + 32 + i] = static_cast<std::uint8_t>((bg + 1) * 0x11);
    m->setLayerAttribute(bg, LayerAttribute::TileBank, bg);
    m->setLayerAttribute(bg, LayerAttribute::MapBank, 28 + bg);
    // Each layer covers a band of columns: bg 0 tiles 0..9, bg1 5..19, ...
    for (int cy = 0; cy < 32; ++cy)
      for (int cx = bg * 5; cx < bg * 5 + 15; ++cx) test::putTextCell(*m, 28 + bg, 32, cx, cy, 1);
    enableLayer(*m, bg);
  }
  const int prio[4] = {1, 1, 0, 3};
  for (int bg = 0; bg < 4; ++bg) m->setLayerAttribute(bg, LayerAttribute::Priority, prio[bg]);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int) {
    const int cx = x / 8;
    int best = -1;
    for (int bg = 3; bg >= 0; --bg) {
      if (cx < bg * 5 || cx >= bg * 5 + 15) continue;
      if (best < 0 || prio[bg] < prio[best] || (prio[bg] == prio[best] && bg < best)) best = bg;
    }
    return rgb(paletteColour(0, best < 0 ? 0 : best + 1));
  }, "priorities");
  // The identity line of the last line tells which layer drew each pixel.
  EXPECT_EQ(m->layerIds[0], 4);    // BG0
  EXPECT_EQ(m->layerIds[60], 4);   // BG0 over BG1 at equal priority
  EXPECT_EQ(m->layerIds[100], 2);  // BG2 (priority 0)
  EXPECT_EQ(m->layerIds[239], 1);  // BG3 alone
}

// Rotational layer scenes (mode 1, BG2; mode 2, BG3).
void buildRotScene(MachineState& m, int bg, int size) {
  const int w = 16 << size;
  for (int t = 0; t < 256; ++t)
    for (int py = 0; py < 8; ++py)
      for (int px = 0; px < 8; ++px) test::setPixel256(m, 0x8000, t, px, py, pattern256(t, px, py));
  for (int cy = 0; cy < w; ++cy)
    for (int cx = 0; cx < w; ++cx) m.vram()[2 * 2048 + cy * w + cx] = static_cast<std::uint8_t>((cx * 5 + cy * 3) & 255);
  m.setLayerAttribute(bg, LayerAttribute::TileBank, 2);
  m.setLayerAttribute(bg, LayerAttribute::MapBank, 2);
  m.setLayerAttribute(bg, LayerAttribute::Size, size);
  enableLayer(m, bg);
}

long long expectedRot(const MachineState& m, int bg, int x, int y) {
  const BackgroundLayer& l = m.layer(bg);
  const BgRotation& r = m.bgRotation(bg - 2);
  const int w = 16 << l.size, size = w * 8;
  const long long tx = static_cast<long long>(r.offsetX) + x * r.scaleX + y * r.shearX;
  const long long ty = static_cast<long long>(r.offsetY) + x * r.shearY + y * r.scaleY;
  long long px = tx >> 8, py = ty >> 8;
  if (l.tiled) {
    px = ((px % size) + size) % size;
    py = ((py % size) + size) % size;
  } else if (px < 0 || py < 0 || px >= size || py >= size) {
    return -1;
  }
  if (l.mosaic) {
    const int nx = m.mosaic(MosaicAttribute::BackgroundX), ny = m.mosaic(MosaicAttribute::BackgroundY);
    if (nx > 1) px -= px % nx;
    if (ny > 1) py -= py % ny;
  }
  const int tile = m.vram()[2 * 2048 + (py / 8) * w + px / 8];
  const int v = pattern256(tile, px % 8, py % 8);
  return v ? static_cast<long long>(rgb(paletteColour(0, v))) : -1LL;
}

TEST(RenderRotational, IdentityScaleRotationTilingAndMosaic) {
  auto m = makeMachine(1);
  buildRotScene(*m, 2, 0);  // 16x16 tiles = 128 pixels
  const std::uint32_t backdrop = rgb(paletteColour(0, 0));
  auto check = [&](const std::string& what) {
    ASSERT_TRUE(renderFrame(*m, nullptr));
    expectPicture(*m, [&](int x, int y) {
      const long long c = expectedRot(*m, 2, x, y);
      return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
    }, what);
  };
  check("identity");
  for (int y = 0; y < 160; y += 9) ASSERT_EQ(test::pixelAt(*m, 200, y), backdrop);

  m->setLayerAttribute(2, LayerAttribute::Tiled, 1);
  check("identity tiled");
  m->setLayerAttribute(2, LayerAttribute::Tiled, 0);
  m->setLayerAttribute(2, LayerAttribute::Size, 1);  // map of 32x32 (map bytes beyond the scene are 0)
  m->bgRotateAndScale(0, 200, 300, 64, 64, 120, 80, 37);
  check("rotated and scaled");
  m->setLayerAttribute(2, LayerAttribute::Tiled, 1);
  m->setBgRotationAttribute(0, BgRotationAttribute::OffsetX, -100000);
  m->setBgRotationAttribute(0, BgRotationAttribute::OffsetY, 77777);
  check("rotated, tiled, far offsets");
  m->setLayerAttribute(2, LayerAttribute::Mosaic, 1);
  m->setMosaic(MosaicAttribute::BackgroundX, 4);
  m->setMosaic(MosaicAttribute::BackgroundY, 3);
  check("mosaic");

  // Mode 2: BG3 uses the second rotation set and the largest map.
  auto n = makeMachine(2);
  buildRotScene(*n, 3, 3);
  n->bgRotateAndScale(1, -180, 256, 500, 400, 0, 0, 200);
  ASSERT_TRUE(renderFrame(*n, nullptr));
  expectPicture(*n, [&](int x, int y) {
    const long long c = expectedRot(*n, 3, x, y);
    return c < 0 ? backdrop : static_cast<std::uint32_t>(c);
  }, "mode 2 BG3");
}

TEST(RenderBitmap, ModesThreeFourFiveWithPagesAndScroll) {
  auto m = makeMachine(3);
  auto colourAt = [](int c, int r, int page) { return static_cast<std::uint16_t>((c * 3 + r * 7 + page * 1000) & 0x7FFF); };
  for (int r = 0; r < 160; ++r)
    for (int c = 0; c < 240; ++c) {
      const std::uint16_t v = colourAt(c, r, 0);
      m->vram()[(r * 240 + c) * 2] = static_cast<std::uint8_t>(v);
      m->vram()[(r * 240 + c) * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
    }
  const std::uint32_t backdrop = rgb(paletteColour(0, 0));
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int, int) { return backdrop; }, "mode 3 with BG2 off");

  enableLayer(*m, 2);
  m->setLayerAttribute(2, LayerAttribute::OffsetX, 10);
  m->setLayerAttribute(2, LayerAttribute::OffsetY, -5);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  expectPicture(*m, [&](int x, int y) {
    const int c = x - 10, r = y + 5;
    return (c < 0 || r >= 160) ? backdrop : rgb(colourAt(c, r, 0));
  }, "mode 3 scrolled");

  // Mode 4: palette indexes, index 0 drawn like any other, page by flag.
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 4);
  m->setLayerAttribute(2, LayerAttribute::OffsetX, 0);
  m->setLayerAttribute(2, LayerAttribute::OffsetY, 0);
  m->palette(0).setColour(0, 0x1234);
  for (int i = 0; i < 240 * 160; ++i) {
    m->vram()[i] = static_cast<std::uint8_t>(i % 251);
    m->vram()[0xA000 + i] = static_cast<std::uint8_t>((i * 7) % 256);
  }
  for (int flip = 0; flip < 2; ++flip) {
    m->setDisplayAttribute(DisplayAttribute::PageFlip, flip);
    ASSERT_TRUE(renderFrame(*m, nullptr));
    expectPicture(*m, [&](int x, int y) {
      const int i = y * 240 + x;
      const int index = flip ? (i * 7) % 256 : i % 251;
      return rgb(m->palette(0).colour(index));
    }, "mode 4 page " + std::to_string(flip));
  }

  // Mode 5: 160x120 of the page at the top left, backdrop elsewhere.
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 5);
  for (int flip = 0; flip < 2; ++flip) {
    for (int r = 0; r < 128; ++r)
      for (int c = 0; c < 160; ++c) {
        const std::uint16_t v = colourAt(c, r, flip + 1);
        std::uint8_t* p = m->vram() + (flip ? 0xA000 : 0) + (r * 160 + c) * 2;
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
      }
  }
  m->setLayerAttribute(2, LayerAttribute::OffsetX, -3);
  for (int flip = 0; flip < 2; ++flip) {
    m->setDisplayAttribute(DisplayAttribute::PageFlip, flip);
    ASSERT_TRUE(renderFrame(*m, nullptr));
    expectPicture(*m, [&](int x, int y) {
      if (x >= 157 || y >= 120) return rgb(0x1234);
      return rgb(colourAt(x + 3, y, flip + 1));
    }, "mode 5 page " + std::to_string(flip));
  }
}

TEST(RenderText, PaletteChangesShowInTheNextFrame) {
  auto m = makeMachine();
  ASSERT_TRUE(renderFrame(*m, nullptr));
  EXPECT_EQ(test::pixelAt(*m, 5, 5), rgb(paletteColour(0, 0)));
  m->setPaletteColour(0, 0, 0x7C1F);
  ASSERT_TRUE(renderFrame(*m, nullptr));
  EXPECT_EQ(test::pixelAt(*m, 5, 5), 0xF800F8u);
  std::uint8_t* pram = m->memory(kPram, 0).data();
  pram[1] = 0x03;  // through memory: 0x031F
  ASSERT_TRUE(renderFrame(*m, nullptr));
  EXPECT_EQ(test::pixelAt(*m, 5, 5), rgb(0x031F));
  pram[0] = 0x00;  // a later write through the same pointer: 0x0300
  ASSERT_TRUE(renderFrame(*m, nullptr));
  EXPECT_EQ(test::pixelAt(*m, 5, 5), rgb(0x0300));
}

TEST(RenderWholeMap, DrawsEveryCellOrOnlyTheWrittenOnes) {
  auto m = makeMachine();
  buildTextScene(*m, 0, 0, 10, false, 1);  // 64x32
  std::vector<std::uint32_t> out;
  ASSERT_TRUE(drawWholeMap(*m, 0, out, false));
  ASSERT_EQ(out.size(), 512u * 256u);
  const std::uint32_t* pal = m->palette(0).converted();
  for (int y = 0; y < 256; y += 3)
    for (int x = 0; x < 512; x += 5) {
      const std::uint16_t cell = cellFor(x / 8, y / 8);
      const int px = (cell & 0x400) ? 7 - x % 8 : x % 8, py = (cell & 0x800) ? 7 - y % 8 : y % 8;
      const int v = pattern16(cell & 0x3FF, px, py);
      ASSERT_EQ(out[y * 512 + x], v ? pal[(cell >> 12) * 16 + v] : pal[0]) << x << "," << y;
    }
  std::fill(out.begin(), out.end(), 0xDEAD);
  m->setMapCell(0, 40, 3, 0);
  ASSERT_TRUE(drawWholeMap(*m, 0, out, true));
  EXPECT_EQ(out[(3 * 8) * 512 + 40 * 8], pal[0]);  // tile 0's first pixel is transparent
  EXPECT_EQ(out[(3 * 8) * 512 + 40 * 8 + 1], pal[pattern16(0, 1, 0)]);
  EXPECT_EQ(out[0], 0xDEADu);  // unmarked cells are left alone
  EXPECT_EQ(m->layer(0).cellMarks[3 * 128 + 40], 0);
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 3);
  EXPECT_FALSE(drawWholeMap(*m, 0, out, false));
  EXPECT_FALSE(drawWholeMap(*m, 4, out, false));
}

}  // namespace
}  // namespace tarvolin::machine
