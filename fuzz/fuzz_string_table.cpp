// Reads arbitrary bytes as "string_table.txt"; what was read must write and
// read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/strings.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<StringRecord> first;
  LineReader in(text);
  readStrings(in, first);
  StringTable table;
  for (const StringRecord& r : first) table.add(r);
  const std::string written = writeStrings(first);
  std::vector<StringRecord> second;
  LineReader again(written);
  if (!readStrings(again, second)) std::abort();
  if (writeStrings(second) != written) std::abort();
  table.checkText(text);
  return 0;
}
