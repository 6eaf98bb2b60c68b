// The editor and a running game: breakpoints set in the editor stop the
// run, the execution line shows where, errors in another script bring that
// script up, the value tool-tip reads the run's variables, and the status
// window describes the caret's line.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "editor/status_text.h"
#include "editor/variable_tip.h"
#include "gui/editor/editor_rig.h"
#include "project/project.h"

namespace tarvolin::test {

using editor::ScriptEditor;

namespace {

// A project made by the command-line tool, with its main script and a
// library, opened with the editor's project hooks.
struct GameRig : EditorRig {
  GameRig() {
    projectPath = dir.file("juego/Juego.tvp");
    const std::string command = std::string(TARVOLIN_EXE) + " new '" + projectPath + "' > /dev/null";
    made = std::system(command.c_str()) == 0;
    dir.write("juego/Juego/Script/main.txt",
              "ExternFunction \"lib.txt\" Dividir\r\n"  // 0
              "V_LV0 = 7\r\n"                          // 1
              "V_LV1 = V_LV0\r\n"                      // 2
              "Call Dividir\r\n"                       // 3
              "Return\r\n"                             // 4
              "Function Initialise 0 ; arranque\r\n"   // 5
              "Return\r\n");                           // 6
    dir.write("juego/Juego/Script/lib.txt",
              "Function Dividir 0 ; parte en dos\r\n"  // 0
              "V_LV0 = 5\r\n"                          // 1
              "Assert V_LV0 == 4\r\n"                  // 2
              "Return\r\n");                           // 3
    project::ProjectHooks hooks;
    area.fillProjectHooks(hooks);
    hooks.autoPreprocess = [this] { workbench.scripts().Preprocess(workbench.project(), false); };
    workbench.project().setHooks(hooks);
  }
  bool openProject() { return made && workbench.project().open(projectPath, false); }
  std::string scriptPath(const std::string& name) { return dir.file("juego/Juego/Script/" + name); }

  std::string projectPath;
  bool made = false;
};

}  // namespace

TEST(EditorRun, ABreakpointSetWithF9StopsTheGameAndTheLineShows) {
  GameRig rig;
  ASSERT_TRUE(rig.openProject());
  ScriptEditor* e = rig.open("juego/Juego/Script/main.txt", TempDir::read(rig.scriptPath("main.txt")));
  ASSERT_NE(e, nullptr);
  // The script the preprocessor loaded is the one shown, not a second copy.
  EXPECT_EQ(rig.workbench.scripts().documents().count(), 2);
  e->setCursorPosition(2, 0);
  rig.area.toggleBreakpoint();

  GameRunner& game = rig.workbench.game();
  script::Interpreter& interp = rig.workbench.scripts().interpreter();
  game.Start();
  EXPECT_EQ(game.RunFrame(), FrameOutcome::Ran);     // Initialise
  EXPECT_EQ(game.RunFrame(), FrameOutcome::Paused);  // stops on line 2
  EXPECT_EQ(interp.currentScript(), e->document());
  EXPECT_EQ(interp.currentLine(), 2);
  rig.area.markExecutionLine(interp.currentScript(), interp.currentLine());
  EXPECT_EQ(e->executionLine(), 2);
  EXPECT_TRUE(e->markersAtLine(2) & (1 << ScriptEditor::kExecutionMarker));
  EXPECT_EQ(rig.area.currentLine(), 3);

  // The value tool-tip reads the paused run: V_LV0 was set on line 1.
  std::string reference;
  std::int32_t value = 0;
  script::ParseEnv env;
  env.tables = &interp.tables();
  env.families = &interp.families();
  env.script = e->document();
  ASSERT_TRUE(editor::VariableAt("V_LV1 = V_LV0", 10, env, interp, reference, value));
  EXPECT_EQ(reference, "V_LV0");
  EXPECT_EQ(value, 7);
  EXPECT_EQ(editor::VariableTipText(reference, value), "V_LV0 = 7");
  // Not on a variable, in a comment, or on a number: no tip.
  EXPECT_FALSE(editor::VariableAt("V_LV1 = V_LV0", 6, env, interp, reference, value));
  EXPECT_FALSE(editor::VariableAt("Return ; V_LV0", 10, env, interp, reference, value));
  EXPECT_FALSE(editor::VariableAt("V_LV1 = 12", 9, env, interp, reference, value));
  EXPECT_FALSE(interp.errors().HasError());

  // An edit while paused reaches the run: the paused line now reads 99.
  // Without the breakpoint the frame goes on, to the error in the library.
  EditorRig::select(e, 2, 8, 2, 13);
  EditorRig::type(e, "99");
  EXPECT_EQ(e->scriptDocument().line(2), "V_LV1 = 99");
  rig.area.toggleBreakpoint();
  rig.area.clearExecutionLine();
  EXPECT_EQ(e->executionLine(), -1);
  interp.Resume();
  EXPECT_EQ(game.RunFrame(), FrameOutcome::Failed);
  EXPECT_EQ(interp.frameVariable(0, script::kSlotLV0 + 1), 99);
}

TEST(EditorRun, AnErrorInACalledFunctionMarksTheRightLineOfTheRightScript) {
  GameRig rig;
  ASSERT_TRUE(rig.openProject());
  // lib.txt was loaded by the preprocessor and has no tab yet.
  const int lib = rig.area.documentIndexOf("lib.txt");
  ASSERT_GE(lib, 0);
  EXPECT_EQ(rig.area.editorFor(lib), nullptr);

  GameRunner& game = rig.workbench.game();
  script::Interpreter& interp = rig.workbench.scripts().interpreter();
  game.Start();
  EXPECT_EQ(game.RunFrame(), FrameOutcome::Ran);
  EXPECT_EQ(game.RunFrame(), FrameOutcome::Failed);
  ASSERT_EQ(interp.currentScript(), lib);
  ASSERT_EQ(interp.currentLine(), 2);
  rig.area.reportError(QString::fromUtf8(interp.errors().ErrorText().data()), QString(), interp.currentScript(),
                       interp.currentLine());
  ScriptEditor* shown = rig.area.activeEditor();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->document(), lib);
  EXPECT_EQ(rig.area.activeScriptName(), "lib.txt");
  EXPECT_EQ(shown->executionLine(), 2);
  EXPECT_EQ(shown->caretLine(), 2);
  const auto& last = rig.host.notes.back();
  EXPECT_EQ(last.text, "ERROR: <" + std::string(interp.errors().ErrorText()) + ">");
  EXPECT_EQ(last.script, "lib.txt");
  EXPECT_EQ(last.line, 3);
}

