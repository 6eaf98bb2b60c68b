// Scripts are outside input: any text, preprocessed and run for a few frames
// with both callbacks, must end in success or a clean error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/host.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  // The input holds the main script, then after a NUL byte a second script
  // ("lib.txt"), then after another one the body of the macro "M".
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string parts[3];
  int part = 0;
  for (char c : text) {
    if (c == '\0' && part < 2) ++part;
    else parts[part] += c;
  }
  tarvolin::QuietHost host;
  MemoryScriptDocuments docs;
  docs.addFile("main.txt", parts[0]);
  docs.addFile("lib.txt", parts[1]);
  Interpreter interp(host);
  interp.setDocuments(&docs);
  Preprocessor pre(interp);
  PreprocessInput in;
  in.mainScript = "main.txt";
  in.macros.push_back({"M", SplitLines(parts[2]), 2});
  if (!pre.Preprocess(in, false)) return 0;
  for (int frame = 0; frame < 3; ++frame) {
    if (!interp.RunMainFrame(frame == 0)) return 0;
    for (int line = 0; line < 160; ++line)
      if (!interp.RunHBlankCallback(line)) return 0;
    if (!interp.RunVBlankCallback()) return 0;
  }
  return 0;
}
