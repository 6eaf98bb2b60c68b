#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <Qsci/qsciscintilla.h>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>

#include "assets_ui/import_dialog.h"
#include "editor/editor_area.h"
#include "editor/script_editor.h"
#include "platform/scripted_input.h"
#include "shell/call_stack_dock.h"
#include "shell/key_table.h"
#include "shell/emulator_window.h"
#include "shell/frame_loop.h"
#include "shell/icons.h"
#include "shell/notes_pane.h"
#include "shell/project_edits.h"
#include "shell/script_browser.h"
#include "shell/studio_host.h"
#include "sharing_ui/sharing_controller.h"
#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace tarvolin::shell {
namespace {

constexpr const char* kProductName = "Tarvolin";

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Whether the focused widget undoes its own typing.
bool focusHasOwnUndo() {
  QWidget* f = QApplication::focusWidget();
  if (!f) return false;
  if (qobject_cast<QsciScintilla*>(f) || qobject_cast<QAbstractSpinBox*>(f)) return true;
  if (auto* line = qobject_cast<QLineEdit*>(f)) return !line->isReadOnly();
  if (auto* text = qobject_cast<QTextEdit*>(f)) return !text->isReadOnly();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(f)) return !plain->isReadOnly();
  return false;
}

}  // namespace

TarvolinMainWindow::TarvolinMainWindow(Workbench& bench, StudioHost& host,
                                       EmulatorControl& control,
                                       std::unique_ptr<platform::GameController> controller)
    : bench_(bench),
      host_(host),
      control_(control),
      controller_(controller ? std::move(controller)
                             : std::make_unique<platform::NoGameController>()) {
  setObjectName("TarvolinMainWindow");
  setWindowIcon(studioIcon("tarvolin"));
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);

  editor_ = new editor::EditorArea(bench_, host_, this);
  setCentralWidget(editor_);
  if (QWidget* status = editor_->statusWidget()) statusBar()->addWidget(status, 1);
  createDocks();
  host_.setNotes(notes_);
  host_.setDialogParent(this);

  createActions();
  createMenus();
  // The imports of other projects' assets (their window is the import's);
  // each import is kept for Deshacer.
  edits_ = new ProjectEdits(bench_.project(), this);
  connect(edits_, &ProjectEdits::assetsChanged, this, [this] {
    editor_->refreshWordLists();
    refreshState();
  });
  connect(edits_, &ProjectEdits::stateChanged, this, &TarvolinMainWindow::refreshState);
  connect(edits_, &ProjectEdits::refused, this,
          [this](const QString& why) { host_.outputLine(why.toStdString()); });
  assets_ui::addImportEntries(
      importMenu(), this, bench_.project(),
      [this](const project::Edit& undo, const QString& label) {
        edits_->keep(undo, label);
        refreshAfterProjectChange();
      },
      [this](QWidget*, const QString& title, const QString& filter) {
        return host_.askFile(title, filter, StudioHost::FileQuestion::Open);
      });
  createToolbars();
  createSharing();
  createEmulator();
  loop_ = std::make_unique<FrameLoop>(control_, this);
  loop_->setBusyCheck([this] { return host_.busy(); });
  loop_->setBeforeFrame([this] { pollController(); });
  connect(loop_.get(), &FrameLoop::housekeeping, this, &TarvolinMainWindow::housekeeping);
  connect(loop_.get(), &FrameLoop::statistics, this,
          [this](int frames, int ms) { control_.PublishStatistics(frames, ms); });
  connectCommands();

  // The game reads this window's keys; the editor follows the run.
  bench_.scripts().input().Attach(keys_, *emulator_);
  control_.setListener(this);
  bench_.machine().addObserver(this);

  project::ProjectHooks hooks = bench_.project().hooks();
  editor_->fillProjectHooks(hooks);
  hooks.autoPreprocess = [this] {
    statusBar()->showMessage(QStringLiteral("Auto Preproceso"), 3000);
    control_.Preprocess(true);
  };
  hooks.refreshViews = [this] { refreshAfterProjectChange(); };
  hooks.editSettings = [this] { editProjectSettings(); };
  bench_.project().setHooks(std::move(hooks));

  qApp->installEventFilter(this);
  applyProgramSettings();
  arrangeFromSettings();
  refreshState();
}

