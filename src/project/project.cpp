#include "project/project.h"

#include <unistd.h>

#include <cstdio>

#include "common/text.h"
#include "platform/paths.h"
#include "platform/files.h"
#include "project/tilelist_images.h"
#include "common/errors.h"

namespace tarvolin::project {
namespace {

constexpr std::string_view kCaption = "Tarvolin";
constexpr std::string_view kMainScriptText = "; Main script\r\n\r\n";

std::string currentFolder() {
  std::string buffer(4096, '\0');
  if (!::getcwd(buffer.data(), buffer.size())) return ".";
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

// Saving order of the asset files.
constexpr AssetSlot kSaveOrder[] = {
    AssetSlot::StringTable, AssetSlot::Macros,      AssetSlot::Resources,
    AssetSlot::LevelInfo,   AssetSlot::Paths,       AssetSlot::GlobalNames,
    AssetSlot::FontMaps,    AssetSlot::TileLists,   AssetSlot::Arrays};

}  // namespace

DerivedDefaults derivedDefaults(std::string_view projectName) {
  const std::string name(projectName);
  return {".\\" + name, ".\\" + name + "\\Resources", ".\\Builds\\" + name, name};
}

std::string projectNameOf(std::string_view path) {
  std::string_view file = platform::fileNameOf(path);
  return std::string(file.substr(0, file.find('.')));
}

std::string withoutTrailingSeparators(std::string_view folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
    folder.remove_suffix(1);
  return std::string(folder);
}

SettingTable projectSettingTable(ProjectSettings& s, const DerivedDefaults& d) {
  using T = SettingType;
  return {
      {T::Text, "FOLDER_SOURCE_ROOT", &s.sourceRoot, d.sourceRoot},
      {T::Text, "FOLDER_RESOURCE_ROOT", &s.resourceRoot, d.resourceRoot},
      {T::Text, "FOLDER_OUTPUT_ROOT", &s.outputRoot, d.outputRoot},
      {T::Text, "MAIN_SCRIPT", &s.mainScript, "main.txt"},
      {T::Bool, "PROJECT_READONLY", &s.readOnly, "FALSE"},
      {T::Bool, "NO_MAIN_SCRIPT", &s.noMainScript, "FALSE"},
      {T::Bool, "PROJECT_NETWORKED", &s.networked, "FALSE"},
      {T::Bool, "PROJECT_NETWORK_SERVER_OVERRIDE", &s.serverOverride, "FALSE"},
      {T::Text, "PROJECT_NETWORK_NAME", &s.networkName, d.networkName},
      {T::Text, "PROJECT_NETWORK_SERVER_ADDRESS", &s.serverAddress,
       std::string(kDefaultServerHost)},
      {T::Integer, "PROJECT_NETWORK_SERVER_PORT", &s.serverPort,
       std::to_string(kDefaultServerPort)},
      {T::Bool, "PROJECT_EXCLUDE_CVS", &s.excludeCvs, "TRUE"},
  };
}

MessageAnswer confirmSaveDocument(Host& host, std::string_view name) {
  return host.messageBox(kCaption, "Guardar cambios a " + std::string(name),
                         MessageButtons::YesNoCancel, MessageAnswer::Yes);
}

Project::Project(Host& host, std::string& workingFolder)
    : host_(host), workingFolder_(workingFolder) {
  families_[std::size_t(AssetSlot::Macros)] = &macros_;
  families_[std::size_t(AssetSlot::Resources)] = &resources_;
  resources_.setRootSource([this] { return resourceRootPath(); });
  families_[std::size_t(AssetSlot::GlobalNames)] = &globalSets_;
  families_[std::size_t(AssetSlot::Arrays)] = &arrays_;
  families_[std::size_t(AssetSlot::StringTable)] = &strings_;
  families_[std::size_t(AssetSlot::FontMaps)] = &fontMaps_;
  families_[std::size_t(AssetSlot::Paths)] = &paths_;
  families_[std::size_t(AssetSlot::LevelInfo)] = &levels_;
  families_[std::size_t(AssetSlot::TileLists)] = &tileLists_;
  tileLists_.setTileCounter(makeTileCounter(*this));
}

std::string Project::sourceRootPath() const {
  return platform::resolvePath(folder_, settings_.sourceRoot);
}
std::string Project::resourceRootPath() const {
  return platform::resolvePath(folder_, settings_.resourceRoot);
}
std::string Project::outputRootPath() const {
  return platform::resolvePath(folder_, settings_.outputRoot);
}
std::string Project::scriptFolderPath() const {
  return platform::resolvePath(sourceRootPath(), "Script");
}
std::string Project::mainScriptPath() const { return scriptPath(settings_.mainScript); }
std::string Project::scriptPath(std::string_view fileName) const {
  return platform::resolvePath(scriptFolderPath(), fileName);
}
std::string Project::assetPath(std::string_view fileName) const {
  return platform::resolvePath(sourceRootPath(), fileName);
}

std::vector<std::string> Project::writableFolders() const {
  if (!open_) return {};
  return {sourceRootPath(), resourceRootPath(), outputRootPath()};
}

bool Project::mayWrite(std::string_view path) const {
  for (const std::string& folder : writableFolders())
    if (platform::isInsideFolder(path, folder)) return true;
  return false;
}

void Project::leave() {
  const bool wasOpen = open_;
  const bool wasModified = isModified();
  for (AssetFamily* f : families_)
    if (f) f->clear();
  open_ = false;
  startOver();
  if (!wasOpen) return;
  tellEvent(ProjectEvent::Closed);
  if (wasModified) tellModified();
}

void Project::removeTrailingSeparators() {
  settings_.sourceRoot = withoutTrailingSeparators(settings_.sourceRoot);
  settings_.resourceRoot = withoutTrailingSeparators(settings_.resourceRoot);
  settings_.outputRoot = withoutTrailingSeparators(settings_.outputRoot);
}

std::string Project::absolutePath(std::string_view path) const {
  if (platform::isAbsolutePath(path)) return platform::resolvePath("", path);
  return platform::resolvePath(startFolder_.empty() ? currentFolder() : startFolder_, path);
}

bool Project::open(std::string_view path, bool isNew) {
  if (path.empty()) return false;
  if (hooks_.closeDocuments && !hooks_.closeDocuments()) return false;
  leave();
  tellEvent(ProjectEvent::Opening);

  filePath_ = absolutePath(path);
  name_ = projectNameOf(filePath_);
  folder_ = std::string(platform::folderOf(filePath_));
  if (folder_.empty()) folder_.assign(1, '/');
  defaults_ = derivedDefaults(name_);
  // Every setting starts from its default, the four flags included, so a
  // file that lacks a key never inherits the previous project's value.
  settings_ = ProjectSettings{};
  if (!isNew) loadSettingsFile(filePath_, projectSettingTable(settings_, defaults_));
  else applySettingDefaults(projectSettingTable(settings_, defaults_));
  workingFolder_ = folder_;
  removeTrailingSeparators();
  if (hooks_.readNetworkVersions) hooks_.readNetworkVersions(assetPath("network_versions.txt"));
  open_ = true;
  loadAssets();

  host_.outputLine("Abriendo nuevo proyecto <" + filePath_ + ">");

  bool corrected = false;
  for (AssetFamily* f : families_)
    if (f && f->afterOpen(host_)) corrected = true;
  if (corrected)
    host_.messageBox(kCaption, "Corrigiendo desigualdad entre el atributo y el tamaño de la imagen...",
                     MessageButtons::Ok, MessageAnswer::Ok);

  startOver();
  tellEvent(ProjectEvent::Opened);

  if (!isNew && !settings_.noMainScript && hooks_.autoPreprocess) hooks_.autoPreprocess();
  if (hooks_.refreshViews) hooks_.refreshViews();
  return true;
}

void Project::loadAssets() {
  for (std::size_t i = 0; i < families_.size(); ++i) {
    if (AssetFamily* f = families_[i]) f->load(assetPath(f->fileName()));
    if (AssetSlot(i) == AssetSlot::LevelInfo) {
      const std::string stale = assetPath("levels.clv");
      if (platform::fileExists(stale)) std::remove(stale.c_str());
    }
  }
  reportMacroFaults();
}

void Project::reloadAssets() {
  if (!open_) return;
  loadAssets();
  for (AssetFamily* f : families_)
    if (f) f->afterOpen(host_);
  // The lists are new: edits made on the old ones no longer apply, and the
  // views take the lists again as after an open.
  startOver();
  tellEvent(ProjectEvent::Opened);
}

void Project::reportMacroFaults() {
  for (const Macro& m : macros_.items()) {
    ErrorState errors;
    int line = 0;
    if (checkMacroDefinition(m, errors, line)) continue;
    host_.outputLine("ERROR: Macro <" + m.name + ">, línea " + std::to_string(line + 1) + ": " +
                     std::string(errors.ErrorText()));
  }
}

bool Project::createNew(std::string_view path) {
  if (path.empty()) return false;
  const std::string absolute = absolutePath(path);
  if (platform::fileExists(absolute)) return open(absolute, false);
  host_.messageBox(kCaption,
                   "Se ha creado un nuevo proyecto con las configuraciones por defecto. "
                   "Configura el proyecto ahora.",
                   MessageButtons::Ok, MessageAnswer::Ok);
  if (!open(absolute, true)) return false;
  if (hooks_.editSettings) hooks_.editSettings();
  else acceptSettings(false);
  return writeProjectFile();
}

bool Project::writeProjectFile() {
  if (filePath_.empty()) return false;
  bool ok = saveSettingsFile(filePath_, projectSettingTable(settings_, defaults_));
  if (settings_.networked && hooks_.writeNetworkVersions &&
      !hooks_.writeNetworkVersions(assetPath("network_versions.txt")))
    ok = false;
  return ok;
}

bool Project::save(bool confirm) {
  if (!open_) return false;
  if (hooks_.saveProgramSettings) hooks_.saveProgramSettings();
  if (!writeProjectFile())
    host_.outputLine("Error: al escribir el archivo del proyecto <" + filePath_ + ">");
  if (!mayWriteScript()) return false;
  const std::string source = sourceRootPath();
  if (!platform::makeFolders(source)) {
    host_.outputLine("Error: al crear la carpeta fuente <" + source + ">");
    return false;
  }
  if (hooks_.saveDocuments && !hooks_.saveDocuments(confirm)) return false;

  bool failed = false;
  for (AssetSlot slot : kSaveOrder) {
    AssetFamily* f = families_[std::size_t(slot)];
    if (!f || f->save(assetPath(f->fileName()))) continue;
    host_.outputLine(f->saveFailureMessage());
    failed = true;
  }
  if (!platform::makeFolders(resourceRootPath())) {
    host_.outputLine("Error: al crear la carpeta de recursos");
    failed = true;
  }
  if (failed) {
    host_.outputLine("Error: mientras se guardaba");
    return false;
  }
  setModified(false);
  return true;
}

bool Project::close() {
  if (!open_) return true;
  if (hooks_.closeDocuments && !hooks_.closeDocuments()) return false;
  writeProjectFile();
  host_.outputLine("Cerrando proyecto <" + filePath_ + ">");
  leave();
  restoreWorkingFolder();
  return true;
}

void Project::acceptSettings(bool changed) {
  removeTrailingSeparators();
  if (changed) setModified(true);
  if (!platform::makeFolders(resourceRootPath()))
    host_.messageBox(kCaption, "Error al crear la carpeta de recursos", MessageButtons::Ok,
                     MessageAnswer::Ok);
  if (!settings_.noMainScript) checkMainScript();
}

bool Project::makeScriptFolder() {
  const std::string folder = scriptFolderPath();
  if (platform::makeFolders(folder)) return true;
  host_.outputLine("ERROR: No se puede abrir o crear el subdirectorio del guión <" + folder + ">");
  return false;
}

bool Project::checkMainScript() {
  if (!makeScriptFolder()) return false;
  const std::string main = mainScriptPath();
  if (platform::fileExists(main)) return true;
  if (host_.messageBox(kCaption, "Create new (main) script?", MessageButtons::YesNo,
                       MessageAnswer::Yes) != MessageAnswer::Yes)
    return false;
  if (!platform::safeWrite(main, kMainScriptText)) return false;
  if (hooks_.openScript) hooks_.openScript(main);
  return true;
}

void Project::restoreWorkingFolder() {
  workingFolder_ = open_ ? folder_ : (startFolder_.empty() ? currentFolder() : startFolder_);
}

bool Project::mayWriteScript() {
  if (!open_ || !settings_.readOnly) return true;
  host_.messageBox(kCaption,
                   "¡No se pueden guardar los cambios, el proyecto está marcado como de solo "
                   "lectura!",
                   MessageButtons::Ok, MessageAnswer::Ok);
  return false;
}

std::string Project::storedFolder(std::string_view chosen) const {
  const std::string native = platform::toNativeSeparators(chosen);
  const std::string base = withoutTrailingSeparators(folder_);
  if (!base.empty() && native.size() > base.size() && startsWithIgnoreCase(native, base) &&
      native[base.size()] == '/') {
    std::string rest = native.substr(base.size() + 1);
    for (char& c : rest)
      if (c == '/') c = '\\';
    return ".\\" + rest;
  }
  return std::string(chosen);
}

bool Project::checkText(CheckKind kind, std::string_view text) const {
  if (kind == CheckKind::Nothing) return true;
  for (const AssetFamily* f : families_)
    if (f && f->checkKind() == kind) return f->checkText(text);
  return false;
}

}  // namespace tarvolin::project
