// What the main window's commands do: each action calls the editor, the
// emulator's run state or the project, then the window shows the result.
#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "editor/editor_area.h"
#include "help/about.h"
#include "help/help_window.h"
#include "help/tips_dialog.h"
#include "help/whats_new_dialog.h"
#include "platform/keys.h"
#include "shell/emulator_window.h"
#include "shell/frame_loop.h"
#include "shell/key_table.h"
#include "shell/main_window.h"
#include "shell/notes_pane.h"
#include "shell/project_settings_dialog.h"
#include "shell/script_browser.h"
#include "shell/settings_dialog.h"
#include "shell/studio_host.h"
#include "sharing_ui/sharing_controller.h"
#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace tarvolin::shell {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

const QString kSaveGameFilter = QStringLiteral("Partidas guardadas (*.sav);;Todos los archivos (*)");

}  // namespace

void TarvolinMainWindow::connectCommands() {
  auto on = [this](Command c, auto&& f) {
    connect(action(c), &QAction::triggered, this, [this, f](bool checked) {
      // A running sharing command holds the window's commands.
      if (sharing_ && sharing_->busy()) return;
      f(checked);
      refreshState();
    });
  };
  editor::EditorArea* e = editor_;
  // Archivo
  on(Command::OpenScript, [e](bool) { e->newOrOpenScript(); });
  on(Command::CloseScript, [e](bool) { e->closeActive(); });
  on(Command::OpenProject, [this](bool) { newOrOpenProject(); });
  on(Command::CloseProject, [this](bool) { closeProject(); });
  on(Command::ProjectSettings, [this](bool) { editProjectSettings(); });
  on(Command::SaveScript, [e](bool) { e->saveActive(); });
  on(Command::SaveAll, [this](bool) { saveAllCommand(); });
  on(Command::ProgramSettings, [this](bool) { editProgramSettings(); });
  on(Command::Exit, [this](bool) { close(); });
  // Edición
  on(Command::Undo, [this](bool) { undoCommand(false); });
  on(Command::Redo, [this](bool) { undoCommand(true); });
  on(Command::Cut, [e](bool) { e->cut(); });
  on(Command::Copy, [e](bool) { e->copy(); });
  on(Command::Paste, [e](bool) { e->paste(); });
  on(Command::Delete, [e](bool) { e->deleteSelection(); });
  on(Command::Find, [e](bool) { e->find(); });
  on(Command::FindInScripts, [e](bool) { e->findInScripts(); });
  on(Command::Replace, [e](bool) { e->replace(); });
  on(Command::NextBookmark, [e](bool) { e->nextBookmark(false); });
  on(Command::PreviousBookmark, [e](bool) { e->nextBookmark(true); });
  on(Command::ToggleBookmark, [e](bool) { e->toggleBookmark(); });
  on(Command::GotoLine, [e](bool) { e->gotoLine(); });
  on(Command::Comment, [e](bool) { e->commentToggle(); });
  on(Command::BlockStart, [e](bool) { e->blockStart(); });
  on(Command::BlockEnd, [e](bool) { e->blockEnd(); });
  on(Command::SelectAll, [e](bool) { e->selectAll(); });
  on(Command::Indent, [e](bool) { e->indent(); });
  on(Command::Unindent, [e](bool) { e->unindent(); });
  on(Command::InsertSeparator, [e](bool) { e->insertSeparator(); });
  on(Command::InsertFunctionHeader, [e](bool) { e->insertFunctionHeader(); });
  for (int c = static_cast<int>(Command::InsertLV0); c <= static_cast<int>(Command::InsertRV3); ++c) {
    const QString name = action(static_cast<Command>(c))->text();  // "V_LV0" ...
    on(static_cast<Command>(c), [e, name](bool) { e->insertText(name); });
  }
  // Ejecutar
  on(Command::Run, [this](bool) { runCommand(true); });
  on(Command::RunWithoutPreprocess, [this](bool) { runCommand(false); });
  on(Command::Pause, [this](bool) { control_.TogglePause(); });
  on(Command::Step, [this](bool) { control_.Step(); });
  on(Command::ResetEmulator, [this](bool) { control_.ResetMachine(); });
  on(Command::Preprocess, [this](bool) { control_.Preprocess(true); });
  on(Command::StopOnError, [this](bool checked) { control_.SetStopOnError(checked); });
  on(Command::Break, [this](bool) { control_.RequestBreak(); });
  on(Command::StackTrace, [this](bool) { control_.RequestStackTrace(); });
  on(Command::LoadGame, [this](bool) { loadGameCommand(); });
  on(Command::SaveGame, [this](bool) { saveGameCommand(); });
  on(Command::Screenshot, [this](bool) { control_.TakeScreenshot(); });
  // Depurar
  on(Command::ToggleBreakpoint, [e](bool) { e->toggleBreakpoint(); });
  on(Command::StepOver, [this](bool) { control_.StepLine(script::StepMode::StepOver); });
  on(Command::StepInto, [this](bool) { control_.StepLine(script::StepMode::StepInto); });
  on(Command::RunFunction, [this](bool) { control_.StepLine(script::StepMode::RunToReturn); });
  on(Command::RunToCursor, [this](bool) { runToCursorCommand(); });
  // Ventanas
  project::ProgramSettings& s = bench_.programSettings();
  on(Command::HideEmulatorInactive, [&s](bool checked) { s.windowEmulatorHideInactive = checked; });
  on(Command::ShowBrowser, [this, &s](bool checked) {
    s.windowBrowseMinimise = !checked;
    browserDock_->setVisible(checked);
  });
  on(Command::ShowNotes, [this, &s](bool checked) {
    s.windowLogMinimise = !checked;
    notesDock_->setVisible(checked);
  });
  on(Command::ShowEmulator, [this](bool checked) {
    emulatorWanted_ = checked;
    applyEmulatorVisibility();
    if (checked) emulator_->raise();
  });
  on(Command::ClearNotes, [this](bool) { notes_->clear(); });
  const std::pair<Command, bool project::ProgramSettings::*> toolbarSettings[] = {
      {Command::ToolbarMain, &project::ProgramSettings::toolbarMainEnabled},
      {Command::ToolbarAssets, &project::ProgramSettings::toolbarAssetsEnabled},
      {Command::ToolbarViews, &project::ProgramSettings::toolbarViewsEnabled},
      {Command::ToolbarEdit, &project::ProgramSettings::toolbarEditEnabled},
      {Command::ToolbarFormat, &project::ProgramSettings::toolbarEditExtendEnabled},
      {Command::ToolbarVariables, &project::ProgramSettings::toolbarEditOnepressEnabled}};
  for (const auto& [command, flag] : toolbarSettings)
    on(command, [this, &s, flag = flag](bool checked) {
      s.*flag = checked;
      arrangeFromSettings();
    });

  // Ayuda
  for (Command c : {Command::UserGuide, Command::Tips, Command::WhatsNew, Command::About})
    on(c, [this, c](bool) { showHelp(c); });
  connect(editor_, &editor::EditorArea::commandHelpRequested, this,
          [this](const QString& name) { help::HelpWindow::showCommand(this, name); });

  // The editor tells what the title and the greyed entries depend on.
  connect(editor_, &editor::EditorArea::activeDocumentChanged, this, [this] { refreshState(); });
  connect(editor_, &editor::EditorArea::modificationChanged, this, [this] { refreshState(); });
}

