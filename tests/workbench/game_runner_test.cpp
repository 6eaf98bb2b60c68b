// Frames as the emulator runs them: main script, then the picture with the
// per-line and per-frame callbacks, and how failures and budgets are told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/machine_state.h"
#include "script/script_rig.h"
#include "workbench/game_runner.h"
#include "workbench/script_runtime.h"

namespace tarvolin::test {

namespace {

struct Rig {
  script::test::RecordingHost host;
  script::MemoryScriptDocuments docs;
  ScriptRuntime runtime{host};
  machine::MachineState machine;
  GameRunner game{runtime, machine, host};
  std::vector<std::string> status;

  explicit Rig(const std::string& main, bool blank = false) {
    docs.addFile("main.txt", main);
    runtime.setDocuments(&docs);
    machine.setDisplayAttribute(machine::DisplayAttribute::BlankDisplay, blank ? 1 : 0);
    game.onStatus = [this](std::string_view s) { status.emplace_back(s); };
  }
  bool start() {
    script::PreprocessInput in;
    in.mainScript = "main.txt";
    if (!runtime.preprocessor().Preprocess(in, false)) return false;
    game.Start();
    return true;
  }
  std::int32_t global(int i) { return runtime.interpreter().globalVariable(0, i); }
};

const char* kCallbacks =
    "G_VAR00 += 1\nReturn\n"
    "Function HBlankCB 0\nG_VAR01 += V_EV0\nG_VAR02 += 1\nReturn\n"
    "Function VBlankCB 0\nG_VAR03 = G_VAR02\nReturn\n";

}  // namespace

TEST(GameRunner, CallbacksFollowThePicture) {
  Rig r(kCallbacks);
  ASSERT_TRUE(r.start());
  // Without Initialise the first frame runs nothing and leaves the main run
  // started, so the callbacks wait too.
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(2), 0);
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(2), 160);
  EXPECT_EQ(r.global(1), 159 * 160 / 2);  // V_EV0 holds the scan line
  EXPECT_EQ(r.global(3), 160);            // VBlankCB runs after the last line
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(0), 2);
  EXPECT_EQ(r.global(2), 320);

  // A blanked display, or a bitmap mode, calls neither callback.
  Rig blank(kCallbacks, true);
  ASSERT_TRUE(blank.start());
  blank.game.RunFrame();
  EXPECT_EQ(blank.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(blank.global(0), 1);
  EXPECT_EQ(blank.global(2), 0);
  EXPECT_EQ(blank.global(3), 0);
}

TEST(GameRunner, UnfinishedMainRunSkipsCallbacks) {
  Rig r(
      "While G_VAR05 < 15000\nG_VAR05 += 1\nEnd\nReturn\n"
      "Function HBlankCB 0\nG_VAR02 += 1\nReturn\n");
  ASSERT_TRUE(r.start());
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);  // first frame: no Initialise
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Budget);
  EXPECT_EQ(r.global(2), 0);
  ASSERT_EQ(r.status.size(), 1u);
  EXPECT_EQ(r.status[0], "<Ciclo de Ejecución : Bucle infinito probablemente cerca de la línea 3>");
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Budget);
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(5), 15000);
  EXPECT_EQ(r.global(2), 160);
}

TEST(GameRunner, CallbackFailuresAreReported) {
  std::string main = "Return\nFunction HBlankCB 0\n";
  for (int i = 0; i < 60; ++i) main += "G_VAR00 += 1\n";
  main += "Return\n";
  Rig r(main);
  ASSERT_TRUE(r.start());
  r.game.RunFrame();
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Failed);
  ASSERT_EQ(r.status.size(), 1u);
  EXPECT_EQ(r.status[0], "<HBLANK ERR: <Demasiadas líneas de código para el gestor HBlank> en la línea 62");
  ASSERT_EQ(r.host.notes.size(), 1u);
  EXPECT_EQ(r.host.notes[0], "ERROR: <Demasiadas líneas de código para el gestor HBlank>");
  EXPECT_EQ(r.host.noteLines[0], 62);  // the line that did not fit
  EXPECT_FALSE(r.game.running());

  Rig v("Return\nFunction VBlankCB 0\nG_VAR00 /= 0\nV_LV0 = V_QQ\nReturn\n");
  ASSERT_TRUE(v.start());
  v.game.RunFrame();
  EXPECT_EQ(v.game.RunFrame(), FrameOutcome::Failed);
  ASSERT_EQ(v.status.size(), 1u);
  EXPECT_EQ(v.status[0], "<VBLANK ERR: <No existe tal parámetro> en la línea 4");

  // Without stopping on errors the status is told and the game goes on;
  // a failed Assert stops it all the same.
  Rig go("V_LV0 = V_QQ\nReturn\n");
  go.game.stopOnError = false;
  ASSERT_TRUE(go.start());
  EXPECT_EQ(go.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(go.game.RunFrame(), FrameOutcome::Failed);
  EXPECT_TRUE(go.game.running());
  EXPECT_TRUE(go.host.notes.empty());
  Rig fails("Assert 1 == 0\nReturn\n");
  fails.game.stopOnError = false;
  ASSERT_TRUE(fails.start());
  fails.game.RunFrame();
  EXPECT_EQ(fails.game.RunFrame(), FrameOutcome::Failed);
  EXPECT_FALSE(fails.game.running());
  ASSERT_EQ(fails.host.notes.size(), 1u);
  EXPECT_EQ(fails.host.notes[0], "ERROR: <Afirmación ejecutada>");
}

}  // namespace tarvolin::test

