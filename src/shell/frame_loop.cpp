#include "shell/frame_loop.h"

#include "workbench/emulator_control.h"

namespace tarvolin::shell {

int framePeriodMs(int rate) { return rate >= 5 && rate <= 100 ? 1000 / rate : 16; }

FrameLoop::FrameLoop(EmulatorControl& control, QObject* parent)
    : QObject(parent), control_(control) {
  frameTimer_.setTimerType(Qt::PreciseTimer);
  frameTimer_.setInterval(period_);
  connect(&frameTimer_, &QTimer::timeout, this, &FrameLoop::onFrame);
  housekeepingTimer_.setTimerType(Qt::CoarseTimer);
  housekeepingTimer_.setInterval(kHousekeepingMs);
  connect(&housekeepingTimer_, &QTimer::timeout, this, &FrameLoop::onHousekeeping);
  housekeepingTimer_.start();
}

void FrameLoop::setDisplayRate(int rate) {
  period_ = framePeriodMs(rate);
  frameTimer_.setInterval(period_);
}

void FrameLoop::setMinimised(bool minimised) {
  minimised_ = minimised;
  if (minimised_)
    housekeepingTimer_.stop();
  else if (!housekeepingTimer_.isActive())
    housekeepingTimer_.start();
  update();
}

void FrameLoop::setHeldBack(bool heldBack) {
  heldBack_ = heldBack;
  update();
}

void FrameLoop::update() {
  const bool want = control_.wantsFrames() && !minimised_ && !heldBack_;
  if (want && !frameTimer_.isActive()) {
    secondFrames_ = 0;
    secondNanos_ = 0;
    statisticsClock_.start();
    frameTimer_.start();
  } else if (!want && frameTimer_.isActive()) {
    frameTimer_.stop();
  }
}

void FrameLoop::onFrame() {
  if (busy_ && busy_()) return;
  if (!control_.wantsFrames() || minimised_ || heldBack_) {
    update();
    return;
  }
  QElapsedTimer watch;
  watch.start();
  if (beforeFrame_) beforeFrame_();
  control_.Tick();
  secondNanos_ += watch.nsecsElapsed();
  ++secondFrames_;
  ++framesRun_;
  if (statisticsClock_.elapsed() >= kStatisticsMs) {
    emit statistics(secondFrames_, static_cast<int>(secondNanos_ / 1000000));
    statisticsClock_.start();
    secondFrames_ = 0;
    secondNanos_ = 0;
  }
  // The frame may have stopped the game (breakpoint, error).
  if (!control_.wantsFrames()) update();
}

void FrameLoop::onHousekeeping() {
  if (busy_ && busy_()) return;
  secondTick_ = !secondTick_;
  emit housekeeping(secondTick_);
  update();
}

}  // namespace tarvolin::shell
