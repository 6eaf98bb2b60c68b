// Reads arbitrary bytes as "macro.txt"; what was read must write and read
// back to the same bytes, and checking each definition must not fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/macros.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<Macro> first;
  LineReader in(std::string(reinterpret_cast<const char*>(data), size));
  readMacros(in, first);
  for (const Macro& m : first) {
    tarvolin::ErrorState errors;
    int line = 0;
    checkMacroDefinition(m, errors, line);
    (void)m.parameterCount();
  }
  const std::string written = writeMacros(first);
  std::vector<Macro> second;
  LineReader again(written);
  if (!readMacros(again, second)) std::abort();
  if (writeMacros(second) != written) std::abort();
  MacroList list;
  list.checkText(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
