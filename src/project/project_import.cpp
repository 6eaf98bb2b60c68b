#include "project/project_import.h"

#include <climits>
#include <cstdlib>

#include "common/text.h"
#include "platform/paths.h"
#include "project/project.h"
#include "project/resource_file.h"
#include "project/resource_ops.h"
#include "platform/files.h"
#include "project/text_lines.h"

namespace tarvolin::project {
namespace {

using F = ImportFamily;

constexpr ImportFamilyInfo kFamilies[kImportFamilyCount] = {
    {F::Arrays, "arrays.txt", "arrays", "Arreglos", "Arreglos",
     "No se puede cargar el arreglo desde el archivo %s",
     "Error al combinar las listas de arreglos (nombres de arreglos duplicados)",
     "El arreglo '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Arreglos.."},
    {F::Strings, "string_table.txt", "strings", "Cadenas", "Cadenas",
     "No se puede cargar la cadena desde el archivo %s",
     "Error al combinar las listas de cadenas (se hallaron IDs duplicados)",
     "La cadena '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar las Cadenas.."},
    {F::Macros, "macro.txt", "macros", "Macros", "Macros",
     "No se puede cargar la macro desde el archivo %s",
     "Error al combinar las listas de macros (nombres de macros duplicados, con contenidos "
     "diferentes)",
     "La macro '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar las Macros.."},
    {F::TileLists, "tilelists.txt", "tilelists", "Listas de Tiles", "Listas de Tiles",
     "No se puede cargar la lista de tiles desde el archivo %s",
     "Error al combinar las listas de listas de tiles (nombres de listas de tiles duplicados)",
     "La lista de tiles '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Recursos.."},
    {F::Resources, "resource.txt", "resources", "Recursos", "Recursos",
     "No se puede cargar el recurso desde el archivo %s",
     "Error al combinar las listas de recursos (nombres de recursos duplicados)",
     "El recurso '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Recursos.."},
    {F::Paths, "paths.txt", "paths", "Recorridos", "Recorridos",
     "No se puede cargar el recorrido desde el archivo %s",
     "Error al combinar las listas de recorridos (se hallaron IDs duplicados)",
     "El recorrido '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Recorridos.."},
    {F::FontMaps, "fontmaps.txt", "fontmaps", "Mapas de Fuentes", "M de Fuentes",
     "No se puede cargar el mapa desde el archivo %s",
     "Error al combinar las listas de mapas de fuentes (se hallaron mapas duplicados)",
     "El mapa de fuentes '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Mapas.."},
    {F::Levels, "level_info.txt", "levels", "Niveles", "Niveles",
     "No se puede cargar el nivel desde el archivo %s",
     "Error al combinar las listas de niveles (nombres de niveles duplicados)",
     "El nivel '%s' ya existe en el proyecto",
     "Seleccionar el proyecto desde el cual importar los Recursos.."},
};

// The check pass reads every family in this order; the real merge runs in
// the second.
constexpr F kCheckOrder[] = {F::Resources, F::Paths,     F::Macros, F::FontMaps,
                             F::Levels,    F::TileLists, F::Arrays, F::Strings};
constexpr F kMergeOrder[] = {F::Paths,  F::Macros, F::FontMaps,  F::Arrays,
                             F::Strings, F::Levels, F::TileLists, F::Resources};

constexpr std::string_view kNotFound = "No se especifico un nombre o el proyecto no pudo hallarse";

// The pattern with each "%s" replaced by the next argument.
std::string fill(std::string_view pattern, std::string_view a, std::string_view b = {}) {
  std::string out;
  const std::string_view args[] = {a, b};
  std::size_t used = 0, pos = 0;
  while (pos < pattern.size()) {
    const std::size_t hit = pattern.find("%s", pos);
    if (hit == std::string_view::npos || used == 2) {
      out.append(pattern.substr(pos));
      break;
    }
    out.append(pattern.substr(pos, hit - pos)).append(args[used++]);
    pos = hit + 2;
  }
  return out;
}

std::string realPathOf(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// A stored relative path without its leading ".\" (or "./").
std::string withoutDotPrefix(std::string_view stored) {
  while (stored.size() >= 2 && stored[0] == '.' && (stored[1] == '\\' || stored[1] == '/'))
    stored.remove_prefix(2);
  return std::string(stored);
}

// A folder name that can name a global set and one folder: no blanks, no
// separators or characters that paths and scripts treat specially, and not
// "." or "..".
bool usableFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (isBlank(c) || std::string_view("\\/:\"';*?<>|").find(c) != std::string_view::npos)
      return false;
  return true;
}

bool usablePrefix(std::string_view prefix) {
  for (char c : prefix)
    if (isBlank(c) || c == ';' || c == '"' || c == '%') return false;
  return true;
}

// The other project as its project file describes it; the open project's
// own settings are never touched.
struct OtherProject {
  std::string filePath;
  std::string name;
  std::string folder;
  ProjectSettings settings;
  std::string sourceRoot;
  std::string resourceRoot;

