// Images as the readers give them: one indexed-image type for BMP, PNG and
// PCX files, palette files, and the writers that make BMP and PNG files.
// Every reader checks each size and offset against the bytes it was given and
// refuses what it cannot read with a Spanish message; none of them throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::project {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Largest image the readers accept (width x height), so a small file can
// never make the program allocate without bound.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;
inline constexpr int kMaxImageSide = 32768;

// Bits per pixel of a truecolour image (three bytes a pixel, no palette).
inline constexpr int kTruecolourBits = 24;

// A palettised image (bits 1, 2, 4 or 8: one palette index a pixel in
// `pixels`) or a truecolour one (bits 24: r, g, b bytes a pixel in `pixels`,
// empty palette). Rows run top to bottom, pixels left to right.
struct IndexedImage {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::vector<Rgb> palette;
  std::vector<std::uint8_t> pixels;

  bool isPalettised() const { return bits >= 1 && bits <= 8; }
  // The palette index at (x, y) of a palettised image; no bounds check.
  std::uint8_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  // A blank palettised image of the given size with a black palette of
  // 1 << bits colours.
  static IndexedImage blank(int width, int height, int bits);
};

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// The file kinds told apart by extension (ignoring case).
enum class ImageFileKind { Bmp, Png, Pcx, Palette, Unknown };
ImageFileKind imageFileKindOf(std::string_view path);

// Readers of whole files held in memory. On failure `error` holds the
// reason and `out` is left in an unspecified but valid state.
bool readBmp(ByteView bytes, IndexedImage& out, std::string& error);
bool readPng(ByteView bytes, IndexedImage& out, std::string& error);
// PCX, and PCG files, which share its layout.
bool readPcx(ByteView bytes, IndexedImage& out, std::string& error);
// Palette files: JASC-PAL text, RIFF "PAL " data, or raw RGB triples
// (768 bytes for 256 colours, 48 for 16).
bool readPaletteFile(ByteView bytes, std::vector<Rgb>& out, std::string& error);

// Writers. BMP takes palettised images of 1, 4 or 8 bits (2-bit images are
// written with 4 bits); PNG takes palettised images of 1, 2, 4 or 8 bits and
// truecolour ones.
bool writeBmp(const IndexedImage& image, Bytes& out, std::string& error);
bool writePng(const IndexedImage& image, Bytes& out, std::string& error);

// Reads a whole file; false with a message when it cannot be opened or is
// larger than `limit` bytes.
bool readFileBytes(const std::string& path, Bytes& out, std::string& error,
                   std::size_t limit = std::size_t{256} << 20);

// Reads an image file chosen by its extension ("bmp", "png", "pcx", "pcg").
// A "pal" file or any other extension is refused.
bool readImageFile(const std::string& path, IndexedImage& out, std::string& error);

// The palette of an image file or of a "pal" file.
bool readPaletteOf(const std::string& path, std::vector<Rgb>& out, std::string& error);

// Writes an image as BMP or PNG by the extension of `path`.
bool writeImageFile(const std::string& path, const IndexedImage& image, std::string& error);

// Checks that a size read from a file is one the readers accept.
bool imageSizeAcceptable(std::int64_t width, std::int64_t height, std::string& error,
                         std::string_view format);

}  // namespace tarvolin::project
