#include "shell/quit_signals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

namespace tarvolin::shell {

QuitSignals::QuitSignals(QWidget* window, QObject* parent) : QObject(parent), window_(window) {
  if (!signals_.active()) return;
  notifier_ = new QSocketNotifier(signals_.readFd(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::readPipe);
}

void QuitSignals::watch(QWidget* window) {
  window_ = window;
  // A signal of the start-up closes the window once the program's loop runs.
  if (pending_ && window_) {
    pending_ = false;
    QTimer::singleShot(0, window_, [w = window_] {
      if (w) w->close();
    });
  }
}

QuitSignals::~QuitSignals() {
  // The notifier goes before the pipe it watches.
  delete notifier_;
}

void QuitSignals::readPipe() {
  // Emptied first: the notifier fires while bytes are left, also inside
  // the nested loop of a save question.
  const std::vector<int> arrived = signals_.take();
  if (arrived.empty()) return;
  for (int signal : arrived) emit received(signal);
  if (!window_) {
    // Start-up: the close waits for the window. A notice that holds up
    // start-up (one button, nothing to decide) goes; a question stays.
    pending_ = true;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && box->buttons().size() == 1) box->buttons().constFirst()->click();
    return;
  }
  // A close asked while the window's close is in progress (its questions
  // are open) does nothing: the question stays up and its answer decides.
  window_->close();
}

}  // namespace tarvolin::shell
