// Find, replace, replace all and find in scripts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "editor/find_dialog.h"
#include "editor/find_in_scripts.h"
#include "gui/editor/editor_rig.h"

namespace tarvolin::test {

using editor::FindOptions;
using editor::ScriptEditor;

namespace {

std::string Selected(ScriptEditor* e) { return e->selectedText().toStdString(); }
int SelectionLine(ScriptEditor* e) {
  int l1, i1, l2, i2;
  e->getSelection(&l1, &i1, &l2, &i2);
  return l1;
}

}  // namespace

TEST(Search, FindNextWrapsOnceWithItsMessages) {
  EditorRig rig;
  ScriptEditor* e = rig.open("f.txt", "Sprite 1\nnada\nsprite 2\nSpriteX\n");
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(1, 0);
  rig.area.setSearch("Sprite", "", FindOptions{});
  ASSERT_TRUE(rig.area.findNext());
  EXPECT_EQ(SelectionLine(e), 2);
  EXPECT_EQ(Selected(e), "sprite");
  ASSERT_TRUE(rig.area.findNext());
  EXPECT_EQ(SelectionLine(e), 3);
  EXPECT_TRUE(rig.host.boxes.empty());
  // Past the last one: the wrap message, then the first from the top.
  ASSERT_TRUE(rig.area.findNext());
  EXPECT_EQ(SelectionLine(e), 0);
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_EQ(rig.host.boxes[0], "Buscando desde el comienzo del archivo...");

  // Match case and whole word narrow it to line 0 only.
  e->setCursorPosition(0, 2);
  rig.area.setSearch("Sprite", "", FindOptions{false, true, true});
  ASSERT_TRUE(rig.area.findNext());
  EXPECT_EQ(SelectionLine(e), 0);

  // Nothing anywhere: wrap message and the not-found message.
  rig.host.boxes.clear();
  rig.area.setSearch("Fondo", "", FindOptions{});
  EXPECT_FALSE(rig.area.findNext());
  EXPECT_EQ(rig.host.boxes, (std::vector<std::string>{"Buscando desde el comienzo del archivo...",
                                                      "No se puede hallar la cadena Fondo"}));
  // From the start: no wrap message before the failure.
  rig.host.boxes.clear();
  rig.area.setSearch("Fondo", "", FindOptions{true, false, false});
  EXPECT_FALSE(rig.area.findNext());
  EXPECT_EQ(rig.host.boxes, std::vector<std::string>{"No se puede hallar la cadena Fondo"});
}

TEST(Search, ReplaceReplacesTheFoundOneAndSelectsTheNext) {
  EditorRig rig;
  ScriptEditor* e = rig.open("r.txt", "a1 a2\na3\n");
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(0, 0);
  rig.area.setSearch("a", "bb", FindOptions{});
  ASSERT_TRUE(rig.area.findNext());
  ASSERT_TRUE(rig.area.replaceOnce());
  EXPECT_EQ(e->allLines()[0], "bb1 a2");
  EXPECT_EQ(Selected(e), "a");
  ASSERT_TRUE(rig.area.replaceOnce());
  // The last one is replaced; nothing is left to select.
  EXPECT_FALSE(rig.area.replaceOnce());
  EXPECT_EQ(rig.host.boxes.back(), "No se puede hallar la cadena a");
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"bb1 bb2", "bb3"}));
  EXPECT_EQ(rig.documentLines(e), e->allLines());
}

TEST(Search, ReplaceAllWithinASelectionChangesNothingOutsideIt) {
  EditorRig rig;
  const std::string text = "V_LV0 = 1\nV_LV0 = 2\nV_LV0 = 3\nV_LV0 = 4\n";
  ScriptEditor* e = rig.open("ra.txt", text);
  ASSERT_NE(e, nullptr);
  // From the middle of line 1 to the middle of line 2: the match on line 1
  // starts before the selection and stays; the one on line 2 is inside.
  EditorRig::select(e, 1, 2, 2, 7);
  rig.area.setSearch("V_LV0", "V_LV11", FindOptions{});
  EXPECT_EQ(rig.area.replaceAll(), 1);
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"V_LV0 = 1", "V_LV0 = 2", "V_LV11 = 3", "V_LV0 = 4"}));
  EXPECT_EQ(rig.host.boxes.back(), "Se han reemplazado todas las ocurrencias de la cadena V_LV0");
  // The selection now spans the changed text, grown by the replacement.
  EXPECT_EQ(Selected(e), "LV0 = 2\nV_LV11 =");
  // One undo step takes it all back.
  e->undo();
  EXPECT_EQ(e->allLines()[2], "V_LV0 = 3");

  // Without a selection: the whole document; a replacement that holds the
  // searched text does not loop.
  e->setCursorPosition(0, 0);
  rig.area.setSearch("V_LV0", "V_LV0+1", FindOptions{});
  EXPECT_EQ(rig.area.replaceAll(), 4);
  EXPECT_EQ(e->allLines()[3], "V_LV0+1 = 4");
  EXPECT_EQ(rig.documentLines(e), e->allLines());
  rig.area.setSearch("nada", "x", FindOptions{});
  EXPECT_EQ(rig.area.replaceAll(), 0);
  EXPECT_EQ(rig.host.boxes.back(), "No se hallaron ocurrencias con 'nada'");
}

