// Ending the program on SIGTERM, SIGINT and SIGHUP: the signals' pipe is
// watched on the GUI thread, and each arrival asks the window to close
// through its normal path (the save questions, then the settings written
// as at any exit). A signal that comes while a question is open leaves it
// up: the user's answer decides.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/termination_signals.h"

class QSocketNotifier;
class QWidget;

namespace tarvolin::shell {

class QuitSignals : public QObject {
  Q_OBJECT

 public:
  // Catches the signals at once. With a window they close it on arrival.
  // Without (start-up), a signal closes a one-button notice that holds
  // start-up up, leaves questions, and waits for watch() to name the window.
  // `parent` owns the watcher (the window itself will do).
  explicit QuitSignals(QWidget* window = nullptr, QObject* parent = nullptr);
  // From now on each signal closes `window`; one that came before closes it
  // as soon as the event loop runs.
  void watch(QWidget* window);
  ~QuitSignals() override;

  // False when the signals could not be caught (they then act as before).
  bool active() const { return signals_.active(); }

 signals:
  // A signal arrived (before the window is asked to close).
  void received(int signal);

 private:
  void readPipe();

  platform::TerminationSignals signals_;
  QSocketNotifier* notifier_ = nullptr;
  QPointer<QWidget> window_;
  bool pending_ = false;  // a signal came before there was a window to close
};

}  // namespace tarvolin::shell
