// Start-up and shutdown of the whole studio: the settings file, the command
// line, the title, and the questions on quitting.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QToolBar>

#include "gui/shell/studio_rig.h"
#include "help/help_window.h"
#include "project/program_settings.h"

namespace tarvolin::test {

namespace {

int keyCount(const std::string& text) {
  int keys = 0;
  std::size_t at = 0;
  while ((at = text.find("\n#", at)) != std::string::npos) ++keys, ++at;
  return keys;
}

}  // namespace

TEST(StudioStartup, MissingSettingsStartWithDefaultsAndAreWrittenWhole) {
  StudioRig rig;
  shell::Studio& studio = rig.start();
  const project::ProgramSettings defaults = project::defaultProgramSettings();
  EXPECT_EQ(studio.bench().programSettings().controlButtonA, defaults.controlButtonA);
  EXPECT_EQ(rig.window().loop().periodMs(), 16);
  EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Sin proyecto]");
  // The audio's start-up progress has ended: no window is left to come up
  // over the studio, and the frames are not held back.
  EXPECT_FALSE(studio.host().busy());
  // The notes start hidden, the browser shown, as the defaults say.
  EXPECT_TRUE(rig.window().notesDock()->isHidden());
  EXPECT_FALSE(rig.window().browserDock()->isHidden());
  ASSERT_TRUE(rig.quit());
  const std::string written = TempDir::read(rig.settingsPath());
  EXPECT_EQ(keyCount(written), 91);
  EXPECT_NE(written.find("#DISPLAY_RATE\n60\n"), std::string::npos);
  EXPECT_NE(written.find("#WINDOW_LOG_MINIMISE\nTRUE\n"), std::string::npos);
  EXPECT_NE(written.find("#KEYMAP_SEMICOLON\n186\n"), std::string::npos);
}

TEST(StudioStartup, SettingsFileWithOnlyTheRateStartsAtThatRate) {
  StudioRig rig;
  rig.dir.write("config/Settings.txt", "#DISPLAY_RATE\n30\n\n");
  shell::Studio& studio = rig.start();
  EXPECT_EQ(rig.window().loop().periodMs(), 33);
  const project::ProgramSettings& s = studio.bench().programSettings();
  const project::ProgramSettings defaults = project::defaultProgramSettings();
  EXPECT_EQ(s.displayRate, 30);
  EXPECT_EQ(s.controlStart, defaults.controlStart);
  EXPECT_EQ(s.editorColDefaultKeyword, defaults.editorColDefaultKeyword);
  EXPECT_EQ(s.tipsShowStartup, defaults.tipsShowStartup);
  ASSERT_TRUE(rig.quit());
  const std::string written = TempDir::read(rig.settingsPath());
  EXPECT_EQ(keyCount(written), 91);
  EXPECT_NE(written.find("#DISPLAY_RATE\n30\n"), std::string::npos);
}

TEST(StudioStartup, WithoutSoundDeviceItSaysSoAndGamesStillRun) {
  StudioRig rig;
  rig.soundDevice = false;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\"")});
  EXPECT_TRUE(rig.boxes.contains(
      QString::fromUtf8("¡Fallo al inicializar el motor de audio! No habrá ni música ni sonido disponible.")));
  // No progress window is left over the studio, holding up the frames.
  EXPECT_FALSE(rig.studio->host().busy());
  rig.trigger(shell::Command::Run);
  ASSERT_TRUE(rig.control().running());
  const std::int32_t before = rig.global(1);
  EXPECT_TRUE(waitFor([&] { return rig.global(1) > before + 2; }));
  rig.trigger(shell::Command::Run);
  ASSERT_TRUE(rig.quit());
}

TEST(StudioStartup, GuideOptionShowsTheGuideAlone) {
  const shell::StudioOptions options = shell::parseStudioArguments({"--guide"});
  EXPECT_TRUE(options.guideOnly);
  EXPECT_TRUE(options.startup.empty());
  EXPECT_FALSE(shell::parseStudioArguments({"juego.tvp"}).guideOnly);
  QWidget* window = shell::showGuideOnly();
  QApplication::setQuitOnLastWindowClosed(false);
  auto* help = qobject_cast<help::HelpWindow*>(window);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_FALSE(help->currentPage().isEmpty());
  EXPECT_TRUE(help->testAttribute(Qt::WA_QuitOnClose));
  // Nothing else of the studio is up.
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_FALSE(w->isVisible() && w != help && w->isWindow() && !w->inherits("QMenu"))
        << w->metaObject()->className();
  delete help;
}

TEST(StudioStartup, FramePeriodFollowsTheRateRule) {
  EXPECT_EQ(shell::framePeriodMs(60), 16);
  EXPECT_EQ(shell::framePeriodMs(4), 16);
  EXPECT_EQ(shell::framePeriodMs(101), 16);
  EXPECT_EQ(shell::framePeriodMs(5), 200);
  EXPECT_EQ(shell::framePeriodMs(100), 10);
  EXPECT_EQ(shell::framePeriodMs(-30), 16);
}

