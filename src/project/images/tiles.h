// Conversions from palettised images to GBA tile data and colours. These work
// on caller-owned memory so the machine model can hand in its video memory.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "project/images/image.h"

namespace tarvolin::project {

// The two character areas of video memory.
enum class TileArea { Sprite, Background };

// The character area inside the 96 KB of video memory: background tiles
// from offset 0 (64 KB), sprite tiles from 0x10000 (32 KB). Shorter memory
// gives what part of the area it holds.
std::span<std::uint8_t> tileAreaOf(std::span<std::uint8_t> vram, TileArea area);

// Tiles an area holds at a depth: sprite 512 (8 bits) or 1024 (4 bits),
// background 1024 (8 bits) or 2048 (4 bits).
int tileAreaCapacity(TileArea area, int bits);

// Bytes of one tile: 32 at 4 bits, 64 at 8 bits.
constexpr int tileBytes(int bits) { return bits == 4 ? 32 : 64; }

// Whole tiles of an image: width / 8 across, height / 8 down.
struct TileGrid {
  int across = 0;
  int down = 0;
  int count() const { return across * down; }
};
TileGrid tileGridOf(const IndexedImage& image);

// Encodes tile (column, row) of a palettised image at 4 bits (two pixels a
// byte, the even column in the high nibble, indices masked to 4 bits) or
// 8 bits into `out`, which holds at least tileBytes(bits) bytes.
void encodeTile(const IndexedImage& image, int column, int row, int bits,
                std::span<std::uint8_t> out);

// Writes every whole tile of the image into a character area of `capacity`
// tiles: tile (c, r) goes to (first + c + max(stride, across) x r) AND
// (capacity - 1), so numbers wrap inside the area. `markUsed` (optional) is
// told each tile number written. Tiles whose bytes would lie past the end of
// `area` are skipped. `capacity` must be a power of two.
void writeTilesToArea(const IndexedImage& image, int bits, int capacity, std::int64_t first,
                      std::int64_t stride, std::span<std::uint8_t> area,
                      const std::function<void(int)>& markUsed = {});

// Stores the image's tiles one after the other from first x tile size in
// `block`, as long as a whole tile still fits; nothing when first is negative
// or first x tile size lies past the block. Returns the tiles stored.
int writeTilesToBlock(const IndexedImage& image, int bits, std::int64_t first,
                      std::span<std::uint8_t> block);

// A GBA 15-bit colour: red in bits 0-4, green 5-9, blue 10-14.
constexpr std::uint16_t toGbaColour(Rgb c) {
  return static_cast<std::uint16_t>((c.r >> 3) | ((c.g >> 3) << 5) | ((c.b >> 3) << 10));
}

}  // namespace tarvolin::project
