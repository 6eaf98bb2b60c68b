#include "script/exec_operands.h"

#include <cstdint>
#include <string>

#include "common/text.h"
#include "script/commands.h"
#include "script/exec_ids.h"

namespace tarvolin::script {

namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsEndOfOperand(std::string_view text, std::size_t pos) {
  return pos >= text.size() || isBlank(text[pos]) || text[pos] == ';';
}

bool ParseDecimal(std::string_view text, std::size_t& pos, std::int64_t& out) {
  std::size_t p = pos;
  bool neg = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) { neg = text[p] == '-'; ++p; }
  if (p >= text.size() || text[p] < '0' || text[p] > '9') return false;
  std::int64_t v = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
    v = v * 10 + (text[p] - '0');
    if (v > 0xFFFFFFFFLL) v = 0xFFFFFFFFLL;
    ++p;
  }
  out = neg ? -v : v;
  pos = p;
  return true;
}

std::int32_t Fold(std::int32_t a, char op, std::int32_t b) {
  const std::uint32_t ua = static_cast<std::uint32_t>(a), ub = static_cast<std::uint32_t>(b);
  switch (op) {
    case '&': return static_cast<std::int32_t>(ua & ub);
    case '*': return static_cast<std::int32_t>(ua * ub);
    case '+': return static_cast<std::int32_t>(ua + ub);
    case '-': return static_cast<std::int32_t>(ua - ub);
    case '/': return b == 0 ? a : (a == INT32_MIN && b == -1 ? a : a / b);
    case '^': return static_cast<std::int32_t>(ua ^ ub);
    case '|': return static_cast<std::int32_t>(ua | ub);
    default: return a;
  }
}

// Immediates. Returns 1 read, 0 not an immediate, -1 error set.
int ParseImmediate(std::string_view text, std::size_t& pos, const ParseEnv& env, std::int32_t& out,
                   ErrorState& err) {
  std::size_t p = pos;
  bool neg = false;
  if (p < text.size() && text[p] == '-') { neg = true; ++p; }
  if (p >= text.size()) return 0;
  const char c = text[p];
  std::int32_t value = 0;
  if (c == '#') {
    if (p + 1 < text.size() && text[p + 1] == '#') return 0;
    std::size_t e = p + 1;
    while (e < text.size() && IsNameChar(text[e])) ++e;
    const Definition* d = env.tables ? env.tables->FindDefinition(text.substr(p + 1, e - p - 1)) : nullptr;
    if (!d) { err.SetError(45); return -1; }
    value = d->value;
    if (e < text.size() && !IsEndOfOperand(text, e)) {
      const char op = text[e];
      if (op != '&' && op != '*' && op != '+' && op != '-' && op != '/' && op != '^' && op != '|') {
        err.SetError(49);
        return -1;
      }
      std::size_t q = e + 1;
      std::int32_t second = 0;
      int r = ParseImmediate(text, q, env, second, err);
      if (r < 0) return -1;
      if (r == 0) { err.SetError(49); return -1; }
      if (op == '/' && second == 0) { err.SetError(49); return -1; }
      value = Fold(value, op, second);
      e = q;
    }
    p = e;
  } else if (c == '\'') {
    if (p + 2 >= text.size() || text[p + 2] != '\'') { err.SetError(162); return -1; }
    value = static_cast<unsigned char>(text[p + 1]);
    p += 3;
  } else if (c == '{') {
    std::size_t close = text.find('}', p);
    int rgb[3] = {0, 0, 0};
    std::size_t q = p + 1;
    bool ok = close != std::string_view::npos && close - p + 1 >= 7;
    for (int i = 0; ok && i < 3; ++i) {
      std::int64_t v = 0;
      if (!(q < text.size() && text[q] >= '0' && text[q] <= '9') || !ParseDecimal(text, q, v) ||
          v < 0 || v > 31) { ok = false; break; }
      rgb[i] = static_cast<int>(v);
      if (i < 2) { if (q >= text.size() || text[q] != ',') { ok = false; break; } ++q; }
    }
    if (!ok || q != close) { err.SetError(165); return -1; }
    value = rgb[0] + rgb[1] * 32 + rgb[2] * 1024;
    p = close + 1;
  } else if (c >= '0' && c <= '9') {
    std::int64_t v = 0;
    if (c == '0' && p + 1 < text.size() && text[p + 1] == 'x') {
      std::size_t q = p + 2;
      while (q < text.size() && std::isxdigit(static_cast<unsigned char>(text[q]))) {
        const char h = text[q];
        v = (v << 4) | (h <= '9' ? h - '0' : (toLowerAscii(h) - 'a' + 10));
        v &= 0xFFFFFFFFLL;
        ++q;
      }
      if (q == p + 2) { err.SetError(166); return -1; }
      p = q;
    } else if (c == '0' && p + 1 < text.size() && text[p + 1] == 'b') {
      std::size_t q = p + 2;
      while (q < text.size() && (text[q] == '0' || text[q] == '1')) v = (v << 1) | (text[q++] - '0');
      if (q == p + 2 || q - p - 2 > 31 || !IsEndOfOperand(text, q)) { err.SetError(164); return -1; }
      p = q;
    } else {
      ParseDecimal(text, p, v);
    }
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (p < text.size() && (text[p] == '&' || text[p] == '*' || text[p] == '+' || text[p] == '-' ||
                            text[p] == '/')) {
      const char op = text[p];
      std::size_t q = p + 1;
      std::int32_t second = 0;
      int r = ParseImmediate(text, q, env, second, err);
      if (r < 0) return -1;
      if (r == 0) { err.SetError(163); return -1; }
      value = Fold(value, op, second);
      p = q;
    }
  } else {
    static constexpr struct { const char* word; int v; } kWords[] = {
        {"true", 1}, {"on", 1}, {"false", 0}, {"off", 0}};
    bool found = false;
    for (const auto& w : kWords) {
      const std::size_t n = std::char_traits<char>::length(w.word);
      if (startsWithIgnoreCase(text.substr(p), w.word) && IsEndOfOperand(text, p + n)) {
        value = w.v;
        p += n;
        found = true;
        break;
      }
    }
    if (!found) return 0;
  }
  if (!IsEndOfOperand(text, p)) { err.SetError(4); return -1; }
  out = neg ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(value)) : value;
  pos = p;
  return 1;
}

