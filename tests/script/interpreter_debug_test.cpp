// What the debugger and the editor need of the interpreter: edits reaching a
// running game, and the call stack read and written while stopped.
#include <gtest/gtest.h>

#include "script/script_rig.h"

namespace tarvolin::script::test {

TEST(InterpreterEdits, LinesEditedInPlaceRunTheirNewText) {
  ScriptRig g("V_LV0 = 1\nG_VAR00 = V_LV0\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 1);

  // Same line count: the edited line is read again at its next run.
  g.docs.at(0).setLine(0, "V_LV0 = 5");
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 5);

  // Edited while paused on it: the resumed run executes the new text, and
  // the line after it too.
  g.docs.at(0).setBreakpoint(1, true);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.paused());
  g.docs.at(0).setLine(1, "G_VAR00 = V_LV0+1");
  g.docs.at(0).setLine(2, "G_VAR01 = 3");
  g.docs.at(0).setBreakpoint(1, false);
  EXPECT_FALSE(g.interp.RunMainFrame(false));  // runs past the end now
  EXPECT_EQ(g.error(), err::kEndOfFileNeedsReturn);
  EXPECT_EQ(g.interp.globalVariable(0, 0), 6);
  EXPECT_EQ(g.interp.globalVariable(0, 1), 3);

  // A line made malformed fails at its next run; mended, it runs again.
  g.docs.at(0).setLine(2, "Return");
  g.docs.at(0).setLine(0, "V_LV0 = = 2");
  EXPECT_FALSE(g.interp.RunMainFrame(false));
  EXPECT_NE(g.error(), err::kNone);
  g.docs.at(0).setLine(0, "V_LV0 = 2");
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 3);

  // A line inserted and another removed keep the count but move lines: the
  // cache is not taken for the moved ones.
  g.docs.at(0).insertLines(0, {"V_LV0 = 40"});
  g.docs.at(0).removeLines(1, 1);
  ASSERT_EQ(g.docs.at(0).lineCount(), 3);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 41);
}

TEST(InterpreterEdits, EditsInAnotherScriptAndOfCalls) {
  ScriptRig g("ExternFunction \"lib\" F\nCall F\nG_VAR00 = V_RV0\nReturn\n"
              "Function A 0\nReturn 10\nFunction B 0\nReturn 20\n");
  g.file("lib.txt", "Function F 0\nReturn 1\n");
  ASSERT_TRUE(g.preprocess());
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 1);
  // Paused in the main script, the other script's body is edited.
  const int lib = g.docs.find("lib.txt");
  ASSERT_GE(lib, 0);
  g.docs.at(0).setBreakpoint(1, true);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.paused());
  g.docs.at(lib).setLine(1, "Return 2");
  g.docs.at(0).setBreakpoint(1, false);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 2);
  // The call line itself now names another function.
  g.docs.at(0).setLine(1, "Call B");
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 20);
  // Setting a line to the text it has is no edit.
  const auto revision = g.docs.at(0).revision();
  g.docs.at(0).setLine(1, "Call B");
  g.docs.at(0).setLine(99, "Call A");
  EXPECT_EQ(g.docs.at(0).revision(), revision);
}

