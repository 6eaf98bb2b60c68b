// MOD reader, writer and player on arbitrary bytes: reading never fails on
// what follows the header, and whatever was read plays and saves.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "module_fuzz.h"
#include "sound/mixer.h"
#include "sound/mod_reader.h"
#include "sound/mod_writer.h"
#include "sound/music_player.h"

using namespace tarvolin::sound;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto module = std::make_shared<MusicModule>();
  if (!readMod(std::string_view(reinterpret_cast<const char*>(data), size), *module)) return 0;

  tarvolin::fuzz::CheckAndPlayModule(
      module, [](const MusicModule& m, std::string& out) { return writeMod(m, out); },
      [](const std::string& in, MusicModule& m) { return readMod(in, m); });
  return 0;
}
