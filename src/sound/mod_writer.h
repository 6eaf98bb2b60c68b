// Writing MOD modules in the layout the reader takes.
#pragma once

#include <string>

#include "sound/module.h"

namespace tarvolin::sound {

// The MOD bytes of a module; false for channel counts outside 1..99, which no
// MOD signature can name. Effects above F and key-offs cannot be expressed
// and are written as empty.
bool writeMod(const MusicModule& module, std::string& out);
bool saveMod(const MusicModule& module, const std::string& path);

}  // namespace tarvolin::sound
