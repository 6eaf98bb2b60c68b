// The editing commands of the editor area: clipboard and undo, markers,
// comment and indent, block jumps, inserts, find and replace, find in
// scripts and the context menu.
#include <QApplication>
#include <QInputDialog>
#include <QMenu>

#include "common/text.h"
#include "editor/block_match.h"
#include "editor/editor_area.h"
#include "editor/editor_documents.h"
#include "editor/find_dialog.h"
#include "editor/find_in_scripts.h"
#include "editor/script_editor.h"
#include "editor/variable_tip.h"
#include "editor/word_lists.h"
#include "script/commands.h"
#include "workbench/workbench.h"

namespace tarvolin::editor {

namespace {

using Base = QsciScintillaBase;
constexpr std::string_view kCaption = "Tarvolin";

std::string ToStd(const QString& s) { return s.toStdString(); }

}  // namespace

// ---- Clipboard and undo ------------------------------------------------------------

void EditorArea::undo() {
  if (ScriptEditor* e = activeEditor()) e->undo();
}
void EditorArea::redo() {
  if (ScriptEditor* e = activeEditor()) e->redo();
}
void EditorArea::cut() {
  if (ScriptEditor* e = activeEditor()) e->cut();
}
void EditorArea::copy() {
  if (ScriptEditor* e = activeEditor()) e->copy();
}
void EditorArea::paste() {
  if (ScriptEditor* e = activeEditor()) e->paste();
}
void EditorArea::deleteSelection() {
  if (ScriptEditor* e = activeEditor()) e->removeSelectedText();
}
void EditorArea::selectAll() {
  if (ScriptEditor* e = activeEditor()) e->selectAll(true);
}

// ---- Markers and moves ------------------------------------------------------------------

void EditorArea::toggleBreakpoint() {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  const int line = e->caretLine();
  e->setBreakpoint(line, !e->hasBreakpoint(line));
}

void EditorArea::toggleBookmark() {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  const int line = e->caretLine();
  e->setBookmark(line, !e->hasBookmark(line));
}

void EditorArea::nextBookmark(bool backward) {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  const int line = e->nextBookmarkFrom(e->caretLine(), backward);
  // No wrap-around: past the last (or first) bookmark there is nothing.
  if (line < 0) {
    beep();
    return;
  }
  e->goToLine0(line);
}

void EditorArea::gotoLine() {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  int line = e->caretLine() + 1;
  bool chosen = false;
  if (lineChooser_) {
    chosen = lineChooser_(e->lineTotal(), line);
  } else {
    QInputDialog dialog(window());
    dialog.setObjectName(QStringLiteral("DIALOG_EDITOR_GOTO"));
    dialog.setWindowTitle(tr("Ir a la línea"));
    dialog.setLabelText(tr("Número de línea (1..%1):").arg(e->lineTotal()));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(1, std::max(1, e->lineTotal()));
    dialog.setIntValue(line);
    dialog.setOkButtonText(tr("Aceptar"));
    dialog.setCancelButtonText(tr("Cancelar"));
    if (dialog.exec() == QDialog::Accepted) {
      line = dialog.intValue();
      chosen = true;
    }
  }
  if (chosen) goToLine(line);
}

void EditorArea::goToLine(int line) {
  ScriptEditor* e = activeEditor();
  if (!e || line < 1 || line > e->lineTotal()) return;
  e->goToLine0(line - 1);
  e->setFocus();
}

void EditorArea::commentToggle() {
  if (ScriptEditor* e = activeEditor()) e->toggleComment();
}

void EditorArea::indent() {
  if (ScriptEditor* e = activeEditor()) e->indentLines(false);
}

void EditorArea::unindent() {
  if (ScriptEditor* e = activeEditor()) e->indentLines(true);
}

void EditorArea::jumpToBlockPartner(bool toEnd) {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  const script::ParseEnv env = parseEnv(e->document());
  const int target = FindBlockPartner(e->caretLine(), e->lineTotal(), toEnd, [&](int line) {
    script::Classification c;
    script::ClassifyText(e->lineBytes(line), env, c);
    return c.command;
  });
  if (target < 0) beep();
  else e->goToLine0(target);
}

void EditorArea::blockStart() { jumpToBlockPartner(false); }

void EditorArea::blockEnd() { jumpToBlockPartner(true); }

// ---- Inserts ------------------------------------------------------------------------

void EditorArea::insertText(const QString& text) {
  if (ScriptEditor* e = activeEditor()) e->insertAtCaret(text);
}

void EditorArea::insertSeparator() {
  if (ScriptEditor* e = activeEditor())
    e->insertLinesAtCaretLine(QStringLiteral("; ") + QString(72, QLatin1Char('=')) + QLatin1Char('\n'));
}

void EditorArea::insertFunctionHeader() {
  ScriptEditor* e = activeEditor();
  if (!e) return;
  const QString rule = QStringLiteral("; ") + QString(72, QLatin1Char('-')) + QLatin1Char('\n');
  const QString header = rule + QStringLiteral(
                                    "; Función    :\n"
                                    "; Parámetros : V_EV0 ..\n"
                                    "; Retorna    : V_RV0 ..\n") +
                         rule;
  e->insertLinesAtCaretLine(header + QStringLiteral("Function \nReturn\n"));
  // The caret waits where the function's name goes.
  const int functionLine = e->caretLine() - 2;
  const long pos = e->SendScintilla(Base::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(functionLine));
  e->SendScintilla(Base::SCI_GOTOPOS, static_cast<unsigned long>(pos));
}

// ---- Find and replace ------------------------------------------------------------------

void EditorArea::setSearch(const QString& text, const QString& replacement, FindOptions options) {
  searchText_ = text;
  replaceText_ = replacement;
  searchOptions_ = options;
}

int EditorArea::searchFlags() const {
  int flags = 0;
  if (searchOptions_.matchCase) flags |= Base::SCFIND_MATCHCASE;
  if (searchOptions_.wholeWord) flags |= Base::SCFIND_WHOLEWORD;
  return flags;
}

bool EditorArea::searchFrom(ScriptEditor* e, int from, int& start, int& end) const {
  const int length = static_cast<int>(e->SendScintilla(Base::SCI_GETLENGTH));
  start = e->searchRange(e->toBytes(searchText_), searchFlags(), from, length, end);
  return start >= 0;
}

bool EditorArea::findNext() {
  ScriptEditor* e = activeEditor();
  if (!e || searchText_.isEmpty()) return false;
  const int from = searchOptions_.fromStart ? 0 : static_cast<int>(e->SendScintilla(Base::SCI_GETSELECTIONEND));
  int start = -1, end = -1;
  bool found = searchFrom(e, from, start, end);
  if (!found && !searchOptions_.fromStart) {
    host_.messageBox(kCaption, "Buscando desde el comienzo del archivo...", MessageButtons::Ok, MessageAnswer::Ok);
    found = searchFrom(e, 0, start, end);
  }
  if (!found) {
    host_.messageBox(kCaption, "No se puede hallar la cadena " + ToStd(searchText_), MessageButtons::Ok,
                     MessageAnswer::Ok);
    return false;
  }
  const int line = static_cast<int>(e->SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
  e->SendScintilla(Base::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line));
  e->SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(start), static_cast<long>(end));
  return true;
}

