#include <cstdlib>

#include "project/images/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::project;
  std::vector<Rgb> colours;
  std::string error;
  if (readPaletteFile(ByteView(data, size), colours, error)) {
    if (colours.empty() || colours.size() > 256) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