TarvolinMainWindow::~TarvolinMainWindow() {
  qApp->removeEventFilter(this);
  // Lines written from now on wait for a notes window that may come.
  host_.setNotes(nullptr);
  host_.setDialogParent(nullptr);
  // The docks are destroyed after this window's own part: what they signal
  // while they go must not reach it.
  if (notesDock_) notesDock_->disconnect(this);
  if (browserDock_) browserDock_->disconnect(this);
  if (callStackDock_) callStackDock_->disconnect(this);
  bench_.machine().removeObserver(this);
  control_.setListener(nullptr);
  // The pad must not read windows that are going.
  static platform::ScriptedKeySource noKeys;
  static platform::FixedEmulatorView noView;
  bench_.scripts().input().Attach(noKeys, noView);
}

void TarvolinMainWindow::createDocks() {
  notes_ = new NotesPane(this);
  notesDock_ = new QDockWidget(QStringLiteral("Notas"), this);
  notesDock_->setObjectName("notesDock");
  notesDock_->setWidget(notes_);
  addDockWidget(Qt::BottomDockWidgetArea, notesDock_);
  connect(notes_, &NotesPane::openPlace, this, [this](const QString& script, int line) {
    editor_->openScriptAt(script, line);
  });

  browser_ = new ScriptBrowser(this);
  browserDock_ = new QDockWidget(QStringLiteral("Navegador de Guiones"), this);
  browserDock_->setObjectName("browserDock");
  browserDock_->setWidget(browser_);
  addDockWidget(Qt::RightDockWidgetArea, browserDock_);
  connect(browser_, &ScriptBrowser::openScript, this,
          [this](const QString& path) { editor_->openScript(path); });

  callStackDock_ = new CallStackDock(bench_, control_, host_, this);
  addDockWidget(Qt::RightDockWidgetArea, callStackDock_);
  callStackDock_->hide();
  QAction* callStackToggle = callStackDock_->toggleViewAction();
  callStackToggle->setIcon(studioIcon("call_stack"));
  callStackToggle->setToolTip(QStringLiteral("Muestra/Oculta la pila de llamadas y sus variables"));
  connect(callStackDock_, &CallStackDock::openPlace, this, [this](const QString& script, int line) {
    editor_->openScriptAt(script, line);
  });
  connect(callStackDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (!visible || callStackSeen_) return;
    callStackSeen_ = true;
    // The first time, room for the fourteen variables: most of the column
    // it shares with the script browser, and names that are not cut.
    if (!callStackDock_->isFloating()) {
      const int column = browserDock_->isHidden() ? 0 : browserDock_->height() + callStackDock_->height();
      if (column > 0) resizeDocks({browserDock_, callStackDock_}, {column / 4, column - column / 4}, Qt::Vertical);
      if (callStackDock_->width() < 300) resizeDocks({callStackDock_}, {300}, Qt::Horizontal);
    }
  });

  // The show/hide buttons stay pressed while their window shows; closing a
  // dock with its own button is remembered as the menu entry would be.
  project::ProgramSettings& s = bench_.programSettings();
  connect(notesDock_, &QDockWidget::visibilityChanged, this, [this, &s](bool) {
    if (!arranged_ || quitting_ || minimised_ || isMinimized()) return;
    const bool shown = !notesDock_->isHidden();
    s.windowLogMinimise = !shown;
    if (QAction* a = action(Command::ShowNotes)) a->setChecked(shown);
  });
  connect(browserDock_, &QDockWidget::visibilityChanged, this, [this, &s](bool) {
    if (!arranged_ || quitting_ || minimised_ || isMinimized()) return;
    const bool shown = !browserDock_->isHidden();
    s.windowBrowseMinimise = !shown;
    if (QAction* a = action(Command::ShowBrowser)) a->setChecked(shown);
  });
}

