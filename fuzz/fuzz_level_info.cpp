// Reads arbitrary bytes as "level_info.txt"; what was read must write and
// read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/levels.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<Level> first;
  LineReader in(text);
  readLevelInfo(in, first);
  const std::string written = writeLevelInfo(first);
  std::vector<Level> second;
  LineReader again(written);
  if (!readLevelInfo(again, second)) std::abort();
  if (writeLevelInfo(second) != written) std::abort();
  LevelList().checkText(text);
  return 0;
}
