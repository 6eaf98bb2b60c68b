#include "sharing_ui/sharing_controller.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "sharing_ui/comment_dialog.h"
#include "sharing_ui/progress_window.h"
#include "sharing_ui/project_info_dialog.h"
#include "workbench/workbench.h"

namespace tarvolin::sharing_ui {

SharingController::SharingController(Workbench& bench, QWidget* window)
    : QObject(window), bench_(bench), window_(window), asker_(messageBoxAsker()) {
  bench_.sharing().setUi(this);
  bench_.project().addObserver(this);
  progress_ = new ProgressWindow(window);
}

SharingController::~SharingController() {
  bench_.project().removeObserver(this);
  bench_.sharing().setUi(nullptr);
}

void SharingController::projectChanged(project::ProjectEvent) { refreshActions(); }

QMenu* SharingController::createMenu(QWidget* parent) {
  auto* menu = new QMenu(QString::fromUtf8("&Red"), parent);
  fillMenu(menu);
  return menu;
}

void SharingController::fillMenu(QMenu* menu) {
  info_ = menu->addAction(QString::fromUtf8("&Información del proyecto..."));
  info_->setStatusTip(QString::fromUtf8("Muestra lo que el servidor sabe del proyecto"));
  update_ = menu->addAction(QString::fromUtf8("&Actualizar proyecto"));
  update_->setStatusTip(QString::fromUtf8("Trae del servidor lo nuevo de los demás"));
  commit_ = menu->addAction(QString::fromUtf8("&Depositar cambios..."));
  commit_->setStatusTip(QString::fromUtf8("Envía al servidor los archivos cambiados, con un comentario"));
  propose_ = menu->addAction(QString::fromUtf8("&Proponer cambios"));
  propose_->setStatusTip(QString::fromUtf8("Envía los cambios como propuesta, sin depositarlos"));
  connect(info_, &QAction::triggered, this, &SharingController::projectInformation);
  connect(update_, &QAction::triggered, this, &SharingController::updateProject);
  connect(commit_, &QAction::triggered, this, &SharingController::commitProject);
  connect(propose_, &QAction::triggered, this, &SharingController::proposeProject);
  connect(menu, &QMenu::aboutToShow, this, &SharingController::refreshActions);
  refreshActions();
}

bool SharingController::busy() const { return bench_.sharing().busy(); }

void SharingController::refreshActions() {
  const bool ready = bench_.project().isOpen() && !busy();
  for (QAction* a : {info_, update_, commit_, propose_})
    if (a) a->setEnabled(ready);
}

void SharingController::projectInformation() {
  if (bench_.project().isOpen()) bench_.sharing().info();
}
void SharingController::updateProject() {
  if (bench_.project().isOpen()) bench_.sharing().update();
}
void SharingController::commitProject() {
  if (bench_.project().isOpen()) bench_.sharing().commit();
}
void SharingController::proposeProject() {
  if (bench_.project().isOpen()) bench_.sharing().propose();
}

int SharingController::run(QDialog& dialog) {
  if (dialogHook_) QTimer::singleShot(0, &dialog, [this, &dialog] { dialogHook_(dialog); });
  return dialog.exec();
}

bool SharingController::saveAll() {
  if (saveAll_) return saveAll_();
  project::Project& p = bench_.project();
  return !p.isOpen() || !p.isModified() || p.save(false);
}

bool SharingController::askComment(std::string& comment) {
  CommentDialog dialog(window_);
  if (run(dialog) != QDialog::Accepted) return false;
  comment = dialog.comment();
  return true;
}

void SharingController::waitFor(sharing::SharingClient& client, bool showProgress) {
  if (!showProgress) {
    waitForClient(client);
    return;
  }
  if (dialogHook_) QTimer::singleShot(0, progress_, [this] { dialogHook_(*progress_); });
  progress_->follow(client);
}

void SharingController::showProjectInfo(const std::string& text) {
  ProjectInfoDialog dialog(text, window_);
  run(dialog);
}

bool SharingController::mergeConflict(sharing::ConflictMerge& merge) {
  MergeDialog dialog(merge, window_);
  dialog.setAsker(asker_);
  run(dialog);
  // Closing without a way out changes nothing and is no failure; a way out
  // that could not write its file is.
  return dialog.error().isEmpty() || merge.resolved();
}

void SharingController::reopenFiles(const std::vector<std::string>& paths) {
  QStringList list;
  for (const std::string& p : paths) list << QString::fromStdString(p);
  emit filesReloaded(list);
}

void SharingController::busyChanged(bool busy) {
  refreshActions();
  emit busyStateChanged(busy);
}

}  // namespace tarvolin::sharing_ui
