#include "help/whats_new_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "help/guide_files.h"

namespace tarvolin::help {

WhatsNewDialog::WhatsNewDialog(project::ProgramSettings& settings, QWidget* parent, QString path)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("DIALOG_NEW_RELEASE"));
  setWindowTitle(QStringLiteral("Novedades de Tarvolin"));
  if (path.isEmpty()) path = whatsNewPath();

  view_ = new QPlainTextEdit(this);
  view_->setReadOnly(true);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    loaded_ = file.error() == QFileDevice::NoError;
    view_->setPlainText(QString::fromUtf8(bytes));
  }

  startup_ = new QCheckBox(QStringLiteral("Mostrar las novedades al iniciar"), this);
  startup_->setChecked(settings.newFeaturesShowStartup);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(startup_);
  row->addStretch(1);
  row->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(row);
  resize(640, 480);
}

QString WhatsNewDialog::text() const { return view_->toPlainText(); }

int WhatsNewDialog::exec() {
  if (!loaded_) {
    setResult(QDialog::Rejected);
    return QDialog::Rejected;
  }
  return QDialog::exec();
}

void WhatsNewDialog::accept() {
  settings_.newFeaturesShowStartup = startup_->isChecked();
  QDialog::accept();
}

void WhatsNewDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!loaded_) {
    // Nothing to show: close as soon as the window opens.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    return;
  }
  if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
    QRect box = frameGeometry();
    box.moveCenter(owner->frameGeometry().center());
    move(box.topLeft());
  }
}

}  // namespace tarvolin::help
