// A monkey over the whole studio with the sample project open: random
// commands of the menus and toolbars, key presses into the windows and
// clicks on them, with frames running in between. Dialogs are answered at
// random or closed as soon as they show. A fixed seed makes a failure
// repeatable; the number of steps and a time limit bound the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <random>

#include "gui/shell/studio_rig.h"

namespace tarvolin::test {

namespace {

constexpr int kSteps = 20000;
constexpr qint64 kTimeLimitMs = 150000;

// The sample project copied into the test's folder, so nothing the monkey
// saves touches the source tree.
std::string copySample(const TempDir& dir) {
  namespace fs = std::filesystem;
  fs::copy(fs::path(TARVOLIN_EXAMPLES_DIR) / "demo", fs::path(dir.path()) / "demo",
           fs::copy_options::recursive);
  return dir.file("demo/demo.tvp");
}

const Qt::Key kKeys[] = {Qt::Key_F1,  Qt::Key_F2,     Qt::Key_F5,    Qt::Key_F6,    Qt::Key_F7,
                         Qt::Key_F8,  Qt::Key_F9,     Qt::Key_F10,   Qt::Key_F11,   Qt::Key_A,
                         Qt::Key_S,   Qt::Key_O,      Qt::Key_P,     Qt::Key_Space, Qt::Key_Return,
                         Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Left,  Qt::Key_Up,    Qt::Key_Down,
                         Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Delete, Qt::Key_Backspace,
                         Qt::Key_0,   Qt::Key_3,      Qt::Key_Semicolon, Qt::Key_BracketLeft,
                         Qt::Key_BracketRight, Qt::Key_Z, Qt::Key_V, Qt::Key_G, Qt::Key_J};
const Qt::KeyboardModifiers kMods[] = {Qt::NoModifier, Qt::ControlModifier, Qt::ShiftModifier,
                                       Qt::AltModifier, Qt::ControlModifier | Qt::ShiftModifier,
                                       Qt::ControlModifier | Qt::AltModifier};

}  // namespace

TEST(StudioMonkey, RandomCommandsKeysAndClicksNeverBreakTheStudio) {
  StudioRig rig;
  const std::string project = copySample(rig.dir);
  std::mt19937 random(20261209);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  rig.start({QString::fromStdString("-P\"" + project + "\""), "-S\"main.txt\""});
  ASSERT_TRUE(rig.bench().project().isOpen());
  shell::TarvolinMainWindow& w = rig.window();

  // Questions get random answers; files are the project, a file in the
  // test's folder, or a cancel.
  const MessageAnswer answers[] = {MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Yes,
                                   MessageAnswer::No};
  rig.studio->host().setAnswerer([&](const QString&, const QString&) -> std::optional<MessageAnswer> {
    return answers[pick(4)];
  });
  rig.studio->host().setFileAnswerer([&](const QString&, const QString&, bool) {
    switch (pick(3)) {
      case 0: return QString::fromStdString(project);
      case 1: return QString::fromStdString(rig.dir.file("monkey.sav"));
      default: return QString();
    }
  });
  // Dialogs and menus that open anyway are closed at once.
  QTimer closer;
  closer.setInterval(2);
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      else
        modal->close();
    }
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  closer.start();

  std::vector<QAction*> actions;
  for (int c = 0; c < static_cast<int>(shell::Command::Count); ++c)
    if (c != static_cast<int>(shell::Command::Exit)) actions.push_back(w.action(static_cast<shell::Command>(c)));

  QElapsedTimer clock;
  clock.start();
  int steps = 0;
  for (; steps < kSteps && clock.elapsed() < kTimeLimitMs; ++steps) {
    switch (pick(10)) {
      case 0:
      case 1:
      case 2: {  // a command, enabled or not
        QAction* a = actions[static_cast<std::size_t>(pick(static_cast<int>(actions.size())))];
        if (a->isEnabled()) a->trigger();
        break;
      }
      case 3:
      case 4:
      case 5: {  // a key into whatever has the focus, or into the emulator
        QWidget* target = pick(3) == 0 ? static_cast<QWidget*>(w.emulator())
                                       : (QApplication::focusWidget() ? QApplication::focusWidget()
                                                                      : static_cast<QWidget*>(&w));
        if (target->isVisible())
          QTest::keyClick(target, kKeys[pick(std::size(kKeys))], kMods[pick(std::size(kMods))]);
        break;
      }
      case 6: {  // a click somewhere in the main window or the emulator
        QWidget* window = pick(4) == 0 ? static_cast<QWidget*>(w.emulator()) : static_cast<QWidget*>(&w);
        if (!window->isVisible() || window->width() <= 0 || window->height() <= 0) break;
        const QPoint at(pick(window->width()), pick(window->height()));
        QWidget* child = window->childAt(at);
        QWidget* target = child ? child : window;
        const Qt::MouseButton button = pick(5) == 0 ? Qt::RightButton : Qt::LeftButton;
        if (pick(6) == 0)
          QTest::mouseDClick(target, button, Qt::NoModifier, target->mapFrom(window, at));
        else
          QTest::mouseClick(target, button, Qt::NoModifier, target->mapFrom(window, at));
        break;
      }
      case 7:  // frames as the loop runs them
        for (int f = 0; f < 3 && rig.control().wantsFrames(); ++f) rig.control().Tick();
        break;
      default:
        QApplication::processEvents();
        break;
    }
    // The window may have been asked to quit; the monkey keeps it open.
    if (!w.isVisible()) w.show();
  }
  closer.stop();
  EXPECT_GE(steps, 1000);
  std::printf("monkey: %d steps in %lld ms\n", steps, static_cast<long long>(clock.elapsed()));
  // Still a working studio: the game runs a frame.
  rig.control().Stop();
  rig.control().Run(false);
  rig.control().Tick();
  rig.answers = {MessageAnswer::No, MessageAnswer::No, MessageAnswer::No, MessageAnswer::No};
  rig.studio->host().setAnswerer([](const QString&, const QString&) -> std::optional<MessageAnswer> {
    return MessageAnswer::No;
  });
}

}  // namespace tarvolin::test
