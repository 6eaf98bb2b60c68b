// The emulator picture saved as a PNG image.
#pragma once

#include <string>

#include "machine/machine_state.h"

namespace tarvolin::machine {

// Writes the 240x160 picture to `path` as an 8-bit RGB PNG. False when the
// file cannot be written (nothing half-written is left under the name).
bool writeScreenshot(const MachineState& state, const std::string& path);

// The first free name "dump00001.png", "dump00002.png" ... in `folder`, as
// a full path; empty when all 99999 are taken.
std::string nextScreenshotPath(const std::string& folder);

// Saves the picture under the next free name in `folder`; the path written
// goes to `written`. False on failure.
bool saveNextScreenshot(const MachineState& state, const std::string& folder, std::string* written);

}  // namespace tarvolin::machine
