// The keys the game and the debug commands read: the emulator window's key
// and mouse-button presses by virtual-key code, and a game controller whose
// buttons press the keys the settings give those buttons.
#pragma once

#include <array>
#include <cstdint>

#include "platform/game_controller.h"
#include "platform/input.h"
#include "script/input.h"

namespace tarvolin::shell {

class GameKeys : public platform::KeyStateSource {
 public:
  // A key went down or up in the emulator window (auto-repeats are not
  // presses). Codes outside 1..255 are ignored.
  void press(int virtualKey);
  void release(int virtualKey);
  // Every key up (the window lost the focus).
  void releaseAll();

  // The controller's buttons, pressing the keys of `keyMap`.
  void setControllerButtons(const platform::ControllerButtons& down, const script::KeyMap& keyMap);

  platform::KeyQuery queryKey(int virtualKey) override;
  bool isDown(int virtualKey) const;

 private:
  void set(std::array<std::uint8_t, 256>& held, int virtualKey, bool down);

  std::array<std::uint8_t, 256> keyboard_{};    // held in the window
  std::array<std::uint8_t, 256> controller_{};  // held through the controller
  std::array<std::uint8_t, 256> latch_{};       // went down since the last query
};

}  // namespace tarvolin::shell
