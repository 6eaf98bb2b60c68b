// Blocks, calls and returns as scripts see them.
#include <gtest/gtest.h>

#include "script/script_rig.h"

namespace tarvolin::script::test {

TEST(InterpreterBlocks, IfElseIfElseChooseOneBranch) {
  for (int value : {1, 2, 3}) {
    ScriptRig g("V_LV0 = " + std::to_string(value) +
                "\nIf V_LV0 == 1\n V_LV1 = 10\nElseIf V_LV0 == 2\n V_LV1 = 20\nElse\n V_LV1 = 30\nEnd\n"
                "Return\n");
    ASSERT_TRUE(g.run()) << g.error();
    EXPECT_EQ(g.local(1), value * 10);
    EXPECT_FALSE(g.interp.running());
  }
  // The deprecated forms use their own operators; the triple ones read a
  // third value.
  ScriptRig g(
      "IfGreater 5 3\n V_LV0 += 1\nEnd\n"
      "IfBetweenOrEqual 5 >=< 9 1\n V_LV0 += 2\nEnd\n"
      "IfOutside 5 <> 1 9\n V_LV0 += 4\nEnd\n"
      "If 4 %= 2\n V_LV0 += 8\nEnd\n"
      "If 5 %= 0\n V_LV0 += 16\nEnd\n"
      "If 7 &= 5\n V_LV0 += 32\nEnd\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 1 + 2 + 8 + 32);
}

TEST(InterpreterBlocks, WhileLoopsAndBreaks) {
  ScriptRig zero("V_LV1 = 0\nWhile 1 == 0\n V_LV1 = 99\nEnd\nReturn\n");
  ASSERT_TRUE(zero.run()) << zero.error();
  EXPECT_EQ(zero.local(1), 0);
  EXPECT_EQ(zero.interp.blockLevel(), 0);

  // Break inside an If leaves only the If; the loop goes on.
  ScriptRig brk(
      "While V_LV0 < 5\n V_LV0 += 1\n If V_LV0 == 2\n  Break\n  V_LV2 = 99\n End\n V_LV1 += 1\nEnd\n"
      "Return\n");
  ASSERT_TRUE(brk.run()) << brk.error();
  EXPECT_EQ(brk.local(0), 5);
  EXPECT_EQ(brk.local(1), 5);
  EXPECT_EQ(brk.local(2), 0);

  // BreakMore 2 at the same place leaves the loop.
  ScriptRig more(
      "While V_LV0 < 5\n V_LV0 += 1\n If V_LV0 == 2\n  BreakMore 2\n End\n V_LV1 += 1\nEnd\n"
      "V_LV3 = 7\nReturn\n");
  ASSERT_TRUE(more.run()) << more.error();
  EXPECT_EQ(more.local(0), 2);
  EXPECT_EQ(more.local(1), 1);
  EXPECT_EQ(more.local(3), 7);
  EXPECT_EQ(more.interp.blockLevel(), 0);

  ScriptRig none("If 1 == 1\n BreakMore 0\n V_LV0 = 1\nEnd\nReturn\n");
  ASSERT_TRUE(none.run()) << none.error();
  EXPECT_EQ(none.local(0), 1);
}

TEST(InterpreterBlocks, BlockErrors) {
  struct Case {
    const char* script;
    ErrorCode error;
    int line;
  } cases[] = {
      {"If 1 == 1\n If 1 == 1\n  BreakMore 17\n End\nEnd\nReturn\n", 52, 3},
      {"If 1 == 1\n If 1 == 1\n  BreakMore 3\n End\nEnd\nReturn\n", 53, 3},
      {"Else\nReturn\n", 33, 1},
      {"ElseIf 1 == 1\nReturn\n", 33, 1},
      {"While 1 == 1\n Else\nEnd\nReturn\n", 34, 2},
      {"End\nReturn\n", 7, 1},
      {"Break\nReturn\n", 35, 1},
      {"If 1 >=< 2\nEnd\nReturn\n", 48, 1},
      {"If 1 ==\nEnd\nReturn\n", 2, 1},
      {"V_LV0 = 1 2\nReturn\n", 1, 1},
      {"Return 1 2 3 4 5\n", 1, 1},
  };
  for (const Case& c : cases) {
    ScriptRig g(c.script);
    EXPECT_FALSE(g.run()) << c.script;
    EXPECT_EQ(g.error(), c.error) << c.script;
    EXPECT_EQ(g.line(), c.line) << c.script;
    EXPECT_FALSE(g.interp.running());
  }
  // 31 blocks may be open; the 32nd fails with code 9.
  std::string deep;
  for (int i = 0; i < 31; ++i) deep += "If 1 == 1\n";
  std::string ok = deep, bad = deep + "If 1 == 1\n";
  for (int i = 0; i < 31; ++i) ok += "End\n";
  ScriptRig g31(ok + "Return\n");
  EXPECT_TRUE(g31.run()) << g31.error();
  ScriptRig g32(bad + "Return\n");
  EXPECT_FALSE(g32.run());
  EXPECT_EQ(g32.error(), err::kTooManyBlocks);
  EXPECT_EQ(g32.line(), 32);
}

TEST(InterpreterBlocks, MalformedLineFailsEvenWhenSkipped) {
  ScriptRig g("If 1 == 0\n V_LV0 += V_XX9\nEnd\nReturn\n");
  EXPECT_FALSE(g.run());
  EXPECT_EQ(g.error(), 4);
  EXPECT_EQ(g.line(), 2);
  // A failed parse is not cached: the next frame fails there again.
  EXPECT_FALSE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.line(), 2);
}

TEST(InterpreterCalls, ArgumentsAndReturnValues) {
  ScriptRig g(
      "V_RV2 = 5\nV_RV3 = 6\n"
      "Call Five 1 2 3 4 50\n"
      "V_LV2 = V_RV0\nV_LV3 = V_RV1\n"
      "Return\n"
      "Function Five 5\n"
      "Return 7 V_LV0\n");
  ASSERT_TRUE(g.run()) << g.error() << " line " << g.line();
  EXPECT_EQ(g.local(2), 7);
  EXPECT_EQ(g.local(3), 50);  // the fifth argument arrived in V_LV0
  EXPECT_EQ(g.rv(2), 5);      // V_RV2, V_RV3 untouched
  EXPECT_EQ(g.rv(3), 6);
}

TEST(InterpreterCalls, DepthLimit) {
  // Depth d calls itself while d < limit: 19 nested calls work, 20 fail.
  auto chain = [](int calls) {
    return "Call Deep 1\nReturn\n"
           "Function Deep 1\n"
           "If V_EV0 >= " + std::to_string(calls) + "\n"
           " Return\n"
           "End\n"
           "V_LV0 = V_EV0\nV_LV0 += 1\nCall Deep V_LV0\n"
           "Return\n";
  };
  ScriptRig ok(chain(19));
  EXPECT_TRUE(ok.run()) << ok.error();
  EXPECT_EQ(ok.interp.callDepth(), 0);
  ScriptRig bad(chain(20));
  EXPECT_FALSE(bad.run());
  EXPECT_EQ(bad.error(), 8);
  EXPECT_EQ(bad.line(), 9);
}

TEST(InterpreterCalls, CallRetChainsReturnAtOnce) {
  ScriptRig g(
      "CallRet Outer\n"
      "V_LV0 = 1\n"  // not reached: Outer's CallRet saw false and returned
      "Return\n"
      "Function Outer 0\n"
      "CallRet Inner\n"
      "V_LV1 = 1\n"
      "Return 5\n"
      "Function Inner 0\n"
      "Return 0\n");
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_FALSE(g.interp.running());
  EXPECT_EQ(g.local(0), 0);
  EXPECT_EQ(g.rv(0), 0);

  ScriptRig t(
      "CallRet Outer\nV_LV0 = V_RV0\nReturn\n"
      "Function Outer 0\nCallRet Inner\nReturn 5\n"
      "Function Inner 0\nReturn 1\n");
  ASSERT_TRUE(t.run()) << t.error();
  EXPECT_EQ(t.local(0), 5);
}

TEST(InterpreterCalls, FunctionEntryAndEndOfScript) {
  ScriptRig missing("Call A\nReturn\nFunction A 0\nV_LV0 = 1\nFunction B 0\nReturn\n");
  // The preprocessor catches the missing Return first.
  EXPECT_FALSE(missing.preprocess());

  // The last function escapes the check and runs off the end: 43.
  ScriptRig off("Call A\nReturn\nFunction A 0\nV_LV0 = 1\n");
  EXPECT_FALSE(off.run());
  EXPECT_EQ(off.error(), 43);

  // A function whose Return is not reached runs into the next declaration:
  // 46 there.
  ScriptRig into("Call A\nReturn\nFunction A 0\nIf 1 == 0\n Return\nEnd\nFunction B 0\nReturn\n");
  EXPECT_FALSE(into.run());
  EXPECT_EQ(into.error(), 46);
  EXPECT_EQ(into.line(), 7);

  // Wrong argument count: 11.
  ScriptRig count("Call A 1 2\nReturn\nFunction A 1\nReturn\n");
  EXPECT_FALSE(count.run());
  EXPECT_EQ(count.error(), 11);

  // A function index held in a variable; a negative index calls nothing.
  ScriptRig byIndex("V_LV0 = 0\nCall V_LV0\nV_LV0 = -1\nCall V_LV0\nReturn\nFunction A 0\nV_RV0 = 0\nReturn 9\n");
  ASSERT_TRUE(byIndex.run()) << byIndex.error();
  EXPECT_EQ(byIndex.rv(0), 9);
  ScriptRig outOfRange("V_LV0 = 3\nCall V_LV0\nReturn\nFunction A 0\nReturn\n");
  EXPECT_FALSE(outOfRange.run());
  EXPECT_EQ(outOfRange.error(), 14);
}

TEST(InterpreterCalls, PassedOverCallIsNotRead) {
  // A call in a branch not taken neither checks its arguments nor its
  // function; the same line taken later is read and checked then.
  ScriptRig g(
      "If V_LV1 == 1\n Call A 1 2\n CallRet A\nElse\n V_LV0 = 5\nEnd\nReturn\n"
      "Function A 1\nReturn\n");
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 5);
  ScriptRig taken("V_LV1 = 1\nIf V_LV1 == 1\n Call A 1 2\nEnd\nReturn\nFunction A 1\nReturn\n");
  EXPECT_FALSE(taken.run());
  EXPECT_EQ(taken.error(), err::kWrongArgumentCount);
  EXPECT_EQ(taken.line(), 3);
}

