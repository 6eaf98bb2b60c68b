// The debugger as a person uses it: a breakpoint in the main script, the
// line steps over and into a call and out of it, running to the cursor, the
// stack trace, and the call-stack window showing the calls and letting the
// user change a variable the game then uses.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>

#include "gui/shell/studio_rig.h"
#include "shell/call_stack_dock.h"

namespace tarvolin::test {

namespace {

// Lines (1-based) of the game below.
constexpr int kCallLine = 3;
constexpr int kAfterCall = 4;
constexpr int kStoreLine = 5;
constexpr int kAddFirst = 8;
constexpr int kAddSecond = 9;
constexpr int kAddReturn = 10;

// Every main run adds V_LV0 and 2 through Add and keeps the sum in G_VAR02.
const char* kMain =
    "G_VAR01 += 1\n"        // 1
    "V_LV0 = 5\n"           // 2
    "Call Add V_LV0 2\n"    // 3
    "G_VAR02 = V_RV0\n"     // 4
    "G_VAR03 = 7\n"         // 5
    "Return\n"              // 6
    "Function Add 2\n"      // 7
    "  V_LV0 = V_EV0\n"     // 8
    "  V_LV0 += V_EV1\n"    // 9
    "Return V_LV0\n";       // 10

struct Frame {
  QString function, script, line;
};

std::vector<Frame> shownFrames(shell::CallStackDock& dock) {
  std::vector<Frame> frames;
  QTreeWidget* list = dock.frameList();
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    frames.push_back({item->text(0), item->text(1), item->text(2)});
  }
  return frames;
}

QString shownValue(shell::CallStackDock& dock, int slot) {
  return dock.variableTable()->item(slot, shell::CallStackDock::ValueColumn)->text();
}

class DebugSession {
 public:
  explicit DebugSession(const char* main = kMain) {
    rig.dir.write("game/Script/main.txt", main);
    const std::string tvp = rig.dir.write("game.tvp", "");
    rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
    EXPECT_TRUE(rig.bench().project().isOpen());
  }
  shell::TarvolinMainWindow& w() { return rig.window(); }
  shell::CallStackDock& dock() { return *rig.window().callStackDock(); }
  void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&w(), k, mods); }
  void breakpoint(int line, bool on) { rig.bench().scripts().documents().at(0).setBreakpoint(line - 1, on); }
  // Runs frames until the game stops at a line.
  void runToStop() {
    for (int i = 0; i < 10 && rig.control().wantsFrames(); ++i) rig.control().Tick();
    ASSERT_TRUE(rig.control().pausedAtBreak());
  }
  int markedLine() {
    editor::ScriptEditor* e = rig.editor().activeEditor();
    return e ? e->executionLine() + 1 : -1;
  }
  StudioRig rig;
};

}  // namespace

TEST(StudioCallStack, HiddenUntilTheFirstStopThenAsTheUserLeavesIt) {
  DebugSession s;
  shell::CallStackDock& dock = s.dock();
  EXPECT_TRUE(dock.isHidden());
  // Its show/hide entry sits with the others, in the menu and the toolbar.
  QAction* toggle = dock.toggleViewAction();
  EXPECT_TRUE(s.w().menu(shell::MenuSlot::Windows)->actions().contains(toggle));
  EXPECT_TRUE(s.w().toolbar(shell::ToolbarGroup::Main)->actions().contains(toggle));
  EXPECT_FALSE(toggle->icon().isNull());
  EXPECT_EQ(toggle->text(), "Pila de Llamadas");

  s.breakpoint(kCallLine, true);
  s.key(Qt::Key_F5);
  s.runToStop();
  EXPECT_FALSE(dock.isHidden());
  EXPECT_EQ(dock.stateText(), "Detenido en main.txt, línea 3");

  // Closed by the user, a later stop leaves it closed; the entry opens it
  // again with the stop as it is now.
  toggle->trigger();
  EXPECT_TRUE(dock.isHidden());
  s.key(Qt::Key_F10);
  EXPECT_EQ(s.markedLine(), kAfterCall);
  EXPECT_TRUE(dock.isHidden());
  toggle->trigger();
  EXPECT_FALSE(dock.isHidden());
  EXPECT_EQ(dock.stateText(), "Detenido en main.txt, línea 4");
}

