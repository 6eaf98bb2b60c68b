#include "workbench/frame_variables.h"

#include <array>
#include <limits>

#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace tarvolin {
namespace {

constexpr std::array<std::string_view, script::kFrameSlots> kNames = {
    "V_EV0", "V_EV1", "V_EV2", "V_EV3", "V_RV0", "V_RV1", "V_RV2",
    "V_RV3", "V_LV0", "V_LV1", "V_LV2", "V_LV3", "V_LV4", "V_LV5"};

bool Blank(char c) { return static_cast<unsigned char>(c) <= 32; }

int DigitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < base ? d : -1;
}

bool Refuse(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

}  // namespace

std::string_view FrameVariableName(int slot) {
  if (slot < 0 || slot >= script::kFrameSlots) return {};
  return kNames[static_cast<std::size_t>(slot)];
}

bool ParseVariableValue(std::string_view text, std::int32_t& value, std::string* why) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && Blank(text[begin])) ++begin;
  while (end > begin && Blank(text[end - 1])) --end;
  const std::string_view t = text.substr(begin, end - begin);
  const std::string shown(t);
  if (t.empty()) return Refuse(why, "Escriba un número para la variable.");
  const std::string notNumber =
      "«" + shown + "» no es un número: escriba un entero decimal (por ejemplo -12) o "
      "hexadecimal (por ejemplo 0x1F).";
  std::size_t p = 0;
  const bool negative = t[p] == '-';
  if (t[p] == '-' || t[p] == '+') ++p;
  int base = 10;
  if (p + 1 < t.size() && t[p] == '0' && (t[p + 1] == 'x' || t[p + 1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (p >= t.size()) return Refuse(why, notNumber);
  // Digits past the range keep the magnitude just above it; no overflow.
  constexpr std::uint64_t kCap = std::uint64_t{1} << 33;
  std::uint64_t magnitude = 0;
  for (; p < t.size(); ++p) {
    const int d = DigitValue(t[p], base);
    if (d < 0) return Refuse(why, notNumber);
    if (magnitude < kCap) magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  const std::string outOfRange =
      shown + " está fuera del rango de una variable (de -2147483648 a 2147483647, o de 0x0 a "
              "0xFFFFFFFF).";
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFu) return Refuse(why, outOfRange);
    const auto bits = static_cast<std::uint32_t>(magnitude);
    value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return Refuse(why, outOfRange);
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return true;
}

// ------------------------------------------------- the emulator's debugger

std::vector<script::StackFrameView> EmulatorControl::StoppedCallStack() const {
  if (wantsFrames()) return {};
  return bench_.scripts().interpreter().CallStack();
}

bool EmulatorControl::CanSetFrameVariables() const {
  return !wantsFrames() && bench_.scripts().interpreter().stoppedInRun();
}

bool EmulatorControl::SetFrameVariable(int depth, int slot, std::string_view text,
                                       std::string* why) {
  std::int32_t value = 0;
  if (!ParseVariableValue(text, value, why)) return false;
  if (!CanSetFrameVariables())
    return Refuse(why, "Las variables solo se pueden cambiar con el juego detenido en una línea.");
  if (slot < 0 || slot >= script::kFrameSlots ||
      !bench_.scripts().interpreter().SetFrameVariable(depth, slot, value))
    return Refuse(why, "Esa llamada ya no está en la pila.");
  return true;
}

}  // namespace tarvolin
