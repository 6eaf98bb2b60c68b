#include "sharing/sync.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/files.h"
#include "platform/file_time.h"
#include "platform/paths.h"
#include "sharing/file_ops.h"
#include "sharing/file_pack.h"
#include "sharing/shared_names.h"

namespace tarvolin::sharing {

namespace {

// The received version list; false when it cannot be read.
bool readVersionLines(const std::string& folder, std::vector<VersionLine>& lines) {
  std::string text;
  if (!platform::readWholeFile(platform::joinPath(folder, kVersionListFile), text)) return false;
  lines = parseVersionLines(text, 'V');
  return true;
}

}  // namespace

bool applyUpdate(const std::string& folder, FileInfoList& list, UpdateResult& result,
                 std::string& error) {
  result = UpdateResult{};
  std::vector<VersionLine> lines;
  if (!readVersionLines(folder, lines)) {
    error = "No se puede leer la lista de versiones recibida";
    return false;
  }
  for (const VersionLine& l : lines) {
    if (!isSafeRelativeName(l.name)) {
      error = "La lista del servidor nombra un archivo no válido: '" + l.name + "'";
      return false;
    }
  }
  result.updated = int(lines.size());
  const std::string incoming = platform::joinPath(folder, kUpdateFolder);
  FileInfoList next = list;
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < next.entries().size(); ++i)
    index.emplace(sharedNameKey(next.entries()[i].name), i);
  // The file now holds the received version, written at `time`.
  auto record = [&](const VersionLine& l, FileInfo* entry, std::uint64_t time) {
    if (entry) {
      entry->version = l.version;
      entry->fileTime = time;
    } else {
      index.emplace(sharedNameKey(l.name), next.entries().size());
      next.add({storedName(l.name), l.version, time});
    }
  };

  for (const VersionLine& l : lines) {
    if (isNeverShared(l.name)) {
      --result.updated;
      continue;
    }
    const std::string server = platform::joinPath(incoming, l.name);
    const std::string local = localPathOf(folder, l.name);
    if (!platform::fileExists(server)) {
      error = "Falta el archivo recibido '" + l.name + "'";
      return false;
    }
    auto found = index.find(sharedNameKey(l.name));
    FileInfo* entry = found == index.end() ? nullptr : &next.entries()[found->second];
    const bool localExists = platform::fileExists(local);
    std::uint64_t time = 0;
    if (localExists && sameFileContent(local, server)) {
      if (!platform::fileWriteTime(local, time)) {
        error = "No se puede leer la fecha de '" + l.name + "'";
        return false;
      }
      record(l, entry, time);
      --result.updated;
      continue;
    }
    // A local file that differs and was changed since it was synchronised
    // (or was never synchronised at all) is not overwritten: it is merged.
    bool changedHere = false;
    if (localExists) {
      std::uint64_t now = 0;
      changedHere = !entry || !platform::fileWriteTime(local, now) || now != entry->fileTime;
    }
    if (changedHere) {
      result.conflicts.push_back({entry ? entry->name : storedName(l.name), l.version});
      continue;
    }
    // The received copy is moved into place (one atomic rename); a copy
    // through a temporary file when the two folders differ in file system.
    const bool placed = std::rename(server.c_str(), local.c_str()) == 0 ||
                        (platform::makeFolders(std::string(platform::folderOf(local))) &&
                         std::rename(server.c_str(), local.c_str()) == 0) ||
                        copyFileAtomically(server, local);
    if (!placed || !platform::fileWriteTime(local, time)) {
      error = "No se puede copiar '" + l.name + "' en el proyecto";
      return false;
    }
    record(l, entry, time);
    result.reloaded.push_back(local);
  }
  list = std::move(next);
  return true;
}

bool listFromCommitResult(const std::string& folder, FileInfoList& list) {
  std::vector<VersionLine> lines;
  if (!readVersionLines(folder, lines)) return false;
  FileInfoList next;
  for (const VersionLine& l : lines) {
    if (!isSafeRelativeName(l.name)) return false;
    if (isNeverShared(l.name)) continue;
    std::uint64_t time = 0;
    if (!platform::fileWriteTime(localPathOf(folder, l.name), time)) return false;
    next.add({storedName(l.name), l.version, time});
  }
  list = std::move(next);
  return true;
}

ProjectSync::ProjectSync(std::string folder, FileInfoList list, bool excludeCvs)
    : folder_(std::move(folder)), list_(std::move(list)), excludeCvs_(excludeCvs) {}

std::string ProjectSync::path(std::string_view name) const {
  return platform::joinPath(folder_, name);
}
std::string ProjectSync::updateFolder() const { return path(kUpdateFolder); }

bool ProjectSync::writeVersionList(const std::vector<VersionLine>& lines) const {
  return writeTemporaryFile(path(kVersionListFile), versionListText(lines));
}

