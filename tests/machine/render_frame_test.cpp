// The frame procedure: blanking, bitmap modes, callbacks, pause and resume.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "machine/renderer.h"
#include "scene.h"

namespace tarvolin::machine {
namespace {

using test::RecordingCallbacks;
using test::rgb;

std::vector<int> range(int from, int to) {
  std::vector<int> v(static_cast<std::size_t>(to - from));
  std::iota(v.begin(), v.end(), from);
  return v;
}

TEST(RenderFrame, BlankDisplayAndBitmapModesRunNoCallbacks) {
  auto m = std::make_unique<MachineState>();  // reset state: blanked
  test::fillPalettes(*m);
  test::enableLayer(*m, 0);
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  RecordingCallbacks cb;
  ASSERT_TRUE(renderFrame(*m, &cb));
  EXPECT_TRUE(cb.lines.empty());
  EXPECT_EQ(cb.frames, 0);
  test::expectPicture(*m, [](int, int) { return rgb(test::paletteColour(0, 0)); }, "blank");

  // Mode 3 with a visible sprite: the bitmap only, no callbacks.
  m->setDisplayAttribute(DisplayAttribute::BlankDisplay, 0);
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 3);
  test::enableLayer(*m, 2);
  for (int i = 0; i < 0x8000; ++i) m->vram()[0x10000 + i] = 0x11;
  m->setSpriteAttribute(0, SpriteAttribute::SdFold, 0);
  for (int mode = 3; mode <= 5; ++mode) {
    m->setDisplayAttribute(DisplayAttribute::VideoMode, mode);
    ASSERT_TRUE(renderFrame(*m, &cb));
    EXPECT_TRUE(cb.lines.empty());
    EXPECT_EQ(cb.frames, 0);
    EXPECT_EQ(test::pixelAt(*m, 2, 2), rgb(mode == 4 ? test::paletteColour(0, 0) : 0)) << mode;
  }
}

TEST(RenderFrame, TiledModesCallBackAfterEveryLineAndTheFrame) {
  auto m = test::makeMachine(1);
  RecordingCallbacks cb;
  ASSERT_TRUE(renderFrame(*m, &cb));
  EXPECT_EQ(cb.lines, range(0, 160));
  EXPECT_EQ(cb.frames, 1);
  EXPECT_FALSE(m->frameUnfinished);

  // A failing callback ends the frame with failure and no frame callback.
  RecordingCallbacks failing;
  failing.failAt = 30;
  EXPECT_FALSE(renderFrame(*m, &failing));
  EXPECT_EQ(failing.lines, range(0, 31));
  EXPECT_EQ(failing.frames, 0);
}

TEST(RenderFrame, PausedFrameResumesAtItsLine) {
  auto m = test::makeMachine();
  m->setPaletteColour(0, 0, 0x001F);
  ASSERT_TRUE(renderFrame(*m, nullptr));

  m->setPaletteColour(0, 0, 0x7C00);
  RecordingCallbacks cb;
  cb.pauseAt = 50;
  ASSERT_TRUE(renderFrame(*m, &cb));
  EXPECT_TRUE(m->frameUnfinished);
  EXPECT_EQ(m->resumeLine, 50);
  EXPECT_EQ(cb.lines, range(0, 51));
  EXPECT_EQ(cb.frames, 0);
  // Lines drawn so far over the previous frame's remaining lines.
  test::expectPicture(*m, [](int, int y) { return rgb(y <= 50 ? 0x7C00 : 0x001F); }, "paused");

  cb.lines.clear();
  ASSERT_TRUE(renderFrame(*m, &cb, true));
  EXPECT_EQ(cb.lines, range(50, 160));  // the paused line again, none before it
  EXPECT_EQ(cb.frames, 1);
  EXPECT_FALSE(m->frameUnfinished);
  test::expectPicture(*m, [](int, int) { return rgb(0x7C00); }, "resumed");

  // Resuming with nothing paused draws a whole frame.
  cb.lines.clear();
  ASSERT_TRUE(renderFrame(*m, &cb, true));
  EXPECT_EQ(cb.lines, range(0, 160));
}

// A per-line callback that moves a layer, as games do for wave effects.
struct ScrollingCallbacks : FrameCallbacks {
  MachineState* m;
  CallbackResult lineDrawn(int line) override {
    m->setLayerAttribute(0, LayerAttribute::OffsetX, (line + 1) % 8);
    return CallbackResult::Continue;
  }
  CallbackResult frameDrawn() override {
    m->setLayerAttribute(0, LayerAttribute::OffsetX, 0);
    return CallbackResult::Continue;
  }
};

TEST(RenderFrame, ChangesMadeInTheLineCallbackShowOnTheNextLine) {
  auto m = test::makeMachine();
  // Tile 1: column 0 colour 1, the rest transparent; every cell uses it.
  for (int row = 0; row < 8; ++row) m->vram()[32 + row * 4] = 0x10;
  for (int cy = 0; cy < 32; ++cy)
    for (int cx = 0; cx < 32; ++cx) test::putTextCell(*m, 31, 32, cx, cy, 1);
  m->setLayerAttribute(0, LayerAttribute::MapBank, 31);
  test::enableLayer(*m, 0);
  ScrollingCallbacks cb;
  cb.m = m.get();
  ASSERT_TRUE(renderFrame(*m, &cb));
  const std::uint32_t c = rgb(test::paletteColour(0, 1)), back = rgb(test::paletteColour(0, 0));
  test::expectPicture(*m, [&](int x, int y) { return (x + y % 8) % 8 == 0 ? c : back; }, "per-line scroll");
}

}  // namespace
}  // namespace tarvolin::machine