constexpr const char* kButtons[] = {"ButtonA", "ButtonB", "Select", "Start", "PadRight",
                                    "PadLeft", "PadUp", "PadDown", "ShoulderRight", "ShoulderLeft"};
constexpr const char* kInputFunctions[] = {"IsButtonPressed", "IsButtonReleased", "IsButtonHeld",
                                           "GetButtonPressed", "GetButtonReleased",
                                           "GetButtonHeld"};

// Variable names. Returns the variable number, or -1 with the error set.
int ParseVariableName(std::string_view text, std::size_t& pos, const ParseEnv& env,
                      ErrorState& err) {
  std::size_t p = pos;
  auto endsAt = [&](std::size_t q) {
    return IsEndOfOperand(text, q) || text[q] == '+' || text[q] == '-' || text[q] == '*' ||
           text[q] == '&' || text[q] == '^' || text[q] == '/' || text[q] == '|';
  };
  const std::string_view rest = text.substr(p);
  if (startsWithIgnoreCase(rest, "V_") && rest.size() >= 5) {
    const std::string_view kind = rest.substr(2, 2);
    const char d = rest[4];
    if (d >= '0' && d <= '9' && endsAt(p + 5)) {
      const int n = d - '0';
      if (equalsIgnoreCase(kind, "LV") && n <= 5) { pos = p + 5; return n; }
      if (equalsIgnoreCase(kind, "RV") && n <= 3) { pos = p + 5; return 6 + n; }
      if (equalsIgnoreCase(kind, "EV") && n <= 3) { pos = p + 5; return 10 + n; }
    }
  }
  if (rest.size() >= 2 && rest[1] >= '0' && rest[1] <= '9' && endsAt(p + 2)) {
    const char k = toUpperAscii(rest[0]);
    const int n = rest[1] - '0';
    if (k == 'L' && n <= 5) { pos = p + 2; return n; }
    if (k == 'R' && n <= 3) { pos = p + 2; return 6 + n; }
    if ((k == 'E' || k == 'P') && n <= 3) { pos = p + 2; return 10 + n; }
  }
  if (startsWithIgnoreCase(rest, "G_")) {
    std::size_t e = p;
    while (e < text.size() && IsNameChar(text[e])) ++e;
    const std::string_view name = text.substr(p, e - p);
    const ScriptTables& t = *env.tables;
    int set = 0;
    if (env.script >= 0 && env.script < static_cast<int>(t.scripts.size()))
      set = t.scripts[static_cast<std::size_t>(env.script)].globalSet;
    if (set < 0 || set >= static_cast<int>(t.globalSets.size())) set = 0;
    for (int i = 0; i < kGlobalsPerSet; ++i) {
      // Shared variables take their names from the first set.
      const GlobalSet& owner = t.globalSets[0].shared[static_cast<std::size_t>(i)]
                                   ? t.globalSets[0]
                                   : t.globalSets[static_cast<std::size_t>(set)];
      if (equalsIgnoreCase(owner.names[static_cast<std::size_t>(i)], name)) {
        pos = e;
        return kVarGlobalFirst + i;
      }
    }
    err.SetError(38);
    return -1;
  }
  if (startsWithIgnoreCase(rest, "F_")) {
    std::size_t q = p + 2;
    for (int f = 0; f < 6; ++f) {
      const std::string_view fn = kInputFunctions[f];
      if (!startsWithIgnoreCase(text.substr(q), fn)) continue;
      q += fn.size();
      if (f >= 3) {
        pos = q;
        return kVarInputFirst + 10 * f;
      }
      for (int b = 0; b < 10; ++b) {
        const std::string_view bn = kButtons[b];
        if (startsWithIgnoreCase(text.substr(q), bn)) {
          pos = q + bn.size();
          return kVarInputFirst + 10 * f + b;
        }
      }
      err.SetError(40);
      return -1;
    }
    err.SetError(39);
    return -1;
  }
  if (rest.size() >= 1 && rest[0] == '%') {
    if (rest.size() < 2 || rest[1] < '0' || rest[1] > '9') { err.SetError(176); return -1; }
    if (!endsAt(p + 2)) { err.SetError(178); return -1; }
    pos = p + 2;
    return kVarMacroFirst + (rest[1] - '0');
  }
  if (env.arrays) {
    const int number = env.arrays->ParseArrayVariable(text, pos, env, err);
    if (number != 0) return number;
  }
  err.SetError(4);
  return -1;
}

