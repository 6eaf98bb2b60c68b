#include "machine/screenshot.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace tarvolin::machine {

namespace {

// libpng reports fatal errors by longjmp; keep that inside this function
// and only plain data on its frame.
void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool encodePng(const std::vector<std::uint8_t>& rgb, std::vector<std::uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, appendBytes, nullptr);
  png_set_IHDR(png, info, kScreenWidth, kScreenHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < kScreenHeight; ++y)
    png_write_row(png, const_cast<png_bytep>(rgb.data() + static_cast<std::size_t>(y) * kScreenWidth * 3));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writeScreenshot(const MachineState& state, const std::string& path) {
  if (state.picture.size() != static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3) return false;
  // The picture is blue, green, red; PNG wants red, green, blue.
  std::vector<std::uint8_t> rgb(state.picture.size());
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = state.picture[i + 2];
    rgb[i + 1] = state.picture[i + 1];
    rgb[i + 2] = state.picture[i];
  }
  std::vector<std::uint8_t> png;
  return encodePng(rgb, png) && platform::safeWrite(path, png);
}

std::string nextScreenshotPath(const std::string& folder) {
  char name[32];
  for (int n = 1; n <= 99999; ++n) {
    std::snprintf(name, sizeof name, "dump%05d.png", n);
    const std::string path = platform::resolvePath(folder, name);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return platform::joinPath(folder, name);
  }
  return std::string();
}

bool saveNextScreenshot(const MachineState& state, const std::string& folder, std::string* written) {
  const std::string path = nextScreenshotPath(folder);
  if (path.empty() || !writeScreenshot(state, path)) return false;
  if (written) *written = path;
  return true;
}

}  // namespace tarvolin::machine
