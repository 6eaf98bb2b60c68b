// Turns the MachineState into its 240x160 picture, line by line, giving the
// game a callback after each line and one after the frame.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/machine_state.h"

namespace tarvolin::machine {

enum class CallbackResult {
  Continue,  // the callback finished (or had nothing to do)
  Failed,    // it failed; the game has been stopped with its error
  Paused,    // the game paused inside it (breakpoint or step)
};

// Implemented by the interpreter: the per-line (HBlank) and per-frame
// (VBlank) callbacks. They run only in video modes 0..2 with the display
// not blanked.
class FrameCallbacks {
 public:
  virtual ~FrameCallbacks() = default;
  virtual CallbackResult lineDrawn(int line) = 0;
  virtual CallbackResult frameDrawn() = 0;
};

// Renders one frame into state.picture. `callbacks` may be null. With
// `resume` a frame that paused inside the per-line callback goes on at its
// paused line (redrawing it and continuing that callback). Returns false when
// a callback failed. After a pause the frame is left unfinished
// (state.frameUnfinished, state.resumeLine) and true is returned.
bool renderFrame(MachineState& state, FrameCallbacks* callbacks, bool resume = false);

// Draws one scan line (0..159) of the tiled modes into the picture, with the
// windows, sprites and blending. Also leaves the line's layer identities in
// state.layerIds.
void renderLine(MachineState& state, int line);

// Draws a layer's whole map, map size x 8 pixels square tiles, into `out`
// (32-bit pixels: blue, green, red, 0; width = map width x 8). With
// `onlyMarked` just the cells marked as written are drawn and their marks
// cleared. Transparent pixels get the backdrop colour. Returns false for a
// bad layer or an unavailable one.
bool drawWholeMap(MachineState& state, int layer, std::vector<std::uint32_t>& out, bool onlyMarked);

}  // namespace tarvolin::machine
