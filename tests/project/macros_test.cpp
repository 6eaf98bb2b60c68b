#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/macros.h"

namespace tarvolin::project {
namespace {

const std::string kHeader =
    ";;; Tarvolin macro script file - automatically generated\n"
    ";;; any changes made by hand will be lost\n\n\n";

TEST(Macros, WriteReadRoundTrip) {
  std::vector<Macro> macros = {
      {"Move", "Mueve el sprite", {"SpriteSetPos %0 %1 %2", "  Add V_LV0 1 ; note"}},
      {"Empty", "", {}},
      {"Dollar", "hint with $ and #", {"", "$x"}},
  };
  const std::string text = writeMacros(macros);
  EXPECT_EQ(text, kHeader +
                      "#Move\n?Mueve el sprite\n$SpriteSetPos %0 %1 %2\n$  Add V_LV0 1 ; note\n\n"
                      "#Empty\n?\n\n"
                      "#Dollar\n?hint with $ and #\n$\n$$x\n\n");
  EXPECT_EQ(writeMacros({}), kHeader);

  test::TempDir dir;
  MacroList list;
  list.items() = macros;
  const std::string path = dir.file("macro.txt");
  ASSERT_TRUE(list.save(path));
  MacroList again;
  ASSERT_TRUE(again.load(path));
  EXPECT_EQ(again.items(), macros);
  EXPECT_EQ(writeMacros(again.items()), text);

  // CR LF files read the same.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dir.write("crlf.txt", crlf);
  std::vector<Macro> fromCrlf;
  ASSERT_TRUE(MacroList::loadInto(dir.file("crlf.txt"), fromCrlf));
  EXPECT_EQ(fromCrlf, macros);
  EXPECT_EQ(list.items(), macros);  // load into another list leaves this one

  EXPECT_EQ(again.find("move"), &again.items()[0]);
  EXPECT_EQ(again.indexOf("DOLLAR"), 2);
  EXPECT_EQ(again.find("Mov"), nullptr);
}

TEST(Macros, DamagedFilesKeepWhatTheyCan) {
  std::vector<Macro> out;
  // Missing hint line: the entries before it stay and the read fails.
  LineReader a("#One\n?h\n$A\n\n#Two\n$B\n\n#Three\n?h\n\n");
  EXPECT_FALSE(readMacros(a, out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].body, std::vector<std::string>{"A"});

  // Empty names are not added; junk between entries is skipped; a missing
  // empty line does not swallow the next macro; a truncated file ends cleanly.
  out.clear();
  LineReader b("junk\n#\n?nameless\n$x\n\nmore junk\n#A\n?a\n$1\n#B\n?b\n$2");
  EXPECT_TRUE(readMacros(b, out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].name, "A");
  EXPECT_EQ(out[1].name, "B");
  EXPECT_EQ(out[1].body, std::vector<std::string>{"2"});

  out.clear();
  LineReader c("#Cut");
  EXPECT_FALSE(readMacros(c, out));
  EXPECT_TRUE(out.empty());

  MacroList list;
  list.items().push_back({"Old", "", {}});
  EXPECT_FALSE(list.load("/nonexistent/macro.txt"));
  EXPECT_TRUE(list.items().empty());

  EXPECT_TRUE(list.checkText(kHeader + "#A\n?x\n$y\n\n"));
  EXPECT_TRUE(list.checkText(""));
  EXPECT_FALSE(list.checkText("#A\nno hint\n"));
  EXPECT_TRUE(list.items().empty());  // the check uses a scratch list
}

TEST(Macros, ParameterCount) {
  EXPECT_EQ((Macro{"m", "", {}}).parameterCount(), 0);
  EXPECT_EQ((Macro{"m", "", {"If V_LV0 %= 2", "Add %0 1"}}).parameterCount(), 1);
  EXPECT_EQ((Macro{"m", "", {"Add %0 1", "Sub %3 %1"}}).parameterCount(), 4);
  EXPECT_EQ((Macro{"m", "", {"x %9", "%"}}).parameterCount(), 10);
}

TEST(Macros, DefinitionChecks) {
  struct Case {
    std::vector<std::string> body;
    ErrorCode code;
    int line;
  };
  const Case cases[] = {
      {{"Add %0 1", "SpriteSetPos %1 %2 'a'", "If V_LV0 %= 3", "; %x in a comment"}, 0, 0},
      {{"Add %0 1", "Function Foo 1"}, 168, 1},
      {{"functionglobal Foo 0"}, 168, 0},
      {{"ExternScript \"a.txt\""}, 167, 0},
      {{"ApplyGlobalSet Other"}, 167, 0},
      {{"##VALUE 3"}, 167, 0},
      {{"  %Other 1 2"}, 170, 0},
      {{"Add % 1"}, 176, 0},
      {{"Add %x 1"}, 176, 0},
      {{"Add %12 1"}, 178, 0},
      {{"Add %1a 1"}, 178, 0},
      {{"Add Arr.El[%1] 1", "Add %2+1 3", "Print \"100%\""}, 0, 0},
  };
  for (const Case& c : cases) {
    ErrorState errors;
    int line = -1;
    const bool ok = checkMacroDefinition(Macro{"m", "", c.body}, errors, line);
    EXPECT_EQ(ok, c.code == 0) << c.body.back();
    EXPECT_EQ(errors.GetError(), c.code) << c.body.back();
    if (!ok) {
      EXPECT_EQ(line, c.line) << c.body.back();
    }
  }
}

}  // namespace
}  // namespace tarvolin::project
