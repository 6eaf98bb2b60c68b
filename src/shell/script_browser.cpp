#include "shell/script_browser.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace tarvolin::shell {

ScriptBrowser::ScriptBrowser(QWidget* parent) : QWidget(parent) {
  setObjectName("scriptBrowser");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
  model_->setNameFilters({QStringLiteral("*.txt"), QStringLiteral("*.TXT")});
  model_->setNameFilterDisables(false);
  model_->setReadOnly(true);
  tree_ = new QTreeView(this);
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setSortingEnabled(true);
  tree_->sortByColumn(0, Qt::AscendingOrder);
  empty_ = new QLabel(QStringLiteral("Sin proyecto"), this);
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setEnabled(false);
  layout->addWidget(tree_);
  layout->addWidget(empty_);
  connect(tree_, &QTreeView::doubleClicked, this, &ScriptBrowser::activate);
  connect(tree_, &QTreeView::activated, this, &ScriptBrowser::activate);
  setFolder({});
}

void ScriptBrowser::setFolder(const QString& folder) {
  folder_ = folder;
  const bool shown = !folder.isEmpty() && QDir(folder).exists();
  tree_->setVisible(shown);
  empty_->setVisible(!shown);
  empty_->setText(folder.isEmpty() ? QStringLiteral("Sin proyecto")
                                   : QStringLiteral("Sin carpeta de guiones"));
  if (!shown) return;
  tree_->setRootIndex(model_->setRootPath(folder));
}

void ScriptBrowser::activate(const QModelIndex& index) {
  if (!index.isValid() || model_->isDir(index)) return;
  emit openScript(model_->filePath(index));
}

}  // namespace tarvolin::shell
