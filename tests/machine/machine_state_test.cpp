#include "machine/machine_state.h"
#include "machine/tile_data.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tarvolin::machine {
namespace {

struct RecordingObserver : MachineObserver {
  std::vector<ChangeKind> seen;
  void machineChanged(ChangeKind kind) override { seen.push_back(kind); }
  int count(ChangeKind k) const { return static_cast<int>(std::count(seen.begin(), seen.end(), k)); }
};

TEST(MachineStateReset, DisplayResetBlanksAndClearsDisplayButKeepsWorkMemory) {
  auto m = std::make_unique<MachineState>();
  EXPECT_EQ(m->displayAttribute(DisplayAttribute::BlankDisplay), 1);
  for (int i = 0; i < 128; ++i) EXPECT_FALSE(m->sprite(i).shown()) << i;

  m->setDisplayAttribute(DisplayAttribute::VideoMode, 2);
  m->setDisplayAttribute(DisplayAttribute::EnableBG2, 1);
  m->setDisplayAttribute(DisplayAttribute::BlankDisplay, 0);
  m->setBlendMode(3);
  m->setWindowRegion(1, 1, 2, 3, 4);
  m->setWindowAttribute(2, WindowAttribute::WindowBlends, 1);
  m->setBgRotationAttribute(1, BgRotationAttribute::OffsetX, 999);
  m->setMosaic(MosaicAttribute::SpriteY, 7);
  m->setTileProperty(5, 9);
  m->buttonsNow[3] = 1;
  m->sram()[100] = 7;
  m->eram()[100] = 8;
  m->vram()[100] = 9;
  m->setSpriteAttribute(4, SpriteAttribute::SdFold, 0);

  m->displayReset();
  EXPECT_EQ(m->videoMode(), 0);
  EXPECT_EQ(m->displayAttribute(DisplayAttribute::BlankDisplay), 1);
  EXPECT_EQ(m->displayAttribute(DisplayAttribute::EnableBG2), 0);
  EXPECT_EQ(m->layer(2).kind, LayerKind::Text);
  EXPECT_EQ(m->blendMode(), 0);
  EXPECT_EQ(m->windowRegion(1).right, 0);
  EXPECT_EQ(m->windowContent(2), 0);
  EXPECT_EQ(m->bgRotation(1).offsetX, 0);
  EXPECT_EQ(m->bgRotation(1).scaleX, 256);
  EXPECT_EQ(m->mosaicRegister(), 0);
  EXPECT_EQ(m->tileProperty(5), 0);
  EXPECT_EQ(m->buttonsNow[3], 0);
  EXPECT_EQ(m->sram()[100], 0);
  // Work memory, video memory and sprites survive a display reset.
  EXPECT_EQ(m->eram()[100], 8);
  EXPECT_EQ(m->vram()[100], 9);
  EXPECT_TRUE(m->sprite(4).shown());

  RecordingObserver obs;
  m->addObserver(&obs);
  m->fullReset();
  EXPECT_EQ(m->eram()[100], 0);
  EXPECT_EQ(m->vram()[100], 0);
  EXPECT_FALSE(m->sprite(4).shown());
  for (ChangeKind k : {ChangeKind::Display, ChangeKind::Tiles, ChangeKind::TileMap, ChangeKind::Palette,
                       ChangeKind::Sprites})
    EXPECT_GE(obs.count(k), 1);
  m->removeObserver(&obs);
  obs.seen.clear();
  m->setBlendMode(1);
  EXPECT_TRUE(obs.seen.empty());
}

TEST(MachineStateSetters, DisplayBlendMosaicAndWindowValuesAreCheckedAndOnlyGoodOnesApplied) {
  auto m = std::make_unique<MachineState>();
  RecordingObserver obs;
  m->addObserver(&obs);

  EXPECT_FALSE(m->setDisplayAttribute(DisplayAttribute::VideoMode, 6));
  EXPECT_FALSE(m->setDisplayAttribute(DisplayAttribute::VideoMode, -1));
  EXPECT_FALSE(m->setDisplayAttribute(DisplayAttribute::EnableBG0, 2));
  EXPECT_TRUE(obs.seen.empty());
  EXPECT_TRUE(m->setDisplayAttribute(DisplayAttribute::VideoMode, 1));
  EXPECT_EQ(m->layer(0).kind, LayerKind::Text);
  EXPECT_EQ(m->layer(2).kind, LayerKind::Rotational);
  EXPECT_EQ(m->layer(3).kind, LayerKind::Unavailable);
  EXPECT_EQ(obs.count(ChangeKind::Display), 1);

  EXPECT_TRUE(m->setBlendMode(2));
  EXPECT_FALSE(m->setBlendMode(-1));
  EXPECT_FALSE(m->setBlendMode(4));
  EXPECT_EQ(m->blendMode(), 2);

  EXPECT_TRUE(m->setBlendAttribute(4, 1));   // SpriteSource
  EXPECT_TRUE(m->setBlendAttribute(11, 1));  // BackdropTarget
  EXPECT_TRUE(m->setBlendAttribute(6, 1));   // BG0Target
  EXPECT_TRUE(m->setBlendAttribute(6, 0));
  EXPECT_FALSE(m->setBlendAttribute(12, 1));
  EXPECT_FALSE(m->setBlendAttribute(0, 2));
  EXPECT_EQ(m->blendSelect(), 0x10 | 0x2000);

  EXPECT_TRUE(m->setAlphaLevels(31, 0));
  EXPECT_FALSE(m->setAlphaLevels(32, 0));
  EXPECT_FALSE(m->setAlphaLevels(0, -1));
  EXPECT_EQ(m->alphaSource(), 31);
  EXPECT_FALSE(m->setTintLevel(32));

  EXPECT_TRUE(m->setMosaic(MosaicAttribute::BackgroundY, 15));
  EXPECT_TRUE(m->setMosaic(MosaicAttribute::SpriteX, 3));
  EXPECT_FALSE(m->setMosaic(MosaicAttribute::SpriteY, 16));
  EXPECT_EQ(m->mosaicRegister(), 0x03F0);
  EXPECT_EQ(m->mosaic(MosaicAttribute::BackgroundY), 15);

  // A negative coordinate leaves that edge; 256 fails and changes nothing.
  EXPECT_TRUE(m->setWindowRegion(0, 5, 6, 7, 8));
  EXPECT_TRUE(m->setWindowRegion(0, -1, 10, -1, 50));
  EXPECT_EQ(m->windowRegion(0).left, 5);
  EXPECT_EQ(m->windowRegion(0).top, 10);
  EXPECT_EQ(m->windowRegion(0).right, 7);
  EXPECT_EQ(m->windowRegion(0).bottom, 50);
  EXPECT_FALSE(m->setWindowRegion(0, 1, 1, 256, 1));
  EXPECT_EQ(m->windowRegion(0).left, 5);
  EXPECT_FALSE(m->setWindowRegion(2, 1, 1, 1, 1));

  EXPECT_TRUE(m->setWindowAttribute(3, WindowAttribute::WindowSprites, 1));
  EXPECT_FALSE(m->setWindowAttribute(4, WindowAttribute::WindowSprites, 1));
  EXPECT_FALSE(m->setWindowAttribute(0, WindowAttribute::WindowBG0, 2));
  EXPECT_EQ(m->windowContent(3), 0x10);
  EXPECT_EQ(m->windowAttribute(3, WindowAttribute::WindowSprites), 1);
  m->removeObserver(&obs);
}

TEST(MachineStateSetters, BackgroundRotation) {
  auto m = std::make_unique<MachineState>();
  EXPECT_FALSE(m->setBgRotationAttribute(2, BgRotationAttribute::ScaleX, 1));
  EXPECT_FALSE(m->setBgRotationAttribute(0, BgRotationAttribute::ShearX, 32768));
  EXPECT_TRUE(m->setBgRotationAttribute(0, BgRotationAttribute::ShearX, -32768));
  EXPECT_TRUE(m->setBgRotationAttribute(0, BgRotationAttribute::OffsetY, 1 << 30));
  EXPECT_EQ(m->bgRotation(0).shearX, -32768);
  EXPECT_EQ(m->bgRotation(0).offsetY, 1 << 30);

  // No rotation: map point (10, 20) at screen point (3, 4), scale 1.
  EXPECT_TRUE(m->bgRotateAndScale(1, 256, 256, 10, 20, 3, 4, 0));
  const BgRotation& r = m->bgRotation(1);
  EXPECT_EQ(r.scaleX, 256);
  EXPECT_EQ(r.scaleY, 256);
  EXPECT_EQ(r.shearX, 0);
  EXPECT_EQ(r.shearY, 0);
  EXPECT_EQ(r.offsetX, 10 * 256 - 3 * 256);
  EXPECT_EQ(r.offsetY, 20 * 256 - 4 * 256);
  // A quarter turn: the texture point of the screen point is the map point.
  EXPECT_TRUE(m->bgRotateAndScale(0, 256, 256, 50, 60, 100, 80, 64));
  const BgRotation& q = m->bgRotation(0);
  EXPECT_EQ(q.scaleX, 0);
  EXPECT_EQ(q.scaleY, 0);
  EXPECT_EQ(q.shearX, -256);
  EXPECT_EQ(q.shearY, 256);
  EXPECT_EQ(q.offsetX + 100 * q.scaleX + 80 * q.shearX, 50 * 256);
  EXPECT_EQ(q.offsetY + 100 * q.shearY + 80 * q.scaleY, 60 * 256);
  EXPECT_FALSE(m->bgRotateAndScale(0, 40000, 256, 0, 0, 0, 0, 0));
  EXPECT_FALSE(m->bgRotateAndScale(2, 256, 256, 0, 0, 0, 0, 0));
}

TEST(MachineStateSetters, SpriteAttributesShareTheRotationField) {
  auto m = std::make_unique<MachineState>();
  int v = 0;
  EXPECT_TRUE(m->setSpriteAttribute(0, SpriteAttribute::Xpos, -1));
  m->spriteAttribute(0, SpriteAttribute::Xpos, v);
  EXPECT_EQ(v, 511);
  EXPECT_TRUE(m->setSpriteAttribute(0, SpriteAttribute::Xpos, 511));
  m->spriteAttribute(0, SpriteAttribute::Xpos, v);
  EXPECT_EQ(v, 511);
  EXPECT_TRUE(m->setSpriteAttribute(0, SpriteAttribute::Ypos, 256));
  EXPECT_EQ(m->sprite(0).y, 0);

  EXPECT_TRUE(m->setSpriteAttribute(1, SpriteAttribute::RotationIndex, 8));
  EXPECT_TRUE(m->sprite(1).flipH());
  m->spriteAttribute(1, SpriteAttribute::FlipHorizontal, v);
  EXPECT_EQ(v, 1);
  EXPECT_TRUE(m->setSpriteAttribute(2, SpriteAttribute::RotScale, 1));
  EXPECT_TRUE(m->setSpriteAttribute(2, SpriteAttribute::RotationIndex, 3));
  EXPECT_TRUE(m->setSpriteAttribute(2, SpriteAttribute::FlipVertical, 1));
  m->spriteAttribute(2, SpriteAttribute::RotationIndex, v);
  EXPECT_EQ(v, 19);
  EXPECT_TRUE(m->setSpriteAttribute(2, SpriteAttribute::FlipVertical, 0));
  EXPECT_EQ(m->sprite(2).rotation, 3);

  // Hidden until double size is off or rotation is on.
  EXPECT_FALSE(m->sprite(3).shown());
  m->setSpriteAttribute(3, SpriteAttribute::RotScale, 1);
  EXPECT_TRUE(m->sprite(3).shown());

  struct Bad { SpriteAttribute a; int v; };
  for (Bad b : {Bad{SpriteAttribute::RotScale, 2}, Bad{SpriteAttribute::DisplayMode, 3},
                Bad{SpriteAttribute::SizeTop, 3}, Bad{SpriteAttribute::SizeBottom, 4},
                Bad{SpriteAttribute::RotationIndex, 32}, Bad{SpriteAttribute::PaletteIndex, 16},
                Bad{SpriteAttribute::RenderLayer, -1}, Bad{SpriteAttribute::TileIndex, 1024},
                Bad{SpriteAttribute::FlipHorizontal, 2}, Bad{SpriteAttribute::ColourMode, 2}}) {
    int before = 0, after = 0;
    m->spriteAttribute(5, b.a, before);
    EXPECT_FALSE(m->setSpriteAttribute(5, b.a, b.v)) << static_cast<int>(b.a);
    m->spriteAttribute(5, b.a, after);
    EXPECT_EQ(before, after);
  }
  EXPECT_FALSE(m->setSpriteAttribute(128, SpriteAttribute::Xpos, 0));
  EXPECT_FALSE(m->setSpriteAttribute(-1, SpriteAttribute::Xpos, 0));

  // Size table.
  const int sizes[3][4][2] = {{{8, 8}, {16, 16}, {32, 32}, {64, 64}},
                              {{16, 8}, {32, 8}, {32, 16}, {64, 32}},
                              {{8, 16}, {8, 32}, {16, 32}, {32, 64}}};
  for (int shape = 0; shape < 3; ++shape)
    for (int size = 0; size < 4; ++size) {
      m->setSpriteAttribute(6, SpriteAttribute::SizeTop, shape);
      m->setSpriteAttribute(6, SpriteAttribute::SizeBottom, size);
      EXPECT_EQ(m->sprite(6).width(), sizes[shape][size][0]);
      EXPECT_EQ(m->sprite(6).height(), sizes[shape][size][1]);
    }
}

TEST(MachineStateSetters, RotationBanks) {
  auto m = std::make_unique<MachineState>();
  EXPECT_TRUE(m->rotateAndScale(0, 0, 256));
  EXPECT_FLOAT_EQ(m->rotationBank(0).xscale, 1);
  EXPECT_FLOAT_EQ(m->rotationBank(0).yscale, 1);
  EXPECT_FLOAT_EQ(m->rotationBank(0).xshear, 0);
  EXPECT_FLOAT_EQ(m->rotationBank(0).yshear, 0);
  EXPECT_FALSE(m->rotateAndScale(0, 0, 0));
  EXPECT_FALSE(m->rotateAndScale(0, 0, 65536));  // low 16 bits are zero
  EXPECT_FALSE(m->rotateAndScale(32, 0, 256));
  EXPECT_TRUE(m->rotateAndScale(1, 64, 512));  // quarter turn, scale 2
  EXPECT_NEAR(m->rotationBank(1).xscale, 0, 1e-5);
  EXPECT_NEAR(m->rotationBank(1).xshear, -2, 1e-5);
  EXPECT_NEAR(m->rotationBank(1).yshear, 2, 1e-5);

  EXPECT_TRUE(m->setRotationValue(2, RotationAttribute::Yshear, 0x1FF80));  // low 16 bits: -128
  EXPECT_FLOAT_EQ(m->rotationBank(2).yshear, -0.5f);
  EXPECT_EQ(m->rotationValue(2, RotationAttribute::Yshear), -128);
  EXPECT_TRUE(m->setRotationValue(2, RotationAttribute::Xscale, 384));
  EXPECT_FLOAT_EQ(m->rotationBank(2).xscale, 1.5f);
  EXPECT_TRUE(m->rotationBank(2).changed);
  EXPECT_FALSE(m->setRotationValue(-1, RotationAttribute::Xscale, 1));
}

TEST(MachineStateSetters, LayerSettingsReportRealChangesOnly) {
  auto m = std::make_unique<MachineState>();
  RecordingObserver obs;
  m->addObserver(&obs);
  struct Range { LayerAttribute a; int lo, hi; };
  for (Range r : {Range{LayerAttribute::ColourMode, 0, 1}, Range{LayerAttribute::Priority, 0, 3},
                  Range{LayerAttribute::TileBank, 0, 3}, Range{LayerAttribute::MapBank, 0, 31},
                  Range{LayerAttribute::OffsetX, -512, 511}, Range{LayerAttribute::OffsetY, -512, 511},
                  Range{LayerAttribute::Size, 0, 3}, Range{LayerAttribute::Mosaic, 0, 1},
                  Range{LayerAttribute::Tiled, 0, 1}}) {
    EXPECT_FALSE(m->setLayerAttribute(1, r.a, r.lo - 1));
    EXPECT_FALSE(m->setLayerAttribute(1, r.a, r.hi + 1));
    EXPECT_TRUE(m->setLayerAttribute(1, r.a, r.hi));
    EXPECT_EQ(m->layerAttribute(1, r.a), r.hi);
  }
  obs.seen.clear();
  EXPECT_TRUE(m->setLayerAttribute(1, LayerAttribute::Priority, 3));
  EXPECT_FALSE(m->layer(1).changed);
  EXPECT_TRUE(obs.seen.empty());
  EXPECT_TRUE(m->setLayerAttribute(1, LayerAttribute::Priority, 2));
  EXPECT_TRUE(m->layer(1).changed);
  EXPECT_EQ(obs.count(ChangeKind::TileMap), 1);
  EXPECT_FALSE(m->setLayerAttribute(4, LayerAttribute::Priority, 0));
  m->removeObserver(&obs);
}

TEST(MachineStateMaps, CellsFollowTheBlockLayoutAndAreMarked) {
  auto m = std::make_unique<MachineState>();
  m->setLayerAttribute(0, LayerAttribute::Size, 3);  // 64x64
  m->setLayerAttribute(0, LayerAttribute::MapBank, 4);
  EXPECT_EQ(m->mapWidth(0), 64);
  EXPECT_EQ(m->mapHeight(0), 64);
  EXPECT_TRUE(m->setMapCell(0, 33, 34, 0xBEEF));
  // Block 3 (x >= 32 and y >= 32), row 2, column 1.
  const std::size_t off = 4 * 2048 + 3 * 2048 + (2 * 32 + 1) * 2;
  EXPECT_EQ(m->vram()[off], 0xEF);
  EXPECT_EQ(m->vram()[off + 1], 0xBE);
  EXPECT_EQ(m->layer(0).cellMarks[34 * 128 + 33], 1);
  std::uint16_t cell = 0;
  EXPECT_TRUE(m->mapCell(0, 33, 34, cell));
  EXPECT_EQ(cell, 0xBEEF);
  EXPECT_FALSE(m->setMapCell(0, 64, 0, 1));
  EXPECT_FALSE(m->setMapCell(0, 0, -1, 1));
  EXPECT_FALSE(m->mapCell(0, 0, 64, cell));

  m->setLayerAttribute(1, LayerAttribute::Size, 2);  // 32x64: y >= 32 in block 1
  EXPECT_TRUE(m->setMapCell(1, 5, 40, 0x1234));
  EXPECT_EQ(m->vram()[2048 + (8 * 32 + 5) * 2], 0x34);
  EXPECT_FALSE(m->setMapCell(1, 32, 0, 1));

  // Rotational maps: a byte a cell, row by row.
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 2);
  m->setLayerAttribute(2, LayerAttribute::Size, 1);  // 32x32
  m->setLayerAttribute(2, LayerAttribute::MapBank, 1);
  EXPECT_TRUE(m->setMapCell(2, 3, 2, 0x1FF));
  EXPECT_EQ(m->vram()[2048 + 2 * 32 + 3], 0xFF);
  EXPECT_EQ(m->vram()[2048 + 2 * 32 + 4], 0);

