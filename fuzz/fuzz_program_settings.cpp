// Reads arbitrary bytes as "Settings.txt" (every value type of the program
// table, the enciphered password included); the written form must settle.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/program_settings.h"

using namespace tarvolin::project;

static std::string roundTrip(const std::string& text, ProgramSettings& s) {
  s = ProgramSettings{};
  SettingTable table = programSettingTable(s);
  applySettingDefaults(table);
  LineReader in(text);
  readSettings(in, table);
  return writeSettings(table);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ProgramSettings a, b, c;
  const std::string second = roundTrip(roundTrip(text, a), b);
  if (roundTrip(second, c) != second || !(b == c)) std::abort();
  std::string plain;
  if (decipherSetting(text, plain) && encipherSetting(plain).size() != text.size()) std::abort();
  return 0;
}