void TarvolinMainWindow::createEmulator() {
  emulator_ = new EmulatorWindow(control_, bench_.machine(), keys_, this);
  connect(emulator_, &EmulatorWindow::preprocessRequested, action(Command::Preprocess), &QAction::trigger);
  connect(emulator_, &EmulatorWindow::runRequested, action(Command::Run), &QAction::trigger);
  connect(emulator_, &EmulatorWindow::runWithoutPreprocessRequested,
          action(Command::RunWithoutPreprocess), &QAction::trigger);
  connect(emulator_, &EmulatorWindow::stepRequested, action(Command::Step), &QAction::trigger);
  connect(emulator_, &EmulatorWindow::screenshotRequested, action(Command::Screenshot), &QAction::trigger);
  connect(emulator_, &EmulatorWindow::quitRequested, this, &QWidget::close);
  connect(emulator_, &EmulatorWindow::moved, this, [this](const QPoint& p) {
    bench_.programSettings().windowEmulatorX = p.x();
    bench_.programSettings().windowEmulatorY = p.y();
  });
}

void TarvolinMainWindow::placeFromSettings() {
  const project::ProgramSettings& s = bench_.programSettings();
  move(s.windowMainX, s.windowMainY);
  resize(640, 480);
  if (s.windowMainWidth > 0 && s.windowMainHeight > 0) resize(s.windowMainWidth, s.windowMainHeight);
  emulator_->move(s.windowEmulatorX, s.windowEmulatorY);
}

void TarvolinMainWindow::arrangeFromSettings() {
  const project::ProgramSettings& s = bench_.programSettings();
  const bool groups[] = {s.toolbarMainEnabled,   s.toolbarAssetsEnabled,
                         s.toolbarViewsEnabled,  s.toolbarEditEnabled,
                         s.toolbarEditExtendEnabled, s.toolbarEditOnepressEnabled};
  const Command toggles[] = {Command::ToolbarMain, Command::ToolbarAssets, Command::ToolbarViews,
                             Command::ToolbarEdit, Command::ToolbarFormat, Command::ToolbarVariables};
  for (std::size_t g = 0; g < toolbars_.size(); ++g) {
    QToolBar* bar = toolbars_[g];
    const bool hasButtons = !bar->actions().isEmpty();
    bar->setVisible(groups[g] && hasButtons);
    // A group without buttons yet (its windows come later) has no entry.
    action(toggles[g])->setVisible(hasButtons);
    action(toggles[g])->setChecked(groups[g]);
  }
  notesDock_->setVisible(!s.windowLogMinimise);
  browserDock_->setVisible(!s.windowBrowseMinimise);
  if (s.windowOutputHeight > 0) resizeDocks({notesDock_}, {s.windowOutputHeight}, Qt::Vertical);
  if (s.windowScriptBrowseWidth > 0)
    resizeDocks({browserDock_}, {s.windowScriptBrowseWidth}, Qt::Horizontal);
  action(Command::ShowNotes)->setChecked(!s.windowLogMinimise);
  action(Command::ShowBrowser)->setChecked(!s.windowBrowseMinimise);
  action(Command::HideEmulatorInactive)->setChecked(s.windowEmulatorHideInactive);
  applyEmulatorVisibility();
  arranged_ = true;
}

void TarvolinMainWindow::storePlaces() {
  project::ProgramSettings& s = bench_.programSettings();
  s.windowMainMaximise = isMaximized();
  if (!notesDock_->isHidden() && !notesDock_->isFloating() && notes_->height() > 0)
    s.windowOutputHeight = notesDock_->height();
  if (!browserDock_->isHidden() && !browserDock_->isFloating() && browser_->width() > 0)
    s.windowScriptBrowseWidth = browserDock_->width();
}

void TarvolinMainWindow::applyProgramSettings() {
  const project::ProgramSettings& s = bench_.programSettings();
  loop_->setDisplayRate(s.displayRate);
  script::KeyMap map;
  const int keys[] = {s.controlButtonA,  s.controlButtonB,    s.controlSelect,
                      s.controlStart,    s.controlPadRight,   s.controlPadLeft,
                      s.controlPadUp,    s.controlPadDown,    s.controlShoulderRight,
                      s.controlShoulderLeft};
  for (std::size_t b = 0; b < map.keys.size(); ++b) map.keys[b] = keys[b];
  bench_.scripts().input().SetKeyMap(map);
  rebuildCommentShortcuts();
  editor_->applySettings();
}

