#include "machine/screenshot.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "common/temp_dir.h"
#include "machine/renderer.h"
#include "scene.h"

namespace tarvolin::machine {
namespace {

// Reads an 8-bit RGB PNG back; empty on any problem.
std::vector<std::uint8_t> readPng(const std::string& path, int& w, int& h) {
  std::vector<std::uint8_t> out;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGB;
  out.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) out.clear();
  w = static_cast<int>(image.width);
  h = static_cast<int>(image.height);
  return out;
}

TEST(Screenshot, PictureRoundTripsThroughPng) {
  auto m = test::makeMachine();
  // A picture with distinct colours per pixel.
  for (std::size_t i = 0; i < m->picture.size(); ++i) m->picture[i] = static_cast<std::uint8_t>(i * 7 + i / 720);
  tarvolin::test::TempDir dir;
  const std::string path = dir.file("shot.png");
  ASSERT_TRUE(writeScreenshot(*m, path));
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rgb = readPng(path, w, h);
  ASSERT_EQ(w, 240);
  ASSERT_EQ(h, 160);
  ASSERT_EQ(rgb.size(), m->picture.size());
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    ASSERT_EQ(rgb[i], m->picture[i + 2]) << i;  // red
    ASSERT_EQ(rgb[i + 1], m->picture[i + 1]);
    ASSERT_EQ(rgb[i + 2], m->picture[i]);  // blue
  }
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_FALSE(writeScreenshot(*m, dir.file("no/such/folder/shot.png")));
}

TEST(Screenshot, NamesCountUpFromDump00001) {
  auto m = test::makeMachine();
  ASSERT_TRUE(renderFrame(*m, nullptr));
  tarvolin::test::TempDir dir;
  EXPECT_EQ(nextScreenshotPath(dir.path()), dir.file("dump00001.png"));
  std::string written;
  ASSERT_TRUE(saveNextScreenshot(*m, dir.path(), &written));
  EXPECT_EQ(written, dir.file("dump00001.png"));
  ASSERT_TRUE(saveNextScreenshot(*m, dir.path(), &written));
  EXPECT_EQ(written, dir.file("dump00002.png"));
  // A name taken in another letter case counts as taken.
  dir.write("DUMP00003.PNG", "x");
  EXPECT_EQ(nextScreenshotPath(dir.path()), dir.file("dump00004.png"));
  EXPECT_FALSE(saveNextScreenshot(*m, dir.file("missing"), &written));
}

}  // namespace
}  // namespace tarvolin::machine
