// Game controllers through SDL2's game-controller API (library tarvolin_sdl):
// the first connected controller drives the ten buttons; controllers may be
// plugged in and out while the program runs.
#pragma once

#include <memory>

#include "platform/game_controller.h"

namespace tarvolin::platform {

// Falls back to no controller when SDL's controller support cannot start.
std::unique_ptr<GameController> CreateSdlGameController();

}  // namespace tarvolin::platform
