// The decoded form of an operand word: what the executor reads on every run
// of a line. Words are decoded once, when the line is parsed, so evaluating an
// operand is a switch on a byte and one load.
#pragma once

#include <cstdint>

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

// Variable numbers of the operand word.
inline constexpr int kVarGlobalFirst = 20;
inline constexpr int kVarMacroFirst = 52;
inline constexpr int kVarInputFirst = 80;
inline constexpr int kVarInputLast = 179;
inline constexpr int kVarArrayFirst = 256;

// Where a variable number lives in a CallFrame, or -1.
inline int FrameSlotOfVariable(int number) {
  if (number >= 0 && number <= 5) return kSlotLV0 + number;
  if (number >= 6 && number <= 9) return kSlotRV0 + (number - 6);
  if (number >= 10 && number <= 13) return kSlotEV0 + (number - 10);
  return -1;
}

}  // namespace tarvolin::script
