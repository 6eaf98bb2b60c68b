#include "setup/uninstaller.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <cerrno>

#include "common/text.h"
#include "platform/files.h"
#include "setup/desktop_files.h"
#include "setup/desktop_tools.h"
#include "setup/file_tree.h"
#include "setup/setup_texts.h"

namespace tarvolin::setup {

namespace {

// Whether the last component of `path` is `name`.
bool namedAs(std::string_view path, std::string_view name) {
  return path.size() > name.size() && path.ends_with(name) &&
         path[path.size() - name.size() - 1] == '/';
}

std::string dataFolderOf(const std::string& path, std::string_view below) {
  const std::size_t at = path.rfind(below);
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

// Deletes a recorded file; only names the installer writes are touched.
// `required`: a missing file is a failure.
bool removeRecorded(const std::string& path, bool required, std::string& error) {
  if (!isInstallerFileName(path)) return true;
  if (::unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT && !required) return true;
  error = errno == ENOENT ? "No existe " + path : systemError("No se puede eliminar", path);
  return false;
}

// Removes a step's recorded files: first the one named `key`, which must be
// there (its absence fails the step), then the others. Returns the key's
// path, or empty with `error` set.
std::string removeRecordedSet(const std::vector<std::string>& files, std::string_view key,
                              const char* missing, std::string& error) {
  std::string keyPath;
  for (const std::string& f : files)
    if (namedAs(f, key)) keyPath = f;
  if (keyPath.empty()) {
    error = missing;
    return {};
  }
  if (!removeRecorded(keyPath, true, error)) return {};
  for (const std::string& f : files)
    if (f != keyPath && !removeRecorded(f, false, error)) return {};
  return keyPath;
}

// Whether a file lies anywhere below `folder`.
bool holdsFiles(const std::string& folder) {
  const FolderListing listing = listFolder(folder);
  if (!listing.files.empty()) return true;
  return std::any_of(listing.folders.begin(), listing.folders.end(),
                     [&](const std::string& name) { return holdsFiles(folder + "/" + name); });
}

// Every folder below `folder` in walk order (a folder before its
// sub-folders); links to folders are not followed.
void collectFolders(const std::string& folder, std::vector<std::string>& out) {
  for (const std::string& name : listFolder(folder).folders) {
    // A copy: the walk below adds to `out`, which may move its strings.
    const std::string child = folder + "/" + name;
    out.push_back(child);
    collectFolders(child, out);
  }
}

// Whether `folder` holds nothing but what update-mime-database writes for an
// empty (or missing) packages folder.
bool isGeneratedMimeDatabase(const std::string& folder) {
  static const std::vector<std::string> kGenerated = {
      "XMLnamespaces", "aliases", "generic-icons", "globs", "globs2",  "icons",
      "magic",         "mime.cache", "subclasses", "treemagic", "types", "version"};
  const FolderListing top = listFolder(folder);
  if (!top.ok) return false;
  for (const std::string& f : top.files)
    if (std::find(kGenerated.begin(), kGenerated.end(), f) == kGenerated.end()) return false;
  for (const std::string& sub : top.folders) {
    const FolderListing inner = listFolder(folder + "/" + sub);
    if (!inner.ok || !inner.folders.empty()) return false;
    if (sub == "packages" ? !inner.files.empty()
                          : std::any_of(inner.files.begin(), inner.files.end(),
                                        [](const std::string& f) { return !f.ends_with(".xml"); }))
      return false;
  }
  return true;
}

// A folder the installer made that now holds only what the desktop's tools
// generate from files no longer there: the MIME database of an empty
// packages folder, the MIME cache of a folder without desktop entries.
void removeGeneratedData(const std::string& folder) {
  const std::string_view name = std::string_view(folder).substr(folder.rfind('/') + 1);
  if (name == "mime") {
    if (isGeneratedMimeDatabase(folder)) removeTree(folder);
  } else if (name == "applications") {
    const FolderListing entries = listFolder(folder);
    if (entries.folders.empty() && entries.files == std::vector<std::string>{"mimeinfo.cache"})
      ::unlink((folder + "/mimeinfo.cache").c_str());
  }
}

}  // namespace

bool unregisterProjectType(const InstallRecord& record, const DesktopPlaces& places, bool refresh,
                           std::string& error) {
  const std::string package =
      removeRecordedSet(record.paths(RecordKind::Association), kMimePackageFile,
                        "No hay tipo de archivo registrado", error);
  if (package.empty()) return false;

  for (const std::string& list : record.paths(RecordKind::DefaultApplication)) {
    if (!isInstallerFileName(list) || ::access(list.c_str(), F_OK) != 0) continue;
    std::string text;
    if (!platform::readWholeFile(list, text)) {
      error = systemError("No se puede leer", list);
      return false;
    }
    const std::string updated = withoutDefaultApplication(text, kProjectMimeType, kStudioEntry);
    if (updated.empty() && text.find_first_not_of(" \t\r\n") != std::string::npos) {
      // Only the installer's lines were in it.
      if (!removeRecorded(list, false, error)) return false;
    } else if (updated != text && !writeFile(list, updated, error)) {
      return false;
    }
  }
  if (refresh) {
    std::string mimeRoot = dataFolderOf(package, "/packages/");
    if (mimeRoot.empty()) mimeRoot = places.mimeRoot();
    runTool("update-mime-database", {mimeRoot});
  }
  return true;
}

bool removeProgramGroup(const InstallRecord& record, const DesktopPlaces& places, bool refresh,
                        std::string& error) {
  const std::vector<std::string> files = record.paths(RecordKind::Group);
  if (removeRecordedSet(files, kMenuFile, "No hay grupo de programas", error).empty()) return false;
  std::string applications;
  for (const std::string& f : files)
    if (namedAs(f, kStudioEntry)) applications = f.substr(0, f.rfind('/'));
  if (refresh)
    runTool("update-desktop-database",
            {"-q", applications.empty() ? places.applications() : applications});
  return true;
}

bool removeInstalledFiles(const std::string& folder, const InstallRecord& record,
                          std::string& error) {
  const std::string listPath = folder + "/" + std::string(kFileListName);
  std::string text;
  if (!platform::readWholeFile(listPath, text)) {
    error = systemError("No se puede leer", listPath);
    return false;
  }
  const std::string realFolder = resolveExisting(folder);
  // The folders (relative to the installation folder) that hold listed
  // files: the installer made them.
  std::set<std::string> installerFolders;
  std::string passedOver;
  for (const std::string& line : splitLines(text)) {
    if (line.empty()) continue;
    // Only files inside the installation folder, wherever its links lead.
    const std::string path = absolutePath(line, folder, "");
    const std::size_t slash = path.rfind('/');
    const std::string real = resolveExisting(path.substr(0, slash)) + path.substr(slash);
    const bool inside = isSameOrInside(real, realFolder) && real != realFolder &&
                        real != realFolder + "/" + std::string(kFileListName) &&
                        real != realFolder + "/" + std::string(kDesktopListName);
    if (!inside || ::unlink(path.c_str()) != 0) {
      if (!inside || errno != ENOENT) passedOver += "\n" + line;
    }
    if (inside) {
      std::string relative = real.substr(realFolder.size() + 1);
      for (std::size_t at; (at = relative.rfind('/')) != std::string::npos;) {
        relative.resize(at);
        installerFolders.insert(relative);
      }
    }
  }

  // Deepest first. A folder the installer made goes when empty; one the
  // user made stays, and makes the result a failure when it holds files
  // (empty ones are the user's or another program's, and harm nothing).
  std::vector<std::string> folders;
  collectFolders(folder, folders);
  std::string remaining;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const bool made = installerFolders.count(it->substr(folder.size() + 1)) > 0;
    if (made ? ::rmdir(it->c_str()) != 0 : holdsFiles(*it)) remaining += "\n" + *it;
  }

