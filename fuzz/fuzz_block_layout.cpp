// Reads arbitrary bytes with the block-layout readers, as a section with
// records, fields and a nested section (the shape tile lists use).
#include <cstdint>
#include <string>

#include "project/asset_file.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LineReader in(std::string(reinterpret_cast<const char*>(data), size));
  if (openSection(in, "Tilelist") != SectionOpen::Found) return 0;
  std::string value;
  int records = 0;
  while (nextBlockItem(in) == BlockItem::Record) {
    for (int i = 0; i < 5 && readField(in, value); ++i) {
    }
    if (openSection(in, "TilelistEntry") == SectionOpen::Found)
      while (nextBlockItem(in) == BlockItem::Record)
        while (readField(in, value)) {
        }
    ++records;
  }
  return records < 0;
}
