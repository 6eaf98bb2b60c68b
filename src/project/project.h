// The open project: its file, its twelve settings, its folders and its asset
// families, with open / new / save / close. One per workbench.
//
// Opening makes the project file's folder the workbench's working folder
// (a value relative paths resolve against; the process's current directory
// is never changed). What the project needs from the rest of the
// environment (closing editor documents, preprocessing, the sharing file
// list) it asks through `ProjectHooks`; messages go through the `Host`.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "common/host.h"
#include "project/arrays.h"
#include "project/asset_edit.h"
#include "project/asset_file.h"
#include "project/fontmaps.h"
#include "project/global_sets.h"
#include "project/levels.h"
#include "project/macros.h"
#include "project/resource.h"
#include "project/paths.h"
#include "project/settings_file.h"
#include "project/strings.h"
#include "project/tilelists.h"

namespace tarvolin::project {

inline constexpr std::string_view kDefaultServerHost = "localhost";
inline constexpr int kDefaultServerPort = 4285;

// The twelve settings of a project file.
struct ProjectSettings {
  std::string sourceRoot;     // FOLDER_SOURCE_ROOT
  std::string resourceRoot;   // FOLDER_RESOURCE_ROOT
  std::string outputRoot;     // FOLDER_OUTPUT_ROOT
  std::string mainScript = "main.txt";
  bool readOnly = false;        // PROJECT_READONLY
  bool noMainScript = false;    // NO_MAIN_SCRIPT
  bool networked = false;       // PROJECT_NETWORKED
  bool serverOverride = false;  // PROJECT_NETWORK_SERVER_OVERRIDE
  std::string networkName;
  std::string serverAddress{kDefaultServerHost};
  int serverPort = kDefaultServerPort;
  bool excludeCvs = true;       // PROJECT_EXCLUDE_CVS
  bool operator==(const ProjectSettings&) const = default;
};

// The defaults that follow from the project name.
struct DerivedDefaults {
  std::string sourceRoot;    // ".\name"
  std::string resourceRoot;  // ".\name\Resources"
  std::string outputRoot;    // ".\Builds\name"
  std::string networkName;   // the name
};

DerivedDefaults derivedDefaults(std::string_view projectName);
// The file name without folder and without everything from its first ".".
std::string projectNameOf(std::string_view path);
// The text without trailing "\" and "/".
std::string withoutTrailingSeparators(std::string_view folder);
// The settings table of a project file, in written order, bound to `s`.
SettingTable projectSettingTable(ProjectSettings& s, const DerivedDefaults& d);

// The question before saving a modified script document when saving asks
// for confirmation: "Guardar cambios a <name>" with yes, no and cancel.
MessageAnswer confirmSaveDocument(Host& host, std::string_view name);

struct ProjectHooks {
  // Closes every script document (each may ask to save); false: cancelled.
  std::function<bool()> closeDocuments;
  // Saves the modified script documents, asking first when `confirm`;
  // false: the user cancelled.
  std::function<bool(bool confirm)> saveDocuments;
  // The automatic preprocessing after an open (status "Auto Preproceso").
  std::function<void()> autoPreprocess;
  // Refreshes the editors and viewers after an open.
  std::function<void()> refreshViews;
  // Writes the program settings (first step of saving a project).
  std::function<bool()> saveProgramSettings;
  // Empties the shared-file version list and reads it from this file.
  std::function<void(const std::string& path)> readNetworkVersions;
  // Writes the shared-file version list to this file.
  std::function<bool(const std::string& path)> writeNetworkVersions;
  // Opens a script file in the editor.
  std::function<void(const std::string& path)> openScript;
  // Shows the project settings window for a new project.
  std::function<void()> editSettings;
};

class Project {
 public:
  // `workingFolder` is the workbench's; opening sets it to the project's
  // folder and closing sets it back to the start folder.
  Project(Host& host, std::string& workingFolder);
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  void setHooks(ProjectHooks hooks) { hooks_ = std::move(hooks); }
  // Where the project's messages and questions go.
  Host& host() const { return host_; }
  const ProjectHooks& hooks() const { return hooks_; }
  // The folder the program started in: relative project paths given to open
  // are taken relative to it (the process's current folder when empty).
  void setStartFolder(std::string folder) { startFolder_ = std::move(folder); }
  const std::string& startFolder() const { return startFolder_; }
  // A path given to open, made absolute against the start folder (drive
  // letters dropped, names matched ignoring case where the exact one is
  // missing).
  std::string absolutePath(std::string_view path) const;

  bool isOpen() const { return open_; }
  // Unsaved changes: the settings changed, or the asset lists differ from
  // the last open or save (edits undone back to that point count as none).
  bool isModified() const { return settingsModified_ || state_ != savedState_; }
  // True marks the project changed; false takes the present state as saved.
  void setModified(bool modified);

  // Changes of the asset lists (asset_edit.h): performs `edit`, tells the
  // observers, and returns the edit that undoes it. A refused edit changes
  // nothing and gives an invalid Edit, with the reason in `why`.
  Edit apply(const Edit& edit, std::string* why = nullptr);
  // Observers hear of asset changes, of opening and closing, and of the
  // modified flag. They are not owned and must be removed before they go.
  void addObserver(ProjectObserver* observer);
  void removeObserver(ProjectObserver* observer);
  const std::string& filePath() const { return filePath_; }  // absolute
  const std::string& name() const { return name_; }
  const std::string& folder() const { return folder_; }  // of the project file
  ProjectSettings& settings() { return settings_; }
  const ProjectSettings& settings() const { return settings_; }
  const DerivedDefaults& defaults() const { return defaults_; }

