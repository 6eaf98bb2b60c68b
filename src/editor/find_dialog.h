// The find / replace window: the searched text, the replacement, the three
// options (from the start, match case, whole word) and the buttons. It
// only edits the search and asks the editor area to act.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvolin::editor {

class EditorArea;

class FindDialog : public QDialog {
  Q_OBJECT

 public:
  FindDialog(EditorArea& area, QWidget* parent);

  // Shows the window for finding only, or for replacing too, with `text`
  // as the searched text when it is not empty.
  void showFor(bool replacing, const QString& text);

  QLineEdit* findEdit() const { return findEdit_; }
  QLineEdit* replaceEdit() const { return replaceEdit_; }
  QCheckBox* fromStartBox() const { return fromStart_; }

 private:
  void pushSearch();

  EditorArea& area_;
  QLineEdit* findEdit_ = nullptr;
  QLineEdit* replaceEdit_ = nullptr;
  QLabel* replaceLabel_ = nullptr;
  QCheckBox* fromStart_ = nullptr;
  QCheckBox* matchCase_ = nullptr;
  QCheckBox* wholeWord_ = nullptr;
  QPushButton* findButton_ = nullptr;
  QPushButton* replaceButton_ = nullptr;
  QPushButton* replaceAllButton_ = nullptr;
};

}  // namespace tarvolin::editor