TEST(Search, TheDialogPassesItsOptions) {
  EditorRig rig;
  ScriptEditor* e = rig.open("d.txt", "uno\nUNO\n");
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(0, 1);
  rig.area.replace();
  editor::FindDialog* dialog = rig.area.findDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->findEdit()->setText("uno");
  dialog->replaceEdit()->setText("dos");
  dialog->fromStartBox()->setChecked(true);
  dialog->findChildren<QCheckBox*>()[1]->setChecked(true);  // match case
  QPushButton* replaceAll = nullptr;
  for (QPushButton* b : dialog->findChildren<QPushButton*>())
    if (b->text() == "Reemplazar &todo") replaceAll = b;
  ASSERT_NE(replaceAll, nullptr);
  replaceAll->click();
  EXPECT_EQ(e->allLines(), (std::vector<std::string>{"dos", "UNO"}));
  dialog->close();
}

TEST(Search, FindInScriptsListsEveryHitTiedToItsLine) {
  EditorRig rig;
  rig.dir.write("main.txt", "Call Mover\r\nReturn\r\n");
  rig.dir.write("lib.TXT", "Function Mover 0\r\n; mover todo\r\nReturn\r\n");
  rig.dir.write("notas.md", "Mover\n");
  // An open script is searched as the editor holds it, unsaved changes too.
  ScriptEditor* e = rig.open("otro.txt", "Return\n");
  ASSERT_NE(e, nullptr);
  e->setCursorPosition(0, 0);
  QTest::keyClicks(e, "Call Mover ");

  rig.area.findInScriptsFor("Mover");
  EXPECT_TRUE(rig.host.noted("Buscando por Mover en los guiones del proyecto..."));
  std::vector<std::string> hits;
  for (const auto& n : rig.host.notes)
    if (n.line > 0) hits.push_back(n.script + ":" + std::to_string(n.line) + ":" + n.text);
  EXPECT_EQ(hits, (std::vector<std::string>{"lib.TXT:1:lib.TXT(1): Function Mover 0", "lib.TXT:2:lib.TXT(2): ; mover todo",
                                            "main.txt:1:main.txt(1): Call Mover",
                                            "otro.txt:1:otro.txt(1): Call Mover Return"}));

  // Whole word and match case: "mover" in the comment no longer counts.
  rig.host.notes.clear();
  rig.area.setSearch("", "", FindOptions{false, true, true});
  rig.area.findInScriptsFor("Move");
  EXPECT_TRUE(rig.host.noted("No se hallaron ocurrencias con Move"));

  // A double-clicked hit opens its script at the line.
  ASSERT_TRUE(rig.area.openScriptAt("lib.TXT", 3));
  EXPECT_EQ(rig.area.activeScriptName(), "lib.TXT");
  EXPECT_EQ(rig.area.currentLine(), 3);
}

TEST(Search, ScriptSearchWithoutScriptsOrCancelled) {
  TempDir dir;
  std::vector<editor::ScriptHit> hits;
  editor::ScriptSearch search{"x", false, false};
  EXPECT_EQ(editor::SearchScripts(dir.path(), search, nullptr, nullptr, hits), editor::ScriptSearchResult::NoScripts);
  EXPECT_EQ(editor::SearchScripts(dir.file("no-such"), search, nullptr, nullptr, hits),
            editor::ScriptSearchResult::NoScripts);
  dir.write("a.txt", "x\n");
  dir.write("b.txt", "x\n");
  int calls = 0;
  EXPECT_EQ(editor::SearchScripts(dir.path(), search, nullptr,
                                  [&](int done, int) { return ++calls, done < 1; }, hits),
            editor::ScriptSearchResult::Cancelled);
  EXPECT_EQ(calls, 2);

  // Whole words end at letters, digits and "_".
  EXPECT_TRUE(editor::LineMatches("If V_LV0 > 1", {"V_LV0", true, true}));
  EXPECT_FALSE(editor::LineMatches("V_LV0_B", {"V_LV0", true, true}));
  EXPECT_FALSE(editor::LineMatches("v_lv0", {"V_LV0", true, false}));
  EXPECT_TRUE(editor::LineMatches("v_lv0", {"V_LV0", false, false}));
}

TEST(Search, FindInScriptsWithoutScriptsOrCancelled) {
  EditorRig rig;
  rig.area.findInScriptsFor("algo");
  EXPECT_TRUE(rig.host.noted("No se hallaron guiones"));

  // The progress names the search; cancelling it stops with its note and
  // lists nothing; the progress window is closed either way.
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) rig.dir.write(name, "algo\n");
  rig.host.notes.clear();
  rig.host.progressCalls.clear();
  rig.host.cancelAt = 50;
  rig.area.findInScriptsFor("algo");
  EXPECT_TRUE(rig.host.noted("Search cancelled"));
  for (const auto& n : rig.host.notes) EXPECT_EQ(n.line, 0) << n.text;
  ASSERT_GE(rig.host.progressCalls.size(), 2u);
  EXPECT_EQ(rig.host.progressCalls.front().second, "Buscando por algo en los guiones del proyecto...");
  EXPECT_EQ(rig.host.progressCalls.back().first, 100);
  EXPECT_EQ(rig.host.progressCalls[rig.host.progressCalls.size() - 2].first, 50);
}

}  // namespace tarvolin::test
