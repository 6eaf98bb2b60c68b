#include "script/operand_parse.h"

#include <cstdlib>

#include "common/text.h"
#include "script/commands.h"

namespace tarvolin::script {

namespace {

// Internal results: 0 success, a positive error number, or kNotHere when the
// text is not of the form tried (the caller tries the next form).
constexpr ErrorCode kNotHere = -1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
char At(std::string_view text, std::size_t pos) { return pos < text.size() ? text[pos] : '\0'; }

// Where an operand ends: a blank, the end, a comment, or the "]" that closes
// an array index.
bool IsOperandEnd(std::string_view text, std::size_t pos) {
  return pos >= text.size() || isBlank(text[pos]) || text[pos] == ';' || text[pos] == ']';
}

// Start of a comment or the end of the line: no operand is left.
bool AtLineEnd(std::string_view text, std::size_t pos) {
  return pos >= text.size() || text[pos] == ';';
}

// End of a plain word (asset name, attribute token).
std::size_t WordEnd(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !isBlank(text[pos]) && text[pos] != ';') ++pos;
  return pos;
}

// ---- Immediates ----

ErrorCode ParseImmediate(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int64_t& value);

// Folds `first` with the immediate after a folding operator at `pos`.
// `bad` is the error when no immediate follows.
ErrorCode Fold(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int64_t& value,
               ErrorCode bad, ErrorCode divideByZero) {
  const char op = text[pos];
  std::size_t p = pos + 1;
  std::int64_t second = 0;
  const ErrorCode e = ParseImmediate(text, p, ctx, second);
  if (e == kNotHere) return bad;
  if (e != 0) return e;
  switch (op) {
    case '&': value &= second; break;
    case '*': value *= second; break;
    case '+': value += second; break;
    case '-': value -= second; break;
    case '^': value ^= second; break;
    case '|': value |= second; break;
    case '/':
      if (second == 0) {
        if (divideByZero) return divideByZero;
        break;  // leaves the first number
      }
      value /= second;
      break;
  }
  pos = p;
  return 0;
}

// Reads digits in `base`; stops early on an overflow of the immediate range.
ErrorCode ReadDigits(std::string_view text, std::size_t& pos, int base, std::int64_t& value,
                     int& count) {
  value = 0;
  count = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    int d;
    if (IsDigit(c)) d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (d >= base) break;
    if (value <= kMaxImmediate) value = value * base + d;  // else keep: already too large
    ++pos;
    ++count;
  }
  return 0;
}

ErrorCode ParseNumber(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int64_t& value) {
  std::size_t p = pos;
  int count = 0;
  ErrorCode malformed = err::kMalformedInteger;
  if (text[p] == '0' && At(text, p + 1) == 'x') {
    malformed = err::kMalformedHex;
    p += 2;
    ReadDigits(text, p, 16, value, count);
    if (count == 0) return err::kMalformedHex;
  } else if (text[p] == '0' && At(text, p + 1) == 'b') {
    p += 2;
    ReadDigits(text, p, 2, value, count);
    // At most 31 binary digits, then a blank or the end of the operand.
    if (count == 0 || count > 31 || !IsOperandEnd(text, p)) return err::kMalformedBinary;
    pos = p;
    return 0;
  } else {
    ReadDigits(text, p, 10, value, count);
  }
  if (value > kMaxImmediate) return err::kImmediateOutOfRange;
  if (!IsOperandEnd(text, p)) {
    const char c = text[p];
    if (c != '&' && c != '*' && c != '+' && c != '-' && c != '/') return malformed;
    if (const ErrorCode e = Fold(text, p, ctx, value, malformed, 0)) return e;
  }
  pos = p;
  return 0;
}

