// "Asignar Tecla...": waits for one key press. A key without a printable
// name is refused with "No puede utilizarse esa llave" and the window asks
// again; Escape or "Cancelar" leaves the key as it was.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace tarvolin::shell {

class KeyAssignDialog : public QDialog {
  Q_OBJECT

 public:
  // `prompt`: "Presione una Tecla", or the prompt of a shortcut key.
  explicit KeyAssignDialog(const QString& prompt, QWidget* parent = nullptr);

  // The virtual-key code pressed (after exec() returned Accepted).
  int virtualKey() const { return key_; }
  // Handles one key as a press would; true when it was taken.
  bool offerKey(int qtKey, bool keypad);

 protected:
  bool event(QEvent* event) override;

 private:
  QLabel* prompt_ = nullptr;
  QLabel* refusal_ = nullptr;
  int key_ = 0;
};

}  // namespace tarvolin::shell
