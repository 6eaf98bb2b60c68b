#include "project/paths.h"
#include "platform/files.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "common/text.h"

namespace tarvolin::project {

std::uint32_t segmentFrames(double dx, double dy, double speed) {
  const double distance = std::sqrt(dx * dx + dy * dy);
  if (!(speed > 0.0)) return distance == 0.0 ? 1u : std::numeric_limits<std::int32_t>::max();
  const double frames = std::floor(distance / speed + 0.5);
  if (frames < 1.0) return 1;
  // Kept within a signed count so durations and frame arithmetic never wrap.
  if (!(frames < double(std::numeric_limits<std::int32_t>::max())))
    return std::numeric_limits<std::int32_t>::max();
  return std::uint32_t(frames);
}

void MotionPath::updateTiming() {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i + 1 == points.size()) {
      points[i].frames = 0;
      break;
    }
    const double dx = double(points[i + 1].x) - double(points[i].x);
    const double dy = double(points[i + 1].y) - double(points[i].y);
    points[i].frames = segmentFrames(dx, dy, points[i + 1].speed);
  }
}

std::int64_t MotionPath::duration() const {
  std::int64_t sum = 0;
  for (const PathPoint& p : points) sum += p.frames;
  return sum;
}

PathPosition MotionPath::positionAt(std::int64_t t) const {
  if (points.empty()) return {};
  if (t < 0) t = 0;
  std::int64_t sum = 0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const std::int64_t frames = points[i].frames;
    if (frames > 0 && sum <= t && t < sum + frames) {
      const std::int64_t step = t - sum;
      const PathPoint& a = points[i];
      const PathPoint& b = points[i + 1];
      const std::int64_t x = a.x + (step * (std::int64_t(b.x) - a.x)) / frames;
      const std::int64_t y = a.y + (step * (std::int64_t(b.y) - a.y)) / frames;
      return PathPosition{std::int32_t(x), std::int32_t(y), true};
    }
    sum += frames;
  }
  return PathPosition{points.back().x, points.back().y, false};
}

namespace {
// "$x,y,speed" as the file writes it: "%d,%d,%f".
bool parsePoint(std::string_view text, PathPoint& point) {
  std::int64_t x = 0, y = 0;
  double speed = 0;
  const std::size_t c1 = text.find(',');
  if (c1 == std::string_view::npos) return false;
  const std::size_t c2 = text.find(',', c1 + 1);
  if (c2 == std::string_view::npos) return false;
  if (!parseInt64(text.substr(0, c1), x) || !parseInt64(text.substr(c1 + 1, c2 - c1 - 1), y) ||
      !parseReal(text.substr(c2 + 1), speed))
    return false;
  // "%d," reads: blanks, a sign, digits, and the comma right after them.
  auto wholeNumber = [](std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && (part[i] == ' ' || (part[i] >= '\t' && part[i] <= '\r'))) ++i;
    if (i < part.size() && (part[i] == '+' || part[i] == '-')) ++i;
    if (i == part.size()) return false;
    for (; i < part.size(); ++i)
      if (part[i] < '0' || part[i] > '9') return false;
    return true;
  };
  if (!wholeNumber(text.substr(0, c1)) || !wholeNumber(text.substr(c1 + 1, c2 - c1 - 1)))
    return false;
  point.x = std::int32_t(x);
  point.y = std::int32_t(y);
  point.speed = speed;
  return true;
}
}  // namespace

bool readPaths(LineReader& in, std::vector<MotionPath>& out) {
  std::string name, line;
  while (nextEntry(in, name)) {
    MotionPath path;
    path.name = std::move(name);
    while (in.next(line)) {
      if (line.empty() || line[0] != '$') {
        if (!line.empty() && line[0] == '#') in.unread();
        break;
      }
      PathPoint point;
      if (!parsePoint(std::string_view(line).substr(1), point)) return false;
      path.points.push_back(point);
    }
    if (path.name.empty()) continue;
    path.updateTiming();
    path.current = int(path.points.size()) - 1;
    out.push_back(std::move(path));
  }
  return true;
}

std::string writePaths(const std::vector<MotionPath>& paths) {
  AssetWriter w;
  for (const MotionPath& p : paths) {
    w.beginEntry(p.name);
    for (const PathPoint& pt : p.points)
      w.line('$', formatInt(pt.x) + "," + formatInt(pt.y) + "," + formatReal(pt.speed));
    w.endEntry();
  }
  return w.text();
}

bool PathList::add(MotionPath path) {
  path.updateTiming();
  return NamedList::add(std::move(path));
}




bool PathList::loadInto(const std::string& path, std::vector<MotionPath>& other) {
  other.clear();
  return loadAssetFile(path, other, readPaths);
}

bool PathList::load(const std::string& path) { return loadInto(path, items_); }

bool PathList::save(const std::string& path) const { return platform::safeWrite(path, writePaths(items_)); }

bool PathList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<MotionPath>>(text, readPaths);
}

}  // namespace tarvolin::project
