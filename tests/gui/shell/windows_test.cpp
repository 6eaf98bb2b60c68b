// The main window's own windows and texts: the notes and the script browser
// opening places, the title, the project settings window, the help menu,
// and minimising.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "gui/shell/studio_rig.h"
#include "help/help_window.h"
#include "shell/project_settings_dialog.h"
#include "shell/script_browser.h"

namespace tarvolin::test {

namespace {

void openGame(StudioRig& rig) {
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\"")});
  ASSERT_TRUE(rig.bench().project().isOpen());
}

}  // namespace

TEST(StudioWindows, NotesAndBrowserOpenTheirPlaces) {
  StudioRig rig;
  openGame(rig);
  shell::TarvolinMainWindow& w = rig.window();
  // Every core line reaches the notes, before the window too; a tied line
  // opens its script at its line on double-click, an untied one nothing.
  rig.studio->host().outputLine("una nota");
  rig.studio->host().outputLineAt("ERROR: <algo>", "other.txt", 3);
  shell::NotesPane* notes = w.notes();
  ASSERT_GE(notes->count(), 2);
  EXPECT_TRUE(rig.noted("Abriendo nuevo proyecto <" +
                        QString::fromStdString(rig.bench().project().filePath()) + ">"));
  QListWidgetItem* untied = notes->item(notes->count() - 2);
  emit notes->itemDoubleClicked(untied);
  EXPECT_FALSE(rig.editor().hasDocuments());
  emit notes->itemDoubleClicked(notes->item(notes->count() - 1));
  EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
  EXPECT_EQ(rig.editor().currentLine(), 3);
  rig.trigger(shell::Command::ClearNotes);
  EXPECT_EQ(notes->count(), 0);

  // The browser lists the Script folder; a double-click opens the script.
  shell::ScriptBrowser* browser = w.browser();
  EXPECT_EQ(browser->folder().toStdString(), rig.bench().project().scriptFolderPath());
  QFileSystemModel* model = browser->model();
  const QModelIndex root = browser->tree()->rootIndex();
  EXPECT_TRUE(waitFor([&] { return model->rowCount(root) == 2; }));
  for (int row = 0; row < model->rowCount(root); ++row) {
    const QModelIndex index = model->index(row, 0, root);
    if (model->fileName(index) == "main.txt") emit browser->tree()->doubleClicked(index);
  }
  EXPECT_EQ(rig.editor().activeScriptName(), "main.txt");

  // Closing the project empties the browser and the title says so.
  rig.trigger(shell::Command::CloseProject);
  EXPECT_FALSE(rig.bench().project().isOpen());
  EXPECT_TRUE(browser->folder().isEmpty());
  EXPECT_EQ(w.windowTitle(), "Tarvolin - [Sin proyecto]");
  EXPECT_FALSE(w.action(shell::Command::Run)->isEnabled());
  EXPECT_EQ(rig.control().statusText(), "");
}

TEST(StudioWindows, ProjectSettingsWindowTakesItsValues) {
  StudioRig rig;
  openGame(rig);
  project::Project& project = rig.bench().project();
  EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Proyecto: game]");
  {
    // Cancelar keeps everything as it was.
    shell::ProjectSettingsDialog dialog(project, rig.studio->host());
    dialog.findChild<QLineEdit*>("mainScript")->setText("otro.txt");
    dialog.reject();
    EXPECT_EQ(project.settings().mainScript, "main.txt");
    EXPECT_FALSE(project.isModified());
  }
  shell::ProjectSettingsDialog dialog(project, rig.studio->host());
  EXPECT_EQ(dialog.windowTitle(), "Configuración del Proyecto");
  auto* shared = dialog.findChild<QCheckBox*>();
  ASSERT_NE(shared, nullptr);
  // The sharing fields follow their check boxes.
  QCheckBox* share = nullptr;
  QCheckBox* override = nullptr;
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
    if (box->text() == "Compartir") share = box;
    if (box->text() == "Sustituir configuración por defecto") override = box;
  }
  ASSERT_TRUE(share && override);
  QPushButton* exclusions = nullptr;
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == "Exclusiones") exclusions = b;
  ASSERT_NE(exclusions, nullptr);
  EXPECT_FALSE(exclusions->isEnabled());
  share->click();
  EXPECT_TRUE(exclusions->isEnabled());
  // A folder chosen inside the project's folder is kept relative to it.
  dialog.setFolderChooser([&rig](const QString&, const QString&) {
    return QString::fromStdString(rig.dir.file("game/Recursos"));
  });
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->toolTip() == "Browse to root resource folder") b->click();
  dialog.accept();
  EXPECT_TRUE(project.settings().networked);
  EXPECT_EQ(project.settings().resourceRoot, ".\\game\\Recursos");
  EXPECT_TRUE(project.isModified());
  rig.window().refreshState();
  EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Proyecto: game *]");
  // "Aceptar" made the resource folder.
  EXPECT_TRUE(QDir(QString::fromStdString(rig.dir.file("game/Recursos"))).exists());
}