  std::string assetPath(std::string_view file) const {
    return platform::resolvePath(sourceRoot, file);
  }
  std::string scriptFolder() const { return platform::resolvePath(sourceRoot, "Script"); }
};

OtherProject readOtherProject(const std::string& absolute) {
  OtherProject other;
  other.filePath = absolute;
  other.name = projectNameOf(absolute);
  other.folder = std::string(platform::folderOf(absolute));
  if (other.folder.empty()) other.folder.assign(1, '/');
  const DerivedDefaults defaults = derivedDefaults(other.name);
  loadSettingsFile(absolute, projectSettingTable(other.settings, defaults));
  other.settings.sourceRoot = withoutTrailingSeparators(other.settings.sourceRoot);
  other.settings.resourceRoot = withoutTrailingSeparators(other.settings.resourceRoot);
  other.sourceRoot = platform::resolvePath(other.folder, other.settings.sourceRoot);
  other.resourceRoot = platform::resolvePath(other.folder, other.settings.resourceRoot);
  return other;
}

// The other project's records while the import runs, with the names as
// they were there.
struct ImportLists {
  std::vector<ArrayDef> arrays;
  std::vector<StringRecord> strings;
  std::vector<Macro> macros;
  std::vector<TileList> tileLists;
  std::vector<Resource> resources;
  std::vector<MotionPath> paths;
  std::vector<FontMap> fontMaps;
  std::vector<Level> levels;
  std::array<bool, kImportFamilyCount> loaded{};
};

// How the merged records' names and the names they depend on change.
struct Renaming {
  std::string prefix;
  std::array<bool, kImportFamilyCount> prefixed{};
  std::string tileListFolder;  // put in front of a tile list's output file
  // The folder the resource files are copied into; empty: they are not
  // copied, or not into a folder.
  std::string resourceFolder;
  const NameRewriter* macroBodies = nullptr;

  bool on(F f) const { return prefixed[std::size_t(f)] && !prefix.empty(); }
  std::string name(F f, const std::string& n) const { return on(f) && !n.empty() ? prefix + n : n; }
  // A relative resource whose file is copied into the folder points there;
  // any other keeps its path (a path leading out of the resource root is
  // refused when the files are copied).
  std::string resourceFile(const Resource& r) const {
    const std::string relative = withoutDotPrefix(r.file);
    if (resourceFolder.empty() || !r.relative || relative.empty() || !platform::staysInside(relative))
      return r.file;
    return ".\\" + resourceFolder + "\\" + relative;
  }
  // A level's palette file (relative to the resource root) likewise.
  std::string paletteFile(const std::string& file) const {
    const std::string relative = withoutDotPrefix(file);
    if (resourceFolder.empty() || relative.empty() || !platform::staysInside(relative)) return file;
    return resourceFolder + "\\" + relative;
  }
};

class Importer {
 public:
  Importer(Project& project, ImportSummary& summary, ImportProgress progress = {})
      : project_(project), host_(project.host()), summary_(summary), progress_(std::move(progress)) {}

  // False when the user asked to stop.
  bool progressTo(int step, int steps) {
    const int percent = steps > 0 ? step * 100 / steps : 100;
    return progress_ ? progress_(percent) : host_.progress(percent, "Importar Proyecto");
  }

