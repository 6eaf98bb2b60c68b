// Opening, saving and closing scripts, and the core documents the
// interpreter reads staying equal to what the editor shows.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "editor/editor_documents.h"
#include "gui/editor/editor_rig.h"

namespace tarvolin::test {

using editor::ScriptEditor;

TEST(EditorFiles, OpenSaveAndTheNotesOfEach) {
  EditorRig rig;
  ScriptEditor* e = rig.open("main.txt", "; Main script\r\nIf V_LV0 == 1\r\nEnd\r\n");
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(rig.host.noted("<main.txt> se leyó exitosamente"));
  EXPECT_EQ(rig.area.activeScriptName(), "main.txt");
  EXPECT_FALSE(rig.area.activeModified());
  EXPECT_EQ(rig.documentLines(e), (std::vector<std::string>{"; Main script", "If V_LV0 == 1", "End"}));
  // The interpreter finds the editor's document by name.
  EXPECT_EQ(rig.workbench.scripts().documents().find("MAIN.TXT"), e->document());

  e->setCursorPosition(2, 3);
  EditorRig::type(e, "\nReturn");
  EXPECT_TRUE(rig.area.activeModified());
  EXPECT_TRUE(rig.area.anyModified());
  ASSERT_TRUE(rig.area.saveActive());
  EXPECT_TRUE(rig.host.noted("<main.txt> fue escrito exitosamente"));
  EXPECT_FALSE(rig.area.activeModified());
  // CR LF between lines; the file's final line end is kept.
  EXPECT_EQ(TempDir::read(rig.dir.file("main.txt")), "; Main script\r\nIf V_LV0 == 1\r\nEnd\r\nReturn\r\n");

  // A name that does not exist is a new, empty script; saving creates it.
  ASSERT_TRUE(rig.area.openScript(QString::fromStdString(rig.dir.file("nuevo.txt"))));
  EXPECT_TRUE(rig.host.noted("Creando guión nuevo <nuevo.txt>"));
  ScriptEditor* fresh = rig.area.activeEditor();
  EXPECT_EQ(rig.documentLines(fresh).size(), 0u);
  EditorRig::type(fresh, "Log \"hola\"\nReturn");
  EXPECT_EQ(rig.documentLines(fresh), (std::vector<std::string>{"Log \"hola\"", "Return"}));
  ASSERT_TRUE(rig.area.saveActive());
  EXPECT_EQ(TempDir::read(rig.dir.file("nuevo.txt")), "Log \"hola\"\r\nReturn");

  // Opening an open script shows its tab again instead of a second copy.
  const int tabs = rig.area.openCount();
  ASSERT_TRUE(rig.area.openScript(QString::fromStdString(rig.dir.file("main.txt"))));
  EXPECT_EQ(rig.area.openCount(), tabs);
  EXPECT_EQ(rig.area.activeScriptName(), "main.txt");

  // A folder cannot be read: the error note, nothing opened.
  std::filesystem::create_directories(rig.dir.file("carpeta.txt"));
  EXPECT_FALSE(rig.area.openScript(QString::fromStdString(rig.dir.file("carpeta.txt"))));
  EXPECT_TRUE(rig.host.noted("ERROR : No se puede leer el archivo <carpeta.txt> "));
  EXPECT_EQ(rig.area.openCount(), tabs);
}

TEST(EditorFiles, AFailedSaveKeepsTheChangesAndSaysSo) {
  EditorRig rig;
  ScriptEditor* e = rig.open("a.txt", "Return\n");
  ASSERT_NE(e, nullptr);
  QTest::keyClicks(e, "; x ");
  // The folder goes away: the write fails, the document stays modified.
  const std::string path = rig.dir.file("a.txt");
  std::filesystem::remove(path);
  std::filesystem::create_directories(path);
  EXPECT_FALSE(rig.area.saveActive());
  EXPECT_TRUE(rig.host.noted("ERROR: No se puede escribir el archivo <a.txt>"));
  EXPECT_TRUE(rig.area.activeModified());
  EXPECT_EQ(rig.documentLines(e)[0], "; x Return");
}

TEST(EditorFiles, CloseAsksForModifiedScriptsAndCancelKeepsThem) {
  EditorRig rig;
  ScriptEditor* a = rig.open("a.txt", "Return\r\n");
  ScriptEditor* b = rig.open("b.txt", "Return\r\n");
  ASSERT_TRUE(a && b);
  QTest::keyClicks(a, "; cambio ");
  QTest::keyClicks(b, "; otro ");

  // Cancel on the question: everything stays open and modified.
  rig.host.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(rig.area.closeAll());
  EXPECT_EQ(rig.area.openCount(), 2);
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_EQ(rig.host.boxes[0], "Guardar cambios a b.txt");
  EXPECT_TRUE(rig.area.anyModified());

  // No discards: the tab goes, and the document the interpreter reads is
  // the file again. Yes saves the other one.
  const int bDoc = b->document();
  const int aDoc = a->document();
  rig.host.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_TRUE(rig.area.closeAll());
  EXPECT_EQ(rig.area.openCount(), 0);
  EXPECT_FALSE(rig.area.hasDocuments());
  const auto& docs = rig.workbench.scripts().documents();
  EXPECT_EQ(docs.at(bDoc).line(0), "Return");
  EXPECT_EQ(docs.at(aDoc).line(0), "; cambio Return");
  EXPECT_EQ(TempDir::read(rig.dir.file("a.txt")), "; cambio Return\r\n");
  EXPECT_EQ(TempDir::read(rig.dir.file("b.txt")), "Return\r\n");

  // Reopening a closed script shows it from the file.
  ASSERT_TRUE(rig.area.openScript(QString::fromStdString(rig.dir.file("b.txt"))));
  EXPECT_EQ(rig.area.activeEditor()->document(), bDoc);
  EXPECT_FALSE(rig.area.activeModified());
}

TEST(EditorFiles, EveryEditReachesTheDocumentTheInterpreterReads) {
  EditorRig rig;
  ScriptEditor* e = rig.open("s.txt", "uno\ndos\ntres\ncuatro\n");
  ASSERT_NE(e, nullptr);
  auto same = [&] { return rig.documentLines(e) == e->allLines(); };

  e->setCursorPosition(1, 0);
  QTest::keyClicks(e, "X");  // in a line
  EXPECT_TRUE(same());
  QTest::keyClick(e, Qt::Key_Return);  // a line split
  EXPECT_TRUE(same());
  e->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(0), "a\nb\n");  // whole lines
  EXPECT_TRUE(same());
  EditorRig::select(e, 1, 0, 4, 2);  // over lines, ending mid-line
  e->removeSelectedText();
  EXPECT_TRUE(same());
  EditorRig::select(e, 0, 0, 1, 0);  // one whole line
  e->removeSelectedText();
  EXPECT_TRUE(same());
  e->undo();
  e->undo();
  e->undo();
  EXPECT_TRUE(same());
  e->redo();
  EXPECT_TRUE(same());
  e->selectAll(true);
  e->removeSelectedText();
  EXPECT_EQ(rig.documentLines(e).size(), 0u);
  QTest::keyClicks(e, "z");
  EXPECT_EQ(rig.documentLines(e), std::vector<std::string>{"z"});
  e->undo();
  e->undo();
  EXPECT_TRUE(same());
}

