// The user guide window ("&Guía de Usuario...\tF1"): the guide's Markdown
// pages in a browser with contents, back and forward, and a search across
// every page, the generated command reference included.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QTextBrowser>
#include <QVector>
#include <QWidget>

#include <memory>

#include "help/guide_page.h"

class QAction;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvolin::help {

// The browser of the help window: it shows one page of the guide and finds
// the pictures a page names among the guide's folders.
class GuideBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  GuideBrowser(QStringList folders, QWidget* parent);
  // Shows a page given as Markdown.
  void showPage(const QString& markdown);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  QStringList folders_;
  QPointer<QTextDocument> shown_;  // the page made by showPage
};

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // `folders` are the guide's folders in search order (guideFolders() when
  // empty).
  explicit HelpWindow(QWidget* parent = nullptr, QStringList folders = {});
  ~HelpWindow() override;

  // The program's one help window, made on first use as a window of its own
  // owned by `parent`, then shown and raised at the contents, or at the
  // section of the command `name` ("Ayuda del comando"). A name that is no
  // command shows the contents with a search for it.
  static HelpWindow* showContents(QWidget* parent);
  static HelpWindow* showCommand(QWidget* parent, const QString& name);

  void openContents();
  // Opens a command's section in the command reference; false when no
  // command has that name (the search then looks for it).
  bool openCommand(const QString& name);
  // Opens a page of the guide at an anchor (ignoring case); false when the
  // page does not exist (the browser then says so).
  bool openPage(const QString& page, const QString& anchor = {});
  // Fills the search box, lists what it finds and shows the search tab.
  void search(const QString& text);

  QString currentPage() const { return page_; }
  QString currentAnchor() const { return anchor_; }
  GuideBrowser* browser() const { return browser_; }
  QListWidget* searchResults() const { return results_; }
  QTreeWidget* contentsTree() const { return contents_; }
  const GuideIndex& index() const { return *index_; }

 public slots:
  void back();
  void forward();

 private:
  static HelpWindow* instance(QWidget* parent);
  struct Place {
    QString page;
    QString anchor;
    int scroll = 0;
  };
  void followLink(const QUrl& url);
  bool navigate(const Place& place, bool remember);
  void showMissing(const QString& page);
  void buildContents();
  void syncContents();
  void runSearch();
  void openHit(int row);
  void highlight(const QStringList& words);
  void updateActions();

  QStringList folders_;
  std::unique_ptr<GuideIndex> index_;
  GuideBrowser* browser_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* query_ = nullptr;
  QListWidget* results_ = nullptr;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QVector<SearchHit> hits_;
  QString page_, anchor_;
  QVector<Place> backStack_, forwardStack_;
  static QPointer<HelpWindow> instance_;
};

}  // namespace tarvolin::help
