// Reads arbitrary bytes as "arrays.txt"; what was read must write and read
// back to the same text, and laying the arrays out in memory and touching
// their first and last records must not fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/arrays.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<ArrayDef> first;
  LineReader in(std::string(reinterpret_cast<const char*>(data), size));
  readArrays(in, first);
  const std::string written = writeArrays(first);
  std::vector<ArrayDef> second;
  LineReader again(written);
  if (!readArrays(again, second)) std::abort();
  if (writeArrays(second) != written) std::abort();

  BufferMemory memory;
  ArrayList list;
  list.setMemory(&memory);
  list.items() = std::move(first);
  list.layout();
  for (int a = 0; a < list.count(); ++a) {
    const ArrayDef* def = list.at(a);
    for (int e = 0; e < int(def->elements.size()); ++e) {
      tarvolin::ErrorState err;
      std::int32_t values[12] = {};
      list.getValues(a, e, 0, 0, values, err);
      list.setValues(a, e, def->dimX - 1, def->twoDimensional() ? def->dimY - 1 : 0, values, err);
    }
  }
  return 0;
}