ErrorCode ParseDefinition(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int64_t& value) {
  std::size_t p = pos + 1;
  if (At(text, p) == '#') return kNotHere;  // "##" is no operand
  const std::size_t start = p;
  while (p < text.size() && IsNameChar(text[p])) ++p;
  std::int32_t v = 0;
  if (!ctx.FindDefinition(text.substr(start, p - start), v)) return err::kUnknownDefinition;
  value = v;
  if (!IsOperandEnd(text, p)) {
    const char c = text[p];
    if (c != '&' && c != '*' && c != '+' && c != '-' && c != '/' && c != '^' && c != '|') return err::kBadDefinitionExtension;
    if (const ErrorCode e = Fold(text, p, ctx, value, err::kBadDefinitionExtension, err::kBadDefinitionExtension)) return e;
  }
  pos = p;
  return 0;
}

// {r,g,b}: three numbers 0..31, no blanks.
ErrorCode ParseColour(std::string_view text, std::size_t& pos, std::int64_t& value) {
  std::size_t p = pos + 1;
  int channels[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    std::int64_t v = 0;
    int count = 0;
    ReadDigits(text, p, 10, v, count);
    if (count == 0 || v > 31) return err::kMalformedRgb;
    channels[i] = int(v);
    if (At(text, p) != (i < 2 ? ',' : '}')) return err::kMalformedRgb;
    ++p;
  }
  if (p - pos < 7 || !IsOperandEnd(text, p)) return err::kMalformedRgb;
  value = channels[0] + channels[1] * 32 + channels[2] * 1024;
  pos = p;
  return 0;
}

// The immediate forms without a leading "-".
ErrorCode ParseUnsignedImmediate(std::string_view text, std::size_t& pos, ParseContext& ctx,
                                 std::int64_t& value) {
  const char c = At(text, pos);
  if (c == '#') return ParseDefinition(text, pos, ctx, value);
  if (c == '\'') {
    if (pos + 2 >= text.size() || text[pos + 2] != '\'' || !IsOperandEnd(text, pos + 3)) return err::kMalformedQuote;
    value = static_cast<unsigned char>(text[pos + 1]);
    pos += 3;
    return 0;
  }
  if (IsDigit(c)) return ParseNumber(text, pos, ctx, value);
  if (c == '{') return ParseColour(text, pos, value);
  static constexpr struct { const char* word; int value; } kWords[] = {
      {"true", 1}, {"on", 1}, {"false", 0}, {"off", 0}};
  for (const auto& w : kWords) {
    const std::string_view word = w.word;
    if (startsWithIgnoreCase(text.substr(pos), word) && IsOperandEnd(text, pos + word.size())) {
      value = w.value;
      pos += word.size();
      return 0;
    }
  }
  return kNotHere;
}

ErrorCode ParseImmediate(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int64_t& value) {
  std::size_t p = pos;
  const bool negative = At(text, p) == '-';
  if (negative) ++p;
  const ErrorCode e = ParseUnsignedImmediate(text, p, ctx, value);
  if (e != 0) return e;
  if (negative) value = -value;
  if (value > kMaxImmediate || value < -kMaxImmediate) return err::kImmediateOutOfRange;
  pos = p;
  return 0;
}

// ---- Variables ----

// After a local, argument, returned-value or global variable: nothing, or
// an extension + - * & with an amount 0..32.
ErrorCode ParseExtension(std::string_view text, std::size_t& pos, int number, OperandWord& word) {
  if (IsOperandEnd(text, pos)) {
    word = MakeVariable(std::uint32_t(number));
    return 0;
  }
  ExtensionOp op;
  switch (text[pos]) {
    case '+': op = kExtendAdd; break;
    case '-': op = kExtendSubtract; break;
    case '*': op = kExtendMultiply; break;
    case '&': op = kExtendAnd; break;
    default: return err::kBadExtensionOperator;
  }
  std::size_t p = pos + 1;
  std::int64_t amount = 0;
  int count = 0;
  ReadDigits(text, p, 10, amount, count);
  if (count == 0) return err::kBadExtensionFormat;
  if (!IsOperandEnd(text, p)) return err::kBadExtensionFormat;
  if (amount > 32) return err::kExtensionOutOfRange;
  if (amount == 0) {
    // +0 and -0 leave the variable; *0 and &0 give 0.
    word = (op == kExtendAdd || op == kExtendSubtract) ? MakeVariable(std::uint32_t(number)) : MakeImmediate(0);
  } else {
    word = MakeExtended(number, op, int(amount));
  }
  pos = p;
  return 0;
}

