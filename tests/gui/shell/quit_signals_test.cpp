// SIGTERM, SIGINT and SIGHUP end the studio the way "Salir" does: the save
// questions when something is modified, the settings written at the end.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <csignal>

#include "gui/shell/studio_rig.h"
#include "help/help_window.h"
#include "shell/quit_signals.h"

namespace tarvolin::test {

namespace {

// Counts the signals the studio's watcher took from its pipe.
struct Received {
  explicit Received(shell::Studio& studio) {
    QObject::connect(studio.quitSignals(), &shell::QuitSignals::received,
                     [this](int s) { arrived << s; });
  }
  QList<int> arrived;
};

}  // namespace

TEST(QuitSignals, TermWithNothingModifiedQuitsTheLoopWithZeroAndWritesSettings) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\"")});
  ASSERT_NE(rig.studio->quitSignals(), nullptr);
  ASSERT_TRUE(rig.studio->quitSignals()->active());
  rig.bench().programSettings().displayRate = 30;
  // As the program runs it: the signal ends the application's loop.
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(kPatienceMs);
  const int code = QApplication::exec();
  guard.stop();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(rig.quitConfirmed);
  EXPECT_TRUE(rig.boxes.isEmpty()) << rig.boxes.join("|").toStdString();
  EXPECT_FALSE(rig.window().isVisible());
  rig.finish();
  const std::string written = TempDir::read(rig.settingsPath());
  EXPECT_NE(written.find("#DISPLAY_RATE\n30\n"), std::string::npos);
}

TEST(QuitSignals, ModifiedScriptAsksAndCancelKeepsEverythingOpen) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
  Received received(*rig.studio);
  rig.editor().insertText("; cambio\n");
  ASSERT_TRUE(rig.editor().activeModified());

  rig.answers = {MessageAnswer::Cancel};
  std::raise(SIGTERM);
  ASSERT_TRUE(waitFor([&] { return !rig.boxes.isEmpty(); }));
  EXPECT_EQ(rig.boxes, QStringList{"Guardar cambios a main.txt"});
  EXPECT_FALSE(rig.quitConfirmed);
  EXPECT_TRUE(rig.window().isVisible());
  EXPECT_TRUE(rig.editor().activeModified());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(rig.settingsPath())));

  // A second signal while the question is open leaves it up: the answer
  // decides, and no second question comes.
  rig.boxes.clear();
  rig.studio->host().setAnswerer([&](const QString&, const QString& text) -> std::optional<MessageAnswer> {
    rig.boxes << text;
    std::raise(SIGINT);
    EXPECT_TRUE(waitFor([&] { return received.arrived.size() == 3; }));
    // The emulator's quit key or the close button meanwhile: the same.
    rig.window().close();
    return MessageAnswer::Cancel;
  });
  std::raise(SIGHUP);
  ASSERT_TRUE(waitFor([&] { return received.arrived.size() == 3; }));
  EXPECT_EQ(received.arrived, (QList<int>{SIGTERM, SIGHUP, SIGINT}));
  EXPECT_EQ(rig.boxes, QStringList{"Guardar cambios a main.txt"});
  EXPECT_FALSE(rig.quitConfirmed);
  EXPECT_TRUE(rig.window().isVisible());
  EXPECT_TRUE(rig.editor().activeModified());
  EXPECT_EQ(TempDir::read(rig.dir.file("game/Script/main.txt")), kGameMain);
}

TEST(QuitSignals, ModifiedProjectAsksItsQuestionAndYesSavesBeforeQuitting) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
  rig.editor().insertText("; cambio\n");
  rig.bench().project().setModified(true);
  rig.answers = {MessageAnswer::No, MessageAnswer::Cancel};
  std::raise(SIGTERM);
  ASSERT_TRUE(waitFor([&] { return rig.boxes.size() == 2; }));
  EXPECT_EQ(rig.boxes.last(), "¿Guardar proyecto antes de salir?");
  EXPECT_FALSE(rig.quitConfirmed);
  EXPECT_TRUE(rig.bench().project().isOpen());

  // Yes to both: the script is saved, then the program quits.
  rig.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
  std::raise(SIGTERM);
  ASSERT_TRUE(waitFor([&] { return rig.quitConfirmed; }));
  const std::string saved = TempDir::read(rig.dir.file("game/Script/main.txt"));
  EXPECT_NE(saved.find("; cambio"), std::string::npos);
  EXPECT_NE(saved.find("Function Initialise 0"), std::string::npos);
  EXPECT_FALSE(rig.bench().project().isModified());
  rig.finish();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(rig.settingsPath())));
}

TEST(QuitSignals, SignalDuringStartUpEndsNoticesKeepsQuestionsAndClosesTheWindowLater) {
  shell::QuitSignals quit;
  ASSERT_TRUE(quit.active());
  QList<int> arrived;
  QObject::connect(&quit, &shell::QuitSignals::received, [&](int s) { arrived << s; });
  // A one-button notice holding start-up up goes.
  QMessageBox notice(QMessageBox::Information, "Tarvolin", "aviso");
  notice.addButton("Aceptar", QMessageBox::AcceptRole);
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  bool timedOut = false;
  QTimer::singleShot(kPatienceMs, &notice, [&] { timedOut = true; notice.done(0); });
  notice.exec();
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(arrived, QList<int>{SIGTERM});
  // A question stays.
  QMessageBox question(QMessageBox::Question, "Tarvolin", "pregunta");
  question.addButton("&Sí", QMessageBox::YesRole);
  question.addButton("&No", QMessageBox::NoRole);
  question.setModal(true);
  question.show();
  std::raise(SIGINT);
  ASSERT_TRUE(waitFor([&] { return arrived.size() == 2; }));
  EXPECT_TRUE(question.isVisible());
  question.hide();
  // The window, once named, closes.
  QWidget window;
  window.show();
  quit.watch(&window);
  EXPECT_TRUE(waitFor([&] { return !window.isVisible(); }));
}

TEST(QuitSignals, GuideAloneClosesOnTerm) {
  QPointer<QWidget> window = shell::showGuideOnly();
  QApplication::setQuitOnLastWindowClosed(false);
  ASSERT_TRUE(window);
  ASSERT_TRUE(window->isVisible());
  std::raise(SIGTERM);
  EXPECT_TRUE(waitFor([&] { return !window || !window->isVisible(); }));
  delete window.data();
  // With the guide gone the watcher went with it: a new one may catch.
  shell::QuitSignals later(nullptr);
  EXPECT_TRUE(later.active());
}

}  // namespace tarvolin::test