  void box(const std::string& text) {
    host_.messageBox(kImportCaption, text, MessageButtons::Ok, MessageAnswer::Ok);
  }

  // Reads the other project's file of a family into its import list; a
  // missing or failing file shows its box.
  bool load(F f, const OtherProject& other) {
    const ImportFamilyInfo& info = importFamilyInfo(f);
    const std::string path = other.assetPath(info.fileName);
    bool& loaded = lists_.loaded[std::size_t(f)];
    loaded = false;
    if (!platform::fileExists(path)) {
      box(fill(info.loadFailure, path));
      summary_.failed[std::size_t(f)] = true;
      return false;
    }
    if (!loadInto(f, path, other)) {
      box(std::string(info.mergeFailure));
      summary_.failed[std::size_t(f)] = true;
      return false;
    }
    loaded = true;
    return true;
  }

  bool loaded(F f) const { return lists_.loaded[std::size_t(f)]; }
  const ImportLists& lists() const { return lists_; }

  // Takes the loaded records of a family into the pending edit: a name the
  // project or the import already holds is reported and skipped.
  void merge(F f, const Renaming& r) {
    if (!loaded(f)) return;
    switch (f) {
      case F::Paths:
        take(f, lists_.paths, [&](MotionPath& p) { p.name = r.name(f, p.name); return p.name; },
             [&](const std::string& n) { return project_.paths().find(n) >= 0; });
        break;
      case F::Macros:
        take(f, lists_.macros,
             [&](Macro& m) {
               m.name = r.name(f, m.name);
               if (r.macroBodies)
                 for (std::string& line : m.body) line = r.macroBodies->rewriteLine(line);
               return m.name;
             },
             [&](const std::string& n) { return project_.macros().find(n) != nullptr; });
        break;
      case F::FontMaps:
        take(f, lists_.fontMaps,
             [&](FontMap& m) {
               m.name = r.name(f, m.name);
               m.imageResource = r.name(F::Resources, m.imageResource);
               return m.name;
             },
             [&](const std::string& n) { return project_.fontMaps().find(n) >= 0; });
        break;
      case F::Arrays:
        // The built-in memory arrays count as held names.
        take(f, lists_.arrays, [&](ArrayDef& a) { a.name = r.name(f, a.name); return a.name; },
             [&](const std::string& n) { return project_.arrays().find(n) >= 0; });
        break;
      case F::Strings:
        take(f, lists_.strings, [&](StringRecord& s) { s.identifier = r.name(f, s.identifier); return s.identifier; },
             [&](const std::string& n) { return project_.strings().find(n) >= 0; });
        break;
      case F::Levels:
        take(f, lists_.levels,
             [&](Level& l) {
               LevelSettings& s = l.settings;
               s.name = r.name(f, s.name);
               s.linkedLevel = r.name(f, s.linkedLevel);
               for (LevelLayerLink& link : s.layerLinks) link.levelName = r.name(f, link.levelName);
               s.tileList = r.name(F::TileLists, s.tileList);
               for (LevelPaletteBank& bank : s.banks) bank.paletteFile = r.paletteFile(bank.paletteFile);
               return s.name;
             },
             [&](const std::string& n) { return project_.levels().find(n) >= 0; });
        break;
      case F::TileLists:
        take(f, lists_.tileLists,
             [&](TileList& t) {
               t.name = r.name(f, t.name);
               for (TileListImage& image : t.images) image.resourceName = r.name(F::Resources, image.resourceName);
               if (!r.tileListFolder.empty() && !t.outputFile.empty())
                 t.outputFile = r.tileListFolder + "\\" + t.outputFile;
               return t.name;
             },
             [&](const std::string& n) { return project_.tileLists().find(n) >= 0; });
        break;
      case F::Resources:
        take(f, lists_.resources,
             [&](Resource& res) {
               res.name = r.name(f, res.name);
               res.file = r.resourceFile(res);
               res.imported = false;
               return res.name;
             },
             [&](const std::string& n) { return project_.resources().find(n) >= 0; });
        break;
    }
  }

  // A record of the import itself (the new global set) goes first.
  void takeFirst(Edit edit) { pending_.insert(pending_.begin(), std::move(edit)); }