TEST(StudioCallStack, StepsOverIntoAndOutOfACallWithTheFramesShown) {
  DebugSession s;
  shell::CallStackDock& dock = s.dock();
  dock.toggleViewAction()->trigger();
  EXPECT_EQ(dock.frameList()->topLevelItemCount(), 0);
  EXPECT_EQ(dock.stateText(), "(ninguna llamada en curso)");

  s.breakpoint(kCallLine, true);
  s.key(Qt::Key_F5);
  EXPECT_EQ(dock.stateText(), "(en ejecución)");
  s.runToStop();
  std::vector<Frame> frames = shownFrames(dock);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].function, "(principal)");
  EXPECT_EQ(frames[0].script, "main.txt");
  EXPECT_EQ(frames[0].line, "3");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "5");
  EXPECT_EQ(dock.variableTable()->item(script::kSlotLV0, shell::CallStackDock::HexColumn)->text(),
            "0x00000005");

  // F11 goes into the call: the function's frame is on top, with its
  // arguments, and the caller's frame shows the calling line.
  s.key(Qt::Key_F11);
  EXPECT_EQ(s.markedLine(), kAddFirst);
  frames = shownFrames(dock);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].function, "Add");
  EXPECT_EQ(frames[0].line, QString::number(kAddFirst));
  EXPECT_EQ(frames[1].line, QString::number(kCallLine));
  EXPECT_EQ(dock.selectedDepth(), 1);
  EXPECT_EQ(shownValue(dock, script::kSlotEV0), "5");
  EXPECT_EQ(shownValue(dock, script::kSlotEV0 + 1), "2");
  // Choosing the caller's frame shows its variables.
  dock.frameList()->setCurrentItem(dock.frameList()->topLevelItem(1));
  EXPECT_EQ(dock.selectedDepth(), 0);
  EXPECT_EQ(shownValue(dock, script::kSlotEV0), "0");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "5");

  // F10 inside the function: one line at a time, the values follow.
  s.key(Qt::Key_F10);
  s.key(Qt::Key_F10);
  EXPECT_EQ(s.markedLine(), kAddReturn);
  EXPECT_EQ(dock.selectedDepth(), 1);  // a new stop shows the innermost call
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "7");
  // What the last line changed stands out; the rest does not.
  EXPECT_TRUE(dock.variableChanged(script::kSlotLV0));
  EXPECT_FALSE(dock.variableChanged(script::kSlotEV0));

  // Shift+F11 runs to the end of the function: back in the caller with the
  // returned value.
  s.key(Qt::Key_F11, Qt::ShiftModifier);
  EXPECT_EQ(s.markedLine(), kAfterCall);
  frames = shownFrames(dock);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].line, QString::number(kAfterCall));
  EXPECT_EQ(shownValue(dock, script::kSlotRV0), "7");

  // Ctrl+F10 runs to the cursor's line, here across the end of the frame
  // into the function of the next one.
  s.breakpoint(kCallLine, false);
  editor::ScriptEditor* e = s.rig.editor().activeEditor();
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(kAddSecond - 1, 0);
  s.key(Qt::Key_F10, Qt::ControlModifier);
  EXPECT_EQ(dock.stateText(), "(en ejecución)");
  EXPECT_FALSE(dock.frameList()->isEnabled());
  s.runToStop();
  EXPECT_EQ(s.markedLine(), kAddSecond);
  frames = shownFrames(dock);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].function, "Add");
  EXPECT_EQ(dock.stateText(), "Detenido en main.txt, línea 9");
  EXPECT_TRUE(dock.frameList()->isEnabled());
  EXPECT_EQ(s.rig.global(1), 2);

  // F10 over a call: the call runs whole and the step stops after it.
  s.key(Qt::Key_F11, Qt::ShiftModifier);
  e->setCursorPosition(kCallLine - 1, 0);
  s.key(Qt::Key_F10, Qt::ControlModifier);
  s.runToStop();
  EXPECT_EQ(s.markedLine(), kCallLine);
  s.key(Qt::Key_F10);
  EXPECT_EQ(s.markedLine(), kAfterCall);
  EXPECT_EQ(shownFrames(dock).size(), 1u);
  EXPECT_EQ(shownValue(dock, script::kSlotRV0), "7");

  // Ctrl-Space at a break stops the game where it is: the run's calls stay
  // readable, but only a game stopped at a line takes new values.
  s.key(Qt::Key_Space, Qt::ControlModifier);
  EXPECT_FALSE(s.rig.control().running());
  ASSERT_EQ(shownFrames(dock).size(), 1u);
  EXPECT_FALSE(dock.variableTable()->item(script::kSlotLV0, shell::CallStackDock::ValueColumn)->flags() &
               Qt::ItemIsEditable);
  // F5 starts afresh; stopped between frames there are no calls.
  s.key(Qt::Key_F5);
  s.rig.frames(3);
  s.key(Qt::Key_F5);
  EXPECT_FALSE(s.rig.control().running());
  EXPECT_EQ(dock.frameList()->topLevelItemCount(), 0);
  EXPECT_EQ(dock.stateText(), "(ninguna llamada en curso)");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "");
  s.rig.trigger(shell::Command::CloseProject);
  EXPECT_EQ(dock.stateText(), "(sin proyecto)");
}

