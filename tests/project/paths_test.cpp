#include "project/paths.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace tarvolin::project {

namespace {
MotionPath samplePath() {
  MotionPath p;
  p.name = "walk";
  p.points = {PathPoint{0, 0, 1.0}, PathPoint{30, 40, 2.0}, PathPoint{30, 40, 1.0}};
  p.updateTiming();
  return p;
}
}  // namespace

TEST(MotionPath, TimingAndPositions) {
  const MotionPath p = samplePath();
  EXPECT_EQ(p.points[0].frames, 25u);
  EXPECT_EQ(p.points[1].frames, 1u);  // no distance still takes a frame
  EXPECT_EQ(p.points[2].frames, 0u);
  EXPECT_EQ(p.duration(), 26);

  PathPosition at = p.positionAt(10);
  EXPECT_EQ(at.x, 12);
  EXPECT_EQ(at.y, 16);
  EXPECT_TRUE(at.moving);
  at = p.positionAt(0);
  EXPECT_EQ(at.x, 0);
  EXPECT_TRUE(at.moving);
  at = p.positionAt(25);  // the zero-length segment
  EXPECT_EQ(at.x, 30);
  EXPECT_TRUE(at.moving);
  at = p.positionAt(26);
  EXPECT_EQ(at.x, 30);
  EXPECT_EQ(at.y, 40);
  EXPECT_FALSE(at.moving);
  at = p.positionAt(-5);  // before the start: the first point
  EXPECT_EQ(at.x, 0);
  EXPECT_TRUE(at.moving);

  // Truncation toward zero in both directions.
  MotionPath back;
  back.points = {PathPoint{10, 10, 1.0}, PathPoint{0, 0, 1.0}};
  back.updateTiming();
  EXPECT_EQ(back.points[0].frames, 14u);  // 14.14 rounds to 14
  at = back.positionAt(1);
  EXPECT_EQ(at.x, 10);  // 10 - 0.71 truncates toward zero
  EXPECT_EQ(back.positionAt(2).x, 9);
}

TEST(MotionPath, OnePointEmptyAndUnusableSpeeds) {
  MotionPath one;
  one.points = {PathPoint{7, -3, 1.0}};
  one.updateTiming();
  for (int t : {0, 1, 1000}) {
    PathPosition at = one.positionAt(t);
    EXPECT_EQ(at.x, 7);
    EXPECT_EQ(at.y, -3);
    EXPECT_FALSE(at.moving);
  }
  EXPECT_EQ(one.duration(), 0);
  EXPECT_FALSE(MotionPath().positionAt(0).moving);

  EXPECT_EQ(segmentFrames(3, 4, 0.0), 0x7FFFFFFFu);
  EXPECT_EQ(segmentFrames(0, 0, 0.0), 1u);
  EXPECT_EQ(segmentFrames(3, 4, -1.0), 0x7FFFFFFFu);
  EXPECT_EQ(segmentFrames(3, 4, 1e-300), 0x7FFFFFFFu);
  EXPECT_EQ(segmentFrames(3, 4, 100.0), 1u);
  // Far-apart points do not overflow the distance.
  MotionPath far;
  far.points = {PathPoint{INT32_MIN, INT32_MIN, 1.0}, PathPoint{INT32_MAX, INT32_MAX, 1.0}};
  far.updateTiming();
  EXPECT_EQ(far.points[0].frames, 0x7FFFFFFFu);
  EXPECT_TRUE(far.positionAt(1000).moving);
}

TEST(PathFile, RoundTripAndReadingRules) {
  const std::string text = writePaths({samplePath()});
  EXPECT_EQ(text, "#walk\n$0,0,1.000000\n$30,40,2.000000\n$30,40,1.000000\n\n");
  std::vector<MotionPath> back;
  LineReader in(text);
  ASSERT_TRUE(readPaths(in, back));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].points, samplePath().points);
  EXPECT_EQ(back[0].current, 2);
  EXPECT_EQ(writePaths(back), text);

  // Empty names add nothing; a path without points is kept; an entry ends
  // at its first non-point line.
  back.clear();
  LineReader in2("#\n$1,2,3\n\n#still\n#next\n$-4,5,0.5\nstray\n");
  ASSERT_TRUE(readPaths(in2, back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0].points.empty());
  EXPECT_EQ(back[1].points[0].x, -4);
  EXPECT_EQ(back[1].points[0].speed, 0.5);

  for (const char* bad : {"#a\n$1,2\n", "#a\n$1;2;3\n", "#a\n$x,2,3\n", "#a\n$1,2,speed\n"}) {
    std::vector<MotionPath> got;
    LineReader bin(std::string("#kept\n$0,0,1\n\n") + bad);
    EXPECT_FALSE(readPaths(bin, got)) << bad;
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].name, "kept");
  }

  test::TempDir dir;
  PathList list;
  ASSERT_TRUE(list.add(samplePath()));
  EXPECT_FALSE(list.add(samplePath()));
  const std::string file = dir.file("paths.txt");
  ASSERT_TRUE(list.save(file));
  PathList loaded;
  ASSERT_TRUE(loaded.load(file));
  ASSERT_TRUE(loaded.save(file));
  EXPECT_EQ(test::TempDir::read(file), text);
  EXPECT_TRUE(list.checkText(text));
  EXPECT_FALSE(list.checkText("#a\n$1,2\n"));
}

}  // namespace tarvolin::project
