#include "shell/key_assign_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/key_table.h"

namespace tarvolin::shell {

KeyAssignDialog::KeyAssignDialog(const QString& prompt, QWidget* parent) : QDialog(parent) {
  setObjectName("assignKey");
  setWindowTitle(QStringLiteral("Asignar Tecla..."));
  setFocusPolicy(Qt::StrongFocus);
  auto* layout = new QVBoxLayout(this);
  prompt_ = new QLabel(prompt, this);
  prompt_->setAlignment(Qt::AlignCenter);
  QFont big = prompt_->font();
  big.setPointSizeF(big.pointSizeF() * 1.2);
  prompt_->setFont(big);
  refusal_ = new QLabel(this);
  refusal_->setAlignment(Qt::AlignCenter);
  refusal_->setStyleSheet("color: #a02020;");
  auto* cancel = new QPushButton(QStringLiteral("Cancelar"), this);
  // The button never takes the focus or Enter: every key is for the question.
  cancel->setFocusPolicy(Qt::NoFocus);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(prompt_);
  layout->addWidget(refusal_);
  layout->addWidget(cancel, 0, Qt::AlignCenter);
  setMinimumWidth(320);
}

bool KeyAssignDialog::offerKey(int qtKey, bool keypad) {
  if (qtKey == Qt::Key_Escape) {
    reject();
    return true;
  }
  const int vk = virtualKeyFromQt(qtKey, keypad);
  if (virtualKeyName(vk).isEmpty()) {
    refusal_->setText(QStringLiteral("No puede utilizarse esa llave"));
    return false;
  }
  key_ = vk;
  accept();
  return true;
}

bool KeyAssignDialog::event(QEvent* event) {
  // Every key reaches the question before the dialog's own handling
  // (Enter, Tab, Escape).
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) offerKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier));
    return true;
  }
  return QDialog::event(event);
}

}  // namespace tarvolin::shell
