// Operand words: the 32-bit parsed form of one operand. The interpreter
// decodes each word once into an Operand (exec_operand.h) and evaluates that.
//
// Layout of a word:
//   bit 7 clear  immediate: bit 4 the sign, bits 5..6 the size class
//                (1: magnitude 0..15 in bits 0..3; 2: bits 0..3 and the next
//                8 bits in bits 8..15; 3: bits 0..3 and the rest in 8..31).
//   bit 7 set    variable: the variable number in bits 0..4 and 8..31, class
//                1 (numbers 0..31) or 3 (larger numbers) in bits 5..6.
//   bits 7, 6 set and bit 5 clear (class 2)
//                extended variable: bits 8..13 the variable number (0..63),
//                bits 14..15 the operator, bits 0..4 the amount minus 1.
// Words are built once when a line is parsed.
#pragma once

#include <cstdint>

#include "common/errors.h"

namespace tarvolin::script {

using OperandWord = std::uint32_t;

// ---- Variable numbers ----
inline constexpr int kVarLocal0 = 0;      // V_LV0..V_LV5
inline constexpr int kVarReturn0 = 6;     // V_RV0..V_RV3
inline constexpr int kVarArgument0 = 10;  // V_EV0..V_EV3
inline constexpr int kFrameVariableCount = 14;
inline constexpr int kVarGlobal0 = 20;    // 32 globals
inline constexpr int kGlobalCount = 32;
inline constexpr int kVarTicks = 51;      // the 32nd global, G_TICKS
inline constexpr int kVarMacro0 = 52;     // %0..%9
inline constexpr int kMacroParameterCount = 10;
inline constexpr int kVarInput0 = 80;     // 80 + 10 * function + button
inline constexpr int kVarInputEnd = 180;
inline constexpr int kVarArray0 = 256;    // 256 + packed array reference

// The largest magnitude an immediate can hold.
inline constexpr std::int32_t kMaxImmediate = 268435455;

// Operators of an extended variable.
enum ExtensionOp : int { kExtendAdd = 0, kExtendSubtract = 1, kExtendMultiply = 2, kExtendAnd = 3 };

// ---- Building and taking words apart ----

// An immediate; `value` must lie within +-kMaxImmediate.
constexpr OperandWord MakeImmediate(std::int32_t value) {
  const std::uint32_t mag = value < 0 ? std::uint32_t(-std::int64_t(value)) : std::uint32_t(value);
  const std::uint32_t sign = value < 0 ? 0x10u : 0u;
  const std::uint32_t cls = mag <= 15 ? 1u : (mag <= 4095 ? 2u : 3u);
  return (mag & 0xFu) | sign | (cls << 5) | ((mag >> 4) << 8);
}

constexpr OperandWord MakeVariable(std::uint32_t number) {
  const std::uint32_t cls = number <= 31 ? 1u : 3u;
  return 0x80u | (cls << 5) | (number & 0x1Fu) | ((number >> 5) << 8);
}

// An extended variable; `number` < 64, `amount` 1..32.
constexpr OperandWord MakeExtended(int number, ExtensionOp op, int amount) {
  return 0xC0u | std::uint32_t(amount - 1) | (std::uint32_t(number) << 8) |
         (std::uint32_t(op) << 14);
}

constexpr bool IsImmediate(OperandWord w) { return (w & 0x80u) == 0; }
constexpr bool IsVariable(OperandWord w) { return (w & 0x80u) != 0; }
constexpr bool IsExtended(OperandWord w) { return (w & 0xE0u) == 0xC0u; }

constexpr std::int32_t ImmediateValue(OperandWord w) {
  const std::int32_t mag = std::int32_t((w & 0xFu) | ((w >> 8) << 4));
  return (w & 0x10u) ? -mag : mag;
}

// The variable number of a plain variable, or the base variable of an
// extended one.
constexpr std::uint32_t VariableNumber(OperandWord w) {
  return IsExtended(w) ? ((w >> 8) & 0x3Fu) : ((w & 0x1Fu) | ((w >> 8) << 5));
}

constexpr ExtensionOp ExtendedOperator(OperandWord w) { return ExtensionOp((w >> 14) & 3u); }
constexpr int ExtendedAmount(OperandWord w) { return int(w & 0x1Fu) + 1; }

// Whether a word names a macro parameter (%0..%9).
constexpr bool IsMacroParameterWord(OperandWord w) {
  return IsVariable(w) && !IsExtended(w) && VariableNumber(w) >= std::uint32_t(kVarMacro0) &&
         VariableNumber(w) < std::uint32_t(kVarMacro0 + kMacroParameterCount);
}

// ---- Packed array references (variable number minus 256) ----

struct ArrayRef {
  int array = 0;             // 0..255
  int element = 0;           // 0..255
  bool indexIsVariable = false;
  int index = 0;             // immediate index 0..1023
  int indexVariable = 0;     // variable number below 80
  int offset = 0;            // -4..4 added to the index variable
};

constexpr std::uint32_t PackArrayRef(const ArrayRef& r) {
  std::uint32_t p = std::uint32_t(r.element) | (std::uint32_t(r.array) << 8);
  if (!r.indexIsVariable) return p | (std::uint32_t(r.index) << 17);
  p |= 1u << 16;
  p |= std::uint32_t(r.indexVariable) << 17;
  if (r.offset != 0) {
    const std::uint32_t op = r.offset > 0 ? 1u : 2u;
    const std::uint32_t amount = std::uint32_t(r.offset > 0 ? r.offset : -r.offset) - 1;
    p |= (op << 23) | (amount << 25);
  }
  return p;
}

constexpr ArrayRef UnpackArrayRef(std::uint32_t p) {
  ArrayRef r;
  r.element = int(p & 0xFFu);
  r.array = int((p >> 8) & 0xFFu);
  r.indexIsVariable = (p >> 16) & 1u;
  if (!r.indexIsVariable) {
    r.index = int((p >> 17) & 0x3FFu);
  } else {
    r.indexVariable = int((p >> 17) & 0x3Fu);
    const int op = int((p >> 23) & 3u);
    const int amount = int((p >> 25) & 3u) + 1;
    r.offset = op == 1 ? amount : (op == 2 ? -amount : 0);
  }
  return r;
}

// Whether a word stands for an immediate where a variable is required: an
// immediate, or a macro parameter whose bound word is one.
bool RefersToImmediate(OperandWord word, const OperandWord* macroParameters);

}  // namespace tarvolin::script
