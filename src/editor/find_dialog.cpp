#include "editor/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/editor_area.h"

namespace tarvolin::editor {

FindDialog::FindDialog(EditorArea& area, QWidget* parent) : QDialog(parent), area_(area) {
  setObjectName(QStringLiteral("DialogFindReplace"));
  setModal(false);
  auto* grid = new QGridLayout(this);
  auto* findLabel = new QLabel(tr("&Buscar:"), this);
  findEdit_ = new QLineEdit(this);
  findLabel->setBuddy(findEdit_);
  replaceLabel_ = new QLabel(tr("Reem&plazar con:"), this);
  replaceEdit_ = new QLineEdit(this);
  replaceLabel_->setBuddy(replaceEdit_);
  fromStart_ = new QCheckBox(tr("Desde el c&omienzo"), this);
  matchCase_ = new QCheckBox(tr("Coincidir &mayúsculas y minúsculas"), this);
  wholeWord_ = new QCheckBox(tr("Sólo palabras &completas"), this);
  findButton_ = new QPushButton(tr("Buscar &siguiente"), this);
  replaceButton_ = new QPushButton(tr("&Reemplazar"), this);
  replaceAllButton_ = new QPushButton(tr("Reemplazar &todo"), this);
  auto* closeButton = new QPushButton(tr("Cancelar"), this);
  findButton_->setDefault(true);

  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(findEdit_, 0, 1);
  grid->addWidget(replaceLabel_, 1, 0);
  grid->addWidget(replaceEdit_, 1, 1);
  auto* options = new QVBoxLayout;
  options->addWidget(fromStart_);
  options->addWidget(matchCase_);
  options->addWidget(wholeWord_);
  grid->addLayout(options, 2, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findButton_);
  buttons->addWidget(replaceButton_);
  buttons->addWidget(replaceAllButton_);
  buttons->addWidget(closeButton);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 2, 3, 1);

  connect(findButton_, &QPushButton::clicked, this, [this] {
    pushSearch();
    area_.findNext();
    // The start was the top once; the next search goes on from the find.
    fromStart_->setChecked(false);
  });
  connect(replaceButton_, &QPushButton::clicked, this, [this] {
    pushSearch();
    area_.replaceOnce();
    fromStart_->setChecked(false);
  });
  connect(replaceAllButton_, &QPushButton::clicked, this, [this] {
    pushSearch();
    area_.replaceAll();
  });
  connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void FindDialog::pushSearch() {
  FindOptions options;
  options.fromStart = fromStart_->isChecked();
  options.matchCase = matchCase_->isChecked();
  options.wholeWord = wholeWord_->isChecked();
  area_.setSearch(findEdit_->text(), replaceEdit_->text(), options);
}

void FindDialog::showFor(bool replacing, const QString& text) {
  setWindowTitle(replacing ? tr("Reemplazar") : tr("Buscar"));
  replaceLabel_->setVisible(replacing);
  replaceEdit_->setVisible(replacing);
  replaceButton_->setVisible(replacing);
  replaceAllButton_->setVisible(replacing);
  if (!text.isEmpty()) findEdit_->setText(text);
  show();
  raise();
  activateWindow();
  findEdit_->setFocus();
  findEdit_->selectAll();
}

}  // namespace tarvolin::editor
