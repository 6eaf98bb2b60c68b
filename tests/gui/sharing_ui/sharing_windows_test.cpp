// The sharing windows: the comment, the project information, the merge of a
// conflict, the progress window with its cancel, and the controller the main
// window calls, against the real server on loopback.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "project/recording_host.h"
#include "sharing/sharing_kit.h"
#include "sharing_ui/comment_dialog.h"
#include "sharing_ui/merge_dialog.h"
#include "sharing_ui/progress_window.h"
#include "sharing_ui/project_info_dialog.h"
#include "sharing_ui/sharing_controller.h"
#include "workbench/workbench.h"

namespace tarvolin::sharing_ui {
namespace {

using sharing::test::LoopServer;
using sharing::test::readFile;
using sharing::test::TempDir;
using sharing::test::sharedProjectText;
using sharing::test::writeFile;
using tarvolin::test::RecordingHost;

TEST(SharingWindows, CommentHoldsAtMost512Bytes) {
  CommentDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Depositar - Comentario"));
  QTest::keyClicks(dialog.editor(), QStringLiteral("Niveles nuevos y "));
  dialog.editor()->insertPlainText(QString::fromUtf8("música"));
  EXPECT_EQ(dialog.comment(), "Niveles nuevos y música");
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  EXPECT_EQ(dialog.countLabel()->text(), QString::fromUtf8("24 de 512 bytes"));
  dialog.setComment(QString(513, QLatin1Char('c')));
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  // 256 two-byte letters are 512 bytes: exactly the limit.
  dialog.setComment(QString(256, QChar(0x00F1)));
  EXPECT_TRUE(dialog.okButton()->isEnabled());
}

TEST(SharingWindows, ProjectInformationLineByLine) {
  ProjectInfoDialog dialog("Proyecto: Demo\nVersión más reciente: 3\r\nUsuarios: ana\n");
  ASSERT_EQ(dialog.lines()->count(), 3);
  EXPECT_EQ(dialog.lines()->item(1)->text(), QString::fromUtf8("Versión más reciente: 3"));
}

// A conflict on one file: the local copy and the server's in ~temp.
struct ConflictRig {
  TempDir dir;
  std::string folder = dir.file("p");
  sharing::FileInfoList list;
  std::unique_ptr<sharing::ConflictMerge> merge;
  ConflictRig(const std::string& local, const std::string& server, const char* name = "Script\\a.txt") {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    writeFile(folder + "/" + path, local);
    writeFile(folder + "/~temp/" + path, server);
    list.add({name, 1, 0});
    merge = std::make_unique<sharing::ConflictMerge>(folder, list, sharing::Conflict{name, 4}, "diff");
    std::string message, caption;
    EXPECT_TRUE(merge->load(message, caption)) << message;
  }
};

TEST(SharingWindows, MergeShowsTheDifferencesAndSavesTheChosenText) {
  ConflictRig rig("uno\r\ndos\r\ntres\r\ncuatro\r\n", "uno\r\nDOS\r\ntres\r\ncuatro\r\ncinco\r\n");
  MergeDialog dialog(*rig.merge);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Combinar - Script\\a.txt"));
  ASSERT_EQ(dialog.differenceList()->count(), 2);
  EXPECT_EQ(dialog.localView()->toPlainText(), QString::fromUtf8("uno\ndos\ntres\ncuatro"));
  EXPECT_EQ(dialog.serverView()->extraSelections().size(), 2);  // DOS and cinco marked
  EXPECT_TRUE(dialog.localChoice()->isChecked());
  // The first difference from the server, the second edited by hand.
  dialog.serverChoice()->click();
  EXPECT_EQ(dialog.resultView()->toPlainText(), QString::fromUtf8("uno\nDOS\ntres\ncuatro\n"));
  dialog.selectDifference(1);
  EXPECT_TRUE(dialog.localChoice()->isChecked());
  EXPECT_EQ(dialog.editView()->toPlainText(), QString::fromUtf8("cinco"));
  // Typing in the box edits by hand even when another choice was ticked.
  dialog.editView()->moveCursor(QTextCursor::End);
  QTest::keyClicks(dialog.editView(), QStringLiteral(" y seis"));
  EXPECT_TRUE(dialog.editedChoice()->isChecked());
  EXPECT_EQ(dialog.resultView()->toPlainText(),
            QString::fromUtf8("uno\nDOS\ntres\ncuatro\ncinco y seis\n"));
  // The result marks where the selected difference landed.
  ASSERT_EQ(dialog.resultView()->extraSelections().size(), 1);
  EXPECT_EQ(dialog.resultView()->extraSelections()[0].cursor.block().text(),
            QString::fromUtf8("cinco y seis"));
  dialog.selectDifference(0);
  ASSERT_EQ(dialog.resultView()->extraSelections().size(), 1);
  EXPECT_EQ(dialog.resultView()->extraSelections()[0].cursor.block().text(), QStringLiteral("DOS"));
  dialog.saveMergedButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.outcome(), QString::fromUtf8("combinado"));
  EXPECT_EQ(readFile(rig.folder + "/Script/a.txt"), "uno\r\nDOS\r\ntres\r\ncuatro\r\ncinco y seis\r\n");
  EXPECT_EQ(rig.list.find("Script\\a.txt")->version, 4);
}

TEST(SharingWindows, MergeWaysOutAskFirstAndCloseChangesNothing) {
  {
    ConflictRig rig("mío\n", "suyo\n");
    MergeDialog dialog(*rig.merge);
    QStringList asked;
    bool answer = false;
    dialog.setAsker([&](QWidget*, const QString& q) {
      asked << q;
      return answer;
    });
    dialog.keepLocalButton()->click();   // answered no: nothing happens
    dialog.takeServerButton()->click();
    EXPECT_EQ(asked, (QStringList{QString::fromUtf8("Se perderán los cambios en el servidor - ¿estás seguro?"),
                                  QString::fromUtf8("Se perderán los cambios locales - ¿estás seguro?")}));
    EXPECT_TRUE(dialog.outcome().isEmpty());
    EXPECT_FALSE(rig.merge->resolved());
    answer = true;
    dialog.takeServerButton()->click();
    EXPECT_EQ(dialog.outcome(), QString::fromUtf8("servidor"));
    EXPECT_EQ(readFile(rig.folder + "/Script/a.txt"), "suyo\n");
  }
  {
    ConflictRig rig("mío\n", "suyo\n");
    MergeDialog dialog(*rig.merge);
    dialog.setAsker([](QWidget*, const QString&) { return true; });
    dialog.keepLocalButton()->click();
    EXPECT_EQ(dialog.outcome(), QString::fromUtf8("local"));
    EXPECT_EQ(rig.list.find("Script\\a.txt")->version, 4);
    EXPECT_EQ(rig.list.find("Script\\a.txt")->fileTime, 0u);
    EXPECT_EQ(readFile(rig.folder + "/Script/a.txt"), "mío\n");
  }
  {
    ConflictRig rig("mío\n", "suyo\n");
    const sharing::FileInfoList before = rig.list;
    MergeDialog dialog(*rig.merge);
    dialog.closeButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(rig.list, before);
    EXPECT_EQ(readFile(rig.folder + "/Script/a.txt"), "mío\n");
  }
  {
    // Binary copies: only one of the two can be kept.
    ConflictRig rig(std::string("BM\0\1\2", 5), std::string("BM\0\3\4", 5), "Resources\\a.bmp");
    MergeDialog dialog(*rig.merge);
    EXPECT_FALSE(dialog.saveMergedButton()->isEnabled());
    EXPECT_TRUE(dialog.keepLocalButton()->isEnabled());
    EXPECT_TRUE(dialog.localView()->toPlainText().contains(QString::fromUtf8("binario")));
  }
}

// A studio's core with a shared project open on a loopback server.
struct StudioRig {
  RecordingHost host;
  Workbench bench{host};
  QWidget window;
  SharingController controller{bench, &window};
  std::string folder;
  StudioRig(const TempDir& dir, const std::string& name, int port, const std::string& user,
            const std::string& password) {
    const std::string file = dir.file(name + "/Demo.tvp");
    writeFile(file, sharedProjectText(port) + "#NO_MAIN_SCRIPT\nTRUE\n\n");
    std::filesystem::create_directories(dir.file(name + "/Demo"));
    bench.project().open(file, false);
    bench.programSettings().networkUsername = user;
    bench.programSettings().networkPassword = password;
    folder = bench.project().sourceRootPath();
    host.boxes.clear();
  }
};

TEST(SharingWindows, MenuCommitUpdateAndMergeThroughTheController) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  TempDir dir;
  StudioRig a(dir, "a", server.port(), "ana", "clave");
  StudioRig b(dir, "b", server.port(), "ana", "clave");
  QWidget bar;
  QMenu* menu = a.controller.createMenu(&bar);
  EXPECT_EQ(menu->title(), QString::fromUtf8("&Red"));
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_TRUE(a.controller.commitAction()->isEnabled());

