#include "editor/script_editor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>

#include "editor/editor_documents.h"
#include "editor/script_lexer.h"
#include "workbench/workbench.h"

namespace tarvolin::editor {

namespace {

using Base = QsciScintillaBase;

// The margin pictures: a red disc for a breakpoint, a blue tab for a
// bookmark, a yellow arrow for the line the interpreter stands on.
QImage MarkerImage(ScriptEditor::Marker marker) {
  QImage image(14, 14, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (marker) {
    case ScriptEditor::kBreakpointMarker:
      p.setPen(QColor(120, 0, 0));
      p.setBrush(QColor(220, 30, 30));
      p.drawEllipse(QRectF(1.5, 1.5, 11, 11));
      break;
    case ScriptEditor::kBookmarkMarker:
      p.setPen(QColor(0, 40, 120));
      p.setBrush(QColor(70, 130, 230));
      p.drawRoundedRect(QRectF(2.5, 2.5, 9, 9), 2, 2);
      break;
    case ScriptEditor::kExecutionMarker: {
      QPainterPath arrow;
      arrow.moveTo(1.5, 4.5);
      arrow.lineTo(7.5, 4.5);
      arrow.lineTo(7.5, 1.5);
      arrow.lineTo(12.5, 7);
      arrow.lineTo(7.5, 12.5);
      arrow.lineTo(7.5, 9.5);
      arrow.lineTo(1.5, 9.5);
      arrow.closeSubpath();
      p.setPen(QColor(110, 90, 0));
      p.setBrush(QColor(250, 210, 40));
      p.drawPath(arrow);
      break;
    }
  }
  return image;
}

QColor FromSetting(std::uint32_t colour) {
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

}  // namespace

ScriptEditor::ScriptEditor(Workbench& workbench, const WordLists& words, int document,
                           QWidget* parent)
    : QsciScintilla(parent), workbench_(workbench), document_(document) {
  setEolMode(EolUnix);
  setEolVisibility(false);
  setIndentationsUseTabs(true);
  setTabWidth(8);
  setAutoIndent(false);
  setUtf8(true);
  // The horizontal scroll bar follows the longest line shown.
  SendScintilla(Base::SCI_SETSCROLLWIDTH, 1);
  SendScintilla(Base::SCI_SETSCROLLWIDTHTRACKING, 1);
  setSelectionBackgroundColor(QColor(0x20, 0x00, 0x80));
  setSelectionForegroundColor(Qt::white);

  // Margin 0: breakpoints and the execution line (a click toggles a
  // breakpoint); margin 1: bookmarks; margin 2: line numbers.
  setMarginType(0, SymbolMargin);
  setMarginWidth(0, 18);
  setMarginSensitivity(0, true);
  setMarginMarkerMask(0, (1 << kBreakpointMarker) | (1 << kExecutionMarker));
  setMarginType(1, SymbolMargin);
  setMarginWidth(1, 14);
  setMarginMarkerMask(1, 1 << kBookmarkMarker);
  setMarginSensitivity(1, true);
  setMarginType(2, NumberMargin);
  setMarginWidth(2, QStringLiteral("000000"));
  setMarginMarkerMask(2, 0);
  for (Marker m : {kBreakpointMarker, kBookmarkMarker, kExecutionMarker}) markerDefine(MarkerImage(m), m);

  // Keys the studio's menus own (asset windows, block jumps) must reach the
  // menus even while the editor has the focus.
  QsciCommandSet* commands = standardCommands();
  for (QKeyCombination combination :
       {Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_D, Qt::CTRL | Qt::Key_L, Qt::CTRL | Qt::SHIFT | Qt::Key_L,
        Qt::CTRL | Qt::Key_T, Qt::CTRL | Qt::SHIFT | Qt::Key_T, Qt::CTRL | Qt::Key_U,
        Qt::CTRL | Qt::SHIFT | Qt::Key_U, Qt::CTRL | Qt::Key_BracketLeft, Qt::CTRL | Qt::Key_BracketRight,
        Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft, Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight}) {
    const int key = combination.toCombined();
    for (QsciCommand* c : commands->commands()) {
      if (c->key() == key) c->setKey(0);
      if (c->alternateKey() == key) c->setAlternateKey(0);
    }
  }

  lexer_ = new ScriptLexer(workbench_, words, document_, this);
  setLexer(lexer_);

  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char* text, int length, int linesAdded, int, int, int, int, int) {
            onModified(position, type, text, length, linesAdded);
          });
  connect(this, &QsciScintilla::marginClicked, this, [this](int margin, int line, Qt::KeyboardModifiers) {
    if (margin == 0) setBreakpoint(line, !hasBreakpoint(line));
    else if (margin == 1) setBookmark(line, !hasBookmark(line));
  });
  connect(this, &QsciScintilla::cursorPositionChanged, this, [this](int line, int) {
    if (line == lastCaretLine_) return;
    lastCaretLine_ = line;
    emit caretLineChanged(line);
  });