  // Applies everything taken as one edit: one undo step for the whole
  // import. Empty when nothing was taken. A refusal (no record of the files
  // can cause one) merges nothing and says why.
  Edit applyPending() {
    if (pending_.empty()) return {};
    std::string why;
    Edit undo = project_.apply(Edit::Group(std::move(pending_)), &why);
    pending_.clear();
    if (!undo.valid()) {
      box("No se pudo importar: " + why);
      summary_.added.fill(0);
      summary_.globalSetCreated = false;
      taken_.clear();
    }
    return undo;
  }

  // The originals (as the other project had them) of the records taken.
  template <class Record>
  std::vector<const Record*> takenOf(F f, const std::vector<Record>& list) const {
    std::vector<const Record*> out;
    for (const auto& [family, index] : taken_)
      if (family == f) out.push_back(&list[index]);
    return out;
  }

  // The names of the imported records of the prefixed families, for the
  // script rewriting.
  NameRewriter rewriter(const Renaming& r, bool skipComments) const {
    NameRewriter names(r.prefix, skipComments);
    if (r.on(F::Resources))
      for (const Resource& x : lists_.resources) names.addName(x.name);
    if (r.on(F::Paths))
      for (const MotionPath& x : lists_.paths) names.addName(x.name);
    if (r.on(F::TileLists))
      for (const TileList& x : lists_.tileLists) names.addName(x.name);
    if (r.on(F::Levels))
      for (const Level& x : lists_.levels) names.addName(x.settings.name);
    if (r.on(F::FontMaps))
      for (const FontMap& x : lists_.fontMaps) names.addName(x.name);
    if (r.on(F::Strings))
      for (const StringRecord& x : lists_.strings) names.addName(x.identifier);
    if (r.on(F::Arrays))
      for (const ArrayDef& x : lists_.arrays) names.addArray(x.name);
    if (r.on(F::Macros))
      for (const Macro& x : lists_.macros) names.addMacro(x.name);
    return names;
  }

  // Writes a file of the open project that the import copies: a file that
  // already holds other bytes is replaced only when the user agrees.
  enum class Write { Written, Same, Kept, Failed };
  Write writeCopy(const std::string& destination, std::string_view bytes) {
    if (platform::fileExists(destination)) {
      std::string old;
      if (platform::readWholeFile(destination, old) && old == bytes) return Write::Same;
      if (host_.messageBox(kImportCaption,
                           "El archivo '" + destination + "' ya existe. ¿Sobrescribir?",
                           MessageButtons::YesNo, MessageAnswer::No) != MessageAnswer::Yes)
        return Write::Kept;
    }
    const std::string folder(platform::folderOf(destination));
    if (!folder.empty() && !platform::makeFolders(folder)) return Write::Failed;
    if (!platform::safeWrite(destination, bytes)) return Write::Failed;
    host_.outputLine("Archivo copiado <" + destination + ">");
    summary_.copiedFiles.push_back(destination);
    return Write::Written;
  }

  // Copies one file of the other project's resource root (a stored relative
  // path) to the same place below `destinationRoot`.
  bool copyResourceFile(const OtherProject& other, const std::string& relative,
                        const std::string& destinationRoot) {
    const std::string source = platform::resolvePath(other.resourceRoot, relative);
    std::string bytes;
    if (!platform::readWholeFile(source, bytes)) return false;
    return writeCopy(platform::resolvePath(destinationRoot, relative), bytes) != Write::Failed;
  }

 private:
  bool loadInto(F f, const std::string& path, const OtherProject& other) {
    switch (f) {
      case F::Arrays: return ArrayList::loadInto(path, lists_.arrays);
      case F::Strings: return StringTable::loadInto(path, lists_.strings);
      case F::Macros: return MacroList::loadInto(path, lists_.macros);
      case F::TileLists: return TileListList::loadInto(path, lists_.tileLists);
      case F::Paths: return PathList::loadInto(path, lists_.paths);
      case F::FontMaps: return FontMapList::loadInto(path, lists_.fontMaps);
      case F::Levels: return LevelList::loadInto(path, lists_.levels);
      case F::Resources: {
        // Files inside the other project's resource root read as relative
        // to it, as they would when that project is open.
        lists_.resources.clear();
        LineReader in;
        if (!in.open(path)) return false;
        const bool ok = readResources(in, other.resourceRoot, lists_.resources);
        for (Resource& r : lists_.resources) r.imported = true;
        return ok;
      }
    }
    return false;
  }

