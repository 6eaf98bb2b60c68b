// Reads arbitrary bytes as "paths.txt"; what was read must write and read
// back to the same bytes, and positions along each path must be computable.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/paths.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<MotionPath> first;
  LineReader in(text);
  readPaths(in, first);
  for (const MotionPath& p : first) {
    const std::int64_t d = p.duration();
    for (std::int64_t t : {std::int64_t(-1), std::int64_t(0), d / 2, d, d + 1}) (void)p.positionAt(t);
  }
  const std::string written = writePaths(first);
  std::vector<MotionPath> second;
  LineReader again(written);
  if (!readPaths(again, second)) std::abort();
  if (writePaths(second) != written) std::abort();
  PathList().checkText(text);
  return 0;
}
