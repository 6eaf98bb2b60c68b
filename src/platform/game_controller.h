// A game controller as a source of the ten GBA buttons, beside the keyboard.
// The studio polls it once per frame (and now and then while idle, to notice
// a controller plugged in).
#pragma once

#include <array>
#include <string>

namespace tarvolin::platform {

// Buttons in the pad's order: A, B, Select, Start, right, left, up, down,
// right shoulder, left shoulder.
using ControllerButtons = std::array<bool, 10>;

class GameController {
 public:
  virtual ~GameController() = default;
  // Reads the controllers and fills `down` (all up when none is connected).
  // False when no controller is connected.
  virtual bool Poll(ControllerButtons& down) = 0;
  // Name of the controller in use; empty when none.
  virtual std::string Name() const { return {}; }
};

// No controller at all.
class NoGameController : public GameController {
 public:
  bool Poll(ControllerButtons& down) override {
    down.fill(false);
    return false;
  }
};

}  // namespace tarvolin::platform
