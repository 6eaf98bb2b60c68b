// Parsing a classified line's operands into their decoded form, once per line
// (macro body lines: once for each script that calls the macro).
#include <cstring>

#include "common/text.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/exec_operands.h"
#include "script/family_access.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

namespace {

// Finds the quoted text starting at or after `pos`: [open+1, close).
bool FindQuoted(std::string_view text, std::size_t& pos, std::size_t& begin, std::size_t& end) {
  const std::size_t open = text.find('"', pos);
  if (open == std::string_view::npos) return false;
  const std::size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return false;
  begin = open + 1;
  end = close;
  pos = close + 1;
  return true;
}

}  // namespace

ParseEnv Interpreter::MakeEnv(bool inMacro) const {
  ParseEnv env;
  env.tables = &tables_;
  env.families = &families_;
  env.script = curScript_;
  env.inMacro = inMacro;
  env.executing = blocks_[level_].executing;
  if (inMacro) {
    env.macroWords = macroWords_;
    env.macroParamCount = macroParamCount_;
  }
  return env;
}

bool Interpreter::ParseLine(ScriptLine& line, bool inMacro) {
  const ParseEnv env = MakeEnv(inMacro);
  const std::string_view text = line.text;
  std::size_t pos = static_cast<std::size_t>(line.operandStart);
  const std::int32_t command = line.command;
  line.count = 0;

  auto value = [&](int i) { return ParseValueOperand(text, pos, env, line.ops[i], err_, &line.words[i]); };
  auto variable = [&](int i) { return ParseVariableOperand(text, pos, env, line.ops[i], err_, &line.words[i]); };
  auto restEmpty = [&]() { return AtLineEnd(text, pos) || Fail(err::kExtraText); };

  if (OpensBlock(command) || command == cmd::ElseIf || command == cmd::Assert) {
    const int fixed = DeprecatedOperator(command);
    if (!value(0)) return false;
    int lop = fixed;
    if (fixed < 0 || command == cmd::IfBetweenOrEqual || command == cmd::IfOutside) {
      int read = 0;
      if (!ParseComparison(text, pos, env, read, err_)) return false;
      // An operator split by a blank ("> =") is a bad operator.
      const std::size_t next = skipBlanks(text, pos);
      if (next < text.size() && std::string_view("=!<>&").find(text[next]) != std::string_view::npos)
        return Fail(err::kBadOperator);
      if (fixed < 0) lop = read;
    }
    if (!value(1)) return false;
    line.count = 2;
    if (IsTripleOp(lop)) {
      if (AtLineEnd(text, pos)) return Fail(err::kOperatorNeedsTwo);
      if (!value(2)) return false;
      line.count = 3;
    }
    line.lop = static_cast<std::uint8_t>(lop);
    if (!restEmpty()) return false;
  } else if (command >= cmd::AddTo && command <= cmd::Qdist) {
    if (!line.hasLeading()) return Fail(err::kLeadingVariableExpected);
    if (line.leading.isImmediate()) return Fail(err::kLeadingImmediate);
    const int n = InputOperandCount(command);
    for (int i = 0; i < n; ++i)
      if (!value(i)) return false;
    line.count = static_cast<std::uint8_t>(n);
    if (!restEmpty()) return false;
  } else {
    switch (command) {
      case cmd::Else: case cmd::End: case cmd::Break:
        if (!restEmpty()) return false;
        break;
      case cmd::BreakMore:
        if (!value(0)) return false;
        line.count = 1;
        if (!restEmpty()) return false;
        break;
      case cmd::Call: case cmd::CallRet: {
        std::size_t p = skipBlanks(text, pos);
        if (p >= text.size() || text[p] == ';') return Fail(err::kUndefinedFunction);
        std::size_t e = p;
        while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
        const std::string_view name = text.substr(p, e - p);
        int declared = -1;
        const int g = tables_.FindGlobalIndex(name);
        const int s = g >= 0 ? -1 : tables_.FindScriptIndex(curScript_, name);
        if (g >= 0) {
          line.target = CallTarget::Global;
          line.targetIndex = g;
          declared = tables_.globals[static_cast<std::size_t>(g)].params;
          pos = e;
        } else if (s >= 0) {
          line.target = CallTarget::Script;
          line.targetIndex = s;
          declared = tables_.scripts[static_cast<std::size_t>(curScript_)].functions[static_cast<std::size_t>(s)].params;
          pos = e;
        } else {
          if (!value(0)) return err_.GetError() == err::kUnknownParameter ? Fail(err::kUndefinedFunction) : false;
          line.target = CallTarget::Value;
        }
        int args = 0;
        while (!AtLineEnd(text, pos)) {
          if (args == kMaxFunctionParams) return Fail(err::kWrongArgumentCount);
          if (!value(1 + args)) return false;
          ++args;
        }
        if (declared >= 0 && declared != args) return Fail(err::kWrongArgumentCount);
        line.count = static_cast<std::uint8_t>(args);
        break;
      }
      case cmd::Return: {
        int n = 0;
        while (n < 4 && !AtLineEnd(text, pos)) {
          if (!value(n)) return false;
          ++n;
        }
        line.count = static_cast<std::uint8_t>(n);
        if (!restEmpty()) return false;
        break;
      }
      case cmd::Log: case cmd::LogFile: {
        std::size_t b = 0, e = 0;
        if (command == cmd::LogFile) {
          if (!FindQuoted(text, pos, b, e)) return Fail(err::kBadLogFormat);
          line.file = {static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e)};
        }
        if (!FindQuoted(text, pos, b, e)) return Fail(err::kBadLogFormat);
        line.format = {static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e)};
        int n = 0;
        while (!AtLineEnd(text, pos)) {
          if (n == 8) return Fail(err::kBadLogFormat);
          if (!value(n)) return false;
          ++n;
        }
        line.count = static_cast<std::uint8_t>(n);
        break;
      }
      case cmd::DebugIsKeyPressed:
        if (!value(0) || !variable(1)) return false;
        line.count = 2;
        if (!restEmpty()) return false;
        break;
      case cmd::DebugGetMousePosition:
        if (!variable(0) || !variable(1)) return false;
        line.count = 2;
        if (!restEmpty()) return false;
        break;
      case cmd::MacroCall: {
        std::size_t e = pos;
        while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
        const int macro = tables_.FindMacro(text.substr(pos, e - pos));
        if (macro < 0) return Fail(err::kMacroUndefined);
        pos = e;
        int n = 0;
        while (!AtLineEnd(text, pos)) {
          if (n == 10) return Fail(err::kMacroTooManyArguments);
          if (!value(n)) return false;
          ++n;
        }
        if (n != tables_.macros[static_cast<std::size_t>(macro)].params) return Fail(err::kMacroArgumentCount);
        line.aux = macro;
        line.count = static_cast<std::uint8_t>(n);
        break;
      }
      default:
        // The command families parse their own lines (family_access.cpp);
        // the line keeps its family so that running it needs no lookup.
        line.family = FamilyFor(command);
        if (line.family && !ExecAccess::ParseFamilyLine(*this, line, env)) return false;
        break;
    }
  }
  line.flags |= ScriptLine::kParsed;
  return true;
}

}  // namespace tarvolin::script
