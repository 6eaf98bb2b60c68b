// The emulator window "[Emulador]": the machine's 240x160 picture at x1, x2
// or x3 with pixel replication (stretched for any other size), a status line
// with the profile and peak of the frame cost and a scrolling line, the run
// state in the title, the context menu, and the game's keys and mouse.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "platform/input.h"

namespace tarvolin { class EmulatorControl; }
namespace tarvolin::machine { class MachineState; }

namespace tarvolin::shell {

class GameKeys;

class EmulatorWindow : public QWidget, public platform::EmulatorView {
  Q_OBJECT

 public:
  EmulatorWindow(EmulatorControl& control, machine::MachineState& machine, GameKeys& keys,
                 QWidget* owner);

  // Resizes the window so its picture area is 240 x scale by 160 x scale.
  void setScale(int scale);
  // The area the picture is drawn into: the client area less the status line.
  QRect pictureRect() const;
  int statusLineHeight() const;
  // The picture as shown (tests, screenshots of the window).
  QImage picture() const;
  // Moves the scrolling line on (every 200 ms).
  void advanceScroll();
  int scrollOffset() const { return scroll_; }
  QString scrollText() const;
  // Title and status line from the run state.
  void refreshState();
  // Draws the picture now (after a frame).
  void showFrame();

  // platform::EmulatorView
  bool exists() const override { return true; }
  bool isActive() const override;
  bool isUnderCursor() const override;
  void clientSize(int& width, int& height) const override;
  void cursorPosition(int& x, int& y) const override;
  void activateMainWindow() override;
  void takeScreenshot() override;

 signals:
  void preprocessRequested();
  void runRequested();
  void runWithoutPreprocessRequested();
  void stepRequested();
  void screenshotRequested();
  // Closing the window asks the program to quit.
  void quitRequested();
  void moved(const QPoint& position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void paintStatus(QPainter& painter, const QRect& area);

  EmulatorControl& control_;
  machine::MachineState& machine_;
  GameKeys& keys_;
  int scroll_ = 0;
  QString title_;
};

}  // namespace tarvolin::shell
