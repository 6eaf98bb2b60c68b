#include "setup_ui/setup_windows.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "setup/file_tree.h"
#include "setup/setup_texts.h"
#include "setup/setup_rig.h"

namespace tarvolin::setup_ui {
namespace {

using test::exists;
using test::RecordingPrompts;
using test::SetupRig;

TEST(SetupWindows, InstallDialogInstallsTheFolderInTheBox) {
  SetupRig rig;
  rig.writeInstallTree();
  RecordingPrompts prompts;
  InstallDialog dialog(rig.request(setup::defaultInstallFolder(rig.env)), prompts);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Instalador de Tarvolin V1.0"));
  EXPECT_EQ(dialog.folderEdit()->text().toStdString(), rig.env.home + "/.local/opt/Halvergen/Tarvolin/");
  dialog.show();

  // Every edit replaces the folder; the browser starts at the nearest
  // existing folder of the box and its choice replaces the box.
  dialog.folderEdit()->clear();
  QTest::keyClicks(dialog.folderEdit(), QString::fromStdString(rig.env.home + "/nuevo/sub"));
  EXPECT_EQ(dialog.request().installFolder, rig.env.home + "/nuevo/sub");
  QString startedAt;
  dialog.setFolderChooser([&](QWidget*, const QString& start) {
    startedAt = start;
    return QString::fromStdString(rig.dir.path() + "/Elegida");
  });
  QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
  EXPECT_EQ(startedAt.toStdString(), rig.env.home);
  EXPECT_EQ(dialog.folderEdit()->text().toStdString(), rig.dir.path() + "/Elegida");
  EXPECT_EQ(dialog.request().installFolder, rig.dir.path() + "/Elegida");
  // A cancelled browser changes nothing.
  dialog.setFolderChooser([](QWidget*, const QString&) { return QString(); });
  QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.request().installFolder, rig.dir.path() + "/Elegida");

  QTest::mouseClick(dialog.installButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.lastOutcome(), setup::InstallOutcome::Complete);
  EXPECT_EQ(prompts.lastText(), setup::kInstallComplete);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(exists(rig.dir.path() + "/Elegida/filelist.lst"));
}

TEST(SetupWindows, AFailedInstallKeepsTheDialogOpenForAnotherTry) {
  SetupRig rig;
  rig.writeInstallTree();
  rig.dir.write("blocker", "x");
  RecordingPrompts prompts;
  InstallDialog dialog(rig.request(rig.dir.path() + "/blocker/T"), prompts);
  dialog.show();
  QTest::mouseClick(dialog.installButton(), Qt::LeftButton);
  EXPECT_EQ(prompts.lastText(), setup::kCopyFailed);
  EXPECT_TRUE(dialog.isVisible());

  dialog.folderEdit()->setText(QString::fromStdString(rig.dir.path() + "/T"));
  QTest::mouseClick(dialog.installButton(), Qt::LeftButton);
  EXPECT_EQ(prompts.lastText(), setup::kInstallComplete);
  EXPECT_FALSE(dialog.isVisible());

  InstallDialog closing(rig.request(rig.folder()), prompts);
  closing.show();
  QTest::mouseClick(closing.closeButton(), Qt::LeftButton);
  EXPECT_FALSE(closing.isVisible());
  EXPECT_FALSE(closing.attempted());
  EXPECT_FALSE(exists(rig.folder()));
}

TEST(SetupWindows, UninstallDialogWarnsThenUninstallsOrLeaves) {
  SetupRig rig;
  rig.writeInstallTree();
  RecordingPrompts prompts;
  ASSERT_EQ(setup::runInstallation(rig.request(rig.folder()), prompts),
            setup::InstallOutcome::Complete);

  UninstallDialog leave(rig.uninstallRequest(rig.folder()), prompts);
  EXPECT_EQ(leave.windowTitle(), QString::fromUtf8("Tarvolin Uninstaller V1.2"));
  EXPECT_EQ(leave.exitButton()->text(), QStringLiteral("&Salir"));
  auto* warning = leave.findChild<QLabel*>(QStringLiteral("warning"));
  ASSERT_NE(warning, nullptr);
  EXPECT_TRUE(warning->text().contains(QStringLiteral("guiones y proyectos")));
  leave.show();
  QTest::mouseClick(leave.exitButton(), Qt::LeftButton);
  EXPECT_FALSE(leave.attempted());
  EXPECT_TRUE(exists(rig.folder() + "/filelist.lst"));

  UninstallDialog go(rig.uninstallRequest(rig.folder()), prompts);
  go.show();
  QTest::mouseClick(go.uninstallButton(), Qt::LeftButton);
  EXPECT_EQ(go.lastOutcome(), setup::UninstallOutcome::Complete);
  EXPECT_EQ(prompts.lastText(), setup::kUninstallComplete);
  EXPECT_FALSE(go.isVisible());
  EXPECT_FALSE(exists(rig.folder()));

  ProgramWindow window(QString::fromUtf8("Tarvolin Uninstaller V1.2"));
  EXPECT_EQ(window.size(), QSize(640, 480));
  EXPECT_FALSE(window.windowIcon().isNull());
}

}  // namespace
}  // namespace tarvolin::setup_ui
