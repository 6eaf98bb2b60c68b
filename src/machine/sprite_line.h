// A sprite's geometry for drawing one line; the renderer keeps one per
// sprite between frames (see LineScratch) and one per sprite on the line.
#pragma once

#include <cstdint>

namespace tarvolin::machine::detail {

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

}  // namespace tarvolin::machine::detail
