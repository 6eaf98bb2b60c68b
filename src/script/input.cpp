#include "script/input.h"

#include <charconv>

#include "common/text.h"
#include "platform/keys.h"

namespace tarvolin::script {

namespace {

std::int32_t bitField(const PadState& pad, bool (*test)(bool current, bool previous)) {
  std::int32_t bits = 0;
  for (int b = 0; b < kButtonCount; ++b) {
    if (test(pad.current[b], pad.previous[b])) bits |= std::int32_t{1} << b;
  }
  return bits;
}

bool newlyDown(bool current, bool previous) { return current && !previous; }
bool newlyUp(bool current, bool previous) { return previous && !current; }
bool held(bool current, bool /*previous*/) { return current; }

// Reads a frame number 1..1000000000 that fills `text` entirely.
bool parseFrame(std::string_view text, int& frame) {
  if (text.empty() || text.size() > 10) return false;
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (value < 1 || value > 1000000000) return false;
  frame = static_cast<int>(value);
  return true;
}

}  // namespace

std::string_view ButtonName(int button) {
  auto names = ButtonNames();
  return (button >= 0 && std::size_t(button) < names.size()) ? names[std::size_t(button)]
                                                              : std::string_view();
}

int ButtonByName(std::string_view name) {
  auto names = ButtonNames();
  for (std::size_t b = 0; b < names.size(); ++b) {
    if (equalsIgnoreCase(name, names[b])) return int(b);
  }
  return -1;
}

KeyMap DefaultKeyMap() {
  using namespace platform;
  KeyMap map;
  map.keys[kButtonA] = kKeyA;
  map.keys[kButtonB] = kKeyS;
  map.keys[kButtonSelect] = kKeyEnter;
  map.keys[kButtonStart] = kKeySpace;
  map.keys[kButtonPadRight] = kKeyRight;
  map.keys[kButtonPadLeft] = kKeyLeft;
  map.keys[kButtonPadUp] = kKeyUp;
  map.keys[kButtonPadDown] = kKeyDown;
  map.keys[kButtonShoulderRight] = kKeyPageDown;
  map.keys[kButtonShoulderLeft] = kKeyPageUp;
  return map;
}

void PollPad(PadState& pad, const KeyMap& keyMap, platform::KeyStateSource& keys,
             platform::EmulatorView& view) {
  pad.previous = pad.current;
  if (view.isActive()) {
    platform::KeyQuery escape = keys.queryKey(platform::kKeyEscape);
    if (escape.down && escape.pressedSinceLastQuery) view.activateMainWindow();
    for (int b = 0; b < kButtonCount; ++b) {
      int key = keyMap.keys[b];
      pad.current[b] = platform::isKeyCode(key) && keys.queryKey(key).down;
    }
  } else {
    pad.current.fill(false);
  }
  platform::KeyQuery print = keys.queryKey(platform::kKeyPrintScreen);
  if (print.down && print.pressedSinceLastQuery) view.takeScreenshot();
}

std::int32_t InputVariableValue(const PadState& pad, int number) {
  if (!IsInputVariable(number)) return 0;
  int function = (number - kVarInput0) / 10;
  int button = (number - kVarInput0) % 10;
  switch (function) {
    case kIsButtonPressed:
      return newlyDown(pad.current[button], pad.previous[button]) ? 1 : 0;
    case kIsButtonReleased:
      return newlyUp(pad.current[button], pad.previous[button]) ? 1 : 0;
    case kIsButtonHeld:
      return pad.current[button] ? 1 : 0;
    case kGetButtonPressed:
      return button == 0 ? bitField(pad, newlyDown) : 0;
    case kGetButtonReleased:
      return button == 0 ? bitField(pad, newlyUp) : 0;
    case kGetButtonHeld:
      return button == 0 ? bitField(pad, held) : 0;
    default:
      return 0;
  }
}

std::int32_t DebugIsKeyPressed(std::int32_t key, platform::KeyStateSource& keys,
                               const platform::EmulatorView& view) {
  int virtualKey;
  switch (key) {
    case 0: virtualKey = platform::kKeyMouseLeft; break;
    case 1: virtualKey = platform::kKeyMouseRight; break;
    case 2: virtualKey = platform::kKeyMouseMiddle; break;
    default:
      // Values outside the key codes name no key; they never read as pressed.
      if (!platform::isKeyCode(key)) return 0;
      virtualKey = key;
  }
  if (!view.isActive()) return 0;
  platform::KeyQuery q = keys.queryKey(virtualKey);
  return (q.down && q.pressedSinceLastQuery) ? 1 : 0;
}

void DebugGetMousePosition(const platform::EmulatorView& view, std::int32_t& x,
                           std::int32_t& y) {
  x = -1;
  y = -1;
  if (!view.exists() || !view.isUnderCursor()) return;
  int width = 0, height = 0, cx = 0, cy = 0;
  view.clientSize(width, height);
  view.cursorPosition(cx, cy);
  // An empty client area holds no point (and must not be divided by).
  if (width <= 0 || height <= 0) return;
  if (cx < 0 || cy < 0 || cx >= width || cy >= height) return;
  x = (width == 240) ? cx : static_cast<std::int32_t>(std::int64_t{cx} * 240 / width);
  y = (height == 160) ? cy : static_cast<std::int32_t>(std::int64_t{cy} * 160 / height);
}

bool ParsePressOption(std::string_view text, PressRange& range, std::string& error) {
  std::string shown(1, '\'');
  shown.append(text).push_back('\'');
  std::size_t at = text.find('@');
  if (at == std::string_view::npos) {
    error = "--press necesita BOTÓN@CUADRO o BOTÓN@PRIMERO-ÚLTIMO: " + shown;
    return false;
  }
  std::string_view name = text.substr(0, at);
  int button = ButtonByName(name);
  if (button < 0) {
    error = "Botón desconocido en --press: '";
    error.append(name).append(
        "' (ButtonA, ButtonB, Select, Start, PadRight, PadLeft, PadUp, PadDown, "
        "ShoulderRight, ShoulderLeft)");
    return false;
  }
  std::string_view frames = text.substr(at + 1);
  std::size_t dash = frames.find('-');
  int first = 0, last = 0;
  bool ok = (dash == std::string_view::npos)
                ? parseFrame(frames, first) && parseFrame(frames, last)
                : parseFrame(frames.substr(0, dash), first) &&
                      parseFrame(frames.substr(dash + 1), last);
  if (!ok) {
    error = "Cuadro inválido en --press (se esperan números de cuadro desde 1): " + shown;
    return false;
  }
  if (last < first) {
    error = "El último cuadro es anterior al primero en --press: " + shown;
    return false;
  }
  range = PressRange{button, first, last};
  return true;
}

void ApplyPress(const PressRange& range, const KeyMap& keyMap,
                platform::ScriptedKeySource& keys) {
  if (range.button < 0 || range.button >= kButtonCount) return;
  keys.hold(keyMap.keys[range.button], range.first, range.last);
}

}  // namespace tarvolin::script