  // A map read from an outside buffer; a short buffer is neither read nor
  // written past its end.
  std::vector<std::uint8_t> buffer(100, 0);
  m->layer(3).mapOverride = buffer.data();
  m->layer(3).mapOverrideSize = buffer.size();
  EXPECT_TRUE(m->setMapCell(3, 10, 1, 7));  // rotational 16x16
  EXPECT_EQ(buffer[26], 7);
  EXPECT_TRUE(m->setMapCell(3, 10, 10, 7));  // beyond the buffer: ignored
  EXPECT_TRUE(m->mapCell(3, 10, 10, cell));
  EXPECT_EQ(cell, 0);
}

TEST(MachineStateMemory, AddressesResolveByKindAndStayInside) {
  auto m = std::make_unique<MachineState>();
  // PRAM 0x200 is the first sprite colour; writing through it reaches the
  // converted palette.
  auto pram = m->memory(kPram, 0x200);
  ASSERT_EQ(pram.size(), 512u);
  pram[0] = 0x1F;
  pram[1] = 0x00;
  EXPECT_EQ(m->palette(1).colour(0), 0x1F);
  EXPECT_EQ(m->palette(1).converted()[0], convertColour(0x1F));
  EXPECT_EQ(m->memory(kPram, 0x1FE).size(), 2u);
  EXPECT_EQ(MachineState::memorySize(kPram), 1023u);

  auto spr = m->memory(kVram, 0x10004);
  spr[0] = 5;
  EXPECT_EQ(m->vram()[0x10004], 5);
  EXPECT_EQ(m->memory(kVram, 0x18004).data(), spr.data());  // low 15 bits in the sprite area
  EXPECT_EQ(m->memory(kVram, 0x2FFFF).data(), m->vram() + 0xFFFF);  // bit 16 clear
  EXPECT_LE(m->memory(kVram, 0xFFFFFFFFu).data() + m->memory(kVram, 0xFFFFFFFFu).size(), m->vram() + kVramSize);
  EXPECT_EQ(m->memory(kVram, 0x20010).data(), m->vram() + 0x10);

  EXPECT_EQ(m->memory(kEram, kEramSize - 1).size(), 1u);
  EXPECT_TRUE(m->memory(kEram, kEramSize).empty());
  EXPECT_TRUE(m->memory(kIram, 4096).empty());
  EXPECT_TRUE(m->memory(kSram, 0x10000).empty());
  EXPECT_TRUE(m->memory(5, 0).empty());
  EXPECT_TRUE(m->memory(-1, 0).empty());

  RecordingObserver obs;
  m->addObserver(&obs);
  m->memory(kVram, 0, true);
  m->memory(kPram, 0, true);
  m->memory(kEram, 0, false);
  EXPECT_EQ(obs.count(ChangeKind::Tiles), 1);
  EXPECT_EQ(obs.count(ChangeKind::Palette), 1);
  EXPECT_EQ(obs.count(ChangeKind::Memory), 0);
  m->removeObserver(&obs);

  EXPECT_EQ(m->tileArea(1).data(), m->vram() + 0x10000);
  EXPECT_EQ(m->tileArea(1).size(), 0x8000u);
  EXPECT_EQ(m->tileArea(0).size(), 0x10000u);
}

