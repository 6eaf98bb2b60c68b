// Input without a screen: a key source driven by a list of holds over frame
// ranges (the command-line runner's --press, and tests), and an emulator view
// whose state is set by hand.
#pragma once

#include <array>
#include <vector>

#include "platform/input.h"
#include "platform/keys.h"

namespace tarvolin::platform {

// Keys held over ranges of frames. The runner calls setFrame before it polls
// the pad; a key that is down in the new frame and was up before latches its
// "pressed since the last query" bit, as a real keyboard does.
class ScriptedKeySource final : public KeyStateSource {
 public:
  // Holds `virtualKey` down from `firstFrame` to `lastFrame`, both included.
  // Ignored for codes outside 1..255 or an empty range.
  void hold(int virtualKey, int firstFrame, int lastFrame);

  // Moves to `frame`: keys covered by a hold (or set by setKey) are down.
  void setFrame(int frame);
  int frame() const { return frame_; }

  // Puts one key down or up by hand, from now until changed again.
  void setKey(int virtualKey, bool down);

  KeyQuery queryKey(int virtualKey) override;

 private:
  struct Hold {
    int key;
    int first;
    int last;
  };
  void update();

  std::vector<Hold> holds_;
  int frame_ = 0;
  std::array<bool, kKeyCodeCount> manual_{};
  std::array<bool, kKeyCodeCount> down_{};
  std::array<bool, kKeyCodeCount> latch_{};
};

// An emulator view whose answers are plain fields. The runner uses it as an
// always-active 240x160 window with the cursor elsewhere; tests change it.
class FixedEmulatorView final : public EmulatorView {
 public:
  bool windowExists = true;
  bool active = true;
  bool underCursor = false;
  int width = 240;
  int height = 160;
  int cursorX = -1;
  int cursorY = -1;
  int mainWindowActivations = 0;  // calls of activateMainWindow
  int screenshots = 0;            // calls of takeScreenshot

  bool exists() const override { return windowExists; }
  bool isActive() const override { return windowExists && active; }
  bool isUnderCursor() const override { return windowExists && underCursor; }
  void clientSize(int& w, int& h) const override { w = width; h = height; }
  void cursorPosition(int& x, int& y) const override { x = cursorX; y = cursorY; }
  void activateMainWindow() override { ++mainWindowActivations; active = false; }
  void takeScreenshot() override { ++screenshots; }
};

}  // namespace tarvolin::platform
