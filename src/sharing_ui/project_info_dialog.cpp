#include "sharing_ui/project_info_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace tarvolin::sharing_ui {

ProjectInfoDialog::ProjectInfoDialog(const std::string& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Información del Proyecto"));
  list_ = new QListWidget(this);
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setMinimumSize(560, 300);
  const QStringList lines = QString::fromUtf8(text.data(), int(text.size()))
                                .split(QRegularExpression(QStringLiteral("\r?\n")));
  for (int i = 0; i < lines.size(); ++i) {
    if (i == lines.size() - 1 && lines[i].isEmpty()) break;  // the text's own last line end
    list_->addItem(lines[i]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QString::fromUtf8("Cerrar"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // A text to read: no line stands out as chosen, and Enter closes.
  list_->setCurrentRow(-1);
  list_->setFocusPolicy(Qt::NoFocus);
  buttons->button(QDialogButtonBox::Close)->setDefault(true);
  buttons->button(QDialogButtonBox::Close)->setFocus();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

}  // namespace tarvolin::sharing_ui
