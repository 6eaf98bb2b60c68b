// The studio's undo of project edits. Every asset edit a window makes (an
// import, the asset windows) is kept here with the edit that undoes it, so
// Edición's Deshacer and Rehacer can take it back and forth. Kept edits
// point at records by index, so every edit of the studio's windows goes
// through here (apply or keep), never past it; the stack is emptied when the
// project is opened or closed or a list is read anew. It also tells the
// windows, once per event-loop turn however many records changed, that the
// asset lists changed.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "project/asset_edit.h"

class QUndoStack;

namespace tarvolin::project { class Project; }

namespace tarvolin::shell {

class ProjectEdits : public QObject, private project::ProjectObserver {
  Q_OBJECT

 public:
  explicit ProjectEdits(project::Project& project, QObject* parent = nullptr);
  ~ProjectEdits() override;

  // Keeps an edit that was already applied; `undo` is what the project
  // returned for it. An invalid `undo` (nothing changed) is not kept.
  void keep(const project::Edit& undo, const QString& label);
  // Applies an edit and keeps it; false, with the project's reason in
  // `why`, when the project refused it (nothing changed then).
  bool apply(const project::Edit& edit, const QString& label, std::string* why = nullptr);

  bool canUndo() const;
  bool canRedo() const;
  // What Deshacer and Rehacer would take back or do again ("importación de
  // Cadenas"); empty when there is nothing.
  QString undoText() const;
  QString redoText() const;
  void undo();
  void redo();
  QUndoStack& stack() const { return *stack_; }

 signals:
  // The asset lists changed (coalesced: one signal per event-loop turn).
  void assetsChanged();
  // The project's modified flag changed, or the stack did.
  void stateChanged();
  // An undo or redo the project refused; the edit leaves the stack.
  void refused(const QString& why);

 private:
  class Command;

  void assetChanged(const project::AssetChange& change) override;
  void projectChanged(project::ProjectEvent event) override;
  void modifiedChanged(bool modified) override;
  void scheduleAssetsChanged();

  project::Project& project_;
  QUndoStack* stack_ = nullptr;
  bool assetsPending_ = false;
};

}  // namespace tarvolin::shell
