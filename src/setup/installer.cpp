#include "setup/installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/text.h"
#include "platform/files.h"
#include "setup/desktop_files.h"
#include "setup/desktop_tools.h"
#include "setup/file_tree.h"
#include "setup/setup_texts.h"

namespace tarvolin::setup {

namespace {

bool isFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string recordPath(const std::string& folder) {
  return folder + "/" + std::string(kDesktopListName);
}

// The record of an earlier installation into `folder`, so that folders it
// created are still removed after a second installation.
InstallRecord previousRecord(const std::string& folder) {
  std::string text;
  if (!platform::readWholeFile(recordPath(folder), text)) return {};
  InstallRecord kept;
  for (const std::string& f : InstallRecord::parse(text).paths(RecordKind::Folder))
    kept.add(RecordKind::Folder, f);
  return kept;
}

bool saveRecord(const std::string& folder, const InstallRecord& record, std::string& error) {
  return writeFile(recordPath(folder), record.text(), error);
}

// Writes one file outside the installation folder and records it.
// Creates the folder of a file outside the installation folder; the folders
// it had to make are recorded so that Uninstall removes them when empty.
bool makeParentRecorded(const std::string& path, InstallRecord& record, std::string& error) {
  std::vector<std::string> created;
  const bool made = makeFoldersRecording(path.substr(0, path.rfind('/')), created, error);
  for (const std::string& f : created) record.add(RecordKind::Folder, f);
  return made;
}

bool writeRecorded(const std::string& path, std::string_view text, RecordKind kind,
                   InstallRecord& record, std::string& error) {
  if (!makeParentRecorded(path, record, error)) return false;
  record.add(kind, path);
  return writeFile(path, text, error);
}

bool copyRecorded(const std::string& from, const std::string& to, RecordKind kind,
                  InstallRecord& record, std::string& error) {
  if (!makeParentRecorded(to, record, error)) return false;
  record.add(kind, to);
  return copyFile(from, to, error);
}

class FileList {
 public:
  explicit FileList(const std::string& path) : file_(std::fopen(path.c_str(), "w")), path_(path) {}
  ~FileList() {
    if (file_) std::fclose(file_);
  }
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;
  bool isOpen() const { return file_ != nullptr; }
  bool append(const std::string& line) {
    return std::fputs(line.c_str(), file_) >= 0 && std::fputc('\n', file_) != EOF &&
           std::fflush(file_) == 0;
  }
  const std::string& path() const { return path_; }

