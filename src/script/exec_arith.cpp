// Assignment and arithmetic commands: signed 32-bit, wrapping.
#include <cstdlib>

#include "script/commands.h"
#include "script/interpreter.h"

namespace tarvolin::script {

namespace {

std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }

std::int32_t IntegerSqrt(std::int32_t v) {
  if (v <= 0) return 0;
  std::uint32_t x = static_cast<std::uint32_t>(v), r = 0, bit = 1u << 30;
  while (bit > x) bit >>= 2;
  while (bit) {
    if (x >= r + bit) {
      x -= r + bit;
      r = (r >> 1) + bit;
    } else {
      r >>= 1;
    }
    bit >>= 2;
  }
  return static_cast<std::int32_t>(r);
}

std::uint32_t Magnitude(std::int32_t v) {
  return v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
}

}  // namespace

std::int32_t ArithResult(std::int32_t command, std::int32_t v1, const std::int32_t* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(v1), q = static_cast<std::uint32_t>(p[0]);
  switch (command) {
    case cmd::Assign: return p[0];
    case cmd::Negate: return Wrap(0u - q);
    case cmd::AddTo: return Wrap(u + q);
    case cmd::SubtractFrom: return Wrap(u - q);
    case cmd::MultiplyBy: return Wrap(u * q);
    case cmd::DivideBy:
      if (p[0] == 0) return 0;
      if (p[0] == -1) return Wrap(0u - u);
      return v1 / p[0];
    case cmd::ModuloBy:
      if (p[0] == 0 || p[0] == -1) return 0;
      return v1 % p[0];
    case cmd::ShiftLeftBy: return Wrap(u << (q & 31));
    case cmd::ShiftRightBy: return v1 >> (q & 31);
    case cmd::OrWith: return Wrap(u | q);
    case cmd::AndWith: return Wrap(u & q);
    case cmd::XorWith: return Wrap(u ^ q);
    case cmd::RandomUpTo:
      if (p[0] > 0) return std::rand() % p[0];
      if (p[0] < 0) return -static_cast<std::int32_t>(static_cast<std::uint32_t>(std::rand()) % Magnitude(p[0]));
      return 0;
    case cmd::Min: return p[0] < p[1] ? p[0] : p[1];
    case cmd::Max: return p[0] > p[1] ? p[0] : p[1];
    case cmd::Bounce: {
      const std::int32_t r = p[0] & p[1];
      return r > (p[1] >> 1) ? Wrap(static_cast<std::uint32_t>(p[1]) - static_cast<std::uint32_t>(r)) : r;
    }
    case cmd::Sqrt: return IntegerSqrt(p[0]);
    case cmd::Abs: return Wrap(Magnitude(p[0]));
    case cmd::Qdist: {
      const std::uint32_t dx = Magnitude(Wrap(static_cast<std::uint32_t>(p[0]) - static_cast<std::uint32_t>(p[2])));
      const std::uint32_t dy = Magnitude(Wrap(static_cast<std::uint32_t>(p[1]) - static_cast<std::uint32_t>(p[3])));
      const std::uint32_t a = dx > dy ? dx : dy, b = dx > dy ? dy : dx;
      const std::uint32_t k = static_cast<std::uint64_t>(a) < 16ull * b ? 967u : 1007u;
      return Wrap(static_cast<std::uint32_t>((b * 441u + a * k + 512u) >> 10));
    }
    default: return v1;
  }
}

bool Interpreter::ExecArith(ScriptLine& line) {
  evalFailed_ = false;
  const std::int32_t v1 = Eval(line.leading);
  if (evalFailed_) return false;
  std::int32_t p[4] = {0, 0, 0, 0};
  for (int i = 0; i < line.count; ++i) p[i] = Eval(line.ops[i]);
  if (evalFailed_) return false;
  Operand target = line.leading;
  target.ext = ExtendOp::None;  // writing an extended variable writes the plain one
  return Store(target, ArithResult(line.command, v1, p));
}

}  // namespace tarvolin::script
