// The picture options of `tarvolin run`: --screenshot FILE.png (the picture
// after the last frame) and --screenshot-every K --out DIR (the picture after
// every K-th frame, as DIR/frame00001.png ... numbered by frame).
#pragma once

#include <string>

#include "commands.h"
#include "machine/machine_state.h"

namespace tarvolin::cli {

struct ScreenshotOptions {
  std::string finalPath;  // empty: none
  int every = 0;          // 0: none
  std::string folder;

  // Takes the option at args[i] (and its value) when it is one of ours,
  // advancing i past the value. Returns 1 when taken, 0 when the option is
  // not ours, 2 on a usage error (message on stderr).
  int take(const Args& args, std::size_t& i);
  // After all options: 2 with a message when --screenshot-every lacks --out
  // or the folder cannot be made, else 0.
  int check() const;
  // After frame `frame` (1-based); false with a message when a file cannot
  // be written.
  bool afterFrame(const machine::MachineState& machine, int frame) const;
  // After the run; false with a message when the file cannot be written.
  bool afterRun(const machine::MachineState& machine) const;
};

}  // namespace tarvolin::cli
