#include "script/exec_operands.h"

#include "common/text.h"
#include "script/command_family.h"
#include "script/line_parse.h"
#include "script/operand_parse.h"
#include "script/parse_context.h"

namespace tarvolin::script {

namespace {

int GlobalSetOf(const ParseEnv& env) {
  const ScriptTables& t = *env.tables;
  int set = 0;
  if (env.script >= 0 && env.script < static_cast<int>(t.scripts.size()))
    set = t.scripts[static_cast<std::size_t>(env.script)].globalSet;
  return set >= 0 && set < static_cast<int>(t.globalSets.size()) ? set : 0;
}

// The language's parsers see the interpreter's tables through this.
class EnvContext final : public ParseContext {
 public:
  EnvContext(const ParseEnv& env, ErrorState& err) : env_(env), err_(err) {}

  ErrorState& Errors() override { return err_; }
  bool FindDefinition(std::string_view name, std::int32_t& value) const override {
    const Definition* d = env_.tables->FindDefinition(name);
    if (!d) return false;
    value = d->value;
    return true;
  }
  int FindGlobal(std::string_view name) const override {
    const ScriptTables& t = *env_.tables;
    const int set = GlobalSetOf(env_);
    for (int i = 0; i < kGlobalsPerSet; ++i) {
      const std::size_t k = static_cast<std::size_t>(i);
      const GlobalSet& owner = t.globalSets[0].shared[k] ? t.globalSets[0] : t.globalSets[static_cast<std::size_t>(set)];
      if (equalsIgnoreCase(owner.names[k], name)) return i;
    }
    return -1;
  }
  int FindAsset(AssetKind kind, std::string_view name) const override {
    if (kind == AssetKind::Function) return env_.tables->FindScriptIndex(env_.script, name);
    if (env_.families)
      for (const CommandFamily* f : *env_.families)
        if (int index = f->FindAsset(kind, name); index >= 0) return index;
    return -1;
  }
  int AssetCount(AssetKind kind) const override {
    // Only function indices are checked here; the families check theirs.
    if (kind != AssetKind::Function) return 0x7FFFFFFF;
    const ScriptTables& t = *env_.tables;
    if (env_.script < 0 || env_.script >= static_cast<int>(t.scripts.size())) return 0;
    return static_cast<int>(t.scripts[static_cast<std::size_t>(env_.script)].functions.size());
  }
  bool IsSystemArray(int array) const override {
    if (env_.families)
      for (const CommandFamily* f : *env_.families)
        if (f->IsSystemArray(array)) return true;
    return false;
  }
  int FindArrayElement(int array, std::string_view element) const override {
    if (env_.families)
      for (const CommandFamily* f : *env_.families)
        if (int index = f->FindArrayElement(array, element); index >= 0) return index;
    return -1;
  }
  bool IsExecuting() const override { return env_.executing; }
  bool InMacro() const override { return env_.inMacro; }
  const OperandWord* MacroParameters() const override { return env_.macroWords; }

 private:
  const ParseEnv& env_;
  ErrorState& err_;
};

}  // namespace

Operand DecodeWord(OperandWord word, const ParseEnv& env) {
  if (IsImmediate(word)) return Operand::Immediate(ImmediateValue(word));
  const int number = static_cast<int>(VariableNumber(word));
  Operand o;
  const int slot = FrameSlotOfVariable(number);
  if (slot >= 0) {
    o.kind = OperandKind::Frame;
    o.value = slot;
  } else if (number >= kVarGlobal0 && number < kVarGlobal0 + kGlobalsPerSet) {
    const ScriptTables& t = *env.tables;
    const int index = number - kVarGlobal0;
    int set = GlobalSetOf(env);
    if (index == kGlobalsPerSet - 1 || t.globalSets[0].shared[static_cast<std::size_t>(index)]) set = 0;
    o.kind = OperandKind::Global;
    o.value = set * kGlobalsPerSet + index;
  } else if (number >= kVarMacro0 && number < kVarMacro0 + kMacroParameterCount) {
    const int n = number - kVarMacro0;
    if (!env.macroWords || n >= env.macroParamCount) return Operand::Immediate(0);
    o = DecodeWord(env.macroWords[n], env);
    // Extending a parameter extends the variable it stands for.
    if (o.kind != OperandKind::Frame && o.kind != OperandKind::Global) return o;
  } else if (number >= kVarInput0 && number < kVarInputEnd) {
    o.kind = OperandKind::Input;
    o.value = number;
  } else if (number >= kVarArray0) {
    o.kind = OperandKind::ArrayElement;
    o.value = number - kVarArray0;
  } else {
    o.kind = OperandKind::Unused;
  }
  if (IsExtended(word)) {
    switch (ExtendedOperator(word)) {
      case kExtendAdd: o.ext = ExtendOp::Add; break;
      case kExtendSubtract: o.ext = ExtendOp::Subtract; break;
      case kExtendMultiply: o.ext = ExtendOp::Multiply; break;
      default: o.ext = ExtendOp::And; break;
    }
    o.amount = static_cast<std::uint8_t>(ExtendedAmount(word));
  }
  return o;
}

bool AtLineEnd(std::string_view text, std::size_t pos) { return RestIsEmpty(text, pos); }

bool ParseBasicOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err, OperandWord* word) {
  EnvContext ctx(env, err);
  OperandWord w = 0;
  if (!script::ParseBasicOperand(text, pos, ctx, w)) return false;
  out = DecodeWord(w, env);
  if (word) *word = w;
  return true;
}

