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

bool IsMacroParameter(OperandWord word) {
  const std::uint32_t number = VariableNumber(word);
  return IsVariable(word) && number >= std::uint32_t(kVarMacro0) &&
         number < std::uint32_t(kVarMacro0 + kMacroParameterCount);
}

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
  if (CommandFamily* family = in.FamilyFor(line.command); family && family->RunsWholeLines())
    return family->ParseLine(in, line, env);
  const std::string_view text = line.text;
  std::size_t pos = static_cast<std::size_t>(line.operandStart);
  const std::string_view kinds = OperandKinds(line.command);
  ErrorState& err = in.err_;
  if (line.command == cmd::StringGetLength) {
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
    } else if (AttributeTableOf(letter, table)) {  // a bracketed name of its own table
      const AttributeErrors codes = AttributeErrorCodes(table);
      const std::size_t p = skipBlanks(text, pos);
      if (AtLineEnd(text, p)) return in.Fail(codes.missing);
      const std::size_t end = TokenEnd(text, p);
      const std::string_view token = text.substr(p, end - p);
      if (token.size() < 2 || token.front() != '[' || token.back() != ']') return in.Fail(codes.malformed);
      const int found = FindAttribute(table, token.substr(1, token.size() - 2));
      if (found < 0) return in.Fail(codes.unknown);
      op = Operand::Immediate(found);
      pos = end;
    } else if (AssetKindOf(letter, kind)) {
      const AssetErrors codes = AssetErrorCodes(kind);
      const std::size_t p = skipBlanks(text, pos);
      if (AtLineEnd(text, p)) return in.Fail(codes.missing);
      const std::size_t end = TokenEnd(text, p);
      CommandFamily* family = in.FamilyFor(line.command);
      const int named = family ? family->FindAsset(kind, text.substr(p, end - p)) : -1;
      if (named >= 0) {
        op = Operand::Immediate(named);
        pos = end;
      } else if (!ParseValueOperand(text, pos, env, op, err, word)) {
        // A name that is no asset of the kind, rather than a bad value.
        if (err.GetError() == err::kUnknownParameter && codes.unknown) err.SetError(codes.unknown);
        return false;
      } else if (env.inMacro && IsMacroParameter(*word)) {
        line.aux |= 1 << n;
      }
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
  if (CommandFamily* family = in.FamilyFor(line.command); family->RunsWholeLines())
    return family->RunLine(in, line);
  const std::string_view kinds = OperandKinds(line.command);
  std::int32_t p[kMaxLineOperands] = {};
  int values = 0;
  int results[kMaxLineOperands];
  int resultCount = 0;
  in.evalFailed_ = false;
  for (int i = 0; i < line.count && std::size_t(i) < kinds.size(); ++i) {
    if (kinds[std::size_t(i)] == 'V') results[resultCount++] = i;
    else p[values++] = in.Eval(line.ops[i]);
  }
  if (in.evalFailed_) return false;
  std::int32_t out[3] = {0, 0, 0};
  int outCount = 0;
  if (!in.FamilyFor(line.command)->Execute(line.command, p, values, out, outCount, in.err_)) {
    if (line.aux) ReportMacroAssetIndex(line, kinds, in.err_);
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
