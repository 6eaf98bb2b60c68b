// Shared checks of the image fuzz targets: a read image must be consistent,
// convert to tiles without touching memory outside its area, and survive a
// write and a second read unchanged.
#pragma once

#include <cstdlib>
#include <vector>

#include "project/images/image.h"
#include "project/images/tiles.h"

namespace tarvolin::project::fuzzing {

inline void checkImage(const IndexedImage& image, bool (*write)(const IndexedImage&, Bytes&, std::string&),
                       bool (*read)(ByteView, IndexedImage&, std::string&)) {
  const std::size_t channels = image.isPalettised() ? 1 : 3;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * channels)
    std::abort();
  if (image.isPalettised()) {
    std::vector<std::uint8_t> area(16 * 64);
    writeTilesToArea(image, image.bits == 4 ? 4 : 8, 16, 3, 1, area);
    writeTilesToBlock(image, image.bits == 4 ? 4 : 8, 1, area);
  }
  Bytes again;
  std::string error;
  if (!write(image, again, error)) return;  // depths the writer does not make
  IndexedImage back;
  if (!read(again, back, error)) std::abort();
  if (back.width != image.width || back.height != image.height || back.pixels != image.pixels)
    std::abort();
}

}  // namespace tarvolin::project::fuzzing
