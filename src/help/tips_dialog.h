// "Sabías que...": one tip at a time, with next and previous. The window
// starts at the tip that TIPS_DISPLAY_ID names and, when it closes, stores
// the one after the tip shown (wrapping) and the start-up check box
// (TIPS_SHOW_STARTUP).
#pragma once

#include <QDialog>
#include <QStringList>

#include "project/program_settings.h"

class QCheckBox;
class QLabel;

namespace tarvolin::help {

// The tips, as rich text, in the order they are shown.
const QStringList& tips();

class TipsDialog : public QDialog {
  Q_OBJECT
 public:
  TipsDialog(project::ProgramSettings& settings, QWidget* parent = nullptr);

  int currentTip() const { return current_; }
  QString currentText() const;

 public slots:
  void next();
  void previous();
  void done(int result) override;

 private:
  void showTip();

  project::ProgramSettings& settings_;
  int current_ = 0;
  QLabel* text_ = nullptr;
  QLabel* counter_ = nullptr;
  QCheckBox* startup_ = nullptr;
};

}  // namespace tarvolin::help
