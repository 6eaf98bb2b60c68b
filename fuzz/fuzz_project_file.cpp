// Reads arbitrary bytes as a project file. Writing what was read and
// reading it again must settle on the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/project.h"

using namespace tarvolin::project;

static std::string roundTrip(const std::string& text, ProjectSettings& s) {
  const DerivedDefaults d = derivedDefaults("fuzz");
  s = ProjectSettings{};
  SettingTable table = projectSettingTable(s, d);
  applySettingDefaults(table);
  LineReader in(text);
  readSettings(in, table);
  return writeSettings(table);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ProjectSettings a, b, c;
  const std::string first = roundTrip(std::string(reinterpret_cast<const char*>(data), size), a);
  const std::string second = roundTrip(first, b);
  const std::string third = roundTrip(second, c);
  if (second != third || !(b == c)) std::abort();
  (void)withoutTrailingSeparators(a.sourceRoot);
  return 0;
}
