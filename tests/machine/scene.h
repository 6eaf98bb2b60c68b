// Helpers for building machine scenes directly in memory and reading the
// rendered picture back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "machine/machine_state.h"
#include "machine/renderer.h"

namespace tarvolin::machine::test {

// 24-bit colour as 0xRRGGBB, computed from a 15-bit colour the way the
// screen shows it (each channel shifted left by 3).
inline std::uint32_t rgb(std::uint16_t c) {
  return ((c & 31u) << 3) << 16 | ((c >> 5 & 31u) << 3) << 8 | ((c >> 10 & 31u) << 3);
}

inline std::uint32_t pixelAt(const MachineState& m, int x, int y) {
  const std::uint8_t* p = m.picture.data() + (static_cast<std::size_t>(y) * kScreenWidth + x) * 3;
  return static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
}

// A distinct 15-bit colour for each palette index, so a wrong index shows.
inline std::uint16_t paletteColour(int bank, int i) {
  return static_cast<std::uint16_t>(((i * 7 + bank * 5) & 31) | ((i * 3 + 11) & 31) << 5 |
                                    ((i / 8 + bank * 9 + 1) & 31) << 10);
}

inline void fillPalettes(MachineState& m) {
  for (int b = 0; b < 2; ++b)
    for (int i = 0; i < 256; ++i) m.palette(b).setColour(i, paletteColour(b, i));
}

// A pixel of a 16-colour tile in a tile area starting at `base` (VRAM offset).
inline void setPixel16(MachineState& m, std::uint32_t base, int tile, int px, int py, int value) {
  std::uint8_t& b = m.vram()[base + tile * 32 + py * 4 + px / 2];
  b = (px & 1) ? static_cast<std::uint8_t>((b & 0xF0) | value) : static_cast<std::uint8_t>((b & 0x0F) | value << 4);
}

inline void setPixel256(MachineState& m, std::uint32_t base, int tile, int px, int py, int value) {
  m.vram()[base + tile * 64 + py * 8 + px] = static_cast<std::uint8_t>(value);
}

// A text map cell written straight into VRAM by the block layout.
inline void putTextCell(MachineState& m, int mapBank, int mapW, int cx, int cy, std::uint16_t cell) {
  const int block = (cx >= 32 ? 1 : 0) + (cy >= 32 ? (mapW == 64 ? 2 : 1) : 0);
  const std::size_t off = mapBank * 2048u + block * 2048u + ((cy % 32) * 32 + cx % 32) * 2;
  m.vram()[off] = static_cast<std::uint8_t>(cell);
  m.vram()[off + 1] = static_cast<std::uint8_t>(cell >> 8);
}

// A machine with display on, mode 0 and the palettes filled.
inline std::unique_ptr<MachineState> makeMachine(int mode = 0) {
  auto m = std::make_unique<MachineState>();
  m->setDisplayAttribute(DisplayAttribute::VideoMode, mode);
  m->setDisplayAttribute(DisplayAttribute::BlankDisplay, 0);
  fillPalettes(*m);
  return m;
}

inline void enableLayer(MachineState& m, int bg) {
  m.setDisplayAttribute(static_cast<DisplayAttribute>(static_cast<int>(DisplayAttribute::EnableBG0) + bg), 1);
}

// Compares the whole picture with an expected colour per pixel (0xRRGGBB);
// reports the first few differences.
inline void expectPicture(const MachineState& m, const std::function<std::uint32_t(int, int)>& expected,
                          const std::string& what) {
  int bad = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const std::uint32_t want = expected(x, y), got = pixelAt(m, x, y);
      if (want != got && ++bad <= 5)
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex << got
                      << ", expected " << want << std::dec;
    }
  }
  EXPECT_EQ(bad, 0) << what << ": pixels that differ";
}

// Records the callbacks a frame runs; can pause or fail at a chosen line.
struct RecordingCallbacks : FrameCallbacks {
  std::vector<int> lines;
  int frames = 0;
  int pauseAt = -1, failAt = -1;
  CallbackResult lineDrawn(int line) override {
    lines.push_back(line);
    if (line == pauseAt) {
      pauseAt = -1;
      return CallbackResult::Paused;
    }
    return line == failAt ? CallbackResult::Failed : CallbackResult::Continue;
  }
  CallbackResult frameDrawn() override {
    ++frames;
    return CallbackResult::Continue;
  }
};

}  // namespace tarvolin::machine::test
