// Script documents: reading files as the projects hold them, and the
// editing operations the interpreter notices.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "script/script_document.h"

namespace tarvolin::script {

TEST(ScriptDocuments, FilesLoadWithAnyLineEndAndNameCase) {
  test::TempDir dir;
  dir.write("Script/Main.TXT", "V_LV0 = 1\r\n\r\nReturn\r\n");
  dir.write("Script/lib.txt", "a\nb");
  FolderScriptDocuments docs(dir.file("Script"));
  const int main = docs.findOrLoad("main.txt");
  ASSERT_EQ(main, 0);
  EXPECT_EQ(docs.at(main).lineCount(), 3);
  EXPECT_EQ(docs.at(main).line(0), "V_LV0 = 1");
  EXPECT_EQ(docs.at(main).line(1), "");
  EXPECT_EQ(docs.findOrLoad("MAIN.txt"), main);  // found again, not loaded twice
  const int lib = docs.findOrLoad("lib.txt");
  EXPECT_EQ(docs.at(lib).lineCount(), 2);
  EXPECT_EQ(docs.at(lib).line(1), "b");
  EXPECT_EQ(docs.at(lib).line(7), "");
  EXPECT_EQ(docs.findOrLoad("missing.txt"), -1);
  EXPECT_EQ(docs.count(), 2);

  // Closing them all (a project closes): none left, none active, and the
  // files load again from index 0.
  docs.setActive(1);
  docs.clear();
  EXPECT_EQ(docs.count(), 0);
  EXPECT_EQ(docs.active(), -1);
  EXPECT_EQ(docs.find("main.txt"), -1);
  EXPECT_EQ(docs.findOrLoad("main.txt"), 0);
}

TEST(ScriptDocuments, BreakpointsFollowEdits) {
  ScriptDocument doc("m.txt", "m.txt", SplitLines("a\nb\nc\nd\n"));
  doc.setBreakpoint(2, true);
  doc.setBreakpoint(2, true);
  EXPECT_EQ(doc.breakpointCount(), 1);
  doc.insertLines(0, {"x"});
  EXPECT_TRUE(doc.hasBreakpoint(3));
  doc.removeLines(3, 5);  // clipped at the end
  EXPECT_EQ(doc.lineCount(), 3);
  EXPECT_EQ(doc.breakpointCount(), 0);
  doc.setBreakpoint(-1, true);
  doc.setBreakpoint(99, true);
  EXPECT_EQ(doc.breakpointCount(), 0);
}

}  // namespace tarvolin::script
