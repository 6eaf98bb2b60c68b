#include "shell/notes_pane.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>

namespace tarvolin::shell {
namespace {

constexpr int kScriptRole = Qt::UserRole;
constexpr int kLineRole = Qt::UserRole + 1;

}  // namespace

NotesPane::NotesPane(QWidget* parent) : QListWidget(parent) {
  setObjectName("notes");
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setFont(QFont("Monospace", font().pointSize()));
  connect(this, &QListWidget::itemDoubleClicked, this, &NotesPane::activate);
  connect(this, &QListWidget::itemActivated, this, &NotesPane::activate);
  connect(this, &QWidget::customContextMenuRequested, this, &NotesPane::showMenu);
}

void NotesPane::append(QListWidgetItem* item) {
  // Follow the end only when the user is looking at it.
  QScrollBar* bar = verticalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum();
  if (count() >= kMaxLines) delete takeItem(0);
  addItem(item);
  if (atEnd) scrollToBottom();
}

void NotesPane::addLine(const QString& text) { append(new QListWidgetItem(text)); }

void NotesPane::addLineAt(const QString& text, const QString& script, int line) {
  auto* item = new QListWidgetItem(text);
  if (!script.isEmpty() && line > 0) {
    item->setData(kScriptRole, script);
    item->setData(kLineRole, line);
    item->setToolTip(QStringLiteral("%1, línea %2").arg(script).arg(line));
  }
  append(item);
}

QStringList NotesPane::lines() const {
  QStringList all;
  for (int i = 0; i < count(); ++i) all << item(i)->text();
  return all;
}

void NotesPane::activate(QListWidgetItem* item) {
  if (!item) return;
  const QString script = item->data(kScriptRole).toString();
  const int line = item->data(kLineRole).toInt();
  if (!script.isEmpty() && line > 0) emit openPlace(script, line);
}

void NotesPane::showMenu(const QPoint& pos) {
  QMenu menu(this);
  QAction* copy = menu.addAction(QStringLiteral("&Copiar"));
  copy->setEnabled(!selectedItems().isEmpty());
  QAction* clearAll = menu.addAction(QStringLiteral("&Limpiar notas"));
  clearAll->setEnabled(count() > 0);
  QAction* chosen = menu.exec(viewport()->mapToGlobal(pos));
  if (chosen == copy) {
    QStringList text;
    for (int i = 0; i < count(); ++i)
      if (item(i)->isSelected()) text << item(i)->text();
    QApplication::clipboard()->setText(text.join('\n'));
  } else if (chosen == clearAll) {
    clear();
  }
}

}  // namespace tarvolin::shell
