// What the main window calls for project sharing: the "&Red" menu with its
// four commands, the busy flag that holds the window's menus while one runs,
// and the windows the commands show (progress, comment, project
// information, merge). The commands themselves are the core's
// `ProjectSharing`; this class only shows what it asks.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

#include "project/asset_edit.h"
#include "sharing/project_sharing.h"
#include "sharing_ui/merge_dialog.h"

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace tarvolin {
class Workbench;
}

namespace tarvolin::sharing_ui {

class ProgressWindow;

class SharingController : public QObject,
                          public sharing::SharingUi,
                          private project::ProjectObserver {
  Q_OBJECT

 public:
  SharingController(Workbench& bench, QWidget* window);
  ~SharingController() override;

  // The "&Red" menu: project information, update, commit, propose.
  QMenu* createMenu(QWidget* parent);
  // Puts the four entries into a menu the main window already has.
  void fillMenu(QMenu* menu);
  QAction* infoAction() const { return info_; }
  QAction* updateAction() const { return update_; }
  QAction* commitAction() const { return commit_; }
  QAction* proposeAction() const { return propose_; }

  // How the studio saves every modified script and asset before a command;
  // false when something stays unsaved. By default the project is saved.
  void setSaveAll(std::function<bool()> saveAll) { saveAll_ = std::move(saveAll); }
  // Questions of the merge dialog (tests answer them directly).
  void setAsker(Asker asker) { asker_ = std::move(asker); }
  // Called with each dialog just after it opens (tests act on it there).
  void setDialogHook(std::function<void(QDialog&)> hook) { dialogHook_ = std::move(hook); }

  bool busy() const;
  ProgressWindow* progressWindow() const { return progress_; }

 public slots:
  void projectInformation();
  void updateProject();
  void commitProject();
  void proposeProject();
  // Enables the entries: a project open and no command running.
  void refreshActions();

 signals:
  // A command started (true) or ended (false): the main window holds its menus.
  void busyStateChanged(bool busy);
  // An update replaced these files: open editors reload them.
  void filesReloaded(const QStringList& paths);

 public:
  // What the core asks (sharing::SharingUi).
  bool saveAll() override;
  bool askComment(std::string& comment) override;
  void waitFor(sharing::SharingClient& client, bool showProgress) override;
  void showProjectInfo(const std::string& text) override;
  bool mergeConflict(sharing::ConflictMerge& merge) override;
  void reopenFiles(const std::vector<std::string>& paths) override;
  void busyChanged(bool busy) override;

 private:
  int run(QDialog& dialog);
  // project::ProjectObserver: opening and closing enable the entries.
  void projectChanged(project::ProjectEvent event) override;

  Workbench& bench_;
  QWidget* window_;
  ProgressWindow* progress_ = nullptr;
  QAction* info_ = nullptr;
  QAction* update_ = nullptr;
  QAction* commit_ = nullptr;
  QAction* propose_ = nullptr;
  std::function<bool()> saveAll_;
  Asker asker_;
  std::function<void(QDialog&)> dialogHook_;
};

}  // namespace tarvolin::sharing_ui
