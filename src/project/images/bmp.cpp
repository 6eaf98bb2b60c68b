// BMP files: palettised 1, 4 and 8 bits (plain, RLE8 and RLE4, bottom-up or
// top-down) and truecolour 24 and 32 bits; the writer makes 1, 4 and 8 bits.
#include <algorithm>

#include "project/images/byte_reader.h"
#include "project/images/image.h"

namespace tarvolin::project {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

bool fail(std::string& error, const char* text) {
  error = std::string("BMP: ") + text;
  return false;
}

// Decodes RLE8 or RLE4 data into `out` (one index a pixel, rows in file
// order: row 0 is the first row the file gives).
bool decodeRle(ByteReader data, std::size_t offset, bool four, int width, int height,
               std::vector<std::uint8_t>& out, std::string& error) {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::size_t pos = offset;
  auto put = [&](std::uint8_t value) {
    if (x < width && y < height)
      out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
          static_cast<std::size_t>(x)] = value;
    ++x;
  };
  while (y < height) {
    if (!data.has(pos, 2)) return fail(error, "datos RLE incompletos");
    std::uint8_t count = data.u8(pos);
    std::uint8_t value = data.u8(pos + 1);
    pos += 2;
    if (count > 0) {
      // An encoded run; RLE4 alternates the two nibbles of the value.
      for (int i = 0; i < count && x < width; ++i)
        put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and down
      if (!data.has(pos, 2)) return fail(error, "datos RLE incompletos");
      x += data.u8(pos);
      y += data.u8(pos + 1);
      pos += 2;
    } else {  // a literal run of `value` pixels, padded to 16 bits
      std::size_t bytes = four ? (value + 1u) / 2u : value;
      std::size_t padded = (bytes + 1u) & ~std::size_t{1};
      if (!data.has(pos, bytes)) return fail(error, "datos RLE incompletos");
      for (int i = 0; i < value; ++i) {
        std::uint8_t b = data.u8(pos + (four ? i / 2 : i));
        put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      pos += std::min(padded, data.size() - pos);
    }
  }
  return true;
}

}  // namespace

