#include "script/family_access.h"

#include "common/text.h"
#include "script/command_family.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/line_parse.h"
#include "script/operand_parse.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

namespace {

// Inside a macro, an asset index taken from a parameter that names no such
// asset is reported as the macro's own error, 159.
void ReportMacroAssetIndex(const ScriptLine& line, std::string_view kinds, ErrorState& err) {
  for (int i = 0; i < line.count && std::size_t(i) < kinds.size(); ++i) {
    AssetKind kind;
    char letter = kinds[std::size_t(i)];
    if (line.command == cmd::StringGetCharacter && i == 0) letter = 's';
    if ((line.aux >> i & 1) && AssetKindOf(letter, kind) &&
        err.GetError() == AssetErrorCodes(kind).outOfRange) {
      err.SetError(err::kMacroResourceIndexOutOfRange);
      return;
    }
  }
}

std::size_t TokenEnd(std::string_view text, std::size_t p) {
  while (p < text.size() && !isBlank(text[p]) && text[p] != ';') ++p;
  return p;
}

}  // namespace

bool ExecAccess::ParseFamilyLine(Interpreter& in, ScriptLine& line, const ParseEnv& env) {
  CommandFamily* family = line.family;
  line.results = 0;
  if (family->RunsWholeLines()) {
    line.flags |= ScriptLine::kWholeLine;
    return family->ParseLine(in, line, env);
  }
  line.flags &= static_cast<std::uint8_t>(~ScriptLine::kWholeLine);
  const std::string_view text = line.text;
  std::size_t pos = static_cast<std::size_t>(line.operandStart);
  const std::string_view kinds = OperandKinds(line.command);
  ErrorState& err = in.err_;
  if (TakesLeadingVariable(line.command)) {  // StringGetLength
    if (!line.hasLeading()) return in.Fail(err::kLeadingVariableExpected);
    if (line.leading.isImmediate()) return in.Fail(err::kLeadingImmediate);
  }
  int n = 0;
  line.aux = 0;  // asset operands given by a macro parameter, one bit each
  for (std::size_t i = 0; i < kinds.size(); ++i, ++n) {
    if (n >= kMaxLineOperands) return in.Fail(err::kExtraText);
    Operand& op = line.ops[n];
    OperandWord* word = &line.words[n];
    char letter = kinds[i];
    if (line.command == cmd::StringGetCharacter && i == 0) letter = 's';
    AssetKind kind;
    AttributeTable table;
    if (letter == 'V') {
      if (!ParseVariableOperand(text, pos, env, op, err, word)) return false;
      line.results |= static_cast<std::uint16_t>(1u << n);
    } else if (AttributeTableOf(letter, table)) {  // a bracketed name of its own table
      if (!ParseAttributeOperand(table, text, pos, env, op, err)) return false;
    } else if (AssetKindOf(letter, kind)) {
      const AssetErrors codes = AssetErrorCodes(kind);
      const std::size_t p = skipBlanks(text, pos);
      if (AtLineEnd(text, p)) return in.Fail(codes.missing);
      const std::size_t end = TokenEnd(text, p);
      const int named = family->FindAsset(kind, text.substr(p, end - p));
      if (named >= 0) {
        op = Operand::Immediate(named);
        pos = end;
      } else if (!ParseValueOperand(text, pos, env, op, err, word)) {
        // A name that is no asset of the kind, rather than a bad value.
        if (err.GetError() == err::kUnknownParameter && codes.unknown) err.SetError(codes.unknown);
        return false;
      } else if (env.inMacro && IsMacroParameterWord(*word)) {
        line.aux |= 1 << n;
      }
    } else if (letter == 'S' || letter == 'L') {  // a comparison operator, as its index
      int lop = 0;
      if (!ParseComparison(text, pos, env, lop, err)) return false;
      if (letter == 'S' && IsTripleOp(lop)) return in.Fail(err::kTripleOperatorInSearch);
      op = Operand::Immediate(lop);
    } else if (letter == 'e') {  // Array.Element, named through the array family
      if (!ParseArrayElementValue(text, pos, env, op, err, word)) return false;
    } else {
      if (!ParseValueOperand(text, pos, env, op, err, word)) return false;
    }
  }
  line.count = static_cast<std::uint8_t>(n);
  if (!AtLineEnd(text, pos)) return in.Fail(err::kExtraText);
  return true;
}

bool ExecAccess::RunFamilyLine(Interpreter& in, ScriptLine& line) {
  CommandFamily* family = line.family;
  if (line.flags & ScriptLine::kWholeLine) return family->RunLine(in, line);
  std::int32_t p[kMaxLineOperands];
  int values = 0;
  int results[kMaxLineOperands];
  int resultCount = 0;
  in.evalFailed_ = false;
  for (int i = 0; i < line.count; ++i) {
    if (line.results >> i & 1u) results[resultCount++] = i;
    else p[values++] = in.Eval(line.ops[i]);
  }
  if (in.evalFailed_) return false;
  std::int32_t out[3] = {0, 0, 0};
  int outCount = 0;
  if (!family->Execute(line.command, p, values, out, outCount, in.err_)) {
    if (line.aux) ReportMacroAssetIndex(line, OperandKinds(line.command), in.err_);
    return false;
  }
  if (line.command == cmd::StringGetLength) {
    Operand target = line.leading;
    target.ext = ExtendOp::None;
    return outCount < 1 || in.Store(target, out[0]);
  }
  for (int k = 0; k < resultCount && k < outCount; ++k)
    if (!in.Store(line.ops[results[k]], out[k])) return false;
  return true;
}

}  // namespace tarvolin::script
