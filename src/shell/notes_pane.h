// The notes window: every line the core writes, in order. A line tied to a
// script and a line opens that place on double-click.
#pragma once

#include <QListWidget>
#include <QString>

namespace tarvolin::shell {

class NotesPane : public QListWidget {
  Q_OBJECT

 public:
  // Lines kept; the oldest go first when more arrive.
  static constexpr int kMaxLines = 20000;

  explicit NotesPane(QWidget* parent = nullptr);

  void addLine(const QString& text);
  void addLineAt(const QString& text, const QString& script, int line);
  // The text of every line, for tests and copying.
  QStringList lines() const;

 signals:
  // A tied line was double-clicked (1-based line).
  void openPlace(const QString& script, int line);

 private:
  void append(QListWidgetItem* item);
  void activate(QListWidgetItem* item);
  void showMenu(const QPoint& pos);
};

}  // namespace tarvolin::shell