bool readBmp(ByteView bytes, IndexedImage& out, std::string& error) {
  ByteReader data(bytes);
  if (!data.has(0, 26)) return fail(error, "archivo demasiado corto");
  if (data.u8(0) != 'B' || data.u8(1) != 'M') return fail(error, "falta la firma \"BM\"");
  const std::uint32_t pixelOffset = data.u32(10);
  const std::uint32_t headerSize = data.u32(14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  int bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteEntrySize = 4;
  if (headerSize == 12) {  // the old core header
    width = data.u16(18);
    height = data.u16(20);
    bits = data.u16(24);
    paletteEntrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 1024) {
    if (!data.has(14, headerSize)) return fail(error, "cabecera incompleta");
    width = data.s32(18);
    height = data.s32(22);
    bits = data.u16(28);
    compression = data.u32(30);
    colorsUsed = data.u32(46);
  } else {
    return fail(error, "cabecera de tamaño desconocido");
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (!imageSizeAcceptable(width, height, error, "BMP")) return false;

  const bool palettised = bits == 1 || bits == 4 || bits == 8;
  if (!palettised && bits != 24 && bits != 32)
    return fail(error, "profundidad de color no soportada");
  if (compression == kBiRle8 && bits != 8) return fail(error, "RLE8 exige 8 bits");
  if (compression == kBiRle4 && bits != 4) return fail(error, "RLE4 exige 4 bits");
  if (compression == kBiBitfields && bits != 32) return fail(error, "compresión no soportada");
  if (compression != kBiRgb && compression != kBiRle8 && compression != kBiRle4 &&
      compression != kBiBitfields)
    return fail(error, "compresión no soportada");
  if (compression != kBiRgb && compression != kBiBitfields && topDown)
    return fail(error, "RLE de arriba abajo no es válido");

  out = IndexedImage{};
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.bits = palettised ? bits : kTruecolourBits;

  if (palettised) {
    const std::uint32_t maxColors = 1u << bits;
    std::uint32_t count = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    const std::size_t paletteOffset = 14 + headerSize;
    // Some writers give fewer entries than they declare: take what lies
    // before the pixels.
    if (pixelOffset > paletteOffset) {
      std::size_t room = (pixelOffset - paletteOffset) / paletteEntrySize;
      count = static_cast<std::uint32_t>(std::min<std::size_t>(count, room));
    }
    if (!data.has(paletteOffset, count * paletteEntrySize)) return fail(error, "paleta incompleta");
    out.palette.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::size_t at = paletteOffset + i * paletteEntrySize;
      out.palette[i] = Rgb{data.u8(at + 2), data.u8(at + 1), data.u8(at)};
    }
  }

  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  const std::size_t channels = palettised ? 1 : 3;
  out.pixels.assign(w * h * channels, 0);
  if (pixelOffset >= data.size()) return fail(error, "faltan los datos de la imagen");

  if (compression == kBiRle8 || compression == kBiRle4) {
    std::vector<std::uint8_t> rows(w * h, 0);
    if (!decodeRle(data, pixelOffset, compression == kBiRle4, out.width, out.height, rows, error))
      return false;
    for (std::size_t y = 0; y < h; ++y)
      std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(y * w), w,
                  out.pixels.begin() + static_cast<std::ptrdiff_t>((h - 1 - y) * w));
    return true;
  }

  const std::size_t stride = ((w * static_cast<std::size_t>(bits) + 31) / 32) * 4;
  // The last row needs only its own pixels, not its padding.
  const std::size_t lastRow = (w * static_cast<std::size_t>(bits) + 7) / 8;
  if (h > 0 && !data.has(pixelOffset, stride * (h - 1) + lastRow))
    return fail(error, "faltan los datos de la imagen");
  for (std::size_t fileRow = 0; fileRow < h; ++fileRow) {
    const std::size_t y = topDown ? fileRow : h - 1 - fileRow;
    const std::size_t row = pixelOffset + fileRow * stride;
    std::uint8_t* dest = out.pixels.data() + y * w * channels;
    for (std::size_t x = 0; x < w; ++x) {
      switch (bits) {
        case 1: dest[x] = (data.u8(row + x / 8) >> (7 - x % 8)) & 1; break;
        case 4: dest[x] = (x & 1) ? (data.u8(row + x / 2) & 0x0F) : (data.u8(row + x / 2) >> 4); break;
        case 8: dest[x] = data.u8(row + x); break;
        default: {
          const std::size_t at = row + x * static_cast<std::size_t>(bits / 8);
          dest[x * 3] = data.u8(at + 2);
          dest[x * 3 + 1] = data.u8(at + 1);
          dest[x * 3 + 2] = data.u8(at);
        }
      }
    }
  }
  return true;
}

bool writeBmp(const IndexedImage& image, Bytes& out, std::string& error) {
  if (!image.isPalettised()) return fail(error, "solo se escriben imágenes con paleta");
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return fail(error, "imagen vacía o incompleta");
  const int bits = image.bits == 1 ? 1 : image.bits <= 4 ? 4 : 8;
  const std::uint32_t colors = 1u << bits;
  const std::size_t w = static_cast<std::size_t>(image.width);
  const std::size_t stride = ((w * static_cast<std::size_t>(bits) + 31) / 32) * 4;
  const std::uint32_t pixelOffset = 14 + 40 + colors * 4;
  const std::size_t imageBytes = stride * static_cast<std::size_t>(image.height);
  out.clear();
  out.reserve(pixelOffset + imageBytes);
  out.push_back('B');
  out.push_back('M');
  putU32(out, static_cast<std::uint32_t>(pixelOffset + imageBytes));
  putU32(out, 0);
  putU32(out, pixelOffset);
  putU32(out, 40);
  putU32(out, static_cast<std::uint32_t>(image.width));
  putU32(out, static_cast<std::uint32_t>(image.height));  // bottom-up
  putU16(out, 1);
  putU16(out, static_cast<std::uint32_t>(bits));
  putU32(out, kBiRgb);
  putU32(out, static_cast<std::uint32_t>(imageBytes));
  putU32(out, 2835);  // 72 dpi
  putU32(out, 2835);
  putU32(out, colors);
  putU32(out, 0);
  for (std::uint32_t i = 0; i < colors; ++i) {
    Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  const std::uint8_t mask = static_cast<std::uint8_t>(colors - 1);
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(stride, 0);
    for (std::size_t x = 0; x < w; ++x) {
      std::uint8_t v = image.at(static_cast<int>(x), y) & mask;
      if (bits == 8) row[x] = v;
      else if (bits == 4) row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
      else row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return true;
}

}  // namespace tarvolin::project
