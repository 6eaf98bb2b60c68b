// "Configuración del Proyecto": the project's folders, main script, tutorial
// flags and sharing settings. "Aceptar" takes the values over and lets the
// project check its folders and main script; any edit marks the project
// modified.
#pragma once

#include <QDialog>
#include <functional>

#include "project/project.h"

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tarvolin::shell {

class ProjectSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  ProjectSettingsDialog(project::Project& project, Host& host, QWidget* parent = nullptr);

  // Chooses a folder or a file for the browse buttons (dialogs by default;
  // tests give their own). Empty when cancelled.
  void setFolderChooser(std::function<QString(const QString& title, const QString& start)> f) {
    chooseFolder_ = std::move(f);
  }
  void setFileChooser(std::function<QString(const QString& title, const QString& start)> f) {
    chooseFile_ = std::move(f);
  }
  bool changed() const { return changed_; }

  // "Aceptar": takes the values over.
  void accept() override;

 private:
  QLineEdit* addFolderRow(QGridLayout* grid, int row, const QString& label,
                          const std::string& value, const QString& browseTip, bool editable);
  void browseFolder(QLineEdit* field, const QString& title);
  void browseMainScript();
  void editExclusions();
  void updateEnabled();
  void markChanged() { changed_ = true; }

  project::Project& project_;
  Host& host_;
  project::ProjectSettings values_;
  QLineEdit* source_ = nullptr;
  QLineEdit* resources_ = nullptr;
  QLineEdit* output_ = nullptr;
  QLineEdit* mainScript_ = nullptr;
  QCheckBox* readOnly_ = nullptr;
  QCheckBox* noMain_ = nullptr;
  QCheckBox* shared_ = nullptr;
  QLineEdit* networkName_ = nullptr;
  QPushButton* exclusions_ = nullptr;
  QCheckBox* override_ = nullptr;
  QLineEdit* address_ = nullptr;
  QSpinBox* port_ = nullptr;
  bool changed_ = false;
  std::function<QString(const QString&, const QString&)> chooseFolder_;
  std::function<QString(const QString&, const QString&)> chooseFile_;
};

}  // namespace tarvolin::shell