bool EditorArea::replaceOnce() {
  ScriptEditor* e = activeEditor();
  if (!e || searchText_.isEmpty()) return false;
  const int selStart = static_cast<int>(e->SendScintilla(Base::SCI_GETSELECTIONSTART));
  const int selEnd = static_cast<int>(e->SendScintilla(Base::SCI_GETSELECTIONEND));
  int matchEnd = -1;
  // The selection is the found occurrence: it is replaced, then the next
  // one is found.
  if (selEnd > selStart && e->searchRange(e->toBytes(searchText_), searchFlags(), selStart, selEnd, matchEnd) == selStart &&
      matchEnd == selEnd) {
    const QByteArray replacement = e->toBytes(replaceText_);
    e->SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(selStart), static_cast<long>(selEnd));
    e->SendScintilla(Base::SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()), replacement.constData());
    const unsigned long after = static_cast<unsigned long>(selStart + replacement.size());
    e->SendScintilla(Base::SCI_SETSEL, after, static_cast<long>(after));
    searchOptions_.fromStart = false;
  }
  return findNext();
}

int EditorArea::replaceAll() {
  ScriptEditor* e = activeEditor();
  if (!e || searchText_.isEmpty()) return 0;
  const QByteArray text = e->toBytes(searchText_);
  const QByteArray replacement = e->toBytes(replaceText_);
  const bool inSelection = e->hasSelectionText();
  int from = inSelection ? static_cast<int>(e->SendScintilla(Base::SCI_GETSELECTIONSTART)) : 0;
  int to = inSelection ? static_cast<int>(e->SendScintilla(Base::SCI_GETSELECTIONEND))
                       : static_cast<int>(e->SendScintilla(Base::SCI_GETLENGTH));
  const int rangeStart = from;
  int count = 0;
  e->beginUndoAction();
  while (from <= to) {
    int matchEnd = -1;
    const int found = e->searchRange(text, searchFlags(), from, to, matchEnd);
    if (found < 0 || matchEnd <= found) break;
    e->SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(found), static_cast<long>(matchEnd));
    e->SendScintilla(Base::SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()), replacement.constData());
    to += static_cast<int>(replacement.size()) - (matchEnd - found);
    from = found + static_cast<int>(replacement.size());
    ++count;
  }
  e->endUndoAction();
  if (inSelection) e->SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(rangeStart), static_cast<long>(to));
  const std::string shown = ToStd(searchText_);
  host_.messageBox(kCaption,
                   count > 0 ? "Se han reemplazado todas las ocurrencias de la cadena " + shown
                             : "No se hallaron ocurrencias con '" + shown + "'",
                   MessageButtons::Ok, MessageAnswer::Ok);
  return count;
}

