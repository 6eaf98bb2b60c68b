// Any script line: classify it, parse its operands as its command would and
// as every operand kind, and evaluate what parsed. Nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/line_parse.h"
#include "script/memory_context.h"

using namespace tarvolin::script;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  MemoryParseContext ctx;
  ctx.AddArray("Table", {"Item", "Other"});
  ctx.AddArray("ERAM", {"u8", "s8", "u16", "s16"}, true);
  ctx.AddAsset(AssetKind::String, "Title");
  ctx.AddAsset(AssetKind::Resource, "Hero");
  ctx.AddDefinition("SPEED", 12);
  ctx.inMacro = size > 0 && (data[0] & 1);
  MemoryVariables vars;
  vars.AddArray(2, 16);
  vars.inMacro = ctx.inMacro;
  vars.macroParameters[0] = MakeImmediate(3);
  vars.macroParameters[1] = MakeVariable(kVarArray0);
  if (ctx.inMacro) ctx.macroParameters = vars.macroParameters.data();
  const VariableStore store = vars.Store();

  const LineClass line = ClassifyLine(text, ctx);
  std::int32_t value = 0;
  if (line.hasLeadingVariable) {
    EvaluateOperand(line.leadingVariable, store, value);
    StoreToVariable(line.leadingVariable, 1, store);
  }
  ParsedOperands ops;
  if (line.operandStart <= text.size() && OperandKinds(line.id) != "?" &&
      ParseCommandOperands(line.id, text, line.operandStart, ctx, true, ops)) {
    for (int i = 0; i < ops.count; ++i) EvaluateOperand(ops.words[i], store, value);
    bool result = false;
    if (DeprecatedOperator(line.id) >= 0 || line.id == cmd::If || line.id == cmd::While)
      EvaluateCondition(line.id, ops, store, result);
  }
  std::size_t pos = 0;
  OperandWord word = 0;
  if (ParseValue(text, pos, ctx, word)) {
    EvaluateOperand(word, store, value);
    StoreToVariable(word, 2, store);
  }
  for (int k = 0; k < kAssetKindCount; ++k) {
    pos = 0;
    ParseAssetOperand(static_cast<AssetKind>(k), text, pos, ctx, word);
  }
  for (int t = 0; t < kAttributeTableCount; ++t) {
    pos = 0;
    int index = 0;
    ParseAttribute(static_cast<AttributeTable>(t), text, pos, ctx, index);
  }
  return 0;
}