// V_LV0.., short forms L0, E0, P0, R0. Returns the number or -1.
int FrameVariable(std::string_view text, std::size_t& pos) {
  std::size_t p = pos;
  char kind;
  if (startsWithIgnoreCase(text.substr(p), "V_")) {
    const char a = toUpperAscii(At(text, p + 2));
    const char b = toUpperAscii(At(text, p + 3));
    if (b != 'V' || (a != 'L' && a != 'E' && a != 'R')) return -1;
    kind = a;
    p += 4;
  } else {
    kind = toUpperAscii(At(text, p));
    if (kind == 'P') kind = 'E';
    if (kind != 'L' && kind != 'E' && kind != 'R') return -1;
    p += 1;
  }
  const char d = At(text, p);
  if (!IsDigit(d)) return -1;
  const int n = d - '0';
  ++p;
  // The digit must end the name.
  if (p < text.size() && IsNameChar(text[p])) return -1;
  int number;
  if (kind == 'L') {
    if (n > 5) return -1;
    number = kVarLocal0 + n;
  } else {
    if (n > 3) return -1;
    number = (kind == 'R' ? kVarReturn0 : kVarArgument0) + n;
  }
  pos = p;
  return number;
}

ErrorCode ParseInputVariable(std::string_view text, std::size_t& pos, OperandWord& word) {
  std::size_t p = pos + 2;  // after "F_"
  const auto functions = InputFunctionNames();
  for (std::size_t f = 0; f < functions.size(); ++f) {
    const std::string_view name = functions[f];
    if (!startsWithIgnoreCase(text.substr(p), name)) continue;
    p += name.size();
    int button = 0;
    if (InputFunctionTakesButton(int(f))) {
      const auto buttons = ButtonNames();
      button = -1;
      for (std::size_t b = 0; b < buttons.size(); ++b) {
        if (NameMatchesAt(text, p, buttons[b])) {
          button = int(b);
          p += std::string_view(buttons[b]).size();
          break;
        }
      }
      if (button < 0) return err::kUnknownParameterSuffix;
    }
    if (!IsOperandEnd(text, p)) return err::kUnknownParameterSuffix;
    word = MakeVariable(std::uint32_t(kVarInput0 + 10 * int(f) + button));
    pos = p;
    return 0;
  }
  return err::kUnknownParameterPrefix;
}

ErrorCode ParseMacroParameter(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  const char d = At(text, pos + 1);
  if (!IsDigit(d)) return err::kMacroParameterIndexMissing;
  if (!IsOperandEnd(text, pos + 2)) return err::kMacroParameterTrailing;
  if (!ctx.InMacro()) return err::kMacroParameterOutsideMacro;
  word = MakeVariable(std::uint32_t(kVarMacro0 + (d - '0')));
  pos += 2;
  return 0;
}

ErrorCode ParseBasic(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word);

// A basic variable, without extension, for an array index.
ErrorCode ParseIndexVariable(std::string_view text, std::size_t& pos, ParseContext& ctx, int& number) {
  std::size_t p = pos;
  const int frame = FrameVariable(text, p);
  if (frame >= 0) {
    number = frame;
  } else if (startsWithIgnoreCase(text.substr(p), "G_")) {
    std::size_t e = p + 2;
    while (e < text.size() && IsNameChar(text[e])) ++e;
    const int g = ctx.FindGlobal(text.substr(p, e - p));
    if (g < 0) return err::kUnknownGlobal;
    number = kVarGlobal0 + g;
    p = e;
  } else if (At(text, p) == '%' && IsDigit(At(text, p + 1))) {
    if (!ctx.InMacro()) return err::kMacroParameterOutsideMacro;
    number = kVarMacro0 + (text[p + 1] - '0');
    p += 2;
  } else {
    // Anything else that reads as an operand is not a basic variable.
    OperandWord w = 0;
    std::size_t q = p;
    const ErrorCode e = ParseBasic(text, q, ctx, w);
    return e == 0 ? err::kArrayVariableIndexKind : (e == err::kUnknownParameter ? err::kBadArrayVariableFormat : e);
  }
  pos = p;
  return 0;
}

