// The emulator window and the run commands as a person uses them: keys of
// the menus, the editor's breakpoints, the picture's sizes, screenshots and
// save games.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include "gui/shell/studio_rig.h"

namespace tarvolin::test {

namespace {

// A studio with the game open (and main.txt in the editor when asked).
void openGame(StudioRig& rig, bool withScript = false) {
  const std::string tvp = rig.writeGame();
  QStringList args{QString::fromStdString("-P\"" + tvp + "\"")};
  if (withScript) args << "-S\"main.txt\"";
  rig.start(args);
  ASSERT_TRUE(rig.bench().project().isOpen());
}

// Chooses an entry of the context menu that the next event loop shows,
// looking again until the menu is up (it may come late on a loaded machine).
void chooseFromNextMenu(const QString& text, int triesLeft = 500) {
  QTimer::singleShot(triesLeft == 500 ? 0 : 10, [text, triesLeft] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      if (triesLeft > 0) chooseFromNextMenu(text, triesLeft - 1);
      return;
    }
    for (QAction* a : menu->actions())
      if (a->text() == text) a->trigger();
    menu->close();
  });
}

}  // namespace

TEST(StudioEmulator, F5TwiceStartsAndStopsThenCtrlSpaceResumes) {
  StudioRig rig;
  openGame(rig);
  shell::TarvolinMainWindow& w = rig.window();
  QTest::keyClick(&w, Qt::Key_F5);
  EXPECT_TRUE(rig.control().running());
  EXPECT_TRUE(w.loop().framesRunning());
  EXPECT_TRUE(w.emulator()->isVisible());
  rig.frames(3);
  EXPECT_EQ(rig.global(0), 1);
  EXPECT_EQ(rig.global(1), 2);
  QTest::keyClick(&w, Qt::Key_F5);
  EXPECT_FALSE(rig.control().running());
  EXPECT_FALSE(w.loop().framesRunning());
  EXPECT_EQ(w.emulator()->windowTitle(), "[Emulador] <Inactivo>");
  QTest::keyClick(&w, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_TRUE(rig.control().running());
  rig.frames(2);
  EXPECT_EQ(rig.global(0), 1);  // Initialise did not run again
  EXPECT_EQ(rig.global(1), 4);
  // The keys work from the emulator window too.
  QTest::keyClick(w.emulator(), Qt::Key_F5);
  EXPECT_FALSE(rig.control().running());
}

TEST(StudioEmulator, CtrlOStepsOneFrameWithItsThreeOutcomes) {
  StudioRig rig;
  openGame(rig, true);
  shell::TarvolinMainWindow& w = rig.window();
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);  // Initialise
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(rig.noted("Ejecución simple, tick : 1"));
  EXPECT_EQ(rig.control().statusText(), "<Inactivo>");
  EXPECT_FALSE(rig.control().running());

  rig.bench().scripts().documents().at(0).setBreakpoint(1, true);  // G_VAR01 += 1
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(rig.control().statusText(), "<Interrupción>");
  EXPECT_EQ(rig.control().detail(), "<Interrupción>, línea 2");
  ASSERT_NE(rig.editor().activeEditor(), nullptr);
  EXPECT_EQ(rig.editor().activeEditor()->executionLine(), 1);
  rig.bench().scripts().documents().at(0).setBreakpoint(1, false);
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);  // releases the break
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);  // ends the frame

  rig.setGlobal(4, 1);
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(rig.control().statusText(), "<Bucle>");
  EXPECT_EQ(rig.control().detail(),
            "<Ejecución simple: Bucle infinito probablemente cerca de la línea 8>");
}

TEST(StudioEmulator, BreakpointSetWithF9StopsTheGameAndMarksTheLine) {
  StudioRig rig;
  openGame(rig, true);
  shell::TarvolinMainWindow& w = rig.window();
  editor::ScriptEditor* e = rig.editor().activeEditor();
  ASSERT_NE(e, nullptr);
  e->goToLine0(1);
  QTest::keyClick(&w, Qt::Key_F9);
  EXPECT_TRUE(e->hasBreakpoint(1));
  EXPECT_TRUE(rig.bench().scripts().documents().at(e->document()).hasBreakpoint(1));
  QTest::keyClick(&w, Qt::Key_F5);
  rig.frames(5);
  EXPECT_TRUE(rig.control().pausedAtBreak());
  EXPECT_FALSE(w.loop().framesRunning());
  EXPECT_EQ(rig.global(1), 0);
  EXPECT_EQ(e->executionLine(), 1);
  EXPECT_EQ(w.emulator()->windowTitle().left(26), "[Emulador] <Interrupción> ");
  // F9 again clears it; F5 goes on from the line.
  QTest::keyClick(&w, Qt::Key_F9);
  QTest::keyClick(&w, Qt::Key_F5);
  EXPECT_EQ(e->executionLine(), -1);
  rig.frames(1);
  EXPECT_EQ(rig.global(1), 1);
}

