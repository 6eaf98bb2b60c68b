// The colouring rules, line by line, and the lexer that applies them.
#include <gtest/gtest.h>

#include "editor/script_colouring.h"
#include "editor/script_lexer.h"
#include "editor/word_lists.h"
#include "gui/editor/editor_rig.h"

namespace tarvolin::test {

using editor::Style;

namespace {

// One letter per byte: . default, n number, k command, a attribute,
// v variable, c comment, f function, s asset.
std::string Styles(std::string_view line, const editor::ColourContext& ctx) {
  std::vector<Style> styles;
  editor::ColourLine(line, ctx, styles);
  static const char letters[] = ".nkavcfs";
  std::string out;
  for (Style s : styles) out += letters[static_cast<int>(s)];
  return out;
}

struct ColourRig {
  ColourRig() : workbench(host) {
    words.addFunction("Mover");
    words.addAsset("fondo");
    words.addArray("Tabla", {"X"});
    ctx.words = &words;
    ctx.env.tables = &workbench.scripts().interpreter().tables();
    ctx.env.families = &workbench.scripts().interpreter().families();
    ctx.env.script = 0;
  }
  EditorHost host;
  Workbench workbench;
  editor::WordLists words;
  editor::ColourContext ctx;
};

}  // namespace

TEST(Colouring, EachRuleInItsOrder) {
  ColourRig r;
  // Command, variable, operator (default), number, comment.
  EXPECT_EQ(Styles("If V_LV0 == 12 ; fin", r.ctx), "kk.vvvvv....nn.ccccc");
  // The line's command name is found as the interpreter finds it: "=-" then 5.
  EXPECT_EQ(Styles("V_LV0 =-5", r.ctx), "vvvvv.kkn");
  EXPECT_EQ(Styles("SpriteSetAttribute 0 [Xpos] V_EV1+3", r.ctx),
            "kkkkkkkkkkkkkkkkkk.n.aaaaaa.vvvvvvv");
  EXPECT_EQ(Styles("Call Mover 1", r.ctx), "kkkk.fffff.n");
  EXPECT_EQ(Styles("TileMapLoad 0 fondo 0 0", r.ctx), "kkkkkkkkkkk.n.sssss.n.n");
  // Numbers in every literal form; "0X1F" is no number.
  EXPECT_EQ(Styles("0x1F 'A' {31,0,0} -7 0X1F", r.ctx), "nnnn.nnn.nnnnnnnn.nn.....");
  // Globals of the script's set, short forms, input values.
  EXPECT_EQ(Styles("G_VAR00 L0 G_NADA", r.ctx), "vvvvvvv.vv.......");
  // Arrays: the name alone, or with one of its elements.
  EXPECT_EQ(Styles("Tabla Tabla.X Tabla.Y", r.ctx), "vvvvv.vvvvvvv........");
  // A ";" inside quotes starts no comment; one after them does.
  EXPECT_EQ(Styles("Log \"a;b\" ;c", r.ctx), "kkk.......cc");
  // A whole comment line, and a comment right after a word.
  EXPECT_EQ(Styles("; If V_LV0", r.ctx), "cccccccccc");
  EXPECT_EQ(Styles("End;x", r.ctx), "kkkcc");
  EXPECT_EQ(Styles("", r.ctx), "");
}

TEST(Colouring, LexerStylesTheEditorsText) {
  EditorRig rig;
  editor::ScriptEditor* e = rig.open("c.txt", "; nota\nIf V_LV0 > 3\nEnd\n");
  ASSERT_NE(e, nullptr);
  e->recolor();
  auto styleAt = [&](int line, int column) {
    const long pos = e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) + column;
    return static_cast<Style>(e->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(pos)));
  };
  EXPECT_EQ(styleAt(0, 2), Style::Comment);
  EXPECT_EQ(styleAt(1, 0), Style::Keyword);
  EXPECT_EQ(styleAt(1, 4), Style::Variable);
  EXPECT_EQ(styleAt(1, 11), Style::Number);
  EXPECT_EQ(styleAt(2, 1), Style::Keyword);

  // Typing restyles the line: a comment mark turns it into a comment.
  e->setCursorPosition(2, 0);
  QTest::keyClicks(e, ";");
  e->recolor();
  EXPECT_EQ(styleAt(2, 1), Style::Comment);

  // The settings' colours reach the lexer's styles.
  project::ProgramSettings& s = rig.workbench.programSettings();
  s.editorColDefaultKeyword = 0x0000FF;  // red
  s.editorColDefaultBg = 0x102030;
  rig.area.applySettings();
  const QsciLexer* lexer = e->lexer();
  EXPECT_EQ(lexer->color(static_cast<int>(Style::Keyword)), QColor(255, 0, 0));
  EXPECT_EQ(lexer->paper(static_cast<int>(Style::Comment)), QColor(0x30, 0x20, 0x10));
}

}  // namespace tarvolin::test
