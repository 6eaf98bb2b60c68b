// The tips, what's-new and about windows: what they show and what they store
// in the program settings.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "help/about.h"
#include "help/tips_dialog.h"
#include "help/whats_new_dialog.h"

namespace tarvolin::test {
namespace {

using help::TipsDialog;
using help::WhatsNewDialog;

TEST(TipsDialog, TipsAreManyDistinctAndReadable) {
  const QStringList& tips = help::tips();
  ASSERT_GE(tips.size(), 20);
  QSet<QString> seen;
  for (const QString& tip : tips) {
    EXPECT_GT(tip.size(), 40) << tip.toStdString();
    EXPECT_FALSE(seen.contains(tip)) << tip.toStdString();
    seen.insert(tip);
    // Rich text: a literal "<" of the script language must be written as an entity.
    EXPECT_EQ(tip.count('<'), tip.count('>')) << tip.toStdString();
  }
}

TEST(TipsDialog, StartsAtTheStoredTipWrapsAndStoresTheNext) {
  const int count = int(help::tips().size());
  project::ProgramSettings settings = project::defaultProgramSettings();
  settings.tipsDisplayId = count - 1;
  {
    TipsDialog dialog(settings);
    EXPECT_EQ(dialog.currentTip(), count - 1);
    EXPECT_EQ(dialog.findChild<QLabel*>("tipText")->text(), help::tips().last());
    dialog.findChild<QPushButton*>("nextTip")->click();
    EXPECT_EQ(dialog.currentTip(), 0);  // wraps to the first
    dialog.findChild<QPushButton*>("previousTip")->click();
    dialog.findChild<QPushButton*>("previousTip")->click();
    EXPECT_EQ(dialog.currentTip(), count - 2);
    dialog.findChild<QPushButton*>("nextTip")->click();
    dialog.findChild<QCheckBox*>()->setChecked(false);
    dialog.accept();
  }
  // The last tip was shown: the next start shows the first one.
  EXPECT_EQ(settings.tipsDisplayId, 0);
  EXPECT_FALSE(settings.tipsShowStartup);

  // Closing any other way stores as well; ids from an edited settings file wrap.
  settings.tipsDisplayId = count + 3;
  settings.tipsShowStartup = true;
  {
    TipsDialog dialog(settings);
    EXPECT_EQ(dialog.currentTip(), 3);
    dialog.reject();
  }
  EXPECT_EQ(settings.tipsDisplayId, 4);
  EXPECT_TRUE(settings.tipsShowStartup);
  settings.tipsDisplayId = -1;
  TipsDialog negative(settings);
  EXPECT_EQ(negative.currentTip(), count - 1);
}

// Runs `dialog.exec()`; a dialog that is still open after two seconds is
// closed and reported, so a broken window cannot hang the suite.
int execGuarded(QDialog& dialog, bool& wasShown) {
  wasShown = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    wasShown = true;
    dialog.reject();
  });
  guard.start(2000);
  return dialog.exec();
}

TEST(WhatsNewDialog, ClosesAtOnceWhenTheFileCannotBeRead) {
  project::ProgramSettings settings = project::defaultProgramSettings();
  settings.newFeaturesShowStartup = false;
  TempDir dir;
  WhatsNewDialog dialog(settings, nullptr, QString::fromStdString(dir.file("WhatsNew.txt")));
  EXPECT_FALSE(dialog.loaded());
  bool shown = true;
  EXPECT_EQ(execGuarded(dialog, shown), QDialog::Rejected);
  EXPECT_FALSE(shown);
  EXPECT_FALSE(settings.newFeaturesShowStartup);  // nothing stored

  // A folder in the file's place cannot be read either.
  WhatsNewDialog folder(settings, nullptr, QString::fromStdString(dir.path()));
  EXPECT_FALSE(folder.loaded());
  EXPECT_EQ(execGuarded(folder, shown), QDialog::Rejected);
  EXPECT_FALSE(shown);
}

TEST(WhatsNewDialog, ShowsTheFileAndStoresTheBoxOnAccept) {
  TempDir dir;
  const std::string text = "Novedades de la versión\r\n- Guía en español: ñandú\n";
  const QString path = QString::fromStdString(dir.write("WhatsNew.txt", text));
  project::ProgramSettings settings = project::defaultProgramSettings();
  ASSERT_TRUE(settings.newFeaturesShowStartup);

  WhatsNewDialog dialog(settings, nullptr, path);
  ASSERT_TRUE(dialog.loaded());
  EXPECT_TRUE(dialog.text().contains(QStringLiteral("ñandú")));
  auto* box = dialog.findChild<QCheckBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isChecked());
  box->setChecked(false);
  dialog.reject();  // closing without OK keeps the setting
  EXPECT_TRUE(settings.newFeaturesShowStartup);
  box->setChecked(false);
  dialog.accept();
  EXPECT_FALSE(settings.newFeaturesShowStartup);

  // The box starts from the setting.
  WhatsNewDialog again(settings, nullptr, path);
  EXPECT_FALSE(again.findChild<QCheckBox*>()->isChecked());
}

TEST(WhatsNewDialog, IsCentredOnTheMainWindowAndFindsTheShippedFile) {
  project::ProgramSettings settings = project::defaultProgramSettings();
  QWidget main;
  main.setGeometry(100, 80, 1200, 800);
  main.show();
  WhatsNewDialog dialog(settings, &main);  // the file shipped with the program
  ASSERT_TRUE(dialog.loaded()) << "WhatsNew.txt not found";
  EXPECT_TRUE(dialog.text().contains(QStringLiteral("Tarvolin")));
  dialog.show();
  QCoreApplication::processEvents();
  const QPoint delta = dialog.frameGeometry().center() - main.frameGeometry().center();
  EXPECT_LE(delta.manhattanLength(), 4) << delta.x() << "," << delta.y();
  dialog.accept();
}

TEST(About, NamesTheProductAndItsVersion) {
  std::unique_ptr<QDialog> box(help::makeAboutDialog(nullptr));
  auto* message = qobject_cast<QMessageBox*>(box.get());
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->text().contains(QRegularExpression(QStringLiteral("Tarvolin Studio \\d+\\.\\d+"))))
      << message->text().toStdString();
  EXPECT_TRUE(message->windowTitle().contains(QStringLiteral("Acerca de")));
}

}  // namespace
}  // namespace tarvolin::test
