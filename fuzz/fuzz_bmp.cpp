#include "image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::project;
  IndexedImage image;
  std::string error;
  if (readBmp(ByteView(data, size), image, error)) {
    // The writer makes 1, 4 and 8 bits, the depths the reader gives back.
    fuzzing::checkImage(image, writeBmp, readBmp);
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
