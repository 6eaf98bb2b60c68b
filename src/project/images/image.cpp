// The shared parts of image input and output: file kinds by extension, whole
// file reads and writes, and the size limit of the readers.
#include <cstdio>
#include <fstream>

#include "common/text.h"
#include "project/images/image.h"

#include "platform/files.h"

namespace tarvolin::project {

IndexedImage IndexedImage::blank(int width, int height, int bits) {
  IndexedImage image;
  image.width = width > 0 ? width : 0;
  image.height = height > 0 ? height : 0;
  image.bits = bits;
  if (image.isPalettised()) image.palette.assign(std::size_t{1} << bits, Rgb{});
  const std::size_t channels = image.isPalettised() ? 1 : 3;
  image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * channels, 0);
  return image;
}

ImageFileKind imageFileKindOf(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return ImageFileKind::Unknown;
  std::string_view ext = name.substr(dot + 1);
  if (equalsIgnoreCase(ext, "bmp")) return ImageFileKind::Bmp;
  if (equalsIgnoreCase(ext, "png")) return ImageFileKind::Png;
  if (equalsIgnoreCase(ext, "pcx") || equalsIgnoreCase(ext, "pcg")) return ImageFileKind::Pcx;
  if (equalsIgnoreCase(ext, "pal")) return ImageFileKind::Palette;
  return ImageFileKind::Unknown;
}

bool imageSizeAcceptable(std::int64_t width, std::int64_t height, std::string& error,
                         std::string_view format) {
  if (width <= 0 || height <= 0) {
    error = std::string(format) + ": tamaño de imagen no válido";
    return false;
  }
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
    error = std::string(format) + ": imagen demasiado grande";
    return false;
  }
  return true;
}

bool readFileBytes(const std::string& path, Bytes& out, std::string& error, std::size_t limit) {
  switch (platform::readFile(path, out, limit)) {
    case platform::ReadResult::Ok: return true;
    case platform::ReadResult::Missing: error = "No se puede abrir el archivo <" + path + ">"; return false;
    case platform::ReadResult::TooLarge: error = "Archivo demasiado grande <" + path + ">"; return false;
    case platform::ReadResult::Failed: break;
  }
  error = "No se puede leer el archivo <" + path + ">";
  return false;
}

bool readImageFile(const std::string& path, IndexedImage& out, std::string& error) {
  ImageFileKind kind = imageFileKindOf(path);
  if (kind == ImageFileKind::Unknown || kind == ImageFileKind::Palette) {
    error = "Formato de imagen no reconocido <" + path + ">";
    return false;
  }
  Bytes bytes;
  if (!readFileBytes(path, bytes, error)) return false;
  switch (kind) {
    case ImageFileKind::Bmp: return readBmp(bytes, out, error);
    case ImageFileKind::Png: return readPng(bytes, out, error);
    default: return readPcx(bytes, out, error);
  }
}

bool readPaletteOf(const std::string& path, std::vector<Rgb>& out, std::string& error) {
  if (imageFileKindOf(path) == ImageFileKind::Palette) {
    Bytes bytes;
    if (!readFileBytes(path, bytes, error)) return false;
    return readPaletteFile(bytes, out, error);
  }
  IndexedImage image;
  if (!readImageFile(path, image, error)) return false;
  if (!image.isPalettised()) {
    error = "La imagen no tiene paleta <" + path + ">";
    return false;
  }
  out = std::move(image.palette);
  return true;
}

bool writeImageFile(const std::string& path, const IndexedImage& image, std::string& error) {
  Bytes bytes;
  ImageFileKind kind = imageFileKindOf(path);
  bool made = kind == ImageFileKind::Bmp   ? writeBmp(image, bytes, error)
              : kind == ImageFileKind::Png ? writePng(image, bytes, error)
                                           : (error = "Formato de imagen no reconocido <" + path + ">", false);
  if (!made) return false;
  if (!platform::safeWrite(path, bytes)) {
    error = "No se puede escribir el archivo <" + path + ">";
    return false;
  }
  return true;
}

}  // namespace tarvolin::project
