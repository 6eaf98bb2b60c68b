// The context menu, and input the editor must survive: odd bytes, places
// that do not exist, commands without a script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include "gui/editor/editor_rig.h"

namespace tarvolin::test {

using editor::ScriptEditor;

namespace {

QStringList Entries(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) out << a->text();
  return out;
}

long PositionOf(ScriptEditor* e, int line, int column) {
  return e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) + column;
}

}  // namespace

TEST(EditorMenu, FixedEntriesAndTheOnesForTheWordUnderTheMouse) {
  EditorRig rig;
  ScriptEditor* e = rig.open("m.txt", "Call Mover\nFunction Mover 0\nReturn\n; nota\n");
  ASSERT_NE(e, nullptr);
  rig.area.refreshWordLists();  // the open script declares Mover
  const QStringList fixed = {"&Deshacer (Alt-Retroceso)", "Cor&tar (^X, Mayús-Supr)",
                             "&Copiar (^C, Control-Insert)", "&Pegar (^V, Mayús-Insert)",
                             "&Próximo archivo (F6)", "&Archivo anterior (Mayús-F6)",
                             "&Cerrar archivo (Alt-F3)", "&Cerrar todos los archivos"};

  std::unique_ptr<QMenu> onComment(rig.area.createContextMenu(e, static_cast<int>(PositionOf(e, 3, 3))));
  EXPECT_EQ(Entries(onComment.get()), fixed);

  std::unique_ptr<QMenu> onFunction(rig.area.createContextMenu(e, static_cast<int>(PositionOf(e, 0, 7))));
  EXPECT_EQ(Entries(onFunction.get()), fixed + QStringList{"Examinar función 'Mover'"});
  // Examining the function goes to its declaration.
  e->setCursorPosition(3, 0);
  onFunction->actions().last()->trigger();
  EXPECT_EQ(e->caretLine(), 1);

  std::unique_ptr<QMenu> onCommand(rig.area.createContextMenu(e, static_cast<int>(PositionOf(e, 2, 1))));
  EXPECT_EQ(Entries(onCommand.get()), fixed + QStringList{"Ayuda del comando"});
  QString asked;
  QObject::connect(&rig.area, &editor::EditorArea::commandHelpRequested, [&](const QString& c) { asked = c; });
  onCommand->actions().last()->trigger();
  EXPECT_EQ(asked, "Return");

  // Undo and the clipboard entries follow the editor's state.
  EXPECT_FALSE(onCommand->actions()[0]->isEnabled());
  EXPECT_FALSE(onCommand->actions()[1]->isEnabled());
}

TEST(EditorMenu, BadPlacesAndBytesNeverBreakTheEditor) {
  EditorRig rig;
  // Commands with nothing open do nothing.
  rig.area.undo();
  rig.area.commentToggle();
  rig.area.nextBookmark(false);
  rig.area.blockEnd();
  rig.area.insertSeparator();
  rig.area.toggleBreakpoint();
  EXPECT_FALSE(rig.area.saveActive());
  EXPECT_TRUE(rig.area.closeActive());
  EXPECT_EQ(rig.area.currentLine(), 0);
  EXPECT_EQ(rig.area.cursorScriptAndLine().document, -1);
  rig.area.markExecutionLine(5, 3);
  rig.area.markExecutionLine(-1, 0);
  rig.area.reportError("x", "", 9, 2);
  EXPECT_FALSE(rig.area.hasDocuments());
  EXPECT_FALSE(rig.area.openScriptAt("", 1));

  // NUL bytes, a lone CR and no final line end: shown, kept, saved back.
  const std::string bytes = std::string("a\0b\r\nlone\rcr\r\nfin", 15);
  ScriptEditor* e = rig.open("raro.txt", bytes);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(rig.documentLines(e), e->allLines());
  EXPECT_EQ(rig.documentLines(e)[0], std::string("a\0b", 3));
  e->setCursorPosition(0, 0);
  QTest::keyClicks(e, "x");
  ASSERT_TRUE(rig.area.saveActive());
  EXPECT_EQ(TempDir::read(rig.dir.file("raro.txt")), std::string("xa\0b\r\nlone\r\ncr\r\nfin", 17));

  // Lines past the end, and a document index that is not open.
  rig.area.markExecutionLine(e->document(), 999);
  EXPECT_EQ(e->executionLine(), -1);
  rig.area.goToLine(-4);
  EXPECT_TRUE(rig.area.openScriptAt("raro.txt", 999));
  EXPECT_EQ(rig.area.currentLine(), 1);
}

}  // namespace tarvolin::test

namespace tarvolin::test {

TEST(EditorMenu, TheStudiosShortcutKeysAreNotTakenByTheEditor) {
  EditorRig rig;
  editor::ScriptEditor* e = rig.open("k.txt", "Return\n");
  ASSERT_NE(e, nullptr);
  auto wanted = [&](int key, Qt::KeyboardModifiers mods) {
    QKeyEvent event(QEvent::ShortcutOverride, key, mods);
    event.ignore();
    QApplication::sendEvent(e, &event);
    return event.isAccepted();
  };
  // Asset windows and block jumps belong to the menus.
  for (int key : {Qt::Key_A, Qt::Key_L, Qt::Key_T, Qt::Key_U, Qt::Key_D, Qt::Key_BracketLeft, Qt::Key_BracketRight})
    EXPECT_FALSE(wanted(key, Qt::ControlModifier)) << key;
  // Typing and the editor's own keys stay with it.
  EXPECT_TRUE(wanted(Qt::Key_L, Qt::NoModifier));
  EXPECT_TRUE(wanted(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_TRUE(wanted(Qt::Key_Home, Qt::ControlModifier));
}

}  // namespace tarvolin::test