  template <class Record, class Rename, class Held>
  void take(F f, const std::vector<Record>& records, Rename rename, Held held) {
    const ImportFamilyInfo& info = importFamilyInfo(f);
    std::unordered_set<std::string>& names = takenNames_[std::size_t(f)];
    for (std::size_t i = 0; i < records.size(); ++i) {
      Record record = records[i];
      const std::string name = rename(record);
      if (name.empty()) continue;  // no list holds a record without a name
      if (held(name) || names.count(toLowerAscii(name))) {
        const std::string text = fill(info.duplicate, name);
        box(text);
        host_.outputLine(text);
        ++summary_.duplicates[std::size_t(f)];
        continue;
      }
      names.insert(toLowerAscii(name));
      pending_.push_back(Edit::Insert(-1, std::move(record)));
      taken_.emplace_back(f, i);
      ++summary_.added[std::size_t(f)];
    }
  }

  Project& project_;
  Host& host_;
  ImportSummary& summary_;
  ImportProgress progress_;
  ImportLists lists_;
  std::vector<Edit> pending_;
  std::vector<std::pair<F, std::size_t>> taken_;  // import list entries taken, in order
  std::array<std::unordered_set<std::string>, kImportFamilyCount> takenNames_;
};

// Checks the request before anything is read; false with its box.
ImportOutcome checkRequest(Project& project, const std::string& absolute, const ImportOptions* options) {
  Host& host = project.host();
  auto box = [&](const std::string& text) {
    host.messageBox(kImportCaption, text, MessageButtons::Ok, MessageAnswer::Ok);
  };
  if (!project.isOpen()) {
    box("No hay un proyecto abierto");
    return ImportOutcome::NoProject;
  }
  if (absolute.empty() || !platform::fileExists(absolute)) {
    box(std::string(kNotFound));
    return ImportOutcome::NotFound;
  }
  if (realPathOf(absolute) == realPathOf(project.filePath())) {
    box("No se puede importar el proyecto abierto en sí mismo");
    return ImportOutcome::SameProject;
  }
  if (!options) return ImportOutcome::Done;
  // The full import writes scripts and resource files into the project's
  // folders, which a read-only project never allows.
  if (project.settings().readOnly) {
    box("¡No se pueden guardar los cambios, el proyecto está marcado como de solo lectura!");
    return ImportOutcome::ReadOnly;
  }
  const bool needsFolder = options->createGlobalSet ||
                           (options->scripts && (options->scriptSubfolder || options->addApplySet)) ||
                           (options->copyResourceFiles && options->resourceSubfolder);
  if (options->folder.empty() ? needsFolder : !usableFolderName(options->folder)) {
    box(options->folder.empty()
            ? std::string("No se especificó el nombre de la carpeta")
            : "El nombre de la carpeta '" + options->folder +
                  "' no es válido (sin espacios ni los caracteres \\ / : \" ' ; * ? < > |)");
    return ImportOutcome::BadOptions;
  }
  if (!usablePrefix(options->prefix)) {
    box("El prefijo '" + options->prefix + "' no es válido (sin espacios ni los caracteres ; \" %)");
    return ImportOutcome::BadOptions;
  }
  return ImportOutcome::Done;
}

void finish(Project& project) {
  if (project.hooks().refreshViews) project.hooks().refreshViews();
}

}  // namespace

const ImportFamilyInfo& importFamilyInfo(ImportFamily family) {
  return kFamilies[std::size_t(family)];
}

std::optional<ImportFamily> importFamilyFromKeyword(std::string_view keyword) {
  for (const ImportFamilyInfo& info : kFamilies)
    if (equalsIgnoreCase(info.keyword, keyword)) return info.family;
  return std::nullopt;
}

int ImportSummary::totalAdded() const {
  int n = 0;
  for (int a : added) n += a;
  return n;
}

ImportSummary importProject(Project& project, const ImportOptions& options, const ImportProgress& progress) {
  ImportSummary summary;
  const std::string absolute = options.file.empty() ? std::string() : project.absolutePath(options.file);
  summary.outcome = checkRequest(project, absolute, &options);
  if (summary.outcome != ImportOutcome::Done) return summary;

  Importer importer(project, summary, progress);
  // The other project's settings are read into their own record: the open
  // project's settings stay as they are whatever happens below.
  const OtherProject other = readOtherProject(absolute);

  std::vector<platform::ListedFile> scripts;
  const std::string otherScripts = other.scriptFolder();
  if (options.scripts && !platform::listFilesBelow(otherScripts, scripts)) {
    importer.box("No se pueden listar los guiones de la carpeta <" + otherScripts + ">");
    summary.outcome = ImportOutcome::NoScriptFolder;
    return summary;
  }
  summary.progressSteps = 10 + (options.scripts ? int(scripts.size()) : 0);
  int step = 1;
  // The project's lists change only when the merges are applied, so a
  // cancel before them leaves it as it was.
  auto cancelled = [&] {
    summary.globalSetCreated = false;
    summary.added.fill(0);
    summary.outcome = ImportOutcome::Cancelled;
    return summary;
  };
  if (!importer.progressTo(step, summary.progressSteps)) return cancelled();

  // A project that never wrote its global sets has the one default set, as
  // it has when opened; only a file that does not read stops the import.
  std::vector<GlobalSet> otherSets{defaultGlobalSet()};
  const std::string globalsPath = other.assetPath("global_names.txt");
  if (platform::fileExists(globalsPath) &&
      (!GlobalSetList::loadInto(globalsPath, otherSets) || otherSets.empty())) {
    importer.box("Error al leer globales");
    summary.outcome = ImportOutcome::GlobalsUnreadable;
    return summary;
  }
  if (!importer.progressTo(++step, summary.progressSteps)) return cancelled();

  if (options.createGlobalSet) {
    if (project.globalSets().findSet(options.folder) >= 0) {
      importer.box("Ya se está utilizando ese nombre como juego de variables globales");
      summary.outcome = ImportOutcome::GlobalSetTaken;
      return summary;
    }
    // The new set is the other project's first one under the folder name.
    GlobalSet set = otherSets.front();
    set.name = options.folder;
    importer.takeFirst(Edit::Insert(-1, std::move(set)));
    summary.globalSetCreated = true;
  }
  if (!importer.progressTo(++step, summary.progressSteps)) return cancelled();

  // Check pass: every family of the other project is read, so that the
  // scripts can be rewritten with its names; its boxes appear here.
  for (F f : kCheckOrder) importer.load(f, other);
  if (!importer.progressTo(++step, summary.progressSteps)) return cancelled();

  const bool intoResourceFolder = options.copyResourceFiles && options.resourceSubfolder && !options.folder.empty();
  Renaming renaming;
  renaming.prefix = options.prefix;
  renaming.prefixed = options.prefixed;
  renaming.tileListFolder = options.folder;
  if (intoResourceFolder) renaming.resourceFolder = options.folder;
  const NameRewriter names = importer.rewriter(renaming, options.skipComments);
  renaming.macroBodies = &names;

  if (options.scripts) {
    const bool intoSubfolder = options.scriptSubfolder && !options.folder.empty();
    const std::string destination =
        intoSubfolder ? platform::resolvePath(project.scriptFolderPath(), options.folder)
                      : project.scriptFolderPath();
    ScriptCopyOptions copy;
    if (options.addApplySet) copy.applySet = options.folder;
    if (intoSubfolder) copy.externFolder = options.folder;
    for (const platform::ListedFile& file : scripts) {
      if (!importer.progressTo(++step, summary.progressSteps)) return cancelled();
      if (file.outside) {
        importer.box("El guión '" + file.relative +
                     "' lleva fuera de la carpeta de guiones del proyecto; no se copia");
        continue;
      }
      std::string text;
      const std::string source = platform::joinPath(otherScripts, file.relative);
      const std::string target = platform::resolvePath(destination, file.relative);
      if (!platform::readWholeFile(source, text)) {
        importer.box("Fallo la copia, " + file.relative + ", nombre de archivo " + source);
        continue;
      }
      switch (importer.writeCopy(target, copyScriptText(text, copy, names))) {
        case Importer::Write::Kept: ++summary.scriptsSkipped; break;
        case Importer::Write::Failed:
          importer.box("Fallo la copia, " + file.relative + ", nombre de archivo " + target);
          break;
        default: break;
      }
    }
  }

  // The merges: every record taken is applied at once, one undo step.
  for (F f : kMergeOrder)
    if (options.component(f)) importer.merge(f, renaming);
  summary.undo = importer.applyPending();
  importer.progressTo(++step, summary.progressSteps);

  // The files of the resources just imported: relative ones are copied from
  // the other project's resource root into this one's (into the folder when
  // asked); a path that leads out of the resource root is refused.
  if (options.copyResourceFiles) {
    const std::string root = intoResourceFolder
                                 ? platform::resolvePath(project.resourceRootPath(), options.folder)
                                 : project.resourceRootPath();
    const ImportLists& lists = importer.lists();
    for (const Resource* original : importer.takenOf(F::Resources, lists.resources)) {
      const Resource& r = *original;
      if (!r.relative) continue;
      const std::string shown = renaming.name(F::Resources, r.name);
      const std::string relative = withoutDotPrefix(r.file);
      if (relative.empty()) {
        importer.box("Fallo la copia, " + shown + ", nombre de archivo " + r.file);
        continue;
      }
      if (!platform::staysInside(relative)) {
        importer.box("El recurso '" + shown + "' no se copia: su archivo " + r.file +
                     " queda fuera de la carpeta de recursos");
        continue;
      }
      bool ok = true;
      if (r.range) {
        // A numbered series: every file of the range that exists.
        int copied = 0;
        for (int n = 0; n < r.rangeMax; ++n) {
          const std::string numbered = rangedFileName(relative, r.rangeFormat, n);
          if (platform::fileExists(platform::resolvePath(other.resourceRoot, numbered))) {
            if (!importer.copyResourceFile(other, numbered, root)) ok = false;
            ++copied;
          }
        }
        if (copied == 0) ok = false;
      } else {
        ok = importer.copyResourceFile(other, relative, root);
      }
      if (!ok) importer.box("Fallo la copia, " + shown + ", nombre de archivo " + r.file);
    }
    // The palette files of the levels just imported lie below the resource
    // root too: they go along.
    for (const Level* level : importer.takenOf(F::Levels, lists.levels)) {
      const std::string shown = renaming.name(F::Levels, level->settings.name);
      for (const LevelPaletteBank& bank : level->settings.banks) {
        if (bank.paletteFile.empty()) continue;
        const std::string relative = withoutDotPrefix(bank.paletteFile);
        if (!platform::staysInside(relative)) {
          importer.box("El nivel '" + shown + "' no copia su paleta: el archivo " + bank.paletteFile +
                       " queda fuera de la carpeta de recursos");
          continue;
        }
        if (!importer.copyResourceFile(other, relative, root))
          importer.box("Fallo la copia, " + shown + ", nombre de archivo " + bank.paletteFile);
      }
    }
  }

  importer.progressTo(summary.progressSteps, summary.progressSteps);
  finish(project);
  return summary;
}

bool importFamily(Project& project, ImportFamily family, const std::string& otherProjectFile,
                  ImportSummary* summaryOut) {
  ImportSummary local;
  ImportSummary& summary = summaryOut ? *summaryOut : local;
  summary = ImportSummary{};
  const std::string absolute = otherProjectFile.empty() ? std::string() : project.absolutePath(otherProjectFile);
  summary.outcome = checkRequest(project, absolute, nullptr);
  if (summary.outcome != ImportOutcome::Done) return false;

  Importer importer(project, summary);
  const OtherProject other = readOtherProject(absolute);
  if (!importer.load(family, other)) return false;
  importer.merge(family, Renaming{});
  summary.undo = importer.applyPending();
  finish(project);
  return true;
}

}  // namespace tarvolin::project
