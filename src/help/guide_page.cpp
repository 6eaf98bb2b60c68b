#include "help/guide_page.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>

#include "help/guide_files.h"

namespace tarvolin::help {

namespace {

const QRegularExpression& explicitAnchor() {
  static const QRegularExpression re(QStringLiteral(R"(\s*\{#([^}\s]+)\}\s*$)"));
  return re;
}

bool isCodeBlock(const QTextBlock& block) {
  const QTextBlockFormat f = block.blockFormat();
  return f.hasProperty(QTextFormat::BlockCodeFence) || f.nonBreakableLines();
}

// Shades a code block and colours the script comment that a ";" starts.
void styleCodeBlock(QTextBlock& block) {
  QTextCursor c(block);
  QTextBlockFormat bf;
  bf.setBackground(QColor(0xf2, 0xf2, 0xec));
  bf.setLeftMargin(8);
  c.mergeBlockFormat(bf);
  const QString text = block.text();
  // A ";" inside double quotes (a Log text) starts no comment.
  bool quoted = false;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == ';' && !quoted) {
      c.setPosition(block.position() + i);
      c.setPosition(block.position() + text.size(), QTextCursor::KeepAnchor);
      QTextCharFormat cf;
      cf.setForeground(QColor(0x2e, 0x7d, 0x32));
      c.mergeCharFormat(cf);
      break;
    }
  }
}

}  // namespace

QString headingAnchor(const QString& heading) {
  QString anchor;
  for (const QChar ch : heading.trimmed().toLower()) {
    if (ch.isLetterOrNumber() || ch == '-' || ch == '_')
      anchor += ch;
    else if (ch.isSpace())
      anchor += '-';
  }
  return anchor;
}

void loadGuidePage(QTextDocument& doc, const QString& markdown) {
  doc.setUndoRedoEnabled(false);
  doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
  // One edit block, so a view lays the page out once, not after every change.
  QTextCursor edit(&doc);
  edit.beginEditBlock();
  QSet<QString> used;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    if (isCodeBlock(block)) {
      styleCodeBlock(block);
      continue;
    }
    const int level = block.blockFormat().headingLevel();
    if (level == 0) continue;
    QTextCursor c(block);
    // Headings stand apart and keep their size and weight over code spans
    // (command headings are written as code).
    QTextBlockFormat spacing;
    spacing.setTopMargin(level <= 2 ? 14 : 10);
    spacing.setBottomMargin(4);
    c.mergeBlockFormat(spacing);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat look;
    look.setFontWeight(QFont::Bold);
    look.setProperty(QTextFormat::FontSizeAdjustment, std::max(0, 4 - level));
    c.mergeCharFormat(look);
    c.clearSelection();
    QString text = block.text();
    QString anchor;
    const QRegularExpressionMatch m = explicitAnchor().match(text);
    if (m.hasMatch()) {
      anchor = m.captured(1);
      c.setPosition(block.position() + int(m.capturedStart()));
      c.setPosition(block.position() + int(m.capturedEnd()), QTextCursor::KeepAnchor);
      c.removeSelectedText();
      text.truncate(int(m.capturedStart()));
    } else {
      // Repeated headings get "-1", "-2" ... as on the usual Markdown hosts.
      const QString base = headingAnchor(text);
      anchor = base;
      for (int n = 1; used.contains(anchor); ++n) anchor = base + "-" + QString::number(n);
    }
    used.insert(anchor);
    if (text.isEmpty()) continue;
    c.setPosition(block.position());
    c.setPosition(block.position() + int(text.size()), QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setAnchor(true);
    f.setAnchorNames({anchor});
    c.mergeCharFormat(f);
  }
  edit.endEditBlock();
}

QStringList documentAnchors(const QTextDocument& doc) {
  QStringList anchors;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      if (f.isAnchor())
        for (const QString& name : f.anchorNames())
          if (!anchors.contains(name)) anchors << name;
    }
  return anchors;
}

