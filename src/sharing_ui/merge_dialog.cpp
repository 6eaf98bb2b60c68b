#include "sharing_ui/merge_dialog.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QVBoxLayout>

#include "sharing/project_sharing.h"

namespace tarvolin::sharing_ui {
namespace {

const QColor kLocalMark(255, 222, 222);
const QColor kServerMark(214, 245, 214);
const QColor kCurrentMark(255, 236, 160);

QString q(std::string_view text) { return QString::fromUtf8(text.data(), int(text.size())); }

QPlainTextEdit* textView(QWidget* parent, bool readOnly) {
  auto* view = new QPlainTextEdit(parent);
  view->setReadOnly(readOnly);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  return view;
}

// Marks whole lines [first, first + count) of a view.
void markLines(QPlainTextEdit* view, int first, int count, const QColor& colour,
               QList<QTextEdit::ExtraSelection>& marks) {
  for (int i = 0; i < count; ++i) {
    const QTextBlock block = view->document()->findBlockByNumber(first + i);
    if (!block.isValid()) break;
    QTextEdit::ExtraSelection mark;
    mark.format.setBackground(colour);
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.cursor = QTextCursor(block);
    marks.append(mark);
  }
}

// Puts a line in the middle of the view (the first lines stay at the top).
void scrollTo(QPlainTextEdit* view, int line) {
  QTextCursor c(view->document()->findBlockByNumber(std::max(0, line)));
  view->setTextCursor(c);
  // Without wrapping the scroll bar counts lines.
  const int shown = view->viewport()->height() / std::max(1, view->fontMetrics().lineSpacing());
  view->verticalScrollBar()->setValue(std::max(0, line - shown / 2));
}

}  // namespace

Asker messageBoxAsker() {
  return [](QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, QString::fromUtf8("Tarvolin"), question,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
}

MergeDialog::MergeDialog(sharing::ConflictMerge& merge, QWidget* parent)
    : QDialog(parent), merge_(merge), asker_(messageBoxAsker()) {
  const sharing::Conflict& c = merge.conflict();
  setWindowTitle(QString::fromUtf8("Combinar - ") + q(c.name));
  {
    // Texts that are not valid UTF-8 are taken as Latin-1, byte for byte.
    QStringDecoder check(QStringDecoder::Utf8);
    const QString decoded = check(QByteArray::fromStdString(merge.localBytes() + merge.serverBytes()));
    utf8_ = !check.hasError();
  }

  title_ = new QLabel(this);
  title_->setText(QString::fromUtf8("«%1» cambió aquí y en el servidor (versión %2).")
                      .arg(q(c.name))
                      .arg(c.version));

  local_ = textView(this, true);
  server_ = textView(this, true);
  auto* localBox = new QGroupBox(QString::fromUtf8("Local"), this);
  (new QVBoxLayout(localBox))->addWidget(local_);
  auto* serverBox = new QGroupBox(QString::fromUtf8("Servidor"), this);
  (new QVBoxLayout(serverBox))->addWidget(server_);
  auto* sides = new QSplitter(Qt::Horizontal, this);
  sides->addWidget(localBox);
  sides->addWidget(serverBox);

  differences_ = new QListWidget(this);
  differences_->setMinimumWidth(330);
  useLocal_ = new QRadioButton(QString::fromUtf8("Usar las líneas &locales"), this);
  useServer_ = new QRadioButton(QString::fromUtf8("Usar las líneas del &servidor"), this);
  useEdited_ = new QRadioButton(QString::fromUtf8("&Editar a mano:"), this);
  choices_ = new QButtonGroup(this);
  choices_->addButton(useLocal_);
  choices_->addButton(useServer_);
  choices_->addButton(useEdited_);
  edit_ = textView(this, false);
  edit_->setMaximumHeight(110);
  auto* choiceBox = new QGroupBox(QString::fromUtf8("En esta diferencia"), this);
  auto* choiceLayout = new QVBoxLayout(choiceBox);
  choiceLayout->addWidget(useLocal_);
  choiceLayout->addWidget(useServer_);
  choiceLayout->addWidget(useEdited_);
  choiceLayout->addWidget(edit_);
  auto* diffBox = new QGroupBox(QString::fromUtf8("Diferencias"), this);
  (new QVBoxLayout(diffBox))->addWidget(differences_);

  result_ = textView(this, true);
  auto* resultBox = new QGroupBox(QString::fromUtf8("Resultado de la combinación"), this);
  (new QVBoxLayout(resultBox))->addWidget(result_);

  auto* middle = new QHBoxLayout;
  middle->addWidget(diffBox);
  middle->addWidget(choiceBox, 1);

  keepLocal_ = new QPushButton(QString::fromUtf8("Conservar &local"), this);
  takeServer_ = new QPushButton(QString::fromUtf8("&Tomar del servidor"), this);
  saveMerged_ = new QPushButton(QString::fromUtf8("&Guardar combinación"), this);
  close_ = new QPushButton(QString::fromUtf8("&Cerrar"), this);
  keepLocal_->setToolTip(QString::fromUtf8(
      "Deja el archivo local como está; se enviará al servidor con el próximo depósito"));
  takeServer_->setToolTip(QString::fromUtf8("Sustituye el archivo local por el del servidor"));
  saveMerged_->setToolTip(QString::fromUtf8("Guarda el resultado de la combinación en el archivo local"));
  // Enter closes without changing anything; each way out is a deliberate click.
  for (QPushButton* b : {keepLocal_, takeServer_, saveMerged_}) b->setAutoDefault(false);
  close_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(keepLocal_);
  buttons->addWidget(takeServer_);
  buttons->addWidget(saveMerged_);
  buttons->addStretch();
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(sides, 3);
  layout->addLayout(middle, 1);
  layout->addWidget(resultBox, 2);
  layout->addLayout(buttons);
  resize(980, 720);

  connect(keepLocal_, &QPushButton::clicked, this, &MergeDialog::keepLocal);
  connect(takeServer_, &QPushButton::clicked, this, &MergeDialog::takeServer);
  connect(saveMerged_, &QPushButton::clicked, this, &MergeDialog::saveMerged);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(differences_, &QListWidget::currentRowChanged, this, &MergeDialog::selectDifference);
  connect(useLocal_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !showing_) chooseLocal();
  });
  connect(useServer_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !showing_) chooseServer();
  });
  connect(useEdited_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !showing_) chooseEdited(edit_->toPlainText());
  });
  // Typing in the box is editing by hand, whichever choice was ticked.
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_) chooseEdited(edit_->toPlainText());
  });

  fillViews();
}