  writeFile(a.folder + "/Script/main.txt", "; principal\r\n");
  QSignalSpy busy(&a.controller, &SharingController::busyStateChanged);
  std::vector<bool> enabledWhileBusy;
  a.controller.setDialogHook([&](QDialog& d) {
    enabledWhileBusy.push_back(a.controller.commitAction()->isEnabled());
    if (auto* comment = qobject_cast<CommentDialog*>(&d)) {
      comment->setComment(QString::fromUtf8("el primero"));
      comment->accept();
    }
  });
  a.controller.commitAction()->trigger();
  EXPECT_EQ(a.host.boxes.back(), "Complete!");
  ASSERT_EQ(busy.count(), 2);
  EXPECT_TRUE(busy[0][0].toBool());
  EXPECT_FALSE(busy[1][0].toBool());
  EXPECT_FALSE(enabledWhileBusy.empty());
  for (bool e : enabledWhileBusy) EXPECT_FALSE(e);
  EXPECT_TRUE(a.controller.commitAction()->isEnabled());

  // B has its own main script: the update makes a conflict, merged by
  // taking the server's copy; the editor is told to reload it.
  writeFile(b.folder + "/Script/main.txt", "; otro\r\n");
  b.controller.setAsker([](QWidget*, const QString&) { return true; });
  QStringList seen;
  b.controller.setDialogHook([&](QDialog& d) {
    seen << d.metaObject()->className();
    if (auto* merge = qobject_cast<MergeDialog*>(&d)) merge->takeServerButton()->click();
  });
  QSignalSpy reloaded(&b.controller, &SharingController::filesReloaded);
  b.controller.updateProject();
  EXPECT_TRUE(seen.contains(QStringLiteral("tarvolin::sharing_ui::MergeDialog")));
  EXPECT_TRUE(seen.contains(QStringLiteral("tarvolin::sharing_ui::ProgressWindow")));
  EXPECT_EQ(readFile(b.folder + "/Script/main.txt"), "; principal\r\n");
  ASSERT_EQ(reloaded.count(), 1);
  EXPECT_EQ(reloaded[0][0].toStringList().size(), 1);

