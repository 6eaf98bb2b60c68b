// The what's-new window (DIALOG_NEW_RELEASE): the text of "WhatsNew.txt" in a
// read-only box, centred on its parent, with a check box bound to
// NEW_FEATURES_SHOW_STARTUP that "Aceptar" stores. When the file cannot be
// read the window closes at once: exec() returns Rejected without showing.
#pragma once

#include <QDialog>
#include <QString>

#include "project/program_settings.h"

class QCheckBox;
class QPlainTextEdit;

namespace tarvolin::help {

class WhatsNewDialog : public QDialog {
  Q_OBJECT
 public:
  // `path` is the file to show (whatsNewPath() when empty).
  WhatsNewDialog(project::ProgramSettings& settings, QWidget* parent = nullptr, QString path = {});

  // Whether the file was read.
  bool loaded() const { return loaded_; }
  QString text() const;

  int exec() override;
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  project::ProgramSettings& settings_;
  bool loaded_ = false;
  QPlainTextEdit* view_ = nullptr;
  QCheckBox* startup_ = nullptr;
};

}  // namespace tarvolin::help