void TarvolinMainWindow::rebuildCommentShortcuts() {
  const project::ProgramSettings& s = bench_.programSettings();
  const std::pair<Command, int> keys[] = {{Command::Comment, s.keymapSemicolon},
                                          {Command::BlockStart, s.keymapLeftBracket},
                                          {Command::BlockEnd, s.keymapRightBracket}};
  for (const auto& [command, vk] : keys) {
    QAction* a = action(command);
    if (!a) continue;
    const int key = qtKeyFromVirtualKey(vk);
    a->setShortcut(key ? QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(key)))
                       : QKeySequence());
    a->setShortcutContext(Qt::WindowShortcut);
  }
  action(Command::Comment)->setToolTip(
      QStringLiteral("Comenta/Descomenta las líneas seleccionadas (Ctrl^%1)")
          .arg(virtualKeyName(s.keymapSemicolon)));
}

void TarvolinMainWindow::runCommand(bool preprocess) {
  control_.Run(preprocess);
  loop_->update();
}

void TarvolinMainWindow::runToCursorCommand() {
  const editor::ScriptPlace place = editor_->cursorScriptAndLine();
  if (place.document < 0 || place.line < 0) return;
  control_.RunToLine(place.document, place.line);
  loop_->update();
}

void TarvolinMainWindow::showHelp(Command command) {
  project::ProgramSettings& s = bench_.programSettings();
  switch (command) {
    case Command::UserGuide:
      help::HelpWindow::showContents(this);
      break;
    case Command::Tips: {
      help::TipsDialog tips(s, this);
      tips.exec();
      break;
    }
    case Command::WhatsNew: {
      help::WhatsNewDialog news(s, this);
      news.exec();
      break;
    }
    case Command::About:
      help::showAbout(this);
      break;
    default:
      break;
  }
}