QString foldForSearch(const QString& text) {
  const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
  QString folded;
  folded.reserve(decomposed.size());
  for (const QChar ch : decomposed)
    if (ch.category() != QChar::Mark_NonSpacing) folded += ch;
  return folded;
}

GuideIndex::GuideIndex(const QStringList& folders) {
  // The contents page first, then the pages it links to in their order, then the rest.
  QStringList order{kContentsPage};
  const QString contentsPath = findGuideFile(folders, kContentsPage);
  QFile contents(contentsPath);
  if (!contentsPath.isEmpty() && contents.open(QIODevice::ReadOnly)) {
    static const QRegularExpression link(QStringLiteral(R"(\]\(([^)#\s]+\.md)(#[^)]*)?\))"));
    const QString text = QString::fromUtf8(contents.readAll());
    for (auto it = link.globalMatch(text); it.hasNext();) {
      const QString name = it.next().captured(1);
      if (!order.contains(name)) order << name;
    }
  }
  for (const QString& name : guidePageNames(folders))
    if (!order.contains(name)) order << name;

  for (const QString& name : order) {
    const QString path = findGuideFile(folders, name);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) continue;
    QTextDocument doc;
    loadGuidePage(doc, QString::fromUtf8(file.readAll()));
    GuidePage page;
    page.name = name;
    int section = -1;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
      const int level = block.blockFormat().headingLevel();
      if (level > 0) {
        QString anchor;
        for (auto it = block.begin(); !it.atEnd() && anchor.isEmpty(); ++it)
          if (!it.fragment().charFormat().anchorNames().isEmpty())
            anchor = it.fragment().charFormat().anchorNames().first();
        page.headings.push_back({level, block.text(), anchor});
        section = int(page.headings.size()) - 1;
        if (page.title.isEmpty()) page.title = block.text();
      }
      page.blocks << block.text();
      page.sectionOf << section;
    }
    if (page.title.isEmpty()) page.title = name;
    pages_.push_back(std::move(page));
  }
}

int GuideIndex::pageIndex(const QString& name) const {
  for (int i = 0; i < pages_.size(); ++i)
    if (pages_[i].name == name) return i;
  return -1;
}

QVector<SearchHit> GuideIndex::search(const QString& query, int limit) const {
  const QString folded = foldForSearch(query.simplified());
  const QStringList words = folded.split(' ', Qt::SkipEmptyParts);
  QVector<SearchHit> hits;
  if (words.isEmpty()) return hits;
  for (int p = 0; p < pages_.size(); ++p) {
    const GuidePage& page = pages_[p];
    for (int b = 0; b < page.blocks.size(); ++b) {
      const QString& text = page.blocks[b];
      if (text.trimmed().isEmpty()) continue;
      const QString blockFolded = foldForSearch(text);
      if (!std::all_of(words.begin(), words.end(), [&](const QString& w) { return blockFolded.contains(w); }))
        continue;
      const int section = page.sectionOf[b];
      // The first block of a section is its heading.
      const bool heading = section >= 0 && (b == 0 || page.sectionOf[b - 1] != section);
      SearchHit hit;
      hit.page = p;
      hit.block = b;
      hit.score = heading ? (blockFolded.trimmed() == folded ? 2 : 1) : 0;
      // A snippet of about 90 characters around the first word.
      const int at = int(blockFolded.indexOf(words.first()));
      const int from = std::max(0, at - 30);
      hit.snippet = text.mid(from, 90).simplified();
      if (from > 0) hit.snippet.prepend(QStringLiteral("…"));
      if (from + 90 < text.size()) hit.snippet += QStringLiteral("…");
      hits.push_back(hit);
    }
  }
  std::stable_sort(hits.begin(), hits.end(), [](const SearchHit& a, const SearchHit& b) { return a.score > b.score; });
  if (hits.size() > limit) hits.resize(limit);
  return hits;
}

}  // namespace tarvolin::help