QString MergeDialog::decode(const std::string& bytes) const {
  return utf8_ ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
               : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string MergeDialog::encode(const QString& text) const {
  const QByteArray b = utf8_ ? text.toUtf8() : text.toLatin1();
  return std::string(b.constData(), std::size_t(b.size()));
}

void MergeDialog::fillViews() {
  if (!merge_.isText()) {
    local_->setPlainText(QString::fromUtf8("(archivo binario de %1 bytes)").arg(merge_.localBytes().size()));
    server_->setPlainText(QString::fromUtf8("(archivo binario de %1 bytes)").arg(merge_.serverBytes().size()));
    differences_->setEnabled(false);
    for (QAbstractButton* b : choices_->buttons()) b->setEnabled(false);
    edit_->setEnabled(false);
    saveMerged_->setEnabled(false);
    result_->setPlainText(QString::fromUtf8("Solo puede conservarse una de las dos copias."));
    return;
  }
  // Line ends stay in the texts the merge joins; the views show lines.
  auto linesOf = [this](const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) {
      std::string_view v(l);
      while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.remove_suffix(1);
      out << decode(std::string(v));
    }
    return out.join(QLatin1Char('\n'));
  };
  local_->setPlainText(linesOf(merge_.merge().localLines()));
  server_->setPlainText(linesOf(merge_.merge().serverLines()));
  const auto& hunks = merge_.merge().hunks();
  for (std::size_t i = 0; i < hunks.size(); ++i) {
    const sharing::MergeHunk& h = hunks[i];
    auto span = [](int first, int count) {
      return count == 1 ? QString::fromUtf8("línea %1").arg(first)
                        : QString::fromUtf8("líneas %1-%2").arg(first).arg(first + count - 1);
    };
    QString where;
    if (h.localCount == 0)
      where = (h.serverCount == 1 ? QString::fromUtf8("1 línea nueva del servidor")
                                  : QString::fromUtf8("%1 líneas nuevas del servidor").arg(h.serverCount)) +
              QString::fromUtf8(" tras la línea %1").arg(h.localStart);
    else if (h.serverCount == 0)
      where = span(h.localStart + 1, h.localCount) +
              (h.localCount == 1 ? QString::fromUtf8(" solo local") : QString::fromUtf8(" solo locales"));
    else
      where = span(h.localStart + 1, h.localCount) +
              (h.localCount == 1 ? QString::fromUtf8(" distinta") : QString::fromUtf8(" distintas"));
    differences_->addItem(QString::fromUtf8("%1. %2").arg(i + 1).arg(where));
  }
  if (hunks.empty()) {
    differences_->addItem(QString::fromUtf8("Los textos solo difieren en los finales de línea"));
    for (QAbstractButton* b : choices_->buttons()) b->setEnabled(false);
    edit_->setEnabled(false);
  } else {
    differences_->setCurrentRow(0);
  }
  markDifferences();
  refreshResult();
}

