// Motion paths: named polylines of screen points with a speed per point. An
// object follows a path frame by frame; the frames of each segment follow
// from its length and the speed of the point it leads to. Kept in
// "paths.txt" (no header; per path "#name", one "$x,y,speed" line per point,
// an empty line).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "project/named_list.h"

namespace tarvolin::project {

struct PathPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  double speed = 1.0;       // pixels per frame on the way to this point
  std::uint32_t frames = 0;  // computed: frames from this point to the next
  bool operator==(const PathPoint&) const = default;
};

struct PathPosition {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool moving = false;  // false: the path has ended (or is empty)
};

struct MotionPath {
  std::string name;
  std::vector<PathPoint> points;
  int current = -1;  // the editor's current point; the last one after loading

  // Recomputes every point's frames: the rounded distance to the next point
  // divided by that point's speed, at least 1; the last point 0. A speed of
  // zero, below zero or not a number cannot be divided by, so such a segment
  // takes 1 frame when it has no length and the longest time otherwise.
  void updateTiming();
  // The sum of all frames.
  std::int64_t duration() const;
  // The position at frame t (frames before 0 count as frame 0).
  PathPosition positionAt(std::int64_t t) const;

  bool operator==(const MotionPath&) const = default;
};

// The frames of one segment (see updateTiming).
std::uint32_t segmentFrames(double dx, double dy, double speed);

// Reads paths until the end of the file, appending to `out` (timing
// computed). False when a point line does not give three values.
bool readPaths(LineReader& in, std::vector<MotionPath>& out);
std::string writePaths(const std::vector<MotionPath>& paths);

class PathList : public AssetFamily, public NamedList<MotionPath, NameMember> {
 public:
  using NamedList::items;
  std::vector<MotionPath>& items() { return items_; }
  // Works out the path's timing and adds it; false for an empty or taken name.
  bool add(MotionPath path);


  static bool loadInto(const std::string& path, std::vector<MotionPath>& other);

  std::string_view fileName() const override { return "paths.txt"; }
  std::string_view saveFailureMessage() const override { return "Error: al escribir recorrido"; }
  CheckKind checkKind() const override { return CheckKind::Paths; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

 private:
};

}  // namespace tarvolin::project
