#include "sharing_ui/comment_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "sharing/wire.h"

namespace tarvolin::sharing_ui {

CommentDialog::CommentDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Depositar - Comentario"));
  auto* label = new QLabel(QString::fromUtf8("Describe los cambios que vas a depositar:"), this);
  edit_ = new QPlainTextEdit(this);
  edit_->setTabChangesFocus(true);
  edit_->setMinimumSize(420, 120);
  count_ = new QLabel(this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QString::fromUtf8("Aceptar"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Cancelar"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(edit_, &QPlainTextEdit::textChanged, this, &CommentDialog::update);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(count_);
  layout->addWidget(buttons);
  update();
}

std::string CommentDialog::comment() const { return edit_->toPlainText().toStdString(); }

void CommentDialog::setComment(const QString& text) { edit_->setPlainText(text); }

void CommentDialog::update() {
  const std::size_t used = comment().size();
  const bool fits = used <= sharing::kMaxComment;
  count_->setText(QString::fromUtf8("%1 de %2 bytes%3")
                      .arg(used)
                      .arg(sharing::kMaxComment)
                      .arg(fits ? QString() : QString::fromUtf8(": demasiado largo")));
  ok_->setEnabled(fits);
}

}  // namespace tarvolin::sharing_ui
