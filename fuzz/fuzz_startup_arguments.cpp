// Scans arbitrary bytes as a start-up command line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/startup_arguments.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  for (const StartupArgument& a : parseStartupCommandLine(line))
    if ((a.option != 'P' && a.option != 'S') || a.value.empty() || a.value.size() > size)
      std::abort();
  return 0;
}
