#include "help/help_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "help/guide_files.h"
#include "script/reference.h"

namespace tarvolin::help {

QPointer<HelpWindow> HelpWindow::instance_;

namespace {

const QString kReferencePage = QString::fromUtf8(script::kCommandReferencePage.data(),
                                                 int(script::kCommandReferencePage.size()));

bool isExternal(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

}  // namespace

GuideBrowser::GuideBrowser(QStringList folders, QWidget* parent)
    : QTextBrowser(parent), folders_(std::move(folders)) {
  setOpenLinks(false);
}

void GuideBrowser::showPage(const QString& markdown) {
  // The page is made in a document of its own and shown whole: changing the
  // shown document piece by piece would lay it out again after every change.
  auto* doc = new QTextDocument(this);
  doc->setDefaultFont(font());
  doc->setDocumentMargin(14);
  loadGuidePage(*doc, markdown);
  setDocument(doc);
  if (shown_) shown_->deleteLater();
  shown_ = doc;
  setExtraSelections({});
}

QVariant GuideBrowser::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::ImageResource && name.isRelative()) {
    const QString path = findGuideFile(folders_, name.path());
    QImage image;
    if (!path.isEmpty() && image.load(path)) return image;
    return {};
  }
  return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(QWidget* parent, QStringList folders)
    : QWidget(parent, Qt::Window), folders_(folders.isEmpty() ? guideFolders() : std::move(folders)) {
  setWindowTitle(QStringLiteral("Guía de Usuario de Tarvolin"));
  index_ = std::make_unique<GuideIndex>(folders_);

  auto* toolbar = new QToolBar(this);
  toolbar->setIconSize(QSize(20, 20));
  toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  back_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Atrás"), this,
                             &HelpWindow::back);
  back_->setShortcut(QKeySequence::Back);
  back_->setToolTip(QStringLiteral("Vuelve a la página anterior (Alt+Izquierda)"));
  forward_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Adelante"),
                                this, &HelpWindow::forward);
  forward_->setShortcut(QKeySequence::Forward);
  forward_->setToolTip(QStringLiteral("Avanza a la página siguiente (Alt+Derecha)"));
  QAction* home = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contenido"),
                                     this, &HelpWindow::openContents);
  home->setToolTip(QStringLiteral("Muestra el índice de la guía"));
  toolbar->addSeparator();
  QAction* find = toolbar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                     QStringLiteral("Buscar"));
  find->setShortcut(QKeySequence::Find);
  find->setToolTip(QStringLiteral("Busca en todas las páginas de la guía (Ctrl+F)"));
  QAction* larger = toolbar->addAction(QStringLiteral("A+"));
  larger->setShortcut(QKeySequence::ZoomIn);
  larger->setToolTip(QStringLiteral("Letra más grande (Ctrl++)"));
  QAction* smaller = toolbar->addAction(QStringLiteral("A−"));
  smaller->setShortcut(QKeySequence::ZoomOut);
  smaller->setToolTip(QStringLiteral("Letra más pequeña (Ctrl+-)"));

  browser_ = new GuideBrowser(folders_, this);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
  connect(larger, &QAction::triggered, browser_, [this] { browser_->zoomIn(1); });
  connect(smaller, &QAction::triggered, browser_, [this] { browser_->zoomOut(1); });

  contents_ = new QTreeWidget(this);
  contents_->setHeaderHidden(true);
  contents_->setColumnCount(1);
  connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    if (item) navigate({item->data(0, Qt::UserRole).toString(), item->data(0, Qt::UserRole + 1).toString()}, true);
  });
  connect(contents_, &QTreeWidget::itemClicked, contents_, &QTreeWidget::itemActivated);

  auto* searchPane = new QWidget(this);
  query_ = new QLineEdit(searchPane);
  query_->setPlaceholderText(QStringLiteral("Buscar en la guía..."));
  query_->setClearButtonEnabled(true);
  auto* status = new QLabel(searchPane);
  status->setObjectName(QStringLiteral("searchStatus"));
  status->setWordWrap(true);
  results_ = new QListWidget(searchPane);
  results_->setWordWrap(true);
  results_->setAlternatingRowColors(true);
  auto* searchLayout = new QVBoxLayout(searchPane);
  searchLayout->setContentsMargins(4, 4, 4, 4);
  searchLayout->addWidget(query_);
  searchLayout->addWidget(status);
  searchLayout->addWidget(results_, 1);
  auto* debounce = new QTimer(this);
  debounce->setSingleShot(true);
  debounce->setInterval(250);
  connect(query_, &QLineEdit::textEdited, debounce, qOverload<>(&QTimer::start));
  connect(debounce, &QTimer::timeout, this, &HelpWindow::runSearch);
  connect(query_, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
  connect(results_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { openHit(results_->row(item)); });
  connect(results_, &QListWidget::itemClicked, results_, &QListWidget::itemActivated);

  tabs_ = new QTabWidget(this);
  tabs_->addTab(contents_, QStringLiteral("Contenido"));
  tabs_->addTab(searchPane, QStringLiteral("Buscar"));
  connect(find, &QAction::triggered, this, [this] {
    tabs_->setCurrentIndex(1);
    query_->setFocus();
    query_->selectAll();
  });

  auto* splitter = new QSplitter(this);
  splitter->addWidget(tabs_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({280, 720});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolbar);
  layout->addWidget(splitter, 1);
  resize(1000, 720);

  buildContents();
  openContents();
}