namespace tarvolin::test {

TEST(GameRunner, PauseInsideHBlankResumesAtItsLine) {
  Rig r("Return\nFunction HBlankCB 0\nG_VAR00 += 1\nG_VAR01 += 1\nReturn\n");
  ASSERT_TRUE(r.start());
  r.game.RunFrame();
  r.docs.at(0).setBreakpoint(3, true);  // G_VAR01 += 1
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Paused);
  EXPECT_TRUE(r.machine.frameUnfinished);
  EXPECT_EQ(r.machine.resumeLine, 0);
  EXPECT_EQ(r.global(0), 1);
  EXPECT_EQ(r.global(1), 0);
  r.docs.at(0).setBreakpoint(3, false);
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  // The paused run went on; no scan line ran its callback twice.
  EXPECT_EQ(r.global(0), 160);
  EXPECT_EQ(r.global(1), 160);
}

}  // namespace tarvolin::test

namespace tarvolin::test {

// The debugger's steps through the frame loop, into the per-line callback
// and on to the next frame.
TEST(GameRunner, LineStepsCrossRunsAndFrames) {
  using script::StepMode;
  Rig r("V_LV0 = 1\n"            // 0
        "Call A\n"               // 1
        "G_VAR00 = 1\n"          // 2
        "Return\n"               // 3
        "Function A 0\n"         // 4
        "G_VAR01 = 1\n"          // 5
        "Return\n"               // 6
        "Function HBlankCB 0\n"  // 7
        "G_VAR02 += 1\n"         // 8
        "Return\n");             // 9
  script::Interpreter& in = r.runtime.interpreter();
  ASSERT_TRUE(r.start());
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  r.docs.at(0).setBreakpoint(1, true);
  ASSERT_EQ(r.game.RunFrame(), FrameOutcome::Paused);
  EXPECT_EQ(in.currentLine(), 1);
  r.docs.at(0).setBreakpoint(1, false);

  ASSERT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Paused);
  EXPECT_EQ(in.callDepth(), 1);
  EXPECT_EQ(in.currentLine(), 5);
  ASSERT_EQ(r.game.RunFrame(StepMode::RunToReturn), FrameOutcome::Paused);
  EXPECT_EQ(in.callDepth(), 0);
  EXPECT_EQ(in.currentLine(), 2);
  EXPECT_EQ(r.global(1), 1);
  ASSERT_EQ(r.game.RunFrame(StepMode::StepOver), FrameOutcome::Paused);
  EXPECT_EQ(in.currentLine(), 3);
  // Stepping over the main script's Return ends its run: the step stops at
  // the first line of the per-line callback, before it runs.
  ASSERT_EQ(r.game.RunFrame(StepMode::StepOver), FrameOutcome::Paused);
  EXPECT_TRUE(in.inHBlank());
  EXPECT_EQ(in.currentLine(), 7);
  EXPECT_EQ(r.global(2), 0);
  ASSERT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Paused);
  EXPECT_EQ(in.currentLine(), 8);
  ASSERT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Paused);
  EXPECT_EQ(r.global(2), 1);
  EXPECT_EQ(r.machine.resumeLine, 0);
  // Running on finishes the picture from scan line 0, each line once.
  ASSERT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(2), 160);

  // Run to a line inside the callback.
  in.SetRunToCursor(0, 8);
  ASSERT_EQ(r.game.RunFrame(StepMode::RunToCursor), FrameOutcome::Paused);
  EXPECT_TRUE(in.inHBlank());
  EXPECT_EQ(in.currentLine(), 8);
  EXPECT_EQ(r.global(2), 160);
  ASSERT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(2), 320);
}

TEST(GameRunner, AStepThatEndsTheFrameStopsAtTheNextOne) {
  using script::StepMode;
  Rig r("G_VAR00 += 1\nReturn\n");
  script::Interpreter& in = r.runtime.interpreter();
  ASSERT_TRUE(r.start());
  r.game.RunFrame();
  r.docs.at(0).setBreakpoint(1, true);
  ASSERT_EQ(r.game.RunFrame(), FrameOutcome::Paused);
  r.docs.at(0).setBreakpoint(1, false);
  EXPECT_EQ(r.global(0), 1);
  // No callback: the frame ends, and the next one stops before its first line.
  EXPECT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Ran);
  ASSERT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Paused);
  EXPECT_EQ(in.currentLine(), 0);
  EXPECT_EQ(r.global(0), 1);
  ASSERT_EQ(r.game.RunFrame(StepMode::StepInto), FrameOutcome::Paused);
  EXPECT_EQ(r.global(0), 2);

  // Continuing drops the stop a step left behind; a break the user asked
  // for stays.
  EXPECT_EQ(r.game.RunFrame(StepMode::StepOver), FrameOutcome::Ran);
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(r.global(0), 3);
  in.RequestPause();
  EXPECT_EQ(r.game.RunFrame(), FrameOutcome::Paused);
  EXPECT_EQ(r.global(0), 3);

  // A step left pending is dropped when the game starts again: running to a
  // line of the new game does not stop before its first line.
  EXPECT_EQ(r.game.RunFrame(StepMode::StepOver), FrameOutcome::Paused);  // on the Return
  EXPECT_EQ(r.game.RunFrame(StepMode::StepOver), FrameOutcome::Ran);
  ASSERT_TRUE(in.pauseRequested());
  r.game.Start();
  EXPECT_FALSE(in.pauseRequested());
  in.SetRunToCursor(0, 1);
  EXPECT_EQ(r.game.RunFrame(StepMode::RunToCursor), FrameOutcome::Ran);  // no Initialise: nothing runs
  ASSERT_EQ(r.game.RunFrame(StepMode::RunToCursor), FrameOutcome::Paused);
  EXPECT_EQ(in.currentLine(), 1);
}

}  // namespace tarvolin::test
