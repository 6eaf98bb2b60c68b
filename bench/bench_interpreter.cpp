// Script lines executed per second: an arithmetic loop, the same loop with a
// command-family line in place of one sum, a loop that calls a function each
// time round, and a frame that uses every budget in full.
#include <benchmark/benchmark.h>

#include <string>

#include "commands/hardware_commands.h"
#include "common/host.h"
#include "machine/machine_state.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"
#include "script/timing.h"

namespace {

using namespace tarvolin;
using namespace tarvolin::script;

struct Game {
  QuietHost host;
  MemoryScriptDocuments docs;
  Interpreter interp{host};
  TimingEngine timing;
  machine::MachineState machine;
  commands::HardwareCommands hardware;
  explicit Game(const std::string& main) {
    docs.addFile("main.txt", main);
    interp.setDocuments(&docs);
    // The display, tile, sprite and collision commands, as the workbench
    // installs them.
    hardware.bind(&machine, &timing);
    interp.setFamily(&hardware);
    // The shipped cost table, so each command pays for its cycle estimate.
    timing.LoadTimingDatabase(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/timing_database.txt",
                              [](std::string_view) {});
    interp.setTiming(&timing);
    if (timing.CommandCost(37) == 0) std::abort();  // the table must have loaded
    Preprocessor pre(interp);
    PreprocessInput in;
    in.mainScript = "main.txt";
    if (!pre.Preprocess(in, false)) std::abort();
  }
};

// s = s + i; i = i + 1 under a While: four lines per iteration. The loop
// never ends, so every frame runs its full budget of 20000 lines.
void BM_ArithmeticLoop(benchmark::State& state) {
  Game g(
      "V_LV0 = 0\n"
      "V_LV1 = 0\n"
      "While V_LV1 >= 0\n"
      "  V_LV0 += V_LV1\n"
      "  V_LV1 += 1\n"
      "End\n"
      "Return\n");
  g.interp.RunMainFrame(false);
  for (auto _ : state) {
    if (!g.interp.RunMainFrame(false)) state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * kMainBudget);
  state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kMainBudget,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ArithmeticLoop);

// The arithmetic loop with one sum replaced by a family command that does
// little: the cost of handing a line to a command family.
void BM_FamilyLineLoop(benchmark::State& state) {
  Game g(
      "V_LV0 = 0\n"
      "V_LV1 = 0\n"
      "While V_LV1 >= 0\n"
      "  DisplayGetScanLine V_LV0\n"
      "  V_LV1 += 1\n"
      "End\n"
      "Return\n");
  g.interp.RunMainFrame(false);
  if (g.interp.errors().HasError()) std::abort();  // the family must take the line
  for (auto _ : state) {
    if (!g.interp.RunMainFrame(false)) state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * kMainBudget);
  state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kMainBudget,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FamilyLineLoop);

// A loop that calls a two-line function each time round (Call, Function,
// body, Return, plus the loop's own lines).
void BM_CallLoop(benchmark::State& state) {
  Game g(
      "V_LV0 = 0\n"
      "While V_LV0 >= 0\n"
      "  Call Step V_LV0\n"
      "  V_LV0 += 1\n"
      "End\n"
      "Return\n"
      "Function Step 1\n"
      "  V_LV0 = V_EV0\n"
      "Return V_LV0\n");
  g.interp.RunMainFrame(false);
  for (auto _ : state) {
    if (!g.interp.RunMainFrame(false)) state.SkipWithError("run failed");
  }
  state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kMainBudget,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CallLoop);

// One frame with every budget used in full: 20000 main lines, 160 HBlankCB
// runs of 60 lines (declaration and Return included), 5000 VBlankCB lines.
void BM_FullBudgetFrame(benchmark::State& state) {
  // Lines at a level that does not execute count too: a While loop of N
  // rounds takes 3 N + 3 lines (the last test, the skipped body, the End).
  std::string main =
      "V_LV0 = 0\n"
      "While V_LV0 < 6665\n"
      "  V_LV0 += 1\n"
      "End\n"
      "Return\n"  // 1 + 3 * 6665 + 3 + 1 = 20000 lines
      "Function HBlankCB 0\n";
  for (int i = 0; i < 58; ++i) main += "  V_LV1 += V_EV0\n";
  main +=
      "Return\n"
      "Function VBlankCB 0\n"
      "  V_LV0 = 0\n"
      "  V_LV1 = 0\n"
      "  V_LV2 = 0\n"
      "  While V_LV0 < 1664\n"
      "    V_LV0 += 1\n"
      "  End\n"
      "Return\n";  // 4 + 3 * 1664 + 3 + 1 = 5000 lines
  Game g(main);
  for (auto _ : state) {
    bool ok = g.interp.RunMainFrame(false);
    for (int line = 0; line < 160; ++line) ok &= g.interp.RunHBlankCallback(line);
    ok &= g.interp.RunVBlankCallback();
    if (!ok || g.interp.running()) state.SkipWithError("frame did not finish");
  }
  state.counters["lines/frame"] = 20000 + 160 * 60 + 5000;
}
BENCHMARK(BM_FullBudgetFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
