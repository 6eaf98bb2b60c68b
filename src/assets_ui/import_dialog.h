// The window "Importar Proyecto..": the other project file with its browse
// button, the prefix and the folder name, the components, the options, the
// families to prefix and a progress bar. "&Importar" hands the fields to the
// core's project import; the window keeps no rule of its own.
//
// Also here: the single-family imports of the "Importar" submenu (a file
// dialog, then the core's merge) and the submenu itself.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "project/project_import.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tarvolin::project {
class Project;
}

namespace tarvolin::assets_ui {

// Asks for an existing file: (parent, title, filter) -> path, empty when the
// user cancels. The studio uses a file dialog; tests answer directly.
using FileChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
FileChooser fileDialogChooser();

class ImportDialog : public QDialog {
  Q_OBJECT

 public:
  ImportDialog(project::Project& project, QWidget* parent = nullptr);

  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  // The fields as import options.
  project::ImportOptions options() const;
  // "&Examinar": choosing a file sets the file and the folder name.
  void browse();
  // "&Importar": runs the import with the fields; the summary of the last run.
  void runImport();
  const project::ImportSummary& lastSummary() const { return summary_; }
  bool running() const { return running_; }
  // Called after each progress step of a running import (tests act there).
  void setProgressHook(std::function<void(int)> hook) { progressHook_ = std::move(hook); }

  void reject() override;

  QLineEdit* fileEdit() const { return file_; }
  QLineEdit* prefixEdit() const { return prefix_; }
  QLineEdit* folderEdit() const { return folder_; }
  QCheckBox* componentBox(project::ImportFamily f) const { return components_[std::size_t(f)]; }
  QCheckBox* scriptsBox() const { return scripts_; }
  QCheckBox* prefixBox(project::ImportFamily f) const { return prefixed_[std::size_t(f)]; }
  QCheckBox* copyResourcesBox() const { return copyResources_; }
  QCheckBox* scriptFolderBox() const { return scriptFolder_; }
  QCheckBox* resourceFolderBox() const { return resourceFolder_; }
  QCheckBox* globalSetBox() const { return globalSet_; }
  QCheckBox* applySetBox() const { return applySet_; }
  QCheckBox* skipCommentsBox() const { return skipComments_; }
  QProgressBar* progressBar() const { return progress_; }
  QPushButton* importButton() const { return importButton_; }
  QPushButton* browseButton() const { return browseButton_; }
  QPushButton* closeButton() const { return closeButton_; }

 signals:
  // An import ran to its end; `lastSummary().undo` takes its records out
  // again (for the studio's undo stack).
  void imported();

 private:
  project::Project& project_;
  FileChooser chooser_;
  project::ImportSummary summary_;
  bool running_ = false;
  bool cancelRequested_ = false;
  std::function<void(int)> progressHook_;
  QLineEdit* file_ = nullptr;
  QLineEdit* prefix_ = nullptr;
  QLineEdit* folder_ = nullptr;
  std::array<QCheckBox*, project::kImportFamilyCount> components_{};
  QCheckBox* scripts_ = nullptr;
  std::array<QCheckBox*, project::kImportFamilyCount> prefixed_{};
  QCheckBox* copyResources_ = nullptr;
  QCheckBox* scriptFolder_ = nullptr;
  QCheckBox* resourceFolder_ = nullptr;
  QCheckBox* globalSet_ = nullptr;
  QCheckBox* applySet_ = nullptr;
  QCheckBox* skipComments_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

// The single-family import: a file dialog with the family's title and the
// filter "*.tvp", then the merge without prefix. False when the user
// cancelled or nothing could be merged; `undo` (when given) receives the
// edit that takes the merged records out again.
bool importFamilyWithDialog(QWidget* parent, project::Project& project, project::ImportFamily family,
                            const FileChooser& chooser = fileDialogChooser(), project::Edit* undo = nullptr);

// What the submenu hands on after an import that merged records: the edit
// that undoes it (the studio keeps it on its undo stack) and what it was
// ("importación de Cadenas"), which Deshacer names.
using ImportDone = std::function<void(const project::Edit& undo, const QString& label)>;

// Fills the "Importar" submenu of "&Archivo": one entry per family and
// "&Proyecto..." for the window, enabled while a project is open. The file
// dialogs and the window open over `parent`; `chooser` picks the project of
// a single-family import.
void addImportEntries(QMenu* menu, QWidget* parent, project::Project& project, ImportDone done = {},
                      FileChooser chooser = fileDialogChooser());
// The same for a caller that only refreshes after an import.
void addImportEntries(QMenu* menu, QWidget* parent, project::Project& project, std::function<void()> changed);

}  // namespace tarvolin::assets_ui
