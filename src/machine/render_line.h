// Internals of the line renderer shared by its source files.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "machine/machine_state.h"

namespace tarvolin::machine::detail {

// How a layer's pixels meet what is already on the line.
enum class Fx { Plain, Alpha, Lighten, Darken };

// A sprite that covers the current line, with its geometry for the line.
struct LineSprite {
  std::uint8_t index;
  int left;        // first column of the drawing area (may be negative)
  int areaWidth;   // drawing area (twice the sprite with double size)
  int row;         // plain: texel row (flip and mosaic applied); rotating: dy from the centre
};

struct LineContext {
  MachineState* m = nullptr;
  int y = 0;
  std::uint32_t* colours = nullptr;
  std::uint8_t* ids = nullptr;
  const std::uint32_t* bgPal = nullptr;
  const std::uint32_t* objPal = nullptr;
  std::array<std::uint8_t, 8> targets{};  // by layer identity
  int alphaSource = 0, alphaTarget = 0, tint = 0;
  std::array<LineSprite, 128> sprites{};
  int spriteCount = 0;
};

inline std::uint32_t blendAlpha(std::uint32_t u, std::uint32_t c, int a, int b) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t uc = u >> shift & 255, cc = c >> shift & 255;
    const std::uint32_t v = std::min<std::uint32_t>(255, (uc * b >> 4) + (cc * a >> 4));
    out |= v << shift;
  }
  return out;
}

inline std::uint32_t lighten(std::uint32_t c, int k) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t cc = c >> shift & 255;
    out |= std::min<std::uint32_t>(255, cc + ((255 - cc) * k >> 4)) << shift;
  }
  return out;
}

inline std::uint32_t darken(std::uint32_t c, int k) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t cc = c >> shift & 255;
    out |= (cc - cc * k / 16) << shift;
  }
  return out;
}

template <Fx F>
inline void putPixel(const LineContext& c, int x, std::uint32_t colour, std::uint8_t id) {
  if constexpr (F == Fx::Alpha) {
    if (c.targets[c.ids[x]]) colour = blendAlpha(c.colours[x], colour, c.alphaSource, c.alphaTarget);
  } else if constexpr (F == Fx::Lighten) {
    colour = lighten(colour, c.tint);
  } else if constexpr (F == Fx::Darken) {
    colour = darken(colour, c.tint);
  }
  c.colours[x] = colour;
  c.ids[x] = id;
}

// Background layers (text or rotational by the layer's kind).
void drawBackground(LineContext& c, int bg, Fx fx, int x0, int x1);

// Sprites.
void buildSpriteList(LineContext& c);
void drawSprites(LineContext& c, int pass, bool blendAllowed, int x0, int x1);
// Marks mask[x] for columns x0..x1-1 under a sprite-window sprite; true when
// any column was marked.
bool markSpriteWindow(LineContext& c, std::uint8_t* mask, int x0, int x1);

}  // namespace tarvolin::machine::detail