HelpWindow::~HelpWindow() = default;

// The one window, made on first use over the middle of its owner.
HelpWindow* HelpWindow::instance(QWidget* parent) {
  if (!instance_) {
    instance_ = new HelpWindow(parent);
    if (QWidget* owner = parent ? parent->window() : nullptr) {
      QRect box = instance_->frameGeometry();
      box.moveCenter(owner->frameGeometry().center());
      instance_->move(box.topLeft().x() < 0 ? 0 : box.left(), box.top() < 0 ? 0 : box.top());
    }
  }
  return instance_;
}

HelpWindow* HelpWindow::showContents(QWidget* parent) {
  instance(parent);
  instance_->openContents();
  instance_->show();
  instance_->raise();
  instance_->activateWindow();
  return instance_;
}

HelpWindow* HelpWindow::showCommand(QWidget* parent, const QString& name) {
  instance(parent);
  instance_->openCommand(name);
  instance_->show();
  instance_->raise();
  instance_->activateWindow();
  return instance_;
}

void HelpWindow::openContents() { navigate({kContentsPage, {}}, true); }

bool HelpWindow::openCommand(const QString& name) {
  const QByteArray wanted = name.trimmed().toUtf8();
  const script::CommandInfo* info = script::FindCommandByName(std::string_view(wanted.data(), wanted.size()));
  if (!info) {
    search(name.trimmed());
    return false;
  }
  return navigate({kReferencePage, QString::fromStdString(script::CommandAnchor(*info))}, true);
}

bool HelpWindow::openPage(const QString& page, const QString& anchor) { return navigate({page, anchor}, true); }

void HelpWindow::search(const QString& text) {
  query_->setText(text);
  tabs_->setCurrentIndex(1);
  runSearch();
}

void HelpWindow::back() {
  if (backStack_.isEmpty()) return;
  forwardStack_.push_back({page_, anchor_, browser_->verticalScrollBar()->value()});
  const Place place = backStack_.takeLast();
  navigate(place, false);
}

void HelpWindow::forward() {
  if (forwardStack_.isEmpty()) return;
  backStack_.push_back({page_, anchor_, browser_->verticalScrollBar()->value()});
  const Place place = forwardStack_.takeLast();
  navigate(place, false);
}

void HelpWindow::followLink(const QUrl& url) {
  if (isExternal(url)) {
    QDesktopServices::openUrl(url);
    return;
  }
  QString page = url.path();
  if (page.startsWith(QStringLiteral("./"))) page = page.mid(2);
  navigate({page.isEmpty() ? page_ : page, url.fragment()}, true);
}

bool HelpWindow::navigate(const Place& place, bool remember) {
  const bool samePlace = place.page == page_ && place.anchor.compare(anchor_, Qt::CaseInsensitive) == 0;
  if (remember && !page_.isEmpty() && !samePlace) {
    backStack_.push_back({page_, anchor_, browser_->verticalScrollBar()->value()});
    forwardStack_.clear();
  }
  bool found = true;
  if (place.page != page_ || browser_->document()->isEmpty()) {
    const QString path = findGuideFile(folders_, place.page);
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
      browser_->showPage(QString::fromUtf8(file.readAll()));
    } else {
      showMissing(place.page);
      found = false;
    }
  }
  page_ = place.page;
  anchor_.clear();
  if (found && !place.anchor.isEmpty()) {
    for (const QString& name : documentAnchors(*browser_->document()))
      if (name.compare(place.anchor, Qt::CaseInsensitive) == 0) anchor_ = name;
  }
  if (!anchor_.isEmpty()) {
    browser_->scrollToAnchor(anchor_);
  } else {
    browser_->verticalScrollBar()->setValue(remember ? 0 : place.scroll);
  }
  const int pageIndex = index_->pageIndex(page_);
  setWindowTitle(pageIndex >= 0 ? QStringLiteral("Guía de Usuario de Tarvolin - ") + index_->pages()[pageIndex].title
                                : QStringLiteral("Guía de Usuario de Tarvolin"));
  syncContents();
  updateActions();
  return found;
}

