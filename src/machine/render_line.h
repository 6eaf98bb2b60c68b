// Internals of the line renderer shared by its source files.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "machine/machine_state.h"

namespace tarvolin::machine::detail {

// How a layer's pixels meet what is already on the line.
enum class Fx { Plain, Alpha, Lighten, Darken };

// A sprite that covers the current line, with its geometry for the line.
struct LineSprite {
  std::uint8_t index, priority, mode;
  bool rotating, mosaic, flip, wide;
  int left;        // first column of the drawing area (may be negative)
  int areaWidth;   // drawing area (twice the sprite with double size)
  int w, h;        // sprite size
  int row;         // plain: texel row (flip and mosaic applied); rotating: dy from the centre
  std::uint32_t base;       // first tile's offset in the sprite tile area
  std::uint32_t rowStride;  // bytes from one tile row of the sprite to the next
  const std::uint32_t* pal;
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
  // Sprites covering the line, from index 127 down; drawn ones by priority.
  std::array<LineSprite, 128> sprites;
  int spriteCount = 0;
  std::array<std::array<std::uint8_t, 128>, 4> byPriority;
  std::array<int, 4> priorityCount{};
  bool anyWindowSprite = false;
};

// The 8 pixel values of a 16-colour tile row (4 bytes, even column in the
// high nibble), one byte each.
inline void expandRow16(const std::uint8_t* row, std::uint8_t* vals) {
  std::uint32_t bits;
  std::memcpy(&bits, row, 4);
  std::uint64_t t = bits;
  t = (t | t << 16) & 0x0000FFFF0000FFFFull;
  t = (t | t << 8) & 0x00FF00FF00FF00FFull;
  const std::uint64_t out = (t >> 4 & 0x000F000F000F000Full) | (t & 0x000F000F000F000Full) << 8;
  std::memcpy(vals, &out, 8);
}

// Per channel: (u x b >> 4) + (c x a >> 4), at most 255. Red and blue are
// worked together in two 16-bit lanes.
inline std::uint32_t blendAlpha(std::uint32_t u, std::uint32_t c, int a, int b) {
  const std::uint32_t ua = static_cast<std::uint32_t>(a), ub = static_cast<std::uint32_t>(b);
  std::uint32_t rb = (((u & 0xFF00FFu) * ub) >> 4 & 0x1FF01FFu) + (((c & 0xFF00FFu) * ua) >> 4 & 0x1FF01FFu);
  std::uint32_t over = (rb >> 8) & 0x00030003u;
  over = (over | over >> 1) & 0x00010001u;
  rb = (rb | over * 0xFFu) & 0x00FF00FFu;
  const std::uint32_t g = std::min<std::uint32_t>(255, ((u >> 8 & 255) * ub >> 4) + ((c >> 8 & 255) * ua >> 4));
  return rb | g << 8;
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

// Draws up to 8 pixel values of one tile row: vals[first + i * step] goes to
// column x + i; value 0 leaves the pixel alone.
template <Fx F>
inline void putRun(const LineContext& c, int x, const std::uint8_t* vals, int first, int step, int n,
                   const std::uint32_t* pal, std::uint8_t id) {
  std::uint32_t* __restrict colours = c.colours + x;
  std::uint8_t* __restrict ids = c.ids + x;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t v = vals[first + i * step];
    std::uint32_t colour = pal[v];
    if constexpr (F == Fx::Alpha) {
      const std::uint32_t mixed = blendAlpha(colours[i], colour, c.alphaSource, c.alphaTarget);
      const std::uint32_t under = 0u - c.targets[ids[i]];  // all ones over a target
      colour = (mixed & under) | (colour & ~under);
    } else if constexpr (F == Fx::Lighten) {
      colour = lighten(colour, c.tint);
    } else if constexpr (F == Fx::Darken) {
      colour = darken(colour, c.tint);
    }
    // Masks rather than branches: transparent texels come in no pattern.
    const std::uint32_t keep = (v != 0) - 1u;  // all ones when transparent
    colours[i] = (colour & ~keep) | (colours[i] & keep);
    ids[i] = static_cast<std::uint8_t>((id & ~keep) | (ids[i] & keep));
  }
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