  // The value tool-tip: Scintilla reports when the mouse rests.
  SendScintilla(Base::SCI_SETMOUSEDWELLTIME, 500);
  connect(this, &QsciScintillaBase::SCN_DWELLSTART, this, &ScriptEditor::onDwellStart);
  connect(this, &QsciScintillaBase::SCN_DWELLEND, this, [this](int, int, int) { hideTip(); });
  tipTimer_.setInterval(200);
  connect(&tipTimer_, &QTimer::timeout, this, &ScriptEditor::refreshTip);
}

ScriptEditor::~ScriptEditor() = default;

script::ScriptDocument& ScriptEditor::scriptDocument() const {
  return workbench_.scripts().documents().at(document_);
}

long ScriptEditor::lineStart(int line) const {
  return SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

long ScriptEditor::lineEndPosition(int line) const {
  return SendScintilla(Base::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
}

int ScriptEditor::lineTotal() const { return static_cast<int>(SendScintilla(Base::SCI_GETLINECOUNT)); }

std::string ScriptEditor::lineBytes(int line) const {
  if (line < 0 || line >= lineTotal()) return {};
  const long start = lineStart(line);
  const long end = lineEndPosition(line);
  if (end <= start) return {};
  const auto* p = reinterpret_cast<const char*>(
      SendScintilla(Base::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
  if (!p) return {};
  return std::string(p, static_cast<std::size_t>(end - start));
}

std::vector<std::string> ScriptEditor::allLines() const {
  std::vector<std::string> lines;
  const int n = lineTotal();
  lines.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) lines.push_back(lineBytes(i));
  return lines;
}

void ScriptEditor::loadDocumentText() {
  script::ScriptDocument& doc = scriptDocument();
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(doc.lineCount()));
  std::string joined;
  for (int i = 0; i < doc.lineCount(); ++i) {
    if (i) joined += '\n';
    joined += doc.line(i);
  }
  utf8_ = IsValidUtf8(joined);
  loading_ = true;
  setUtf8(utf8_);
  SendScintilla(Base::SCI_CLEARALL);
  if (!joined.empty())
    SendScintilla(Base::SCI_APPENDTEXT, static_cast<uintptr_t>(joined.size()), joined.data());
  SendScintilla(Base::SCI_EMPTYUNDOBUFFER);
  SendScintilla(Base::SCI_SETSAVEPOINT);
  loading_ = false;
  // A lone CR ends a line on screen; the document follows the screen.
  if (lineTotal() != doc.lineCount() && !(doc.lineCount() == 0 && lineTotal() == 1))
    doc.setLines(allLines());
  markerDeleteAll(kBreakpointMarker);
  for (int i = 0; i < doc.lineCount(); ++i)
    if (doc.hasBreakpoint(i)) markerAdd(i, kBreakpointMarker);
  SendScintilla(Base::SCI_GOTOPOS, 0);
}

void ScriptEditor::reloadKeepingMarkers(std::vector<std::string> lines) {
  script::ScriptDocument& doc = scriptDocument();
  std::vector<int> breakpoints, bookmarks;
  for (int i = 0; i < lineTotal(); ++i) {
    if (hasBreakpoint(i)) breakpoints.push_back(i);
    if (hasBookmark(i)) bookmarks.push_back(i);
  }
  const int caret = caretLine();
  doc.setLines(std::move(lines));
  loadDocumentText();
  for (int line : breakpoints)
    if (line < lineTotal()) setBreakpoint(line, true);
  for (int line : bookmarks)
    if (line < lineTotal()) setBookmark(line, true);
  goToLine0(std::min(caret, lineTotal() - 1));
  emit breakpointsChanged();
}

void ScriptEditor::onModified(int position, int type, const char* text, int length, int linesAdded) {
  const bool inserted = (type & Base::SC_MOD_INSERTTEXT) != 0;
  const bool deleted = (type & Base::SC_MOD_DELETETEXT) != 0;
  if (loading_ || (!inserted && !deleted)) return;
  script::ScriptDocument& doc = scriptDocument();
  auto& pre = workbench_.scripts().preprocessor();
  const int line0 = static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  const bool atLineStart = lineStart(line0) == position;
  const bool endsWithNewline = text && length > 0 && text[length - 1] == '\n';
  const bool wholeLines = atLineStart && endsWithNewline;
  // An empty text is a document without lines; the screen still shows one.
  const long total = SendScintilla(Base::SCI_GETLENGTH);
  if (doc.lineCount() == 0 || total == 0) {
    doc.setLines(total == 0 ? std::vector<std::string>() : allLines());
    return;
  }
  if (linesAdded == 0) {
    doc.setLine(line0, lineBytes(line0));
    return;
  }
  if (inserted) {
    const int n = linesAdded;
    // Whole lines inserted before line0's old text move it down; otherwise
    // line0 split and the new lines follow it.
    const int at = wholeLines ? line0 : line0 + 1;
    std::vector<std::string> added;
    added.reserve(static_cast<std::size_t>(n));
    for (int i = at; i < at + n; ++i) added.push_back(lineBytes(i));
    if (!wholeLines) doc.setLine(line0, lineBytes(line0));
    doc.insertLines(at, added);
    pre.LinesInserted(document_, at, n);
    syncMarkersFromDocument(line0, line0 + n);
  } else {
    const int n = -linesAdded;
    const int at = wholeLines ? line0 : line0 + 1;
    doc.removeLines(at, n);
    if (!wholeLines) doc.setLine(line0, lineBytes(line0));
    pre.LinesRemoved(document_, at, n);
    syncMarkersFromDocument(line0, line0);
  }
  if (executionLine_ >= 0) {
    const int handleLine = static_cast<int>(markerFindNext(0, 1 << kExecutionMarker));
    executionLine_ = handleLine;
  }
}

void ScriptEditor::syncMarkersFromDocument(int first, int last) {
  const script::ScriptDocument& doc = scriptDocument();
  bool changed = false;
  for (int line = std::max(first, 0); line <= last && line < lineTotal(); ++line) {
    const bool want = doc.hasBreakpoint(line);
    if (want != hasBreakpoint(line)) {
      changed = true;
      if (want)
        markerAdd(line, kBreakpointMarker);
      else
        markerDelete(line, kBreakpointMarker);
    }
  }
  if (changed) emit breakpointsChanged();
}

int ScriptEditor::caretLine() const {
  const long pos = SendScintilla(Base::SCI_GETCURRENTPOS);
  return static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos)));
}