void TarvolinMainWindow::registerViewer(QWidget* viewer) {
  if (viewer) viewers_.push_back(viewer);
}

void TarvolinMainWindow::cycleViewers() {
  std::vector<QWidget*> open;
  for (const QPointer<QWidget>& v : viewers_)
    if (v && v->isVisible()) open.push_back(v.data());
  if (open.empty()) return;
  QWidget* current = QApplication::activeWindow();
  std::size_t next = 0;
  for (std::size_t i = 0; i < open.size(); ++i)
    if (open[i] == current) next = (i + 1) % open.size();
  open[next]->raise();
  open[next]->activateWindow();
}

// ------------------------------------------------------------------- undo

// Deshacer and Rehacer act on the script editor while it has the focus and
// something to take back, otherwise on the project's edits.
bool TarvolinMainWindow::editorTakesUndo(bool redo) const {
  editor::ScriptEditor* e = editor_->activeEditor();
  if (!e) return false;
  if (!(redo ? edits_->canRedo() : edits_->canUndo())) return true;
  QWidget* focus = QApplication::focusWidget();
  const bool focused = focus && (focus == e || e->isAncestorOf(focus));
  return focused && (redo ? e->isRedoAvailable() : e->isUndoAvailable());
}

void TarvolinMainWindow::undoCommand(bool redo) {
  if (editorTakesUndo(redo)) {
    redo ? editor_->redo() : editor_->undo();
  } else {
    redo ? edits_->redo() : edits_->undo();
    // The lists changed beneath the open windows.
    refreshAfterProjectChange();
  }
}

void TarvolinMainWindow::updateUndoTexts() {
  const std::pair<Command, bool> entries[] = {{Command::Undo, false}, {Command::Redo, true}};
  for (const auto& [c, redo] : entries) {
    const bool editor = editorTakesUndo(redo);
    const QString what = editor ? QString() : redo ? edits_->redoText() : edits_->undoText();
    QString text = redo ? QStringLiteral("&Rehacer") : QStringLiteral("&Deshacer");
    if (!what.isEmpty()) text += QLatin1Char(' ') + what;
    text += redo ? QStringLiteral("\tCtrl-Y") : QStringLiteral("\tCtrl-Z");
    QAction* a = action(c);
    if (a->text() != text) a->setText(text);
    a->setEnabled(editor || !what.isEmpty());
  }
}

// ------------------------------------------------------------------ state

void TarvolinMainWindow::updateTitle() {
  const project::Project& project = bench_.project();
  QString title = QString::fromLatin1(kProductName);
  if (editor_->hasDocuments() && !editor_->activeScriptName().isEmpty()) {
    title += QStringLiteral(" - [Guión: %1%2] %3")
                 .arg(editor_->activeScriptName(),
                      editor_->activeModified() ? QStringLiteral(" *") : QString(),
                      project.isOpen() && project.isModified() ? QStringLiteral("(proyecto modificado)")
                                                               : QString());
    title = title.trimmed();
  } else if (!project.isOpen()) {
    title += QStringLiteral(" - [Sin proyecto]");
  } else if (project.isModified()) {
    title += QStringLiteral(" - [Proyecto: %1 *]").arg(qs(project.name()));
  } else {
    title += QStringLiteral(" - [Proyecto: %1]").arg(qs(project.name()));
  }
  if (windowTitle() != title) setWindowTitle(title);
}

void TarvolinMainWindow::updateEnabled() {
  const bool project = bench_.project().isOpen();
  const bool document = editor_->hasDocuments();
  for (Command c : {Command::CloseProject, Command::ProjectSettings, Command::Run,
                    Command::RunWithoutPreprocess, Command::Pause, Command::Step,
                    Command::Preprocess, Command::Break, Command::StackTrace, Command::LoadGame,
                    Command::SaveGame, Command::StepOver, Command::StepInto, Command::RunFunction,
                    Command::FindInScripts})
    action(c)->setEnabled(project);
  action(Command::RunToCursor)->setEnabled(project && document);
  for (Command c : {Command::CloseScript, Command::SaveScript, Command::Cut, Command::Copy, Command::Paste, Command::Delete, Command::Find,
                    Command::Replace, Command::NextBookmark, Command::PreviousBookmark,
                    Command::ToggleBookmark, Command::GotoLine, Command::Comment,
                    Command::BlockStart, Command::BlockEnd, Command::SelectAll, Command::Indent,
                    Command::Unindent, Command::InsertSeparator, Command::InsertFunctionHeader,
                    Command::ToggleBreakpoint})
    action(c)->setEnabled(document);
  for (int c = static_cast<int>(Command::InsertLV0); c <= static_cast<int>(Command::InsertRV3); ++c)
    action(static_cast<Command>(c))->setEnabled(document);
  action(Command::SaveAll)->setEnabled(project || document);
  updateUndoTexts();
  action(Command::StopOnError)->setChecked(control_.stopOnError());
  action(Command::ShowEmulator)->setChecked(emulator_->isVisible());
}

