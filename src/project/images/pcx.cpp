// PCX (and PCG) files: 1 bit, 4 bits (one plane of 4 bits or four planes of
// 1 bit) and 8 bits with the 256-colour palette at the end of the file.
#include "project/images/byte_reader.h"
#include "project/images/image.h"

namespace tarvolin::project {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kEndPaletteSize = 769;  // the 0x0C marker and 256 RGB triples
// Largest decoded buffer the reader makes (all planes of all rows).
constexpr std::size_t kMaxDecodedBytes = std::size_t{64} << 20;

bool fail(std::string& error, const char* text) {
  error = std::string("PCX: ") + text;
  return false;
}

}  // namespace

bool readPcx(ByteView bytes, IndexedImage& out, std::string& error) {
  ByteReader data(bytes);
  if (!data.has(0, kHeaderSize)) return fail(error, "archivo demasiado corto");
  if (data.u8(0) != 0x0A) return fail(error, "falta la firma PCX");
  const std::uint8_t encoding = data.u8(2);
  const int bitsPerPlane = data.u8(3);
  const std::int64_t width = static_cast<std::int64_t>(data.u16(8)) - data.u16(4) + 1;
  const std::int64_t height = static_cast<std::int64_t>(data.u16(10)) - data.u16(6) + 1;
  const int planes = data.u8(65);
  const std::size_t bytesPerLine = data.u16(66);
  if (encoding > 1) return fail(error, "codificación desconocida");
  if (!imageSizeAcceptable(width, height, error, "PCX")) return false;

  int bits = 0;
  if (bitsPerPlane == 1 && planes == 1) bits = 1;
  else if (bitsPerPlane == 1 && planes == 4) bits = 4;
  else if (bitsPerPlane == 4 && planes == 1) bits = 4;
  else if (bitsPerPlane == 8 && planes == 1) bits = 8;
  else return fail(error, "formato de color no soportado");

  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  const std::size_t needed = (w * static_cast<std::size_t>(bitsPerPlane) + 7) / 8;
  if (bytesPerLine < needed) return fail(error, "bytes por línea insuficientes");
  const std::size_t lineBytes = bytesPerLine * static_cast<std::size_t>(planes);
  if (lineBytes > kMaxDecodedBytes / h) return fail(error, "imagen demasiado grande");
  const std::size_t total = lineBytes * h;

  // The 256-colour palette sits at the very end, after a 0x0C byte.
  std::size_t dataEnd = data.size();
  bool endPalette = false;
  if (bits == 8 && data.size() >= kHeaderSize + kEndPaletteSize &&
      data.u8(data.size() - kEndPaletteSize) == 0x0C) {
    endPalette = true;
    dataEnd = data.size() - kEndPaletteSize;
  }

  // Decode all scan lines as one stream: some writers let a run cross the
  // end of a line.
  std::vector<std::uint8_t> decoded(total, 0);
  std::size_t pos = kHeaderSize;
  std::size_t filled = 0;
  while (filled < total) {
    if (pos >= dataEnd) return fail(error, "faltan los datos de la imagen");
    std::uint8_t b = data.u8(pos++);
    if (encoding == 1 && (b & 0xC0) == 0xC0) {
      std::size_t count = b & 0x3F;
      if (pos >= dataEnd) return fail(error, "faltan los datos de la imagen");
      std::uint8_t value = data.u8(pos++);
      for (std::size_t i = 0; i < count && filled < total; ++i) decoded[filled++] = value;
    } else {
      decoded[filled++] = b;
    }
  }

  out = IndexedImage{};
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.bits = bits;
  out.pixels.assign(w * h, 0);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* line = decoded.data() + y * lineBytes;
    std::uint8_t* dest = out.pixels.data() + y * w;
    for (std::size_t x = 0; x < w; ++x) {
      if (bitsPerPlane == 8) {
        dest[x] = line[x];
      } else if (bitsPerPlane == 4) {
        dest[x] = (x & 1) ? (line[x / 2] & 0x0F) : (line[x / 2] >> 4);
      } else {
        std::uint8_t v = 0;
        for (int p = 0; p < planes; ++p) {
          std::uint8_t bit = (line[static_cast<std::size_t>(p) * bytesPerLine + x / 8] >> (7 - x % 8)) & 1;
          v = static_cast<std::uint8_t>(v | (bit << p));
        }
        dest[x] = v;
      }
    }
  }

  if (bits == 8) {
    out.palette.resize(256);
    for (std::size_t i = 0; i < 256; ++i) {
      if (endPalette) {
        std::size_t at = dataEnd + 1 + i * 3;
        out.palette[i] = Rgb{data.u8(at), data.u8(at + 1), data.u8(at + 2)};
      } else {  // no palette: the indices are grey levels
        auto v = static_cast<std::uint8_t>(i);
        out.palette[i] = Rgb{v, v, v};
      }
    }
  } else {
    // 1- and 4-bit images use the 16-colour palette of the header.
    const std::size_t count = std::size_t{1} << bits;
    out.palette.resize(count);
    for (std::size_t i = 0; i < count; ++i)
      out.palette[i] = Rgb{data.u8(16 + i * 3), data.u8(17 + i * 3), data.u8(18 + i * 3)};
    // A one-bit image whose header palette is blank is black on white.
    if (bits == 1 && out.palette[0] == out.palette[1]) {
      out.palette[0] = Rgb{0, 0, 0};
      out.palette[1] = Rgb{255, 255, 255};
    }
  }
  return true;
}

}  // namespace tarvolin::project