TEST(EditorFiles, BreakpointsStayOnTheirLineThroughEdits) {
  EditorRig rig;
  ScriptEditor* e = rig.open("s.txt", "l0\nl1\nl2\nl3\n");
  ASSERT_NE(e, nullptr);
  const script::ScriptDocument& doc = e->scriptDocument();
  e->setCursorPosition(2, 0);
  rig.area.toggleBreakpoint();
  EXPECT_TRUE(doc.hasBreakpoint(2));
  EXPECT_TRUE(e->hasBreakpoint(2));

  // Two whole lines inserted above move it down with its text.
  e->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(0), "n0\nn1\n");
  EXPECT_FALSE(doc.hasBreakpoint(2));
  EXPECT_TRUE(doc.hasBreakpoint(4));
  EXPECT_TRUE(e->hasBreakpoint(4));
  EXPECT_EQ(doc.line(4), "l2");
  // Removing the line above keeps it on "l2".
  EditorRig::select(e, 3, 0, 4, 0);
  e->removeSelectedText();
  EXPECT_EQ(doc.line(3), "l2");
  EXPECT_TRUE(doc.hasBreakpoint(3));
  EXPECT_TRUE(e->hasBreakpoint(3));
  EXPECT_EQ(doc.breakpointCount(), 1);
  // F9 again clears it.
  e->setCursorPosition(3, 0);
  rig.area.toggleBreakpoint();
  EXPECT_EQ(doc.breakpointCount(), 0);
  EXPECT_FALSE(e->hasBreakpoint(3));
}