TEST(StudioStartup, CommandLineOpensProjectsAndScripts) {
  // -P with a name without extension opens the ".tvp"; -S opens a script.
  {
    StudioRig rig;
    const std::string tvp = rig.writeGame();
    const std::string bare = tvp.substr(0, tvp.size() - 4);
    rig.start({QString::fromStdString("-P\"" + bare + "\""), "-S\"other.txt\""});
    EXPECT_TRUE(rig.bench().project().isOpen());
    EXPECT_EQ(rig.bench().project().filePath(), tvp);
    EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
    EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Guión: other.txt]");
    EXPECT_TRUE(rig.boxes.isEmpty()) << rig.boxes.join("|").toStdString();
  }
  // The plain form a file manager passes, and the separate "-P" "file".
  for (const QStringList& args :
       {QStringList{"game.tvp"}, QStringList{"-P", "game.tvp"}, QStringList{"-p\"game\""}}) {
    StudioRig rig;
    rig.writeGame();
    QDir::setCurrent(QString::fromStdString(rig.dir.path()));
    rig.start(args);
    EXPECT_TRUE(rig.bench().project().isOpen()) << args.join(' ').toStdString();
    EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Proyecto: game]");
    rig.finish();
    QDir::setCurrent(QDir::tempPath());
  }
  // A project that does not exist says so and opens nothing.
  StudioRig rig;
  rig.start({QString::fromStdString("-P\"" + rig.dir.file("nothing") + "\"")});
  EXPECT_FALSE(rig.bench().project().isOpen());
  EXPECT_EQ(rig.boxes, QStringList{"El proyecto no existe"});
}

TEST(StudioStartup, CancelOnEitherSaveQuestionKeepsEverythingOpen) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
  ASSERT_EQ(rig.editor().activeScriptName(), "main.txt");
  rig.editor().insertText("; cambio\n");
  ASSERT_TRUE(rig.editor().activeModified());
  rig.bench().project().setModified(true);
  rig.window().refreshState();
  EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Guión: main.txt *] (proyecto modificado)");

  // Cancel on the script's question.
  rig.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(rig.quit());
  EXPECT_EQ(rig.boxes.last(), "Guardar cambios a main.txt");
  EXPECT_TRUE(rig.window().isVisible());
  EXPECT_TRUE(rig.editor().activeModified());

  // No to the script, Cancel on the project's question.
  rig.answers = {MessageAnswer::No, MessageAnswer::Cancel};
  EXPECT_FALSE(rig.quit());
  EXPECT_EQ(rig.boxes.last(), "¿Guardar proyecto antes de salir?");
  EXPECT_TRUE(rig.window().isVisible());
  EXPECT_TRUE(rig.bench().project().isOpen());
  EXPECT_TRUE(rig.editor().activeModified());

  // No and No: the program quits and nothing was saved.
  rig.answers = {MessageAnswer::No, MessageAnswer::No};
  EXPECT_TRUE(rig.quit());
  EXPECT_EQ(TempDir::read(rig.dir.file("game/Script/main.txt")), kGameMain);
}

TEST(StudioStartup, ToolbarGroupsFollowTheirSettings) {
  StudioRig rig;
  rig.dir.write("config/Settings.txt", "#TOOLBAR_EDIT_ONEPRESS_ENABLED\nFALSE\n\n");
  rig.start();
  shell::TarvolinMainWindow& w = rig.window();
  EXPECT_TRUE(w.toolbar(shell::ToolbarGroup::Main)->isVisible());
  EXPECT_FALSE(w.toolbar(shell::ToolbarGroup::Variables)->isVisible());
  // Groups whose windows come later have no buttons and no entry yet.
  EXPECT_FALSE(w.toolbar(shell::ToolbarGroup::Assets)->isVisible());
  EXPECT_FALSE(w.action(shell::Command::ToolbarAssets)->isVisible());
  // Every button of every group has an icon and a tool-tip.
  for (int g = 0; g < static_cast<int>(shell::ToolbarGroup::Count); ++g)
    for (QAction* a : w.toolbar(static_cast<shell::ToolbarGroup>(g))->actions()) {
      EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
      EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
    }
  w.action(shell::Command::ToolbarVariables)->trigger();
  EXPECT_TRUE(w.toolbar(shell::ToolbarGroup::Variables)->isVisible());
  EXPECT_TRUE(rig.bench().programSettings().toolbarEditOnepressEnabled);
  w.action(shell::Command::ToolbarMain)->trigger();
  EXPECT_FALSE(w.toolbar(shell::ToolbarGroup::Main)->isVisible());
  // The three show/hide buttons stay pressed while their window shows.
  w.action(shell::Command::ShowNotes)->trigger();
  EXPECT_TRUE(w.action(shell::Command::ShowNotes)->isChecked());
  EXPECT_FALSE(w.notesDock()->isHidden());
  EXPECT_TRUE(w.action(shell::Command::ShowEmulator)->isChecked());
  w.action(shell::Command::ShowEmulator)->trigger();
  EXPECT_FALSE(w.emulator()->isVisible());
  EXPECT_FALSE(w.action(shell::Command::ShowEmulator)->isChecked());
}

}  // namespace tarvolin::test
