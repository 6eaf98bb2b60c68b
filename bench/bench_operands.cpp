// Speed of the operand layer: evaluating cached operand words (done for every
// executed line) and classifying and parsing a line (done once per line).
#include <benchmark/benchmark.h>

#include <array>

#include "script/line_parse.h"
#include "script/memory_context.h"

namespace {

using namespace tarvolin::script;

// The words of a typical loop body: immediates, locals, globals, extended.
void BM_EvaluateOperand(benchmark::State& state) {
  MemoryVariables vars;
  vars.frame[kVarLocal0] = 3;
  vars.globals[2] = 9;
  const std::array<OperandWord, 8> words = {
      MakeImmediate(5),           MakeVariable(kVarLocal0),  MakeImmediate(-4000),
      MakeVariable(kVarGlobal0 + 2), MakeExtended(kVarLocal0, kExtendAdd, 7),
      MakeImmediate(1234567),     MakeVariable(kVarArgument0), MakeVariable(kVarReturn0 + 1)};
  const VariableStore store = vars.Store();
  std::int32_t sum = 0;
  for (auto _ : state) {
    for (const OperandWord w : words) {
      std::int32_t v = 0;
      EvaluateOperand(w, store, v);
      sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(words.size()));
}
BENCHMARK(BM_EvaluateOperand);

// One comparison of a While line, as the interpreter repeats it per pass.
void BM_EvaluateCondition(benchmark::State& state) {
  MemoryParseContext ctx;
  MemoryVariables vars;
  ParsedOperands ops;
  ParseCommandOperands(cmd::While, " V_LV0 < 100", 0, ctx, false, ops);
  const VariableStore store = vars.Store();
  for (auto _ : state) {
    bool result = false;
    EvaluateCondition(cmd::While, ops, store, result);
    benchmark::DoNotOptimize(result);
    vars.frame[kVarLocal0] = (vars.frame[kVarLocal0] + 1) & 127;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateCondition);

// Classifying and parsing a line from its text (first execution only).
void BM_ClassifyAndParse(benchmark::State& state) {
  MemoryParseContext ctx;
  ctx.AddArray("Enemies", {"hp", "x", "y"});
  const char* lines[] = {"V_LV0 += #_TILEMAP_FLIPH|#_TILEMAP_FLIPV", "If Enemies.x[V_LV1+1] >= 0x10",
                         "SpriteSetAttribute V_LV2 [Xpos] Enemies.x[V_LV2]", "; a comment line"};
  for (auto _ : state) {
    for (const char* text : lines) {
      const LineClass line = ClassifyLine(text, ctx);
      ParsedOperands ops;
      if (OperandKinds(line.id) != "?")
        ParseCommandOperands(line.id, text, line.operandStart, ctx, false, ops);
      benchmark::DoNotOptimize(ops);
    }
  }
  state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_ClassifyAndParse);

}  // namespace