  // Project information opens its dialog with the server's text.
  QStringList lines;
  b.controller.setDialogHook([&](QDialog& d) {
    if (auto* info = qobject_cast<ProjectInfoDialog*>(&d)) {
      for (int i = 0; i < info->lines()->count(); ++i) lines << info->lines()->item(i)->text();
      info->reject();
    }
  });
  b.controller.projectInformation();
  EXPECT_TRUE(lines.contains(QString::fromUtf8("Proyecto: Demo")));
}

TEST(SharingWindows, CancelInTheProgressWindowEndsTheTransaction) {
  // Two updates against a server that answers the login and the project,
  // then says nothing more until the client goes.
  sharing::test::FakeServer server(
      [](sharing::test::FakePeer& p) {
        p.receive();
        p.send(sharing::encodeStatus({5, 1, 0, 0}));
        p.receive();
        p.send(sharing::test::serverStatus(1));
        p.receive();
        p.send(sharing::test::serverStatus(1));
        while (!p.receive().empty()) {
        }
      },
      2);
  TempDir dir;
  StudioRig rig(dir, "a", server.port(), "ana", "clave");
  writeFile(rig.folder + "/a.txt", "a");
  QStringList phasesAtStart;
  QList<int> barsAtStart;
  rig.controller.setDialogHook([&](QDialog& d) {
    auto* progress = qobject_cast<ProgressWindow*>(&d);
    if (!progress) return;
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(progress->cancelButton()->isEnabled());
    EXPECT_EQ(progress->cancelButton()->text(), QString::fromUtf8("Cancelar"));
    phasesAtStart << progress->phaseLabel()->text();
    barsAtStart << progress->bar()->value();
    QTimer::singleShot(150, progress, [progress] {
      QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
    });
  });
  for (int run = 0; run < 2; ++run) {
    rig.controller.updateProject();
    ASSERT_FALSE(rig.host.boxes.empty());
    EXPECT_EQ(rig.host.boxes.back(), "Operación cancelada por el usuario");
    EXPECT_FALSE(rig.controller.busy());
    EXPECT_FALSE(rig.controller.progressWindow()->isVisible());
  }
  // The second run's window shows nothing left over from the cancelled one.
  ASSERT_EQ(phasesAtStart.size(), 2);
  EXPECT_NE(phasesAtStart[1], QString::fromUtf8("Cancelando..."));
  EXPECT_EQ(barsAtStart[1], 0);
}

}  // namespace
}  // namespace tarvolin::sharing_ui
