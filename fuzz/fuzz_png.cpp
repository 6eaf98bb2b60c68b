#include "image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::project;
  IndexedImage image;
  std::string error;
  if (readPng(ByteView(data, size), image, error)) fuzzing::checkImage(image, writePng, readPng);
  else if (error.empty()) std::abort();
  return 0;
}