  bool ok = remaining.empty();
  if (::unlink(listPath.c_str()) != 0) {
    ok = false;
    remaining += "\n" + listPath;
  }
  ::unlink((folder + "/" + std::string(kDesktopListName)).c_str());

  // The folders the installer made (the installation folder, the folders
  // above it, the desktop folders it needed) go too when nothing is left in
  // them, deepest first.
  std::vector<std::string> made = record.paths(RecordKind::Folder);
  std::sort(made.begin(), made.end(), [](const std::string& a, const std::string& b) {
    return a.size() > b.size();
  });
  for (const std::string& f : made) {
    removeGeneratedData(f);
    ::rmdir(f.c_str());
  }

  if (!ok) {
    error = "Quedan en la carpeta de instalación:" + remaining;
    if (!passedOver.empty()) error += "\nNo se eliminaron:" + passedOver;
  }
  return ok;
}

UninstallOutcome runUninstall(const UninstallRequest& request, SetupPrompts& prompts) {
  const std::string folder = absolutePath(request.installFolder, "/", "");
  std::string text;
  const InstallRecord record =
      platform::readWholeFile(folder + "/" + std::string(kDesktopListName), text)
          ? InstallRecord::parse(text)
          : InstallRecord::standard(request.places);

  std::string error;
  if (!unregisterProjectType(record, request.places, request.refreshDesktop, error)) {
    prompts.tell(kUninstallCaption, kUnregisterFailed, MessageIcon::Error, error);
    return UninstallOutcome::UnregisterFailed;
  }
  if (!removeProgramGroup(record, request.places, request.refreshDesktop, error)) {
    prompts.tell(kUninstallCaption, kUngroupFailed, MessageIcon::Error, error);
    return UninstallOutcome::UngroupFailed;
  }
  if (!removeInstalledFiles(folder, record, error)) {
    prompts.tell(kUninstallCaption, kUninstallFailed, MessageIcon::Error, error);
    return UninstallOutcome::RemoveFailed;
  }
  prompts.tell(kUninstallCaption, kUninstallComplete, MessageIcon::Exclamation, {});
  return UninstallOutcome::Complete;
}

}  // namespace tarvolin::setup
