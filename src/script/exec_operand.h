// The decoded form of an operand word: what the executor reads on every run
// of a line. Words are decoded once, when the line is parsed, so evaluating an
// operand is a switch on a byte and one load.
#pragma once

#include <cstdint>

#include "script/operand.h"

namespace tarvolin::script {

enum class OperandKind : std::uint8_t {
  Immediate,   // value
  Frame,       // value = slot in the current CallFrame (0..13)
  Global,      // value = slot in the flat global storage (set * 32 + index)
  Input,       // value = input function number (80..179)
  ArrayElement,// value = packed array reference (word's variable number - 256)
  Unused,      // a variable number with no storage: reads 0, writes nothing
};

// How an extended variable combines its value with its amount.
enum class ExtendOp : std::uint8_t { None, Add, Subtract, Multiply, And };

struct Operand {
  OperandKind kind = OperandKind::Immediate;
  ExtendOp ext = ExtendOp::None;
  std::uint8_t amount = 0;
  std::uint8_t pad = 0;
  std::int32_t value = 0;

  bool isImmediate() const { return kind == OperandKind::Immediate; }
  static Operand Immediate(std::int32_t v) { Operand o; o.value = v; return o; }
};
static_assert(sizeof(Operand) == 8);

// Slots of a CallFrame's variables, in storage order.
inline constexpr int kSlotEV0 = 0;
inline constexpr int kSlotRV0 = 4;
inline constexpr int kSlotLV0 = 8;
inline constexpr int kFrameSlots = 14;

// Where a variable number lives in a CallFrame, or -1.
inline int FrameSlotOfVariable(int number) {
  if (number >= kVarLocal0 && number < kVarReturn0) return kSlotLV0 + (number - kVarLocal0);
  if (number >= kVarReturn0 && number < kVarArgument0) return kSlotRV0 + (number - kVarReturn0);
  if (number >= kVarArgument0 && number < kFrameVariableCount) return kSlotEV0 + (number - kVarArgument0);
  return -1;
}

}  // namespace tarvolin::script
