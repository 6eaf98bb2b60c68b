// The progress window of a sharing command: the phase text, a bar in percent
// and "Cancelar", which ends the transaction the way a failed one ends.
// It reads the worker's progress; it decides nothing itself.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvolin::sharing {
class SharingClient;
}

namespace tarvolin::sharing_ui {

class ProgressWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressWindow(QWidget* parent = nullptr);

  // Shows the window and returns once the client has finished, keeping the
  // studio's events flowing meanwhile.
  void follow(sharing::SharingClient& client);
  // Takes what changed in the client's progress (phase and bar).
  void refresh(sharing::SharingClient& client);

  QLabel* phaseLabel() const { return phase_; }
  QProgressBar* bar() const { return bar_; }
  QPushButton* cancelButton() const { return cancel_; }

 protected:
  void reject() override;  // Escape and the close box cancel too

 private:
  sharing::SharingClient* client_ = nullptr;
  QLabel* phase_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

// Waits, with events flowing, until the client has finished (no window).
void waitForClient(sharing::SharingClient& client);

}  // namespace tarvolin::sharing_ui
