#include "shell/project_edits.h"

#include <QUndoCommand>
#include <QUndoStack>

#include "project/project.h"

namespace tarvolin::shell {

// One kept edit: the pair that takes the lists back and forth. The first
// redo() is the push itself, for an edit the project already performed.
class ProjectEdits::Command : public QUndoCommand {
 public:
  Command(ProjectEdits& owner, project::Edit undo, const QString& label)
      : QUndoCommand(label), owner_(owner), undo_(std::move(undo)) {}

  void undo() override { step(undo_, redo_); }
  void redo() override {
    if (pushed_) return step(redo_, undo_);
    pushed_ = true;
  }

 private:
  // Applies `from`; what the project returns is the way back. A refusal
  // (the lists changed beneath it) drops the command from the stack.
  void step(project::Edit& from, project::Edit& back) {
    std::string why;
    project::Edit inverse = owner_.project_.apply(from, &why);
    if (!inverse.valid()) {
      setObsolete(true);
      emit owner_.refused(QString::fromStdString(why));
      return;
    }
    back = std::move(inverse);
    from = project::Edit();
  }

  ProjectEdits& owner_;
  project::Edit undo_;
  project::Edit redo_;
  bool pushed_ = false;
};

ProjectEdits::ProjectEdits(project::Project& project, QObject* parent)
    : QObject(parent), project_(project), stack_(new QUndoStack(this)) {
  project_.addObserver(this);
  connect(stack_, &QUndoStack::indexChanged, this, &ProjectEdits::stateChanged);
}

ProjectEdits::~ProjectEdits() { project_.removeObserver(this); }

void ProjectEdits::keep(const project::Edit& undo, const QString& label) {
  if (!undo.valid()) return;
  stack_->push(new Command(*this, undo, label));
}

bool ProjectEdits::apply(const project::Edit& edit, const QString& label, std::string* why) {
  project::Edit undo = project_.apply(edit, why);
  if (!undo.valid()) return false;
  keep(undo, label);
  return true;
}

bool ProjectEdits::canUndo() const { return stack_->canUndo(); }
bool ProjectEdits::canRedo() const { return stack_->canRedo(); }
QString ProjectEdits::undoText() const { return stack_->canUndo() ? stack_->undoText() : QString(); }
QString ProjectEdits::redoText() const { return stack_->canRedo() ? stack_->redoText() : QString(); }
void ProjectEdits::undo() { stack_->undo(); }
void ProjectEdits::redo() { stack_->redo(); }

void ProjectEdits::assetChanged(const project::AssetChange& change) {
  // A list read anew (a sharing update) leaves no index the kept edits
  // could still point at.
  if (change.kind == project::AssetChangeKind::Reloaded) stack_->clear();
  scheduleAssetsChanged();
}

void ProjectEdits::projectChanged(project::ProjectEvent event) {
  // Told inside the project's operation: the stack is emptied there (its
  // commands hold no windows), the windows hear of it on the next turn.
  if (event != project::ProjectEvent::Opening) stack_->clear();
  scheduleAssetsChanged();
}

void ProjectEdits::modifiedChanged(bool) { emit stateChanged(); }

void ProjectEdits::scheduleAssetsChanged() {
  if (assetsPending_) return;
  assetsPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        assetsPending_ = false;
        emit assetsChanged();
      },
      Qt::QueuedConnection);
}

}  // namespace tarvolin::shell
