// The studio's Host: notes go to the notes window, questions to message
// boxes, progress to a progress window, file questions to file dialogs.
// Tests and the monkey run replace the dialogs with answerers.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "common/host.h"

class QProgressDialog;
class QWidget;

namespace tarvolin::shell {

class NotesPane;

class StudioHost : public Host {
 public:
  StudioHost() = default;
  ~StudioHost() override;

  // Lines written before the pane exists are kept and shown when it comes.
  void setNotes(NotesPane* notes);
  // The window that dialogs belong to.
  void setDialogParent(QWidget* parent) { parent_ = parent; }

  void outputLine(std::string_view text) override;
  void outputLineAt(std::string_view text, std::string_view script, int line) override;
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons buttons,
                           MessageAnswer defaultAnswer) override;
  bool progress(int percent, std::string_view label) override;
  bool chooseFile(std::string_view title, std::string_view filter, std::string& path) override;

  // Answers message boxes without showing them (tests, the monkey run):
  // the answerer gets the caption and the text; no value shows the box.
  using Answerer = std::function<std::optional<MessageAnswer>(const QString& caption,
                                                              const QString& text)>;
  void setAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }
  // Chooses files without dialogs: gets the title, the filter and whether
  // the file is to be written; an empty answer is a cancel.
  using FileAnswerer = std::function<QString(const QString& title, const QString& filter, bool save)>;
  void setFileAnswerer(FileAnswerer answerer) { fileAnswerer_ = std::move(answerer); }

  // The studio's file questions, through the answerer when one is set
  // (which sees `save` for Save and OpenOrCreate). Empty when cancelled.
  // OpenOrCreate takes an existing file or a new name without asking to
  // replace anything.
  enum class FileQuestion { Open, Save, OpenOrCreate };
  QString askFile(const QString& title, const QString& filter, FileQuestion question,
                  const QString& folder = QString());

  // A long operation shows progress now; frames wait meanwhile.
  bool busy() const { return busy_; }
  // Every message box text asked so far (tests read them).
  const QStringList& askedBoxes() const { return asked_; }

 private:
  NotesPane* notes_ = nullptr;
  QPointer<QWidget> parent_;
  std::vector<std::pair<QString, std::pair<QString, int>>> pending_;
  Answerer answerer_;
  FileAnswerer fileAnswerer_;
  QPointer<QProgressDialog> progress_;
  bool busy_ = false;
  QStringList asked_;
};

}  // namespace tarvolin::shell
