// Feeds arbitrary bytes to the timing database reader and uses the table.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "script/timing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  tarvolin::script::TimingEngine engine;
  engine.LoadTimingDatabase(in, [](std::string_view) {});
  for (tarvolin::script::CommandId id = -1; id <= 202; ++id) {
    engine.AddCommandCost(id, static_cast<std::int32_t>(size) * 1000);
  }
  (void)engine.EstimatedScanLine();
  (void)engine.FrameLoadPercent();
  return 0;
}