void EditorArea::find() {
  if (!findDialog_) findDialog_ = new FindDialog(*this, window());
  ScriptEditor* e = activeEditor();
  const bool oneLine = e && e->hasSelectedText() && !e->selectedText().contains(QLatin1Char('\n'));
  findDialog_->showFor(false, oneLine ? e->selectedText() : QString());
}

void EditorArea::replace() {
  if (!findDialog_) findDialog_ = new FindDialog(*this, window());
  ScriptEditor* e = activeEditor();
  // A selection over several lines is where "replace all" works, not the text.
  const bool oneLine = e && e->hasSelectedText() && !e->selectedText().contains(QLatin1Char('\n'));
  findDialog_->showFor(true, oneLine ? e->selectedText() : QString());
}

// ---- Find in scripts ---------------------------------------------------------------------

void EditorArea::findInScripts() {
  QString text = searchText_;
  if (ScriptEditor* e = activeEditor(); e && e->hasSelectedText() && !e->selectedText().contains('\n'))
    text = e->selectedText();
  bool chosen = false;
  if (findTextChooser_) {
    chosen = findTextChooser_(text);
  } else {
    bool ok = false;
    text = QInputDialog::getText(window(), tr("Buscar en los guiones"), tr("Buscar:"), QLineEdit::Normal, text, &ok);
    chosen = ok;
  }
  if (chosen && !text.isEmpty()) findInScriptsFor(text);
}

void EditorArea::findInScriptsFor(const QString& text) {
  const std::string shown = ToStd(text);
  const std::string label = "Buscando por " + shown + " en los guiones del proyecto...";
  note(label);
  ScriptSearch search;
  search.text = shown;
  search.matchCase = searchOptions_.matchCase;
  search.wholeWord = searchOptions_.wholeWord;
  std::vector<ScriptHit> hits;
  // The host's progress window (with its cancel button) follows the files.
  const ScriptSearchResult result = SearchScripts(
      scriptFolder(), search,
      [this](const std::string& file, std::vector<std::string>& lines) {
        const int d = documents_->find(file);
        ScriptEditor* e = d >= 0 ? editorFor(d) : nullptr;
        if (!e) return false;
        lines = e->allLines();
        return true;
      },
      [this, &label](int done, int total) {
        const int percent = total > 0 ? std::min(99, done * 100 / total) : 0;
        return host_.progress(percent, label);
      },
      hits);
  host_.progress(100, label);
  switch (result) {
    case ScriptSearchResult::Cancelled: note("Search cancelled"); return;
    case ScriptSearchResult::NoScripts: note("No se hallaron guiones"); return;
    case ScriptSearchResult::NothingFound: note("No se hallaron ocurrencias con " + shown); return;
    case ScriptSearchResult::Found: break;
  }
  for (const ScriptHit& h : hits)
    host_.outputLineAt(h.file + "(" + std::to_string(h.line) + "): " + std::string(trimBlanks(h.text)), h.file,
                       h.line);
}