// Array.Element[index] at `pos`, the array name ending at `dot`.
ErrorCode ParseArrayVariable(std::string_view text, std::size_t& pos, std::size_t dot, ParseContext& ctx,
                             OperandWord& word) {
  const int array = ctx.FindAsset(AssetKind::Array, text.substr(pos, dot - pos));
  if (array < 0) return kNotHere;
  std::size_t p = dot + 1;
  const std::size_t start = p;
  while (p < text.size() && !isBlank(text[p]) && text[p] != ';' && text[p] != '[' && text[p] != ']') ++p;
  const int element = ctx.FindArrayElement(array, text.substr(start, p - start));
  if (element < 0) return kNotHere;
  if (array > 255) return err::kArrayVariableArrayLimit;
  if (element > 255) return err::kArrayVariableElementLimit;
  ArrayRef ref;
  ref.array = array;
  ref.element = element;
  if (At(text, p) == '[') {
    ++p;
    std::int64_t index = 0;
    std::size_t q = p;
    const ErrorCode imm = ParseImmediate(text, q, ctx, index);
    if (imm == 0) {
      if (index < 0 || index > 1023) return err::kArrayVariableImmediateLimit;
      ref.index = int(index);
    } else if (imm != kNotHere) {
      return imm == err::kImmediateOutOfRange ? err::kArrayVariableImmediateLimit : imm;
    } else {
      int number = 0;
      if (const ErrorCode e = ParseIndexVariable(text, q, ctx, number)) return e;
      ref.indexIsVariable = true;
      ref.indexVariable = number;
      const char c = At(text, q);
      if (c == '+' || c == '-') {
        const char d = At(text, q + 1);
        if (!IsDigit(d) || d < '1' || d > '4' || IsDigit(At(text, q + 2))) return err::kArrayVariableExtensionLimit;
        ref.offset = (c == '+' ? 1 : -1) * (d - '0');
        q += 2;
      } else if (c != ']' && !IsOperandEnd(text, q)) {
        return err::kArrayVariableExtensionLimit;
      }
    }
    if (At(text, q) != ']') return err::kBadArrayVariableFormat;
    p = q + 1;
  }
  if (!IsOperandEnd(text, p)) return err::kBadArrayVariableFormat;
  word = MakeVariable(std::uint32_t(kVarArray0) + PackArrayRef(ref));
  pos = p;
  return 0;
}

ErrorCode ParseVariableForm(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  std::size_t p = pos;
  const int frame = FrameVariable(text, p);
  if (frame >= 0) {
    if (const ErrorCode e = ParseExtension(text, p, frame, word)) return e;
    pos = p;
    return 0;
  }
  if (startsWithIgnoreCase(text.substr(p), "G_")) {
    std::size_t e = p + 2;
    while (e < text.size() && IsNameChar(text[e])) ++e;
    const int g = ctx.FindGlobal(text.substr(p, e - p));
    if (g < 0) return err::kUnknownGlobal;
    if (const ErrorCode err = ParseExtension(text, e, kVarGlobal0 + g, word)) return err;
    pos = e;
    return 0;
  }
  if (startsWithIgnoreCase(text.substr(p), "F_")) return ParseInputVariable(text, pos, word);
  if (At(text, p) == '%') return ParseMacroParameter(text, pos, ctx, word);
  // Array.Element[index]: a full stop inside the word.
  for (std::size_t q = p; q < text.size() && !isBlank(text[q]) && text[q] != ';'; ++q) {
    if (text[q] == '.') {
      if (q == p) break;
      return ParseArrayVariable(text, pos, q, ctx, word);
    }
    if (text[q] == '[') break;
  }
  return kNotHere;
}

