// PNG files through libpng: palettised and grey images of up to 8 bits keep
// their indices; every other colour type is read as truecolour.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "project/images/image.h"

namespace tarvolin::project {

namespace {

struct ReadSource {
  ByteView bytes;
  std::size_t pos = 0;
};

struct ErrorSink {
  char text[200] = {};
};

void readCallback(png_structp png, png_bytep data, png_size_t length) {
  auto* src = static_cast<ReadSource*>(png_get_io_ptr(png));
  if (length > src->bytes.size() - src->pos) png_error(png, "datos incompletos");
  std::memcpy(data, src->bytes.data() + src->pos, length);
  src->pos += length;
}

void errorCallback(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  if (sink) std::snprintf(sink->text, sizeof sink->text, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void warningCallback(png_structp, png_const_charp) {}

void writeCallback(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushCallback(png_structp) {}

}  // namespace

bool readPng(ByteView bytes, IndexedImage& out, std::string& error) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    error = "PNG: falta la firma PNG";
    return false;
  }
  // Everything that lives across the setjmp is made before it.
  ReadSource source{bytes, 0};
  ErrorSink sink;
  std::vector<png_bytep> rows;
  out = IndexedImage{};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &sink, errorCallback, warningCallback);
  if (!png) {
    error = "PNG: no se pudo iniciar el lector";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    error = "PNG: no se pudo iniciar el lector";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = std::string("PNG: ") + (sink.text[0] ? sink.text : "archivo dañado");
    return false;
  }
  png_set_read_fn(png, &source, readCallback);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  if (static_cast<std::int64_t>(width) * static_cast<std::int64_t>(height) > kMaxImagePixels) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = "PNG: imagen demasiado grande";
    return false;
  }
  const bool indexed = colorType == PNG_COLOR_TYPE_PALETTE ||
                       (colorType == PNG_COLOR_TYPE_GRAY && depth <= 8 &&
                        !png_get_valid(png, info, PNG_INFO_tRNS));
  if (indexed) {
    png_set_packing(png);  // one byte a pixel, the index unchanged
    out.bits = depth;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
      png_colorp palette = nullptr;
      int count = 0;
      if (png_get_PLTE(png, info, &palette, &count) == PNG_INFO_PLTE && palette) {
        for (int i = 0; i < count; ++i)
          out.palette.push_back(Rgb{palette[i].red, palette[i].green, palette[i].blue});
      }
    } else {
      // A grey image: the grey levels are its palette.
      const int levels = 1 << depth;
      for (int i = 0; i < levels; ++i) {
        auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        out.palette.push_back(Rgb{v, v, v});
      }
    }
  } else {
    out.bits = kTruecolourBits;
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_expand(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  const std::size_t channels = indexed ? 1 : 3;
  if (rowBytes != static_cast<std::size_t>(width) * channels) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = "PNG: formato de fila inesperado";
    return false;
  }
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels.assign(rowBytes * height, 0);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = out.pixels.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool writePng(const IndexedImage& image, Bytes& out, std::string& error) {
  const bool truecolour = image.bits == kTruecolourBits;
  if (!truecolour && image.bits != 1 && image.bits != 2 && image.bits != 4 && image.bits != 8) {
    error = "PNG: profundidad de color no soportada";
    return false;
  }
  const std::size_t channels = truecolour ? 3 : 1;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) *
                                 static_cast<std::size_t>(image.height) * channels) {
    error = "PNG: imagen vacía o incompleta";
    return false;
  }
  out.clear();
  ErrorSink sink;
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  std::vector<png_color> palette;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, errorCallback, warningCallback);
  if (!png) {
    error = "PNG: no se pudo iniciar el escritor";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "PNG: no se pudo iniciar el escritor";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = std::string("PNG: ") + (sink.text[0] ? sink.text : "error al escribir");
    return false;
  }
  png_set_write_fn(png, &out, writeCallback, flushCallback);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
               truecolour ? 8 : image.bits, truecolour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!truecolour) {
    const std::size_t colors = std::size_t{1} << image.bits;
    for (std::size_t i = 0; i < colors; ++i) {
      Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
      palette.push_back(png_color{c.r, c.g, c.b});
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  png_write_info(png, info);
  if (!truecolour) png_set_packing(png);
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * channels;
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] =
        const_cast<png_bytep>(image.pixels.data() + static_cast<std::size_t>(y) * rowBytes);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace tarvolin::project
