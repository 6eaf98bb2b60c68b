// Audio output through SDL2 (library tarvolin_sdl). SDL's device thread asks
// for bytes; they are taken from the buffers the engine wrote, and each time
// one is used up the engine is told, so it renders the next 2205 frames.
#pragma once

#include <memory>

#include "platform/audio_output.h"

namespace tarvolin::platform {

// A new SDL2 output; Open fails when SDL finds no audio device.
std::unique_ptr<AudioOutput> CreateSdlAudioOutput();

}  // namespace tarvolin::platform
