// The status window `EditStatus`: one line of help about the caret's line.
#pragma once

#include <QLabel>

namespace tarvolin::editor {

class EditStatus : public QLabel {
  Q_OBJECT

 public:
  explicit EditStatus(QWidget* parent = nullptr);
};

}  // namespace tarvolin::editor