void TarvolinMainWindow::showStartupWindows() {
  const project::ProgramSettings& s = bench_.programSettings();
  if (s.newFeaturesShowStartup) showHelp(Command::WhatsNew);
  if (s.tipsShowStartup) showHelp(Command::Tips);
}

// ----------------------------------------------------------------- project

void TarvolinMainWindow::newOrOpenProject() {
  project::Project& project = bench_.project();
  const QString start = qs(project.isOpen() ? project.folder() : bench_.workingFolder());
  const QString chosen =
      host_.askFile(QStringLiteral("Nuevo/Abrir Proyecto"), QStringLiteral("Proyectos (*.tvp)"),
                    StudioHost::FileQuestion::OpenOrCreate, start);
  project.restoreWorkingFolder();
  if (chosen.isEmpty()) return;
  QString path = chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".tvp");
  control_.Stop();
  project.createNew(path.toStdString());
  refreshAfterProjectChange();
}

bool TarvolinMainWindow::openProject(const QString& path) {
  control_.Stop();
  const bool ok = bench_.project().open(path.toStdString(), false);
  refreshAfterProjectChange();
  return ok;
}

bool TarvolinMainWindow::closeProject() {
  project::Project& project = bench_.project();
  if (!project.isOpen()) return true;
  control_.Stop();
  const bool ok = project.close();
  refreshAfterProjectChange();
  return ok;
}

void TarvolinMainWindow::refreshAfterProjectChange() {
  const project::Project& project = bench_.project();
  browser_->setFolder(project.isOpen() ? qs(project.scriptFolderPath()) : QString());
  editor_->refreshWordLists();
  if (!project.isOpen()) control_.Tick();  // the empty status of no project
  control_.RedrawPicture();
  refreshState();
}

void TarvolinMainWindow::editProjectSettings() {
  project::Project& project = bench_.project();
  if (!project.isOpen()) return;
  ProjectSettingsDialog dialog(project, host_, this);
  dialog.exec();
  project.restoreWorkingFolder();
  browser_->setFolder(qs(project.scriptFolderPath()));
  refreshState();
}

void TarvolinMainWindow::createSharing() {
  sharing_ = new sharing_ui::SharingController(bench_, this);
  sharing_->fillMenu(menu(MenuSlot::Network));
  // Before a sharing command everything is saved; it goes on only when
  // nothing is left unsaved.
  sharing_->setSaveAll([this] {
    saveAllCommand();
    return !editor_->anyModified() && !(bench_.project().isOpen() && bench_.project().isModified());
  });
  connect(sharing_, &sharing_ui::SharingController::busyStateChanged, this, [this](bool busy) {
    menuBar()->setEnabled(!busy);
    for (QToolBar* bar : toolbars_)
      if (bar) bar->setEnabled(!busy);
    refreshState();
  });
  // An update replaced files: open scripts read them again.
  connect(sharing_, &sharing_ui::SharingController::filesReloaded, this, [this] {
    editor_->checkFilesChangedOnDisk();
    refreshAfterProjectChange();
  });
}

void TarvolinMainWindow::saveAllCommand() {
  project::Project& project = bench_.project();
  if (project.isOpen()) {
    storePlaces();
    project.save(false);
  } else {
    editor_->saveAll();
  }
}

void TarvolinMainWindow::editProgramSettings() {
  SettingsDialog dialog(bench_.programSettings(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  bench_.programSettings() = dialog.settings();
  applyProgramSettings();
}

// ------------------------------------------------------------ save games

void TarvolinMainWindow::saveGameCommand() {
  project::Project& project = bench_.project();
  if (!project.isOpen()) return;
  const QString path =
      host_.askFile(QStringLiteral("Guardar partida"), kSaveGameFilter,
                    StudioHost::FileQuestion::Save, qs(project.folder()));
  project.restoreWorkingFolder();
  if (!path.isEmpty()) control_.SaveGame(path.toStdString());
}

void TarvolinMainWindow::loadGameCommand() {
  project::Project& project = bench_.project();
  if (!project.isOpen()) return;
  const QString path =
      host_.askFile(QStringLiteral("Cargar partida"), kSaveGameFilter,
                    StudioHost::FileQuestion::Open, qs(project.folder()));
  project.restoreWorkingFolder();
  if (!path.isEmpty()) control_.LoadGame(path.toStdString());
}

}  // namespace tarvolin::shell