TEST(InterpreterCallStack, FramesWithTheirFunctionsLinesAndVariables) {
  ScriptRig g(
      "V_LV0 = 7\n"            // 0
      "Call A 3 4\n"           // 1
      "Return\n"               // 2
      "Function A 2\n"         // 3
      "V_LV1 = V_EV0\n"        // 4
      "Call B\n"               // 5
      "G_VAR00 = V_LV1\n"      // 6
      "Return\n"               // 7
      "Function B 0\n"         // 8
      "V_LV2 = 9\n"            // 9
      "Return\n");             // 10
  ASSERT_TRUE(g.preprocess());
  EXPECT_TRUE(g.interp.CallStack().empty());
  EXPECT_FALSE(g.interp.SetFrameVariable(0, kSlotLV0, 1));  // no run

  g.docs.at(0).setBreakpoint(10, true);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.paused());
  std::vector<StackFrameView> stack = g.interp.CallStack();
  ASSERT_EQ(stack.size(), 3u);
  EXPECT_EQ(stack[0].function, "");
  EXPECT_EQ(stack[0].script, 0);
  EXPECT_EQ(stack[0].line, 1);
  EXPECT_EQ(stack[0].vars[kSlotLV0], 7);
  EXPECT_EQ(stack[1].function, "A");
  EXPECT_EQ(stack[1].line, 5);
  EXPECT_EQ(stack[1].vars[kSlotEV0], 3);
  EXPECT_EQ(stack[1].vars[kSlotEV0 + 1], 4);
  EXPECT_EQ(stack[1].vars[kSlotLV0 + 1], 3);
  EXPECT_EQ(stack[2].function, "B");
  EXPECT_EQ(stack[2].depth, 2);
  EXPECT_EQ(stack[2].line, 10);
  EXPECT_EQ(stack[2].vars[kSlotLV0 + 2], 9);

  // Preprocessing while paused rebuilds the function tables; the stack
  // still names its functions.
  ASSERT_TRUE(g.preprocess());
  ASSERT_TRUE(g.interp.paused());
  EXPECT_EQ(g.interp.CallStack()[1].function, "A");

  // A caller's variable written while paused is what it reads on return.
  EXPECT_TRUE(g.interp.SetFrameVariable(1, kSlotLV0 + 1, 100));
  EXPECT_FALSE(g.interp.SetFrameVariable(3, kSlotLV0, 1));
  EXPECT_FALSE(g.interp.SetFrameVariable(-1, kSlotLV0, 1));
  EXPECT_FALSE(g.interp.SetFrameVariable(0, kFrameSlots, 1));
  EXPECT_FALSE(g.interp.SetFrameVariable(0, -1, 1));
  g.docs.at(0).setBreakpoint(10, false);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());
  EXPECT_EQ(g.interp.globalVariable(0, 0), 100);
  EXPECT_TRUE(g.interp.CallStack().empty());
}

TEST(InterpreterCallStack, EntryPointsAndFunctionsOfOtherScripts) {
  ScriptRig g("Return\nFunction Initialise 0\nExternFunction \"lib\" F\nCall F\nReturn\n");
  g.file("lib.txt", "; library\nFunction F 0\nV_LV0 = 1\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  const int lib = g.docs.find("lib.txt");
  g.docs.at(lib).setBreakpoint(2, true);
  ASSERT_TRUE(g.interp.RunMainFrame(true));
  ASSERT_TRUE(g.interp.paused());
  const std::vector<StackFrameView> stack = g.interp.CallStack();
  ASSERT_EQ(stack.size(), 2u);
  EXPECT_EQ(stack[0].function, "Initialise");
  EXPECT_EQ(stack[0].script, 0);
  EXPECT_EQ(stack[0].line, 3);
  EXPECT_EQ(stack[1].function, "F");
  EXPECT_EQ(stack[1].script, lib);
  EXPECT_EQ(stack[1].line, 2);
}

TEST(InterpreterCallStack, FailedRunKeepsItsFramesUntilTheNextRun) {
  ScriptRig g(
      "V_LV0 = 3\n"          // 0
      "Call A 8\n"           // 1
      "Return\n"             // 2
      "Function A 1\n"       // 3
      "V_LV2 = V_EV0\n"      // 4
      "V_LV1 = V_QQ\n"       // 5: fails
      "Return\n");           // 6
  ASSERT_TRUE(g.preprocess());
  EXPECT_FALSE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());
  std::vector<StackFrameView> stack = g.interp.CallStack();
  ASSERT_EQ(stack.size(), 2u);
  EXPECT_EQ(stack[0].line, 1);
  EXPECT_EQ(stack[0].vars[kSlotLV0], 3);
  EXPECT_EQ(stack[1].function, "A");
  EXPECT_EQ(stack[1].line, 5);  // the failing line
  EXPECT_EQ(stack[1].vars[kSlotLV0 + 2], 8);
  // Readable, not writable: the run is over.
  EXPECT_FALSE(g.interp.SetFrameVariable(1, kSlotLV0, 1));

  // The next run starts afresh; a run that finishes leaves nothing.
  g.docs.at(0).setLine(5, "V_LV1 = 1");
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_TRUE(g.interp.CallStack().empty());
  // Ending the run or forgetting the scripts drops a failed run's frames.
  g.docs.at(0).setLine(5, "V_LV1 = V_QQ");
  EXPECT_FALSE(g.interp.RunMainFrame(false));
  ASSERT_FALSE(g.interp.CallStack().empty());
  g.interp.EndRun();
  EXPECT_TRUE(g.interp.CallStack().empty());
  EXPECT_FALSE(g.interp.RunMainFrame(false));
  g.interp.ForgetScripts();
  EXPECT_TRUE(g.interp.CallStack().empty());
}

}  // namespace tarvolin::script::test