void ScriptEditor::goToLine0(int line) {
  if (line < 0 || line >= lineTotal()) return;
  SendScintilla(Base::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line));
  SendScintilla(Base::SCI_GOTOLINE, static_cast<unsigned long>(line));
}

bool ScriptEditor::hasSelectionText() const {
  return SendScintilla(Base::SCI_GETSELECTIONSTART) != SendScintilla(Base::SCI_GETSELECTIONEND);
}

LineRange ScriptEditor::selectedLines() const {
  const long start = SendScintilla(Base::SCI_GETSELECTIONSTART);
  const long end = SendScintilla(Base::SCI_GETSELECTIONEND);
  if (start == end) return {};
  LineRange r;
  r.first = static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
  r.last = static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end)));
  if (r.last > r.first && lineStart(r.last) == end) --r.last;
  return r;
}

bool ScriptEditor::hasBreakpoint(int line) const {
  return line >= 0 && (markersAtLine(line) & (1 << kBreakpointMarker)) != 0;
}

void ScriptEditor::setBreakpoint(int line, bool on) {
  if (line < 0 || line >= lineTotal()) return;
  if (on != hasBreakpoint(line)) {
    if (on)
      markerAdd(line, kBreakpointMarker);
    else
      markerDelete(line, kBreakpointMarker);
  }
  scriptDocument().setBreakpoint(line, on);
  emit breakpointsChanged();
}

bool ScriptEditor::hasBookmark(int line) const {
  return line >= 0 && (markersAtLine(line) & (1 << kBookmarkMarker)) != 0;
}