TEST(InterpreterCalls, RecursionInsideALoopKeepsItsOwnLoop) {
  // A function that loops and calls itself from inside the loop: each level
  // has its own While block even though the line is the same.
  ScriptRig g(
      "Call R 2\nReturn\n"
      "Function R 1\n"
      "V_LV0 = 0\n"
      "While V_LV0 < 2\n"
      " V_LV0 += 1\n"
      " G_VAR00 += 1\n"
      " If V_EV0 > 0\n"
      "  V_LV1 = V_EV0\n  V_LV1 -= 1\n  Call R V_LV1\n"
      " End\n"
      "End\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error() << " line " << g.line();
  // 2 + 2 * (2 + 2 * 2) = 14 rounds in all.
  EXPECT_EQ(g.interp.globalVariable(0, 0), 14);
}

}  // namespace tarvolin::script::test

namespace tarvolin::script::test {

TEST(InterpreterCalls, PassedOverCallAtTheDeepestLevelDoesNotFail) {
  // The usual recursion: the deepest level skips its Call line.
  ScriptRig g(
      "Call Deep 1\nReturn\n"
      "Function Deep 1\n"
      "If V_EV0 < 19\n V_LV0 = V_EV0\n V_LV0 += 1\n Call Deep V_LV0\nEnd\n"
      "Return\n");
  EXPECT_TRUE(g.run()) << g.error() << " line " << g.line();
}

class CountingIteration : public IterationHandler {
 public:
  const ScriptFunction* fn = nullptr;
  int remaining = 3;
  int calls = 0;
  bool NextElement(Interpreter& interp) override {
    if (remaining-- <= 0) return true;  // done: execution goes on after the line
    ++calls;
    const std::int32_t args[3] = {calls, 0, 0};
    return interp.CallFunction(*fn, args, 3, false, true);
  }
};

TEST(InterpreterCalls, IterationCallsContinueOnReturn) {
  ScriptRig g("Call Start\nV_LV0 = 1\nReturn\nFunction Start 0\nReturn\nFunction Each 3\nG_VAR00 += V_EV0\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  CountingIteration it;
  it.fn = g.interp.tables().FindFunction(0, "Each");
  ASSERT_NE(it.fn, nullptr);
  g.interp.setIterationHandler(&it);
  // Start the iteration by hand the way an array command would: call the
  // function once marked as an iteration call, then let its returns go on.
  ASSERT_TRUE(g.interp.RunMainFrame(true));  // no Initialise: run left at line 0
  const std::int32_t args[3] = {0, 0, 0};
  ASSERT_TRUE(g.interp.CallFunction(*it.fn, args, 3, false, true));
  // The command that called ends like every line: the counter moves on,
  // past the declaration.
  ScriptLine done;
  done.command = 199;
  ASSERT_TRUE(g.interp.ExecuteLine(done, false));
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());
  EXPECT_EQ(g.interp.globalVariable(0, 0), 0 + 1 + 2 + 3);
  EXPECT_EQ(it.calls, 3);
}

TEST(InterpreterDebugger, StepOverAndRunToReturn) {
  ScriptRig g("V_LV0 = 1\nCall A\nV_LV0 = 3\nReturn\nFunction A 0\nV_LV1 = 1\nV_LV1 = 2\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  g.docs.at(0).setBreakpoint(1, true);  // on the Call
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.paused());
  EXPECT_EQ(g.line(), 2);
  // Step over runs the whole call and stops on the next line.
  ASSERT_TRUE(g.interp.RunMainFrame(false, StepMode::StepOver));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.line(), 3);
  EXPECT_EQ(g.interp.frameVariable(1, kSlotLV0 + 1), 2);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());

  // Step into the call, then run the function to its return.
  g.docs.at(0).setBreakpoint(1, true);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.RunMainFrame(false, StepMode::StepInto));
  EXPECT_EQ(g.interp.callDepth(), 1);
  ASSERT_TRUE(g.interp.RunMainFrame(false, StepMode::RunToReturn));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.interp.callDepth(), 0);
  EXPECT_EQ(g.line(), 3);

  // Run to the cursor.
  g.docs.at(0).setBreakpoint(1, false);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  g.interp.SetRunToCursor(0, 6);
  ASSERT_TRUE(g.interp.RunMainFrame(false, StepMode::RunToCursor));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.line(), 7);
  EXPECT_EQ(g.interp.callDepth(), 1);
}

}  // namespace tarvolin::script::test
