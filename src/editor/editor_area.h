// The studio's script editor area: the main window's central widget, one tab
// per open script. It owns the studio's script documents (the interpreter
// reads their lines directly, so edits reach the run) and installs them in
// the workbench's script runtime. The main window's menus, toolbars and
// shortcuts call the slots below; the area never builds menus of its own
// except the editor's context menu.
//
// Coordinates: `document` numbers are indices in the script documents (the
// interpreter's script numbers) and `line0` is 0-based, as the interpreter
// counts; `line` in openScriptAt is 1-based, as notes show it.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/host.h"
#include "editor/edit_status.h"
#include "script/exec_operands.h"

class QMenu;
class QTabWidget;

namespace tarvolin { class Workbench; }
namespace tarvolin::project { struct ProjectHooks; }

namespace tarvolin::editor {

class EditorDocuments;
class EditStatus;
class FindDialog;
class ScriptEditor;
class WordLists;

// Where the caret is: document index and 0-based line; -1, -1 without one.
struct ScriptPlace {
  int document = -1;
  int line = -1;
};

// Options of a search, shared by find, replace and find in scripts.
struct FindOptions {
  bool fromStart = false;
  bool matchCase = false;
  bool wholeWord = false;
};

class EditorArea : public QWidget {
  Q_OBJECT

 public:
  EditorArea(Workbench& workbench, Host& host, QWidget* parent = nullptr);
  ~EditorArea() override;

  // The status window (`EditStatus`); the main window places it.
  EditStatus* statusWidget() const { return status_.data(); }

  // Queries.
  bool hasDocuments() const;
  int openCount() const;
  QString activeScriptName() const;
  bool activeModified() const;
  bool anyModified() const;
  // 1-based caret line of the active script; 0 without one.
  int currentLine() const;
  ScriptPlace cursorScriptAndLine() const;
  ScriptEditor* activeEditor() const;
  // The editor showing a document, or null when it is not open in a tab.
  ScriptEditor* editorFor(int document) const;
  int documentIndexOf(const QString& fileName) const;

  // What opening, saving and closing a project ask of the editor: fills the
  // closeDocuments, saveDocuments and openScript hooks.
  void fillProjectHooks(project::ProjectHooks& hooks);
  // Saves the modified documents, asking first when `confirm`; false when
  // the user cancelled or a save failed.
  bool saveModified(bool confirm);
  // Closes every tab (asking to save) and forgets every document, for a
  // project being closed or replaced; false when the user cancelled.
  bool closeProjectDocuments();

  // Hooks for the studio and for tests: what a beep does (the platform's
  // beep by default), how a file to open is chosen (a file dialog by
  // default; false when cancelled), how the line for "go to line" is asked
  // (a dialog by default; false when cancelled).
  void setBeepHandler(std::function<void()> beep);
  void setOpenChooser(std::function<bool(QString& path)> chooser);
  void setLineChooser(std::function<bool(int maxLine, int& line)> chooser);
  void setFindTextChooser(std::function<bool(QString& text)> chooser);

  // The find and replace state the dialog edits; find() and replace() show
  // the dialog, findNext(), replaceOnce() and replaceAll() act on it.
  void setSearch(const QString& text, const QString& replacement, FindOptions options);
  bool findNext();
  bool replaceOnce();
  int replaceAll();
  // Find in scripts for a given text (Ctrl-J asks for it first).
  void findInScriptsFor(const QString& text);
  // Moves the caret to a 1-based line of the active script; lines outside
  // the document are ignored.
  void goToLine(int line);
  // The context menu for a byte position of an editor (the caller owns it).
  QMenu* createContextMenu(ScriptEditor* editor, int position);
  FindDialog* findDialog() const { return findDialog_; }
  // The words the colouring knows (assets, functions, arrays).
  const WordLists& wordLists() const { return *words_; }

 public slots:
  // Files and documents.
  void newOrOpenScript();
  bool openScript(const QString& path);
  bool openScriptAt(const QString& name, int line);
  bool closeActive();
  bool closeAll();
  bool saveActive();
  bool saveAll();
  void nextDocument();
  void previousDocument();
  void focusEditor();

  // Editing.
  void undo();
  void redo();
  void cut();
  void copy();
  void paste();
  void deleteSelection();
  void selectAll();
  void find();
  void findInScripts();
  void replace();
  void toggleBookmark();
  void nextBookmark(bool backward);
  void gotoLine();
  void toggleBreakpoint();
  void commentToggle();
  void indent();
  void unindent();
  void blockStart();
  void blockEnd();
  void insertText(const QString& text);
  void insertSeparator();
  void insertFunctionHeader();

  // The run's view of the editor.
  void markExecutionLine(int document, int line0);
  void clearExecutionLine();
  // A run-time error: brings its line up and writes "ERROR: <%s>" (and
  // "ext:%s" for an extended text) to the notes, tied to the line.
  void reportError(const QString& text, const QString& ext, int document, int line0);
  // Reloads unchanged documents whose file changed; asks for modified ones.
  void checkFilesChangedOnDisk();
  // Colours and font from the program settings.
  void applySettings();
  // Word lists from the project and the preprocessor (after a preprocess
  // or when assets change).
  void refreshWordLists();

 signals:
  void activeDocumentChanged();
  void modificationChanged();
  void statusTextChanged(const QString& text);
  // "Ayuda del comando" on a command name.
  void commandHelpRequested(const QString& command);

 private:
  struct DocState;

  DocState& state(int document);
  ScriptEditor* showDocument(int document);
  bool openPath(const std::string& path, bool report);
  bool saveDocument(int document);
  bool closeTab(int tab);
  bool askSaveBeforeClose(int document);
  void revertHiddenDocument(int document);
  void reloadDocument(int document);
  void updateTabTitle(ScriptEditor* editor);
  void onCurrentTabChanged(int tab);
  void onCaretLineChanged();
  void onEditorModified();
  void showContextMenu(ScriptEditor* editor, const QPoint& global, int position);
  void beep();
  int currentDocument() const;
  void note(const std::string& text);
  std::string scriptFolder() const;
  bool searchFrom(ScriptEditor* editor, int from, int& start, int& end) const;
  int searchFlags() const;
  void updateStatus();
  void jumpToBlockPartner(bool toEnd);
  script::ParseEnv parseEnv(int document) const;

  Workbench& workbench_;
  Host& host_;
  std::unique_ptr<EditorDocuments> documents_;
  std::unique_ptr<WordLists> words_;
  std::vector<std::unique_ptr<DocState>> states_;
  QTabWidget* tabs_ = nullptr;
  QPointer<EditStatus> status_;
  FindDialog* findDialog_ = nullptr;
  int executionDocument_ = -1;
  bool checkingDisk_ = false;

  QString searchText_;
  QString replaceText_;
  FindOptions searchOptions_;

  std::function<void()> beep_;
  std::function<bool(QString&)> openChooser_;
  std::function<bool(int, int&)> lineChooser_;
  std::function<bool(QString&)> findTextChooser_;
};

}  // namespace tarvolin::editor