Operand DecodeVariable(int number, const ParseEnv& env) {
  Operand o;
  const int slot = FrameSlotOfVariable(number);
  if (slot >= 0) {
    o.kind = OperandKind::Frame;
    o.value = slot;
  } else if (number >= kVarGlobalFirst && number < kVarGlobalFirst + kGlobalsPerSet) {
    const ScriptTables& t = *env.tables;
    int set = 0;
    if (env.script >= 0 && env.script < static_cast<int>(t.scripts.size()))
      set = t.scripts[static_cast<std::size_t>(env.script)].globalSet;
    const int index = number - kVarGlobalFirst;
    if (set < 0 || set >= static_cast<int>(t.globalSets.size()) || index == kGlobalsPerSet - 1 ||
        t.globalSets[0].shared[static_cast<std::size_t>(index)])
      set = 0;
    o.kind = OperandKind::Global;
    o.value = set * kGlobalsPerSet + index;
  } else if (number >= kVarInputFirst && number <= kVarInputLast) {
    o.kind = OperandKind::Input;
    o.value = number;
  } else if (number >= kVarArrayFirst) {
    o.kind = OperandKind::ArrayElement;
    o.value = number - kVarArrayFirst;
  } else {
    o.kind = OperandKind::Unused;
  }
  return o;
}

}  // namespace

bool AtLineEnd(std::string_view text, std::size_t pos) {
  pos = skipBlanks(text, pos);
  return pos >= text.size() || text[pos] == ';';
}