TEST(EditorRun, TheStatusWindowDescribesTheCaretLine) {
  GameRig rig;
  ASSERT_TRUE(rig.openProject());
  rig.workbench.project().macros().items().push_back({"Mover", "mueve el sprite", {"V_LV0 += %0"}});
  ScriptEditor* e = rig.open("juego/Juego/Script/main.txt", TempDir::read(rig.scriptPath("main.txt")));
  ASSERT_NE(e, nullptr);
  QStringList seen;
  QObject::connect(&rig.area, &editor::EditorArea::statusTextChanged, [&](const QString& t) { seen << t; });

  rig.area.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.area));
  e->setCursorPosition(3, 0);  // Call Dividir
  QApplication::processEvents();
  EXPECT_EQ(rig.area.statusWidget()->text(), "Call:Dividir (0)  - parte en dos");
  e->setCursorPosition(1, 0);
  QApplication::processEvents();
  EXPECT_EQ(rig.area.statusWidget()->text(), "<V1> = <P1> - igualación");
  EXPECT_EQ(seen.size(), 2);

  const project::MacroList* macros = &rig.workbench.project().macros();
  script::ParseEnv env;
  env.tables = &rig.workbench.scripts().interpreter().tables();
  env.script = e->document();
  EXPECT_EQ(editor::StatusTextForLine("   ; nota", env, macros), "");
  EXPECT_EQ(editor::StatusTextForLine("", env, macros), "");
  EXPECT_EQ(editor::StatusTextForLine("%Mover 3", env, macros), "Macro : mueve el sprite");
  EXPECT_EQ(editor::StatusTextForLine("%Otra 3", env, macros), "Macro : Otra");
  EXPECT_EQ(editor::StatusTextForLine("CallRet Initialise", env, macros), "CallRet:Initialise (0)  - arranque");
  EXPECT_EQ(editor::StatusTextForLine("End", env, macros), "End <nada>");
  // A call of an unknown function shows the command's own help.
  EXPECT_EQ(editor::StatusTextForLine("Call Nadie", env, macros), "Call <Función> <P1> .. <P10>");
}

}  // namespace tarvolin::test
