// The script browser "Navegador de Guiones": the project's "Script" folder as
// a tree (sub-folders and the scripts in them); double-clicking a script
// opens it in the editor. It follows the folder as files come and go.
#pragma once

#include <QString>
#include <QWidget>

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace tarvolin::shell {

class ScriptBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit ScriptBrowser(QWidget* parent = nullptr);

  // Shows this folder; an empty one shows that no project is open.
  void setFolder(const QString& folder);
  QString folder() const { return folder_; }
  QTreeView* tree() const { return tree_; }
  QFileSystemModel* model() const { return model_; }

 signals:
  void openScript(const QString& path);

 private:
  void activate(const QModelIndex& index);

  QString folder_;
  QFileSystemModel* model_ = nullptr;
  QTreeView* tree_ = nullptr;
  QLabel* empty_ = nullptr;
};

}  // namespace tarvolin::shell
