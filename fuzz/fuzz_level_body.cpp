// Reads arbitrary bytes as a level body; a body that reads must write in the
// current version and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/level_body.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LevelBody body;
  if (!readLevelBody(std::string_view(reinterpret_cast<const char*>(data), size), body)) return 0;
  const std::string written = writeLevelBody(body);
  LevelBody again;
  if (!readLevelBody(written, again) || !(again == body)) std::abort();
  if (writeLevelBody(again) != written) std::abort();
  return 0;
}
