#include "project/images/tiles.h"

#include <algorithm>

namespace tarvolin::project {

std::span<std::uint8_t> tileAreaOf(std::span<std::uint8_t> vram, TileArea area) {
  const std::size_t start = area == TileArea::Sprite ? 0x10000 : 0;
  const std::size_t size = area == TileArea::Sprite ? 0x8000 : 0x10000;
  if (vram.size() <= start) return {};
  return vram.subspan(start, std::min(size, vram.size() - start));
}

int tileAreaCapacity(TileArea area, int bits) {
  const int eightBit = area == TileArea::Sprite ? 512 : 1024;
  return bits == 4 ? eightBit * 2 : eightBit;
}

TileGrid tileGridOf(const IndexedImage& image) {
  return TileGrid{std::max(0, image.width / 8), std::max(0, image.height / 8)};
}

void encodeTile(const IndexedImage& image, int column, int row, int bits,
                std::span<std::uint8_t> out) {
  const int x0 = column * 8;
  const int y0 = row * 8;
  std::size_t o = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const std::uint8_t v = image.at(x0 + x, y0 + y);
      if (bits == 4) {
        if ((x & 1) == 0) out[o] = static_cast<std::uint8_t>((v & 0x0F) << 4);
        else out[o++] |= static_cast<std::uint8_t>(v & 0x0F);
      } else {
        out[o++] = v;
      }
    }
  }
}

void writeTilesToArea(const IndexedImage& image, int bits, int capacity, std::int64_t first,
                      std::int64_t stride, std::span<std::uint8_t> area,
                      const std::function<void(int)>& markUsed) {
  if (!image.isPalettised() || capacity <= 0) return;
  const TileGrid grid = tileGridOf(image);
  const std::size_t size = static_cast<std::size_t>(tileBytes(bits));
  const std::int64_t rowStride = std::max<std::int64_t>(stride, grid.across);
  const std::int64_t mask = capacity - 1;
  for (int r = 0; r < grid.down; ++r) {
    for (int c = 0; c < grid.across; ++c) {
      // Wrapping arithmetic: script values may be anything.
      const std::uint64_t raw = static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(c) +
                                static_cast<std::uint64_t>(rowStride) * static_cast<std::uint64_t>(r);
      const int tile = static_cast<int>(static_cast<std::int64_t>(raw & static_cast<std::uint64_t>(mask)));
      const std::size_t offset = static_cast<std::size_t>(tile) * size;
      if (offset + size > area.size()) continue;
      encodeTile(image, c, r, bits, area.subspan(offset, size));
      if (markUsed) markUsed(tile);
    }
  }
}

int writeTilesToBlock(const IndexedImage& image, int bits, std::int64_t first,
                      std::span<std::uint8_t> block) {
  if (!image.isPalettised() || first < 0) return 0;
  const TileGrid grid = tileGridOf(image);
  const std::uint64_t size = static_cast<std::uint64_t>(tileBytes(bits));
  std::uint64_t offset = static_cast<std::uint64_t>(first) * size;
  if (static_cast<std::uint64_t>(first) > block.size() || offset > block.size()) return 0;
  int stored = 0;
  for (int r = 0; r < grid.down; ++r) {
    for (int c = 0; c < grid.across; ++c) {
      if (offset + size > block.size()) return stored;
      encodeTile(image, c, r, bits, block.subspan(static_cast<std::size_t>(offset), size));
      offset += size;
      ++stored;
    }
  }
  return stored;
}

}  // namespace tarvolin::project
