// The editor's own editing commands: comment toggle, indent, bookmarks,
// block jumps, the one-press inserts and go-to-line.
#include <gtest/gtest.h>

#include "gui/editor/editor_rig.h"

namespace tarvolin::test {

using editor::ScriptEditor;

TEST(Editing, CommentToggleTwiceRestoresTheTextInOneUndoStepEach) {
  EditorRig rig;
  const std::string text = "If V_LV0 > 1\n; ya comentada\n\tV_LV0 = 2\nEnd\nReturn\n";
  ScriptEditor* e = rig.open("c.txt", text);
  ASSERT_NE(e, nullptr);
  const std::vector<std::string> before = e->allLines();

  // Lines 0..3; the selection ends at column 0 of line 4, which stays out.
  EditorRig::select(e, 0, 3, 4, 0);
  rig.area.commentToggle();
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{";If V_LV0 > 1", ";; ya comentada", ";\tV_LV0 = 2", ";End",
                                                     "Return"}));
  EXPECT_EQ(rig.documentLines(e), e->allLines());
  rig.area.commentToggle();
  EXPECT_EQ(e->allLines(), before);
  EXPECT_EQ(rig.documentLines(e), before);

  // Each toggle is one undo step.
  rig.area.commentToggle();
  e->undo();
  EXPECT_EQ(e->allLines(), before);

  // A selection ending after the first column takes its last line in.
  EditorRig::select(e, 3, 0, 4, 2);
  rig.area.commentToggle();
  EXPECT_EQ(e->allLines()[3], ";End");
  EXPECT_EQ(e->allLines()[4], ";Return");
  // A selection inside one line changes nothing.
  EditorRig::select(e, 0, 0, 0, 5);
  rig.area.commentToggle();
  EXPECT_EQ(e->allLines()[0], "If V_LV0 > 1");
}

TEST(Editing, IndentAndUnindentShiftNonEmptyLines) {
  EditorRig rig;
  ScriptEditor* e = rig.open("i.txt", "a\n\n\tb\nc\n");
  ASSERT_NE(e, nullptr);
  EditorRig::select(e, 0, 0, 3, 0);  // lines 0..2
  rig.area.indent();
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"\ta", "", "\t\tb", "c"}));
  rig.area.unindent();
  rig.area.unindent();
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"a", "", "b", "c"}));
  EXPECT_EQ(rig.documentLines(e), e->allLines());
  // TAB over a selection of lines indents them; one undo takes it back.
  EditorRig::select(e, 2, 0, 3, 1);
  QTest::keyClick(e, Qt::Key_Tab);
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"a", "", "\tb", "\tc"}));
  e->undo();
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"a", "", "b", "c"}));
  // Without a selection TAB types a tab.
  e->setCursorPosition(0, 1);
  QTest::keyClick(e, Qt::Key_Tab);
  EXPECT_EQ(e->allLines()[0], "a\t");
}

TEST(Editing, BookmarksDoNotWrapAndBeepAtTheEnd) {
  EditorRig rig;
  ScriptEditor* e = rig.open("b.txt", "0\n1\n2\n3\n4\n5\n");
  ASSERT_NE(e, nullptr);
  for (int line : {1, 4}) {
    e->setCursorPosition(line, 0);
    rig.area.toggleBookmark();
  }
  e->setCursorPosition(0, 0);
  rig.area.nextBookmark(false);
  EXPECT_EQ(e->caretLine(), 1);
  rig.area.nextBookmark(false);
  EXPECT_EQ(e->caretLine(), 4);
  EXPECT_EQ(rig.beeps, 0);
  // F2 on the last bookmark: a beep, and the caret stays.
  rig.area.nextBookmark(false);
  EXPECT_EQ(rig.beeps, 1);
  EXPECT_EQ(e->caretLine(), 4);
  // Shift-F2 goes back, and beeps before the first.
  rig.area.nextBookmark(true);
  EXPECT_EQ(e->caretLine(), 1);
  rig.area.nextBookmark(true);
  EXPECT_EQ(rig.beeps, 2);
  EXPECT_EQ(e->caretLine(), 1);
  // Ctrl-F2 again removes it.
  rig.area.toggleBookmark();
  e->setCursorPosition(0, 0);
  rig.area.nextBookmark(false);
  EXPECT_EQ(e->caretLine(), 4);
}

TEST(Editing, BlockJumpsCountNestedBlocks) {
  EditorRig rig;
  ScriptEditor* e = rig.open("j.txt",
                             "While V_LV0 < 3\n"        // 0
                             "\tIf V_LV1 == 0\n"        // 1
                             "\t\tIfEqual V_LV2 1\n"    // 2
                             "\t\tEnd\n"                // 3
                             "\tElse\n"                 // 4
                             "\tEnd\n"                  // 5
                             "\tV_LV0 += 1\n"           // 6
                             "End\n"                    // 7
                             "If V_LV0 > 0\n");         // 8: never closed
  ASSERT_NE(e, nullptr);
  auto jump = [&](int from, bool toEnd) {
    e->setCursorPosition(from, 0);
    if (toEnd) rig.area.blockEnd();
    else rig.area.blockStart();
    return e->caretLine();
  };
  EXPECT_EQ(jump(0, true), 7);
  EXPECT_EQ(jump(1, true), 5);
  EXPECT_EQ(jump(2, true), 3);
  EXPECT_EQ(jump(7, false), 0);
  EXPECT_EQ(jump(5, false), 1);
  EXPECT_EQ(rig.beeps, 0);
  // Wrong kind of line, or no partner: a beep and no move.
  EXPECT_EQ(jump(6, true), 6);
  EXPECT_EQ(jump(0, false), 0);
  EXPECT_EQ(jump(8, true), 8);
  EXPECT_EQ(rig.beeps, 3);
}

TEST(Editing, InsertsAndGoToLine) {
  EditorRig rig;
  ScriptEditor* e = rig.open("x.txt", "Return\n");
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(0, 0);
  rig.area.insertText("V_LV3");
  EXPECT_EQ(e->allLines()[0], "V_LV3Return");
  rig.area.insertSeparator();
  EXPECT_EQ(e->allLines()[0], "; " + std::string(72, '='));
  EXPECT_EQ(e->allLines()[1], "V_LV3Return");
  rig.area.insertFunctionHeader();
  const std::vector<std::string> lines = e->allLines();
  // A commented skeleton that ends in the Function and Return lines, the
  // caret where the name goes.
  ASSERT_GE(lines.size(), 4u);
  const int function = e->caretLine();
  EXPECT_EQ(lines[static_cast<std::size_t>(function)], "Function ");
  EXPECT_EQ(lines[static_cast<std::size_t>(function) + 1], "Return");
  for (int i = 0; i < function; ++i) EXPECT_EQ(lines[static_cast<std::size_t>(i)][0], ';') << i;
  EXPECT_EQ(rig.documentLines(e), lines);

  rig.area.goToLine(2);
  EXPECT_EQ(e->caretLine(), 1);
  rig.area.goToLine(0);  // outside: ignored
  rig.area.goToLine(1000);
  EXPECT_EQ(e->caretLine(), 1);
  rig.area.setLineChooser([](int max, int& line) {
    line = max;
    return true;
  });
  rig.area.gotoLine();
  EXPECT_EQ(e->caretLine(), e->lineTotal() - 1);
}

}  // namespace tarvolin::test