void ScriptEditor::setBookmark(int line, bool on) {
  if (line < 0 || line >= lineTotal() || on == hasBookmark(line)) return;
  if (on)
    markerAdd(line, kBookmarkMarker);
  else
    markerDelete(line, kBookmarkMarker);
}

int ScriptEditor::nextBookmarkFrom(int line, bool backward) const {
  const unsigned mask = 1u << kBookmarkMarker;
  if (backward) return line <= 0 ? -1 : markerFindPrevious(line - 1, mask);
  return line + 1 >= lineTotal() ? -1 : markerFindNext(line + 1, mask);
}

void ScriptEditor::setExecutionLine(int line) {
  markerDeleteAll(kExecutionMarker);
  executionLine_ = -1;
  if (line < 0 || line >= lineTotal()) return;
  markerAdd(line, kExecutionMarker);
  executionLine_ = line;
  goToLine0(line);
}

bool ScriptEditor::toggleComment() {
  const LineRange r = selectedLines();
  if (!r.valid() || r.last == r.first) {
    // One line or none: "only with a selection of more than one line".
    return false;
  }
  const bool remove = !lineBytes(r.first).empty() && lineBytes(r.first)[0] == ';';
  int lastLength = 0;
  beginUndoAction();
  for (int line = r.first; line <= r.last; ++line) {
    const long start = lineStart(line);
    if (remove) {
      const std::string text = lineBytes(line);
      if (!text.empty() && text[0] == ';') {
        SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(start), start + 1);
        SendScintilla(Base::SCI_REPLACETARGET, static_cast<uintptr_t>(0), "");
      }
    } else {
      SendScintilla(Base::SCI_INSERTTEXT, static_cast<unsigned long>(start), ";");
    }
  }
  endUndoAction();
  lastLength = static_cast<int>(lineEndPosition(r.last) - lineStart(r.last));
  // Keep the same lines selected, so a second toggle undoes the first.
  SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(lineStart(r.first)), lineStart(r.last) + lastLength);
  return true;
}

bool ScriptEditor::indentLines(bool unindent) {
  LineRange r = selectedLines();
  if (!r.valid()) r.first = r.last = caretLine();
  const bool hadSelection = hasSelectionText();
  bool changed = false;
  beginUndoAction();
  for (int line = r.first; line <= r.last; ++line) {
    const std::string text = lineBytes(line);
    if (text.empty()) continue;
    const long start = lineStart(line);
    if (unindent) {
      if (text[0] != '\t') continue;
      SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(start), start + 1);
      SendScintilla(Base::SCI_REPLACETARGET, static_cast<uintptr_t>(0), "");
    } else {
      SendScintilla(Base::SCI_INSERTTEXT, static_cast<unsigned long>(start), "\t");
    }
    changed = true;
  }
  endUndoAction();
  if (hadSelection)
    SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(lineStart(r.first)), lineEndPosition(r.last));
  return changed;
}

void ScriptEditor::insertAtCaret(const QString& text) {
  const QByteArray bytes = toBytes(text);
  SendScintilla(Base::SCI_REPLACESEL, bytes.constData());
}

void ScriptEditor::insertLinesAtCaretLine(const QString& text) {
  const long start = lineStart(caretLine());
  const QByteArray bytes = toBytes(text);
  beginUndoAction();
  SendScintilla(Base::SCI_INSERTTEXT, static_cast<unsigned long>(start), bytes.constData());
  endUndoAction();
  SendScintilla(Base::SCI_GOTOPOS, static_cast<unsigned long>(start + bytes.size()));
}

QByteArray ScriptEditor::toBytes(const QString& text) const { return utf8_ ? text.toUtf8() : text.toLatin1(); }

QString ScriptEditor::toText(const std::string& bytes) const {
  return utf8_ ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
               : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

int ScriptEditor::searchRange(const QByteArray& text, int flags, int from, int to, int& matchEnd) const {
  if (text.isEmpty() || from > to) return -1;
  SendScintilla(Base::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
  SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), static_cast<long>(to));
  const long found = SendScintilla(Base::SCI_SEARCHINTARGET, static_cast<uintptr_t>(text.size()), text.constData());
  if (found < 0) return -1;
  matchEnd = static_cast<int>(SendScintilla(Base::SCI_GETTARGETEND));
  return static_cast<int>(found);
}

