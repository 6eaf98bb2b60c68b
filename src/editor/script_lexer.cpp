#include "editor/script_lexer.h"

#include <Qsci/qsciscintilla.h>

#include "workbench/workbench.h"

namespace tarvolin::editor {

ScriptLexer::ScriptLexer(Workbench& workbench, const WordLists& words, int document, QObject* parent)
    : QsciLexerCustom(parent), workbench_(workbench), words_(words), document_(document) {}

QString ScriptLexer::description(int style) const {
  switch (static_cast<Style>(style)) {
    case Style::Default: return tr("Texto");
    case Style::Number: return tr("Números");
    case Style::Keyword: return tr("Comandos");
    case Style::Attribute: return tr("Atributos");
    case Style::Variable: return tr("Variables");
    case Style::Comment: return tr("Comentarios");
    case Style::Function: return tr("Funciones");
    case Style::Asset: return tr("Recursos");
  }
  return {};
}

ColourContext ScriptLexer::context() const {
  ColourContext ctx;
  ctx.words = &words_;
  script::Interpreter& interp = workbench_.scripts().interpreter();
  ctx.env.tables = &interp.tables();
  ctx.env.families = &interp.families();
  ctx.env.script = document_;
  return ctx;
}

void ScriptLexer::styleText(int start, int end) {
  QsciScintilla* ed = editor();
  if (!ed || end <= start) return;
  using Base = QsciScintillaBase;
  const int first = static_cast<int>(ed->SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
  const int last = static_cast<int>(ed->SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end - 1)));
  const ColourContext ctx = context();
  const long lineStart = ed->SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
  startStyling(static_cast<int>(lineStart));
  for (int line = first; line <= last; ++line) {
    const long from = ed->SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long to = ed->SendScintilla(Base::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    const long next = line + 1 < ed->lines()
                          ? ed->SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                          : to;
    const auto* text = to > from ? reinterpret_cast<const char*>(ed->SendScintilla(
                                       Base::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from))
                                 : nullptr;
    ColourLine(text ? std::string_view(text, static_cast<std::size_t>(to - from)) : std::string_view(), ctx,
               styles_);
    std::size_t i = 0;
    while (i < styles_.size()) {
      std::size_t j = i + 1;
      while (j < styles_.size() && styles_[j] == styles_[i]) ++j;
      setStyling(static_cast<int>(j - i), static_cast<int>(styles_[i]));
      i = j;
    }
    if (next > to) setStyling(static_cast<int>(next - to), static_cast<int>(Style::Default));
  }
}

}  // namespace tarvolin::editor
