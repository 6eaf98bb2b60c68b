// Image files made byte by byte for the reader tests, in the layouts the
// writers do not produce (top-down and RLE BMP, PCX).
#pragma once

#include <cstdint>
#include <vector>

#include "project/images/image.h"

namespace tarvolin::project::imagebytes {

inline void put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

// A BMP with a 40-byte header, `colors` palette entries (entry i is
// (i, 2i, 3i)) and the given pixel data (already in file order).
inline Bytes bmpFile(int width, int height, int bits, std::uint32_t compression, int colors,
                     const Bytes& data) {
  Bytes b;
  const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(colors) * 4;
  b.push_back('B');
  b.push_back('M');
  put32(b, offset + static_cast<std::uint32_t>(data.size()));
  put32(b, 0);
  put32(b, offset);
  put32(b, 40);
  put32(b, static_cast<std::uint32_t>(width));
  put32(b, static_cast<std::uint32_t>(height));
  put16(b, 1);
  put16(b, static_cast<std::uint32_t>(bits));
  put32(b, compression);
  put32(b, static_cast<std::uint32_t>(data.size()));
  put32(b, 0);
  put32(b, 0);
  put32(b, static_cast<std::uint32_t>(colors));
  put32(b, 0);
  for (int i = 0; i < colors; ++i) {
    b.push_back(static_cast<std::uint8_t>(3 * i));  // blue
    b.push_back(static_cast<std::uint8_t>(2 * i));  // green
    b.push_back(static_cast<std::uint8_t>(i));      // red
    b.push_back(0);
  }
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// Encodes bytes with PCX run-length coding.
inline Bytes pcxRle(const Bytes& raw) {
  Bytes out;
  for (std::size_t i = 0; i < raw.size();) {
    std::size_t run = 1;
    while (i + run < raw.size() && raw[i + run] == raw[i] && run < 63) ++run;
    if (run > 1 || (raw[i] & 0xC0) == 0xC0) {
      out.push_back(static_cast<std::uint8_t>(0xC0 | run));
      out.push_back(raw[i]);
    } else {
      out.push_back(raw[i]);
    }
    i += run;
  }
  return out;
}

// A PCX file: header (16-colour palette entry i is (16i, 0, 255 - 16i)), the
// RLE-coded scan lines given raw (planes of each line one after another),
// and for 8-bit images the 256-colour palette (entry i is (i, 255 - i, 7)).
inline Bytes pcxFile(int width, int height, int bitsPerPlane, int planes, int bytesPerLine,
                     const Bytes& rawLines, bool endPalette) {
  Bytes b(128, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = static_cast<std::uint8_t>(bitsPerPlane);
  b[8] = static_cast<std::uint8_t>(width - 1);
  b[9] = static_cast<std::uint8_t>((width - 1) >> 8);
  b[10] = static_cast<std::uint8_t>(height - 1);
  b[11] = static_cast<std::uint8_t>((height - 1) >> 8);
  for (int i = 0; i < 16; ++i) {
    b[16 + i * 3] = static_cast<std::uint8_t>(16 * i);
    b[18 + i * 3] = static_cast<std::uint8_t>(255 - 16 * i);
  }
  b[65] = static_cast<std::uint8_t>(planes);
  b[66] = static_cast<std::uint8_t>(bytesPerLine);
  b[67] = static_cast<std::uint8_t>(bytesPerLine >> 8);
  Bytes coded = pcxRle(rawLines);
  b.insert(b.end(), coded.begin(), coded.end());
  if (endPalette) {
    b.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
      b.push_back(static_cast<std::uint8_t>(i));
      b.push_back(static_cast<std::uint8_t>(255 - i));
      b.push_back(7);
    }
  }
  return b;
}

// A palettised image whose pixel (x, y) is (x + 3y) mod 2^bits, with a
// palette whose entry i is (i, 255 - i, i / 2).
inline IndexedImage patternImage(int width, int height, int bits) {
  IndexedImage image = IndexedImage::blank(width, height, bits);
  for (std::size_t i = 0; i < image.palette.size(); ++i)
    image.palette[i] = Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i / 2)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels[static_cast<std::size_t>(y * width + x)] =
          static_cast<std::uint8_t>((x + 3 * y) & ((1 << bits) - 1));
  return image;
}

}  // namespace tarvolin::project::imagebytes