StepResult ProjectSync::prepare(Step step, StepContext& ctx) {
  std::string error;
  switch (step) {
    case Step::Login:
    case Step::SelectProject:
      return StepResult::ok();
    case Step::SendVersionList: {
      if (!platform::folderExists(folder_))
        return StepResult::fail(
            "La carpeta del proyecto no existe (para enviar la versión del proyecto)");
      if (!writeVersionList(buildVersionList(list_, folder_)))
        return StepResult::fail("Error construyendo la lista de archivos del cliente");
      if (!platform::fileExists(path(kVersionListFile)))
        return StepResult::fail("No se puede hallar el archivo con la versión del proyecto ");
      if (!packFiles(folder_, {std::string(kVersionListFile)}, path(kPackFile), error))
        return StepResult::fail(
            "Error mientras se empaquetaba la versión del proyecto del cliente");
      ctx.fileToSend = path(kPackFile);
      return StepResult::ok();
    }
    case Step::ReceiveVersionList:
    case Step::ReceiveProjectInfo:
    case Step::ReceiveCommitResult:
      ctx.destination = folder_;
      ctx.progress->setPhase(Phase::ReceivingList);
      return StepResult::ok();
    case Step::ReceiveNewFiles:
      ctx.destination = updateFolder();
      removeFolder(ctx.destination);
      ctx.progress->setPhase(Phase::ReceivingNew);
      return StepResult::ok();
    case Step::SendChangeList: {
      ctx.progress->setPhase(Phase::Listing);
      if (!platform::folderExists(folder_))
        return StepResult::fail(
            "La carpeta del proyecto no existe (para enviar la lista de cambios del proyecto)");
      TransactionProgress* progress = ctx.progress;
      if (!buildChangeList(list_, folder_, excludeCvs_, changes_,
                           [progress](std::uint32_t d, std::uint32_t t) { progress->set(d, t); }) ||
          !writeVersionList(changes_.lines))
        return StepResult::fail("Error al construir la lista de archivos modificada por el cliente");
      if (changes_.selected.empty()) return StepResult::finish(std::string(kNoChanges));
      if (!packFiles(folder_, {std::string(kVersionListFile)}, path(kPackFile), error))
        return StepResult::fail(
            "Error mientras se empaquetaba la lista de archivos modificada por el cliente");
      ctx.progress->setPhase(Phase::SendingList);
      ctx.fileToSend = path(kPackFile);
      return StepResult::ok();
    }
    case Step::SendProposedFiles:
    case Step::SendCommittedFiles: {
      // Packing many or large files takes a while: the bar follows it, and
      // a cancel stops it.
      PackWatch watch;
      watch.progress = [&ctx](std::uint64_t done, std::uint64_t total) {
        // In kibibytes: the bar's numbers are 32-bit.
        ctx.progress->set(std::uint32_t(done >> 10), std::uint32_t(std::max<std::uint64_t>(1, total >> 10)));
      };
      watch.stop = [&ctx] { return ctx.cancelled(); };
      if (!packFiles(folder_, changes_.selected, path(kPackFile), error, &watch))
        return StepResult::fail("Error construyendo el paquete parcial del proyecto del cliente");
      ctx.fileToSend = path(kPackFile);
      return StepResult::ok();
    }
  }
  return StepResult::ok();
}

bool ProjectSync::unpack(Step step, const std::string& packPath, const std::string& destination,
                         std::string& error) {
  // Into the project folder only the expected list may come.
  static const std::vector<std::string> versionList{std::string(kVersionListFile)};
  static const std::vector<std::string> projectInfo{std::string(kProjectInfoFile)};
  UnpackOptions options;
  if (step == Step::ReceiveProjectInfo) options.allowedNames = &projectInfo;
  else if (step != Step::ReceiveNewFiles) options.allowedNames = &versionList;
  // The update folder is thrown away whole when the update fails.
  options.direct = step == Step::ReceiveNewFiles;
  return unpackFiles(packPath, destination, options, error);
}

StepResult ProjectSync::complete(Step step, StepContext&) {
  switch (step) {
    case Step::ReceiveProjectInfo: {
      const std::string file = path(kProjectInfoFile);
      if (!platform::readWholeFile(file, info_))
        return StepResult::fail("Error al cargar el archivo con información sobre el proyecto");
      std::remove(file.c_str());
      return StepResult::ok();
    }
    case Step::ReceiveNewFiles: {
      std::string error;
      if (!applyUpdate(folder_, list_, update_, error))
        return StepResult::fail(
            "Fallo al combinar el archivo de información del servidor con el del cliente");
      updateApplied_ = true;
      listChanged_ = true;
      return StepResult::ok();
    }
    case Step::ReceiveCommitResult:
      if (!listFromCommitResult(folder_, list_))
        return StepResult::fail(
            "Fallo reiniciando la lista de archivos del cliente desde la lista actualizada del "
            "servidor (después de depositar)");
      listChanged_ = true;
      return StepResult::ok();
    default:
      return StepResult::ok();
  }
}

}  // namespace tarvolin::sharing