bool ParseBasicOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err) {
  std::size_t p = skipBlanks(text, pos);
  if (p >= text.size() || text[p] == ';') { err.SetError(2); return false; }
  std::int32_t value = 0;
  const int r = ParseImmediate(text, p, env, value, err);
  if (r < 0) return false;
  if (r > 0) {
    out = Operand::Immediate(value);
    pos = p;
    return true;
  }
  if (text[p] == '-') {
    std::size_t q = p + 1;
    ErrorState scratch;
    if (ParseVariableName(text, q, env, scratch) >= 0) { err.SetError(50); return false; }
    err.SetError(4);
    return false;
  }
  const int number = ParseVariableName(text, p, env, err);
  if (number < 0) return false;
  if (number >= kVarMacroFirst && number < kVarMacroFirst + 10) {
    if (!env.inMacro) { err.SetError(179); return false; }
    const int n = number - kVarMacroFirst;
    if (n >= env.macroParamCount || !env.macroParams) { err.SetError(175); return false; }
    out = env.macroParams[n];
  } else {
    out = DecodeVariable(number, env);
  }
  // Extended variables: + - * & and an amount 0..32 directly after the name.
  if (p < text.size() && !IsEndOfOperand(text, p)) {
    const char op = text[p];
    const bool extendable = out.kind == OperandKind::Frame || out.kind == OperandKind::Global;
    if (op == '+' || op == '-' || op == '*' || op == '&') {
      if (!extendable || out.ext != ExtendOp::None) { err.SetError(54); return false; }
      std::size_t q = p + 1;
      if (q >= text.size() || text[q] < '0' || text[q] > '9') { err.SetError(55); return false; }
      std::int64_t amount = 0;
      ParseDecimal(text, q, amount);
      if (amount > 32) { err.SetError(56); return false; }
      if (!IsEndOfOperand(text, q)) { err.SetError(55); return false; }
      p = q;
      if (amount == 0) {
        if (op == '*' || op == '&') out = Operand::Immediate(0);
      } else {
        out.ext = op == '+' ? ExtendOp::Add : op == '-' ? ExtendOp::Subtract
                 : op == '*' ? ExtendOp::Multiply : ExtendOp::And;
        out.amount = static_cast<std::uint8_t>(amount);
      }
    } else {
      err.SetError(54);
      return false;
    }
  }
  pos = p;
  return true;
}

bool ParseValueOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err) {
  if (ParseBasicOperand(text, pos, env, out, err)) return true;
  if (err.GetError() != 4) return false;
  // A script function's name gives its index in the script's table.
  std::size_t p = skipBlanks(text, pos);
  std::size_t e = p;
  while (e < text.size() && IsNameChar(text[e])) ++e;
  if (e > p && IsEndOfOperand(text, e)) {
    const int index = env.tables->FindScriptIndex(env.script, text.substr(p, e - p));
    if (index >= 0) {
      out = Operand::Immediate(index);
      pos = e;
      return true;
    }
    if (env.arrays) {
      const int array = env.arrays->ArrayValue(text.substr(p, e - p), err);
      if (array == -2) return false;
      if (array >= 0) {
        out = Operand::Immediate(array);
        pos = e;
        return true;
      }
    }
  }
  err.SetError(4);
  return false;
}

bool ParseVariableOperand(std::string_view text, std::size_t& pos, const ParseEnv& env,
                          Operand& out, ErrorState& err) {
  if (!ParseBasicOperand(text, pos, env, out, err)) return false;
  if (out.isImmediate()) { err.SetError(10); return false; }
  return true;
}

bool ParseComparison(std::string_view text, std::size_t& pos, int& lop, ErrorState& err) {
  static constexpr const char* kOps[] = {"==", "!=", ">", ">=", "<", "<=", "%=", "&=", ">=<", "<>"};
  std::size_t p = skipBlanks(text, pos);
  if (p >= text.size() || text[p] == ';') { err.SetError(2); return false; }
  for (int i = 0; i < 10; ++i) {
    const std::string_view op = kOps[i];
    if (text.substr(p, op.size()) == op && (p + op.size() >= text.size() || isBlank(text[p + op.size()]))) {
      lop = i;
      pos = p + op.size();
      return true;
    }
  }
  err.SetError(32);
  return false;
}

void ClassifyText(std::string_view text, const ParseEnv& env, Classification& out) {
  out = Classification();
  std::size_t p = skipBlanks(text, 0);
  {
    std::size_t q = p;
    Operand lead;
    ErrorState scratch;
    if (p < text.size() && ParseBasicOperand(text, q, env, lead, scratch)) {
      out.hasLeading = true;
      out.leading = lead;
      p = skipBlanks(text, q);
    }
  }
  if (p >= text.size() || text[p] == ';') {
    out.command = exec::NoCommand;
    out.operandStart = static_cast<std::int32_t>(p);
    return;
  }
  if (text[p] == '%' && !(p + 1 < text.size() && text[p + 1] == '=')) {
    out.command = exec::MacroCall;
    out.operandStart = static_cast<std::int32_t>(p + 1);
    return;
  }
  std::size_t length = 0;
  out.command = LookupCommand(text, p, length);
  out.operandStart = static_cast<std::int32_t>(out.command == exec::UndefinedCommand ? p : p + length);
}

}  // namespace tarvolin::script
