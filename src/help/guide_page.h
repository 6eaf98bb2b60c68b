// The guide's Markdown pages as Qt documents: headings get anchors (an
// explicit "{#id}" at the end of a heading, else the heading's words in lower
// case joined by "-"), code blocks a shaded background with their ";"
// comments coloured; and the search over every page.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QTextDocument;

namespace tarvolin::help {

// Sets `markdown` as the document's text and gives every heading its anchor.
void loadGuidePage(QTextDocument& doc, const QString& markdown);

// The anchor that a heading without "{#id}" gets: lower case, letters and
// digits kept, blanks turned into "-", other marks dropped.
QString headingAnchor(const QString& heading);

// Every anchor name of a document, in order.
QStringList documentAnchors(const QTextDocument& doc);

// Text folded for searching: lower case, accents removed.
QString foldForSearch(const QString& text);

struct GuideHeading {
  int level = 0;
  QString text;
  QString anchor;
};

struct GuidePage {
  QString name;   // file name, e.g. "lenguaje.md"
  QString title;  // its first heading, else the name
  QVector<GuideHeading> headings;
  QStringList blocks;      // text of every block, as the browser numbers them
  QVector<int> sectionOf;  // per block, the index of the heading above it (-1 none)
};

struct SearchHit {
  int page = 0;   // index in GuideIndex::pages()
  int block = 0;  // block number in that page
  QString snippet;
  int score = 0;
};

// All pages of the guide, read once, for the contents and the search.
class GuideIndex {
 public:
  explicit GuideIndex(const QStringList& folders);

  const QVector<GuidePage>& pages() const { return pages_; }
  int pageIndex(const QString& name) const;

  // Blocks holding every word of `query` (ignoring case and accents). A
  // heading that is the query itself comes first, then other headings, then
  // text, each in page order; at most `limit` hits.
  QVector<SearchHit> search(const QString& query, int limit = 300) const;

 private:
  QVector<GuidePage> pages_;
};

}  // namespace tarvolin::help
