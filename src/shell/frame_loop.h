// The frame loop on the main thread: a precise timer runs a game frame each
// frame period while the game runs; a 100 ms housekeeping tick refreshes the
// status and advances the emulator's scrolling line every second tick; the
// frames and the milliseconds spent in them are published once a second.
// Nothing runs while the main window is minimised, and no timer runs faster
// than needed: an idle studio only wakes for its housekeeping.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

namespace tarvolin { class EmulatorControl; }

namespace tarvolin::shell {

// Milliseconds between frames: 1000 / rate for rates 5..100, else 16.
int framePeriodMs(int displayRate);

class FrameLoop : public QObject {
  Q_OBJECT

 public:
  static constexpr int kHousekeepingMs = 100;
  static constexpr int kStatisticsMs = 1000;

  explicit FrameLoop(EmulatorControl& control, QObject* parent = nullptr);

  void setDisplayRate(int displayRate);
  int periodMs() const { return period_; }
  // While minimised no frame and no housekeeping runs.
  void setMinimised(bool minimised);
  // While a window holds the game back (the music editor) no frame runs.
  void setHeldBack(bool heldBack);
  // While set, ticks do nothing (a long operation shows its progress).
  void setBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
  // Called before each frame (reads the game controller).
  void setBeforeFrame(std::function<void()> before) { beforeFrame_ = std::move(before); }
  // Starts or stops the frame timer as the run state asks; call after
  // every run command.
  void update();
  bool framesRunning() const { return frameTimer_.isActive(); }
  // Frames run since the loop was made (tests and figures).
  long long framesRun() const { return framesRun_; }

 signals:
  // Every 100 ms; `second` is true on every second tick (200 ms).
  void housekeeping(bool second);
  // Once a second while frames run: frames in that second and the
  // milliseconds spent in them.
  void statistics(int frames, int milliseconds);

 private:
  void onFrame();
  void onHousekeeping();

  EmulatorControl& control_;
  QTimer frameTimer_;
  QTimer housekeepingTimer_;
  QElapsedTimer statisticsClock_;
  int period_ = 16;
  bool minimised_ = false;
  bool heldBack_ = false;
  bool secondTick_ = false;
  int secondFrames_ = 0;
  qint64 secondNanos_ = 0;
  long long framesRun_ = 0;
  std::function<bool()> busy_;
  std::function<void()> beforeFrame_;
};

}  // namespace tarvolin::shell