void HelpWindow::showMissing(const QString& page) {
  QString text = QStringLiteral("# Página no encontrada\n\nLa guía no tiene la página «%1».").arg(page);
  if (index_->pages().isEmpty())
    text += QStringLiteral(" No se encontró ninguna página de la guía en: %1.").arg(folders_.join(QStringLiteral(", ")));
  text += QStringLiteral("\n\n[Volver al índice](%1)\n").arg(kContentsPage);
  browser_->showPage(text);
}

void HelpWindow::buildContents() {
  contents_->clear();
  for (const GuidePage& page : index_->pages()) {
    auto* top = new QTreeWidgetItem(contents_, {page.title});
    top->setData(0, Qt::UserRole, page.name);
    for (const GuideHeading& h : page.headings) {
      if (h.level != 2) continue;
      auto* child = new QTreeWidgetItem(top, {h.text});
      child->setData(0, Qt::UserRole, page.name);
      child->setData(0, Qt::UserRole + 1, h.anchor);
    }
  }
}

void HelpWindow::syncContents() {
  // The tree lists sections down to the second level: a deeper anchor is
  // shown by the section that holds it.
  QString section = anchor_;
  const int pageIndex = index_->pageIndex(page_);
  if (pageIndex >= 0 && !anchor_.isEmpty()) {
    QString holder;
    for (const GuideHeading& h : index_->pages()[pageIndex].headings) {
      if (h.level <= 2) holder = h.anchor;
      if (h.anchor == anchor_) {
        section = holder;
        break;
      }
    }
  }
  QTreeWidgetItem* best = nullptr;
  for (int i = 0; i < contents_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = contents_->topLevelItem(i);
    if (top->data(0, Qt::UserRole).toString() != page_) continue;
    best = top;
    for (int c = 0; c < top->childCount(); ++c)
      if (!section.isEmpty() && top->child(c)->data(0, Qt::UserRole + 1).toString() == section) best = top->child(c);
  }
  const QSignalBlocker block(contents_);
  contents_->setCurrentItem(best);
}

void HelpWindow::runSearch() {
  const QString text = query_->text().trimmed();
  auto* status = findChild<QLabel*>(QStringLiteral("searchStatus"));
  results_->clear();
  hits_ = index_->search(text);
  for (const SearchHit& hit : hits_) {
    const GuidePage& page = index_->pages()[hit.page];
    const int section = page.sectionOf[hit.block];
    QString where = page.title;
    if (section >= 0 && page.headings[section].text != page.title) where += QStringLiteral(" › ") + page.headings[section].text;
    auto* item = new QListWidgetItem(where + "\n" + hit.snippet, results_);
    item->setToolTip(page.blocks[hit.block].left(400));
  }
  if (text.isEmpty())
    status->clear();
  else if (hits_.isEmpty())
    status->setText(QStringLiteral("No se encontró «%1» en la guía.").arg(text));
  else
    status->setText(hits_.size() == 1 ? QStringLiteral("1 resultado") : QStringLiteral("%1 resultados").arg(hits_.size()));
}

void HelpWindow::openHit(int row) {
  if (row < 0 || row >= hits_.size()) return;
  const SearchHit hit = hits_[row];
  const GuidePage& page = index_->pages()[hit.page];
  const int section = page.sectionOf[hit.block];
  navigate({page.name, section >= 0 ? page.headings[section].anchor : QString()}, true);
  const QStringList words = foldForSearch(query_->text().simplified()).split(' ', Qt::SkipEmptyParts);
  highlight(words);
  const QTextBlock block = browser_->document()->findBlockByNumber(hit.block);
  if (!block.isValid()) return;
  QTextCursor c(block);
  const QString folded = foldForSearch(block.text());
  const int at = words.isEmpty() ? -1 : int(folded.indexOf(words.first()));
  if (at >= 0 && folded.size() == block.text().size()) {
    c.setPosition(block.position() + at);
    c.setPosition(block.position() + at + int(words.first().size()), QTextCursor::KeepAnchor);
  }
  browser_->setTextCursor(c);
  browser_->ensureCursorVisible();
}

void HelpWindow::highlight(const QStringList& words) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat mark;
  mark.setBackground(QColor(0xff, 0xe0, 0x66));
  for (QTextBlock block = browser_->document()->begin(); block.isValid() && marks.size() < 1000; block = block.next()) {
    const QString folded = foldForSearch(block.text());
    if (folded.size() != block.text().size()) continue;
    for (const QString& w : words)
      for (qsizetype at = folded.indexOf(w); at >= 0; at = folded.indexOf(w, at + w.size())) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(block);
        s.cursor.setPosition(block.position() + int(at));
        s.cursor.setPosition(block.position() + int(at + w.size()), QTextCursor::KeepAnchor);
        s.format = mark;
        marks << s;
      }
  }
  browser_->setExtraSelections(marks);
}

void HelpWindow::updateActions() {
  back_->setEnabled(!backStack_.isEmpty());
  forward_->setEnabled(!forwardStack_.isEmpty());
}

}  // namespace tarvolin::help
