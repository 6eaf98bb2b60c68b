// What the script fuzz targets share: a main script run through the
// preprocessor and the interpreter, with one command family, for a few frames.
#pragma once

#include <functional>
#include <string>

#include "common/host.h"
#include "script/command_family.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"

namespace tarvolin::fuzz {

// Runs `text` as the main script for `frames` frames; `afterFrame` (optional)
// follows every frame that ran without error.
inline void RunFamilyScript(Host& host, script::CommandFamily* family, const std::string& text,
                            int frames, const std::function<void()>& afterFrame = {}) {
  using namespace tarvolin::script;
  MemoryScriptDocuments docs;
  docs.addFile("main.txt", text);
  Interpreter interp(host);
  if (family) interp.setFamily(family);
  interp.setDocuments(&docs);
  Preprocessor pre(interp);
  PreprocessInput in;
  in.mainScript = "main.txt";
  if (!pre.Preprocess(in, false)) return;
  for (int frame = 0; frame < frames; ++frame) {
    if (!interp.RunMainFrame(frame == 0)) return;
    if (afterFrame) afterFrame();
  }
}

}  // namespace tarvolin::fuzz
