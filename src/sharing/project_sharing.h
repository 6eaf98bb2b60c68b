// The four sharing commands of the open project (project information,
// update, propose, commit) with their checks, questions and result boxes,
// the busy flag that keeps a second one from starting, the project's
// shared-file list, and the merge of conflicts after an update.
//
// The core decides, the window shows: everything a command must show or ask
// goes through `SharingUi` (the studio's dialogs, the command-line tool's
// console, a test's script) and the `Host`'s message boxes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/host.h"
#include "project/program_settings.h"
#include "project/project.h"
#include "sharing/client.h"
#include "sharing/file_info.h"
#include "sharing/merge.h"
#include "sharing/sync.h"

namespace tarvolin::sharing {

inline constexpr std::string_view kNetCaption = "Red de Tarvolin";
inline constexpr std::string_view kErrorCaption = "Error de Red";
inline constexpr std::string_view kUpdateCaption = "Actualización del Proyecto";
inline constexpr std::string_view kCommitCaption = "Red - Depositar/Proponer";
// Update, propose and commit on a project not marked "Compartir".
inline constexpr std::string_view kNotShared =
    "El proyecto no está compartido: marca «Compartir» en la configuración del proyecto";

// Where and as whom to connect.
struct SharingAccount {
  std::string server;
  int port = 0;
  std::string user;
  std::string password;
};

// The project's own server when it overrides the program's, else the
// program settings' server; the user and password of the program settings.
SharingAccount accountFor(const project::Project& project,
                          const project::ProgramSettings& settings);

// One conflict being merged: its two copies, their differences, and the
// three ways out.
class ConflictMerge {
 public:
  ConflictMerge(std::string folder, FileInfoList& list, Conflict conflict,
                std::string diffProgram);

  const Conflict& conflict() const { return conflict_; }
  std::string localPath() const { return localCopyOf(folder_, conflict_); }
  std::string serverPath() const { return serverCopyOf(folder_, conflict_); }

  // Loads both copies and, for text, their differences. False with the
  // message and caption to show when the merge cannot go on.
  bool load(std::string& message, std::string& caption);
  // Whether both copies are text (binary files offer only the two copies).
  bool isText() const { return text_; }
  const std::string& localBytes() const { return local_; }
  const std::string& serverBytes() const { return server_; }
  TextMerge& merge() { return merge_; }
  const TextMerge& merge() const { return merge_; }

  // The three ways out; each marks the conflict resolved.
  void keepLocal();
  bool takeServer(std::string& error);
  bool saveMerged(const std::string& text, std::string& error);
  bool resolved() const { return resolved_; }
  // Whether the way out replaced the local file (the editor reloads it).
  bool fileReplaced() const { return replaced_; }

  // A merged text of a generated asset file must still load as that file.
  void setTextCheck(std::function<bool(std::string_view name, std::string_view text)> check) {
    check_ = std::move(check);
  }
  bool textIsValid(std::string_view text) const { return !check_ || check_(conflict_.name, text); }

 private:
  std::string folder_;
  FileInfoList& list_;
  Conflict conflict_;
  std::string diffProgram_;
  std::string local_, server_;
  bool text_ = false;
  TextMerge merge_;
  bool resolved_ = false;
  bool replaced_ = false;
  std::function<bool(std::string_view, std::string_view)> check_;
};

// What a sharing command asks of whoever shows it.
class SharingUi {
 public:
  virtual ~SharingUi() = default;
  // Saves every modified script and asset; false when something is still unsaved.
  virtual bool saveAll() = 0;
  // The comment of a commit; false when the user cancels.
  virtual bool askComment(std::string& comment) = 0;
  // Returns once `client.finished()`, keeping the interface alive meanwhile
  // (the progress window with its phase, bar and cancel button when
  // `showProgress`).
  virtual void waitFor(SharingClient& client, bool showProgress) = 0;
  // Shows the project information text line by line.
  virtual void showProjectInfo(const std::string& text) = 0;
  // Whether conflicts can be merged here; when not, each is handed to
  // `conflictLeft` and left as it is (the file stays changed, so the next
  // update offers it again).
  virtual bool canMerge() const { return true; }
  virtual void conflictLeft(const Conflict& /*conflict*/) {}
  // Lets the user merge one conflict; false when the merge failed.
  virtual bool mergeConflict(ConflictMerge& merge) = 0;
  // After an update: reopen these files in their editors.
  virtual void reopenFiles(const std::vector<std::string>& paths) = 0;
  // The busy flag changed (the main window holds its menus while set).
  virtual void busyChanged(bool /*busy*/) {}
};

class ProjectSharing {
 public:
  ProjectSharing(project::Project& project, const project::ProgramSettings& settings, Host& host);

  // Fills the project hooks that read and write the shared-file list.
  void bindHooks(project::ProjectHooks& hooks);
  FileInfoList& fileList() { return list_; }
  const FileInfoList& fileList() const { return list_; }
  // The folder the shared files are relative to (the source root).
  std::string folder() const;

  void setUi(SharingUi* ui) { ui_ = ui; }
  // Replaces the account taken from the settings (the command-line tool).
  void setAccount(std::optional<SharingAccount> account) { account_ = std::move(account); }
  // Longest silence from the server before a transaction ends.
  void setTimeout(int ms) { timeoutMs_ = ms; }
  // The diff program ("diff", found on the PATH, by default).
  void setDiffProgram(std::string program) { diffProgram_ = std::move(program); }
  const std::string& diffProgram() const { return diffProgram_; }
  SharingClient& client() { return client_; }

  bool busy() const { return busy_; }

  // The four commands. Each returns true when its transaction ran and
  // succeeded (the empty change list and "must update first" included).
  // Update, propose and commit keep the shared-file list, which a project
  // not marked "Compartir" never writes: on such a project they refuse
  // (kNotShared) rather than lose what they learnt. Information needs no list.
  static bool needsSharedProject(TransactionKind kind) { return kind != TransactionKind::Info; }
  bool info();
  bool update();
  bool propose();
  bool commit();

  // Results of the last command.
  const std::string& resultText() const { return result_; }
  const UpdateResult& lastUpdate() const { return lastUpdate_; }
  const std::string& lastInfo() const { return lastInfo_; }

 private:
  struct BusyScope;
  bool sendChanges(TransactionKind kind);
  bool checkAccount(const SharingAccount& account, const std::string& comment);
  bool checkShared();
  bool run(TransactionKind kind, const SharingAccount& account, const std::string& comment,
           ProjectSync& sync, bool showProgress);
  void message(std::string_view caption, std::string_view text);
  void takeList(const ProjectSync& sync);
  void finishUpdate(const ProjectSync& sync);
  bool saveList();

  project::Project& project_;
  const project::ProgramSettings& settings_;
  Host& host_;
  SharingUi* ui_ = nullptr;
  FileInfoList list_;
  std::optional<SharingAccount> account_;
  int timeoutMs_ = kDefaultTimeoutMs;
  std::string diffProgram_ = "diff";
  SharingClient client_;
  bool busy_ = false;
  std::string result_;
  UpdateResult lastUpdate_;
  std::string lastInfo_;
};

}  // namespace tarvolin::sharing