TEST(StudioWindows, NewProjectIsMadeWithItsSettingsWindow) {
  StudioRig rig;
  rig.start();
  // A name that does not exist makes a new project: the message, the
  // settings window (accepted here), the offer of a main script.
  rig.files = {QString::fromStdString(rig.dir.file("nuevo"))};
  rig.answers = {MessageAnswer::Ok, MessageAnswer::Yes};
  QStringList windows;
  QTimer accepter;
  QObject::connect(&accepter, &QTimer::timeout, [&windows] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      windows << dialog->windowTitle();
      dialog->accept();
    }
  });
  accepter.start(5);
  rig.trigger(shell::Command::OpenProject);
  accepter.stop();
  EXPECT_EQ(rig.fileTitles.last(), "Nuevo/Abrir Proyecto");
  EXPECT_EQ(windows, QStringList{"Configuración del Proyecto"});
  ASSERT_GE(rig.boxes.size(), 2);
  EXPECT_EQ(rig.boxes[0], "Se ha creado un nuevo proyecto con las configuraciones por defecto. "
                          "Configura el proyecto ahora.");
  EXPECT_EQ(rig.boxes[1], "Create new (main) script?");
  EXPECT_TRUE(rig.bench().project().isOpen());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(rig.dir.file("nuevo.tvp"))));
  EXPECT_EQ(TempDir::read(rig.dir.file("nuevo/Script/main.txt")), "; Main script\r\n\r\n");
  EXPECT_EQ(rig.editor().activeScriptName(), "main.txt");
  EXPECT_EQ(rig.window().browser()->folder().toStdString(), rig.bench().project().scriptFolderPath());

  // Opening another project that exists leaves this one.
  const std::string game = rig.writeGame();
  rig.files = {QString::fromStdString(game)};
  rig.trigger(shell::Command::OpenProject);
  EXPECT_EQ(rig.bench().project().filePath(), game);
  EXPECT_EQ(rig.window().windowTitle(), "Tarvolin - [Proyecto: game]");
}

TEST(StudioWindows, HelpMenuAndStartupWindows) {
  StudioRig rig;
  rig.startupWindows = true;
  // The what's-new and tips windows come up at start-up as the settings say;
  // each is closed as soon as it shows.
  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&shown] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      shown << dialog->metaObject()->className();
      dialog->reject();
    }
  });
  closer.start(5);
  rig.start();
  EXPECT_TRUE(waitFor([&shown] { return shown.size() >= 2; }));
  EXPECT_TRUE(shown.contains("tarvolin::help::TipsDialog"));
  closer.stop();
  // F1 opens the user guide.
  shell::TarvolinMainWindow* main = &rig.window();
  main->windowHandle()->requestActivate();
  EXPECT_TRUE(waitFor([main] { return QApplication::activeWindow() == main; }));
  QTest::keyClick(&rig.window(), Qt::Key_F1);
  auto* guide = rig.window().findChild<help::HelpWindow*>();
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  guide->close();
}

TEST(StudioWindows, MinimisingPausesTheSoundAndTheFrames) {
  StudioRig rig;
  openGame(rig);
  shell::TarvolinMainWindow& w = rig.window();
  sound::AudioEngine& audio = rig.bench().audio();
  ASSERT_TRUE(audio.IsInitialised());
  rig.trigger(shell::Command::Run);
  EXPECT_TRUE(w.loop().framesRunning());
  w.showMinimized();
  EXPECT_TRUE(waitFor([&w] { return w.isMinimized(); }));
  EXPECT_TRUE(audio.IsAudioPaused());
  EXPECT_FALSE(w.loop().framesRunning());
  w.showNormal();
  EXPECT_TRUE(waitFor([&w] { return !w.isMinimized(); }));
  EXPECT_FALSE(audio.IsAudioPaused());
  EXPECT_TRUE(w.loop().framesRunning());
  // Audio paused before the minimise stays paused after it.
  audio.PauseAudio();
  w.showMinimized();
  EXPECT_TRUE(waitFor([&w] { return w.isMinimized(); }));
  w.showNormal();
  EXPECT_TRUE(waitFor([&w] { return !w.isMinimized(); }));
  EXPECT_TRUE(audio.IsAudioPaused());
}

}  // namespace tarvolin::test