ErrorCode ParseBasic(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  if (AtLineEnd(text, pos)) return err::kMissingParameters;
  std::int64_t value = 0;
  std::size_t p = pos;
  const ErrorCode imm = ParseImmediate(text, p, ctx, value);
  if (imm == 0) {
    word = MakeImmediate(std::int32_t(value));
    pos = p;
    return 0;
  }
  if (imm != kNotHere) return imm;
  if (text[pos] == '-') {
    // A variable may not be negated.
    OperandWord ignored = 0;
    p = pos + 1;
    const ErrorCode v = ParseVariableForm(text, p, ctx, ignored);
    return (v == 0 || v == kNotHere) ? (v == 0 ? err::kNegativeVariable : err::kUnknownParameter) : v;
  }
  p = pos;
  const ErrorCode v = ParseVariableForm(text, p, ctx, word);
  if (v == kNotHere) return err::kUnknownParameter;
  if (v != 0) return v;
  pos = p;
  return 0;
}

// ParseValue's fall-backs after a basic operand gave error 4.
ErrorCode ParseNamedValue(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  const std::size_t end = WordEnd(text, pos);
  const std::string_view token = text.substr(pos, end - pos);
  if (token.front() == '[') {
    const std::size_t close = token.find(']');
    if (close == std::string_view::npos || close + 1 != token.size()) return err::kMalformedAttribute;
    const std::string_view name = token.substr(1, close - 1);
    for (AttributeTable table : ValueAttributeOrder()) {
      const int index = FindAttribute(table, name);
      if (index >= 0) {
        word = MakeImmediate(index);
        pos = end;
        return 0;
      }
    }
    return err::kUnknownAttribute;
  }
  for (int k = 0; k < kAssetKindCount; ++k) {
    const AssetKind kind = AssetKind(k);
    const int index = ctx.FindAsset(kind, token);
    if (index < 0) continue;
    if (kind == AssetKind::Array && ctx.IsSystemArray(index)) return err::kSystemArrayToVariable;
    if (index > kMaxImmediate) return err::kImmediateOutOfRange;
    word = MakeImmediate(index);
    pos = end;
    return 0;
  }
  const std::size_t dot = token.find('.');
  if (dot != std::string_view::npos && ctx.FindAsset(AssetKind::Array, token.substr(0, dot)) >= 0) return err::kArrayElementToVariable;
  return err::kUnknownParameter;
}

ErrorCode ParseValueCode(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  const ErrorCode e = ParseBasic(text, pos, ctx, word);
  if (e != err::kUnknownParameter) return e;
  return ParseNamedValue(text, pos, ctx, word);
}

bool Report(ParseContext& ctx, ErrorCode e) {
  if (e == 0) return true;
  ctx.Errors().SetError(e);
  return false;
}

}  // namespace

bool RestIsEmpty(std::string_view text, std::size_t pos) {
  pos = skipBlanks(text, pos);
  return AtLineEnd(text, pos);
}

bool ParseBasicOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  std::size_t p = skipBlanks(text, pos);
  const ErrorCode e = ParseBasic(text, p, ctx, word);
  if (e == 0) pos = p;
  return Report(ctx, e);
}

bool ParseImmediateOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int32_t& value) {
  std::size_t p = skipBlanks(text, pos);
  if (AtLineEnd(text, p)) return Report(ctx, err::kMissingParameters);
  std::int64_t v = 0;
  const ErrorCode e = ParseImmediate(text, p, ctx, v);
  if (e != 0) return Report(ctx, e == kNotHere ? err::kUnknownParameter : e);
  value = static_cast<std::int32_t>(v);
  pos = p;
  return true;
}

