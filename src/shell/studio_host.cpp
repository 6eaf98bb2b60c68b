#include "shell/studio_host.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "shell/notes_pane.h"

namespace tarvolin::shell {
namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

StudioHost::~StudioHost() {
  if (progress_) delete progress_.data();
}

void StudioHost::setNotes(NotesPane* notes) {
  notes_ = notes;
  if (!notes_) return;
  for (const auto& [text, place] : pending_) notes_->addLineAt(text, place.first, place.second);
  pending_.clear();
}

void StudioHost::outputLine(std::string_view text) { outputLineAt(text, {}, 0); }

void StudioHost::outputLineAt(std::string_view text, std::string_view script, int line) {
  if (notes_)
    notes_->addLineAt(qs(text), qs(script), line);
  else
    pending_.push_back({qs(text), {qs(script), line}});
}

MessageAnswer StudioHost::messageBox(std::string_view caption, std::string_view text,
                                     MessageButtons buttons, MessageAnswer defaultAnswer) {
  const QString title = qs(caption);
  const QString body = qs(text);
  asked_ << body;
  if (answerer_)
    if (std::optional<MessageAnswer> answer = answerer_(title, body)) return *answer;

  QMessageBox box(parent_ ? parent_.data() : QApplication::activeWindow());
  box.setWindowTitle(title);
  box.setText(body);
  box.setIcon(buttons == MessageButtons::Ok ? QMessageBox::Information : QMessageBox::Question);
  struct Choice {
    MessageAnswer answer;
    const char* label;
    QMessageBox::ButtonRole role;
  };
  std::vector<Choice> choices;
  switch (buttons) {
    case MessageButtons::Ok:
      choices = {{MessageAnswer::Ok, "Aceptar", QMessageBox::AcceptRole}};
      break;
    case MessageButtons::OkCancel:
      choices = {{MessageAnswer::Ok, "Aceptar", QMessageBox::AcceptRole},
                 {MessageAnswer::Cancel, "Cancelar", QMessageBox::RejectRole}};
      break;
    case MessageButtons::YesNo:
      choices = {{MessageAnswer::Yes, "&Sí", QMessageBox::YesRole},
                 {MessageAnswer::No, "&No", QMessageBox::NoRole}};
      break;
    case MessageButtons::YesNoCancel:
      choices = {{MessageAnswer::Yes, "&Sí", QMessageBox::YesRole},
                 {MessageAnswer::No, "&No", QMessageBox::NoRole},
                 {MessageAnswer::Cancel, "Cancelar", QMessageBox::RejectRole}};
      break;
  }
  std::vector<QPushButton*> pushButtons;
  for (const Choice& c : choices) {
    QPushButton* b = box.addButton(QString::fromUtf8(c.label), c.role);
    pushButtons.push_back(b);
    if (c.answer == defaultAnswer) box.setDefaultButton(b);
  }
  // Escape is the last choice: Cancel, or No for a yes/no question.
  box.setEscapeButton(pushButtons.back());
  box.exec();
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (box.clickedButton() == pushButtons[i]) return choices[i].answer;
  return choices.back().answer;
}

bool StudioHost::progress(int percent, std::string_view label) {
  if (percent >= 100) {
    // A new window for the next operation: a hidden one would come back
    // when its own show-after timer ran out.
    if (progress_) progress_->deleteLater();
    progress_ = nullptr;
    busy_ = false;
    return true;
  }
  if (!progress_) {
    progress_ = new QProgressDialog(parent_ ? parent_.data() : nullptr);
    progress_->setWindowTitle(QStringLiteral("Tarvolin"));
    progress_->setCancelButtonText(QStringLiteral("Cancelar"));
    progress_->setMinimumDuration(400);
    progress_->setRange(0, 100);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
  }
  busy_ = true;
  progress_->setLabelText(qs(label));
  // Shown once the operation has taken a while; it then takes the cancel.
  progress_->setValue(percent < 0 ? 0 : percent);
  if (progress_->wasCanceled()) {
    progress_->deleteLater();
    progress_ = nullptr;
    busy_ = false;
    return false;
  }
  return true;
}

QString StudioHost::askFile(const QString& title, const QString& filter, FileQuestion question,
                            const QString& folder) {
  if (fileAnswerer_) return fileAnswerer_(title, filter, question != FileQuestion::Open);
  QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
  switch (question) {
    case FileQuestion::Open:
      return QFileDialog::getOpenFileName(parent, title, folder, filter);
    case FileQuestion::Save:
      return QFileDialog::getSaveFileName(parent, title, folder, filter);
    case FileQuestion::OpenOrCreate:
      return QFileDialog::getSaveFileName(parent, title, folder, filter, nullptr,
                                          QFileDialog::DontConfirmOverwrite);
  }
  return {};
}

bool StudioHost::chooseFile(std::string_view title, std::string_view filter, std::string& path) {
  const QString chosen = askFile(qs(title), qs(filter), FileQuestion::Open);
  if (chosen.isEmpty()) return false;
  path = chosen.toStdString();
  return true;
}

}  // namespace tarvolin::shell