 private:
  std::FILE* file_;
  std::string path_;
};

bool copyFolder(const std::string& sourceTree, const std::string& relative,
                const std::string& folder, FileList& list, std::string& error) {
  const std::string source = relative.empty() ? sourceTree : sourceTree + "/" + relative;
  const FolderListing listing = listFolder(source);
  if (!listing.ok) {
    error = systemError("No se puede leer la carpeta", source);
    return false;
  }
  const std::string destinationFolder = relative.empty() ? folder : folder + "/" + relative;
  for (const std::string& name : listing.files) {
    if (name.find_first_of("\n\r") != std::string::npos) {
      error = "Nombre de archivo no admitido: " + source + "/" + name;
      return false;
    }
    const std::string destination = destinationFolder + "/" + name;
    if (destination == list.path() || destination == recordPath(folder)) {
      error = "El árbol de instalación no puede traer " + name;
      return false;
    }
    std::vector<std::string> created;
    if (!makeFoldersRecording(destinationFolder, created, error)) return false;
    if (!copyFile(source + "/" + name, destination, error)) return false;
    if (!list.append(destination)) {
      error = systemError("No se puede escribir", list.path());
      return false;
    }
  }
  for (const std::string& name : listing.folders) {
    if (!copyFolder(sourceTree, relative.empty() ? name : relative + "/" + name, folder, list,
                    error))
      return false;
  }
  return true;
}

std::string studioIconSource(const std::string& folder) {
  return folder + "/" + std::string(kStudioIconFile);
}

}  // namespace

std::vector<std::string> oldSettingsFiles(const std::string& folder, const DesktopPlaces& places) {
  std::vector<std::string> found;
  for (const std::string& name : listFolder(folder).files)
    if (equalsIgnoreCase(name, kOldSettingsName)) found.push_back(folder + "/" + name);
  if (!places.system && isFile(places.studioSettings())) found.push_back(places.studioSettings());
  return found;
}

bool copyInstallTree(const std::string& sourceTree, const std::string& folder,
                     InstallRecord& record, std::string& error) {
  struct stat st;
  if (::stat(sourceTree.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = systemError("No se encuentra la carpeta", sourceTree);
    return false;
  }
  const std::string realSource = resolveExisting(sourceTree);
  if (isSameOrInside(resolveExisting(folder), realSource)) {
    error = "La carpeta de instalación no puede estar dentro de " + realSource;
    return false;
  }
  std::vector<std::string> created;
  const bool made = makeFoldersRecording(folder, created, error);
  for (const std::string& f : created) record.add(RecordKind::Folder, f);
  if (!made) return false;

  FileList list(folder + "/" + std::string(kFileListName));
  if (!list.isOpen()) {
    error = systemError("No se puede crear", list.path());
    return false;
  }
  return copyFolder(sourceTree, "", folder, list, error);
}

bool createProgramGroup(const std::string& folder, const DesktopPlaces& places, bool refresh,
                        InstallRecord& record, std::string& error) {
  std::string icon = "applications-development";
  if (isFile(studioIconSource(folder))) {
    const std::string to = places.icons() + "/apps/" + std::string(kStudioIconName) + ".svg";
    if (!copyRecorded(studioIconSource(folder), to, RecordKind::Group, record, error)) return false;
    icon = std::string(kStudioIconName);
  }
  const std::vector<DesktopEntry> entries = programGroupEntries(folder, icon);
  for (const DesktopEntry& entry : entries) {
    if (!writeRecorded(places.applications() + "/" + entry.fileName, desktopEntryText(entry),
                       RecordKind::Group, record, error))
      return false;
  }
  if (!writeRecorded(places.directories() + "/" + std::string(kDirectoryFile),
                     directoryEntryText(icon), RecordKind::Group, record, error))
    return false;
  if (!writeRecorded(places.mergedMenus() + "/" + std::string(kMenuFile), menuFileText(entries),
                     RecordKind::Group, record, error))
    return false;
  if (refresh) runTool("update-desktop-database", {"-q", places.applications()});
  return true;
}

bool registerProjectType(const std::string& folder, const DesktopPlaces& places, bool refresh,
                         InstallRecord& record, std::string& error) {
  if (!writeRecorded(places.mimePackages() + "/" + std::string(kMimePackageFile),
                     mimePackageText(), RecordKind::Association, record, error))
    return false;
  // Project files show the studio's icon.
  if (isFile(studioIconSource(folder))) {
    const std::string to = places.icons() + "/mimetypes/" + std::string(kProjectIconName) + ".svg";
    if (!copyRecorded(studioIconSource(folder), to, RecordKind::Association, record, error))
      return false;
  }

  // The default application: edit the list where it really is when it is a
  // link, keeping every other line.
  const std::string list = resolveExisting(places.mimeappsList());
  std::string text;
  if (::access(list.c_str(), F_OK) == 0 && !platform::readWholeFile(list, text)) {
    error = systemError("No se puede leer", list);
    return false;
  }
  const std::string updated = withDefaultApplication(text, kProjectMimeType, kStudioEntry);
  if (!writeRecorded(list, updated, RecordKind::DefaultApplication, record, error)) return false;

  if (refresh) runTool("update-mime-database", {places.mimeRoot()});
  return true;
}

InstallOutcome runInstallation(const InstallRequest& request, SetupPrompts& prompts) {
  const std::string folder =
      absolutePath(request.installFolder, request.startFolder, request.environment.home);
  if (request.installFolder.empty() || !isDesktopSafePath(folder)) {
    prompts.tell(kInstallCaption, kCopyFailed, MessageIcon::Error,
                 "Carpeta de instalación no válida: " + request.installFolder);
    return InstallOutcome::CopyFailed;
  }

  const std::vector<std::string> old = oldSettingsFiles(folder, request.places);
  if (!old.empty() && prompts.askYesNo(kInstallCaption, kOldSettingsQuestion)) {
    for (const std::string& file : old) ::unlink(file.c_str());
  }

  InstallRecord record = previousRecord(folder);
  std::string error;
  const std::string source = request.startFolder + "/" + std::string(kInstallFolderName);
  if (!copyInstallTree(source, folder, record, error) || !saveRecord(folder, record, error)) {
    prompts.tell(kInstallCaption, kCopyFailed, MessageIcon::Error, error);
    return InstallOutcome::CopyFailed;
  }

  const bool grouped =
      createProgramGroup(folder, request.places, request.refreshDesktop, record, error);
  std::string saveError;
  if (!saveRecord(folder, record, saveError) && grouped) error = saveError;
  if (!grouped || !saveError.empty()) {
    prompts.tell(kInstallCaption, kGroupFailed, MessageIcon::Error, error);
    return InstallOutcome::GroupFailed;
  }

  const bool registered =
      registerProjectType(folder, request.places, request.refreshDesktop, record, error);
  if (!saveRecord(folder, record, saveError) && registered) error = saveError;
  if (!registered || !saveError.empty()) {
    prompts.tell(kInstallCaption, kAssociationFailed, MessageIcon::Error, error);
    return InstallOutcome::AssociationFailed;
  }

  prompts.tell(kInstallCaption, kInstallComplete, MessageIcon::Exclamation, {});
  return InstallOutcome::Complete;
}

}  // namespace tarvolin::setup