TEST(MachineStateMemory, BackPageIsTheHiddenPage) {
  auto m = std::make_unique<MachineState>();
  for (int mode = 0; mode <= 2; ++mode) {
    m->setDisplayAttribute(DisplayAttribute::VideoMode, mode);
    EXPECT_EQ(m->backPage().pixels, nullptr);
  }
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 3);
  EXPECT_EQ(m->backPage().pixels, m->vram());
  EXPECT_EQ(m->backPage().bytesPerPixel, 2);
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 4);
  EXPECT_EQ(m->backPage().pixels, m->vram() + 0xA000);
  EXPECT_EQ(m->backPage().bytesPerPixel, 1);
  m->setDisplayAttribute(DisplayAttribute::PageFlip, 1);
  EXPECT_EQ(m->backPage().pixels, m->vram());
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 5);
  EXPECT_EQ(m->backPage().pixels, m->vram());
  EXPECT_EQ(m->backPage().width, 160);
  EXPECT_EQ(m->backPage().height, 120);
}

TEST(MachineStateTables, MosaicTableNamesAndTileProperties) {
  auto m = std::make_unique<MachineState>();
  for (int i = 0; i < 1024; i += 7) {
    EXPECT_EQ(m->mosaicLookup(0, i), i);
    EXPECT_EQ(m->mosaicLookup(1, i), i);
    EXPECT_EQ(m->mosaicLookup(5, i), i - i % 5);
  }
  EXPECT_EQ(m->mosaicLookup(15, 1024 + 31), 30);  // coordinates wrap at 1024

  EXPECT_EQ(displayModeName(4), "VIDMODE_BITMAP_240x160x8BIT");
  EXPECT_EQ(displayModeName(6), "Unknown display mode");
  EXPECT_EQ(priorityName(-1), "Unknown render order");
  EXPECT_EQ(layerKindName(3), "Unknown screenmap mode type");
  EXPECT_EQ(colourModeName(2), "Undefined colour mode");
  EXPECT_EQ(spriteDisplayModeName(3), "Undefined display mode");
  EXPECT_EQ(spriteSizeName(1, 2), "32x16");
  EXPECT_EQ(spriteSizeName(3, 0), "Undefined sprite size");

  EXPECT_TRUE(m->setTileProperty(1023, 255));
  EXPECT_EQ(m->tileProperty(1023), 255);
  EXPECT_FALSE(m->setTileProperty(1024, 1));
  EXPECT_FALSE(m->setTileProperty(0, 256));
  EXPECT_FALSE(m->setTileProperty(-1, 1));
}

}  // namespace
}  // namespace tarvolin::machine

