// Scripts that drive the display hardware: any text, run for a few frames
// with a picture drawn after each, must end in success or a clean error and
// never read or write outside the machine's memories.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/host.h"
#include "machine/machine_state.h"
#include "machine/renderer.h"
#include "script/hardware_commands.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"
#include "script/timing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  tarvolin::QuietHost host;
  tarvolin::machine::MachineState machine;
  TimingEngine timing;
  HardwareCommands hardware;
  hardware.bind(&machine, &timing);
  MemoryScriptDocuments docs;
  // A prelude that turns the picture on, so the renderer sees the scene.
  docs.addFile("main.txt", "DisplaySetAttribute [BlankDisplay] 0\nDisplaySetAttribute [EnableSprite] 1\n" +
                               std::string(reinterpret_cast<const char*>(data), size));
  Interpreter interp(host);
  interp.setFamily(&hardware);
  interp.setDocuments(&docs);
  Preprocessor pre(interp);
  PreprocessInput in;
  in.mainScript = "main.txt";
  if (!pre.Preprocess(in, false)) return 0;
  for (int frame = 0; frame < 3; ++frame) {
    if (!interp.RunMainFrame(frame == 0)) return 0;
    tarvolin::machine::renderFrame(machine, nullptr);
  }
  return 0;
}
