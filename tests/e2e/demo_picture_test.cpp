// The sample project runs headless and leaves its picture: sky, ground, the
// ball sprite where the game's log says it is, and its see-through shadow.
#include <filesystem>

#include "e2e/picture_game.h"

namespace tarvolin::test {

namespace {

std::uint16_t rgb15(int r, int g, int b) { return std::uint16_t(r | g << 5 | b << 10); }

}  // namespace

TEST(PictureRun, SampleProjectShowsItsScene) {
  TempDir dir;
  std::filesystem::copy(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/../examples/demo", dir.path(),
                        std::filesystem::copy_options::recursive);
  const std::string shot = dir.file("demo.png");
  const ToolResult r = runTool({"run", dir.file("demo.tvp"), "--frames", "30", "--screenshot", shot});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("cuadro  15: bola en x= 75"), std::string::npos) << r.out;
  const std::vector<std::uint32_t> picture = readPicture(shot);
  ASSERT_EQ(picture.size(), 240u * 160u);
  auto at = [&](int x, int y) { return picture[std::size_t(y * 240 + x)]; };
  for (int x = 0; x < 240; ++x) EXPECT_EQ(at(x, 0), shown(rgb15(10, 18, 31))) << x;  // top sky band
  EXPECT_EQ(at(0, 140), shown(rgb15(6, 24, 6)));   // grass
  EXPECT_EQ(at(4, 140), shown(rgb15(3, 16, 3)));   // its darker diagonal
  EXPECT_EQ(at(10, 150), shown(rgb15(16, 10, 4)));  // soil
  // After 29 moves of 5 the ball (16x16 at y 120) stands at x 145.
  EXPECT_EQ(at(153, 128), shown(rgb15(31, 6, 4)));
  EXPECT_EQ(at(145, 120), at(140, 120));  // a cut corner shows the sky
  // The shadow (16x8 at y 134) blends half and half with the grass.
  EXPECT_EQ(at(146, 140), 0x206828u);
}

}  // namespace tarvolin::test