TEST(StudioCallStack, EditedVariablesChangeWhatTheGameDoesAndBadValuesAreRefused) {
  DebugSession s;
  shell::CallStackDock& dock = s.dock();
  s.breakpoint(kCallLine, true);
  s.key(Qt::Key_F5);
  s.runToStop();
  QTableWidget* table = dock.variableTable();
  QTableWidgetItem* lv0 = table->item(script::kSlotLV0, shell::CallStackDock::ValueColumn);
  ASSERT_TRUE(lv0->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(table->item(script::kSlotLV0, shell::CallStackDock::NameColumn)->flags() &
               Qt::ItemIsEditable);

  // Typed as a person would: the cell's editor, then Enter.
  table->setFocus();
  table->setCurrentItem(lv0);
  table->editItem(lv0);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "0x28");
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(shownValue(dock, script::kSlotLV0), QStringLiteral("40"));
  EXPECT_EQ(table->item(script::kSlotLV0, shell::CallStackDock::HexColumn)->text(), "0x00000028");
  EXPECT_TRUE(s.rig.boxes.isEmpty());

  // Text that is no number and a number too big are refused with their
  // reason; the value stays.
  s.rig.boxes.clear();
  lv0 = table->item(script::kSlotLV0, shell::CallStackDock::ValueColumn);
  lv0->setText("abc");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "40");
  QTRY_COMPARE(s.rig.boxes.size(), 1);
  EXPECT_TRUE(s.rig.boxes[0].startsWith(QStringLiteral("«abc» no es un número"))) << s.rig.boxes[0].toStdString();
  lv0->setText("4294967296");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "40");
  QTRY_COMPARE(s.rig.boxes.size(), 2);
  EXPECT_TRUE(s.rig.boxes[1].contains(QStringLiteral("fuera del rango"))) << s.rig.boxes[1].toStdString();

  // The call takes the changed value: Add returns 40 + 2.
  s.key(Qt::Key_F11);
  EXPECT_EQ(shownValue(dock, script::kSlotEV0), "40");
  // A function's own variable changed before its last line.
  s.key(Qt::Key_F10);
  EXPECT_EQ(s.markedLine(), kAddSecond);
  table->item(script::kSlotEV0 + 1, shell::CallStackDock::ValueColumn)->setText("-50");
  QTRY_VERIFY(dock.variableChanged(script::kSlotEV0 + 1));  // read back from the run
  EXPECT_EQ(shownValue(dock, script::kSlotEV0 + 1), "-50");
  s.key(Qt::Key_F11, Qt::ShiftModifier);
  s.key(Qt::Key_F10);
  EXPECT_EQ(s.markedLine(), kStoreLine);
  EXPECT_EQ(s.rig.global(2), -10);

  // While the game runs nothing can be typed in.
  s.breakpoint(kCallLine, false);
  s.key(Qt::Key_F5);
  ASSERT_TRUE(s.rig.control().wantsFrames());
  EXPECT_EQ(dock.stateText(), "(en ejecución)");
  EXPECT_FALSE(table->isEnabled());
  s.rig.frames(2);
  EXPECT_EQ(s.rig.global(2), 7);
}

