// The merge of one conflict: the local and the server's text side by side
// with their differences marked, a choice per difference (the local lines,
// the server's, or a text edited by hand), the merged result, and the three
// ways out: keep the local file, take the server's, save the merged text.
// "Cerrar" leaves everything as it was. The rules (what each way out does
// to the file and the shared-file list) are the core's `ConflictMerge`.
#pragma once

#include <QDialog>
#include <functional>

class QButtonGroup;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tarvolin::sharing {
class ConflictMerge;
}

namespace tarvolin::sharing_ui {

// Asks a yes/no question; true for yes. The studio uses a message box.
using Asker = std::function<bool(QWidget* parent, const QString& question)>;
Asker messageBoxAsker();

class MergeDialog : public QDialog {
  Q_OBJECT

 public:
  // `merge` has been loaded.
  MergeDialog(sharing::ConflictMerge& merge, QWidget* parent = nullptr);

  void setAsker(Asker asker) { asker_ = std::move(asker); }
  // The way out taken; empty when the dialog was closed otherwise.
  const QString& outcome() const { return outcome_; }
  // The last failure of a way out (shown in a box as well).
  const QString& error() const { return error_; }

  // The ways out (the buttons call these).
  void keepLocal();
  void takeServer();
  void saveMerged();
  // Selects a difference (0-based) and shows it.
  void selectDifference(int index);
  // Sets the choice of the selected difference; the edited text for Edited.
  void chooseLocal();
  void chooseServer();
  void chooseEdited(const QString& text);

  QPlainTextEdit* localView() const { return local_; }
  QPlainTextEdit* serverView() const { return server_; }
  QPlainTextEdit* resultView() const { return result_; }
  QPlainTextEdit* editView() const { return edit_; }
  QListWidget* differenceList() const { return differences_; }
  QRadioButton* localChoice() const { return useLocal_; }
  QRadioButton* serverChoice() const { return useServer_; }
  QRadioButton* editedChoice() const { return useEdited_; }
  QPushButton* keepLocalButton() const { return keepLocal_; }
  QPushButton* takeServerButton() const { return takeServer_; }
  QPushButton* saveMergedButton() const { return saveMerged_; }
  QPushButton* closeButton() const { return close_; }

 private:
  void fillViews();
  void markDifferences();
  void showChoice();
  void refreshResult();
  QString decode(const std::string& bytes) const;
  std::string encode(const QString& text) const;
  void fail(const std::string& error);

  sharing::ConflictMerge& merge_;
  Asker asker_;
  bool utf8_ = true;  // the texts' encoding: UTF-8, else Latin-1
  int current_ = -1;
  bool showing_ = false;  // filling the choice widgets, not the user
  QString outcome_, error_;

  QLabel* title_;
  QPlainTextEdit* local_;
  QPlainTextEdit* server_;
  QPlainTextEdit* result_;
  QPlainTextEdit* edit_;
  QListWidget* differences_;
  QButtonGroup* choices_;
  QRadioButton* useLocal_;
  QRadioButton* useServer_;
  QRadioButton* useEdited_;
  QPushButton* keepLocal_;
  QPushButton* takeServer_;
  QPushButton* saveMerged_;
  QPushButton* close_;
};

}  // namespace tarvolin::sharing_ui
