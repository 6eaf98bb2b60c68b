// The project information received from the server, shown line by line.
#pragma once

#include <QDialog>
#include <string>

class QListWidget;

namespace tarvolin::sharing_ui {

class ProjectInfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProjectInfoDialog(const std::string& text, QWidget* parent = nullptr);
  QListWidget* lines() const { return list_; }

 private:
  QListWidget* list_;
};

}  // namespace tarvolin::sharing_ui