void ScriptEditor::applySettings(const project::ProgramSettings& s) {
  QFont font(QString::fromStdString(s.editorFontName));
  font.setPointSize(s.editorFontSize > 0 ? s.editorFontSize : 10);
  // A family the system lacks ("System" of the original platform) falls back
  // to the fixed-width font.
  if (s.editorFontName.empty() ||
      QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) != 0) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(font.pointSize());
    font = fixed;
  }
  const QColor paper = FromSetting(s.editorColDefaultBg);
  const QColor colours[kStyleCount] = {
      FromSetting(s.editorColDefaultFg),        FromSetting(s.editorColDefaultNumbers),
      FromSetting(s.editorColDefaultKeyword),   FromSetting(s.editorColDefaultAttribute),
      FromSetting(s.editorColDefaultVariable),  FromSetting(s.editorColDefaultComments),
      FromSetting(s.editorColDefaultFunctions), FromSetting(s.editorColDefaultAssets)};
  lexer_->setDefaultPaper(paper);
  lexer_->setDefaultColor(colours[0]);
  lexer_->setDefaultFont(font);
  for (int style = 0; style < kStyleCount; ++style) {
    lexer_->setColor(colours[style], style);
    lexer_->setPaper(paper, style);
    lexer_->setFont(font, style);
  }
  setCaretForegroundColor(colours[0]);
  setMarginsFont(font);
  setMarginWidth(2, QStringLiteral("000000"));
  // setLexer again makes the editor take the new styles.
  setLexer(lexer_);
  restyle();
}

void ScriptEditor::restyle() {
  // Styling starts again from the top, as far as the view needs it.
  SendScintilla(Base::SCI_STARTSTYLING, 0UL, 0L);
  viewport()->update();
}

void ScriptEditor::keyPressEvent(QKeyEvent* event) {
  const bool tab = event->key() == Qt::Key_Tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  const bool backtab = event->key() == Qt::Key_Backtab;
  if (tab || backtab) {
    const LineRange r = selectedLines();
    // TAB and Shift-TAB with a selection over lines shift those lines.
    if (backtab || (r.valid() && r.last > r.first)) {
      if (r.valid() || backtab) indentLines(backtab);
      event->accept();
      return;
    }
  }
  QsciScintilla::keyPressEvent(event);
}

void ScriptEditor::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint local = event->reason() == QContextMenuEvent::Mouse
                           ? viewport()->mapFromGlobal(event->globalPos())
                           : QPoint(-1, -1);
  long position = -1;
  if (local.x() >= 0)
    position = SendScintilla(Base::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(local.x()),
                             static_cast<long>(local.y()));
  if (position < 0) position = SendScintilla(Base::SCI_GETCURRENTPOS);
  emit contextMenuRequested(event->globalPos(), static_cast<int>(position));
  event->accept();
}

void ScriptEditor::onDwellStart(int position, int x, int y) {
  if (position < 0 || !variableTip) return;
  if (!window()->isActiveWindow()) return;
  const int line = static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  // Far right of the line's text: no word is under the mouse.
  const long endX = SendScintilla(Base::SCI_POINTXFROMPOSITION, 0UL, lineEndPosition(line));
  if (x > endX + 20) return;
  tipPosition_ = position;
  tipPoint_ = QPoint(x, y);
  tipText_.clear();
  refreshTip();
  if (!tipText_.isEmpty()) tipTimer_.start();
}

void ScriptEditor::refreshTip() {
  if (tipPosition_ < 0 || tipPosition_ > SendScintilla(Base::SCI_GETLENGTH)) {
    hideTip();
    return;
  }
  const int line = static_cast<int>(SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(tipPosition_)));
  const std::string text = lineBytes(line);
  const int column = static_cast<int>(tipPosition_ - lineStart(line));
  QString tip;
  if (!variableTip(document_, text, column, tip)) {
    hideTip();
    return;
  }
  if (tip != tipText_) {
    tipText_ = tip;
    QToolTip::showText(viewport()->mapToGlobal(tipPoint_ + QPoint(15, 15)), tipText_, viewport());
  }
}

void ScriptEditor::hideTip() {
  tipTimer_.stop();
  tipPosition_ = -1;
  if (!tipText_.isEmpty()) QToolTip::hideText();
  tipText_.clear();
}

}  // namespace tarvolin::editor