// ---- Context menu -------------------------------------------------------------------------

QMenu* EditorArea::createContextMenu(ScriptEditor* e, int position) {
  auto* menu = new QMenu(e);
  menu->addAction(tr("&Deshacer (Alt-Retroceso)"), this, &EditorArea::undo)->setEnabled(e->isUndoAvailable());
  menu->addAction(tr("Cor&tar (^X, Mayús-Supr)"), this, &EditorArea::cut)->setEnabled(e->hasSelectedText());
  menu->addAction(tr("&Copiar (^C, Control-Insert)"), this, &EditorArea::copy)->setEnabled(e->hasSelectedText());
  menu->addAction(tr("&Pegar (^V, Mayús-Insert)"), this, &EditorArea::paste);
  menu->addSeparator();
  menu->addAction(tr("&Próximo archivo (F6)"), this, &EditorArea::nextDocument);
  menu->addAction(tr("&Archivo anterior (Mayús-F6)"), this, &EditorArea::previousDocument);
  menu->addAction(tr("&Cerrar archivo (Alt-F3)"), this, [this] { closeActive(); });
  menu->addAction(tr("&Cerrar todos los archivos"), this, [this] { closeAll(); });

  // Entries for the word under the mouse.
  const int line = static_cast<int>(e->SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  const std::string text = e->lineBytes(line);
  const long lineStart = e->SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  std::size_t start = 0;
  const std::string word(WordAtColumn(text, static_cast<int>(position - lineStart), start));
  if (word.empty()) return menu;
  bool separated = false;
  auto separate = [&] {
    if (!separated) menu->addSeparator();
    separated = true;
  };
  if (words_->isFunction(word)) {
    separate();
    const QString name = e->toText(word);
    menu->addAction(tr("Examinar función '%1'").arg(name), this, [this, word, doc = e->document()] {
      // The declaration of the function, in whichever script holds it.
      const script::ScriptTables& t = workbench_.scripts().interpreter().tables();
      const script::ScriptFunction* fn = t.FindFunction(doc, word);
      for (std::size_t s = 0; !fn && s < t.scripts.size(); ++s)
        if (int i = t.FindScriptIndex(static_cast<int>(s), word); i >= 0) fn = &t.scripts[s].functions[std::size_t(i)];
      if (fn && fn->script >= 0 && fn->script < documents_->count()) {
        if (ScriptEditor* target = showDocument(fn->script)) target->goToLine0(fn->line);
        return;
      }
      for (int d = 0; d < documents_->count(); ++d) {
        const script::ScriptDocument& sd = documents_->at(d);
        for (int i = 0; i < sd.lineCount(); ++i)
          if (equalsIgnoreCase(DeclaredFunctionName(sd.line(i)), word)) {
            if (ScriptEditor* target = showDocument(d)) target->goToLine0(i);
            return;
          }
      }
      beep();
    });
  }
  std::size_t length = 0;
  const script::CommandId id = script::LookupCommand(text, start, length);
  if (id != script::cmd::UndefinedCommand && length == word.size()) {
    separate();
    const QString name = QString::fromUtf8(script::CommandName(id).data(), qsizetype(script::CommandName(id).size()));
    menu->addAction(tr("Ayuda del comando"), this, [this, name] { emit commandHelpRequested(name); });
  }
  return menu;
}

void EditorArea::showContextMenu(ScriptEditor* e, const QPoint& global, int position) {
  QMenu* menu = createContextMenu(e, position);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(global);
}

}  // namespace tarvolin::editor
