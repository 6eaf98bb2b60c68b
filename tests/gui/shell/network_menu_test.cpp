// The studio's "&Red" menu: its four entries, and a command that holds the
// window's other commands while it runs.
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "sharing/sharing_kit.h"
#include "sharing_ui/comment_dialog.h"
#include "sharing_ui/sharing_controller.h"
#include "gui/shell/studio_rig.h"

namespace tarvolin::test {
namespace {

TEST(StudioNetwork, RedMenuCommitsAndHoldsTheWindowMeanwhile) {
  sharing::test::LoopServer server;
  server.allow("ana", "clave", "game");
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.dir.write("game.tvp", sharing::test::sharedProjectText(server.port()));
  rig.start({QString::fromStdString("-P\"" + tvp + "\"")});
  rig.bench().programSettings().networkUsername = "ana";
  rig.bench().programSettings().networkPassword = "clave";

  QMenu* red = rig.window().menu(shell::MenuSlot::Network);
  ASSERT_EQ(red->title(), QStringLiteral("&Red"));
  QStringList entries;
  for (QAction* a : red->actions()) entries << a->text();
  EXPECT_EQ(entries, (QStringList{QString::fromUtf8("&Información del proyecto..."),
                                  QString::fromUtf8("&Actualizar proyecto"),
                                  QString::fromUtf8("&Depositar cambios..."),
                                  QString::fromUtf8("&Proponer cambios")}));
  sharing_ui::SharingController* sharing = rig.window().sharing();
  ASSERT_NE(sharing, nullptr);
  EXPECT_TRUE(sharing->commitAction()->isEnabled());

  bool held = false;
  sharing->setDialogHook([&](QDialog& d) {
    auto* comment = qobject_cast<sharing_ui::CommentDialog*>(&d);
    if (!comment) return;
    held = !rig.window().menuBar()->isEnabled();
    rig.trigger(shell::Command::Run);  // held: the game does not start
    comment->setComment(QString::fromUtf8("primer depósito"));
    comment->accept();
  });
  sharing->commitAction()->trigger();
  EXPECT_TRUE(held);
  EXPECT_FALSE(rig.control().running());
  EXPECT_TRUE(rig.window().menuBar()->isEnabled());
  ASSERT_FALSE(rig.boxes.isEmpty());
  EXPECT_EQ(rig.boxes.last(), QStringLiteral("Complete!"));
  const std::int64_t project = server.store().projectId("game");
  EXPECT_GE(server.store().latest(project).size(), 2u);
  EXPECT_NE(server.store().historyText(project).find("primer depósito"), std::string::npos);
}

}  // namespace
}  // namespace tarvolin::test
