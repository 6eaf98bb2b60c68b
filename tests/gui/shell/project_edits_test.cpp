// Undo of project edits in the studio: an import is kept for Deshacer and
// Rehacer with its name, the modified flag and the title follow, Ctrl-Z goes
// to a script only while it has something to take back, and the editor's
// word lists follow the asset lists once per turn.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSignalSpy>
#include <QUndoStack>

#include "editor/word_lists.h"
#include "gui/shell/studio_rig.h"
#include "project/project.h"
#include "project/resource_file.h"
#include "shell/project_edits.h"

namespace tarvolin::test {
namespace {

// The game of the rig and, beside it, a library with the string "Titulo".
void openGameWithLibrary(StudioRig& rig, bool withScript) {
  const std::string tvp = rig.writeGame();
  rig.dir.write("Biblio.tvp", "");
  rig.dir.write("Biblio/global_names.txt", project::writeGlobalSets({project::defaultGlobalSet()}));
  project::StringRecord title;
  title.identifier = "Titulo";
  title.texts[5] = "Hola";
  rig.dir.write("Biblio/string_table.txt", project::writeStrings({title}));
  QStringList args{QString::fromStdString("-P\"" + tvp + "\"")};
  if (withScript) args << "-S\"main.txt\"";
  rig.start(args);
  ASSERT_TRUE(rig.bench().project().isOpen());
}

QAction* importEntry(StudioRig& rig, const QString& text) {
  for (QAction* a : rig.window().importMenu()->actions())
    if (a->text() == text) return a;
  return nullptr;
}

bool knowsTitle(StudioRig& rig) { return rig.editor().wordLists().isAsset("Titulo"); }

}  // namespace


TEST(StudioProjectEdits, ImportIsUndoneAndRedoneWithTitleAndWords) {
  StudioRig rig;
  openGameWithLibrary(rig, false);
  shell::TarvolinMainWindow& w = rig.window();
  project::Project& project = rig.bench().project();
  QAction* undo = rig.window().action(shell::Command::Undo);
  QAction* redo = rig.window().action(shell::Command::Redo);
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "&Deshacer\tCtrl-Z");
  const std::size_t before = project.strings().size();

  QAction* strings = importEntry(rig, "&Cadenas...");
  ASSERT_NE(strings, nullptr);
  rig.files = {QString::fromStdString(rig.dir.file("Biblio.tvp"))};
  strings->trigger();
  ASSERT_EQ(project.strings().size(), before + 1);
  EXPECT_TRUE(project.isModified());
  EXPECT_TRUE(w.windowTitle().endsWith(" *]")) << w.windowTitle().toStdString();
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_EQ(undo->text(), QString::fromUtf8("&Deshacer importación de Cadenas\tCtrl-Z"));
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_TRUE(waitFor([&] { return knowsTitle(rig); }));

  // Deshacer takes the string out again; the project is as opened.
  undo->trigger();
  EXPECT_EQ(project.strings().size(), before);
  EXPECT_FALSE(project.isModified());
  EXPECT_FALSE(w.windowTitle().contains('*')) << w.windowTitle().toStdString();
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "&Deshacer\tCtrl-Z");
  EXPECT_EQ(redo->text(), QString::fromUtf8("&Rehacer importación de Cadenas\tCtrl-Y"));
  EXPECT_TRUE(waitFor([&] { return !knowsTitle(rig); }));

  // Ctrl-Y over the main window (no text has the focus) does it again.
  w.setFocus();
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(project.strings().size(), before + 1);
  EXPECT_TRUE(project.isModified());
  EXPECT_TRUE(waitFor([&] { return knowsTitle(rig); }));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(project.strings().size(), before);

  // Saved after a redo, the saved state is the clean one; a closed project
  // leaves nothing to undo.
  redo->trigger();
  ASSERT_TRUE(project.save(false));
  EXPECT_FALSE(project.isModified());
  undo->trigger();
  EXPECT_TRUE(project.isModified());
  redo->trigger();
  EXPECT_FALSE(project.isModified());
  EXPECT_TRUE(undo->isEnabled());
  rig.answers = {MessageAnswer::No};
  rig.trigger(shell::Command::CloseProject);
  ASSERT_FALSE(project.isOpen());
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
}

TEST(StudioProjectEdits, ScriptWithFocusKeepsItsOwnUndo) {
  StudioRig rig;
  openGameWithLibrary(rig, true);
  project::Project& project = rig.bench().project();
  ASSERT_TRUE(rig.editor().hasDocuments());
  QAction* undo = rig.window().action(shell::Command::Undo);
  rig.files = {QString::fromStdString(rig.dir.file("Biblio.tvp"))};
  importEntry(rig, "&Cadenas...")->trigger();
  const std::size_t imported = project.strings().size();

  // The script has the focus but nothing to take back: Ctrl-Z and the menu
  // entry go to the import.
  editor::ScriptEditor* script = rig.editor().activeEditor();
  rig.editor().focusEditor();
  ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == script; }));
  rig.window().refreshState();
  EXPECT_EQ(undo->text(), QString::fromUtf8("&Deshacer importación de Cadenas\tCtrl-Z"));
  QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(project.strings().size(), imported - 1);
  rig.trigger(shell::Command::Redo);
  EXPECT_EQ(project.strings().size(), imported);

  // Once it is typed in, the script's own typing comes first.
  const QString text = script->text();
  QTest::keyClicks(script, "xy");
  ASSERT_NE(script->text(), text);
  rig.window().refreshState();
  EXPECT_EQ(undo->text(), "&Deshacer\tCtrl-Z");
  rig.trigger(shell::Command::Undo);
  EXPECT_EQ(script->text(), text);
  EXPECT_EQ(project.strings().size(), imported);
  rig.editor().activeEditor()->setModified(false);
}

TEST(StudioProjectEdits, ChangesAreToldOncePerTurnAndRefusalsAreNotKept) {
  StudioRig rig;
  openGameWithLibrary(rig, false);
  project::Project& project = rig.bench().project();
  shell::ProjectEdits& edits = rig.window().projectEdits();
  QSignalSpy changed(&edits, &shell::ProjectEdits::assetsChanged);
  for (const char* id : {"Uno", "Dos", "Tres"}) {
    project::StringRecord s;
    s.identifier = id;
    ASSERT_TRUE(edits.apply(project::Edit::Insert(-1, s), QStringLiteral("cadena")));
  }
  EXPECT_EQ(changed.count(), 0);
  EXPECT_TRUE(changed.wait(kPatienceMs));
  QCoreApplication::processEvents();
  EXPECT_EQ(changed.count(), 1);

  // A refused edit is not kept.
  project::StringRecord twice;
  twice.identifier = "uno";
  std::string why;
  EXPECT_FALSE(edits.apply(project::Edit::Insert(-1, twice), QStringLiteral("cadena"), &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(edits.stack().count(), 3);

  // Deshacer goes back through the three in turn.
  const std::size_t size = project.strings().size();
  EXPECT_EQ(edits.undoText(), "cadena");
  for (int i = 0; i < 3; ++i) edits.undo();
  EXPECT_EQ(project.strings().size(), size - 3);
  EXPECT_FALSE(edits.canUndo());
}

}  // namespace tarvolin::test