TEST(StudioCallStack, DoubleClickOpensTheFramesLineAndTheStackTraceIsNoted) {
  DebugSession s;
  shell::CallStackDock& dock = s.dock();
  s.breakpoint(kAddSecond, true);
  s.key(Qt::Key_F5);
  s.runToStop();
  // The caller's frame: main.txt at the calling line.
  s.rig.editor().activeEditor()->setCursorPosition(0, 0);
  QTreeWidget* list = dock.frameList();
  QTreeWidgetItem* caller = list->topLevelItem(1);
  ASSERT_NE(caller, nullptr);
  const QRect place = list->visualItemRect(caller);
  QTest::mousePress(list->viewport(), Qt::LeftButton, {}, place.center());
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, place.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
  EXPECT_EQ(s.rig.editor().activeScriptName(), "main.txt");
  EXPECT_EQ(s.rig.editor().currentLine(), kCallLine);

  // "Ras&trear Pila" while the game runs: the next run's calls are
  // written to the notes, each tied to its calling line.
  s.breakpoint(kAddSecond, false);
  s.key(Qt::Key_F5);
  s.rig.frames(1);
  s.rig.trigger(shell::Command::StackTrace);
  s.rig.frames(1);
  EXPECT_TRUE(s.rig.noted("<========= Rastreo de Pila (inicio) <============"));
  EXPECT_TRUE(s.rig.noted("01:Add"));
  EXPECT_TRUE(s.rig.noted("<========= Rastreo de Pila (fin) <============"));
}

TEST(StudioCallStack, AnErrorStopShowsTheCallsAtTheFailingLine) {
  DebugSession s;
  shell::CallStackDock& dock = s.dock();
  dock.toggleViewAction()->trigger();
  s.key(Qt::Key_F5);
  s.rig.frames(2);
  // The function's second line is made to fail while the game runs.
  s.rig.bench().scripts().documents().at(0).setLine(kAddSecond - 1, "  V_LV0 += V_QQ");
  s.rig.frames(2);
  ASSERT_EQ(s.rig.control().statusText(), "<Error>");
  EXPECT_FALSE(s.rig.control().running());
  EXPECT_EQ(dock.stateText(), "Error en main.txt, línea 9");
  const std::vector<Frame> frames = shownFrames(dock);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].function, "Add");
  EXPECT_EQ(frames[0].line, QString::number(kAddSecond));
  EXPECT_EQ(frames[1].line, QString::number(kCallLine));
  EXPECT_EQ(shownValue(dock, script::kSlotLV0), "5");
  // The run is over: its values are there to read, not to change.
  EXPECT_FALSE(dock.variableTable()->item(script::kSlotLV0, shell::CallStackDock::ValueColumn)->flags() &
               Qt::ItemIsEditable);
  // Started again, the old calls go.
  s.rig.bench().scripts().documents().at(0).setLine(kAddSecond - 1, "  V_LV0 += V_EV1");
  s.key(Qt::Key_F5);
  EXPECT_EQ(dock.stateText(), "(en ejecución)");
  s.rig.frames(2);
  EXPECT_EQ(s.rig.global(2), 7);
}

TEST(StudioCallStack, TheSameBreakpointReachedAgainMarksWhatChangedSince) {
  DebugSession s(
      "G_VAR01 += 1\n"
      "V_LV1 = G_VAR01\n"
      "V_LV2 = 4\n"
      "Return\n");
  shell::CallStackDock& dock = s.dock();
  s.breakpoint(4, true);
  s.key(Qt::Key_F5);
  s.runToStop();
  EXPECT_EQ(shownValue(dock, script::kSlotLV0 + 1), "1");
  s.key(Qt::Key_F5);
  s.runToStop();
  EXPECT_EQ(dock.stateText(), "Detenido en main.txt, línea 4");
  EXPECT_EQ(shownValue(dock, script::kSlotLV0 + 1), "2");
  EXPECT_TRUE(dock.variableChanged(script::kSlotLV0 + 1));
  EXPECT_FALSE(dock.variableChanged(script::kSlotLV0 + 2));
  // A value typed in stays compared with the stop before.
  dock.variableTable()->item(script::kSlotLV0 + 2, shell::CallStackDock::ValueColumn)->setText("9");
  QTRY_VERIFY(dock.variableChanged(script::kSlotLV0 + 2));
  EXPECT_EQ(shownValue(dock, script::kSlotLV0 + 2), "9");
  EXPECT_EQ(s.rig.bench().scripts().interpreter().frameVariable(0, script::kSlotLV0 + 2), 9);
  EXPECT_TRUE(dock.variableChanged(script::kSlotLV0 + 1));
}

}  // namespace tarvolin::test