void MergeDialog::markDifferences() {
  if (!merge_.isText()) return;
  QList<QTextEdit::ExtraSelection> localMarks, serverMarks;
  const auto& hunks = merge_.merge().hunks();
  for (int i = 0; i < int(hunks.size()); ++i) {
    const sharing::MergeHunk& h = hunks[std::size_t(i)];
    markLines(local_, h.localStart, h.localCount, i == current_ ? kCurrentMark : kLocalMark, localMarks);
    markLines(server_, h.serverStart, h.serverCount, i == current_ ? kCurrentMark : kServerMark,
              serverMarks);
  }
  local_->setExtraSelections(localMarks);
  server_->setExtraSelections(serverMarks);
}

void MergeDialog::selectDifference(int index) {
  const auto& hunks = merge_.merge().hunks();
  if (index < 0 || index >= int(hunks.size())) return;
  current_ = index;
  if (differences_->currentRow() != index) differences_->setCurrentRow(index);
  const sharing::MergeHunk& h = hunks[std::size_t(index)];
  scrollTo(local_, h.localStart);
  scrollTo(server_, h.serverStart);
  showChoice();
  markDifferences();
  refreshResult();
}

void MergeDialog::showChoice() {
  const sharing::MergeHunk& h = merge_.merge().hunks()[std::size_t(current_)];
  showing_ = true;
  useLocal_->setChecked(h.choice == sharing::HunkChoice::Local);
  useServer_->setChecked(h.choice == sharing::HunkChoice::Server);
  useEdited_->setChecked(h.choice == sharing::HunkChoice::Edited);
  // The hand edit starts from the server's lines unless already edited; it
  // shows lines, and takes the texts' line end back when chosen.
  QString lines = decode(h.choice == sharing::HunkChoice::Edited ? h.edited
                                                                 : merge_.merge().serverText(h));
  lines.remove(QLatin1Char('\r'));
  if (lines.endsWith(QLatin1Char('\n'))) lines.chop(1);
  edit_->setPlainText(lines);
  showing_ = false;
}

void MergeDialog::chooseLocal() {
  if (current_ < 0) return;
  merge_.merge().hunks()[std::size_t(current_)].choice = sharing::HunkChoice::Local;
  if (!useLocal_->isChecked()) showChoice();
  refreshResult();
}

void MergeDialog::chooseServer() {
  if (current_ < 0) return;
  merge_.merge().hunks()[std::size_t(current_)].choice = sharing::HunkChoice::Server;
  if (!useServer_->isChecked()) showChoice();
  refreshResult();
}

void MergeDialog::chooseEdited(const QString& text) {
  if (current_ < 0) return;
  sharing::MergeHunk& h = merge_.merge().hunks()[std::size_t(current_)];
  h.choice = sharing::HunkChoice::Edited;
  // The edit keeps the line end the texts use, on every line.
  const std::string local = merge_.merge().localText(h) + merge_.merge().serverText(h);
  const std::string end = local.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::string edited = encode(text);
  std::string withEnds;
  std::size_t start = 0;
  while (start < edited.size()) {
    std::size_t stop = edited.find('\n', start);
    if (stop == std::string::npos) stop = edited.size();
    std::string line = edited.substr(start, stop - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    withEnds += line + end;
    start = stop + 1;
  }
  h.edited = withEnds;
  if (!useEdited_->isChecked()) {
    showing_ = true;
    useEdited_->setChecked(true);
    if (edit_->toPlainText() != text) edit_->setPlainText(text);
    showing_ = false;
  }
  refreshResult();
}

void MergeDialog::refreshResult() {
  if (!merge_.isText()) return;
  QString text = decode(merge_.merge().result());
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result_->setPlainText(text);
  // The selected difference as it stands in the result, marked and in view.
  if (current_ < 0) return;
  const auto [first, count] = merge_.merge().resultSpan(std::size_t(current_));
  QList<QTextEdit::ExtraSelection> marks;
  markLines(result_, first, count, kCurrentMark, marks);
  result_->setExtraSelections(marks);
  scrollTo(result_, first);
}

void MergeDialog::fail(const std::string& error) {
  error_ = q(error);
  QMessageBox::warning(this, QString::fromUtf8("Error de Red"), error_);
}

void MergeDialog::keepLocal() {
  if (!asker_(this, q(sharing::kConfirmKeepLocal))) return;
  merge_.keepLocal();
  outcome_ = QString::fromUtf8("local");
  accept();
}

void MergeDialog::takeServer() {
  if (!asker_(this, q(sharing::kConfirmTakeServer))) return;
  std::string error;
  if (!merge_.takeServer(error)) {
    fail(error);
    return;
  }
  outcome_ = QString::fromUtf8("servidor");
  accept();
}

void MergeDialog::saveMerged() {
  const std::string text = merge_.merge().result();
  if (!merge_.textIsValid(text) &&
      !asker_(this, QString::fromUtf8("El texto combinado no se puede leer como «%1»: ¿guardarlo de todas formas?")
                        .arg(q(merge_.conflict().name))))
    return;
  std::string error;
  if (!merge_.saveMerged(text, error)) {
    fail(error);
    return;
  }
  outcome_ = QString::fromUtf8("combinado");
  accept();
}

}  // namespace tarvolin::sharing_ui
