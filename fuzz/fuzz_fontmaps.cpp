// Reads arbitrary bytes as "fontmaps.txt"; what was read must write and read
// back to the same bytes, and mapping characters must stay inside the maps.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/fontmaps.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<FontMap> first;
  LineReader in(text);
  readFontMaps(in, first);
  for (FontMap& m : first) {
    if (m.coveredCount() > 100000) continue;  // keep each run small
    for (int c : {0, int('A'), int('z'), 0xFFFF}) {
      if (auto g = m.glyphOf(c)) (void)m.sizeOf(*g);
    }
  }
  std::vector<FontMap> small;
  for (const FontMap& m : first)
    if (m.coveredCount() <= 100000) small.push_back(m);
  const std::string written = writeFontMaps(small);
  std::vector<FontMap> second;
  LineReader again(written);
  if (!readFontMaps(again, second)) std::abort();
  if (writeFontMaps(second) != written) std::abort();
  FontMapList().checkText(text);
  return 0;
}