bool ParseValue(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  std::size_t p = skipBlanks(text, pos);
  const ErrorCode e = ParseValueCode(text, p, ctx, word);
  if (e == 0) pos = p;
  return Report(ctx, e);
}

bool ParseVariable(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word) {
  std::size_t p = skipBlanks(text, pos);
  OperandWord w = 0;
  ErrorCode e = ParseBasic(text, p, ctx, w);
  if (e == 0 && RefersToImmediate(w, ctx.MacroParameters())) e = err::kVariableExpected;
  if (e == 0) {
    word = w;
    pos = p;
  }
  return Report(ctx, e);
}

bool ParseOperator(std::string_view text, std::size_t& pos, ParseContext& ctx, int& op) {
  const std::size_t p = skipBlanks(text, pos);
  if (AtLineEnd(text, p)) return Report(ctx, err::kMissingParameters);
  std::size_t length = 0;
  const int found = LookupComparisonOp(text, p, length);
  if (found < 0) return Report(ctx, err::kBadOperator);
  op = found;
  pos = p + length;
  return true;
}

bool ParseAttribute(AttributeTable table, std::string_view text, std::size_t& pos, ParseContext& ctx,
                    int& index) {
  const AttributeErrors errors = AttributeErrorCodes(table);
  const std::size_t p = skipBlanks(text, pos);
  if (AtLineEnd(text, p)) return Report(ctx, errors.missing);
  const std::size_t end = WordEnd(text, p);
  const std::string_view token = text.substr(p, end - p);
  if (token.size() < 2 || token.front() != '[' || token.back() != ']') return Report(ctx, errors.malformed);
  const int found = FindAttribute(table, token.substr(1, token.size() - 2));
  if (found < 0) return Report(ctx, errors.unknown);
  index = found;
  pos = end;
  return true;
}

AssetErrors AssetErrorCodes(AssetKind kind) {
  switch (kind) {
    case AssetKind::Resource: return {err::kMissingResourceName, 0, err::kResourceIndexOutOfRange};
    case AssetKind::FontMap: return {err::kMissingFontMapName, err::kUnknownFontMap, err::kFontMapIndexOutOfRange};
    case AssetKind::String: return {err::kMissingStringId, err::kUnknownStringId, err::kStringIndexOutOfRange};
    case AssetKind::TileList: return {err::kMissingTileListName, err::kUnknownTileList, err::kTileListIndexOutOfRange};
    case AssetKind::Path: return {err::kMissingPathName, err::kUnknownPath, err::kPathIndexOutOfRange};
    case AssetKind::Level: return {err::kMissingLevelName, err::kUnknownLevel, err::kLevelIndexOutOfRange};
    case AssetKind::Array: return {err::kMissingArrayName, err::kUnknownArray, err::kBadArrayId};
    case AssetKind::Function: return {err::kUndefinedFunction, err::kUndefinedFunction, err::kFunctionIndexOutOfRange};
  }
  return {err::kUnknownParameter, err::kUnknownParameter, err::kUnknownParameter};
}

bool ParseArrayElementOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, int& array,
                              int& element) {
  const std::size_t p = skipBlanks(text, pos);
  if (AtLineEnd(text, p)) return Report(ctx, err::kBadArrayElementFormat);
  const std::size_t end = WordEnd(text, p);
  const std::string_view token = text.substr(p, end - p);
  const std::size_t dot = token.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == token.size() ||
      token.find_first_of("[].", dot + 1) != std::string_view::npos)
    return Report(ctx, err::kBadArrayElementFormat);
  const int a = ctx.FindAsset(AssetKind::Array, token.substr(0, dot));
  if (a < 0) return Report(ctx, err::kUnknownArray);
  const int e = ctx.FindArrayElement(a, token.substr(dot + 1));
  if (e < 0) return Report(ctx, err::kUnknownArrayElement);
  array = a;
  element = e;
  pos = end;
  return true;
}

}  // namespace tarvolin::script
