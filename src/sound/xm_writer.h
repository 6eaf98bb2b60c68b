// Writing XM ("Extended Module: ") modules in the layout the reader takes.
#pragma once

#include <cstdint>
#include <string>

#include "sound/module.h"

namespace tarvolin::sound {

// The volume-column byte of a converted volume effect (0 when none).
std::uint8_t volumeColumnByte(std::uint8_t effect, std::uint8_t parameter);

// The XM bytes of a module; false when a pattern's packed data would exceed
// what the layout can count (65535 bytes) or the module has no channels.
bool writeXm(const MusicModule& module, std::string& out);
bool saveXm(const MusicModule& module, const std::string& path);

}  // namespace tarvolin::sound
