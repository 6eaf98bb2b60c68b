// Speed of the operand layer as the interpreter runs it: evaluating decoded
// operands (done for every executed line), a While condition tested on every
// pass, and classifying and parsing lines from their text (done once per
// line, again after each preprocessing).
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "commands/hardware_commands.h"
#include "common/host.h"
#include "machine/machine_state.h"
#include "script/exec_operands.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"

namespace {

using namespace tarvolin;
using namespace tarvolin::script;

struct Game {
  QuietHost host;
  MemoryScriptDocuments docs;
  Interpreter interp{host};
  Preprocessor pre{interp};
  PreprocessInput input;
  machine::MachineState machine;
  commands::HardwareCommands hardware;
  explicit Game(const std::string& main) {
    docs.addFile("main.txt", main);
    interp.setDocuments(&docs);
    hardware.bind(&machine, nullptr);
    interp.setFamily(&hardware);
    input.mainScript = "main.txt";
    if (!pre.Preprocess(input, false)) std::abort();
  }
};

// The operands of a typical loop body: immediates, locals, globals, extended.
void BM_EvaluateOperand(benchmark::State& state) {
  Game g("Return\n");
  ParseEnv env;
  env.tables = &g.interp.tables();
  env.script = 0;
  const std::array<const char*, 8> texts = {"5",      "V_LV0",    "-4000", "G_VAR02",
                                            "V_LV0+7", "1234567", "V_EV0", "V_RV1"};
  std::array<Operand, 8> ops;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::size_t pos = 0;
    ErrorState err;
    if (!ParseValueOperand(texts[i], pos, env, ops[i], err)) std::abort();
  }
  std::int32_t sum = 0;
  for (auto _ : state) {
    for (const Operand& o : ops) {
      std::int32_t v = 0;
      g.interp.Evaluate(o, v);
      sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ops.size()));
}
BENCHMARK(BM_EvaluateOperand);

// A While loop with an empty body: each pass tests the condition and jumps
// back from the End; the frame runs its full budget of 20000 lines.
void BM_WhileCondition(benchmark::State& state) {
  Game g("V_LV0 = 0\nWhile V_LV0 < 100\nEnd\nReturn\n");
  g.interp.RunMainFrame(false);
  for (auto _ : state) {
    if (!g.interp.RunMainFrame(false)) state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * kMainBudget / 2);  // two lines a pass
}
BENCHMARK(BM_WhileCondition);

// Classifying and parsing lines from their text: each iteration preprocesses
// the script again (which forgets every parse) and runs it once, with the
// lines at a level that does not execute, so they are parsed, not performed.
void BM_ClassifyAndParse(benchmark::State& state) {
  const char* lines[] = {"V_LV0 += #_TILEMAP_FLIPH|#_TILEMAP_FLIPV", "If V_LV1 >= 0x10", "End",
                         "SpriteSetAttribute V_LV2 [Xpos] {1,2,3}", "; a comment line"};
  constexpr int kCopies = 100;
  std::string main = "If 1 == 0\n";
  for (int i = 0; i < kCopies; ++i)
    for (const char* line : lines) main += std::string(line) + "\n";
  main += "End\nReturn\n";
  Game g(main);
  for (auto _ : state) {
    if (!g.pre.Preprocess(g.input, false) || !g.interp.RunMainFrame(false))
      state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * kCopies * static_cast<std::int64_t>(std::size(lines)));
}
BENCHMARK(BM_ClassifyAndParse);

}  // namespace
