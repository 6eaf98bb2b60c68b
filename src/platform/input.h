// The input seams: where the core learns about keys and the emulator window.
// The studio implements them over its windows, the command-line tool with a
// scripted key source, and tests with fakes.
#pragma once

namespace tarvolin::platform {

// One look at a key.
struct KeyQuery {
  bool down = false;                   // held right now
  bool pressedSinceLastQuery = false;  // went down since this key was last queried
};

// The keyboard and mouse buttons, by virtual-key number (keys.h).
class KeyStateSource {
 public:
  virtual ~KeyStateSource() = default;
  // Reports the key and clears its pressed-since-last-query latch, so two
  // queries of one key see a press only once. Codes outside 1..255 are never
  // down.
  virtual KeyQuery queryKey(int virtualKey) = 0;
};

// The window that shows the emulated screen.
class EmulatorView {
 public:
  virtual ~EmulatorView() = default;
  virtual bool exists() const = 0;
  // It is the active (focused) window.
  virtual bool isActive() const = 0;
  // It is the window under the mouse cursor.
  virtual bool isUnderCursor() const = 0;
  // Size of its client area in pixels.
  virtual void clientSize(int& width, int& height) const = 0;
  // The cursor in client coordinates (may lie outside the client area).
  virtual void cursorPosition(int& x, int& y) const = 0;

  // Gives the focus back to the main window (Escape in the emulator window).
  virtual void activateMainWindow() {}
  // Saves a screenshot of the emulated display (Print Screen).
  virtual void takeScreenshot() {}
};

}  // namespace tarvolin::platform