  // Folders and files on disk, resolved against the project file's folder
  // (case-insensitively where the exact name is missing).
  std::string sourceRootPath() const;
  std::string resourceRootPath() const;
  std::string outputRootPath() const;
  std::string scriptFolderPath() const;  // "Script" under the source root
  std::string mainScriptPath() const;
  std::string scriptPath(std::string_view fileName) const;
  std::string assetPath(std::string_view fileName) const;  // in the source root
  // The folders a running game may write files in: the source, resource
  // and output roots (none while no project is open). Files the user picks
  // in a file dialog are the user's choice and need not lie there.
  std::vector<std::string> writableFolders() const;
  // Whether `path` lies in one of them.
  bool mayWrite(std::string_view path) const;

  MacroList& macros() { return macros_; }
  const MacroList& macros() const { return macros_; }
  ArrayList& arrays() { return arrays_; }
  const ArrayList& arrays() const { return arrays_; }
  ResourceList& resources() { return resources_; }
  const ResourceList& resources() const { return resources_; }
  GlobalSetList& globalSets() { return globalSets_; }
  const GlobalSetList& globalSets() const { return globalSets_; }
  StringTable& strings() { return strings_; }
  const StringTable& strings() const { return strings_; }
  FontMapList& fontMaps() { return fontMaps_; }
  const FontMapList& fontMaps() const { return fontMaps_; }
  PathList& paths() { return paths_; }
  const PathList& paths() const { return paths_; }
  LevelList& levels() { return levels_; }
  const LevelList& levels() const { return levels_; }
  TileListList& tileLists() { return tileLists_; }
  const TileListList& tileLists() const { return tileLists_; }
  // The lists are for reading. Windows change them through `apply` only, so
  // that observers, undo and the modified flag follow; the mutable
  // accessors serve loading, tests and tools that own the project.
  // A family by slot; nullptr for families not built into this program.
  AssetFamily* family(AssetSlot slot) { return families_[std::size_t(slot)]; }

  // Opens a project file (steps: close documents, leave the open project,
  // read the file and every asset file, preprocess unless new). An empty
  // path or a cancelled close does nothing and gives false.
  bool open(std::string_view path, bool isNew);
  // The new-project flow for a chosen path: an existing file is opened as
  // usual; otherwise the project opens with all defaults, the settings
  // window is shown and the project file written.
  bool createNew(std::string_view path);
  // Saves everything (program settings, project file, documents, asset
  // files). False when not saved or when any file failed (each failure has
  // its output line); the modified flag clears only on full success.
  bool save(bool confirm);
  // Closes documents, writes the project file, and forgets the project.
  // False when the user cancelled closing a document.
  bool close();
  // Writes the project file (and the shared-file list when shared).
  bool writeProjectFile();
  // Reads every asset file of the open project again (after files changed
  // on disk, as an update from the project server does), keeping the
  // project open; observers are told Opened, and the edits of the old lists
  // are forgotten. Nothing happens when no project is open.
  void reloadAssets();

  // What "Aceptar" in the settings window does with the settings now held:
  // trims the folder roots, marks the project modified when `changed`,
  // creates the resource root, and runs the main script check.
  void acceptSettings(bool changed);
  // Creates the Script folder and offers to create a missing main script
  // ("; Main script" and an empty line). True when the main script exists.
  bool checkMainScript();

  // Sets the working folder back after a file dialog may have moved it: the
  // project's folder while one is open, else the start folder.
  void restoreWorkingFolder();
  // Before a script document is written: false, with the read-only message
  // box, when the project is read-only.
  bool mayWriteScript();
  // Creates the Script folder of the source root (with its parents); on
  // failure writes the error line and returns false.
  bool makeScriptFolder();
  // How the settings window stores a chosen folder: relative (".\rest")
  // when it lies inside the project file's folder (compared ignoring case),
  // else absolute as chosen.
  std::string storedFolder(std::string_view chosen) const;

  // Whether `text` would load as the family of that check kind. Nothing is
  // always good; kinds whose family is not built into this program fail.
  bool checkText(CheckKind kind, std::string_view text) const;

 private:
  void leave();
  void loadAssets();
  void removeTrailingSeparators();
  void reportMacroFaults();
  void tellAsset(const AssetChange& change);
  void tellEvent(ProjectEvent event);
  void tellModified();
  // A new project (or none): edits of the one before no longer apply.
  void startOver();

  Host& host_;
  std::string& workingFolder_;
  std::string startFolder_;
  ProjectHooks hooks_;

  bool open_ = false;
  bool settingsModified_ = false;
  // Edits: the lists' present state, the state last saved, and the
  // generation of the open project (each open and close starts a new one).
  std::uint64_t state_ = 1;
  std::uint64_t savedState_ = 1;
  std::uint64_t stateCounter_ = 1;
  std::uint64_t generation_ = 1;
  std::vector<ProjectObserver*> observers_;
  std::string filePath_;
  std::string name_;
  std::string folder_;
  ProjectSettings settings_;
  DerivedDefaults defaults_;

  MacroList macros_;
  ResourceList resources_;
  GlobalSetList globalSets_;
  ArrayList arrays_;
  StringTable strings_;
  FontMapList fontMaps_;
  PathList paths_;
  LevelList levels_;
  TileListList tileLists_;
  std::array<AssetFamily*, std::size_t(AssetSlot::Count)> families_{};
};

}  // namespace tarvolin::project
