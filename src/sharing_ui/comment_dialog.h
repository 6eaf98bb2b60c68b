// The comment of a commit: a text of at most 512 bytes (what the project
// packet carries), "Aceptar" and "Cancelar".
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarvolin::sharing_ui {

class CommentDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CommentDialog(QWidget* parent = nullptr);

  // The comment as UTF-8 bytes.
  std::string comment() const;
  void setComment(const QString& text);

  QPlainTextEdit* editor() const { return edit_; }
  QPushButton* okButton() const { return ok_; }
  QLabel* countLabel() const { return count_; }

 private:
  void update();

  QPlainTextEdit* edit_;
  QLabel* count_;
  QPushButton* ok_;
};

}  // namespace tarvolin::sharing_ui