bool ParseValueOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err, OperandWord* word) {
  EnvContext ctx(env, err);
  OperandWord w = 0;
  if (!ParseValue(text, pos, ctx, w)) return false;
  out = DecodeWord(w, env);
  if (word) *word = w;
  return true;
}

bool ParseArrayElementValue(std::string_view text, std::size_t& pos, const ParseEnv& env,
                            Operand& out, ErrorState& err, OperandWord* word) {
  EnvContext ctx(env, err);
  int array = 0, element = 0;
  if (!ParseArrayElementOperand(text, pos, ctx, array, element)) return false;
  if (array > 65535 || element > 4095) {  // beyond what the immediate carries
    err.SetError(array > 65535 ? err::kArrayVariableArrayLimit : err::kArrayVariableElementLimit);
    return false;
  }
  const OperandWord w = MakeArrayElementWord(array, element);
  out = DecodeWord(w, env);
  if (word) *word = w;
  return true;
}

bool ParseVariableOperand(std::string_view text, std::size_t& pos, const ParseEnv& env,
                          Operand& out, ErrorState& err, OperandWord* word) {
  EnvContext ctx(env, err);
  OperandWord w = 0;
  if (!ParseVariable(text, pos, ctx, w)) return false;
  out = DecodeWord(w, env);
  if (out.isImmediate()) {
    err.SetError(err::kVariableExpected);
    return false;
  }
  if (word) *word = w;
  return true;
}

bool ParseImmediateValue(std::string_view text, std::size_t& pos, const ParseEnv& env,
                         std::int32_t& value, ErrorState& err) {
  EnvContext ctx(env, err);
  return ParseImmediateOperand(text, pos, ctx, value);
}

bool ParseAttributeOperand(AttributeTable table, std::string_view text, std::size_t& pos,
                           const ParseEnv& env, Operand& out, ErrorState& err) {
  EnvContext ctx(env, err);
  int index = 0;
  if (!ParseAttribute(table, text, pos, ctx, index)) return false;
  out = Operand::Immediate(index);
  return true;
}

bool ParseComparison(std::string_view text, std::size_t& pos, const ParseEnv& env, int& lop,
                     ErrorState& err) {
  EnvContext ctx(env, err);
  return ParseOperator(text, pos, ctx, lop);
}

void ClassifyText(std::string_view text, const ParseEnv& env, Classification& out) {
  ErrorState scratch;
  EnvContext ctx(env, scratch);
  const LineClass c = ClassifyLine(text, ctx);
  out = Classification();
  out.command = c.id;
  out.operandStart = static_cast<std::int32_t>(c.operandStart);
  out.hasLeading = c.hasLeadingVariable;
  if (c.hasLeadingVariable) {
    out.leadingWord = c.leadingVariable;
    out.leading = DecodeWord(c.leadingVariable, env);
  }
  out.leadingError = c.leadingError;
}

void ClassifyScriptLine(ScriptLine& line, const ParseEnv& env) {
  Classification c;
  ClassifyText(line.text, env, c);
  line.command = c.command;
  line.operandStart = c.operandStart;
  line.leading = c.leading;
  line.leadingWord = c.leadingWord;
  line.aux = c.command == cmd::UndefinedCommand ? c.leadingError : 0;
  line.flags = static_cast<std::uint8_t>(ScriptLine::kLoaded | ScriptLine::kClassified |
                                         (c.hasLeading ? ScriptLine::kHasLeading : 0) |
                                         (IsSkippedCommand(c.command) ? ScriptLine::kSkipped : 0));
}

}  // namespace tarvolin::script
