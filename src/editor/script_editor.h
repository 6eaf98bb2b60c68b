// One open script on screen: a QScintilla view over one script document.
// Every change of its text is copied into the core document at once (the
// interpreter reads the document's lines), the preprocessor's function
// tables follow inserted and removed lines, and the breakpoint flags of the
// document are the margin's breakpoint markers.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace tarvolin { class Workbench; }
namespace tarvolin::project { struct ProgramSettings; }
namespace tarvolin::script { class ScriptDocument; }

namespace tarvolin::editor {

class ScriptLexer;
class WordLists;

// Lines a selection covers: the last line only when the selection ends
// after its first column.
struct LineRange {
  int first = -1;
  int last = -1;
  bool valid() const { return first >= 0 && last >= first; }
};

class ScriptEditor : public QsciScintilla {
  Q_OBJECT

 public:
  enum Marker { kBreakpointMarker = 0, kBookmarkMarker = 1, kExecutionMarker = 2 };

  ScriptEditor(Workbench& workbench, const WordLists& words, int document,
               QWidget* parent = nullptr);
  ~ScriptEditor() override;

  int document() const { return document_; }
  script::ScriptDocument& scriptDocument() const;

  // Shows these lines (the document's), without an undo history and not
  // modified; breakpoints come from the document. UTF-8 unless the bytes
  // are not valid UTF-8 (then Latin-1, byte for byte).
  void loadDocumentText();
  // Replaces the text with the document's lines again (after a reload),
  // keeping the breakpoints and bookmarks of the lines that still exist.
  void reloadKeepingMarkers(std::vector<std::string> lines);
  bool isUtf8Text() const { return utf8_; }

  // The bytes of a line without its line end, and of every line.
  std::string lineBytes(int line) const;
  std::vector<std::string> allLines() const;
  int lineTotal() const;
  int caretLine() const;
  // Caret to the start of a 0-based line, scrolled into view.
  void goToLine0(int line);
  // The selection's lines by the rule above; invalid without a selection.
  LineRange selectedLines() const;
  bool hasSelectionText() const;

  // Markers.
  bool hasBreakpoint(int line) const;
  void setBreakpoint(int line, bool on);
  bool hasBookmark(int line) const;
  void setBookmark(int line, bool on);
  // The first bookmarked line after `line` (before it when `backward`), or -1.
  int nextBookmarkFrom(int line, bool backward) const;
  void setExecutionLine(int line);  // -1 clears
  int executionLine() const { return executionLine_; }

  // Edits, each one undo step. False when it does not apply (the caller
  // may beep).
  bool toggleComment();
  bool indentLines(bool unindent);
  void insertAtCaret(const QString& text);
  void insertLinesAtCaretLine(const QString& text);

  // Byte-level search over the document with Scintilla's flags
  // (SCFIND_MATCHCASE, SCFIND_WHOLEWORD); [start, end) of the match or -1.
  int searchRange(const QByteArray& text, int flags, int from, int to, int& matchEnd) const;
  QByteArray toBytes(const QString& text) const;
  QString toText(const std::string& bytes) const;

  // Colours and font of the program settings; styling again.
  void applySettings(const project::ProgramSettings& settings);
  void restyle();

  // How the value tool-tip reads a variable: the line's bytes and a
  // column inside the word; true with the tip's text.
  std::function<bool(int document, const std::string& line, int column, QString& tip)> variableTip;

 signals:
  void caretLineChanged(int line);
  void contextMenuRequested(const QPoint& global, int position);
  void breakpointsChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void onModified(int position, int type, const char* text, int length, int linesAdded);
  void onDwellStart(int position, int x, int y);
  void refreshTip();
  void hideTip();
  void syncMarkersFromDocument(int first, int last);
  long lineStart(int line) const;
  long lineEndPosition(int line) const;

  Workbench& workbench_;
  int document_;
  ScriptLexer* lexer_ = nullptr;
  bool utf8_ = true;
  bool loading_ = false;
  int executionLine_ = -1;
  int lastCaretLine_ = -1;
  // The value tool-tip: where it was asked for, kept fresh while shown.
  QTimer tipTimer_;
  int tipPosition_ = -1;
  QPoint tipPoint_;
  QString tipText_;
};

}  // namespace tarvolin::editor
