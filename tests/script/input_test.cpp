#include "script/input.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/keys.h"
#include "platform/scripted_input.h"

namespace tarvolin::script {
namespace {

using platform::FixedEmulatorView;
using platform::ScriptedKeySource;

int var(int function, int button = 0) { return InputVariableNumber(function, button); }

// A pad driven by the runner's --press options, one frame at a time.
struct Rig {
  ScriptedKeySource keys;
  FixedEmulatorView view;
  KeyMap map = DefaultKeyMap();
  PadState pad;

  void press(const std::string& option) {
    PressRange range;
    std::string error;
    ASSERT_TRUE(ParsePressOption(option, range, error)) << error;
    ApplyPress(range, map, keys);
  }
  void frame(int n) {
    keys.setFrame(n);
    PollPad(pad, map, keys, view);
  }
  std::int32_t value(int function, int button = 0) const {
    return InputVariableValue(pad, var(function, button));
  }
};

TEST(Pad, ButtonHeldForThreeFrames) {
  Rig rig;
  rig.press("ButtonA@2-4");
  const int expectPressed[] = {0, 1, 0, 0, 0, 0};
  const int expectHeld[] = {0, 1, 1, 1, 0, 0};
  const int expectReleased[] = {0, 0, 0, 0, 1, 0};
  for (int f = 1; f <= 6; ++f) {
    rig.frame(f);
    EXPECT_EQ(rig.value(kIsButtonPressed, kButtonA), expectPressed[f - 1]) << f;
    EXPECT_EQ(rig.value(kIsButtonHeld, kButtonA), expectHeld[f - 1]) << f;
    EXPECT_EQ(rig.value(kIsButtonReleased, kButtonA), expectReleased[f - 1]) << f;
    EXPECT_EQ(rig.value(kIsButtonHeld, kButtonB), 0) << f;
  }
}

TEST(Pad, BitFieldsOfHeldPressedAndReleased) {
  Rig rig;
  rig.press("ButtonA@1-2");
  rig.press("start@1-2");
  rig.press("ShoulderLeft@2");
  rig.frame(1);
  EXPECT_EQ(rig.value(kGetButtonHeld), 9);
  EXPECT_EQ(rig.value(kGetButtonPressed), 9);
  EXPECT_EQ(rig.value(kGetButtonReleased), 0);
  rig.frame(2);
  EXPECT_EQ(rig.value(kGetButtonHeld), 9 + 512);
  EXPECT_EQ(rig.value(kGetButtonPressed), 512);
  rig.frame(3);
  EXPECT_EQ(rig.value(kGetButtonHeld), 0);
  EXPECT_EQ(rig.value(kGetButtonReleased), 9 + 512);
  // Every button reaches its own bit through the key map.
  Rig all;
  for (int b = 0; b < kButtonCount; ++b) {
    all.press(std::string(ButtonName(b)) + "@1");
  }
  all.frame(1);
  EXPECT_EQ(all.value(kGetButtonHeld), 1023);
}

TEST(Pad, FocusLossReadsEveryButtonAsUp) {
  Rig rig;
  rig.press("PadUp@1-10");
  rig.frame(1);
  EXPECT_EQ(rig.value(kIsButtonHeld, kButtonPadUp), 1);
  rig.view.active = false;
  rig.frame(2);
  EXPECT_EQ(rig.value(kIsButtonHeld, kButtonPadUp), 0);
  EXPECT_EQ(rig.value(kIsButtonReleased, kButtonPadUp), 1);
  EXPECT_EQ(rig.value(kGetButtonHeld), 0);
  rig.view.active = true;
  rig.frame(3);
  EXPECT_EQ(rig.value(kIsButtonPressed, kButtonPadUp), 1);
  // A view that does not exist is not active either.
  rig.view.windowExists = false;
  rig.frame(4);
  EXPECT_EQ(rig.value(kGetButtonHeld), 0);
}

TEST(Pad, EscapeAndPrintScreenActOncePerPress) {
  Rig rig;
  rig.keys.hold(platform::kKeyEscape, 2, 3);
  rig.keys.hold(platform::kKeyPrintScreen, 2, 3);
  rig.press("ButtonB@2");
  rig.frame(1);
  EXPECT_EQ(rig.view.mainWindowActivations, 0);
  rig.frame(2);
  EXPECT_EQ(rig.view.mainWindowActivations, 1);
  EXPECT_EQ(rig.view.screenshots, 1);
  // The buttons are still read in the poll that gave the focus away.
  EXPECT_EQ(rig.value(kIsButtonHeld, kButtonB), 1);
  rig.view.active = true;
  rig.frame(3);  // still held: the latch was used by the first poll
  EXPECT_EQ(rig.view.mainWindowActivations, 1);
  EXPECT_EQ(rig.view.screenshots, 1);
  // Print Screen works while the emulator window is inactive.
  rig.view.active = false;
  rig.keys.hold(platform::kKeyPrintScreen, 5, 5);
  rig.frame(4);
  rig.frame(5);
  EXPECT_EQ(rig.view.screenshots, 2);
}

TEST(Pad, CustomKeyMapAndUnboundButtons) {
  Rig rig;
  rig.map.keys[kButtonA] = 'Z';
  rig.map.keys[kButtonB] = 0;  // unbound
  rig.keys.setKey('Z', true);
  rig.keys.setKey(platform::kKeyA, true);
  rig.frame(1);
  EXPECT_EQ(rig.value(kGetButtonHeld), 1);
  KeyMap defaults = DefaultKeyMap();
  EXPECT_EQ(defaults.keys[kButtonA], 0x41);
  EXPECT_EQ(defaults.keys[kButtonB], 0x53);
  EXPECT_EQ(defaults.keys[kButtonSelect], 0x0D);
  EXPECT_EQ(defaults.keys[kButtonStart], 0x20);
  EXPECT_EQ(defaults.keys[kButtonPadRight], 0x27);
  EXPECT_EQ(defaults.keys[kButtonPadLeft], 0x25);
  EXPECT_EQ(defaults.keys[kButtonPadUp], 0x26);
  EXPECT_EQ(defaults.keys[kButtonPadDown], 0x28);
  EXPECT_EQ(defaults.keys[kButtonShoulderRight], 0x22);
  EXPECT_EQ(defaults.keys[kButtonShoulderLeft], 0x21);
}

TEST(Pad, InputVariableNumbersAndUnusedNumbers) {
  EXPECT_EQ(var(kIsButtonPressed, kButtonA), 80);
  EXPECT_EQ(var(kIsButtonHeld, kButtonPadUp), 106);
  EXPECT_EQ(var(kGetButtonPressed), 110);
  EXPECT_EQ(var(kGetButtonHeld, kButtonStart), 130);
  // The button enumeration follows the vocabulary's names.
  EXPECT_EQ(ButtonName(kButtonShoulderLeft), "ShoulderLeft");
  EXPECT_EQ(ButtonByName("padDOWN"), kButtonPadDown);
  EXPECT_EQ(ButtonByName("Pad"), -1);
  EXPECT_EQ(ButtonName(10), "");
  PadState pad;
  pad.current.fill(true);
  for (int n : {79, 111, 119, 135, 140, 179, 180, -5}) {
    EXPECT_EQ(InputVariableValue(pad, n), 0) << n;
  }
  EXPECT_EQ(InputVariableValue(pad, 130), 1023);
  pad.Clear();
  EXPECT_EQ(InputVariableValue(pad, 130), 0);
}

TEST(DebugKeys, MouseButtonsKeysLatchAndFocus) {
  ScriptedKeySource keys;
  FixedEmulatorView view;
  keys.setKey(platform::kKeyMouseLeft, true);
  keys.setKey(platform::kKeyMouseMiddle, true);
  keys.setKey('Q', true);
  EXPECT_EQ(DebugIsKeyPressed(0, keys, view), 1);
  // The latch is spent: a second query in the same frame sees no press.
  EXPECT_EQ(DebugIsKeyPressed(0, keys, view), 0);
  EXPECT_EQ(DebugIsKeyPressed(1, keys, view), 0);  // right button is up
  EXPECT_EQ(DebugIsKeyPressed(2, keys, view), 1);
  EXPECT_EQ(DebugIsKeyPressed('Q', keys, view), 1);
  EXPECT_EQ(DebugIsKeyPressed('Q', keys, view), 0);
  // Released and pressed again: seen again.
  keys.setKey('Q', false);
  keys.setKey('Q', true);
  // Not while another window is active; the press stays latched meanwhile.
  view.active = false;
  EXPECT_EQ(DebugIsKeyPressed('Q', keys, view), 0);
  view.active = true;
  EXPECT_EQ(DebugIsKeyPressed('Q', keys, view), 1);
  // Values that are no key codes are never pressed.
  for (std::int32_t k : {-1, 256, 100000, -2147483647 - 1}) {
    EXPECT_EQ(DebugIsKeyPressed(k, keys, view), 0) << k;
  }
}

TEST(DebugMouse, ScaledClientPosition) {
  FixedEmulatorView view;
  view.underCursor = true;
  std::int32_t x = 0, y = 0;
  view.width = 480;
  view.height = 320;
  view.cursorX = 100;
  view.cursorY = 50;
  DebugGetMousePosition(view, x, y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 25);
  view.width = 720;  // x3 wide, 160 high: y unscaled
  view.height = 160;
  view.cursorX = 719;
  view.cursorY = 159;
  DebugGetMousePosition(view, x, y);
  EXPECT_EQ(x, 239);
  EXPECT_EQ(y, 159);
  view.width = 240;
  view.height = 160;
  view.cursorX = 0;
  view.cursorY = 0;
  DebugGetMousePosition(view, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);

  auto expectOff = [&](const char* why) {
    std::int32_t ox = 7, oy = 7;
    DebugGetMousePosition(view, ox, oy);
    EXPECT_EQ(ox, -1) << why;
    EXPECT_EQ(oy, -1) << why;
  };
  view.cursorX = 240;
  expectOff("right of the client area");
  view.cursorX = -1;
  expectOff("left of the client area");
  view.cursorX = 10;
  view.cursorY = 160;
  expectOff("below the client area");
  view.cursorY = 10;
  view.underCursor = false;
  expectOff("another window under the cursor");
  view.underCursor = true;
  view.windowExists = false;
  expectOff("no emulator window");
  view.windowExists = true;
  view.width = 0;
  expectOff("empty client area");
  view.width = 240;
  view.active = false;  // focus does not matter for the mouse position
  DebugGetMousePosition(view, x, y);
  EXPECT_EQ(x, 10);
}

TEST(Pad, GamePadBundlesPollValuesAndDebugQueries) {
  ScriptedKeySource keys;
  FixedEmulatorView view;
  GamePad pad(keys, view);
  PressRange range;
  std::string error;
  ASSERT_TRUE(ParsePressOption("PadLeft@1-2", range, error));
  ApplyPress(range, pad.Keys(), keys);
  keys.setFrame(1);
  pad.Poll();
  EXPECT_EQ(pad.InputValue(var(kIsButtonPressed, kButtonPadLeft)), 1);
  EXPECT_EQ(pad.InputValue(var(kGetButtonHeld)), 32);
  // The latch is the key's, shared by every query: the poll already used
  // the press of the mapped key.
  EXPECT_FALSE(pad.DebugKeyPressed(platform::kKeyLeft));
  keys.setKey('Q', true);
  EXPECT_TRUE(pad.DebugKeyPressed('Q'));
  EXPECT_FALSE(pad.DebugKeyPressed('Q'));
  std::int32_t x = 0, y = 0;
  pad.MousePosition(x, y);
  EXPECT_EQ(x, -1);
  pad.Reset();
  EXPECT_EQ(pad.InputValue(var(kGetButtonHeld)), 0);
  KeyMap map = DefaultKeyMap();
  map.keys[kButtonA] = platform::kKeyLeft;
  pad.SetKeyMap(map);
  keys.setFrame(2);
  pad.Poll();
  EXPECT_EQ(pad.InputValue(var(kGetButtonHeld)), 33);
  // Attached to other seams, the pad reads only those.
  ScriptedKeySource other;
  FixedEmulatorView otherView;
  pad.Attach(other, otherView);
  other.hold(map.keys[kButtonB], 3, 3);
  other.setFrame(3);
  pad.Poll();
  EXPECT_EQ(pad.InputValue(var(kGetButtonHeld)), 2);
  otherView.active = false;
  other.setFrame(3);
  pad.Poll();
  EXPECT_EQ(pad.InputValue(var(kGetButtonHeld)), 0);
}

TEST(PressOption, SyntaxAndErrors) {
  PressRange r;
  std::string error;
  ASSERT_TRUE(ParsePressOption("ButtonA@3-5", r, error));
  EXPECT_EQ(r.button, kButtonA);
  EXPECT_EQ(r.first, 3);
  EXPECT_EQ(r.last, 5);
  ASSERT_TRUE(ParsePressOption("shoulderright@7", r, error));
  EXPECT_EQ(r.button, kButtonShoulderRight);
  EXPECT_EQ(r.first, 7);
  EXPECT_EQ(r.last, 7);

  const char* bad[] = {"ButtonA",  "ButtonA@",    "ButtonC@1",   "@1",        "ButtonA@0",
                       "ButtonA@x", "ButtonA@5-3", "ButtonA@3-", "ButtonA@-3", "ButtonA@1-2-3",
                       "ButtonA@99999999999", "ButtonA@ 3", "F_IsButtonHeldButtonA@1"};
  for (const char* text : bad) {
    error.clear();
    EXPECT_FALSE(ParsePressOption(text, r, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  ParsePressOption("Boton@1", r, error);
  EXPECT_NE(error.find("Boton"), std::string::npos);
  ParsePressOption("Start@9-2", r, error);
  EXPECT_NE(error.find("Start@9-2"), std::string::npos);
}

}  // namespace
}  // namespace tarvolin::script
