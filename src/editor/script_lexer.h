// The script language's lexer for QScintilla: styles only the lines
// Scintilla asks for (the visible ones and those after an edit), each by the
// colouring rules of script_colouring.h.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <vector>

#include "editor/script_colouring.h"

namespace tarvolin { class Workbench; }

namespace tarvolin::editor {

class WordLists;

class ScriptLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  ScriptLexer(Workbench& workbench, const WordLists& words, int document, QObject* parent = nullptr);

  const char* language() const override { return "Tarvolin"; }
  QString description(int style) const override;
  void styleText(int start, int end) override;

  // The colouring context of the document's script.
  ColourContext context() const;

 private:
  Workbench& workbench_;
  const WordLists& words_;
  int document_;
  std::vector<Style> styles_;
};

}  // namespace tarvolin::editor