namespace tarvolin::machine {
namespace {

TEST(TileData, PixelsFollowTheNibbleOrderAndStayInTheirArea) {
  auto m = std::make_unique<MachineState>();
  EXPECT_EQ(tileCount(0, 0), 2048);
  EXPECT_EQ(tileCount(0, 1), 1024);
  EXPECT_EQ(tileCount(1, 0), 1024);
  EXPECT_EQ(tileCount(1, 1), 512);
  EXPECT_EQ(tileCount(2, 0), 0);

  ASSERT_TRUE(setTilePixel(*m, 0, 0, 3, 2, 1, 0x1A));  // keeps the low 4 bits
  ASSERT_TRUE(setTilePixel(*m, 0, 0, 3, 3, 1, 0x5));
  EXPECT_EQ(m->vram()[3 * 32 + 4 + 1], 0xA5);  // even column in the high nibble
  int v = -1;
  ASSERT_TRUE(tilePixel(*m, 0, 0, 3, 2, 1, v));
  EXPECT_EQ(v, 0xA);
  ASSERT_TRUE(setTilePixel(*m, 1, 1, 511, 7, 7, 200));
  EXPECT_EQ(m->vram()[0x10000 + 511 * 64 + 63], 200);

  EXPECT_FALSE(setTilePixel(*m, 0, 0, 3, 2, 8, 1));  // y 8
  EXPECT_FALSE(setTilePixel(*m, 1, 1, 512, 0, 0, 1));
  EXPECT_FALSE(setTilePixel(*m, 0, 0, -1, 0, 0, 1));
  EXPECT_FALSE(setTilePixel(*m, 0, 2, 0, 0, 0, 1));
  EXPECT_FALSE(setTilePixel(*m, 0, 1, 0, 0, 0, 256));
  EXPECT_FALSE(tilePixel(*m, 1, 0, 0, -1, 0, v));
}

}  // namespace
}  // namespace tarvolin::machine
