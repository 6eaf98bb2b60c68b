// Whole-picture checks of games run through `tarvolin run --screenshot`: a
// project written into a temporary folder whose Initialise builds a scene
// with the hardware commands, the PNG read back with libpng and compared
// pixel by pixel with the picture the test computes.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"

namespace tarvolin::test {

// Every scene starts with both palettes filled by these formulas, so a
// wrong palette index shows as a wrong colour.
inline std::uint16_t bgColour(int i) { return std::uint16_t((i * 97 + 5) & 0x7FFF); }
inline std::uint16_t spriteColour(int i) { return std::uint16_t((i * 61 + 3) & 0x7FFF); }

inline const char* kPalettePrelude =
    "V_LV0 = 0\n"
    "While V_LV0 < 256\n"
    " V_LV1 = V_LV0\n V_LV1 *= 97\n V_LV1 += 5\n V_LV1 &= 32767\n"
    " PaletteSetColour [BG] V_LV0 V_LV1\n"
    " V_LV1 = V_LV0\n V_LV1 *= 61\n V_LV1 += 3\n V_LV1 &= 32767\n"
    " PaletteSetColour [SPRITE] V_LV0 V_LV1\n"
    " V_LV0 += 1\n"
    "End\n"
    "DisplaySetAttribute [BlankDisplay] 0\n";

// A 15-bit colour as the picture shows it, 0xRRGGBB.
inline std::uint32_t shown(std::uint16_t c) {
  return ((c & 31u) << 3) << 16 | ((c >> 5 & 31u) << 3) << 8 | ((c >> 10 & 31u) << 3);
}

// 240x160 pixels as 0xRRGGBB, empty when the file is no readable PNG of
// that size.
inline std::vector<std::uint32_t> readPicture(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<std::uint32_t> out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  if (image.width != 240 || image.height != 160) {
    png_image_free(&image);
    return out;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return out;
  out.resize(240 * 160);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = std::uint32_t(rgb[i * 3]) << 16 | std::uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
  return out;
}

// Compares a picture with the expected colour of each pixel; reports the
// first few differences.
inline void expectPicture(const std::vector<std::uint32_t>& got,
                          const std::function<std::uint32_t(int, int)>& expected, const std::string& what) {
  ASSERT_EQ(got.size(), 240u * 160u) << what << ": no 240x160 picture";
  int bad = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x) {
      const std::uint32_t want = expected(x, y), have = got[std::size_t(y * 240 + x)];
      if (want != have && ++bad <= 5)
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex << have << ", expected "
                      << want << std::dec;
    }
  EXPECT_EQ(bad, 0) << what << ": pixels that differ";
}

// A game whose main script is `main` and whose Initialise is the palette
// prelude followed by `init`.
class PictureGame {
 public:
  PictureGame(const std::string& init, const std::string& main = "Return\n") {
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt",
               main + "Function Initialise 0\n" + kPalettePrelude + init + "Return\n");
  }
  // Runs `frames` frames with a screenshot after the last; the picture, or
  // empty on failure (reported).
  std::vector<std::uint32_t> run(int frames) const {
    const std::string shot = dir_.file("shot.png");
    const ToolResult r = runTool({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames),
                                  "--screenshot", shot});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    return readPicture(shot);
  }
  // Runs with a picture after every frame; picture k (1-based) of the run.
  std::vector<std::vector<std::uint32_t>> runEach(int frames) const {
    const ToolResult r = runTool({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames),
                                  "--screenshot-every", "1", "--out", dir_.file("shots")});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    std::vector<std::vector<std::uint32_t>> all;
    for (int f = 1; f <= frames; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "shots/frame%05d.png", f);
      all.push_back(readPicture(dir_.file(name)));
    }
    return all;
  }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
};

}  // namespace tarvolin::test
