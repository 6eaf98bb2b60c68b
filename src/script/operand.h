// Operand words: the 32-bit parsed form of one operand, and their evaluation
// against the variables of a running script.
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
// Words are built once when a line is parsed; evaluating one is a few shifts
// and a load.
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

// ---- Where variables live ----

// The variable kinds that are not plain memory: the game pad's input
// functions and array elements. The interpreter supplies one; tests use
// MemoryVariables (memory_context.h).
class VariableSource {
 public:
  virtual ~VariableSource() = default;
  // The value of input variable `number` (80..179).
  virtual std::int32_t ReadInput(int number) = 0;
  // Element `element` of record `index` of array `array`. A failure (array
  // not 1D: 150, index out of range: 151) is recorded in `errors`.
  virtual bool ReadArrayElement(int array, int element, std::int32_t index, std::int32_t& value,
                                ErrorState& errors) = 0;
  // As above; also 137 for a read-only table.
  virtual bool WriteArrayElement(int array, int element, std::int32_t index, std::int32_t value,
                                 ErrorState& errors) = 0;
};

// The variables one evaluation sees. `frame` and `globals` must be set; the
// rest may be null (macro parameters and input then read as 0).
struct VariableStore {
  // The current call frame's 14 variables, indexed by variable number:
  // V_LV0..V_LV5, V_RV0..V_RV3, V_EV0..V_EV3.
  std::int32_t* frame = nullptr;
  // The 32 globals of the current script's set; entry 31 is G_TICKS of the
  // default set (shared variables may point into another set).
  std::int32_t* const* globals = nullptr;
  // The words bound to %0..%9 by the running macro call.
  const OperandWord* macroParameters = nullptr;
  VariableSource* source = nullptr;
  ErrorState* errors = nullptr;
};

// Reads the rare variable kinds (macro parameters, input, arrays, unused
// numbers). Out of line; EvaluateOperand calls it.
bool EvaluateSlowVariable(std::uint32_t number, const VariableStore& store, std::int32_t& value);

// Applies an extended variable's operator to a value.
constexpr std::int32_t ApplyExtension(std::int32_t value, ExtensionOp op, int amount) {
  // Wrapping arithmetic, as the 32-bit hardware does.
  switch (op) {
    case kExtendAdd: return std::int32_t(std::uint32_t(value) + std::uint32_t(amount));
    case kExtendSubtract: return std::int32_t(std::uint32_t(value) - std::uint32_t(amount));
    case kExtendMultiply: return std::int32_t(std::uint32_t(value) * std::uint32_t(amount));
    default: return value & amount;
  }
}

// The signed 32-bit value of an operand word. Fails only for an array
// element that cannot be read (the error is in store.errors).
inline bool EvaluateOperand(OperandWord word, const VariableStore& store, std::int32_t& value) {
  if (IsImmediate(word)) {
    value = ImmediateValue(word);
    return true;
  }
  const std::uint32_t number = VariableNumber(word);
  std::int32_t v;
  if (number < kFrameVariableCount) {
    v = store.frame[number];
  } else if (number - kVarGlobal0 < std::uint32_t(kGlobalCount)) {
    v = *store.globals[number - kVarGlobal0];
  } else if (!EvaluateSlowVariable(number, store, v)) {
    return false;
  }
  value = IsExtended(word) ? ApplyExtension(v, ExtendedOperator(word), ExtendedAmount(word)) : v;
  return true;
}

// Writes a value to the variable of a word (an extended variable writes its
// plain variable). Input variables and unused numbers are no storage: the
// write is dropped. An immediate (or a macro parameter bound to one) fails
// with error 10; a failing array element write stops with its error.
bool StoreToVariable(OperandWord word, std::int32_t value, const VariableStore& store);

// Whether a word stands for an immediate where a variable is required: an
// immediate, or a macro parameter whose bound word is one.
bool RefersToImmediate(OperandWord word, const OperandWord* macroParameters);

}  // namespace tarvolin::script
