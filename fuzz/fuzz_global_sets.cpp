// Reads arbitrary bytes as "global_names.txt" (load and text check); the
// list never ends empty, and what was read writes and reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/global_sets.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<GlobalSet> sets{defaultGlobalSet()};
  LineReader in(text);
  readGlobalSets(in, sets);
  if (sets.empty()) std::abort();
  const std::string written = writeGlobalSets(sets);
  std::vector<GlobalSet> back{defaultGlobalSet()};
  LineReader again(written);
  if (!readGlobalSets(again, back) || writeGlobalSets(back) != written) std::abort();
  GlobalSetList list;
  list.checkText(text);
  for (int v = 0; v < kGlobalCount; ++v) (void)list.findVariable(0, list.variableName(0, v));
  return 0;
}