TEST(StudioEmulator, LineStepsFollowTheRunAcrossScripts) {
  StudioRig rig;
  rig.dir.write("game/Script/main.txt",
                "ExternFunction \"other\" Twice\n"  // 0
                "G_VAR01 += 1\n"                      // 1
                "Call Twice\n"                        // 2
                "G_VAR02 += 1\n"                      // 3
                "Return\n"                            // 4
                "Function Initialise 0\n"
                "Return\n");
  rig.dir.write("game/Script/other.txt",
                "Function Twice 0\n"  // 0
                "  G_VAR05 += 1\n"    // 1
                "  G_VAR05 += 1\n"    // 2
                "Return\n");
  const std::string tvp = rig.dir.write("game.tvp", "");
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
  shell::TarvolinMainWindow& w = rig.window();
  editor::ScriptEditor* main = rig.editor().activeEditor();
  ASSERT_NE(main, nullptr);
  main->goToLine0(1);
  QTest::keyClick(&w, Qt::Key_F9);
  QTest::keyClick(&w, Qt::Key_F5);
  rig.frames(5);
  ASSERT_TRUE(rig.control().pausedAtBreak());
  EXPECT_EQ(main->executionLine(), 1);

  // F10: the next line of the same script.
  QTest::keyClick(&w, Qt::Key_F10);
  rig.frames(3);
  EXPECT_EQ(main->executionLine(), 2);
  EXPECT_EQ(rig.global(1), 1);
  // F11: into the called function, in its own script.
  QTest::keyClick(&w, Qt::Key_F11);
  rig.frames(3);
  EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
  ASSERT_NE(rig.editor().activeEditor(), nullptr);
  EXPECT_LE(rig.editor().activeEditor()->executionLine(), 1);
  EXPECT_EQ(rig.global(5), 0);
  // Shift+F11: the rest of the function, back in the caller.
  QTest::keyClick(&w, Qt::Key_F11, Qt::ShiftModifier);
  rig.frames(3);
  EXPECT_EQ(rig.global(5), 2);
  EXPECT_EQ(rig.editor().activeScriptName(), "main.txt");
  EXPECT_GE(main->executionLine(), 2);
  EXPECT_EQ(rig.global(2), 0);
  // Ctrl+F10: on to the line of the cursor, in the next frame (the
  // breakpoint cleared first).
  main->goToLine0(1);
  QTest::keyClick(&w, Qt::Key_F9);
  ASSERT_FALSE(main->hasBreakpoint(1));
  main->goToLine0(1);
  QTest::keyClick(&w, Qt::Key_F10, Qt::ControlModifier);
  rig.frames(5);
  EXPECT_EQ(main->executionLine(), 1);
  EXPECT_EQ(rig.global(2), 1);
  EXPECT_EQ(rig.global(1), 1);
}

TEST(StudioEmulator, RunTimeErrorInACalledFunctionMarksItsLine) {
  StudioRig rig;
  openGame(rig, true);
  shell::TarvolinMainWindow& w = rig.window();
  QTest::keyClick(&w, Qt::Key_F5);
  rig.frames(1);
  rig.setGlobal(3, 1);
  rig.frames(1);
  EXPECT_FALSE(rig.control().running());
  EXPECT_EQ(rig.control().statusText(), "<Error>");
  EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
  ASSERT_NE(rig.editor().activeEditor(), nullptr);
  EXPECT_EQ(rig.editor().activeEditor()->executionLine(), 2);
  EXPECT_FALSE(w.notesDock()->isHidden());
  EXPECT_TRUE(rig.noted("ERROR: <No existe tal parámetro>"));
}

