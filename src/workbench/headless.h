// Opening and running a project without a screen: what `tarvolin preprocess`
// and `tarvolin run` do, and what tests do in their own process the same way.
#pragma once

#include <functional>
#include <string>

#include "workbench/workbench.h"

namespace tarvolin {

// Opens the project file for a headless session (no automatic preprocess)
// and readies the interpreter with the timing database found beside the
// program or else in `dataFolder`. False with `error` set ("no existe el
// proyecto ...", "no se puede abrir el proyecto ...").
bool OpenHeadless(Workbench& bench, const std::string& projectPath, const std::string& dataFolder,
                  std::string& error);

enum class HeadlessOutcome {
  Ran,       // every frame ran
  Failed,    // a run-time error stopped the game (its status line went to the host)
  Stopped,   // `after` asked to stop
};

// What a caller does around each frame (numbered from 1): `before` drives
// the pad, `after` takes screenshots or sound and returns false to stop.
struct FrameHooks {
  std::function<void(int frame)> before;
  std::function<bool(int frame)> after;
};

// Starts the preprocessed game and runs `frames` frames as the emulator
// does, stopping on an error; status lines go to the host's notes.
HeadlessOutcome RunHeadlessFrames(Workbench& bench, int frames, const FrameHooks& hooks = {});

}  // namespace tarvolin
