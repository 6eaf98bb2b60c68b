// Line and filled-triangle drawing on the bitmap page that is not shown.
// In the tiled video modes both do nothing.
#pragma once

#include "machine/machine_state.h"

namespace tarvolin::machine {

// Colour: a 15-bit colour in modes 3 and 5, a palette index (its low 8 bits)
// in mode 4. Points off the page are skipped.
void drawLine(MachineState& state, int x1, int y1, int x2, int y2, int colour);
void drawTriangle(MachineState& state, int x1, int y1, int x2, int y2, int x3, int y3, int colour);

}  // namespace tarvolin::machine
