// XM reader, writer and player on arbitrary bytes (after the identification
// text, which the fuzzer is given so it can reach the rest).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "module_fuzz.h"
#include "sound/mixer.h"
#include "sound/music_player.h"
#include "sound/xm_reader.h"
#include "sound/xm_writer.h"

using namespace tarvolin::sound;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes = "Extended Module: ";
  bytes.append(reinterpret_cast<const char*>(data), size);
  auto module = std::make_shared<MusicModule>();
  if (!readXm(bytes, *module)) return 0;

  tarvolin::fuzz::CheckAndPlayModule(
      module, [](const MusicModule& m, std::string& out) { return writeXm(m, out); },
      [](const std::string& in, MusicModule& m) { return readXm(in, m); });
  return 0;
}
