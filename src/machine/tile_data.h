// Pixels of the tile areas, for the tile-data commands and the tile viewer.
// Target 0 is the background area (VRAM from 0, 64 KB), 1 the sprite area
// (VRAM from 0x10000, 32 KB); colour mode 0 has 32-byte tiles with the even
// column in the high nibble, mode 1 64-byte tiles of one byte a pixel.
#pragma once

#include "machine/machine_state.h"

namespace tarvolin::machine {

// Tiles in an area: 2048 / 1024 (BG) or 1024 / 512 (SPRITE); 0 for a bad
// target or colour mode.
int tileCount(int target, int colourMode);

// One pixel; false for a bad target, colour mode, tile or coordinate
// (x and y 0..7). Setting a 16-colour pixel keeps the low 4 bits of value.
bool tilePixel(const MachineState& state, int target, int colourMode, int tile, int x, int y, int& value);
bool setTilePixel(MachineState& state, int target, int colourMode, int tile, int x, int y, int value);

}  // namespace tarvolin::machine