void TarvolinMainWindow::refreshState() {
  updateTitle();
  updateEnabled();
  applyEmulatorVisibility();
}

void TarvolinMainWindow::applyEmulatorVisibility() {
  const bool hideInactive = bench_.programSettings().windowEmulatorHideInactive;
  const bool show = emulatorWanted_ && !(hideInactive && !control_.running()) && !minimised_ &&
                    !quitting_ && isVisible();
  if (show != emulator_->isVisible()) emulator_->setVisible(show);
  action(Command::ShowEmulator)->setChecked(emulator_->isVisible());
}

void TarvolinMainWindow::housekeeping(bool secondTick) {
  if (!control_.wantsFrames()) {
    // Idle: the keys still work (Escape, Print Screen), a changed machine
    // is drawn again, and the game stays silent.
    pollController();
    bench_.scripts().input().Poll();
    if (pictureDirty_) {
      pictureDirty_ = false;
      control_.RedrawPicture();
    }
  }
  if (secondTick) emulator_->advanceScroll();
  refreshState();
}

void TarvolinMainWindow::pollController() {
  platform::ControllerButtons down{};
  controller_->Poll(down);
  keys_.setControllerButtons(down, bench_.scripts().input().Keys());
}

// ------------------------------------------------------------ listening

void TarvolinMainWindow::emulatorStateChanged() {
  emulator_->refreshState();
  callStackDock_->refresh();
  action(Command::StopOnError)->setChecked(control_.stopOnError());
  loop_->update();
}

void TarvolinMainWindow::pictureChanged() { emulator_->showFrame(); }

void TarvolinMainWindow::showExecutionLine(int document, int line) {
  editor_->markExecutionLine(document, line - 1);
  // The first stop of the session brings the stack up; after that it stays
  // as the user leaves it.
  if (!callStackSeen_ && !quitting_) callStackDock_->show();
  callStackDock_->refresh();
}

void TarvolinMainWindow::clearExecutionLine() {
  editor_->clearExecutionLine();
  callStackDock_->refresh();
}

void TarvolinMainWindow::errorStopped(int document, int line, const std::string&,
                                      const std::string&) {
  // The notes already hold the error, tied to its line.
  notesDock_->show();
  editor_->markExecutionLine(document, line - 1);
  callStackDock_->refresh();
}

void TarvolinMainWindow::activateEmulator() {
  emulatorWanted_ = true;
  applyEmulatorVisibility();
  emulator_->raise();
  // Asked of the window itself: a tool window counts as active already
  // while its owner has the focus, and activateWindow() would do nothing.
  if (QWindow* handle = emulator_->windowHandle()) handle->requestActivate();
}

void TarvolinMainWindow::preprocessed(bool) { editor_->refreshWordLists(); }

void TarvolinMainWindow::machineChanged(machine::ChangeKind) { pictureDirty_ = true; }

// ---------------------------------------------------------- window events

bool TarvolinMainWindow::confirmQuit() {
  if (editor_->anyModified() && !editor_->saveModified(true)) return false;
  project::Project& project = bench_.project();
  if (project.isOpen() && project.isModified()) {
    const MessageAnswer answer =
        host_.messageBox(kProductName, "¿Guardar proyecto antes de salir?",
                         MessageButtons::YesNoCancel, MessageAnswer::Yes);
    if (answer == MessageAnswer::Cancel) return false;
    if (answer == MessageAnswer::Yes && !project.save(false)) return false;
  }
  return true;
}

