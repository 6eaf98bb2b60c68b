#include "shell/emulator_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QWindow>

#include "machine/machine_state.h"
#include "platform/keys.h"
#include "shell/game_keys.h"
#include "shell/key_table.h"
#include "workbench/emulator_control.h"

namespace tarvolin::shell {
namespace {

constexpr int kWidth = machine::kScreenWidth;
constexpr int kHeight = machine::kScreenHeight;
constexpr int kScrollStep = 5;
constexpr int kScrollGap = 60;  // pixels between the end of the line and its next start
const QColor kStatusColour(0x1c, 0x24, 0x3c);
const QColor kBarColour(0x10, 0x16, 0x28);

QString profileText(int profile, int peak) {
  return QString::asprintf("Profile: %03d%%   Peak: %03d%%", profile, peak);
}

}  // namespace

EmulatorWindow::EmulatorWindow(EmulatorControl& control, machine::MachineState& machine,
                               GameKeys& keys, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMinMaxButtonsHint),
      control_(control),
      machine_(machine),
      keys_(keys) {
  setObjectName("emulator");
  setWindowTitle(QString::fromUtf8(kEmulatorCaption.data(), kEmulatorCaption.size()));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(kWidth / 4, kHeight / 4 + statusLineHeight());
  setScale(1);
}

int EmulatorWindow::statusLineHeight() const { return fontMetrics().height() + 4; }

QRect EmulatorWindow::pictureRect() const {
  return QRect(0, 0, width(), std::max(0, height() - statusLineHeight()));
}

void EmulatorWindow::setScale(int scale) {
  scale = std::clamp(scale, 1, 3);
  resize(kWidth * scale, kHeight * scale + statusLineHeight());
}

QImage EmulatorWindow::picture() const {
  // The machine's picture as it is, without a copy.
  return QImage(machine_.picture.data(), kWidth, kHeight, kWidth * 3, QImage::Format_BGR888);
}

QString EmulatorWindow::scrollText() const {
  QString text = QString::fromStdString(control_.detail());
  if (text.isEmpty()) {
    const std::string_view status = control_.statusText();
    text = status.empty() ? QStringLiteral("Sin proyecto")
                          : QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size()));
  }
  return text + QStringLiteral("   ·   F5 ejecuta o detiene, Ctrl-Espacio pausa, Ctrl-O un cuadro, "
                               "Esc vuelve al editor, Impr-Pant saca una foto");
}

void EmulatorWindow::advanceScroll() {
  const int span = fontMetrics().horizontalAdvance(scrollText()) + kScrollGap;
  scroll_ = (scroll_ + kScrollStep) % std::max(1, span);
  update(0, pictureRect().height(), width(), statusLineHeight());
}

void EmulatorWindow::refreshState() {
  const QString title = QString::fromStdString(control_.Title());
  if (title != title_) {
    title_ = title;
    setWindowTitle(title_);
  }
  update(0, pictureRect().height(), width(), statusLineHeight());
}

void EmulatorWindow::showFrame() {
  if (isVisible()) repaint(pictureRect());
}

void EmulatorWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = pictureRect();
  if (event->rect().intersects(area)) {
    const QImage image = picture();
    if (area.size() == image.size())
      painter.drawImage(area.topLeft(), image);
    else
      painter.drawImage(area, image);  // replicated at x2, x3; stretched otherwise
  }
  paintStatus(painter, QRect(0, area.height(), width(), height() - area.height()));
}

void EmulatorWindow::paintStatus(QPainter& painter, const QRect& area) {
  painter.fillRect(area, kStatusColour);
  painter.setPen(Qt::white);
  painter.drawLine(area.left(), area.top(), area.right(), area.top());
  const QFontMetrics metrics = fontMetrics();
  const int baseline = area.top() + 2 + metrics.ascent();
  const QString profile = profileText(control_.profile(), control_.peak());
  painter.drawText(4, baseline, profile);

  // The bar from the end of that text to the right edge: the frame cost
  // against a whole GBA frame, the peak as a tick; the scrolling line runs
  // over it.
  const int left = 4 + metrics.horizontalAdvance(profile) + 8;
  const QRect bar(left, area.top() + 3, std::max(0, area.right() - 3 - left), area.height() - 5);
  if (bar.width() <= 0) return;
  painter.fillRect(bar, kBarColour);
  const int filled = bar.width() * std::min(control_.profile(), 100) / 100;
  const QColor level = control_.profile() > 100 ? QColor(0xd0, 0x40, 0x30)
                       : control_.profile() > 80 ? QColor(0xc8, 0x90, 0x20)
                                                 : QColor(0x30, 0x80, 0x48);
  painter.fillRect(QRect(bar.left(), bar.top(), filled, bar.height()), level);
  if (control_.peak() > 0) {
    const int x = bar.left() + bar.width() * std::min(control_.peak(), 100) / 100;
    painter.fillRect(QRect(std::min(x, bar.right() - 1), bar.top(), 2, bar.height()), Qt::white);
  }
  painter.save();
  painter.setClipRect(bar);
  const QString text = scrollText();
  const int span = metrics.horizontalAdvance(text) + kScrollGap;
  for (int x = bar.left() + 4 - scroll_; x < bar.right(); x += span) painter.drawText(x, baseline, text);
  painter.restore();
}

void EmulatorWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (event->isAutoRepeat()) return;
  // Escape and Print Screen act at once, also while no frame runs to look
  // at the keys, and once per press.
  if (event->key() == Qt::Key_Escape) {
    activateMainWindow();
    return;
  }
  if (event->key() == Qt::Key_Print) {
    takeScreenshot();
    return;
  }
  keys_.press(virtualKeyOf(*event));
}

void EmulatorWindow::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) keys_.release(virtualKeyOf(*event));
  event->accept();
}

void EmulatorWindow::focusOutEvent(QFocusEvent* event) {
  keys_.releaseAll();
  QWidget::focusOutEvent(event);
}

void EmulatorWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) keys_.releaseAll();
  QWidget::changeEvent(event);
}

namespace {

int mouseKey(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return platform::kKeyMouseLeft;
    case Qt::RightButton: return platform::kKeyMouseRight;
    case Qt::MiddleButton: return platform::kKeyMouseMiddle;
    default: return 0;
  }
}

}  // namespace

void EmulatorWindow::mousePressEvent(QMouseEvent* event) {
  keys_.press(mouseKey(event->button()));
  QWidget::mousePressEvent(event);
}

void EmulatorWindow::mouseReleaseEvent(QMouseEvent* event) {
  keys_.release(mouseKey(event->button()));
  QWidget::mouseReleaseEvent(event);
}

void EmulatorWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  for (int scale = 1; scale <= 3; ++scale)
    menu.addAction(QStringLiteral("Ventana x%1").arg(scale), this, [this, scale] { setScale(scale); });
  menu.addSeparator();
  const bool project = control_.HasProject();
  menu.addAction(QStringLiteral("Preprocesar (^P)"), this, &EmulatorWindow::preprocessRequested)
      ->setEnabled(project);
  menu.addAction(control_.running() ? QStringLiteral("Detener (F5)") : QStringLiteral("Ejecutar (F5)"),
                 this, &EmulatorWindow::runRequested)
      ->setEnabled(project);
  menu.addAction(QStringLiteral("Ejecutar sin preprocesar (Control-F5)"), this,
                 &EmulatorWindow::runWithoutPreprocessRequested)
      ->setEnabled(project);
  menu.addAction(QStringLiteral("Ejecutar Paso (^O)"), this, &EmulatorWindow::stepRequested)
      ->setEnabled(project);
  menu.addSeparator();
  menu.addAction(QStringLiteral("Sacar Foto (Impr-Pant)"), this, &EmulatorWindow::screenshotRequested);
  menu.exec(event->globalPos());
}

void EmulatorWindow::closeEvent(QCloseEvent* event) {
  // Closing the emulator ends the program, through its save questions.
  event->ignore();
  emit quitRequested();
}

void EmulatorWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible() && !isMinimized()) emit moved(pos());
}

bool EmulatorWindow::isActive() const { return isVisible() && isActiveWindow(); }

bool EmulatorWindow::isUnderCursor() const {
  return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

void EmulatorWindow::clientSize(int& width, int& height) const {
  const QRect area = pictureRect();
  width = area.width();
  height = area.height();
}

void EmulatorWindow::cursorPosition(int& x, int& y) const {
  const QPoint p = mapFromGlobal(QCursor::pos());
  x = p.x();
  y = p.y();
}

void EmulatorWindow::activateMainWindow() {
  if (QWidget* main = parentWidget()) {
    main->raise();
    // Asked of the window itself: the owner of the focused tool window
    // counts as active already, so activateWindow() would do nothing.
    if (QWindow* handle = main->windowHandle()) handle->requestActivate();
  }
}

void EmulatorWindow::takeScreenshot() { emit screenshotRequested(); }

}  // namespace tarvolin::shell
