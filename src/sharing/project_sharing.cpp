#include "sharing/project_sharing.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/paths.h"
#include "sharing/file_ops.h"

namespace tarvolin::sharing {

SharingAccount accountFor(const project::Project& project,
                          const project::ProgramSettings& settings) {
  SharingAccount a;
  if (project.settings().serverOverride) {
    a.server = project.settings().serverAddress;
    a.port = project.settings().serverPort;
  } else {
    a.server = settings.networkServerAdd;
    a.port = settings.networkServerPort;
  }
  a.user = settings.networkUsername;
  a.password = settings.networkPassword;
  return a;
}

// ---- one conflict ------------------------------------------------------------

ConflictMerge::ConflictMerge(std::string folder, FileInfoList& list, Conflict conflict,
                             std::string diffProgram)
    : folder_(std::move(folder)), list_(list), conflict_(std::move(conflict)),
      diffProgram_(std::move(diffProgram)) {}

bool ConflictMerge::load(std::string& message, std::string& caption) {
  caption = "Tarvolin";
  if (!platform::readWholeFile(localPath(), local_) ||
      !platform::readWholeFile(serverPath(), server_)) {
    message = kMergeLoadFailed;
    return false;
  }
  text_ = looksLikeText(local_) && looksLikeText(server_);
  if (!text_) return true;
  std::string script;
  if (!runDiff(diffProgram_, localPath(), serverPath(), script)) {
    message = kDiffNotFound;
    return false;
  }
  std::vector<DiffEdit> edits;
  if (!parseEditScript(script, edits) || !merge_.build(local_, server_, edits)) {
    message = kMergeLoadFailed;
    return false;
  }
  return true;
}

void ConflictMerge::keepLocal() {
  keepLocalVersion(list_, conflict_);
  resolved_ = true;
}

bool ConflictMerge::takeServer(std::string& error) {
  resolved_ = replaced_ = takeServerVersion(folder_, list_, conflict_, error);
  return resolved_;
}

bool ConflictMerge::saveMerged(const std::string& text, std::string& error) {
  resolved_ = replaced_ = saveMergedVersion(folder_, list_, conflict_, text, error);
  return resolved_;
}

// ---- the commands ------------------------------------------------------------

struct ProjectSharing::BusyScope {
  explicit BusyScope(ProjectSharing& s) : s(s) {
    s.busy_ = true;
    if (s.ui_) s.ui_->busyChanged(true);
  }
  ~BusyScope() {
    s.busy_ = false;
    if (s.ui_) s.ui_->busyChanged(false);
  }
  ProjectSharing& s;
};

ProjectSharing::ProjectSharing(project::Project& project,
                               const project::ProgramSettings& settings, Host& host)
    : project_(project), settings_(settings), host_(host) {}

void ProjectSharing::bindHooks(project::ProjectHooks& hooks) {
  hooks.readNetworkVersions = [this](const std::string& path) { list_.read(path); };
  hooks.writeNetworkVersions = [this](const std::string& path) { return list_.write(path); };
}

std::string ProjectSharing::folder() const { return project_.sourceRootPath(); }

void ProjectSharing::message(std::string_view caption, std::string_view text) {
  host_.messageBox(caption, text, MessageButtons::Ok, MessageAnswer::Ok);
}

bool ProjectSharing::checkAccount(const SharingAccount& a, const std::string& comment) {
  const char* problem = nullptr;
  if (a.port < 0 || a.port > 65535) problem = "Número de puerto inválido (debe estar entre 0..65535)";
  else if (a.server.empty()) problem = "Falta fijar la dirección del servidor";
  else if (a.user.empty()) problem = "Falta ingresar un usuario de red";
  else if (a.password.empty()) problem = "Falta ingresar una contraseña de red";
  // The fields of the login and project packets hold no more than this.
  else if (a.user.size() > kMaxUserName)
    problem = "El nombre de usuario de red es demasiado largo (50 bytes como máximo)";
  else if (project_.settings().networkName.size() > kMaxProjectName)
    problem = "El nombre del proyecto en el servidor es demasiado largo (50 bytes como máximo)";
  else if (comment.size() > kMaxComment)
    problem = "El comentario es demasiado largo (512 bytes como máximo)";
  if (!problem) return true;
  result_ = problem;
  message(kNetCaption, problem);
  return false;
}

bool ProjectSharing::run(TransactionKind kind, const SharingAccount& account,
                         const std::string& comment, ProjectSync& sync, bool showProgress) {
  const ConnectionSettings where{account.server, account.port, timeoutMs_};
  const Credentials who{account.user, account.password, project_.settings().networkName, comment};
  if (!client_.start(kind, where, who, sync)) {
    result_ = client_.statusText();
    message(kErrorCaption, result_);
    return false;
  }
  if (ui_) ui_->waitFor(client_, showProgress);
  client_.wait();
  result_ = client_.statusText();
  if (client_.couldNotConnect()) {
    message(kNetCaption, "No se puede establecer conexión con el Servidor:" + account.server +
                             ", Puerto:" + std::to_string(account.port));
    return false;
  }
  return client_.success();
}

bool ProjectSharing::saveList() {
  if (!project_.isOpen() || !project_.settings().networked) return true;
  return list_.write(project_.assetPath(std::string(kVersionsFile)));
}

void ProjectSharing::takeList(const ProjectSync& sync) {
  if (!sync.listChanged()) return;
  list_ = sync.list();
  saveList();
}

bool ProjectSharing::info() {
  if (busy_) return false;
  BusyScope busy(*this);
  const SharingAccount account = account_ ? *account_ : accountFor(project_, settings_);
  if (!checkAccount(account, {})) return false;
  ProjectSync sync(folder(), list_, project_.settings().excludeCvs);
  if (!run(TransactionKind::Info, account, {}, sync, false)) {
    if (!client_.couldNotConnect()) message(kErrorCaption, result_);
    return false;
  }
  lastInfo_ = sync.projectInfo();
  if (ui_) ui_->showProjectInfo(lastInfo_);
  return true;
}

bool ProjectSharing::checkShared() {
  if (project_.settings().networked) return true;
  result_ = kNotShared;
  message(kNetCaption, result_);
  return false;
}

bool ProjectSharing::update() {
  if (busy_ || !checkShared()) return false;
  if (ui_ && !ui_->saveAll()) {
    result_ = "Todos los archivos deben guardarse antes de actualizar";
    message(kNetCaption, result_);
    return false;
  }
  BusyScope busy(*this);
  const SharingAccount account = account_ ? *account_ : accountFor(project_, settings_);
  if (!checkAccount(account, {})) return false;
  ProjectSync sync(folder(), list_, project_.settings().excludeCvs);
  const bool ok = run(TransactionKind::Update, account, {}, sync, true);
  takeList(sync);
  lastUpdate_ = sync.update();
  std::vector<std::string> reopen = lastUpdate_.reloaded;
  if (ok) {
    const int updated = lastUpdate_.updated;
    const int conflicts = int(lastUpdate_.conflicts.size());
    char text[160];
    if (updated > 0 && conflicts > 0)
      std::snprintf(text, sizeof text,
                    "Proyecto Actualizado - %d archivos actualizados, %d requieren combinarse",
                    updated - conflicts, conflicts);
    else if (updated > 0)
      std::snprintf(text, sizeof text, "Proyecto Actualizado - se han actualizado %d archivos",
                    updated);
    else
      std::snprintf(text, sizeof text, "Sin cambios - en sincronización con el servidor");
    message(kUpdateCaption, text);
    for (const Conflict& c : lastUpdate_.conflicts) {
      if (!ui_ || !ui_->canMerge()) {
        if (ui_) ui_->conflictLeft(c);
        continue;
      }
      ConflictMerge merge(folder(), list_, c, diffProgram_);
      merge.setTextCheck([this](std::string_view name, std::string_view text) {
        return project_.checkText(project::checkKindForFile(name), text);
      });
      std::string why, caption;
      bool merged = merge.load(why, caption);
      if (!merged) message(caption, why);
      else merged = ui_->mergeConflict(merge);
      if (!merged) message(kErrorCaption, "Error mientras se combinaban archivos");
      if (merge.fileReplaced()) reopen.push_back(merge.localPath());
    }
    if (!lastUpdate_.conflicts.empty()) saveList();
  } else if (!client_.couldNotConnect()) {
    message(kErrorCaption, result_);
  }
  removeFolder(sync.updateFolder());
  if (!reopen.empty() || lastUpdate_.updated > 0) {
    project_.reloadAssets();
    if (ui_) ui_->reopenFiles(reopen);
  }
  return ok;
}

bool ProjectSharing::propose() { return sendChanges(TransactionKind::Propose); }
bool ProjectSharing::commit() { return sendChanges(TransactionKind::Commit); }

bool ProjectSharing::sendChanges(TransactionKind kind) {
  if (busy_ || !checkShared()) return false;
  const bool isCommit = kind == TransactionKind::Commit;
  if (ui_ && !ui_->saveAll()) {
    result_ = isCommit ? "Todos los archivos deben guardarse antes de depositar"
                       : "Todos los archivos deben guardarse antes de proponer";
    message(kNetCaption, result_);
    return false;
  }
  BusyScope busy(*this);
  std::string comment;
  if (isCommit && ui_ && !ui_->askComment(comment)) {
    result_.clear();
    return false;
  }
  const SharingAccount account = account_ ? *account_ : accountFor(project_, settings_);
  if (!checkAccount(account, comment)) return false;
  ProjectSync sync(folder(), list_, project_.settings().excludeCvs);
  const bool ok = run(kind, account, comment, sync, true);
  takeList(sync);
  if (ok || !client_.couldNotConnect()) message(ok ? kCommitCaption : kErrorCaption, result_);
  return ok;
}

}  // namespace tarvolin::sharing
