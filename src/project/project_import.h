// Project import: copies the asset families and scripts of another project
// into the open one, so that a library project (a menu system, a font set)
// can be reused. Names may collide, so chosen families can get a prefix in
// front of their names; the copied scripts are rewritten to use the prefixed
// names, may go into a subfolder of "Script" and get a global variable set
// of their own. The smaller form merges one family of another project
// without prefix.
//
// Nothing of the open project is written to disk here: the merged records
// live in its lists until the project is saved. Only the copied script and
// resource files are written, each named in the output pane. The records
// and the new global set go in through the project's edits, as one edit
// whose inverse the summary holds (the studio's undo), so observers and the
// modified flag follow. Messages and questions go through the project's
// `Host` (caption "Tarvolin Importar").
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "project/asset_edit.h"

namespace tarvolin::project {

class Project;

inline constexpr std::string_view kImportCaption = "Tarvolin Importar";

// The asset families an import merges, in the order the import window lists
// them.
enum class ImportFamily { Arrays, Strings, Macros, TileLists, Resources, Paths, FontMaps, Levels };
inline constexpr std::size_t kImportFamilyCount = 8;

struct ImportFamilyInfo {
  ImportFamily family;
  std::string_view fileName;      // the family's file in the source root
  std::string_view keyword;       // its name on the command line
  std::string_view component;     // check box under "Componentes a Importar"
  std::string_view prefixLabel;   // check box under "Aplicar a..."
  std::string_view loadFailure;   // box when the file is missing (%s: the path)
  std::string_view mergeFailure;  // box when the file does not read
  std::string_view duplicate;     // box and output line (%s: the name)
  std::string_view dialogTitle;   // file dialog of the single-family import
};
const ImportFamilyInfo& importFamilyInfo(ImportFamily family);
// The family a command-line keyword names ("arrays", "fontmaps"...),
// ignoring case.
std::optional<ImportFamily> importFamilyFromKeyword(std::string_view keyword);

// What the window "Importar Proyecto.." holds, with its defaults.
struct ImportOptions {
  std::string file;    // "Archivo": the other project file
  std::string prefix;  // "Prefijo"
  std::string folder;  // "Carpeta": the new global set and the subfolders
  // "Componentes a Importar", by family, and "Guiones".
  std::array<bool, kImportFamilyCount> components{true, true, true, true, true, true, true, true};
  bool scripts = true;
  // "Configuración".
  bool copyResourceFiles = true;  // "Copiar recursos binarios (solo relativos)"
  bool scriptSubfolder = true;    // "Crear subdirectorio para guiones"
  bool resourceSubfolder = true;  // "Crear subdirectorio para recursos"
  bool createGlobalSet = true;    // "Crear juego global"
  bool addApplySet = true;        // "Agregar comandos 'ApplySet'"
  bool skipComments = false;      // "Omitir comentarios al aplicar prefijos"
  // "Prefijos" / "Aplicar a...", by family.
  std::array<bool, kImportFamilyCount> prefixed{true, true, true, true, true, true, true, true};

  bool component(ImportFamily f) const { return components[std::size_t(f)]; }
  bool prefixes(ImportFamily f) const { return prefixed[std::size_t(f)] && !prefix.empty(); }
};

// How an import ended.
enum class ImportOutcome {
  Done,             // every step ran (families that failed were skipped)
  NoProject,        // no project is open
  ReadOnly,         // the open project is read-only: no file may be copied into it
  NotFound,         // the other project file does not exist
  BadOptions,       // the folder name or the prefix cannot be used
  SameProject,      // the other project is the open one
  NoScriptFolder,   // the other project's scripts could not be listed
  GlobalsUnreadable,  // the other project's "global_names.txt" did not read
  GlobalSetTaken,   // a global set already has the folder name
  Cancelled,        // the user cancelled before the families were merged
};

struct ImportSummary {
  ImportOutcome outcome = ImportOutcome::Done;
  // Records appended and records skipped as duplicates, by family.
  std::array<int, kImportFamilyCount> added{};
  std::array<int, kImportFamilyCount> duplicates{};
  // Families whose file was missing or did not read.
  std::array<bool, kImportFamilyCount> failed{};
  bool globalSetCreated = false;
  std::vector<std::string> copiedFiles;  // scripts and resource files written
  int scriptsSkipped = 0;  // existing scripts the user chose to keep
  // Progress steps: 10, plus one per script file when scripts are imported.
  int progressSteps = 0;
  // Applying this takes the merged records and the new global set out again
  // (one undo step; the copied files stay). Invalid when nothing was merged.
  Edit undo;

  int totalAdded() const;
};

// Where the import reports its progress, 0..100; false asks it to stop.
// Without one it goes to the project's host.
using ImportProgress = std::function<bool(int percent)>;

// The full import into the open project (the window's "&Importar"). The open
// project's settings and global sets are unchanged by every early stop; the
// summary tells what was done. A cancel before the families are merged
// leaves the project as it was (scripts copied so far stay on disk, listed
// in the output pane); from the merges on the import runs to its end.
ImportSummary importProject(Project& project, const ImportOptions& options,
                            const ImportProgress& progress = {});

// The single-family import: the family's file of the other project is
// merged without prefix. False when nothing could be merged (no open
// project, no such project, or the file missing or unreadable: each with its
// box).
bool importFamily(Project& project, ImportFamily family, const std::string& otherProjectFile,
                  ImportSummary* summary = nullptr);

// ---- the script copy ----------------------------------------------------------

// Rewrites the words of copied script lines that name imported assets of
// prefixed families. Names compare ignoring case; the rewritten word keeps
// its own spelling after the prefix.
class NameRewriter {
 public:
  NameRewriter(std::string prefix, bool skipComments)
      : prefix_(std::move(prefix)), skipComments_(skipComments) {}

  // A name of an imported resource, path, tile list, level, font map or
  // string: the word equal to it gets the prefix in front.
  void addName(std::string_view name);
  // An imported array: also "Name.Element..." gets the prefix.
  void addArray(std::string_view name);
  // An imported macro: the word "%Name" becomes "%" + prefix + "Name".
  void addMacro(std::string_view name);
  bool empty() const { return names_.empty() && arrays_.empty() && macros_.empty(); }

  // The line with every matching word rewritten; blanks stay as they were.
  // With skip-comments, the words from one that begins with ";" stay.
  std::string rewriteLine(std::string_view line) const;

 private:
  std::string rewriteWord(std::string_view word) const;

  std::string prefix_;
  bool skipComments_;
  // Lower-case names.
  std::unordered_set<std::string> names_;
  std::unordered_set<std::string> arrays_;
  std::unordered_set<std::string> macros_;
};

struct ScriptCopyOptions {
  std::string applySet;      // the set named by the added block; empty: none
  std::string externFolder;  // inserted into ExternScript/ExternFunction names; empty: none
};

// A copied script's text: lines read with LF or CR LF ends, written with
// CR LF; the "Auto agregar" block before the first line that is neither
// empty nor a comment; the folder inserted after the first double quote of
// an ExternScript or ExternFunction line; every line's words rewritten; the
// last line without a line end.
std::string copyScriptText(std::string_view text, const ScriptCopyOptions& options,
                           const NameRewriter& names);

}  // namespace tarvolin::project