void TarvolinMainWindow::closeEvent(QCloseEvent* event) {
  if (!quitting_ && !confirmQuit()) {
    event->ignore();
    refreshState();
    return;
  }
  quitting_ = true;
  control_.Stop();
  storePlaces();
  emulator_->hide();
  event->accept();
  emit quitConfirmed();
}

void TarvolinMainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) {
    sound::AudioEngine& audio = bench_.audio();
    if (isMinimized() && !minimised_) {
      minimised_ = true;
      audioPausedBeforeMinimise_ = audio.IsAudioPaused();
      if (!audioPausedBeforeMinimise_) audio.PauseAudio();
      loop_->setMinimised(true);
      emulator_->hide();
    } else if (!isMinimized() && minimised_) {
      minimised_ = false;
      if (!audioPausedBeforeMinimise_) audio.ResumeAudio();
      loop_->setMinimised(false);
      applyEmulatorVisibility();
    }
  } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && !quitting_) {
    if (editor_->hasDocuments()) {
      editor_->checkFilesChangedOnDisk();
      editor_->focusEditor();
    }
  }
}

void TarvolinMainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (isMinimized() || isMaximized() || !isVisible()) return;
  bench_.programSettings().windowMainX = x();
  bench_.programSettings().windowMainY = y();
}

void TarvolinMainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (isMinimized() || isMaximized() || !isVisible()) return;
  bench_.programSettings().windowMainWidth = width();
  bench_.programSettings().windowMainHeight = height();
}

bool TarvolinMainWindow::preTranslate(QKeyEvent* key) {
  const int k = key->key();
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  if (k == Qt::Key_Tab && mods == Qt::ControlModifier) {
    cycleViewers();
    return true;
  }
  if (k == Qt::Key_F7 && mods == Qt::NoModifier) {
    if (QWindow* handle = windowHandle()) handle->requestActivate();
    editor_->focusEditor();
    return true;
  }
  if (k == Qt::Key_F6 && mods == Qt::NoModifier) {
    editor_->nextDocument();
    return true;
  }
  if ((k == Qt::Key_F6 && mods == Qt::ShiftModifier) || k == Qt::Key_F18) {
    editor_->previousDocument();
    return true;
  }
  // Ctrl-Z and Ctrl-Y belong to the text being typed (a script with
  // nothing to take back leaves them to the project); elsewhere in the main
  // window they undo and redo the project's edits.
  if (mods == Qt::ControlModifier && (k == Qt::Key_Z || k == Qt::Key_Y) &&
      QApplication::activeWindow() == this) {
    const bool redo = k == Qt::Key_Y;
    if (!(redo ? edits_->canRedo() : edits_->canUndo())) return false;
    const bool inEditor = editor_->isAncestorOf(QApplication::focusWidget());
    if (inEditor ? editorTakesUndo(redo) : focusHasOwnUndo()) return false;
    undoCommand(redo);
    refreshState();
    return true;
  }
  return false;
}

bool TarvolinMainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
    return QMainWindow::eventFilter(watched, event);
  // Only for key events aimed at this program's windows, and never while a
  // dialog has the program to itself.
  if (QApplication::activeModalWidget() || !watched->isWidgetType()) return false;
  QWidget* window = static_cast<QWidget*>(watched)->window();
  const bool ours = window == this || window == emulator_ ||
                    std::any_of(viewers_.begin(), viewers_.end(),
                                [window](const QPointer<QWidget>& v) { return v == window; });
  if (!ours) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyPress) return preTranslate(key);
  // The program's shortcuts come before the focused widget's own key
  // bindings (the editor's built-in keys, for instance).
  const QKeyCombination combo = key->keyCombination();
  const QKeySequence pressed(QKeyCombination(combo.keyboardModifiers() & ~Qt::KeypadModifier, combo.key()));
  for (QAction* a : actions_) {
    if (!a || a->shortcut().isEmpty() || !a->isEnabled()) continue;
    if (a->shortcutContext() != Qt::ApplicationShortcut && window != this) continue;
    if (a->shortcut().matches(pressed) == QKeySequence::ExactMatch) return true;
  }
  return false;
}

}  // namespace tarvolin::shell