TEST(StudioEmulator, PictureIsReplicatedAtScalesAndStretchedOtherwise) {
  StudioRig rig;
  openGame(rig);
  shell::EmulatorWindow* emu = rig.window().emulator();
  // Let the idle redraw of the opened game happen first: the housekeeping
  // tick would otherwise draw the machine over the picture made here
  // whenever it comes late (a slow build, a loaded machine). Nothing changes
  // the machine after it while no game runs.
  QSignalSpy ticks(&rig.window().loop(), &shell::FrameLoop::housekeeping);
  ASSERT_TRUE(waitFor([&ticks] { return ticks.count() >= 2; }));
  // A picture with a one-pixel checker in its top-left corner.
  machine::MachineState& m = rig.bench().machine();
  std::fill(m.picture.begin(), m.picture.end(), 0);
  auto set = [&m](int x, int y) {
    std::uint8_t* p = &m.picture[std::size_t((y * 240 + x) * 3)];
    p[0] = p[1] = p[2] = 255;
  };
  set(0, 0);
  set(239, 159);
  EXPECT_EQ(emu->pictureRect().size(), QSize(240, 160));
  emu->resize(500, 300 + emu->statusLineHeight());
  EXPECT_EQ(emu->pictureRect().size(), QSize(500, 300));
  QImage shown = emu->grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), Qt::white);
  EXPECT_EQ(shown.pixelColor(499, 299), Qt::white);
  EXPECT_NE(shown.pixelColor(250, 150), Qt::white);

  chooseFromNextMenu("Ventana x2");
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), emu->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(emu, &event);
  EXPECT_EQ(emu->pictureRect().size(), QSize(480, 320));
  shown = emu->grab().toImage();
  EXPECT_EQ(shown.pixelColor(1, 1), Qt::white);   // pixel (0, 0) doubled
  EXPECT_NE(shown.pixelColor(2, 0), Qt::white);
  EXPECT_EQ(shown.pixelColor(478, 318), Qt::white);
  EXPECT_NE(shown.pixelColor(477, 317), Qt::white);
  // The status line under it shows the profile.
  EXPECT_EQ(shown.height(), 320 + emu->statusLineHeight());
}

TEST(StudioEmulator, ScreenshotsAndSaveGames) {
  StudioRig rig;
  openGame(rig);
  shell::TarvolinMainWindow& w = rig.window();
  rig.trigger(shell::Command::Screenshot);
  rig.trigger(shell::Command::Screenshot);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(rig.dir.file("dump00001.png"))));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(rig.dir.file("dump00002.png"))));

  std::uint8_t* sram = rig.bench().machine().sram();
  for (int i = 0; i < 0x10000; ++i) sram[i] = std::uint8_t(i ^ (i >> 8));
  const QString save = QString::fromStdString(rig.dir.file("partida.sav"));
  rig.files = {save};
  QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(rig.fileTitles.last(), "Guardar partida");
  EXPECT_EQ(QFileInfo(save).size(), 0x10000);
  std::fill(sram, sram + 0x10000, 0);
  rig.files = {save};
  QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(rig.fileTitles.last(), "Cargar partida");
  EXPECT_EQ(sram[0x1234], std::uint8_t(0x1234 ^ 0x12));
  // A cancelled question changes nothing; a short file is refused.
  sram[5] = 99;
  QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(sram[5], 99);
  rig.dir.write("corta.sav", "abc");
  rig.files = {QString::fromStdString(rig.dir.file("corta.sav"))};
  QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(rig.boxes.last(), "Fallo al leer la partida guardada");
  EXPECT_EQ(sram[5], 99);

  // Without a project a screenshot goes to the folder the studio started
  // in (here the test's own), numbered on from what is there.
  rig.answers = {MessageAnswer::No};
  rig.trigger(shell::Command::CloseProject);
  ASSERT_FALSE(rig.bench().project().isOpen());
  rig.trigger(shell::Command::Screenshot);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(rig.dir.file("dump00003.png"))));
  EXPECT_FALSE(QFile::exists(rig.previousFolder + "/dump00003.png"));
}

TEST(StudioEmulator, HiddenWhileInactiveWhenAsked) {
  StudioRig rig;
  openGame(rig);
  shell::TarvolinMainWindow& w = rig.window();
  EXPECT_TRUE(w.emulator()->isVisible());
  rig.trigger(shell::Command::HideEmulatorInactive);
  EXPECT_TRUE(rig.bench().programSettings().windowEmulatorHideInactive);
  EXPECT_FALSE(w.emulator()->isVisible());
  rig.trigger(shell::Command::Run);
  EXPECT_TRUE(w.emulator()->isVisible());
  rig.trigger(shell::Command::Run);
  EXPECT_FALSE(w.emulator()->isVisible());
}

}  // namespace tarvolin::test
