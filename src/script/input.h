// The game pad and the debug input commands: the ten buttons sampled once per
// frame, the read-only F_ input variables, the key map, DebugIsKeyPressed and
// DebugGetMousePosition. Keys and the emulator window come through the input
// seams of platform/input.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/input.h"
#include "platform/scripted_input.h"
#include "script/operand.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

// Buttons by index (the names are ButtonNames() of the vocabulary); bit i of
// the F_Get... bit fields is button i.
enum PadButton : int {
  kButtonA = 0,
  kButtonB = 1,
  kButtonSelect = 2,
  kButtonStart = 3,
  kButtonPadRight = 4,
  kButtonPadLeft = 5,
  kButtonPadUp = 6,
  kButtonPadDown = 7,
  kButtonShoulderRight = 8,
  kButtonShoulderLeft = 9,
};

// "ButtonA", "ButtonB", "Select", ... ; empty for other indices.
std::string_view ButtonName(int button);
// The button with that whole name, ignoring case; -1 when none.
int ButtonByName(std::string_view name);

// Input functions by index (InputFunctionNames() of the vocabulary): the
// first three take a button after their name.
enum InputFunction : int {
  kIsButtonPressed = 0,
  kIsButtonReleased = 1,
  kIsButtonHeld = 2,
  kGetButtonPressed = 3,
  kGetButtonReleased = 4,
  kGetButtonHeld = 5,
};

// Variable number of an input function and button (button ignored for the
// three stand-alone functions). The operand parser reads the F_ names.
constexpr int InputVariableNumber(int function, int button) {
  return kVarInput0 + 10 * function + (function < kGetButtonPressed ? button : 0);
}
constexpr bool IsInputVariable(int number) {
  return number >= kVarInput0 && number < kVarInputEnd;
}

// The virtual key of each button, from the program settings.
struct KeyMap {
  std::array<int, kButtonCount> keys{};
};
// The program's default bindings: A, S, Enter, space, the arrows, Page Down,
// Page Up.
KeyMap DefaultKeyMap();

// Down flags of the ten buttons in this frame and in the previous one.
struct PadState {
  std::array<bool, kButtonCount> current{};
  std::array<bool, kButtonCount> previous{};
  void Clear() {
    current.fill(false);
    previous.fill(false);
  }
};

// Samples the pad once per frame, before the scripts run: current moves to
// previous; while the emulator window is active the mapped keys give the new
// current flags (Escape first hands the focus back to the main window),
// otherwise every button reads up; Print Screen asks for a screenshot.
void PollPad(PadState& pad, const KeyMap& keyMap, platform::KeyStateSource& keys,
             platform::EmulatorView& view);

// Value of input variable `number` (80..179); 0 for numbers that name nothing.
std::int32_t InputVariableValue(const PadState& pad, int number);

// DebugIsKeyPressed: 0, 1, 2 are the left, right and middle mouse buttons;
// other values are virtual-key codes. 1 when the emulator window is active
// and the key is down and went down since its last query, else 0.
std::int32_t DebugIsKeyPressed(std::int32_t key, platform::KeyStateSource& keys,
                               const platform::EmulatorView& view);

// DebugGetMousePosition: the cursor scaled to the 240x160 screen, or
// (-1, -1) when it is not inside the emulator window's client area.
void DebugGetMousePosition(const platform::EmulatorView& view, std::int32_t& x,
                           std::int32_t& y);

// The pad with its key map and the input seams: everything the interpreter
// reads for the F_ variables and the debug commands, and what the frame loop
// polls once per frame.
class GamePad {
 public:
  GamePad(platform::KeyStateSource& keys, platform::EmulatorView& view,
          const KeyMap& keyMap = DefaultKeyMap())
      : keys_(&keys), view_(&view), keyMap_(keyMap) {}

  // Reads keys and the window from other seams from now on (the runner's
  // scripted keys, the emulator window of the studio).
  void Attach(platform::KeyStateSource& keys, platform::EmulatorView& view) {
    keys_ = &keys;
    view_ = &view;
  }

  void Poll() { PollPad(pad_, keyMap_, *keys_, *view_); }
  // Every button up, now and before (display reset, emulator start).
  void Reset() { pad_.Clear(); }

  std::int32_t InputValue(int number) const { return InputVariableValue(pad_, number); }
  // DebugIsKeyPressed with the script's key value (0..2 the mouse buttons).
  bool DebugKeyPressed(std::int32_t key) { return DebugIsKeyPressed(key, *keys_, *view_) != 0; }
  void MousePosition(std::int32_t& x, std::int32_t& y) const {
    DebugGetMousePosition(*view_, x, y);
  }

  const PadState& State() const { return pad_; }
  const KeyMap& Keys() const { return keyMap_; }
  void SetKeyMap(const KeyMap& keyMap) { keyMap_ = keyMap; }

 private:
  platform::KeyStateSource* keys_;
  platform::EmulatorView* view_;
  KeyMap keyMap_;
  PadState pad_;
};

// One --press option of the headless runner: a button held from frame
// `first` to frame `last` (frames count from 1).
struct PressRange {
  int button = 0;
  int first = 0;
  int last = 0;
};

// Reads "BUTTON@FRAME" or "BUTTON@FIRST-LAST" (button names as above, any
// case). On failure `error` holds a message for the user.
bool ParsePressOption(std::string_view text, PressRange& range, std::string& error);

// Registers the holds of `range` with the scripted key source, through the key
// map.
void ApplyPress(const PressRange& range, const KeyMap& keyMap,
                platform::ScriptedKeySource& keys);

}  // namespace tarvolin::script
