// The installer's and the uninstaller's windows: a 640x480 grey program
// window with the installer icon, and over it the modal dialog that does the
// work through the core's installation and uninstallation.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>

#include "setup/installer.h"
#include "setup/setup_prompts.h"
#include "setup/uninstaller.h"

class QLineEdit;
class QPushButton;

namespace tarvolin::setup_ui {

// Message boxes with the caption, icon and text the core gives; the detail
// is shown in smaller text below the message.
class MessageBoxPrompts : public setup::SetupPrompts {
 public:
  explicit MessageBoxPrompts(QWidget* parent) : parent_(parent) {}
  bool askYesNo(std::string_view caption, std::string_view text) override;
  void tell(std::string_view caption, std::string_view text, setup::MessageIcon icon,
            std::string_view detail) override;

 private:
  QWidget* parent_;
};

// The empty program window the dialogs stand on.
class ProgramWindow : public QWidget {
 public:
  explicit ProgramWindow(const QString& title);
};

// The icon of both programs.
QIcon installerIcon();

// Qt's own texts (the folder browser, standard buttons) in Spanish, when the
// system has Qt's translations.
void useSpanishQtTexts();

// "DIALOG_INSTALL": the folder box, the browse button, install and close.
class InstallDialog : public QDialog {
 public:
  // Asks for a folder starting at the given one; empty when cancelled.
  using FolderChooser = std::function<QString(QWidget*, const QString& start)>;

  InstallDialog(setup::InstallRequest request, setup::SetupPrompts& prompts,
                QWidget* parent = nullptr);

  void setFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
  const setup::InstallRequest& request() const { return request_; }
  // The outcome of the last installation attempt, if any.
  bool attempted() const { return attempted_; }
  setup::InstallOutcome lastOutcome() const { return outcome_; }

  QLineEdit* folderEdit() const { return folderEdit_; }
  QPushButton* browseButton() const { return browse_; }
  QPushButton* installButton() const { return install_; }
  QPushButton* closeButton() const { return close_; }

 private:
  void browse();
  void install();

  setup::InstallRequest request_;
  setup::SetupPrompts& prompts_;
  FolderChooser chooser_;
  bool attempted_ = false;
  setup::InstallOutcome outcome_ = setup::InstallOutcome::CopyFailed;
  QLineEdit* folderEdit_;
  QPushButton* browse_;
  QPushButton* install_;
  QPushButton* close_;
};

// "DIALOG_UNINSTALL": the warning, uninstall and "Salir".
class UninstallDialog : public QDialog {
 public:
  UninstallDialog(setup::UninstallRequest request, setup::SetupPrompts& prompts,
                  QWidget* parent = nullptr);

  bool attempted() const { return attempted_; }
  setup::UninstallOutcome lastOutcome() const { return outcome_; }
  QPushButton* uninstallButton() const { return uninstall_; }
  QPushButton* exitButton() const { return exit_; }

 private:
  void uninstall();

  setup::UninstallRequest request_;
  setup::SetupPrompts& prompts_;
  bool attempted_ = false;
  setup::UninstallOutcome outcome_ = setup::UninstallOutcome::RemoveFailed;
  QPushButton* uninstall_;
  QPushButton* exit_;
};

}  // namespace tarvolin::setup_ui
