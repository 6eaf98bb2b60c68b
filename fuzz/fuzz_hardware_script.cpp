// Scripts that drive the display hardware: any text, run for a few frames
// with a picture drawn after each, must end in success or a clean error and
// never read or write outside the machine's memories.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/host.h"
#include "script_fuzz.h"
#include "machine/machine_state.h"
#include "machine/renderer.h"
#include "commands/hardware_commands.h"
#include "script/timing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  using namespace tarvolin::commands;
  tarvolin::QuietHost host;
  tarvolin::machine::MachineState machine;
  TimingEngine timing;
  HardwareCommands hardware;
  hardware.bind(&machine, &timing);
  // A prelude that turns the picture on, so the renderer sees the scene.
  tarvolin::fuzz::RunFamilyScript(
      host, &hardware,
      "DisplaySetAttribute [BlankDisplay] 0\nDisplaySetAttribute [EnableSprite] 1\n" + std::string(reinterpret_cast<const char*>(data), size), 3,
      [&] { tarvolin::machine::renderFrame(machine, nullptr); });
  return 0;
}
