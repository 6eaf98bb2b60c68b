// The user guide window over the shipped guide: contents, command sections,
// search, history, and every link and picture of every page.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "common/temp_dir.h"
#include "help/guide_files.h"
#include "help/guide_page.h"
#include "help/help_window.h"
#include "script/commands.h"
#include "script/reference.h"

namespace tarvolin::test {
namespace {

using help::HelpWindow;

// Where the heading `text` is drawn, relative to the top of the browser's
// view; INT_MIN when the page has no such heading.
int headingTop(HelpWindow& w, const QString& text) {
  for (QTextBlock b = w.browser()->document()->begin(); b.isValid(); b = b.next())
    if (b.blockFormat().headingLevel() > 0 && b.text() == text) return w.browser()->cursorRect(QTextCursor(b)).top();
  return INT_MIN;
}

TEST(HelpWindow, OpensAtTheContentsWithEveryPageListed) {
  HelpWindow w;
  EXPECT_EQ(w.currentPage(), help::kContentsPage);
  EXPECT_FALSE(w.browser()->document()->isEmpty());
  QStringList pages;
  for (int i = 0; i < w.contentsTree()->topLevelItemCount(); ++i)
    pages << w.contentsTree()->topLevelItem(i)->data(0, Qt::UserRole).toString();
  EXPECT_EQ(pages.value(0), help::kContentsPage);
  for (const char* page : {"primer_juego.md", "estudio.md", "lenguaje.md", "depuracion.md", "comandos.md",
                           "errores.md"})
    EXPECT_TRUE(pages.contains(QString::fromLatin1(page))) << page;
  EXPECT_EQ(pages.size(), help::guidePageNames(help::guideFolders()).size());
}

TEST(HelpWindow, ShowCommandLandsOnTheCommandsSection) {
  HelpWindow w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  ASSERT_TRUE(w.openCommand(QStringLiteral("tilemapload")));  // names ignore case
  EXPECT_EQ(w.currentPage(), QStringLiteral("comandos.md"));
  EXPECT_EQ(w.currentAnchor(), QStringLiteral("TileMapLoad"));
  QCoreApplication::processEvents();
  // The section's heading is at the top of the view, far down the page.
  int top = headingTop(w, QStringLiteral("TileMapLoad"));
  EXPECT_GE(top, 0);
  EXPECT_LT(top, 40);
  EXPECT_GT(w.browser()->verticalScrollBar()->value(), 1000);

  // Commands spelled with symbols have numbered anchors.
  ASSERT_TRUE(w.openCommand(QStringLiteral("+=")));
  EXPECT_EQ(w.currentAnchor(), QStringLiteral("cmd37"));
  QCoreApplication::processEvents();
  top = headingTop(w, QStringLiteral("+="));
  EXPECT_GE(top, 0);
  EXPECT_LT(top, 40);

  // A word that is no command is searched for instead.
  EXPECT_FALSE(w.openCommand(QStringLiteral("Initialise")));
  EXPECT_GT(w.searchResults()->count(), 0);
}

TEST(HelpWindow, TheProgramHasOneHelpWindowOwnedByItsMainWindow) {
  auto main = std::make_unique<QWidget>();
  HelpWindow* first = HelpWindow::showContents(main.get());
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_TRUE(first->isWindow());
  EXPECT_EQ(first->parentWidget(), main.get());
  first->openPage(QStringLiteral("lenguaje.md"));
  // The same window comes back, at the command asked for.
  HelpWindow* again = HelpWindow::showCommand(main.get(), QStringLiteral("Return"));
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->currentAnchor(), QStringLiteral("Return"));
  again->back();
  EXPECT_EQ(again->currentPage(), QStringLiteral("lenguaje.md"));
  EXPECT_EQ(HelpWindow::showContents(main.get()), first);
  EXPECT_EQ(first->currentPage(), help::kContentsPage);
  // Closing the main window takes the help window with it; the next call makes a new one.
  QPointer<HelpWindow> gone(first);
  main.reset();
  EXPECT_TRUE(gone.isNull());
  QWidget other;
  HelpWindow* fresh = HelpWindow::showContents(&other);
  EXPECT_EQ(fresh->parentWidget(), &other);
  fresh->close();
}

TEST(HelpWindow, EveryCommandHasItsSection) {
  QFile file(help::findGuideFile(help::guideFolders(), QStringLiteral("comandos.md")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the generated command reference is missing";
  QTextDocument doc;
  help::loadGuidePage(doc, QString::fromUtf8(file.readAll()));
  const QStringList anchors = help::documentAnchors(doc);
  for (const script::CommandInfo& info : script::CommandTable())
    EXPECT_TRUE(anchors.contains(QString::fromStdString(script::CommandAnchor(info)))) << info.name;
}

TEST(HelpWindow, SearchFindsACommandFirstAndOpensIt) {
  HelpWindow w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.search(QStringLiteral("SpriteSetAttribute"));
  ASSERT_GT(w.searchResults()->count(), 1);
  EXPECT_TRUE(w.searchResults()->item(0)->text().startsWith(QStringLiteral("Referencia de comandos")))
      << w.searchResults()->item(0)->text().toStdString();
  QListWidgetItem* first = w.searchResults()->item(0);
  emit w.searchResults()->itemActivated(first);
  EXPECT_EQ(w.currentPage(), QStringLiteral("comandos.md"));
  EXPECT_EQ(w.currentAnchor(), QStringLiteral("SpriteSetAttribute"));
  EXPECT_EQ(w.browser()->textCursor().selectedText(), QStringLiteral("SpriteSetAttribute"));
  EXPECT_FALSE(w.browser()->extraSelections().isEmpty());  // the words are marked

  // Case and accents do not matter; every word must be in the same paragraph.
  const auto plain = w.index().search(QStringLiteral("GUION principal"));
  const auto accented = w.index().search(QStringLiteral("guión principal"));
  ASSERT_FALSE(plain.isEmpty());
  EXPECT_EQ(plain.size(), accented.size());
  w.search(QStringLiteral("zzyzx qwerty"));
  EXPECT_EQ(w.searchResults()->count(), 0);
  EXPECT_TRUE(w.findChild<QLabel*>("searchStatus")->text().contains(QStringLiteral("No se encontró")));
  w.search(QString());
  EXPECT_EQ(w.searchResults()->count(), 0);
}

TEST(HelpWindow, BackAndForwardRetraceTheWay) {
  HelpWindow w;
  ASSERT_TRUE(w.openPage(QStringLiteral("lenguaje.md")));
  ASSERT_TRUE(w.openCommand(QStringLiteral("Log")));
  w.back();
  EXPECT_EQ(w.currentPage(), QStringLiteral("lenguaje.md"));
  w.back();
  EXPECT_EQ(w.currentPage(), help::kContentsPage);
  w.back();  // nothing further back: stays
  EXPECT_EQ(w.currentPage(), help::kContentsPage);
  QAction* backAction = nullptr;
  for (QAction* a : w.findChildren<QAction*>())
    if (a->text() == QStringLiteral("Atrás")) backAction = a;
  ASSERT_NE(backAction, nullptr);
  EXPECT_FALSE(backAction->isEnabled());
  // Opening the place already shown adds no step to go back through.
  w.openContents();
  EXPECT_FALSE(backAction->isEnabled());
  w.forward();
  w.forward();
  EXPECT_EQ(w.currentPage(), QStringLiteral("comandos.md"));
  EXPECT_EQ(w.currentAnchor(), QStringLiteral("Log"));
  // A new page drops the forward history.
  w.back();
  w.openContents();
  w.forward();
  EXPECT_EQ(w.currentPage(), help::kContentsPage);
}

TEST(HelpWindow, MissingPagesAndFoldersAreToldNotFatal) {
  HelpWindow w;
  EXPECT_FALSE(w.openPage(QStringLiteral("no_existe.md")));
  EXPECT_TRUE(w.browser()->toPlainText().contains(QStringLiteral("no_existe.md")));
  EXPECT_FALSE(w.openPage(QStringLiteral("../../../etc/passwd")));
  EXPECT_FALSE(w.openPage(QStringLiteral("/etc/passwd")));
  w.openContents();
  EXPECT_EQ(w.currentPage(), help::kContentsPage);

  TempDir empty;
  HelpWindow none(nullptr, {QString::fromStdString(empty.path())});
  EXPECT_TRUE(none.browser()->toPlainText().contains(QString::fromStdString(empty.path())));
  EXPECT_FALSE(none.openCommand(QStringLiteral("If")));
  none.search(QStringLiteral("If"));
  EXPECT_EQ(none.searchResults()->count(), 0);
}

// Every link of every page names a page of the guide and an anchor on it;
// every picture exists. Links to the web are left alone.
TEST(HelpWindow, EveryLinkAndPictureOfTheGuideResolves) {
  const QStringList folders = help::guideFolders();
  const QStringList pages = help::guidePageNames(folders);
  ASSERT_FALSE(pages.isEmpty());
  QHash<QString, QStringList> anchors;
  QHash<QString, QVector<QPair<QString, QString>>> links;  // page -> (href, text)
  QHash<QString, QStringList> pictures;
  for (const QString& page : pages) {
    QFile file(help::findGuideFile(folders, page));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QTextDocument doc;
    help::loadGuidePage(doc, QString::fromUtf8(file.readAll()));
    anchors[page] = help::documentAnchors(doc);
    // Every heading kept its text (a stray tag would swallow the rest of a page).
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
      if (b.blockFormat().headingLevel() > 0) {
        EXPECT_FALSE(b.text().trimmed().isEmpty()) << page.toStdString() << ": empty heading";
      }
    }
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
      for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        if (!f.anchorHref().isEmpty()) links[page].push_back({f.anchorHref(), it.fragment().text()});
        if (f.isImageFormat()) pictures[page] << f.toImageFormat().name();
      }
  }
  for (const QString& page : pages) {
    for (const auto& [href, text] : links[page]) {
      const QUrl url(href);
      if (url.scheme() == "http" || url.scheme() == "https" || url.scheme() == "mailto") continue;
      const QString target = url.path().isEmpty() ? page : url.path();
      ASSERT_TRUE(anchors.contains(target)) << page.toStdString() << ": link to missing page " << href.toStdString();
      if (url.fragment().isEmpty()) continue;
      bool found = false;
      for (const QString& a : anchors[target]) found = found || a.compare(url.fragment(), Qt::CaseInsensitive) == 0;
      EXPECT_TRUE(found) << page.toStdString() << ": link «" << text.toStdString() << "» to missing anchor "
                         << href.toStdString();
    }
    for (const QString& picture : pictures[page])
      EXPECT_FALSE(help::findGuideFile(folders, picture).isEmpty())
          << page.toStdString() << ": missing picture " << picture.toStdString();
  }
}

TEST(GuidePage, HeadingsGetExplicitOrDerivedAnchors) {
  QTextDocument doc;
  help::loadGuidePage(doc, QStringLiteral("# Tu primer juego\n\n## Variables y operandos\n\n## Variables y operandos\n\n"
                                          "### `TileMapLoad` {#TileMapLoad}\n\n```guion\nV_LV0 = 1 ; uno\n```\n"));
  EXPECT_EQ(help::documentAnchors(doc),
            QStringList({"tu-primer-juego", "variables-y-operandos", "variables-y-operandos-1", "TileMapLoad"}));
  EXPECT_FALSE(doc.toPlainText().contains(QStringLiteral("{#")));
  EXPECT_EQ(help::headingAnchor(QStringLiteral("¿Qué es un cuadro?")), QStringLiteral("qué-es-un-cuadro"));
  EXPECT_EQ(help::foldForSearch(QStringLiteral("Guión ÑANDÚ")), QStringLiteral("guion nandu"));
}

}  // namespace
}  // namespace tarvolin::test