namespace tarvolin::machine {
namespace {

// Moves sprite 0 one column right per line, then stops it and changes the
// tile layout half way down: the renderer's cached sprite geometry must follow.
struct MovingSprite : FrameCallbacks {
  MachineState* m;
  CallbackResult lineDrawn(int line) override {
    if (line < 79)
      m->setSpriteAttribute(0, SpriteAttribute::Xpos, line + 1);
    else if (line == 79)
      m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 0);
    return CallbackResult::Continue;
  }
  CallbackResult frameDrawn() override { return CallbackResult::Continue; }
};

TEST(RenderFrame, SpritesChangedInTheLineCallbackMoveOnTheNextLine) {
  auto m = test::makeMachine();
  m->setDisplayAttribute(DisplayAttribute::EnableSprite, 1);
  m->setDisplayAttribute(DisplayAttribute::SpriteLayout, 1);
  // 8x160 sprite area: tile 0 column 0 in colour 1; in the 1D layout rows of
  // tiles follow each other, in 2D they are 32 tiles apart.
  for (int t = 0; t < 1024; ++t)
    for (int row = 0; row < 8; ++row) m->vram()[0x10000 + t * 32 + row * 4] = (t % 32 == 0) ? 0x20 : 0x10;
  m->setSpriteAttribute(0, SpriteAttribute::SdFold, 0);
  m->setSpriteAttribute(0, SpriteAttribute::SizeTop, 2);
  m->setSpriteAttribute(0, SpriteAttribute::SizeBottom, 3);  // 32x64
  m->setSpriteAttribute(0, SpriteAttribute::Ypos, 40);
  MovingSprite cb;
  cb.m = m.get();
  ASSERT_TRUE(renderFrame(*m, &cb));
  const std::uint32_t one = rgb(test::paletteColour(1, 1)), two = rgb(test::paletteColour(1, 2));
  for (int y = 40; y < 104; ++y) {
    const int x = std::min(y, 79);
    // Column 0 of tile row (y - 40) / 8: tile 4 x row in 1D (never a multiple
    // of 32 here), tile 32 x row in 2D (always).
    EXPECT_EQ(test::pixelAt(*m, x, y), y < 48 || y >= 80 ? two : one) << y;
    EXPECT_EQ(test::pixelAt(*m, x - 1, y), rgb(test::paletteColour(0, 0))) << y;  // left of the sprite
    EXPECT_EQ(test::pixelAt(*m, x + 1, y), rgb(test::paletteColour(0, 0))) << y;  // texel column 1 is clear
  }
}

}  // namespace
}  // namespace tarvolin::machine

namespace tarvolin::machine {
namespace {

// Blanks the display at one line and turns a bitmap mode on at another.
struct BlankingCallbacks : FrameCallbacks {
  MachineState* m;
  int blankAt = -1, modeAt = -1;
  std::vector<int> lines;
  CallbackResult lineDrawn(int line) override {
    lines.push_back(line);
    if (line == blankAt) m->setDisplayAttribute(DisplayAttribute::BlankDisplay, 1);
    if (line == modeAt) m->setDisplayAttribute(DisplayAttribute::VideoMode, 3);
    return CallbackResult::Continue;
  }
  CallbackResult frameDrawn() override { return CallbackResult::Continue; }
};

// As on the hardware, a blank or a video mode set by the per-line callback
// acts from the next line; the lines drawn before keep their picture, and
// the callback is still called for every line of the frame.
TEST(RenderFrame, BlankOrModeSetInTheLineCallbackActsFromTheNextLine) {
  for (const bool blank : {true, false}) {
    auto m = test::makeMachine();
    for (int row = 0; row < 8; ++row)
      for (int b = 0; b < 4; ++b) m->vram()[32 + row * 4 + b] = 0x11;  // tile 1: colour 1
    for (int cy = 0; cy < 32; ++cy)
      for (int cx = 0; cx < 32; ++cx) test::putTextCell(*m, 31, 32, cx, cy, 1);
    m->setLayerAttribute(0, LayerAttribute::MapBank, 31);
    test::enableLayer(*m, 0);
    BlankingCallbacks cb;
    cb.m = m.get();
    (blank ? cb.blankAt : cb.modeAt) = 49;
    ASSERT_TRUE(renderFrame(*m, &cb));
    const std::uint32_t layer = rgb(test::paletteColour(0, 1)), back = rgb(test::paletteColour(0, 0));
    ASSERT_NE(layer, back);
    test::expectPicture(*m, [&](int, int y) { return y <= 49 ? layer : back; }, blank ? "blank" : "mode");
    EXPECT_EQ(cb.lines, range(0, 160));
  }
}

}  // namespace
}  // namespace tarvolin::machine
