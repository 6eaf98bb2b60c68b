// The main window `TarvolinMainWindow`: the script editor in the middle, the
// notes and the script browser beside it, the menus, the toolbar groups and
// the shortcuts, the emulator window it owns, and the frame loop. Every
// command is a QAction (action(Command)), so menus, toolbars, shortcuts and
// tests all go through the same place. Other windows add their menus with
// menu(MenuSlot) and their toolbar buttons with toolbar(ToolbarGroup).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "machine/machine_state.h"
#include "platform/game_controller.h"
#include "shell/game_keys.h"
#include "workbench/emulator_control.h"

class QActionGroup;
class QDockWidget;
class QToolBar;

namespace tarvolin { class Workbench; }
namespace tarvolin::editor { class EditorArea; }
namespace tarvolin::sharing_ui { class SharingController; }

namespace tarvolin::shell {

class CallStackDock;
class EmulatorWindow;
class FrameLoop;
class NotesPane;
class ProjectEdits;
class ScriptBrowser;
class StudioHost;

// Every command of the menus, toolbars and shortcuts.
enum class Command {
  // Archivo
  OpenScript, CloseScript, OpenProject, CloseProject, ProjectSettings, SaveScript, SaveAll,
  ProgramSettings, Exit,
  // Edición
  Undo, Redo, Cut, Copy, Paste, Delete, Find, FindInScripts, Replace, NextBookmark,
  PreviousBookmark, ToggleBookmark, GotoLine, Comment, BlockStart, BlockEnd, SelectAll,
  Indent, Unindent, InsertSeparator, InsertFunctionHeader,
  InsertLV0, InsertLV1, InsertLV2, InsertLV3, InsertLV4, InsertLV5,
  InsertEV0, InsertEV1, InsertEV2, InsertEV3, InsertRV0, InsertRV1, InsertRV2, InsertRV3,
  // Ejecutar
  Run, RunWithoutPreprocess, Pause, Step, ResetEmulator, Preprocess, StopOnError, Break,
  StackTrace, LoadGame, SaveGame, Screenshot,
  // Depurar
  ToggleBreakpoint, StepOver, StepInto, RunFunction, RunToCursor,
  // Ventanas
  HideEmulatorInactive, ShowBrowser, ShowNotes, ShowEmulator, ClearNotes,
  ToolbarMain, ToolbarAssets, ToolbarViews, ToolbarEdit, ToolbarFormat, ToolbarVariables,
  // Ayuda
  UserGuide, Tips, WhatsNew, About,
  Count
};

// The pop-ups of the menu bar in their order; each is made when first asked for.
enum class MenuSlot { File, Edit, Views, Assets, Run, Debug, Network, Tools, Windows, Help, Count };

// The toolbar groups, each shown while its setting is on.
enum class ToolbarGroup { Main, Assets, Views, Edit, Format, Variables, Count };

class TarvolinMainWindow : public QMainWindow,
                           private EmulatorListener,
                           private machine::MachineObserver {
  Q_OBJECT

 public:
  TarvolinMainWindow(Workbench& bench, StudioHost& host, EmulatorControl& control,
                     std::unique_ptr<platform::GameController> controller = nullptr);
  ~TarvolinMainWindow() override;

  QAction* action(Command command) const { return actions_[static_cast<std::size_t>(command)]; }
  // The menu of a slot, made and put in its place when first asked for.
  QMenu* menu(MenuSlot slot);
  // The "Importar" sub-menu of "&Archivo", made when first asked for.
  QMenu* importMenu();
  QToolBar* toolbar(ToolbarGroup group) const { return toolbars_[static_cast<std::size_t>(group)]; }
  // A window that Ctrl+Tab cycles through (the viewers).
  void registerViewer(QWidget* viewer);

  Workbench& bench() const { return bench_; }
  editor::EditorArea* editor() const { return editor_; }
  NotesPane* notes() const { return notes_; }
  ScriptBrowser* browser() const { return browser_; }
  // The undo stack of project edits; windows that edit assets keep theirs here.
  ProjectEdits& projectEdits() const { return *edits_; }
  QDockWidget* notesDock() const { return notesDock_; }
  QDockWidget* browserDock() const { return browserDock_; }
  // The debugger's call stack and variables; hidden until asked for or the
  // first stop at a line.
  CallStackDock* callStackDock() const { return callStackDock_; }
  EmulatorWindow* emulator() const { return emulator_; }
  FrameLoop& loop() const { return *loop_; }
  // Project sharing: the "&Red" menu's commands and their windows.
  sharing_ui::SharingController* sharing() const { return sharing_; }
  GameKeys& keys() { return keys_; }

  // Places the window as the settings say (position validated at load).
  void placeFromSettings();
  // Arranges the toolbars and docks anew from the settings.
  void arrangeFromSettings();
  // Title, greyed entries, ticks and the emulator's visibility.
  void refreshState();
  // The comment and block shortcuts from the settings' keys.
  void rebuildCommentShortcuts();
  // Settings that take effect at once: frame rate, keys, editor looks.
  void applyProgramSettings();
  // Remembers the window places in the settings before they are written.
  void storePlaces();

  // Quitting: asks to save modified scripts ("Guardar cambios a %s") and,
  // when the project changed, "¿Guardar proyecto antes de salir?". False
  // when the user cancelled; nothing is closed then.
  bool confirmQuit();

  // The what's-new and tips windows, each when its setting asks for it.
  void showStartupWindows();

  // The project commands.
  bool openProject(const QString& path);
  bool closeProject();

 signals:
  // The window may close: the studio quits.
  void quitConfirmed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // main_actions.cpp
  void createActions();
  void createMenus();
  void createToolbars();
  void connectCommands();
  void createSharing();
  // main_commands.cpp
  void newOrOpenProject();
  void editProjectSettings();
  void editProgramSettings();
  void saveAllCommand();
  void saveGameCommand();
  void loadGameCommand();
  void screenshotCommand();
  void runCommand(bool preprocess);
  void stepLineCommand(int mode);
  void runToCursorCommand();
  void showHelp(Command command);
  void refreshAfterProjectChange();
  // main_window.cpp
  void createDocks();
  void createEmulator();
  void housekeeping(bool secondTick);
  void pollController();
  bool preTranslate(QKeyEvent* key);
  void updateTitle();
  void updateEnabled();
  void applyEmulatorVisibility();
  void cycleViewers();
  bool editorTakesUndo(bool redo) const;
  void undoCommand(bool redo);
  void updateUndoTexts();
  // EmulatorListener
  void emulatorStateChanged() override;
  void pictureChanged() override;
  void showExecutionLine(int document, int line) override;
  void clearExecutionLine() override;
  void errorStopped(int document, int line, const std::string& text,
                    const std::string& detail) override;
  void activateEmulator() override;
  void preprocessed(bool ok) override;
  // machine::MachineObserver
  void machineChanged(machine::ChangeKind kind) override;

  Workbench& bench_;
  StudioHost& host_;
  EmulatorControl& control_;
  std::array<QAction*, static_cast<std::size_t>(Command::Count)> actions_{};
  std::array<QMenu*, static_cast<std::size_t>(MenuSlot::Count)> menus_{};
  std::array<QToolBar*, static_cast<std::size_t>(ToolbarGroup::Count)> toolbars_{};
  QMenu* importMenu_ = nullptr;
  sharing_ui::SharingController* sharing_ = nullptr;
  QAction* importAnchor_ = nullptr;  // where "Importar" goes in "&Archivo"
  editor::EditorArea* editor_ = nullptr;
  NotesPane* notes_ = nullptr;
  QDockWidget* notesDock_ = nullptr;
  ScriptBrowser* browser_ = nullptr;
  QDockWidget* browserDock_ = nullptr;
  CallStackDock* callStackDock_ = nullptr;
  bool callStackSeen_ = false;  // shown once: later stops leave it as the user has it
  EmulatorWindow* emulator_ = nullptr;
  ProjectEdits* edits_ = nullptr;
  bool emulatorWanted_ = true;  // the show/hide button's choice
  std::unique_ptr<FrameLoop> loop_;
  GameKeys keys_;
  std::unique_ptr<platform::GameController> controller_;
  std::vector<QPointer<QWidget>> viewers_;
  bool arranged_ = false;      // the docks and bars follow the settings from now on
  bool pictureDirty_ = false;  // the machine changed while no frame ran
  bool audioPausedBeforeMinimise_ = false;
  bool minimised_ = false;
  bool quitting_ = false;
};

}  // namespace tarvolin::shell