TEST(EditorFiles, Latin1ScriptsRoundTripByteForByte) {
  EditorRig rig;
  // "; función" in Latin-1: not UTF-8, shown as Latin-1, saved unchanged.
  const std::string bytes = "; funci\xf3n\r\nReturn\r\n";
  ScriptEditor* e = rig.open("viejo.txt", bytes);
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->isUtf8Text());
  EXPECT_EQ(e->text(0).trimmed(), QString::fromUtf8("; función"));
  EXPECT_EQ(rig.documentLines(e)[0], "; funci\xf3n");
  e->setCursorPosition(1, 6);
  QTest::keyClicks(e, " ");
  QTest::keyClick(e, Qt::Key_Backspace);
  ASSERT_TRUE(rig.area.saveActive());
  EXPECT_EQ(TempDir::read(rig.dir.file("viejo.txt")), bytes);
}

TEST(EditorFiles, ScriptsChangedOnDiskReloadOrAsk) {
  EditorRig rig;
  ScriptEditor* a = rig.open("a.txt", "uno\r\n");
  ScriptEditor* b = rig.open("b.txt", "dos\r\n");
  ASSERT_TRUE(a && b);
  QTest::keyClicks(b, "; local ");
  // Both files change (a new size, so the change shows at any clock).
  rig.dir.write("a.txt", "uno cambiado\r\n");
  rig.dir.write("b.txt", "dos cambiado\r\n");

  // The unchanged script reloads quietly; the modified one asks, No keeps it.
  rig.host.answers = {MessageAnswer::No};
  rig.area.checkFilesChangedOnDisk();
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  std::string asked = "\"";
  asked += rig.dir.file("b.txt");
  asked += "\"\n tiene cambios sin guardar y ha sido modificado externamente. ¿Perder cambios locales?";
  EXPECT_EQ(rig.host.boxes[0], asked);
  EXPECT_EQ(rig.documentLines(a)[0], "uno cambiado");
  EXPECT_EQ(rig.documentLines(b)[0], "; local dos");
  EXPECT_TRUE(b->isModified());
  // Asked once per change: nothing new, no question.
  rig.area.checkFilesChangedOnDisk();
  EXPECT_EQ(rig.host.boxes.size(), 1u);

  // Another change, Yes: the local changes go.
  rig.dir.write("b.txt", "dos otra vez\r\n");
  rig.host.answers = {MessageAnswer::Yes};
  rig.area.checkFilesChangedOnDisk();
  EXPECT_EQ(rig.documentLines(b)[0], "dos otra vez");
  EXPECT_FALSE(b->isModified());
}

TEST(EditorFiles, AClosedNeverSavedScriptIsNotFoundByName) {
  EditorRig rig;
  ASSERT_TRUE(rig.area.openScript(QString::fromStdString(rig.dir.file("borrador.txt"))));
  ScriptEditor* e = rig.area.activeEditor();
  const int doc = e->document();
  EditorRig::type(e, "Return");
  EXPECT_EQ(rig.area.documentIndexOf("borrador.txt"), doc);
  // Discarded: there is no such file, so nothing finds a script by that
  // name (a declaration naming it fails as for any missing file).
  rig.host.answers = {MessageAnswer::No};
  ASSERT_TRUE(rig.area.closeActive());
  EXPECT_EQ(rig.area.documentIndexOf("borrador.txt"), -1);
  EXPECT_EQ(rig.workbench.scripts().documents().findOrLoad("borrador.txt"), -1);
  // Opened again it is the same document, new and empty, under its name.
  ASSERT_TRUE(rig.area.openScript(QString::fromStdString(rig.dir.file("borrador.txt"))));
  EXPECT_EQ(rig.area.activeEditor()->document(), doc);
  EXPECT_EQ(rig.area.activeScriptName(), "borrador.txt");
  EXPECT_EQ(rig.documentLines(rig.area.activeEditor()).size(), 0u);
  EXPECT_EQ(rig.workbench.scripts().documents().count(), 1);
}

TEST(EditorFiles, ClosingTheProjectForgetsEveryDocument) {
  EditorRig rig;
  ScriptEditor* a = rig.open("a.txt", "Return\r\n");
  ASSERT_NE(a, nullptr);
  QTest::keyClicks(a, "; x ");
  rig.host.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(rig.area.closeProjectDocuments());
  EXPECT_EQ(rig.workbench.scripts().documents().count(), 1);
  rig.host.answers = {MessageAnswer::No};
  EXPECT_TRUE(rig.area.closeProjectDocuments());
  EXPECT_EQ(rig.workbench.scripts().documents().count(), 0);
  EXPECT_EQ(rig.area.openCount(), 0);
}

}  // namespace tarvolin::test
